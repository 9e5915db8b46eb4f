#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

// Where the sign-in's tokens are kept: the desktop's keyring, or a file only its owner can read.
class SecretStore
{
public:
    virtual ~SecretStore() = default;

    // Nothing when no secret is kept under key (or the store cannot be read).
    virtual std::optional<QByteArray> Read(const QString &key) = 0;
    virtual bool Write(const QString &key, const QByteArray &secret) = 0;
    // True when nothing is kept under key afterwards.
    virtual bool Remove(const QString &key) = 0;
};

// A JSON object of key and secret in one file, mode 0600 from its first byte on. For machines
// without a keyring that answers.
class FileSecretStore : public SecretStore
{
public:
    explicit FileSecretStore(QString path);

    std::optional<QByteArray> Read(const QString &key) override;
    bool Write(const QString &key, const QByteArray &secret) override;
    bool Remove(const QString &key) override;

    // "tokens.dat" in the work folder.
    static QString PathIn(const QString &workFolder);

private:
    QString m_path;
};

// The keyring first; the file where the keyring does not answer. A secret is read from wherever
// it is, and removing removes it from both.
class FallbackSecretStore : public SecretStore
{
public:
    FallbackSecretStore(std::unique_ptr<SecretStore> keyring, std::unique_ptr<SecretStore> file);

    std::optional<QByteArray> Read(const QString &key) override;
    bool Write(const QString &key, const QByteArray &secret) override;
    bool Remove(const QString &key) override;

private:
    std::unique_ptr<SecretStore> m_keyring;
    std::unique_ptr<SecretStore> m_file;
};
