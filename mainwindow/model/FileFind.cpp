#include "mainwindow/model/FileFind.h"

#include "common/Clock.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// Names whose bytes are no text in the file system's encoding: Qt lists them under a name that
// opens nothing, or not at all. They are listed here as that name, so that the reader reports them
// like any other file it cannot read instead of losing them quietly.
QStringList undecodableNames(const QString &folder, bool directories, const QRegularExpression &mask)
{
    QStringList names;
    const QByteArray path = QFile::encodeName(folder);
    DIR *dir = ::opendir(path.constData());
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray raw(entry->d_name);
        if (raw.startsWith('.'))
            continue;
        const QString name = QFile::decodeName(raw);
        if (QFile::encodeName(name) == raw || !mask.match(name).hasMatch())
            continue;
        struct stat info
        {
        };
        if (::fstatat(::dirfd(dir), entry->d_name, &info, 0) != 0)
            continue;
        if (directories ? S_ISDIR(info.st_mode) : S_ISREG(info.st_mode))
            names << name;
    }
    ::closedir(dir);
    return names;
}

} // namespace

TFileFind::TFileFind()
    : Folder(QDir::currentPath())
{ }

void TFileFind::SortIgnoringCase(QStringList &list)
{
    std::sort(list.begin(), list.end(), [](const QString &a, const QString &b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
}

bool TFileFind::IsInside(const QString &path, const QString &folder)
{
    QString base = folder;
    while (base.size() > 1 && base.endsWith(QLatin1Char('/')))
        base.chop(1);
    if (base.isEmpty() || !path.startsWith(base))
        return false;
    return path.size() == base.size() || base.endsWith(QLatin1Char('/'))
        || path[base.size()] == QLatin1Char('/');
}

void TFileFind::Search()
{
    Results.clear();
    QStringList folders {Folder};
    if (Recursive)
        CollectSubfolders(Folder, folders);

    const QString mask = Mask == QLatin1String("*.*") ? QStringLiteral("*") : Mask;
    const QRegularExpression pattern(QRegularExpression::wildcardToRegularExpression(mask),
                                     QRegularExpression::CaseInsensitiveOption);
    // Hidden, system and volume entries do not exist here.
    if (Hidden || SystemFile || Volume)
        return;
    for (const QString &folder : std::as_const(folders)) {
        QDir dir(folder);
        dir.setNameFilters({mask});
        // Regular files only: a pipe or a device named like a picture would block its reader.
        dir.setFilter((Directory ? QDir::Dirs : QDir::Files) | QDir::NoDotAndDotDot);
        const QFileInfoList entries = dir.entryInfoList();
        for (const QFileInfo &entry : entries) {
            if (entry.fileName().startsWith(QLatin1Char('.')))
                continue;
            if (ReadOnly && entry.isWritable())
                continue;
            if (Archive && !entry.isFile())
                continue;
            Results << (FullPath ? dir.filePath(entry.fileName()) : entry.fileName());
        }
        if (!ReadOnly && !Archive) {
            for (const QString &name : undecodableNames(folder, Directory, pattern))
                Results << (FullPath ? dir.filePath(name) : name);
        }
    }
    SortIgnoringCase(Results);
}

void TFileFind::CollectSubfolders(const QString &folder, QStringList &list)
{
    QSet<QString> listed(list.cbegin(), list.cend());
    collect(folder, list, listed);
}

void TFileFind::collect(const QString &folder, QStringList &list, QSet<QString> &listed)
{
    QDir dir(folder);
    QStringList names = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    SortIgnoringCase(names);
    for (const QString &name : std::as_const(names)) {
        if (name.startsWith(QLatin1Char('.')))
            continue;
        const QString path = dir.filePath(name);
        if (!ProgramFolder.isEmpty() && IsInside(path, ProgramFolder))
            continue;
        if (listed.contains(path))
            continue;
        listed.insert(path);
        list << path;
        collect(path, list, listed);
        if (Waits)
            Waits->Pump();
    }
}
