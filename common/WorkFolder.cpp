#include "common/WorkFolder.h"

#include "common/BoundedFile.h"
#include "common/SaveFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace {

// Larger than any sound or data file the program ships.
constexpr qint64 kMaxWorkFileBytes = 16 * 1024 * 1024;

QString withSeparator(const QString &folder)
{
    QString path = QDir::cleanPath(QDir(folder).absolutePath());
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

} // namespace

QString InstalledDataFolder(const QString &executableFolder)
{
    return withSeparator(QDir(executableFolder).filePath(QStringLiteral("../share/tavrin")));
}

QString UserDataFolder()
{
    // Named here rather than by the application name, which differs between tavrin and tavrin-tool.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        return QString();
    return withSeparator(QDir(data).filePath(QStringLiteral("Tavrin")));
}

bool FolderWritable(const QString &folder)
{
    // access() answers for the effective user and knows read-only mounts, which mode bits do not.
    const QByteArray path = QFile::encodeName(QDir(folder).absolutePath());
    return ::access(path.constData(), W_OK | X_OK) == 0;
}

WorkFolderChoice ChooseWorkFolder(const QString &executableFolder, const QString &userFolder,
                                  const std::function<bool(const QString &)> &writable)
{
    const bool installed = QFileInfo(InstalledDataFolder(executableFolder)).isDir();
    if (!installed && writable(executableFolder))
        return {withSeparator(executableFolder), false};
    if (userFolder.isEmpty())
        return {QString(), true};
    // Made by us, the folder is the user's alone: it holds the settings with the passwords. One that
    // exists keeps the mode it has.
    if (!QFileInfo::exists(userFolder)
        && (!QDir().mkpath(userFolder)
            || !QFile::setPermissions(userFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)))
        return {QString(), true};
    if (!QFileInfo(userFolder).isDir())
        return {QString(), true};
    return {withSeparator(userFolder), true};
}

QStringList ProvideWorkFiles(const QString &workFolder, const QStringList &names,
                             const QStringList &sourceFolders)
{
    QStringList missing;
    const QDir work(workFolder);
    for (const QString &name : names) {
        const QString target = work.filePath(name);
        if (QFileInfo::exists(target))
            continue;
        bool copied = false;
        for (const QString &source : sourceFolders) {
            const FileRead file = ReadRegularFile(QDir(source).filePath(name), kMaxWorkFileBytes);
            if (file) {
                copied = SaveWholeFile(target, file.bytes);
                break;
            }
        }
        if (!copied)
            missing << name;
    }
    return missing;
}
