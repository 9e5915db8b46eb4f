// The FTP upload client against a scripted server: login, transfer type, folder, passive store.

#include "mail/IdException.h"
#include "mail/IdFTP.h"
#include "mail/MessageWriter.h"
#include "support/Files.h"
#include "support/ManualClock.h"
#include "support/ScriptedServer.h"
#include "support/ScriptedTransport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class FtpClientTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString MakeFile(const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("tmp.jpg"));
        EXPECT_TRUE(testfiles::write(path, bytes));
        return path;
    }

    void Prepare(TIdFTP &ftp, const ScriptedServer &server)
    {
        ftp.Host = QStringLiteral("127.0.0.1");
        ftp.Port = server.Port();
        ftp.Username = QStringLiteral("taro");
        ftp.Password = QStringLiteral("secret");
    }

    QTemporaryDir m_dir;
};

TEST_F(FtpClientTest, UploadsOverAPassiveDataConnectionAndClosesWithoutQuit)
{
    QByteArray picture(100000, Qt::Uninitialized);
    for (qsizetype i = 0; i < picture.size(); ++i)
        picture[i] = char(i * 7 + i / 256);
    const QString path = MakeFile(picture);

    ScriptedServer server;
    server.FtpLogin().FtpUpload();
    server.Start();

    TIdFTP ftp;
    Prepare(ftp, server);
    QStringList events;
    CommandConnection *sender = nullptr;
    ftp.OnWorkBegin = [&](CommandConnection &s, WorkMode mode, qint64 total) {
        sender = &s;
        events << QStringLiteral("begin %1 %2").arg(mode).arg(total);
    };
    ftp.OnWork = [&](CommandConnection &s, WorkMode, qint64 count) {
        EXPECT_EQ(&s, sender);
        events << QStringLiteral("work %1").arg(count);
    };
    ftp.OnWorkEnd = [&](CommandConnection &, WorkMode) {
        events << QStringLiteral("end");
    };

    ftp.Connect();
    EXPECT_EQ(ftp.Greeting().NumericCode, 220);
    EXPECT_EQ(ftp.Greeting().Text, QStringList {"FTP ready"});
    EXPECT_EQ(ftp.SystemDesc(), QStringLiteral("UNIX Type: L8"));
    ftp.ChangeDir(QStringLiteral("/pub/pictures"));
    ftp.Put(path, QStringLiteral("06-01-07_12-34-56.jpg"));
    EXPECT_TRUE(ftp.Connected());
    ftp.Disconnect();

    EXPECT_EQ(server.Received(),
              QByteArray("USER taro\r\nPASS secret\r\nTYPE I\r\nSYST\r\nCWD /pub/pictures\r\n"
                         "PASV\r\nSTOR 06-01-07_12-34-56.jpg\r\n"));
    EXPECT_EQ(server.DataReceived(), picture);
    EXPECT_EQ(server.Error(), QString());
    // The data connection reports, in pieces of 32768 bytes, with the file size as total.
    EXPECT_NE(sender, &ftp);
    EXPECT_EQ(
        events,
        QStringList({"begin 1 100000", "work 32768", "work 65536", "work 98304", "work 100000", "end"}));
}

TEST_F(FtpClientTest, StoreVariants)
{
    struct Case
    {
        const char *name;
        QByteArray pasv;
        QList<QByteArray> finalReplies;
        QByteArray file;
    };
    const Case cases[] = {
        {"PASV without brackets", "227 Entering Passive Mode 127,0,0,1,%1\r\n", {"226 Done\r\n"}, "abc"},
        // The address in the reply is not where the data goes: the server we talk to is.
        {"PASV naming another host", "227 Entering Passive Mode (10,9,8,7,%1)\r\n", {"226 Done\r\n"}, "abc"},
        {"426 and then 226",
         "227 ok (127,0,0,1,%1)\r\n",
         {"426 Connection closed\r\n", "226 Transfer done\r\n"},
         "xyz"},
        {"450 and then 225", "227 ok (127,0,0,1,%1)\r\n", {"450 Aborted\r\n", "225 Closing\r\n"}, "xyz"},
        {"250 at the end", "227 ok (127,0,0,1,%1)\r\n", {"250 Stored\r\n"}, "xyz"},
        {"a zero-byte file", "227 ok (127,0,0,1,%1)\r\n", {"226 Done\r\n"}, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = MakeFile(c.file);
        ScriptedServer server;
        server.FtpLogin()
            .ReadLine()
            .Pasv(c.pasv)
            .ReadLine()
            .AcceptData()
            .Send("125 Data connection already open\r\n")
            .ReadDataToEnd();
        for (const QByteArray &reply : c.finalReplies)
            server.Send(reply);
        server.Start();
        TIdFTP ftp;
        Prepare(ftp, server);
        ftp.Connect();
        EXPECT_NO_THROW(ftp.Put(path, QStringLiteral("a.jpg")));
        EXPECT_EQ(ftp.LastCmdResult().Text, QStringList {c.finalReplies.last().mid(4).trimmed()});
        ftp.Disconnect();
        EXPECT_EQ(server.Received(),
                  QByteArray("USER taro\r\nPASS secret\r\nTYPE I\r\nSYST\r\nPASV\r\nSTOR a.jpg\r\n"));
        EXPECT_EQ(server.DataReceived(), c.file);
        EXPECT_EQ(server.DataConnections(), 1);
        EXPECT_EQ(server.Error(), QString());
    }
}

TEST_F(FtpClientTest, AUserAcceptedWithoutPasswordIsNotSentPass)
{
    ScriptedServer server;
    server.Send("220 hi\r\n")
        .ReadLine()
        .Send("230 Anonymous access granted\r\n")
        .ReadLine()
        .Send("200 ok\r\n")
        .ReadLine()
        .Send("500 SYST not understood\r\n");
    server.Start();
    TIdFTP ftp;
    Prepare(ftp, server);
    ftp.Connect();
    EXPECT_EQ(ftp.SystemDesc(), QStringLiteral("Unknown"));
    ftp.Disconnect();
    EXPECT_EQ(server.Received(), QByteArray("USER taro\r\nTYPE I\r\nSYST\r\n"));
}

TEST_F(FtpClientTest, RefusalsCarryTheServersCodeAndText)
{
    struct Case
    {
        const char *name;
        QList<QByteArray> replies; // to the greeting, USER, PASS, TYPE, SYST in turn
        QByteArray expectedSent;
        int code;
        QString text;
    };
    const Case cases[] = {
        {"refusing greeting", {"421 Too many users\r\n"}, "", 421, "Too many users"},
        {"wrong password",
         {"220 hi\r\n", "331 Password required\r\n", "530 Login incorrect.\r\n"},
         "USER taro\r\nPASS secret\r\n",
         530,
         "Login incorrect."},
        {"no image type",
         {"220 hi\r\n", "331 Password\r\n", "230 ok\r\n", "504 Type not implemented\r\n"},
         "USER taro\r\nPASS secret\r\nTYPE I\r\n",
         504,
         "Type not implemented"},
        {"SYST refused after a good login",
         {"220 hi\r\n", "331 Password\r\n", "230 ok\r\n", "200 ok\r\n", "502 Not here\r\n"},
         "USER taro\r\nPASS secret\r\nTYPE I\r\nSYST\r\n",
         502,
         "Not here"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedServer server;
        server.Send(c.replies.first());
        for (qsizetype i = 1; i < c.replies.size(); ++i)
            server.ReadLine().Send(c.replies[i]);
        server.Start();
        TIdFTP ftp;
        Prepare(ftp, server);
        try {
            ftp.Connect();
            ADD_FAILURE() << "connected";
        } catch (const EIdProtocolReplyError &e) {
            EXPECT_EQ(e.ReplyErrorCode(), c.code);
            EXPECT_EQ(e.Message(), c.text);
        }
        EXPECT_FALSE(ftp.Connected());
        EXPECT_EQ(server.Received(), c.expectedSent); // and no QUIT
    }
}

TEST_F(FtpClientTest, AStoreRefusedAfterTheDataConnectionOpensRaisesWithTheCode)
{
    const QString path = MakeFile("abc");
    ScriptedServer server;
    server.FtpLogin()
        .ReadLine()
        .Send("250 ok\r\n")
        .ReadLine()
        .Pasv("227 ok (127,0,0,1,%1)\r\n")
        .ReadLine()
        .AcceptData()
        .Send("550 Not enough privileges.\r\n")
        .ReadDataToEnd();
    server.Start();
    TIdFTP ftp;
    Prepare(ftp, server);
    ftp.Connect();
    ftp.ChangeDir(QStringLiteral("up"));
    try {
        ftp.Put(path, QStringLiteral("a.jpg"));
        ADD_FAILURE() << "stored";
    } catch (const EIdProtocolReplyError &e) {
        EXPECT_EQ(e.ReplyErrorCode(), 550);
        EXPECT_EQ(e.Message(), QStringLiteral("Not enough privileges."));
    }
    ftp.Disconnect();
    EXPECT_EQ(server.DataReceived(), QByteArray()); // closed without sending
    EXPECT_EQ(server.Error(), QString());
}

TEST_F(FtpClientTest, AMissingLocalFileFailsBeforePasv)
{
    ScriptedServer server;
    server.FtpLogin().ReadLine().Send("250 ok\r\n");
    server.Start();
    TIdFTP ftp;
    Prepare(ftp, server);
    ftp.Connect();
    ftp.ChangeDir(QStringLiteral("up"));
    EXPECT_THROW(ftp.Put(m_dir.filePath(QStringLiteral("missing.jpg")), QStringLiteral("a.jpg")), FileError);
    ftp.Disconnect();
    EXPECT_EQ(server.Received(), QByteArray("USER taro\r\nPASS secret\r\nTYPE I\r\nSYST\r\nCWD up\r\n"));
}

TEST_F(FtpClientTest, ADisconnectDuringTheTransferEndsItAtOnce)
{
    ManualClock clock;
    // 64 MB into a data connection that the server does not read: the send must wait, pump, and
    // end when the pump disconnects (the sending window's cancel button).
    const QString path = MakeFile(QByteArray(64 << 20, 'p'));
    ScriptedServer server;
    server.FtpLogin()
        .ReadLine()
        .Pasv("227 ok (127,0,0,1,%1)\r\n")
        .ReadLine()
        .AcceptData()
        .Send("150 Go ahead\r\n")
        .Pause(1000);
    server.Start();
    TIdFTP ftp;
    Prepare(ftp, server);
    ftp.Connect();
    int pumps = 0;
    ftp.WaitClock = &clock;
    clock.OnPump([&] {
        ++pumps;
        ftp.Disconnect();
    });
    EXPECT_THROW(ftp.Put(path, QStringLiteral("big.jpg")), EIdConnClosedGracefully);
    EXPECT_EQ(pumps, 1);
    EXPECT_FALSE(ftp.Connected());
}

TEST(FtpPasvTest, ReadsThePortFromEitherReplyForm)
{
    const std::pair<const char *, int> good[] = {
        {"Entering Passive Mode (127,0,0,1,4,1).", 1025},
        {"Entering Passive Mode 192,168,0,10,195,80", 50000},
        {"=(10, 0, 0, 1, 0, 21)", 21},
    };
    for (const auto &[line, port] : good) {
        SCOPED_TRACE(line);
        EXPECT_EQ(TIdFTP::ParsePasvPort(QString::fromLatin1(line)), port);
    }
    const char *bad[] = {"Entering Passive Mode (127,0,0,1,4)",
                         "Entering Passive Mode (a,b,c,d,e,f)",
                         "Entering Passive Mode (127,0,0,1,256,1)",
                         "Entering Passive Mode",
                         "ok (127,0,0,1,0,0)",
                         "Entering Passive Mode (10,0,0,1,191803085,0)"};
    for (const char *line : bad) {
        SCOPED_TRACE(line);
        try {
            TIdFTP::ParsePasvPort(QString::fromLatin1(line));
            ADD_FAILURE() << "accepted";
        } catch (const EIdException &e) {
            EXPECT_EQ(e.Message(),
                      QStringLiteral("Invalid PASV reply: \"%1\"").arg(QString::fromLatin1(line)));
        }
    }
}

} // namespace

namespace {

TEST(FtpInjectionTest, ALineBreakInAnyValueIsRefusedBeforeItsCommand)
{
    struct Case
    {
        QString user;
        QString password;
        QString folder;
        QString name;
        QString message;
    };
    const Case cases[] = {
        {"u\r\nDELE x", "p", "up", "a.jpg", "FTPユーザーIDに改行を含めることはできません。"},
        {"u", "p\nDELE x", "up", "a.jpg", "FTPパスワードに改行を含めることはできません。"},
        {"u", "p", "up\r\nRMD important", "a.jpg", "FTPフォルダに改行を含めることはできません。"},
        {"u", "p", "up", "a.jpg\rDELE b.jpg", "FTPファイル名に改行を含めることはできません。"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        // As the callers do: the upload's values first, then the connect; nothing leaves.
        ScriptedNetwork net;
        TransportScript &s = net.Add();
        TIdFTP ftp;
        ftp.MakeTransport = net.Factory();
        ftp.Username = c.user;
        ftp.Password = c.password;
        try {
            TIdFTP::CheckUpload(c.folder, c.name);
            ftp.Connect();
            ADD_FAILURE() << "connected";
        } catch (const ValueError &e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_TRUE(s.log.isEmpty());
    }

    // A caller that skips the check still sends no CWD or PASV.
    ScriptedNetwork net;
    TransportScript &s = net.Add();
    s.Arrive("220 hi\r\n").Arrive("230 ok\r\n").Arrive("200 ok\r\n").Arrive("215 UNIX\r\n");
    TIdFTP ftp;
    ftp.MakeTransport = net.Factory();
    ftp.Username = QStringLiteral("u");
    ftp.Connect();
    EXPECT_THROW(ftp.ChangeDir(QStringLiteral("up\r\nRMD x")), ValueError);
    EXPECT_THROW(ftp.Put(QStringLiteral("/nonexistent"), QStringLiteral("a\nDELE b")), ValueError);
    ftp.Disconnect();
    EXPECT_EQ(s.sent, QByteArray("USER u\r\nTYPE I\r\nSYST\r\n"));
}

} // namespace
