#pragma once

#include "common/Waiter.h"

#include <QCoreApplication>
#include <QList>

#include <functional>

// A waiter that does not sleep: a pause is noted and pumps once, the clock stands still unless the
// test moves it. Pump processes the real events (timers, sockets) and then runs onPump, where a
// test plays the user (pressing cancel).
class FakeWaiter : public Waiter
{
public:
    void Pump() override
    {
        ++pumps;
        QCoreApplication::processEvents();
        if (onPump)
            onPump();
    }
    void Pause(int ms) override
    {
        pauses.append(ms);
        Pump();
    }
    QDateTime Now() const override { return now; }

    int PausedMs() const
    {
        int total = 0;
        for (int ms : pauses)
            total += ms;
        return total;
    }

    std::function<void()> onPump;
    QList<int> pauses;
    int pumps = 0;
    QDateTime now {QDate(2006, 5, 12), QTime(14, 3, 59)};
};
