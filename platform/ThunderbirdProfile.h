#pragma once

#include "platform/MailAccountStore.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

class PrefsJs;

// Thunderbird's files as the account import reads them: "profiles.ini" in the program's folder
// names the profiles and which one is the default; "prefs.js" in a profile holds its accounts.
namespace Thunderbird {

// Files larger than this are not the program's and are not read.
inline constexpr qint64 kMaxFileSize = 8 * 1024 * 1024;

// The bytes of a regular file of at most kMaxFileSize bytes; nothing for a missing, unreadable,
// special or larger file.
std::optional<QByteArray> ReadProfileFile(const QString &path);

// Where the program keeps "profiles.ini", relative to the home folder, in the order tried: the
// Debian package's folder, then those of the Flatpak and Snap packages.
QStringList ProfileRoots(const QString &homeFolder);

// The default profile's folder named by the "profiles.ini" text of the folder root: the
// installation's default of the first "[Install...]" section, else the profile marked Default=1,
// else the only profile. Relative paths are taken from root. Empty when none is named.
QString DefaultProfile(const QByteArray &profilesIni, const QString &root);

// The usable accounts of a profile's preferences, in the order of mail.accountmanager.accounts:
// each with its first identity, its incoming server and its identity's outgoing server (or the
// default one). Accounts whose identity has no e-mail address, and news, feed and local-folder
// accounts, are left out.
QList<MailAccount> Accounts(const PrefsJs &prefs);

// The accounts of the default profile of the first folder of ProfileRoots that has one.
QList<MailAccount> ReadAccounts(const QString &homeFolder);

} // namespace Thunderbird
