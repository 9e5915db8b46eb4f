// The clients over a scripted transport: when bytes arrive relative to the pump calls, and what a
// cancel or a watchdog inside a wait does to the dialogue.

#include "mail/IdException.h"
#include "mail/IdFTP.h"
#include "mail/IdPOP3.h"
#include "mail/IdSMTP.h"
#include "support/Files.h"
#include "support/ManualClock.h"
#include "support/ScriptedTransport.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct WatchdogFired
{
};

TEST(ScriptedDialogueTest, ALoginWhoseRepliesArriveBetweenPumpsReadsAsOneDialogue)
{
    ManualClock clock;
    ScriptedNetwork net;
    TransportScript &s = net.Add();
    s.connectSlices = 1;
    s.Silence(2).Arrive("+OK re").Silence(1).Arrive("ady\r\n").Arrive("+OK\r\n").Arrive("+OK Logged in.\r\n");
    TIdPOP3 pop;
    pop.MakeTransport = net.Factory();
    pop.Host = QStringLiteral("pop.example.com");
    pop.Username = QStringLiteral("taro");
    pop.Password = QStringLiteral("secret");
    int pumps = 0;
    pop.WaitClock = &clock;
    clock.OnPump([&] { ++pumps; });
    pop.Connect();
    pop.Disconnect();
    EXPECT_EQ(pumps, 4);
    EXPECT_EQ(s.log,
              QStringList({"connect pop.example.com:110", "pump", "pump", "pump", "receive +OK re", "pump",
                           "receive ady\r\n", "send USER taro\r\n", "receive +OK\r\n", "send PASS secret\r\n",
                           "receive +OK Logged in.\r\n", "goodbye QUIT\r\n", "close"}));
}

class CancelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString picture = m_dir.filePath(QStringLiteral("tmp.jpg"));
        ASSERT_TRUE(testfiles::write(picture, QByteArray(300, '\x11')));
        m_msg.From = {QStringLiteral("Taro"), QStringLiteral("taro@example.com")};
        m_msg.Recipients = {{QStringLiteral("Hanako"), QStringLiteral("hanako@example.jp")}};
        m_msg.Subject = QStringLiteral("Picture");
        m_msg.Body = {"Hello"};
        m_msg.MessageParts = {TIdAttachment(picture)};
        m_smtp.MakeTransport = m_net.Factory();
        m_smtp.Host = QStringLiteral("smtp.example.com");
        m_smtp.HeloName = m_smtp.Host;
    }

    QTemporaryDir m_dir;
    TIdMessage m_msg;
    ScriptedNetwork m_net;
    ManualClock m_clock;
    TIdSMTP m_smtp;
};

// The cancel button disconnects the active client from inside a wait; the wait ends at that
// slice, the client's goodbye goes out when the connection was open, and nothing follows it.
TEST_F(CancelTest, ACancelInsideAnyWaitEndsTheDialogueAtThatSlice)
{
    ManualClock clock;
    struct Case
    {
        const char *name;
        int connectSlices;
        int sendSlices;
        QList<QByteArray> replies; // before the silence
        bool connected; // whether Connect gets through
        QByteArray sentBefore; // up to the cancel
    };
    const Case cases[] = {
        {"during the connect", -1, 0, {}, false, ""},
        {"waiting for the greeting", 0, 0, {}, false, "QUIT\r\n"},
        {"waiting for the EHLO reply", 0, 0, {"220 hi\r\n"}, false, "EHLO smtp.example.com\r\nQUIT\r\n"},
        {"waiting for the RSET reply",
         0,
         0,
         {"220 hi\r\n", "250 ok\r\n"},
         true,
         "EHLO smtp.example.com\r\nRSET\r\nQUIT\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedNetwork net;
        TransportScript &s = net.Add();
        s.connectSlices = c.connectSlices;
        s.sendSlices = c.sendSlices;
        for (const QByteArray &reply : c.replies)
            s.Arrive(reply);
        s.SilenceForEver();
        TIdSMTP smtp;
        smtp.MakeTransport = net.Factory();
        smtp.Host = QStringLiteral("smtp.example.com");
        smtp.HeloName = smtp.Host;
        int pumps = 0;
        smtp.WaitClock = &clock;
        clock.OnPump([&] {
            if (++pumps == 3)
                smtp.Disconnect();
        });
        if (c.connected) {
            smtp.Connect();
            EXPECT_THROW(smtp.Send(m_msg), EIdConnClosedGracefully);
        } else {
            EXPECT_THROW(smtp.Connect(), EIdConnClosedGracefully);
        }
        EXPECT_EQ(pumps, 3);
        EXPECT_FALSE(smtp.Connected());
        EXPECT_EQ(s.sent, c.sentBefore);
        EXPECT_EQ(s.log.last(), QStringLiteral("close"));
        EXPECT_EQ(s.log.count(QStringLiteral("close")), 1);
    }
}

TEST_F(CancelTest, ACancelWhileThePeerTakesNoMoreOfTheBodyStopsTheBody)
{
    TransportScript &s = m_net.Add();
    for (const QByteArray reply :
         {"220 hi\r\n", "250 ok\r\n", "250 ok\r\n", "250 ok\r\n", "250 ok\r\n", "354 go\r\n"})
        s.Arrive(reply);
    m_smtp.Connect();
    int lines = 0;
    m_smtp.OnWork = [&](CommandConnection &, WorkMode, qint64) {
        // From the third body line on the peer takes nothing; the cancel comes two slices later.
        if (++lines == 2)
            s.sendSlices = -1;
    };
    int pumps = 0;
    m_smtp.WaitClock = &m_clock;
    m_clock.OnPump([&] {
        if (++pumps == 2)
            m_smtp.Disconnect();
    });
    EXPECT_THROW(m_smtp.Send(m_msg), EIdConnClosedGracefully);
    EXPECT_EQ(lines, 2);
    EXPECT_EQ(pumps, 2);
    // Two body lines went out, then the goodbye; the "." never did.
    const QByteArray body = s.sent.mid(s.sent.indexOf("\r\n\r\n") + 4);
    EXPECT_EQ(body.count("\r\n"), 3);
    EXPECT_TRUE(body.endsWith("\r\nQUIT\r\n"));
    EXPECT_FALSE(s.sent.contains("\r\n.\r\n"));
}

// The watchdog's handler runs inside the pump; whatever it throws leaves the wait at once.
TEST_F(CancelTest, AFailureThrownFromThePumpLeavesTheWaitAndTheConnectFrameClosesWithGoodbye)
{
    TransportScript &s = m_net.Add();
    s.Arrive("220 hi\r\n").Silence(5).Arrive("250 ok\r\n");
    int pumps = 0;
    m_smtp.WaitClock = &m_clock;
    m_clock.OnPump([&] {
        if (++pumps == 2)
            throw WatchdogFired();
    });
    EXPECT_THROW(m_smtp.Connect(), WatchdogFired);
    EXPECT_EQ(pumps, 2);
    EXPECT_FALSE(m_smtp.Connected());
    EXPECT_EQ(s.sent, QByteArray("EHLO smtp.example.com\r\nQUIT\r\n"));
}

TEST_F(CancelTest, AFailureThrownFromThePumpDuringASendLeavesTheConnectionToTheCaller)
{
    TransportScript &s = m_net.Add();
    s.Arrive("220 hi\r\n").Arrive("250 ok\r\n").Silence(3).Arrive("250 ok\r\n");
    m_smtp.Connect();
    m_smtp.WaitClock = &m_clock;
    m_clock.OnPump([&] { throw WatchdogFired(); });
    EXPECT_THROW(m_smtp.Send(m_msg), WatchdogFired);
    EXPECT_TRUE(m_smtp.Connected());
    m_smtp.Disconnect();
    EXPECT_EQ(s.sent, QByteArray("EHLO smtp.example.com\r\nRSET\r\nQUIT\r\n"));
}

TEST(ScriptedDialogueTest, TheFtpDataConnectionGoesThroughTheSameTransportToTheControlPeer)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tmp.jpg"));
    ASSERT_TRUE(testfiles::write(path, QByteArray("JPEGDATA")));
    ScriptedNetwork net;
    TransportScript &control = net.Add();
    control.Arrive("220 hi\r\n")
        .Arrive("230 ok\r\n")
        .Arrive("200 ok\r\n")
        .Arrive("215 UNIX\r\n")
        .Arrive("227 Entering Passive Mode (10,1,2,3,4,1)\r\n")
        .Arrive("150 go\r\n")
        .Arrive("226 done\r\n");
    TransportScript &data = net.Add();
    TIdFTP ftp;
    ftp.MakeTransport = net.Factory();
    ftp.Host = QStringLiteral("ftp.example.com");
    ftp.Username = QStringLiteral("taro");
    ftp.Connect();
    ftp.Put(path, QStringLiteral("a.jpg"));
    ftp.Disconnect();
    EXPECT_EQ(control.sent, QByteArray("USER taro\r\nTYPE I\r\nSYST\r\nPASV\r\nSTOR a.jpg\r\n"));
    EXPECT_EQ(data.log, QStringList({"connect ftp.example.com:1025", "send JPEGDATA", "close"}));
}

} // namespace

namespace {

TEST(ReplyLimitTest, ReplyCodesAreThreeDigitsFollowedByABlankAHyphenOrTheEnd)
{
    struct Case
    {
        QByteArray greeting;
        QString error; // empty: accepted
        QStringList text;
    };
    const Case cases[] = {
        {"220 ready\r\n", {}, {"ready"}},
        {"220\r\n", {}, {""}},
        {"220-first\r\n220-second\r\n220 last\r\n", {}, {"first", "second", "last"}},
        {"2200 ready\r\n", "Invalid reply code:\n\"2200 ready\"", {}},
        {"22 ready\r\n", "Invalid reply code:\n\"22 ready\"", {}},
        {"22a ready\r\n", "Invalid reply code:\n\"22a ready\"", {}},
        {"220ready\r\n", "Invalid reply code:\n\"220ready\"", {}},
        {"+OK ready\r\n", "Invalid reply code:\n\"+OK ready\"", {}},
        {"hello\r\n", "Invalid reply code:\n\"hello\"", {}},
        // Every line of an SMTP reply carries the same code (RFC 5321, 4.2.1).
        {"220-first\r\nsecond\r\n220 last\r\n", "Invalid reply code:\n\"second\"", {}},
        {"220-first\r\n250 last\r\n", "Invalid reply code:\n\"250 last\"", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.greeting.constData());
        ScriptedNetwork net;
        TransportScript &s = net.Add();
        s.Arrive(c.greeting).Arrive("250 ok\r\n");
        TIdSMTP smtp;
        smtp.MakeTransport = net.Factory();
        smtp.HeloName = QStringLiteral("me");
        if (c.error.isEmpty()) {
            smtp.Connect();
            smtp.Disconnect();
            EXPECT_EQ(s.sent, QByteArray("EHLO me\r\nQUIT\r\n"));
            continue;
        }
        try {
            smtp.Connect();
            ADD_FAILURE() << "accepted";
        } catch (const UnexpectedReplyError &e) {
            EXPECT_EQ(e.Message(), c.error);
        }
        EXPECT_FALSE(smtp.Connected());
        EXPECT_EQ(s.sent, QByteArray("QUIT\r\n"));
    }
}

TEST(ReplyLimitTest, AnFtpReplyMayHoldFreeTextBetweenItsFirstAndLastLine)
{
    ScriptedNetwork net;
    TransportScript &s = net.Add();
    s.Arrive("220-Welcome\r\n  to our server\r\n220-ish\r\n220 ready\r\n").Arrive("230 ok\r\n");
    s.Arrive("200 ok\r\n").Arrive("215-UNIX\r\n215 done\r\n");
    TIdFTP ftp;
    ftp.MakeTransport = net.Factory();
    ftp.Username = QStringLiteral("anonymous");
    ftp.Connect();
    EXPECT_EQ(ftp.Greeting().Text, QStringList({"Welcome", "to our server", "ish", "ready"}));
    EXPECT_EQ(ftp.SystemDesc(), QStringLiteral("UNIX"));
    ftp.Disconnect();

    ScriptedNetwork bad;
    bad.Add().Arrive("FTP server ready\r\n");
    TIdFTP other;
    other.MakeTransport = bad.Factory();
    EXPECT_THROW(other.Connect(), UnexpectedReplyError);
}

TEST(ReplyLimitTest, AReplyThatNeverEndsIsCutOffAfterItsLineLimit)
{
    ScriptedNetwork net;
    TransportScript &s = net.Add();
    QByteArray endless;
    for (int i = 0; i < 600; ++i)
        endless += "220-still greeting\r\n";
    s.Arrive(endless).SilenceForEver();
    TIdSMTP smtp;
    smtp.MakeTransport = net.Factory();
    try {
        smtp.Connect();
        ADD_FAILURE() << "connected";
    } catch (const ReplyLinesExceededError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Max reply lines exceeded."));
    }
    EXPECT_EQ(s.sent, QByteArray("QUIT\r\n"));
    EXPECT_EQ(s.pumps, 0); // cut off from what had arrived, without waiting for more

    // 500 lines are still one reply.
    ScriptedNetwork net2;
    QByteArray longest;
    for (int i = 0; i < 499; ++i)
        longest += "220-line\r\n";
    net2.Add().Arrive(longest + "220 end\r\n").Arrive("250 ok\r\n");
    TIdSMTP smtp2;
    smtp2.MakeTransport = net2.Factory();
    smtp2.Connect();
    smtp2.Disconnect();
}

TEST(ReplyLimitTest, TimeLimitsEndConnectsRepliesAndSends)
{
    struct Case
    {
        const char *name;
        int connectSlices;
        int sendSlices;
        QList<QByteArray> trickle; // arrive with two silent slices (100 ms) before each
        QString error;
    };
    const Case cases[] = {
        {"a connect that hangs", -1, 0, {}, "Socket Error # 10060\r\nConnection timed out."},
        {"a server that never greets", 0, 0, {}, "Read timed out."},
        // Each line comes well within the limit, the whole reply does not.
        {"a reply trickled line by line",
         0,
         0,
         {"220-a\r\n", "220-b\r\n", "220-c\r\n", "220 d\r\n"},
         "Read timed out."},
        {"a peer that takes nothing", 0, -1, {"220 hi\r\n"}, "Write timed out."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedNetwork net;
        TransportScript &s = net.Add();
        s.connectSlices = c.connectSlices;
        s.sendSlices = c.sendSlices;
        for (const QByteArray &line : c.trickle)
            s.Silence(2).Arrive(line);
        s.SilenceForEver();
        TIdSMTP smtp;
        smtp.MakeTransport = net.Factory();
        smtp.ConnectTimeout = 250;
        smtp.ReadTimeout = 250;
        QElapsedTimer timer;
        timer.start();
        try {
            smtp.Connect();
            ADD_FAILURE() << "connected";
        } catch (const EIdException &e) {
            EXPECT_EQ(e.Message(), c.error);
        }
        EXPECT_GE(timer.elapsed(), 240);
        EXPECT_FALSE(smtp.Connected());
    }
}

} // namespace
