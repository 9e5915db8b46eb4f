#pragma once

#include "platform/MailAccountStore.h"

// Thunderbird's accounts: those of the default profile under the user's home folder.
class ThunderbirdAccountStore : public MailAccountStore
{
public:
    // Tests give a folder of their own in place of the home folder.
    explicit ThunderbirdAccountStore(QString homeFolder);

    QList<MailAccount> Accounts() const override;

private:
    QString m_homeFolder;
};
