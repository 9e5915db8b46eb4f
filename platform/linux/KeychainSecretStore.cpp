#include "platform/linux/KeychainSecretStore.h"

#include "common/Clock.h"

#include <qt6keychain/keychain.h>

namespace {

const QString kService = QStringLiteral("Tavrin");
// Unlocking a keyring may ask the user for its password.
constexpr qint64 kJobTimeoutMs = 120000;

// Runs the job to its end; false when it did not finish in time.
bool Run(QKeychain::Job &job, Clock &clock)
{
    bool done = false;
    QObject::connect(&job, &QKeychain::Job::finished, [&done] { done = true; });
    job.setAutoDelete(false);
    job.setInsecureFallback(false);
    job.start();
    const qint64 end = clock.Elapsed() + kJobTimeoutMs;
    while (!done && clock.Elapsed() < end)
        clock.Pump(50);
    return done;
}

} // namespace

KeychainSecretStore::KeychainSecretStore(Clock &clock)
    : m_clock(clock)
{ }

std::optional<QByteArray> KeychainSecretStore::Read(const QString &key)
{
    QKeychain::ReadPasswordJob job(kService);
    job.setKey(key);
    if (!Run(job, m_clock) || job.error() != QKeychain::NoError)
        return std::nullopt;
    return job.binaryData();
}

bool KeychainSecretStore::Write(const QString &key, const QByteArray &secret)
{
    QKeychain::WritePasswordJob job(kService);
    job.setKey(key);
    job.setBinaryData(secret);
    return Run(job, m_clock) && job.error() == QKeychain::NoError;
}

bool KeychainSecretStore::Remove(const QString &key)
{
    QKeychain::DeletePasswordJob job(kService);
    job.setKey(key);
    return Run(job, m_clock)
        && (job.error() == QKeychain::NoError || job.error() == QKeychain::EntryNotFound);
}
