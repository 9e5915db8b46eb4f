// The POP3 login for POP before SMTP, against a scripted server.

#include "mail/IdException.h"
#include "mail/IdPOP3.h"
#include "support/ScriptedServer.h"
#include "support/ScriptedTransport.h"

#include <gtest/gtest.h>

namespace {

struct Pop3
{
    explicit Pop3(const ScriptedServer &server)
    {
        client.Host = QStringLiteral("127.0.0.1");
        client.Port = server.Port();
        client.Username = QStringLiteral("taro");
        client.Password = QStringLiteral("secret");
    }
    TIdPOP3 client;
};

TEST(Pop3ClientTest, LogsInWithUserAndPassAndQuitsWithoutReadingTheReply)
{
    ScriptedServer server;
    server.Send("+OK POP3 ready\r\n").ReadLine().Send("+OK\r\n").ReadLine().Send("+OK Logged in.\r\n");
    server.Start();
    Pop3 pop(server);
    EXPECT_EQ(TIdPOP3().Port, 110);
    pop.client.Connect();
    EXPECT_TRUE(pop.client.Connected());
    EXPECT_EQ(pop.client.LastCmdResult().NumericCode, TIdPOP3::wsOk);
    EXPECT_EQ(pop.client.LastCmdResult().Text, QStringList {"Logged in."});
    pop.client.Disconnect();
    EXPECT_FALSE(pop.client.Connected());
    EXPECT_EQ(server.Received(), QByteArray("USER taro\r\nPASS secret\r\nQUIT\r\n"));
    EXPECT_EQ(server.Error(), QString());
}

TEST(Pop3ClientTest, FailuresDuringTheLoginDisconnectWithQuit)
{
    struct Case
    {
        const char *name;
        QByteArray greeting;
        QByteArray userReply;
        QByteArray passReply;
        QByteArray expectedSent;
        int code; // 0: not a reply error
        QString text;
    };
    const Case cases[] = {
        // The text starts after the first four characters, so the blank after "-ERR" stays.
        {"wrong password", "+OK ready\r\n", "+OK\r\n", "-ERR [AUTH] Authentication failed.\r\n",
         "USER taro\r\nPASS secret\r\nQUIT\r\n", TIdPOP3::wsErr, " [AUTH] Authentication failed."},
        {"unknown user", "+OK ready\r\n", "-ERR no such user\r\n", "", "USER taro\r\nQUIT\r\n",
         TIdPOP3::wsErr, " no such user"},
        {"refusing greeting", "-ERR go away\r\n", "", "", "QUIT\r\n", TIdPOP3::wsErr, " go away"},
        {"unrecognised greeting", "220 smtp.example ESMTP\r\n", "", "", "QUIT\r\n", 0,
         "Unrecognized POP3 Response Header:\n\"220 smtp.example ESMTP\""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedServer server;
        server.Send(c.greeting);
        if (!c.userReply.isEmpty())
            server.ReadLine().Send(c.userReply);
        if (!c.passReply.isEmpty())
            server.ReadLine().Send(c.passReply);
        server.Start();
        Pop3 pop(server);
        try {
            pop.client.Connect();
            ADD_FAILURE() << "the login went through";
        } catch (const EIdProtocolReplyError &e) {
            EXPECT_EQ(e.ReplyErrorCode(), c.code);
            EXPECT_EQ(e.Message(), c.text);
        } catch (const EIdException &e) {
            EXPECT_EQ(c.code, 0) << "not a reply error: " << e.what();
            EXPECT_EQ(e.Message(), c.text);
        }
        EXPECT_FALSE(pop.client.Connected());
        EXPECT_EQ(server.Received(), c.expectedSent);
    }
}

TEST(Pop3ClientTest, AServerThatClosesDuringTheLoginIsAGracefulClose)
{
    ScriptedServer server;
    server.Send("+OK ready\r\n").ReadLine().Close();
    server.Start();
    Pop3 pop(server);
    EXPECT_THROW(pop.client.Connect(), EIdConnClosedGracefully);
    EXPECT_FALSE(pop.client.Connected());
    EXPECT_EQ(server.Received(), QByteArray("USER taro\r\n"));
}

} // namespace

namespace {

TEST(Pop3ClientTest, ALineBreakInTheUserOrPasswordIsRefusedBeforeAnythingIsSent)
{
    const struct
    {
        QString user;
        QString password;
        QString message;
    } cases[] = {
        {"u\r\nDELE 1", "secret", "ユーザーＩＤに改行を含めることはできません。"},
        {"taro", "secret\nDELE 1", "パスワードに改行を含めることはできません。"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        ScriptedNetwork net;
        TransportScript &s = net.Add();
        TIdPOP3 pop;
        pop.MakeTransport = net.Factory();
        pop.Username = c.user;
        pop.Password = c.password;
        try {
            pop.Connect();
            ADD_FAILURE() << "connected";
        } catch (const ValueError &e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_TRUE(s.log.isEmpty());
    }
}

} // namespace
