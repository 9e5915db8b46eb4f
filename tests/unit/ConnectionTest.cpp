// The connection layer under the three clients, against a scripted loopback server: the reply
// reader, the line limit, closed and broken connections, socket errors and waits that pump.

#include "mail/CommandConnection.h"
#include "mail/IdException.h"
#include "mail/WinsockErrors.h"
#include "support/Loopback.h"
#include "support/ManualClock.h"
#include "support/ScriptedServer.h"

#include <QElapsedTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <gtest/gtest.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

void ConnectTo(CommandConnection &connection, const ScriptedServer &server)
{
    connection.Host = QStringLiteral("127.0.0.1");
    connection.Port = server.Port();
    connection.Connect();
}

TEST(ConnectionTest, ReadsRepliesAsTheServerSendsThem)
{
    struct Case
    {
        const char *name;
        QList<QByteArray> packets; // sent with a pause between them
        QString textCode;
        int numericCode;
        QStringList text;
    };
    const Case cases[] = {
        {"single line", {"220 mail.example ESMTP ready\r\n"}, "220", 220, {"mail.example ESMTP ready"}},
        {"bare LF ends a line", {"220 ready\n"}, "220", 220, {"ready"}},
        {"multi-line split across packets",
         {"250-mail.example\r\n250-AU", "TH LOGIN PLAIN\r", "\n250 8BITMIME\r\n"},
         "250",
         250,
         {"mail.example", "AUTH LOGIN PLAIN", "8BITMIME"}},
        {"empty lines are skipped and blanks trimmed",
         {"\r\n  \r\n250-first  \r\n\r\n 250 last\t\r\n"},
         "250",
         250,
         {"first", "last"}},
        {"a continuation without the code is taken whole",
         {"214-Commands:\r\n    HELO EHLO\r\n214 End\r\n"},
         "214",
         214,
         {"Commands:", "HELO EHLO", "End"}},
        {"a line shorter than four characters ends the reply",
         {"250-first\r\n250\r\n"},
         "250",
         250,
         {"first", ""}},
        {"the end line is matched without regard to case",
         {"abc-one\r\nABC two\r\n"},
         "abc",
         0,
         {"one", "two"}},
        {"a code that is no number", {"+OK Dovecot ready.\r\n"}, "+OK", 0, {"Dovecot ready."}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedServer server;
        for (const QByteArray &packet : c.packets)
            server.Send(packet).Pause(30);
        server.Start();
        CommandConnection connection;
        ConnectTo(connection, server);
        EXPECT_EQ(connection.GetResponse({}), c.numericCode);
        EXPECT_EQ(connection.LastCmdResult().TextCode, c.textCode);
        EXPECT_EQ(connection.LastCmdResult().NumericCode, c.numericCode);
        EXPECT_EQ(connection.LastCmdResult().Text, c.text);
        connection.Disconnect();
        EXPECT_EQ(server.Error(), QString());
    }
}

TEST(ConnectionTest, CommandWritesItsLineAndChecksTheReplyCode)
{
    ScriptedServer server;
    server.Send("220 hi\r\n")
        .ReadLine()
        .Send("250 ok\r\n")
        .ReadLine()
        .Send("550-No such user here\r\n550 Try another\r\n");
    server.Start();
    CommandConnection connection;
    ConnectTo(connection, server);
    connection.GetResponse({220});
    EXPECT_EQ(connection.SendCmd(QStringLiteral("NOOP"), {250}), 250);
    try {
        connection.SendCmd(QStringLiteral("RCPT TO:<x@example.com>"), {250, 251});
        FAIL() << "550 was accepted";
    } catch (const EIdProtocolReplyError &e) {
        EXPECT_EQ(e.ReplyErrorCode(), 550);
        EXPECT_EQ(e.Message(), QStringLiteral("No such user here\r\nTry another"));
    }
    connection.Disconnect();
    EXPECT_EQ(server.Received(), QByteArray("NOOP\r\nRCPT TO:<x@example.com>\r\n"));
}

TEST(ConnectionTest, TwoRepliesInOnePacketAreReadOneAfterTheOther)
{
    ScriptedServer server;
    server.Send("220 first\r\n221 second\r\n");
    server.Start();
    CommandConnection connection;
    ConnectTo(connection, server);
    EXPECT_EQ(connection.GetResponse({220}), 220);
    EXPECT_EQ(connection.GetResponse({221}), 221);
    EXPECT_EQ(connection.LastCmdResult().Text, QStringList {"second"});
    connection.Disconnect();
}

TEST(ConnectionTest, LinesUpTo16384BytesAreAcceptedAndLongerOnesRaise)
{
    const QByteArray longest = "220 " + QByteArray(16380, 'x');
    const QByteArray tooLong = "220 " + QByteArray(16381, 'y');
    ScriptedServer server;
    server.Send(longest + "\r\n" + tooLong + "\r\n");
    server.Start();
    CommandConnection connection;
    ConnectTo(connection, server);
    EXPECT_EQ(connection.ReadLn(), longest);
    try {
        connection.ReadLn();
        FAIL() << "a line of 16385 bytes was accepted";
    } catch (const EIdReadLnMaxLineLengthExceeded &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Max line length exceeded."));
    }
    // The line stays unread.
    connection.MaxLineLength = 20000;
    EXPECT_EQ(connection.ReadLn(), tooLong);
    connection.Disconnect();
}

TEST(ConnectionTest, AnOverlongLineRaisesWithoutWaitingForItsEnd)
{
    // The server sends 40000 bytes and then nothing: the reader must not wait for a line end.
    ScriptedServer server;
    server.Send("220-" + QByteArray(40000, 'z'));
    server.Start();
    CommandConnection connection;
    ConnectTo(connection, server);
    EXPECT_THROW(connection.GetResponse({220}), EIdReadLnMaxLineLengthExceeded);
    connection.Disconnect();
}

TEST(ConnectionTest, ServerCloseIsAGracefulCloseAtTheNextRead)
{
    ScriptedServer server;
    server.Send("220 hi\r\n").ReadLine().Close();
    server.Start();
    CommandConnection connection;
    ConnectTo(connection, server);
    connection.GetResponse({220});
    try {
        connection.SendCmd(QStringLiteral("EHLO me"));
        FAIL() << "no failure after the server closed";
    } catch (const EIdConnClosedGracefully &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Connection Closed Gracefully."));
    }
    EXPECT_FALSE(connection.Connected());
    // Every later operation fails the same way.
    EXPECT_THROW(connection.WriteLn("NOOP"), EIdConnClosedGracefully);
    EXPECT_THROW(connection.ReadLn(), EIdConnClosedGracefully);
    EXPECT_EQ(server.Received(), QByteArray("EHLO me\r\n"));
}

TEST(ConnectionTest, ALastLineWithoutItsEndIsStillRead)
{
    ScriptedServer server;
    server.Send("221 bye").Close();
    server.Start();
    CommandConnection connection;
    ConnectTo(connection, server);
    EXPECT_EQ(connection.GetResponse({221}), 221);
    EXPECT_EQ(connection.LastCmdResult().Text, QStringList {"bye"});
    EXPECT_THROW(connection.ReadLn(), EIdConnClosedGracefully);
}

TEST(ConnectionTest, AResetConnectionIsSocketError10054)
{
    ScriptedServer server;
    server.Send("220 hi\r\n").ReadLine().Reset();
    server.Start();
    CommandConnection connection;
    ConnectTo(connection, server);
    connection.GetResponse({220});
    try {
        connection.SendCmd(QStringLiteral("NOOP"));
        FAIL() << "no failure after a reset";
    } catch (const EIdSocketError &e) {
        EXPECT_EQ(e.LastError(), 10054);
        EXPECT_EQ(e.Message(), QStringLiteral("Socket Error # 10054\r\nConnection reset by peer."));
    }
    connection.Disconnect();
}

TEST(ConnectionTest, ARefusedConnectIsSocketError10061)
{
    RefusingPort port;
    CommandConnection connection;
    connection.Host = QStringLiteral("127.0.0.1");
    connection.Port = port.Port();
    try {
        connection.Connect();
        FAIL() << "connected to a closed port";
    } catch (const EIdSocketError &e) {
        EXPECT_EQ(e.LastError(), 10061);
        EXPECT_EQ(e.Message(), QStringLiteral("Socket Error # 10061\r\nConnection refused."));
    }
    EXPECT_FALSE(connection.Connected());
}

TEST(ConnectionTest, ANameThatDoesNotResolveIsSocketError11001)
{
    // A name with blanks fails in the resolver itself, with or without a name server.
    CommandConnection connection;
    connection.Host = QStringLiteral("smtp example.invalid");
    connection.Port = 25;
    try {
        connection.Connect();
        FAIL() << "resolved a name with blanks";
    } catch (const EIdSocketError &e) {
        EXPECT_EQ(e.LastError(), 11001);
        EXPECT_EQ(e.Message(), QStringLiteral("Socket Error # 11001\r\nHost not found."));
    }
    EXPECT_FALSE(connection.Connected());
}

TEST(ConnectionTest, SystemErrorsGetTheirWindowsSocketsNumbers)
{
    // What loopback cannot provoke: time-outs and unreachable hosts.
    const std::pair<int, int> errnos[] = {
        {ETIMEDOUT, 10060},    {ECONNREFUSED, 10061}, {EHOSTUNREACH, 10065},
        {ENETUNREACH, 10065},  {ECONNRESET, 10054},   {EPIPE, 10054},
        {ECONNABORTED, 10053}, {ENOTSOCK, 10038},     {ENOENT, 10107},
    };
    for (const auto &[posix, wsa] : errnos) {
        SCOPED_TRACE(posix);
        EXPECT_EQ(WinsockErrors::FromErrno(posix), wsa);
    }
    EXPECT_EQ(WinsockErrors::FromAddrInfo(EAI_NONAME, 0), 11001);
    EXPECT_EQ(WinsockErrors::FromAddrInfo(EAI_AGAIN, 0), 11002);
    EXPECT_EQ(WinsockErrors::FromAddrInfo(EAI_SYSTEM, ETIMEDOUT), 10060);
    EXPECT_EQ(EIdSocketError(10060).Message(),
              QStringLiteral("Socket Error # 10060\r\nConnection timed out."));
    EXPECT_EQ(EIdSocketError(10065).Message(), QStringLiteral("Socket Error # 10065\r\nNo route to host."));
}

TEST(ConnectionTest, AWaitForASilentServerPumpsAndEndsWhenThePumpDisconnects)
{
    ManualClock clock;
    ScriptedServer server;
    server.Send("220 hi\r\n").ReadLine(); // then silence
    server.Start();
    CommandConnection connection;
    int pumps = 0;
    qint64 longestGap = 0;
    QElapsedTimer gap;
    connection.WaitClock = &clock;
    clock.OnPump([&] {
        if (pumps > 0)
            longestGap = std::max(longestGap, gap.restart());
        else
            gap.start();
        if (++pumps == 5)
            connection.Disconnect();
    });
    ConnectTo(connection, server);
    connection.GetResponse({220});
    EXPECT_THROW(connection.SendCmd(QStringLiteral("NOOP")), EIdConnClosedGracefully);
    EXPECT_EQ(pumps, 5);
    EXPECT_LT(longestGap, 1000); // slices of 50 ms, with room for a loaded machine
    EXPECT_FALSE(connection.Connected());
    EXPECT_EQ(server.Received(), QByteArray("NOOP\r\n"));
    EXPECT_EQ(server.Error(), QString());
}

// A peer that sends lines with nothing in them as fast as it can: the blank lines count against the
// reply's line limit, the reply's deadline is looked at while bytes keep coming, and so is the pump.
TEST(ConnectionTest, AFloodOfBlankLinesEndsAtTheLineLimitTheDeadlineOrThePump)
{
    ManualClock clock;
    enum Ending { LineLimit, Deadline, PumpDisconnects };
    const struct
    {
        const char *name;
        QByteArray flood;
        Ending ending;
    } cases[] = {
        {"CR LF at the line limit", "\r\n", LineLimit},
        {"bare LF at the line limit", "\n", LineLimit},
        {"spaces at the line limit", "  \t \r\n", LineLimit},
        {"CR LF past the deadline", "\r\n", Deadline},
        {"spaces past the deadline", " \r\n", Deadline},
        {"CR LF until the pump disconnects", "\r\n", PumpDisconnects},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedServer server;
        server.Send("220 hi\r\n").ReadLine().Flood(c.flood, ScriptedServer::StepTimeoutMs);
        server.Start();
        CommandConnection connection;
        int pumps = 0;
        connection.WaitClock = &clock;
        clock.OnPump([&] {
            if (++pumps == 3 && c.ending == PumpDisconnects)
                connection.Disconnect();
        });
        if (c.ending != LineLimit)
            connection.MaxReplyLines = 1 << 30;
        if (c.ending == Deadline)
            connection.ReadTimeout = 300;
        ConnectTo(connection, server);
        connection.GetResponse({220});
        switch (c.ending) {
        case LineLimit:
            EXPECT_THROW(connection.SendCmd(QStringLiteral("NOOP")), ReplyLinesExceededError);
            break;
        case Deadline:
            EXPECT_THROW(connection.SendCmd(QStringLiteral("NOOP")), TimeoutError);
            EXPECT_GT(pumps, 0); // the window went on while the bytes came
            break;
        case PumpDisconnects:
            EXPECT_THROW(connection.SendCmd(QStringLiteral("NOOP")), EIdConnClosedGracefully);
            EXPECT_EQ(pumps, 3);
            break;
        }
        connection.Disconnect();
        EXPECT_TRUE(server.Received().startsWith("NOOP\r\n"));
    }
}

TEST(ConnectionTest, AWriteToAServerThatStopsReadingPumpsAndEndsOnDisconnect)
{
    ManualClock clock;
    ScriptedServer server;
    server.Send("220 hi\r\n").Pause(1000); // reads nothing for a while
    server.Start();
    CommandConnection connection;
    int pumps = 0;
    connection.WaitClock = &clock;
    clock.OnPump([&] {
        ++pumps;
        connection.Disconnect();
    });
    ConnectTo(connection, server);
    connection.GetResponse({220});
    const QByteArray megabyte(1 << 20, 'm');
    int written = 0;
    try {
        for (; written < 256; ++written)
            connection.Write(megabyte);
        FAIL() << "256 MB went into a connection that nobody reads";
    } catch (const EIdConnClosedGracefully &) { }
    EXPECT_EQ(pumps, 1);
    EXPECT_GT(written, 0);
    EXPECT_FALSE(connection.Connected());
}

TEST(ConnectionTest, AConnectThatHangsPumpsAndEndsOnDisconnect)
{
    ManualClock clock;
    // A listener whose queue is full drops further connection requests, so a connect waits.
    quint16 port = 0;
    const int listener = LoopbackSocket(&port, 0);
    ASSERT_GE(listener, 0);
    CommandConnection queued;
    queued.Host = QStringLiteral("127.0.0.1");
    queued.Port = port;
    queued.Connect();

    CommandConnection connection;
    connection.Host = queued.Host;
    connection.Port = queued.Port;
    int pumps = 0;
    connection.WaitClock = &clock;
    clock.OnPump([&] {
        if (++pumps == 3)
            connection.Disconnect();
    });
    EXPECT_THROW(connection.Connect(), EIdConnClosedGracefully);
    EXPECT_EQ(pumps, 3);
    EXPECT_FALSE(connection.Connected());
    ::close(listener);
}

TEST(ConnectionTest, OnlyTheOutermostUnitOfWorkIsReported)
{
    ScriptedServer server;
    server.Send("220 hi\r\n");
    server.Start();
    CommandConnection connection;
    QStringList events;
    connection.OnWorkBegin = [&](CommandConnection &sender, WorkMode mode, qint64 total) {
        EXPECT_EQ(&sender, &connection);
        events << QStringLiteral("begin %1 %2").arg(mode).arg(total);
    };
    connection.OnWork = [&](CommandConnection &, WorkMode mode, qint64 count) {
        events << QStringLiteral("work %1 %2").arg(mode).arg(count);
    };
    connection.OnWorkEnd = [&](CommandConnection &, WorkMode mode) {
        events << QStringLiteral("end %1").arg(mode);
    };
    ConnectTo(connection, server);
    connection.GetResponse({220}); // no unit of read work is open: nothing reported
    connection.WriteLn("before");
    connection.BeginWork(wmWrite, 100);
    connection.BeginWork(wmWrite, 5);
    connection.WriteLn("abc");
    connection.EndWork(wmWrite);
    connection.WriteLn("defgh");
    connection.EndWork(wmWrite);
    connection.WriteLn("after");
    connection.Disconnect();
    EXPECT_EQ(events, QStringList({"begin 1 100", "work 1 5", "work 1 12", "end 1"}));
    EXPECT_EQ(server.Received(), QByteArray("before\r\nabc\r\ndefgh\r\nafter\r\n"));
}

} // namespace
