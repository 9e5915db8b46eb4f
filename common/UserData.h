#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

// How a protocol client uses TLS, as the settings choose it: Auto (TLS from the start on the
// protocol's TLS port, elsewhere when the server offers it), Required (as Auto, and a server without
// TLS is an error), None (clear text always).
enum class EncryptionMode { Auto, Required, None };

// The user's settings, kept in "tav.ini" in the work folder. The fields are read and written
// directly by the code that uses them; their names are the file's keys.
class TUserData
{
public:
    // The largest settings file read: the program writes about 1 KB; the rest leaves room for keys
    // and comments added by hand.
    static constexpr qint64 kMaxFileBytes = 256 * 1024;

    explicit TUserData(QString workFolder = QString());

    // False, with every field unchanged, when the file does not exist or cannot be read: not a
    // regular file, or larger than kMaxFileBytes. Keys the file lacks (or holds in an unusable form)
    // take their missing-key values.
    bool Load(const QString &path);
    // Writes every key into the file, keeping whatever else the file holds. The file is replaced as
    // a whole: a failed save leaves the old file as it was and returns false. A file that Load
    // could not read is not replaced either.
    bool Save(const QString &path);

    bool LoadFromWorkFolder() { return Load(WorkFilePath()); }
    bool SaveToWorkFolder() { return Save(WorkFilePath()); }
    QString WorkFilePath() const;
    const QString &FilePath() const { return m_filePath; }

    // Each byte b becomes two upper-case hex digits of 255 - b; "abc" -> "9E9D9C".
    static QByteArray Scramble(const QByteArray &plain);
    // Nothing when the value is not an even-length string of hex digits.
    static std::optional<QByteArray> Unscramble(const QByteArray &scrambled);

    // [serial]
    int Major = 2;
    int Minor = 1;
    // [user]
    QString FromName;
    QString FromAddress;
    bool Connect = true;
    QString SMTPServer;
    QString UserID;
    QString SMTPPassword;
    QString POPServer;
    QString POP3UserID;
    QString PassWord;
    bool UsePOP3 = false;
    bool UseSMTPAuth = false;
    // [interval]
    int StartHour = 0;
    int StartMin = 0;
    int Interval = 4;
    bool StartPass = false;
    // [FTP]
    bool DedicatedServer = false; // key "Tavrin"; cleared by every load
    QString Host;
    QString Port;
    QString FTPUserID;
    QString FTPPassword;
    QString Folder;
    QString Url;
    bool UseServer = false;
    // [user]
    bool UseOP25B = false;
    // [pos]
    int x = -1;
    int y = -1;
    // [connection]: ours, in a section of its own so that the original keys stay as they are. A
    // file without it (the original program's) reads as the defaults; a save writes it only when
    // a value differs from its default or the file has the section already.
    int SMTPPort = 0; // 0: by UseOP25B
    EncryptionMode MailEncryption = EncryptionMode::Auto; // SMTP and POP3
    EncryptionMode FTPEncryption = EncryptionMode::Auto;
    QString Fingerprint; // SHA-256 fingerprints of self-signed certificates to trust, "AB:CD:..."

    // Whether every FTP setting the server route needs is filled in: host, port, user ID, password,
    // folder and URL.
    bool FtpComplete() const;
    // The SMTP port to use: SMTPPort when set, else 587 with UseOP25B and 25 without.
    int SmtpPortInUse() const { return SMTPPort > 0 ? SMTPPort : (UseOP25B ? 587 : 25); }

private:
    // A text as Load decoded it and the bytes it came from. Bytes that are not valid CP932 (a lone
    // lead byte) do not survive a decode and encode, so a value the user has not changed is written
    // back as it was read.
    struct ReadValue
    {
        QString text;
        QByteArray bytes;
    };
    QByteArray bytesOf(const char *section, const char *key, const QString &value) const;

    QString m_workFolder;
    QString m_filePath;
    QHash<QByteArray, ReadValue> m_read; // by "section/key"
};
