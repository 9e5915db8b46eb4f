#pragma once

#include <QDateTime>
#include <QElapsedTimer>

#include <functional>
#include <memory>

// A repeating timer of the message loop, like the form timers it stands for.
class ClockTimer
{
public:
    virtual ~ClockTimer() = default;

    // Starts counting from now; a running timer starts counting anew.
    virtual void Start(int intervalMs) = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;
    virtual int Interval() const = 0;
    // A running timer starts counting anew with the new interval.
    virtual void SetInterval(int intervalMs) = 0;

    // Runs at every expiry; may stop, restart or delete the timer.
    std::function<void()> OnTimeout;
};

// Time as the program's timers and waits see it, and how they wait without freezing the windows.
// The program runs on the system clock and the event loop; tests give a clock they move by hand, so
// that a countdown, a watchdog or a whole schedule runs in a moment.
class Clock
{
public:
    virtual ~Clock() = default;

    // The local wall-clock time (captions, picture names, clock-time starts, the mail's date).
    virtual QDateTime Now() const = 0;
    // Milliseconds on a monotonic scale, for measuring waits.
    virtual qint64 Elapsed() const = 0;
    virtual std::unique_ptr<ClockTimer> CreateTimer() = 0;
    // Processes pending events, waiting at most maxMs for one to come; 0 processes what is pending
    // and returns (repaints, the cancel button, timers). A wait of the program calls it in a loop
    // until what it waits for has happened, so the window stays responsive.
    virtual void Pump(int maxMs = 0) = 0;
    // Waits ms milliseconds, pumping all the while.
    virtual void Pause(int ms) = 0;
};

// The wall clock, the message loop's timers and its event pump.
class EventLoopClock : public Clock
{
public:
    // A pause sleeps at most this long between pumps.
    static constexpr int SliceMs = 10;

    EventLoopClock();

    QDateTime Now() const override;
    qint64 Elapsed() const override;
    std::unique_ptr<ClockTimer> CreateTimer() override;
    void Pump(int maxMs = 0) override;
    void Pause(int ms) override;

private:
    QElapsedTimer m_elapsed;
};

// The program's one event-loop clock.
Clock &SystemClock();
