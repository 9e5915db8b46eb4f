#include "mail/SecretStore.h"

#include "common/BoundedFile.h"
#include "common/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kMaxStoreBytes = 256 * 1024;

std::optional<QJsonObject> ReadObject(const QString &path)
{
    const FileRead file = ReadRegularFile(path, kMaxStoreBytes);
    if (!file)
        return file.fault == FileFault::Missing ? std::optional<QJsonObject>(QJsonObject()) : std::nullopt;
    const QJsonDocument doc = QJsonDocument::fromJson(file.bytes);
    if (!doc.isObject())
        return std::nullopt;
    return doc.object();
}

// The file is made 0600 before the first secret goes in; the whole-file save keeps an existing
// file's mode for its replacement, and a mode widened by hand is narrowed again.
bool SavePrivate(const QString &path, const QJsonObject &object)
{
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0)
        return false;
    const bool narrowed = ::fchmod(fd, 0600) == 0;
    ::close(fd);
    return narrowed && SaveWholeFile(path, QJsonDocument(object).toJson(QJsonDocument::Indented))
        && ::chmod(native.constData(), 0600) == 0;
}

} // namespace

FileSecretStore::FileSecretStore(QString path)
    : m_path(std::move(path))
{ }

QString FileSecretStore::PathIn(const QString &workFolder)
{
    return QDir(workFolder).filePath(QStringLiteral("tokens.dat"));
}

std::optional<QByteArray> FileSecretStore::Read(const QString &key)
{
    const std::optional<QJsonObject> object = ReadObject(m_path);
    if (!object || !object->contains(key))
        return std::nullopt;
    return object->value(key).toString().toUtf8();
}

bool FileSecretStore::Write(const QString &key, const QByteArray &secret)
{
    std::optional<QJsonObject> object = ReadObject(m_path);
    if (!object)
        return false;
    object->insert(key, QString::fromUtf8(secret));
    return SavePrivate(m_path, *object);
}

bool FileSecretStore::Remove(const QString &key)
{
    std::optional<QJsonObject> object = ReadObject(m_path);
    if (!object)
        return false;
    if (!object->contains(key))
        return true;
    object->remove(key);
    if (object->isEmpty())
        return QFile::remove(m_path);
    return SavePrivate(m_path, *object);
}

FallbackSecretStore::FallbackSecretStore(std::unique_ptr<SecretStore> keyring,
                                         std::unique_ptr<SecretStore> file)
    : m_keyring(std::move(keyring))
    , m_file(std::move(file))
{ }

std::optional<QByteArray> FallbackSecretStore::Read(const QString &key)
{
    if (m_keyring) {
        if (std::optional<QByteArray> secret = m_keyring->Read(key))
            return secret;
    }
    return m_file->Read(key);
}

bool FallbackSecretStore::Write(const QString &key, const QByteArray &secret)
{
    // A secret the keyring took leaves no copy in the file.
    if (m_keyring && m_keyring->Write(key, secret)) {
        m_file->Remove(key);
        return true;
    }
    return m_file->Write(key, secret);
}

bool FallbackSecretStore::Remove(const QString &key)
{
    const bool keyringGone = !m_keyring || m_keyring->Remove(key);
    const bool fileGone = m_file->Remove(key);
    return keyringGone && fileGone;
}
