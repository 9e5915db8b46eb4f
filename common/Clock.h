#pragma once

#include <QDateTime>

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

// Time as the program's timers and waits see it. The program runs on the system clock; tests give a
// clock they move by hand, so that a countdown or a whole schedule runs in a moment.
class Clock
{
public:
    virtual ~Clock() = default;

    // The local wall-clock time (captions, picture names, clock-time starts).
    virtual QDateTime Now() const = 0;
    // Milliseconds on a monotonic scale, for measuring waits.
    virtual qint64 Elapsed() const = 0;
    virtual std::unique_ptr<ClockTimer> CreateTimer() = 0;
    // Processes pending events, waiting at most maxMs for one to come. A wait of the program calls it
    // in a loop until what it waits for has happened, so the window stays responsive.
    virtual void Pump(int maxMs) = 0;
};

// The wall clock and the message loop's timers.
Clock &SystemClock();
