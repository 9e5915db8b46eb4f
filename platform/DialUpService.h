#pragma once

#include "common/Clock.h"

#include <QString>
#include <QStringList>

// The system's dial-up networking: the entries it can dial, whether one of its connections is up,
// starting its dialer and hanging up. Every call returns within a few seconds, pumping the
// clock's events while it waits; a system that does not answer has no entries and no
// connection.
class DialUpService
{
public:
    virtual ~DialUpService() = default;

    // The clock whose events are pumped while a call waits; none pumps nothing.
    void SetClock(Clock *clock) { m_clock = clock; }

    // The entries, in the system's order.
    virtual QStringList Entries() = 0;
    // The entry dialed when none is named; empty when there is none.
    virtual QString DefaultEntry() = 0;
    // The first active dial-up connection, as HangUp takes it; empty when none is up.
    virtual QString ActiveConnection() = 0;
    // Starts the system's dialer for the entry and returns at once; the dialer asks the user for
    // what it needs (a password, a PIN). False when it cannot be started.
    virtual bool StartDial(const QString &entry) = 0;
    // Whether the dialer started last is still at work.
    virtual bool Dialing() = 0;
    // Hangs the connection up.
    virtual void HangUp(const QString &connection) = 0;

protected:
    void pump() const
    {
        if (m_clock)
            m_clock->Pump();
    }

private:
    Clock *m_clock = nullptr;
};
