#pragma once

#include "platform/MailAccountStore.h"

// No mail client: the import stays disabled.
class NullMailAccountStore : public MailAccountStore
{
public:
    QList<MailAccount> Accounts() const override { return {}; }
};
