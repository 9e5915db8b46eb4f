#pragma once

#include "platform/DialUpService.h"

// A machine without dial-up networking: no entries, never connected, nothing to dial.
class NullDialUpService : public DialUpService
{
public:
    QStringList Entries() override { return {}; }
    QString DefaultEntry() override { return {}; }
    QString ActiveConnection() override { return {}; }
    bool StartDial(const QString &) override { return false; }
    bool Dialing() override { return false; }
    void HangUp(const QString &) override { }
};
