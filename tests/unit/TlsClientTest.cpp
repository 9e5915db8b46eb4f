// TLS in the clients against scripted servers with certificates made in the test: STARTTLS and its
// attacks, TLS from the start, certificate checks and pins, stalled handshakes, POP3 STLS, FTP AUTH.

#include "mail/IdException.h"
#include "mail/IdFTP.h"
#include "mail/IdPOP3.h"
#include "mail/IdSMTP.h"
#include "mail/OpenSslTransport.h"
#include "mail/TlsTransport.h"
#include "support/Files.h"
#include "support/ManualClock.h"
#include "support/ScriptedServer.h"
#include "support/ScriptedTransport.h"
#include "support/TestCertificates.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class TlsClientTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_caFile = m_dir.filePath(QStringLiteral("ca.pem"));
        ASSERT_TRUE(m_ca.WriteTo(m_caFile));
        const QString picture = m_dir.filePath(QStringLiteral("tmp.jpg"));
        ASSERT_TRUE(testfiles::write(picture, QByteArray(200, '\x42')));
        m_msg.From = {QStringLiteral("Taro"), QStringLiteral("taro@example.com")};
        m_msg.Recipients = {{QStringLiteral("Hanako"), QStringLiteral("hanako@example.jp")}};
        m_msg.Subject = QStringLiteral("Picture");
        m_msg.Body = {"Hello"};
        m_msg.MessageParts = {TIdAttachment(picture)};
    }

    void Prepare(CommandConnection &client, const ScriptedServer &server, TlsMode mode)
    {
        client.Host = QStringLiteral("localhost");
        client.Port = server.Port();
        client.UseTLS = mode;
        client.CaFile = m_caFile;
        client.ConnectTimeout = client.ReadTimeout = 20000;
    }

    void Prepare(TIdSMTP &smtp, const ScriptedServer &server, TlsMode mode)
    {
        Prepare(static_cast<CommandConnection &>(smtp), server, mode);
        smtp.HeloName = QStringLiteral("localhost");
        smtp.Username = QStringLiteral("taro");
        smtp.Password = QStringLiteral("secret");
        smtp.SetAuthenticationType(atLogin);
    }

    testcerts::Authority m_ca;
    QTemporaryDir m_dir;
    QString m_caFile;
    TIdMessage m_msg;
};

TEST_F(TlsClientTest, StartTlsDropsInjectedLinesAndForgetsWhatTheServerSaidInClearText)
{
    const testcerts::KeyPair cert = m_ca.Issue(QStringLiteral("localhost"));
    ScriptedServer server;
    server.Send("220 mail.example.com ESMTP\r\n");
    server.Reply("250-mail.example.com\r\n250-STARTTLS\r\n250 AUTH LOGIN\r\n");
    // An attacker's lines in the same packet as the 220: a reply to the EHLO that follows.
    server.Reply("220 2.0.0 Ready to start TLS\r\n250-mail.example.com\r\n250 AUTH LOGIN\r\n");
    server.StartTls(cert.certPem, cert.keyPem);
    // In TLS the server offers PLAIN only: LOGIN, learned in clear text, no longer counts.
    server.Reply("250-mail.example.com\r\n250 AUTH PLAIN\r\n");
    for (const QByteArray reply : {"250 ok\r\n", "235 ok\r\n", "250 ok\r\n", "250 ok\r\n", "354 go\r\n"})
        server.Reply(reply);
    server.ReadUntil("\r\n.\r\n").Send("250 queued\r\n");
    server.Start();

    TIdSMTP smtp;
    Prepare(smtp, server, TlsMode::Auto);
    smtp.Connect();
    EXPECT_TRUE(smtp.UsingTLS());
    EXPECT_TRUE(smtp.TlsProtocol().startsWith(QLatin1String("TLSv1.")));
    EXPECT_EQ(smtp.AuthSchemesSupported(), QStringList({"", "PLAIN"}));
    smtp.Send(m_msg);
    smtp.Disconnect();

    const QByteArray received = server.Received();
    EXPECT_TRUE(received.startsWith("EHLO localhost\r\nSTARTTLS\r\nEHLO localhost\r\nRSET\r\n"
                                    "AUTH PLAIN AHRhcm8Ac2VjcmV0\r\nMAIL FROM:<taro@example.com>\r\n"))
        << received.left(200).constData();
    EXPECT_TRUE(received.endsWith("\r\n.\r\nQUIT\r\n"));
    EXPECT_EQ(server.Error(), QString());
}

TEST_F(TlsClientTest, RequiredTlsFromAServerWithoutStartTlsSendsNothingElse)
{
    ScriptedServer server;
    server.Send("220 mail.example.com ESMTP\r\n");
    server.Reply("250-mail.example.com\r\n250 AUTH LOGIN PLAIN\r\n");
    server.Start();
    TIdSMTP smtp;
    Prepare(smtp, server, TlsMode::Required);
    try {
        smtp.Connect();
        ADD_FAILURE() << "connected";
    } catch (const TlsError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("サーバーが暗号化通信（TLS）に対応していません。"));
    }
    EXPECT_EQ(server.Received(), QByteArray("EHLO localhost\r\nQUIT\r\n"));
}

TEST_F(TlsClientTest, ARefusedStartTlsIsAnError)
{
    ScriptedServer server;
    server.Send("220 mail.example.com ESMTP\r\n");
    server.Reply("250-mail.example.com\r\n250 STARTTLS\r\n");
    server.Reply("454 4.7.0 TLS not available\r\n");
    server.Start();
    TIdSMTP smtp;
    Prepare(smtp, server, TlsMode::Auto);
    try {
        smtp.Connect();
        ADD_FAILURE() << "connected";
    } catch (const TlsError &e) {
        EXPECT_EQ(
            e.Message(),
            QStringLiteral("サーバーが暗号化通信（TLS）の開始を拒否しました。\n454 4.7.0 TLS not available"));
    }
    EXPECT_EQ(server.Received(), QByteArray("EHLO localhost\r\nSTARTTLS\r\nQUIT\r\n"));
}

TEST_F(TlsClientTest, WithoutATlsImplementationTheStartIsRefusedAndTheConnectionClosed)
{
    ScriptedServer server;
    server.Send("220 mail.example.com ESMTP\r\n");
    server.Reply("250-mail.example.com\r\n250 STARTTLS\r\n");
    server.Reply("220 2.0.0 Ready to start TLS\r\n");
    server.Start();
    TIdSMTP smtp;
    Prepare(smtp, server, TlsMode::Auto);
    {
        // The other tests' implementation comes back whatever happens here.
        const std::unique_ptr<void, void (*)(void *)> restore(&smtp, [](void *) {
            InstallTlsTransport(MakeOpenSslTransport);
        });
        InstallTlsTransport(nullptr);
        try {
            smtp.Connect();
            ADD_FAILURE() << "connected";
        } catch (const TlsError &e) {
            EXPECT_EQ(e.Message(),
                      QStringLiteral("サーバーとの暗号化通信（TLS）を開始できません。\n(no TLS implementation)"));
        }
    }
    EXPECT_FALSE(smtp.Connected());
    EXPECT_EQ(server.Received(), QByteArray("EHLO localhost\r\nSTARTTLS\r\n"));
}

TEST_F(TlsClientTest, CertificatesAreCheckedAndPinsVouchForTheirOwn)
{
    const testcerts::KeyPair good = m_ca.Issue(QStringLiteral("localhost"));
    const testcerts::KeyPair otherName = m_ca.Issue(QStringLiteral("mail.example.com"));
    const testcerts::KeyPair expired = m_ca.Issue(QStringLiteral("localhost"), -60, -1);
    const testcerts::KeyPair notYet = m_ca.Issue(QStringLiteral("localhost"), 2, 60);
    const testcerts::KeyPair self = testcerts::SelfSigned(QStringLiteral("localhost"));
    struct Case
    {
        const char *name;
        testcerts::KeyPair cert;
        QStringList pins;
        QString error; // empty: accepted
    };
    const Case cases[] = {
        {"issued for the host", good, {}, {}},
        {"for another name", otherName, {}, "サーバーの証明書は「localhost」のものではありません。"},
        {"expired", expired, {}, "サーバーの証明書の有効期限が切れています。"},
        {"not valid yet", notYet, {}, "サーバーの証明書はまだ有効になっていません。"},
        {"self-signed",
         self,
         {},
         "サーバーの証明書を信頼できません（発行元を確認できません）。\n証明書のSHA-256指紋："
             + self.Fingerprint()},
        {"self-signed and pinned", self, {self.Fingerprint()}, {}},
        {"self-signed, another pin",
         self,
         {good.Fingerprint()},
         "サーバーの証明書を信頼できません（発行元を確認できません）。\n証明書のSHA-256指紋："
             + self.Fingerprint()},
        {"for another name and pinned", otherName, {otherName.Fingerprint()}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedServer server;
        server.StartTls(c.cert.certPem, c.cert.keyPem).Send("220 mail.example.com ESMTP\r\n");
        if (c.error.isEmpty())
            server.Reply("250 mail.example.com\r\n");
        server.Start();
        TIdSMTP smtp;
        // TLS from the start: what Auto does on 465.
        Prepare(smtp, server, TlsMode::Implicit);
        smtp.Pins = c.pins;
        if (c.error.isEmpty()) {
            smtp.Connect();
            EXPECT_TRUE(smtp.UsingTLS());
            smtp.Disconnect();
            EXPECT_EQ(server.Received(), QByteArray("EHLO localhost\r\nQUIT\r\n"));
            EXPECT_EQ(server.Error(), QString());
            continue;
        }
        try {
            smtp.Connect();
            ADD_FAILURE() << "connected";
        } catch (const TlsError &e) {
            EXPECT_EQ(e.Message(), c.error);
        }
        EXPECT_FALSE(smtp.Connected());
        EXPECT_EQ(server.Received(), QByteArray()); // not even the goodbye
    }
}

TEST_F(TlsClientTest, AServerThatSpeaksNoTlsRefusesTheHandshake)
{
    ScriptedServer server;
    server.Send("220 mail.example.com ESMTP plain text only\r\n");
    server.Start();
    TIdSMTP smtp;
    Prepare(smtp, server, TlsMode::Implicit);
    try {
        smtp.Connect();
        ADD_FAILURE() << "connected";
    } catch (const TlsError &e) {
        EXPECT_TRUE(
            e.Message().startsWith(QStringLiteral("サーバーとの暗号化通信（TLS）を開始できません。\n(")))
            << e.what();
    }
    EXPECT_FALSE(smtp.Connected());
}

TEST_F(TlsClientTest, AStalledHandshakeEndsByCancelWatchdogOrTimeLimit)
{
    ManualClock clock;
    struct WatchdogFired
    {
    };
    enum Ending { Cancel, Watchdog, TimeLimit };
    for (const Ending ending : {Cancel, Watchdog, TimeLimit}) {
        SCOPED_TRACE(ending);
        ScriptedServer server; // accepts and says nothing
        server.Start();
        TIdSMTP smtp;
        Prepare(smtp, server, TlsMode::Implicit);
        int pumps = 0;
        if (ending == Cancel) {
            smtp.WaitClock = &clock;
            clock.OnPump([&] {
                if (++pumps == 3)
                    smtp.Disconnect();
            });
            EXPECT_THROW(smtp.Connect(), EIdConnClosedGracefully);
            EXPECT_EQ(pumps, 3);
        } else if (ending == Watchdog) {
            // The watchdog's handler runs inside the pump; what it throws ends the handshake.
            smtp.WaitClock = &clock;
            clock.OnPump([&] {
                if (++pumps == 3)
                    throw WatchdogFired();
            });
            EXPECT_THROW(smtp.Connect(), WatchdogFired);
            EXPECT_EQ(pumps, 3);
        } else {
            smtp.ConnectTimeout = 200;
            try {
                smtp.Connect();
                ADD_FAILURE() << "connected";
            } catch (const TimeoutError &e) {
                EXPECT_EQ(e.Message(), QStringLiteral("Read timed out."));
            }
        }
        EXPECT_FALSE(smtp.Connected());
        EXPECT_EQ(server.Error(), QString());
    }
}

TEST_F(TlsClientTest, PopRequiresStlsAndLogsInOverTls)
{
    const testcerts::KeyPair cert = m_ca.Issue(QStringLiteral("localhost"));
    ScriptedServer server;
    server.Send("+OK ready\r\n").ReadLine().Send("+OK Begin TLS\r\n").StartTls(cert.certPem, cert.keyPem);
    server.ReadLine().Send("+OK\r\n").ReadLine().Send("+OK Logged in.\r\n");
    server.Start();
    TIdPOP3 pop;
    Prepare(pop, server, TlsMode::Required);
    pop.Username = QStringLiteral("taro");
    pop.Password = QStringLiteral("secret");
    pop.Connect();
    EXPECT_TRUE(pop.UsingTLS());
    pop.Disconnect();
    EXPECT_EQ(server.Received(), QByteArray("STLS\r\nUSER taro\r\nPASS secret\r\nQUIT\r\n"));

    // Without STLS nothing more goes out; in auto mode the dialogue stays as it was.
    ScriptedServer refusing;
    refusing.Send("+OK ready\r\n").ReadLine().Send("-ERR Command not recognised\r\n");
    refusing.Start();
    TIdPOP3 required;
    Prepare(required, refusing, TlsMode::Required);
    try {
        required.Connect();
        ADD_FAILURE() << "connected";
    } catch (const TlsError &e) {
        EXPECT_EQ(e.Message(),
                  QStringLiteral("サーバーが暗号化通信（TLS）に対応していません。\nCommand not recognised"));
    }
    EXPECT_EQ(refusing.Received(), QByteArray("STLS\r\nQUIT\r\n"));
}

// Auto mode asks CAPA and takes STLS whenever it is listed, so the password never goes in clear
// text to a server that could have encrypted it; without STLS the login goes on as before.
TEST_F(TlsClientTest, PopInAutoModeTakesStlsWheneverCapaListsIt)
{
    const testcerts::KeyPair cert = m_ca.Issue(QStringLiteral("localhost"));
    {
        ScriptedServer server;
        server.Send("+OK ready\r\n")
            .ReadLine()
            .Send("+OK Capability list follows\r\nTOP\r\nstls\r\nUSER\r\n.\r\n");
        server.ReadLine().Send("+OK Begin TLS\r\n").StartTls(cert.certPem, cert.keyPem);
        server.ReadLine().Send("+OK\r\n").ReadLine().Send("+OK Logged in.\r\n");
        server.Start();
        TIdPOP3 pop;
        Prepare(pop, server, TlsMode::Auto);
        pop.Username = QStringLiteral("taro");
        pop.Password = QStringLiteral("secret");
        pop.Connect();
        EXPECT_TRUE(pop.UsingTLS());
        EXPECT_TRUE(pop.StlsOffered());
        pop.Disconnect();
        EXPECT_EQ(server.Received(), QByteArray("CAPA\r\nSTLS\r\nUSER taro\r\nPASS secret\r\nQUIT\r\n"));
        EXPECT_EQ(server.Error(), QString());
    }
    const struct
    {
        const char *name;
        QByteArray capa;
    } clear[] = {
        {"no STLS listed", "+OK\r\nUSER\r\nSASL PLAIN\r\n.\r\n"},
        {"STLS only in a line's text", "+OK\r\nIMPLEMENTATION no STLS here\r\n.\r\n"},
        {"CAPA unknown", "-ERR unknown command\r\n"},
    };
    for (const auto &c : clear) {
        SCOPED_TRACE(c.name);
        ScriptedServer server;
        server.Send("+OK ready\r\n").Reply(c.capa).Reply("+OK\r\n").Reply("+OK Logged in.\r\n");
        server.Start();
        TIdPOP3 pop;
        Prepare(pop, server, TlsMode::Auto);
        pop.Username = QStringLiteral("taro");
        pop.Password = QStringLiteral("secret");
        pop.Connect();
        EXPECT_FALSE(pop.UsingTLS());
        EXPECT_FALSE(pop.StlsOffered());
        pop.Disconnect();
        EXPECT_EQ(server.Received(), QByteArray("CAPA\r\nUSER taro\r\nPASS secret\r\nQUIT\r\n"));
    }

    // Offered, then refused: nothing of the login goes out.
    ScriptedServer refusing;
    refusing.Send("+OK ready\r\n").Reply("+OK\r\nSTLS\r\n.\r\n").Reply("-ERR not now\r\n");
    refusing.Start();
    TIdPOP3 pop;
    Prepare(pop, refusing, TlsMode::Auto);
    pop.Username = QStringLiteral("taro");
    pop.Password = QStringLiteral("secret");
    try {
        pop.Connect();
        ADD_FAILURE() << "connected";
    } catch (const TlsError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("サーバーが暗号化通信（TLS）の開始を拒否しました。\nnot now"));
    }
    EXPECT_EQ(refusing.Received(), QByteArray("CAPA\r\nSTLS\r\nQUIT\r\n"));
}

TEST_F(TlsClientTest, FtpAsksForTlsAndGoesOnInClearTextOnlyInAutoMode)
{
    for (const TlsMode mode : {TlsMode::Auto, TlsMode::Required}) {
        ScriptedNetwork net;
        TransportScript &s = net.Add();
        s.Arrive("220 hi\r\n").Arrive("500 AUTH not understood\r\n");
        s.Arrive("331 pass\r\n").Arrive("230 ok\r\n").Arrive("200 ok\r\n").Arrive("215 UNIX\r\n");
        TIdFTP ftp;
        ftp.MakeTransport = net.Factory();
        ftp.UseTLS = mode;
        ftp.Username = QStringLiteral("taro");
        ftp.Password = QStringLiteral("secret");
        if (mode == TlsMode::Auto) {
            ftp.Connect();
            ftp.Disconnect();
            EXPECT_EQ(s.sent, QByteArray("AUTH TLS\r\nUSER taro\r\nPASS secret\r\nTYPE I\r\nSYST\r\n"));
        } else {
            try {
                ftp.Connect();
                ADD_FAILURE() << "connected";
            } catch (const TlsError &e) {
                EXPECT_EQ(e.Message(),
                          QStringLiteral(
                              "サーバーが暗号化通信（TLS）に対応していません。\n500 AUTH not understood"));
            }
            EXPECT_EQ(s.sent, QByteArray("AUTH TLS\r\n"));
        }
    }
}

TEST_F(TlsClientTest, PlainAuthIsUsedOnlyWhereLoginIsMissingAndTlsIsNotOff)
{
    for (const TlsMode mode : {TlsMode::None, TlsMode::Auto}) {
        ScriptedNetwork net;
        TransportScript &s = net.Add();
        s.Arrive("220 hi\r\n").Arrive("250-mail\r\n250 AUTH PLAIN CRAM-MD5\r\n");
        if (mode == TlsMode::Auto)
            s.Arrive("235 ok\r\n");
        TIdSMTP smtp;
        smtp.MakeTransport = net.Factory();
        smtp.UseTLS = mode;
        smtp.HeloName = QStringLiteral("me");
        smtp.Username = QStringLiteral("taro");
        smtp.Password = QStringLiteral("secret");
        smtp.SetAuthenticationType(atLogin);
        smtp.Connect();
        EXPECT_EQ(smtp.Authenticate(), mode == TlsMode::Auto);
        smtp.Disconnect();
        EXPECT_EQ(s.sent,
                  mode == TlsMode::Auto ? QByteArray("EHLO me\r\nAUTH PLAIN AHRhcm8Ac2VjcmV0\r\nQUIT\r\n")
                                        : QByteArray("EHLO me\r\nQUIT\r\n"));
    }
}

TEST(TlsPinsTest, FingerprintsAreReadWithOrWithoutColons)
{
    const QString colons = QStringLiteral(
        "AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89");
    const QString bare = QString(colons).remove(QLatin1Char(':')).toLower();
    EXPECT_EQ(TlsTransport::ParsePins(bare), QStringList {colons});
    EXPECT_EQ(TlsTransport::ParsePins(colons + QStringLiteral(", ") + bare), QStringList({colons, colons}));
    EXPECT_EQ(TlsTransport::ParsePins(QString()), QStringList());
    EXPECT_EQ(TlsTransport::ParsePins(colons.left(20)), std::nullopt);
    EXPECT_EQ(TlsTransport::ParsePins(bare + QStringLiteral("0")), std::nullopt);
}

} // namespace
