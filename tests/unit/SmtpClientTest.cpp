// The SMTP client's dialogue against a scripted server, with the client's exact bytes asserted.

#include "mail/IdException.h"
#include "mail/IdSMTP.h"
#include "mail/MessageWriter.h"
#include "support/Files.h"
#include "support/ManualClock.h"
#include "support/ScriptedServer.h"
#include "support/ScriptedTransport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class Capture : public LineSink
{
public:
    void WriteLine(const QByteArray &line) override { bytes += line + "\r\n"; }
    QByteArray bytes;
};

const QByteArray kGreeting = "220 mail.example.com ESMTP ready\r\n";
const QByteArray kEhloWithLogin = "250-mail.example.com\r\n250-AUTH LOGIN PLAIN\r\n250 8BITMIME\r\n";

class SmtpClientTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_picture = m_dir.filePath(QStringLiteral("tmp.jpg"));
        ASSERT_TRUE(testfiles::write(m_picture, QByteArray(100, '\xAB')));
        m_msg.From = {QStringLiteral("Taro"), QStringLiteral("taro@example.com")};
        m_msg.Recipients = {{QStringLiteral("Hanako"), QStringLiteral("hanako@example.jp")}};
        m_msg.Subject = QStringLiteral("Picture");
        m_msg.Body = {"Hello", ".a line with a leading dot"};
        TIdAttachment attachment(m_picture);
        attachment.FileName = "06-01-07_12-34-56.jpg";
        m_msg.MessageParts = {attachment};
        m_msg.Date = QDateTime::fromString(QStringLiteral("2006-01-07T12:34:56+09:00"), Qt::ISODate);
    }

    void Prepare(TIdSMTP &smtp, const ScriptedServer &server)
    {
        smtp.Host = QStringLiteral("127.0.0.1");
        smtp.Port = server.Port();
        smtp.HeloName = QStringLiteral("smtp.example.com");
        smtp.Username = QStringLiteral("taro");
        smtp.Password = QStringLiteral("secret");
    }

    // What the writer makes of the message: the lines between DATA and ".".
    QByteArray MessageBytes()
    {
        Capture capture;
        WriteMessage(m_msg, capture);
        return capture.bytes;
    }

    QTemporaryDir m_dir;
    QString m_picture;
    TIdMessage m_msg;
};

// The greeting and the replies of a session without AUTH, up to DATA's 354.
ScriptedServer &ReplyUpToData(ScriptedServer &server,
                              const QByteArray &ehloReply = "250 mail.example.com\r\n")
{
    server.Send(kGreeting);
    for (const QByteArray &reply : {ehloReply, QByteArray("250 ok\r\n"), QByteArray("250 ok\r\n"),
                                    QByteArray("250 ok\r\n"), QByteArray("354 go\r\n")})
        server.Reply(reply);
    return server;
}

TEST_F(SmtpClientTest, SendsOneMessageWithAuthLogin)
{
    ScriptedServer server;
    server.Send(kGreeting);
    server.Reply(kEhloWithLogin);
    server.Reply("250 Flushed\r\n");
    server.Reply("334 VXNlcm5hbWU6\r\n");
    server.Reply("334 UGFzc3dvcmQ6\r\n");
    server.Reply("235 2.7.0 Authentication successful\r\n");
    server.Reply("250 OK\r\n");
    server.Reply("250 Accepted\r\n");
    server.Reply("354 End data with <CR><LF>.<CR><LF>\r\n");
    server.ReadUntil("\r\n.\r\n").Send("250 OK: queued as 1\r\n");
    server.Start();

    TIdSMTP smtp;
    Prepare(smtp, server);
    smtp.SetAuthenticationType(atLogin);
    smtp.Connect();
    EXPECT_EQ(smtp.AuthSchemesSupported(), QStringList({"", "LOGIN", "PLAIN"}));
    smtp.Send(m_msg);
    EXPECT_TRUE(smtp.DidAuthenticate());
    EXPECT_EQ(smtp.LastCmdResult().Text, QStringList {"OK: queued as 1"});
    smtp.Disconnect();
    EXPECT_FALSE(smtp.DidAuthenticate());
    EXPECT_FALSE(smtp.Connected());

    const QByteArray expected = "EHLO smtp.example.com\r\n"
                                "RSET\r\n"
                                "AUTH LOGIN\r\n"
                                "dGFybw==\r\n"
                                "c2VjcmV0\r\n"
                                "MAIL FROM:<taro@example.com>\r\n"
                                "RCPT TO:<hanako@example.jp>\r\n"
                                "DATA\r\n"
        + MessageBytes() + ".\r\nQUIT\r\n";
    EXPECT_EQ(server.Received(), expected);
    EXPECT_TRUE(server.Received().contains("\r\n..a line with a leading dot\r\n"));
    EXPECT_EQ(server.Error(), QString());
}

TEST_F(SmtpClientTest, AuthenticatesOnlyWhenChosenAdvertisedAndPossible)
{
    struct Case
    {
        const char *name;
        QList<QByteArray> helloReplies; // to EHLO, and to HELO when EHLO is refused
        bool useEhlo;
        AuthenticationKind auth;
        QByteArray expectedHello;
        bool authenticates;
    };
    const Case cases[] = {
        {"EHLO refused: HELO, no AUTH",
         {"500 Command not recognized\r\n", "250 mail.example.com\r\n"},
         true,
         atLogin,
         "EHLO smtp.example.com\r\nHELO smtp.example.com\r\n",
         false},
        {"LOGIN in the old form",
         {"250-mail.example.com\r\n250 AUTH=LOGIN\r\n"},
         true,
         atLogin,
         "EHLO smtp.example.com\r\n",
         true},
        {"LOGIN not offered",
         {"250-mail.example.com\r\n250 AUTH PLAIN CRAM-MD5\r\n"},
         true,
         atLogin,
         "EHLO smtp.example.com\r\n",
         false},
        {"authentication not chosen", {kEhloWithLogin}, true, atNone, "EHLO smtp.example.com\r\n", false},
        // Turning EHLO off turns authentication off with it.
        {"EHLO off", {"250 mail.example.com\r\n"}, false, atLogin, "HELO smtp.example.com\r\n", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedServer server;
        server.Send(kGreeting);
        for (const QByteArray &reply : c.helloReplies)
            server.Reply(reply);
        server.Reply("250 Flushed\r\n");
        if (c.authenticates) {
            server.Reply("334 x\r\n");
            server.Reply("334 y\r\n");
            server.Reply("235 ok\r\n");
        }
        server.Reply("250 OK\r\n");
        server.Reply("250 OK\r\n");
        server.Reply("354 go\r\n");
        server.ReadUntil("\r\n.\r\n").Send("250 OK\r\n");
        server.Start();

        TIdSMTP smtp;
        Prepare(smtp, server);
        smtp.SetAuthenticationType(c.auth);
        smtp.SetUseEhlo(c.useEhlo);
        EXPECT_EQ(smtp.AuthenticationType(), c.useEhlo ? c.auth : atNone);
        smtp.Connect();
        smtp.Send(m_msg);
        EXPECT_EQ(smtp.DidAuthenticate(), c.authenticates);
        smtp.Disconnect();

        const QByteArray expected = c.expectedHello + "RSET\r\n"
            + (c.authenticates ? QByteArray("AUTH LOGIN\r\ndGFybw==\r\nc2VjcmV0\r\n") : QByteArray())
            + "MAIL FROM:<taro@example.com>\r\nRCPT TO:<hanako@example.jp>\r\nDATA\r\n" + MessageBytes()
            + ".\r\nQUIT\r\n";
        EXPECT_EQ(server.Received(), expected);
    }
}

TEST_F(SmtpClientTest, ARefusalAtAnyStepCarriesTheCodeAndText)
{
    // The replies of a whole dialogue; each case refuses at one step.
    const QList<QByteArray> replies
        = {kGreeting,    kEhloWithLogin, "250 Flushed\r\n", "334 a\r\n", "334 b\r\n",
           "235 ok\r\n", "250 OK\r\n",   "250 OK\r\n",      "354 go\r\n"};
    const QList<QByteArray> commands = {"",
                                        "EHLO smtp.example.com\r\n",
                                        "RSET\r\n",
                                        "AUTH LOGIN\r\n",
                                        "dGFybw==\r\n",
                                        "c2VjcmV0\r\n",
                                        "MAIL FROM:<taro@example.com>\r\n",
                                        "RCPT TO:<hanako@example.jp>\r\n",
                                        "DATA\r\n"};
    struct Case
    {
        int step; // index into replies; 9 is the reply to the final "."
        QByteArray refusal;
        int code;
        QString text;
    };
    const Case cases[] = {
        {0, "421 4.3.2 Service not available\r\n", 421, "4.3.2 Service not available"},
        {3, "504 5.5.4 Unrecognized authentication type\r\n", 504, "5.5.4 Unrecognized authentication type"},
        {4, "535 5.7.8 Authentication credentials invalid\r\n", 535,
         "5.7.8 Authentication credentials invalid"},
        {5, "535 5.7.8 Authentication credentials invalid\r\n", 535,
         "5.7.8 Authentication credentials invalid"},
        {6, "530 5.7.0 Authentication required\r\n", 530, "5.7.0 Authentication required"},
        {7, "550-5.1.1 No such user\r\n550 5.1.1 Try again\r\n", 550,
         "5.1.1 No such user\r\n5.1.1 Try again"},
        {8, "451 4.3.0 Try later\r\n", 451, "4.3.0 Try later"},
        {9, "552 5.3.4 Message too big\r\n", 552, "5.3.4 Message too big"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.step);
        ScriptedServer server;
        QByteArray expected;
        for (int i = 0; i <= c.step && i < replies.size(); ++i) {
            if (i > 0)
                server.ReadLine();
            server.Send(i == c.step ? c.refusal : replies[i]);
            expected += commands[i];
        }
        if (c.step == 9) {
            server.ReadUntil("\r\n.\r\n").Send(c.refusal);
            expected += MessageBytes() + ".\r\n";
        }
        server.Start();

        TIdSMTP smtp;
        Prepare(smtp, server);
        smtp.SetAuthenticationType(atLogin);
        try {
            smtp.Connect();
            smtp.Send(m_msg);
            ADD_FAILURE() << "the refusal was accepted";
        } catch (const EIdProtocolReplyError &e) {
            EXPECT_EQ(e.ReplyErrorCode(), c.code);
            EXPECT_EQ(e.Message(), c.text);
        }
        // A failure inside Connect has already disconnected, with QUIT.
        EXPECT_EQ(smtp.Connected(), c.step > 1);
        smtp.Disconnect();
        EXPECT_EQ(server.Received(), expected + "QUIT\r\n");
    }
}

TEST_F(SmtpClientTest, AServerClosingAfterTheGreetingIsAGracefulClose)
{
    ScriptedServer server;
    server.Send(kGreeting).Close();
    server.Start();
    TIdSMTP smtp;
    Prepare(smtp, server);
    EXPECT_THROW(smtp.Connect(), EIdConnClosedGracefully);
    EXPECT_FALSE(smtp.Connected());
}

TEST_F(SmtpClientTest, TheBodyIsOneUnitOfWriteWorkReportedLineByLine)
{
    ScriptedServer server;
    ReplyUpToData(server, kEhloWithLogin);
    server.ReadUntil("\r\n.\r\n").Send("250 OK\r\n");
    server.Start();

    TIdSMTP smtp;
    Prepare(smtp, server);
    QList<qint64> counts;
    QStringList events;
    smtp.OnWorkBegin = [&](CommandConnection &sender, WorkMode mode, qint64 total) {
        EXPECT_EQ(&sender, &smtp);
        events << QStringLiteral("begin %1 %2").arg(mode).arg(total);
    };
    smtp.OnWork = [&](CommandConnection &, WorkMode, qint64 count) {
        counts << count;
    };
    smtp.OnWorkEnd = [&](CommandConnection &, WorkMode mode) {
        events << QStringLiteral("end %1").arg(mode);
    };
    smtp.Connect();
    smtp.Send(m_msg);
    smtp.Disconnect();

    EXPECT_EQ(events, QStringList({"begin 1 0", "end 1"}));
    // One report per body line, counting from the first line after the header.
    const QByteArray message = MessageBytes();
    const QByteArray body = message.mid(message.indexOf("\r\n\r\n") + 4);
    ASSERT_EQ(counts.size(), body.count("\r\n"));
    EXPECT_EQ(counts.first(), body.indexOf("\r\n") + 2);
    EXPECT_EQ(counts.last(), body.size());
}

TEST_F(SmtpClientTest, ADisconnectWhileTheBodyIsSentEndsTheSend)
{
    ScriptedServer server;
    ReplyUpToData(server);
    server.Start();

    TIdSMTP smtp;
    Prepare(smtp, server);
    bool ended = false;
    // The progress handler is where the sending window's cancel button gets its turn.
    smtp.OnWork = [&](CommandConnection &, WorkMode, qint64) {
        smtp.Disconnect();
    };
    smtp.OnWorkEnd = [&](CommandConnection &, WorkMode) {
        ended = true;
    };
    smtp.Connect();
    EXPECT_THROW(smtp.Send(m_msg), EIdConnClosedGracefully);
    EXPECT_TRUE(ended);
    EXPECT_FALSE(smtp.Connected());
    const QByteArray message = MessageBytes();
    const QByteArray firstBodyLine = message.mid(message.indexOf("\r\n\r\n") + 4).split('\r').first();
    EXPECT_TRUE(server.Received().endsWith("\r\n\r\n" + firstBodyLine + "\r\nQUIT\r\n"));
}

TEST_F(SmtpClientTest, AServerThatStopsAnsweringKeepsThePumpGoingUntilDisconnect)
{
    ManualClock clock;
    ScriptedServer server;
    ReplyUpToData(server);
    server.ReadUntil("\r\n.\r\n"); // and no answer
    server.Start();

    TIdSMTP smtp;
    Prepare(smtp, server);
    int pumps = 0;
    smtp.WaitClock = &clock;
    clock.OnPump([&] {
        if (++pumps == 10)
            smtp.Disconnect();
    });
    smtp.Connect();
    EXPECT_THROW(smtp.Send(m_msg), EIdConnClosedGracefully);
    EXPECT_EQ(pumps, 10);
    EXPECT_TRUE(server.Received().endsWith("\r\n.\r\nQUIT\r\n"));
}

TEST_F(SmtpClientTest, AMissingPictureFailsAfterDataWithoutSendingALine)
{
    ASSERT_TRUE(QFile::remove(m_picture));
    ScriptedServer server;
    ReplyUpToData(server);
    server.Start();
    TIdSMTP smtp;
    Prepare(smtp, server);
    smtp.Connect();
    EXPECT_THROW(smtp.Send(m_msg), FileError);
    smtp.Disconnect();
    EXPECT_EQ(server.Received(),
              QByteArray("EHLO smtp.example.com\r\nRSET\r\nMAIL FROM:<taro@example.com>\r\n"
                         "RCPT TO:<hanako@example.jp>\r\nDATA\r\nQUIT\r\n"));
}

TEST_F(SmtpClientTest, AnAddressWithALineBreakIsRefusedBeforeAnyCommand)
{
    // It would smuggle a recipient of its own into the dialogue.
    m_msg.Recipients.first().Address = QStringLiteral("hanako@example.jp>\r\nRCPT TO:<other@example.net");
    ScriptedServer server;
    server.Send(kGreeting);
    server.Reply("250 mail.example.com\r\n");
    server.Start();
    TIdSMTP smtp;
    Prepare(smtp, server);
    smtp.Connect();
    EXPECT_THROW(smtp.Send(m_msg), MessageError);
    smtp.Disconnect();
    EXPECT_EQ(server.Received(), QByteArray("EHLO smtp.example.com\r\nQUIT\r\n"));
}

TEST_F(SmtpClientTest, TheMailAgentBecomesTheXMailerHeaderOrRemovesIt)
{
    for (const QString &agent : {QStringLiteral("Tavrin 2.1"), QString()}) {
        SCOPED_TRACE(agent.toStdString());
        ScriptedServer server;
        ReplyUpToData(server);
        server.ReadUntil("\r\n.\r\n").Send("250 OK\r\n");
        server.Start();
        TIdSMTP smtp;
        Prepare(smtp, server);
        smtp.MailAgent = agent;
        m_msg.ExtraHeaders = {{QStringLiteral("x-mailer"), QStringLiteral("old")}};
        smtp.Connect();
        smtp.Send(m_msg);
        smtp.Disconnect();
        const QByteArray received = server.Received();
        if (agent.isEmpty()) {
            EXPECT_TRUE(m_msg.ExtraHeaders.isEmpty());
            EXPECT_FALSE(received.contains("X-Mailer") || received.contains("x-mailer"));
        } else {
            EXPECT_EQ(m_msg.ExtraHeaders.size(), 1);
            EXPECT_TRUE(received.contains("\r\nx-mailer: Tavrin 2.1\r\n"));
        }
    }
}

} // namespace

namespace {

TEST_F(SmtpClientTest, AReplyQueuedBehind354DoesNotAnswerTheEndOfTheMessage)
{
    ScriptedServer server;
    server.Send(kGreeting);
    for (const QByteArray &reply : {QByteArray("250 mail.example.com\r\n"), QByteArray("250 ok\r\n"),
                                    QByteArray("250 ok\r\n"), QByteArray("250 ok\r\n")})
        server.Reply(reply);
    server.Reply("354 go\r\n250 OK: queued as 1\r\n");
    server.Start();
    TIdSMTP smtp;
    Prepare(smtp, server);
    smtp.Connect();
    try {
        smtp.Send(m_msg);
        ADD_FAILURE() << "the early 250 was taken for the answer";
    } catch (const UnexpectedReplyError &e) {
        EXPECT_EQ(e.Message(),
                  QStringLiteral("Reply before the end of the message:\n\"250 OK: queued as 1\""));
    }
    smtp.Disconnect();
    // Neither the message nor its end went out.
    EXPECT_EQ(server.Received(),
              QByteArray("EHLO smtp.example.com\r\nRSET\r\nMAIL FROM:<taro@example.com>\r\n"
                         "RCPT TO:<hanako@example.jp>\r\nDATA\r\nQUIT\r\n"));
}

TEST_F(SmtpClientTest, AReplyArrivingWhileTheMessageIsWrittenStopsItBeforeTheEnd)
{
    ScriptedNetwork net;
    TransportScript &s = net.Add();
    for (const QByteArray reply :
         {"220 hi\r\n", "250 ok\r\n", "250 ok\r\n", "250 ok\r\n", "250 ok\r\n", "354 go\r\n"})
        s.Arrive(reply);
    TIdSMTP smtp;
    smtp.MakeTransport = net.Factory();
    smtp.HeloName = QStringLiteral("me");
    bool arrived = false;
    smtp.OnWork = [&](CommandConnection &, WorkMode, qint64) {
        if (!arrived) {
            arrived = true;
            s.Arrive("250 2.0.0 Ok\r\n");
        }
    };
    smtp.Connect();
    EXPECT_THROW(smtp.Send(m_msg), UnexpectedReplyError);
    smtp.Disconnect();
    EXPECT_TRUE(arrived);
    EXPECT_TRUE(s.sent.endsWith(MessageBytes() + "QUIT\r\n"));
}

TEST_F(SmtpClientTest, ALineBreakInTheHeloNameIsRefusedBeforeTheConnect)
{
    ScriptedNetwork net;
    TransportScript &s = net.Add();
    TIdSMTP smtp;
    smtp.MakeTransport = net.Factory();
    smtp.HeloName = QStringLiteral("smtp.example.com\r\nRCPT TO:<x@example.net>");
    try {
        smtp.Connect();
        ADD_FAILURE() << "connected";
    } catch (const ValueError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("SMTPサーバー名に改行を含めることはできません。"));
    }
    EXPECT_TRUE(s.log.isEmpty());
}

} // namespace
