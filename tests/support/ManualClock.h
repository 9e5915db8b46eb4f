#pragma once

#include "common/Clock.h"

#include <QDateTime>

#include <algorithm>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

// A clock that moves only when the test (or a wait of the code under test) moves it. Timers fire in
// order of their expiry, ties in the order they were started; a handler may pump again.
class ManualClock : public Clock
{
public:
    explicit ManualClock(QDateTime start = QDateTime(QDate(2006, 5, 12), QTime(10, 0, 0)))
        : m_start(std::move(start))
    { }
    ~ManualClock() override
    {
        for (Timer *t : m_timers)
            t->m_clock = nullptr;
    }

    QDateTime Now() const override { return m_start.addMSecs(m_elapsed); }
    qint64 Elapsed() const override { return m_elapsed; }
    std::unique_ptr<ClockTimer> CreateTimer() override { return std::make_unique<Timer>(this); }

    // Moves to the next expiry when it comes within maxMs, else by maxMs.
    void Pump(int maxMs = 0) override
    {
        ++m_pumps;
        if (m_pumpHook)
            m_pumpHook();
        const Timer *next = nextDue(m_elapsed + std::max(0, maxMs));
        Advance(next ? next->m_due - m_elapsed : std::max(0, maxMs));
    }

    void Pause(int ms) override
    {
        const qint64 end = m_elapsed + std::max(0, ms);
        do
            Pump(int(end - m_elapsed));
        while (m_elapsed < end);
    }

    // Moves the clock by ms, firing every timer that expires on the way.
    void Advance(qint64 ms)
    {
        const qint64 target = m_elapsed + std::max<qint64>(0, ms);
        while (Timer *t = nextDue(target)) {
            m_elapsed = std::max(m_elapsed, t->m_due);
            t->m_due = m_elapsed + std::max(1, t->m_interval);
            t->m_order = ++m_starts;
            if (t->OnTimeout)
                t->OnTimeout(); // may delete t
        }
        m_elapsed = std::max(m_elapsed, target);
    }

    // Sets the wall clock so that Now() reads when; timers keep their remaining times.
    void SetNow(const QDateTime &when) { m_start = when.addMSecs(-m_elapsed); }

    int Pumps() const { return m_pumps; }
    // Runs at every pump, before the clock moves (a click arriving while a wait pumps).
    void OnPump(std::function<void()> hook) { m_pumpHook = std::move(hook); }
    int ActiveTimers() const
    {
        return int(
            std::count_if(m_timers.begin(), m_timers.end(), [](const Timer *t) { return t->m_active; }));
    }

private:
    class Timer : public ClockTimer
    {
    public:
        explicit Timer(ManualClock *clock)
            : m_clock(clock)
        {
            m_clock->m_timers.push_back(this);
        }
        ~Timer() override
        {
            if (m_clock)
                std::erase(m_clock->m_timers, this);
        }
        void Start(int intervalMs) override
        {
            m_interval = intervalMs;
            restart();
        }
        void Stop() override { m_active = false; }
        bool IsActive() const override { return m_active; }
        int Interval() const override { return m_interval; }
        void SetInterval(int intervalMs) override
        {
            m_interval = intervalMs;
            if (m_active)
                restart();
        }

    private:
        friend class ManualClock;
        void restart()
        {
            m_active = true;
            if (!m_clock)
                return;
            m_due = m_clock->m_elapsed + std::max(1, m_interval);
            m_order = ++m_clock->m_starts;
        }

        ManualClock *m_clock;
        bool m_active = false;
        int m_interval = 0;
        qint64 m_due = 0;
        qint64 m_order = 0;
    };

    Timer *nextDue(qint64 limit) const
    {
        Timer *best = nullptr;
        for (Timer *t : m_timers) {
            if (!t->m_active || t->m_due > limit)
                continue;
            if (!best || t->m_due < best->m_due || (t->m_due == best->m_due && t->m_order < best->m_order))
                best = t;
        }
        return best;
    }

    QDateTime m_start;
    qint64 m_elapsed = 0;
    qint64 m_starts = 0;
    int m_pumps = 0;
    std::function<void()> m_pumpHook;
    std::vector<Timer *> m_timers;
};
