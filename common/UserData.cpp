#include "common/UserData.h"

#include "common/BoundedFile.h"
#include "common/IniFile.h"
#include "common/Port.h"
#include "common/SaveFile.h"
#include "common/Sjis.h"

#include <QDir>
#include <QFileInfo>

namespace {

constexpr char kFileName[] = "tav.ini";

class Reader
{
public:
    explicit Reader(const IniFile &ini)
        : m_ini(ini)
    { }

    std::optional<QByteArray> raw(const char *section, const char *key) const
    {
        return m_ini.value(section, key);
    }

    QString text(const char *section, const char *key) const
    {
        const auto v = raw(section, key);
        return v ? Sjis::decode(*v) : QString();
    }

    int integer(const char *section, const char *key, int missing) const
    {
        const auto v = raw(section, key);
        if (!v)
            return missing;
        bool ok = false;
        const int n = v->toInt(&ok, 10);
        return ok ? n : missing;
    }

    bool boolean(const char *section, const char *key, bool missing) const
    {
        return integer(section, key, missing ? 1 : 0) != 0;
    }

private:
    const IniFile &m_ini;
};

// A line break inside a value would start a new line of the file, that is, a new key.
QByteArray fileValue(QByteArray bytes)
{
    bytes.replace('\r', QByteArray()).replace('\n', QByteArray());
    return bytes;
}

QByteArray fileValue(int n)
{
    return QByteArray::number(n);
}

QByteArray fileValue(bool b)
{
    return b ? "1" : "0";
}

constexpr char kOwnSection[] = "connection";

const char *modeText(EncryptionMode mode)
{
    switch (mode) {
    case EncryptionMode::Required:
        return "required";
    case EncryptionMode::None:
        return "none";
    case EncryptionMode::Auto:
        break;
    }
    return "auto";
}

// Anything but the two other words reads as auto, the mode of files without the key.
EncryptionMode modeOf(const std::optional<QByteArray> &value)
{
    const QByteArray v = value.value_or(QByteArray()).trimmed().toLower();
    if (v == "required")
        return EncryptionMode::Required;
    if (v == "none")
        return EncryptionMode::None;
    return EncryptionMode::Auto;
}

QByteArray keyOf(const char *section, const char *key)
{
    return QByteArray(section) + '/' + key;
}

} // namespace

TUserData::TUserData(QString workFolder)
    : m_workFolder(std::move(workFolder))
{ }

QString TUserData::WorkFilePath() const
{
    return QDir(m_workFolder).filePath(kFileName);
}

QByteArray TUserData::Scramble(const QByteArray &plain)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(plain.size() * 2);
    for (const char c : plain) {
        const auto b = static_cast<unsigned char>(255 - static_cast<unsigned char>(c));
        out.append(digits[b >> 4]);
        out.append(digits[b & 0x0F]);
    }
    return out;
}

std::optional<QByteArray> TUserData::Unscramble(const QByteArray &scrambled)
{
    if (scrambled.size() % 2 != 0)
        return std::nullopt;
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    QByteArray out;
    out.reserve(scrambled.size() / 2);
    for (qsizetype i = 0; i < scrambled.size(); i += 2) {
        const int hi = nibble(scrambled[i]);
        const int lo = nibble(scrambled[i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        out.append(static_cast<char>(255 - (hi * 16 + lo)));
    }
    return out;
}

bool TUserData::FtpComplete() const
{
    return !Host.isEmpty() && !Port.isEmpty() && !FTPUserID.isEmpty() && !FTPPassword.isEmpty()
        && !Folder.isEmpty() && !Url.isEmpty();
}

bool TUserData::Load(const QString &path)
{
    const FileRead file = ReadRegularFile(path, kMaxFileBytes);
    if (!file)
        return false;
    m_filePath = path;

    const IniFile ini(file.bytes);
    const Reader r(ini);
    m_read.clear();
    const auto keep = [this](const char *section, const char *key, const QByteArray &bytes) {
        const QString text = Sjis::decode(bytes);
        m_read.insert(keyOf(section, key), {text, bytes});
        return text;
    };
    const auto text = [&](const char *section, const char *key) {
        const auto v = r.raw(section, key);
        return v ? keep(section, key, *v) : QString();
    };

    Major = r.integer("serial", "Major", 2);
    Minor = r.integer("serial", "Minor", 0);

    FromName = text("user", "FromName");
    FromAddress = text("user", "FromAddress");
    Connect = r.boolean("user", "Connect", false);
    SMTPServer = text("user", "SMTPServer");
    UserID = text("user", "UserID");
    POPServer = text("user", "POPServer");
    if (r.raw("user", "POP3UserID")) {
        POP3UserID = text("user", "POP3UserID");
    } else {
        POP3UserID = UserID;
        if (const auto it = m_read.constFind(keyOf("user", "UserID")); it != m_read.cend())
            m_read.insert(keyOf("user", "POP3UserID"), *it);
    }
    UsePOP3 = r.boolean("user", "UsePOP3", false);
    UseSMTPAuth = r.boolean("user", "UseSMTPAuth", false);
    UseOP25B = r.boolean("user", "UseOP25B", false);

    StartHour = r.integer("interval", "StartHour", 0);
    StartMin = r.integer("interval", "StartMin", 0);
    Interval = r.integer("interval", "Interval", 4);
    StartPass = r.boolean("interval", "StartPass", true);

    DedicatedServer = false;
    Host = text("FTP", "Host");
    Port = text("FTP", "Port");
    FTPUserID = text("FTP", "UserID");
    Folder = text("FTP", "Folder");
    Url = text("FTP", "Url");
    UseServer = r.boolean("FTP", "UseServer", false);

    x = r.integer("pos", "x", -1);
    y = r.integer("pos", "y", -1);

    SMTPPort = ParsePort(r.text(kOwnSection, "SMTPPort")).value_or(0);
    MailEncryption = modeOf(r.raw(kOwnSection, "MailTLS"));
    FTPEncryption = modeOf(r.raw(kOwnSection, "FTPTLS"));
    Fingerprint = text(kOwnSection, "Fingerprint");

    // "SMTPPassword" falls back to the "PassWord" value as stored, so both unscramble alike.
    const QByteArray rawPass = r.raw("user", "PassWord").value_or(QByteArray());
    const QByteArray rawSmtp = r.raw("user", "SMTPPassword").value_or(rawPass);
    const QByteArray rawFtp = r.raw("FTP", "Password").value_or(QByteArray());
    const bool scrambled = r.boolean("user", "code", false);
    // The plain bytes of a password; an unusable scrambled value gives those of fallback.
    const auto password
        = [&](const char *section, const char *key, const QByteArray &raw, const QByteArray &fallback) {
              const auto plain = scrambled ? Unscramble(raw) : std::optional<QByteArray>(raw);
              return keep(section, key, plain.value_or(fallback));
          };
    PassWord = password("user", "PassWord", rawPass, QByteArray());
    const QByteArray plainPass = m_read.value(keyOf("user", "PassWord")).bytes;
    SMTPPassword = password("user", "SMTPPassword", rawSmtp, plainPass);
    FTPPassword = password("FTP", "Password", rawFtp, QByteArray());
    return true;
}

QByteArray TUserData::bytesOf(const char *section, const char *key, const QString &value) const
{
    const auto it = m_read.constFind(keyOf(section, key));
    return it != m_read.cend() && it->text == value ? it->bytes : Sjis::encode(value);
}

bool TUserData::Save(const QString &path)
{
    m_filePath = path;

    // Start from what the file holds now, so that keys written by others stay in place.
    // A file that cannot be read is left alone rather than replaced by one without its keys.
    IniFile ini;
    const FileRead current = ReadRegularFile(path, kMaxFileBytes);
    if (current)
        ini = IniFile(current.bytes);
    else if (current.fault != FileFault::Missing)
        return false;

    auto put = [&ini](const char *section, const char *key, const QByteArray &value) {
        ini.setValue(section, key, value);
    };
    put("serial", "Major", fileValue(Major));
    put("serial", "Minor", fileValue(Minor));

    put("user", "FromName", fileValue(bytesOf("user", "FromName", FromName)));
    put("user", "FromAddress", fileValue(bytesOf("user", "FromAddress", FromAddress)));
    put("user", "Connect", fileValue(Connect));
    put("user", "SMTPServer", fileValue(bytesOf("user", "SMTPServer", SMTPServer)));
    put("user", "UserID", fileValue(bytesOf("user", "UserID", UserID)));
    put("user", "POPServer", fileValue(bytesOf("user", "POPServer", POPServer)));
    put("user", "POP3UserID", fileValue(bytesOf("user", "POP3UserID", POP3UserID)));
    put("user", "UsePOP3", fileValue(UsePOP3));
    put("user", "UseSMTPAuth", fileValue(UseSMTPAuth));
    put("user", "UseOP25B", fileValue(UseOP25B));

    put("interval", "StartHour", fileValue(StartHour));
    put("interval", "StartMin", fileValue(StartMin));
    put("interval", "Interval", fileValue(Interval));

    put("FTP", "Tavrin", fileValue(DedicatedServer));
    put("FTP", "Host", fileValue(bytesOf("FTP", "Host", Host)));
    put("FTP", "Port", fileValue(bytesOf("FTP", "Port", Port)));
    put("FTP", "UserID", fileValue(bytesOf("FTP", "UserID", FTPUserID)));
    put("FTP", "Folder", fileValue(bytesOf("FTP", "Folder", Folder)));
    put("FTP", "Url", fileValue(bytesOf("FTP", "Url", Url)));
    put("FTP", "UseServer", fileValue(UseServer));

    put("pos", "x", fileValue(x));
    put("pos", "y", fileValue(y));

    put("FTP", "Password", Scramble(bytesOf("FTP", "Password", FTPPassword)));
    put("user", "PassWord", Scramble(bytesOf("user", "PassWord", PassWord)));
    put("user", "SMTPPassword", Scramble(bytesOf("user", "SMTPPassword", SMTPPassword)));
    put("user", "code", "1");

    const bool ownSection = ini.value(kOwnSection, "SMTPPort") || ini.value(kOwnSection, "MailTLS")
        || ini.value(kOwnSection, "FTPTLS") || ini.value(kOwnSection, "Fingerprint");
    if (ownSection || SMTPPort != 0 || MailEncryption != EncryptionMode::Auto
        || FTPEncryption != EncryptionMode::Auto || !Fingerprint.isEmpty()) {
        put(kOwnSection, "SMTPPort", fileValue(SMTPPort));
        put(kOwnSection, "MailTLS", modeText(MailEncryption));
        put(kOwnSection, "FTPTLS", modeText(FTPEncryption));
        put(kOwnSection, "Fingerprint", fileValue(bytesOf(kOwnSection, "Fingerprint", Fingerprint)));
    }

    // Never more than Load reads back: the next start would lose every setting.
    const QByteArray bytes = ini.toBytes();
    if (bytes.size() > kMaxFileBytes)
        return false;
    return SaveWholeFile(path, bytes, FileAccess::OwnerOnly);
}
