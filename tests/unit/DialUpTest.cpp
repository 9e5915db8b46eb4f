// The dial-up connection on a scripted dial-up service: what it dials, when it asks, how long it
// lets a new connection settle.

#include "mail/DialUp.h"
#include "support/FakeClock.h"
#include "support/FakeDialUpService.h"

#include <gtest/gtest.h>

namespace {

class RecordingChooser : public DialUpChooser
{
public:
    int Choose(const QStringList &entries, int selected) override
    {
        shown.append(entries);
        preselected = selected;
        return answer;
    }
    QList<QStringList> shown;
    int preselected = -2;
    int answer = -1;
};

class DialUpTest : public ::testing::Test
{
protected:
    TDialUp &dialUp()
    {
        if (!m_dialUp)
            m_dialUp = std::make_unique<TDialUp>(service, clock, &chooser);
        return *m_dialUp;
    }

    FakeDialUpService service;
    FakeClock clock;
    RecordingChooser chooser;

private:
    std::unique_ptr<TDialUp> m_dialUp;
};

TEST_F(DialUpTest, EntriesAreReadOnceWhenFirstNeeded)
{
    service.entries = {QStringLiteral("isp"), QStringLiteral("mobile")};
    // Nothing is asked of the system while the program starts, and a refresh (the one at the end
    // of every session) asks for no entries.
    dialUp();
    EXPECT_EQ(service.entryReads, 0);
    EXPECT_EQ(service.refreshes, 0);
    dialUp().Refresh();
    EXPECT_EQ(service.entryReads, 0);
    EXPECT_EQ(service.refreshes, 1);
    EXPECT_EQ(dialUp().EntryCount(), 2);
    service.entries.append(QStringLiteral("later"));
    EXPECT_EQ(dialUp().EntryCount(), 2);
    EXPECT_EQ(dialUp().EntryName(1), QStringLiteral("mobile"));
    EXPECT_EQ(dialUp().EntryName(2), QString());
    EXPECT_EQ(dialUp().EntryName(-1), QString());
    EXPECT_EQ(service.entryReads, 1);
}

TEST_F(DialUpTest, AConnectionAlreadyUpIsUsedWithoutDialingOrAsking)
{
    service.entries = {QStringLiteral("isp"), QStringLiteral("mobile")};
    EXPECT_FALSE(dialUp().Connected());
    service.connection = QStringLiteral("conn-elsewhere");
    EXPECT_TRUE(dialUp().EnsureConnected());
    EXPECT_TRUE(dialUp().Connected());
    EXPECT_TRUE(service.dialed.isEmpty());
    EXPECT_TRUE(chooser.shown.isEmpty());
    EXPECT_TRUE(clock.pauses.isEmpty());
}

TEST_F(DialUpTest, WhatIsDialedAndWhetherTheUserIsAsked)
{
    const struct
    {
        const char *what;
        QStringList entries;
        QString defaultEntry;
        int answer;
        QStringList dialed;
        bool asked;
        bool connected;
    } cases[] = {
        {"the default entry", {"isp", "provider"}, "provider", -1, {"provider"}, false, true},
        {"the only entry", {"isp"}, "", -1, {"isp"}, false, true},
        {"the chosen entry", {"isp", "mobile", "office"}, "", 1, {"mobile"}, true, true},
        {"nothing after a cancelled choice", {"isp", "mobile"}, "", -1, {}, true, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        FakeDialUpService s;
        s.entries = c.entries;
        s.defaultEntry = c.defaultEntry;
        RecordingChooser ch;
        ch.answer = c.answer;
        FakeClock w;
        TDialUp d(s, w, &ch);
        EXPECT_EQ(d.EnsureConnected(), c.connected);
        EXPECT_EQ(s.dialed, c.dialed);
        EXPECT_EQ(ch.shown.size(), c.asked ? 1 : 0);
        if (c.asked) {
            EXPECT_EQ(ch.shown[0], c.entries);
            EXPECT_EQ(d.ChosenIndex, c.answer);
        }
    }
}

TEST_F(DialUpTest, ADialWaitsPumpingThenLetsTheConnectionSettle)
{
    service.entries = {QStringLiteral("isp")};
    service.pollsUntilDone = 3;
    EXPECT_TRUE(dialUp().Dial(QString()));
    EXPECT_EQ(service.dialed, QStringList {"isp"});
    EXPECT_TRUE(dialUp().Connected());
    // Polled while the dialer worked (it connects at the third look), then two settling pauses.
    EXPECT_EQ(clock.pauses, QList<int>({250, 250, 250, 5000, 5000}));
}

TEST_F(DialUpTest, ADialThatEndsWithoutAConnectionFails)
{
    service.entries = {QStringLiteral("isp")};
    service.dialConnects = false;
    service.pollsUntilDone = 2;
    EXPECT_FALSE(dialUp().Dial(QStringLiteral("isp")));
    EXPECT_FALSE(dialUp().Connected());
    // One settling pause only: nothing came up.
    EXPECT_EQ(clock.pauses, QList<int>({250, 250, 5000}));

    FakeDialUpService none;
    none.dialerStarts = false;
    FakeClock w;
    TDialUp d(none, w);
    EXPECT_FALSE(d.Dial(QStringLiteral("isp")));
    EXPECT_TRUE(w.pauses.isEmpty());

    // Several entries, no default and nobody to ask: nothing to dial.
    FakeDialUpService several;
    several.entries = {QStringLiteral("a"), QStringLiteral("b")};
    TDialUp unasked(several, w);
    EXPECT_FALSE(unasked.EnsureConnected());
    EXPECT_TRUE(several.dialed.isEmpty());
}

TEST_F(DialUpTest, HangUpEndsTheConnectionFoundAndWaits)
{
    service.connection = QStringLiteral("conn-1");
    EXPECT_TRUE(dialUp().Connected());
    dialUp().HangUp();
    EXPECT_EQ(service.hungUp, QStringList {"conn-1"});
    EXPECT_FALSE(dialUp().Connected());
    EXPECT_EQ(clock.pauses, QList<int> {3000});
}

} // namespace
