#include "platform/linux/ThunderbirdAccountStore.h"

#include "platform/ThunderbirdProfile.h"

ThunderbirdAccountStore::ThunderbirdAccountStore(QString homeFolder)
    : m_homeFolder(std::move(homeFolder))
{ }

QList<MailAccount> ThunderbirdAccountStore::Accounts() const
{
    return Thunderbird::ReadAccounts(m_homeFolder);
}
