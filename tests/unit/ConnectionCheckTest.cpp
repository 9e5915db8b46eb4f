// The settings dialog's connection test against scripted servers: what it reports and that it
// sends no mail.

#include "mail/ConnectionCheck.h"
#include "support/ManualClock.h"
#include "support/ScriptedServer.h"
#include "support/TestCertificates.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ConnectionCheckTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_options.caFile = m_dir.filePath(QStringLiteral("ca.pem"));
        ASSERT_TRUE(m_ca.WriteTo(m_options.caFile));
        m_options.timeoutMs = 20000;
        m_settings.SMTPServer = QStringLiteral("localhost");
        m_settings.UserID = QStringLiteral("taro");
        m_settings.PassWord = QStringLiteral("secret");
        m_settings.UseSMTPAuth = true;
    }

    testcerts::Authority m_ca;
    QTemporaryDir m_dir;
    ManualClock m_clock;
    ConnectionCheckOptions m_options;
    TUserData m_settings;
};

TEST_F(ConnectionCheckTest, ReportsTlsMechanismsAndTheLoginWithoutSendingMail)
{
    const testcerts::KeyPair cert = m_ca.Issue(QStringLiteral("localhost"));
    ScriptedServer server;
    // A slow greeting: the wait for it pumps.
    server.Pause(150).Send("220 mail.example.com ESMTP\r\n");
    server.Reply("250-mail.example.com\r\n250 STARTTLS\r\n");
    server.Reply("220 go ahead\r\n").StartTls(cert.certPem, cert.keyPem);
    server.Reply("250-mail.example.com\r\n250 AUTH LOGIN PLAIN\r\n");
    server.Reply("334 x\r\n");
    server.Reply("334 y\r\n");
    server.Reply("235 ok\r\n");
    server.Start();
    m_settings.SMTPPort = server.Port();
    int pumps = 0;
    m_options.clock = &m_clock;
    m_clock.OnPump([&] { ++pumps; });

    const ConnectionReport report = CheckMailServers(m_settings, m_options);
    EXPECT_TRUE(report.ok);
    EXPECT_EQ(report.lines,
              QStringList({QStringLiteral("SMTPサーバー localhost（ポート %1）").arg(server.Port()),
                           "暗号化：TLSv1.3", "認証方式：LOGIN PLAIN", "ログイン：成功"}));
    EXPECT_EQ(server.Received(),
              QByteArray("EHLO localhost\r\nSTARTTLS\r\nEHLO localhost\r\nAUTH LOGIN\r\ndGFybw==\r\n"
                         "c2VjcmV0\r\nQUIT\r\n"));
    EXPECT_EQ(server.Error(), QString());
    EXPECT_GT(pumps, 0);
}

TEST_F(ConnectionCheckTest, ReportsWhatFails)
{
    struct Case
    {
        const char *name;
        EncryptionMode mode;
        bool usePop3;
        QList<QByteArray> replies; // to the greeting, EHLO, AUTH LOGIN, user, password
        QStringList findings; // after the server line
        bool ok;
    };
    const Case cases[] = {
        {"a wrong password",
         EncryptionMode::Auto,
         false,
         {"220 hi\r\n", "250-mail\r\n250 AUTH LOGIN\r\n", "334 x\r\n", "334 y\r\n",
          "535 5.7.8 Bad credentials\r\n"},
         {"暗号化：なし",
          "注意：サーバーが暗号化通信（TLS）に対応していないため、パスワードは暗号化されずに送られます",
          "認証方式：LOGIN", "失敗：[535] 5.7.8 Bad credentials"},
         false},
        {"TLS off although the server offers it",
         EncryptionMode::None,
         false,
         {"220 hi\r\n", "250-mail\r\n250-STARTTLS\r\n250 AUTH LOGIN\r\n", "334 x\r\n", "334 y\r\n",
          "235 ok\r\n"},
         {"暗号化：なし（サーバーはSTARTTLSに対応しています）", "認証方式：LOGIN", "ログイン：成功"},
         true},
        {"TLS required but not offered",
         EncryptionMode::Required,
         false,
         {"220 hi\r\n", "250-mail\r\n250 AUTH LOGIN\r\n"},
         {"失敗：サーバーが暗号化通信（TLS）に対応していません。"},
         false},
        {"no mechanism to log in with",
         EncryptionMode::Auto,
         false,
         {"220 hi\r\n", "250-mail\r\n250 AUTH CRAM-MD5\r\n"},
         {"暗号化：なし",
          "注意：サーバーが暗号化通信（TLS）に対応していないため、パスワードは暗号化されずに送られます",
          "認証方式：CRAM-MD5", "ログイン：サーバーが使える認証方式（LOGIN、PLAIN）を示しません"},
         false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedServer server;
        server.Send(c.replies.first());
        for (qsizetype i = 1; i < c.replies.size(); ++i)
            server.Reply(c.replies[i]);
        server.Start();
        TUserData settings = m_settings;
        settings.SMTPPort = server.Port();
        settings.MailEncryption = c.mode;
        const ConnectionReport report = CheckMailServers(settings, m_options);
        EXPECT_EQ(report.ok, c.ok);
        EXPECT_EQ(report.lines,
                  QStringList {QStringLiteral("SMTPサーバー localhost（ポート %1）").arg(server.Port())}
                      + c.findings);
        EXPECT_FALSE(server.Received().contains("MAIL FROM"));
    }
}

TEST_F(ConnectionCheckTest, TheFtpServerIsReportedOrItsPortRefused)
{
    TUserData settings;
    settings.Host = QStringLiteral("127.0.0.1");
    settings.Port = QStringLiteral("twenty-one");
    ConnectionReport report = CheckFtpServer(settings, m_options);
    EXPECT_FALSE(report.ok);
    EXPECT_EQ(report.lines, QStringList {"失敗：FTPポート番号「twenty-one」は数値ではありません。"});
    settings.Port = QStringLiteral("70000");
    report = CheckFtpServer(settings, m_options);
    EXPECT_FALSE(report.ok);
    EXPECT_EQ(report.lines, QStringList {"失敗：FTPポート番号「70000」は数値ではありません。"});

    RefusingPort refusing;
    settings.Port = QString::number(refusing.Port());
    report = CheckFtpServer(settings, m_options);
    EXPECT_FALSE(report.ok);
    EXPECT_EQ(report.lines,
              QStringList({QStringLiteral("FTPサーバー 127.0.0.1（ポート %1）").arg(refusing.Port()),
                           "失敗：Socket Error # 10061 Connection refused."}));

    ScriptedServer server;
    server.Send("220 hi\r\n");
    for (const QByteArray reply :
         {"500 AUTH not understood\r\n", "331 pass\r\n", "230 ok\r\n", "200 ok\r\n", "215 UNIX\r\n"})
        server.Reply(reply);
    server.Start();
    settings.Port = QString::number(server.Port());
    settings.FTPUserID = QStringLiteral("taro");
    settings.FTPPassword = QStringLiteral("secret");
    report = CheckFtpServer(settings, m_options);
    EXPECT_TRUE(report.ok);
    EXPECT_EQ(
        report.lines,
        QStringList(
            {QStringLiteral("FTPサーバー 127.0.0.1（ポート %1）").arg(server.Port()), "暗号化：なし",
             "注意：サーバーが暗号化通信（TLS）に対応していないため、パスワードは暗号化されずに送られます",
             "ログイン：成功"}));
    EXPECT_EQ(server.Received(), QByteArray("AUTH TLS\r\nUSER taro\r\nPASS secret\r\nTYPE I\r\nSYST\r\n"));
}

} // namespace
