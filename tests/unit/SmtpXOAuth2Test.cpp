// SMTP sign-in with an OAuth 2.0 bearer token (SASL XOAUTH2) against scripted servers: the exact
// bytes of a sign-in, the refusal with its challenge, and that a token never leaves without TLS.

#include "mail/IdException.h"
#include "mail/IdSMTP.h"
#include "support/Files.h"
#include "support/ScriptedServer.h"
#include "support/TestCertificates.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// base64 of "user=taro@example.com\x01auth=Bearer ya29.A0token\x01\x01"
const QByteArray kInitialResponse = "dXNlcj10YXJvQGV4YW1wbGUuY29tAWF1dGg9QmVhcmVyIHlhMjkuQTB0b2tlbgEB";
// base64 of Google's refusal {"status":"401","schemes":"bearer","scope":"https://mail.google.com/"}
const QByteArray kChallenge = "eyJzdGF0dXMiOiI0MDEiLCJzY2hlbWVzIjoiYmVhcmVyIiwic2NvcGUiOiJodHRwczovL21h"
                              "aWwuZ29vZ2xlLmNvbS8ifQ==";

class SmtpXOAuth2Test : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_caFile = m_dir.filePath(QStringLiteral("ca.pem"));
        ASSERT_TRUE(m_ca.WriteTo(m_caFile));
        const QString picture = m_dir.filePath(QStringLiteral("tmp.jpg"));
        ASSERT_TRUE(testfiles::write(picture, QByteArray(50, '\x42')));
        m_msg.From = {QStringLiteral("Taro"), QStringLiteral("taro@example.com")};
        m_msg.Recipients = {{QStringLiteral("Hanako"), QStringLiteral("hanako@example.jp")}};
        m_msg.Subject = QStringLiteral("Picture");
        m_msg.Body = {"Hello"};
        m_msg.MessageParts = {TIdAttachment(picture)};
    }

    void Prepare(TIdSMTP &smtp, const ScriptedServer &server, TlsMode mode)
    {
        smtp.Host = QStringLiteral("localhost");
        smtp.Port = server.Port();
        smtp.UseTLS = mode;
        smtp.CaFile = m_caFile;
        smtp.ConnectTimeout = smtp.ReadTimeout = 20000;
        smtp.HeloName = QStringLiteral("localhost");
        smtp.Username = QStringLiteral("taro@example.com");
        smtp.Password = QStringLiteral("not sent");
        smtp.AccessToken = QStringLiteral("ya29.A0token");
        smtp.SetAuthenticationType(atXOAuth2);
    }

    // Greeting, EHLO offering STARTTLS, the handshake and the EHLO in TLS with the given reply.
    void StartTlsThen(ScriptedServer &server, const QByteArray &ehloInTls)
    {
        server.Send("220 mail.example.com ESMTP\r\n");
        server.Reply("250-mail.example.com\r\n250-STARTTLS\r\n250 AUTH LOGIN XOAUTH2\r\n");
        server.Reply("220 2.0.0 Ready to start TLS\r\n");
        server.StartTls(m_cert.certPem, m_cert.keyPem);
        server.Reply(ehloInTls);
    }

    testcerts::Authority m_ca;
    testcerts::KeyPair m_cert = m_ca.Issue(QStringLiteral("localhost"));
    QTemporaryDir m_dir;
    QString m_caFile;
    TIdMessage m_msg;
};

TEST_F(SmtpXOAuth2Test, SignsInWithTheBearerTokenAfterStartTls)
{
    ScriptedServer server;
    StartTlsThen(server, "250-mail.example.com\r\n250 AUTH LOGIN PLAIN XOAUTH2\r\n");
    for (const QByteArray reply :
         {"250 ok\r\n", "235 2.7.0 Accepted\r\n", "250 ok\r\n", "250 ok\r\n", "354 go\r\n"})
        server.Reply(reply);
    server.ReadUntil("\r\n.\r\n").Send("250 queued\r\n");
    server.Start();

    TIdSMTP smtp;
    // Even with TLS off in the settings, the sign-in insists on it.
    Prepare(smtp, server, TlsMode::None);
    smtp.Connect();
    smtp.Send(m_msg);
    EXPECT_TRUE(smtp.DidAuthenticate());
    smtp.Disconnect();

    EXPECT_EQ(smtp.UseTLS, TlsMode::None);
    const QByteArray received = server.Received();
    EXPECT_TRUE(received.startsWith("EHLO localhost\r\nSTARTTLS\r\nEHLO localhost\r\nRSET\r\nAUTH XOAUTH2 "
                                    + kInitialResponse + "\r\nMAIL FROM:<taro@example.com>\r\n"))
        << received.left(300).constData();
    EXPECT_TRUE(received.endsWith("\r\n.\r\nQUIT\r\n"));
    EXPECT_EQ(server.Error(), QString());
}

TEST_F(SmtpXOAuth2Test, ARefusedTokenAnswersTheChallengeWithAnEmptyLine)
{
    ScriptedServer server;
    StartTlsThen(server, "250-mail.example.com\r\n250 AUTH XOAUTH2\r\n");
    server.Reply("250 ok\r\n");
    server.Reply("334 " + kChallenge + "\r\n");
    server.Reply("535 5.7.8 Username and Password not accepted\r\n");
    server.Start();

    TIdSMTP smtp;
    Prepare(smtp, server, TlsMode::Auto);
    smtp.Connect();
    try {
        smtp.Send(m_msg);
        ADD_FAILURE() << "sent";
    } catch (const TokenRefusedError &e) {
        EXPECT_EQ(e.ReplyErrorCode(), 535);
        EXPECT_EQ(e.Message(), QStringLiteral("5.7.8 Username and Password not accepted"));
        EXPECT_EQ(
            e.Detail(),
            QStringLiteral(R"({"status":"401","schemes":"bearer","scope":"https://mail.google.com/"})"));
    }
    smtp.Disconnect();
    EXPECT_EQ(server.Received(),
              "EHLO localhost\r\nSTARTTLS\r\nEHLO localhost\r\nRSET\r\nAUTH XOAUTH2 " + kInitialResponse
                  + "\r\n\r\nQUIT\r\n");
    EXPECT_EQ(server.Error(), QString());
}

// Whatever the TLS setting, a server that cannot speak TLS never sees the token, and a server
// without the mechanism gets no AUTH at all.
TEST_F(SmtpXOAuth2Test, NoTokenWithoutTlsOrWithoutTheMechanism)
{
    for (const TlsMode mode : {TlsMode::None, TlsMode::Auto, TlsMode::Required}) {
        SCOPED_TRACE(static_cast<int>(mode));
        ScriptedServer server;
        server.Send("220 mail.example.com ESMTP\r\n");
        server.Reply("250-mail.example.com\r\n250 AUTH XOAUTH2 PLAIN\r\n");
        server.Start();
        TIdSMTP smtp;
        Prepare(smtp, server, mode);
        try {
            smtp.Connect();
            ADD_FAILURE() << "connected";
        } catch (const TlsError &e) {
            EXPECT_EQ(e.Message(), QStringLiteral("サーバーが暗号化通信（TLS）に対応していません。"));
        }
        EXPECT_EQ(server.Received(), QByteArray("EHLO localhost\r\nQUIT\r\n"));
    }

    ScriptedServer server;
    StartTlsThen(server, "250-mail.example.com\r\n250 AUTH LOGIN PLAIN\r\n");
    server.Reply("250 ok\r\n");
    server.Start();
    TIdSMTP smtp;
    Prepare(smtp, server, TlsMode::Auto);
    smtp.Connect();
    try {
        smtp.Send(m_msg);
        ADD_FAILURE() << "sent";
    } catch (const TokenRefusedError &) {
        ADD_FAILURE() << "refused as a token";
    } catch (const EIdException &e) {
        EXPECT_EQ(e.Message(),
                  QStringLiteral("サーバーがOAuth 2.0（XOAUTH2）のサインインに対応していません。"));
    }
    smtp.Disconnect();
    EXPECT_EQ(server.Received(),
              QByteArray("EHLO localhost\r\nSTARTTLS\r\nEHLO localhost\r\nRSET\r\nQUIT\r\n"));
}

} // namespace
