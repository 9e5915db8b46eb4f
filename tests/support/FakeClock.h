#pragma once

#include "support/ManualClock.h"

#include <QCoreApplication>
#include <QList>

#include <functional>

// A manual clock for the waits around real sockets: a pause is noted and pumps once, the clock
// stands still unless the test moves it. Pump processes the real events (timers, sockets), then
// runs onPump, where a test plays the user (pressing cancel) or moves the clock.
class FakeClock : public ManualClock
{
public:
    FakeClock()
        : ManualClock(QDateTime(QDate(2006, 5, 12), QTime(14, 3, 59)))
    { }

    void Pump(int maxMs = 0) override
    {
        ++pumps;
        QCoreApplication::processEvents();
        if (onPump)
            onPump();
        ManualClock::Pump(maxMs);
    }
    void Pause(int ms) override
    {
        pauses.append(ms);
        Pump();
    }

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
};
