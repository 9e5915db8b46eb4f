#include "common/Waiter.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

void EventLoopWaiter::Pump()
{
    QCoreApplication::processEvents();
}

void EventLoopWaiter::Pause(int ms)
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

QDateTime EventLoopWaiter::Now() const
{
    return QDateTime::currentDateTime();
}
