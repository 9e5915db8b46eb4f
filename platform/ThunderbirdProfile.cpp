#include "platform/ThunderbirdProfile.h"

#include "common/BoundedFile.h"

#include "platform/PrefsJs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace Thunderbird {

std::optional<QByteArray> ReadProfileFile(const QString &path)
{
    // A fifo or a device named prefs.js would block the read or never end.
    FileRead read = ReadRegularFile(path, kMaxFileSize);
    if (!read)
        return std::nullopt;
    return std::move(read.bytes);
}

QStringList ProfileRoots(const QString &homeFolder)
{
    const QDir home(homeFolder);
    return {home.filePath(QStringLiteral(".thunderbird")),
            home.filePath(QStringLiteral(".var/app/org.mozilla.Thunderbird/.thunderbird")),
            home.filePath(QStringLiteral("snap/thunderbird/common/.thunderbird"))};
}

namespace {

struct IniSection
{
    QString name;
    QHash<QString, QString> values; // the first of duplicate keys counts
};

// "[section]" and "key=value" lines in UTF-8; names are case-sensitive, as the program reads them.
QList<IniSection> readIni(const QByteArray &bytes)
{
    QList<IniSection> sections;
    QByteArrayView text(bytes);
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        const QString line = QString::fromUtf8(text.sliced(start, end - start)).trimmed();
        start = end + 1;
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            if (close > 0)
                sections.append({line.mid(1, close - 1).trimmed(), {}});
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0 || sections.isEmpty())
            continue;
        const QString key = line.left(eq).trimmed();
        if (!sections.last().values.contains(key))
            sections.last().values.insert(key, line.mid(eq + 1).trimmed());
    }
    return sections;
}

QString resolve(const QString &root, const QString &path)
{
    return QDir::cleanPath(QDir(root).filePath(path));
}

QStringList commaList(const QString &text)
{
    QStringList out;
    for (const QString &item : text.split(QLatin1Char(',')))
        if (const QString name = item.trimmed(); !name.isEmpty() && !out.contains(name))
            out << name;
    return out;
}

} // namespace

QString DefaultProfile(const QByteArray &profilesIni, const QString &root)
{
    const QList<IniSection> sections = readIni(profilesIni);
    for (const IniSection &s : sections) {
        if (s.name.startsWith(QLatin1String("Install"))) {
            if (const QString path = s.values.value(QStringLiteral("Default")); !path.isEmpty())
                return resolve(root, path);
        }
    }
    QStringList profiles;
    for (const IniSection &s : sections) {
        if (!s.name.startsWith(QLatin1String("Profile")))
            continue;
        const QString path = s.values.value(QStringLiteral("Path"));
        if (path.isEmpty())
            continue;
        if (s.values.value(QStringLiteral("Default")) == QLatin1String("1"))
            return resolve(root, path);
        profiles << path;
    }
    return profiles.size() == 1 ? resolve(root, profiles.first()) : QString();
}

QList<MailAccount> Accounts(const PrefsJs &prefs)
{
    auto pref = [&prefs](const QString &kind, const QString &id, const char *field) {
        return prefs.String(QStringLiteral("mail.%1.%2.%3").arg(kind, id, QLatin1String(field)));
    };
    // Not mail accounts, though a news account's identity has an address for posting.
    static const QSet<QString> notMail {QStringLiteral("nntp"), QStringLiteral("rss"),
                                        QStringLiteral("none")};

    QList<MailAccount> accounts;
    for (const QString &account : commaList(prefs.String(QStringLiteral("mail.accountmanager.accounts")))) {
        const QStringList identities = commaList(pref(QStringLiteral("account"), account, "identities"));
        if (identities.isEmpty())
            continue;
        const QString identity = identities.first();
        const QString server = pref(QStringLiteral("account"), account, "server");
        const QString type = server.isEmpty() ? QString() : pref(QStringLiteral("server"), server, "type");
        MailAccount a;
        a.SMTPEmailAddress = pref(QStringLiteral("identity"), identity, "useremail");
        if (a.SMTPEmailAddress.isEmpty() || notMail.contains(type))
            continue;
        a.SMTPDisplayName = pref(QStringLiteral("identity"), identity, "fullName");
        QString smtp = pref(QStringLiteral("identity"), identity, "smtpServer");
        if (smtp.isEmpty())
            smtp = prefs.String(QStringLiteral("mail.smtp.defaultserver"));
        if (!smtp.isEmpty()) {
            a.SMTPServer = pref(QStringLiteral("smtpserver"), smtp, "hostname");
            a.SMTPUserName = pref(QStringLiteral("smtpserver"), smtp, "username");
        }
        if (!server.isEmpty()) {
            if (type == QLatin1String("pop3"))
                a.POP3Server = pref(QStringLiteral("server"), server, "hostname");
            a.POP3UserName = pref(QStringLiteral("server"), server, "userName");
            a.AccountName = pref(QStringLiteral("server"), server, "name");
        }
        // The choice among several accounts needs a name to show.
        if (a.AccountName.isEmpty())
            a.AccountName = a.SMTPEmailAddress;
        accounts << a;
    }
    return accounts;
}

QList<MailAccount> ReadAccounts(const QString &homeFolder)
{
    for (const QString &root : ProfileRoots(homeFolder)) {
        const std::optional<QByteArray> ini
            = ReadProfileFile(QDir(root).filePath(QStringLiteral("profiles.ini")));
        if (!ini)
            continue;
        const QString profile = DefaultProfile(*ini, root);
        if (profile.isEmpty())
            continue;
        const std::optional<QByteArray> prefs
            = ReadProfileFile(QDir(profile).filePath(QStringLiteral("prefs.js")));
        return prefs ? Accounts(PrefsJs(*prefs)) : QList<MailAccount>();
    }
    return {};
}

} // namespace Thunderbird
