#include "common/Clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

namespace {

class QtClockTimer : public ClockTimer
{
public:
    QtClockTimer()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (OnTimeout)
                OnTimeout();
        });
    }

    void Start(int intervalMs) override { m_timer.start(intervalMs); }
    void Stop() override { m_timer.stop(); }
    bool IsActive() const override { return m_timer.isActive(); }
    int Interval() const override { return m_timer.interval(); }
    void SetInterval(int intervalMs) override { m_timer.setInterval(intervalMs); }

private:
    QTimer m_timer;
};

class QtClock : public Clock
{
public:
    QtClock() { m_elapsed.start(); }

    QDateTime Now() const override { return QDateTime::currentDateTime(); }
    qint64 Elapsed() const override { return m_elapsed.elapsed(); }
    std::unique_ptr<ClockTimer> CreateTimer() override { return std::make_unique<QtClockTimer>(); }

    void Pump(int maxMs) override
    {
        if (!QCoreApplication::instance())
            return;
        // The guard wakes the wait when nothing else comes in time.
        QTimer guard;
        guard.setSingleShot(true);
        guard.start(std::max(0, maxMs));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }

private:
    QElapsedTimer m_elapsed;
};

} // namespace

Clock &SystemClock()
{
    static QtClock clock;
    return clock;
}
