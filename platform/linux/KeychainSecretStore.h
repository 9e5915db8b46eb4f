#pragma once

#include "mail/SecretStore.h"

class Clock;

// The desktop's keyring through the Secret Service (qtkeychain), under the service "Tavrin".
// Every call waits for its job while pumping the clock's event loop; a keyring that does not
// answer in time counts as none.
class KeychainSecretStore : public SecretStore
{
public:
    explicit KeychainSecretStore(Clock &clock);

    std::optional<QByteArray> Read(const QString &key) override;
    bool Write(const QString &key, const QByteArray &secret) override;
    bool Remove(const QString &key) override;

private:
    Clock &m_clock;
};
