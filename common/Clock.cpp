#include "common/Clock.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <QTimer>

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

} // namespace

EventLoopClock::EventLoopClock()
{
    m_elapsed.start();
}

QDateTime EventLoopClock::Now() const
{
    return QDateTime::currentDateTime();
}

qint64 EventLoopClock::Elapsed() const
{
    return m_elapsed.elapsed();
}

std::unique_ptr<ClockTimer> EventLoopClock::CreateTimer()
{
    return std::make_unique<QtClockTimer>();
}

void EventLoopClock::Pump(int maxMs)
{
    if (!QCoreApplication::instance())
        return;
    if (maxMs <= 0) {
        QCoreApplication::processEvents();
        return;
    }
    // The guard wakes the wait when nothing else comes in time.
    QTimer guard;
    guard.setSingleShot(true);
    guard.start(maxMs);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void EventLoopClock::Pause(int ms)
{
    const QDeadlineTimer deadline(qMax(0, ms));
    do {
        Pump();
        const qint64 left = deadline.remainingTime();
        if (left <= 0)
            break;
        QThread::msleep(static_cast<unsigned long>(qMin<qint64>(left, SliceMs)));
    } while (!deadline.hasExpired());
}

Clock &SystemClock()
{
    static EventLoopClock clock;
    return clock;
}
