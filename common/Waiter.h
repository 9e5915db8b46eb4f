#pragma once

#include <QDateTime>

// How the core waits without freezing the windows: the event pump, pauses that keep pumping, and
// the clock. The program uses the event loop's; tests give one that does not sleep.
class Waiter
{
public:
    virtual ~Waiter() = default;

    // Processes the pending events once: repaints, the cancel button, timers.
    virtual void Pump() = 0;
    // Waits ms milliseconds, pumping all the while.
    virtual void Pause(int ms) = 0;
    virtual QDateTime Now() const = 0;
};

// The event loop of the running application and the system clock.
class EventLoopWaiter : public Waiter
{
public:
    static constexpr int SliceMs = 10;

    void Pump() override;
    void Pause(int ms) override;
    QDateTime Now() const override;
};
