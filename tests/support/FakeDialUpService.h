#pragma once

#include "platform/DialUpService.h"

// Dial-up as a test scripts it: the entries, the default, whether a connection is up, and what a
// dial does (connect after some polls, or end without a connection). Notes every dial and hang-up.
class FakeDialUpService : public DialUpService
{
public:
    QStringList Entries() override
    {
        ++entryReads;
        return entries;
    }
    QString DefaultEntry() override { return defaultEntry; }
    QString ActiveConnection() override
    {
        ++refreshes;
        if (dialing && --pollsUntilDone <= 0) {
            dialing = false;
            if (dialConnects)
                connection = QStringLiteral("conn-") + dialed.last();
        }
        return connection;
    }
    bool StartDial(const QString &entry) override
    {
        dialed.append(entry);
        if (!dialerStarts)
            return false;
        dialing = true;
        pump();
        return true;
    }
    bool Dialing() override { return dialing; }
    void HangUp(const QString &handle) override
    {
        hungUp.append(handle);
        connection.clear();
    }

    QStringList entries;
    QString defaultEntry;
    QString connection; // the active connection's handle, empty when none is up
    bool dialerStarts = true;
    bool dialConnects = true;
    int pollsUntilDone = 2;

    bool dialing = false;
    int entryReads = 0;
    int refreshes = 0;
    QStringList dialed;
    QStringList hungUp;
};
