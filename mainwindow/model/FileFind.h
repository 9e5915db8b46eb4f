#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

class Clock;

// The file search behind the thumbnail picker and the media search: the entries of a folder (and of
// the folders below it) that match a mask and carry the attributes asked for.
//
// The attributes are those of the original file system as this one has them: read-only = not
// writable, directory = a folder (without it only files are found); hidden, system and volume
// entries do not exist here (names beginning with "." are always skipped), and every file counts as
// archived. Symbolic links to folders are not followed, so a link loop cannot make a search endless.
class TFileFind
{
public:
    // Sorted ignoring letter case (names that differ only in case keep a fixed order).
    QStringList Results;
    QString Folder;
    // Wildcards * and ?, letter case ignored; "*.*" matches every name, with or without a dot.
    QString Mask = QStringLiteral("*.*");
    bool FullPath = false;
    bool Recursive = false;
    bool ReadOnly = false;
    bool Hidden = false;
    bool SystemFile = false;
    bool Volume = false;
    bool Directory = false;
    bool Archive = false;
    // Folders inside this one are never collected (the program's own folder).
    QString ProgramFolder;
    // Pumped after each folder collected, so that the windows stay painted; none: not pumped.
    Clock *Waits = nullptr;

    TFileFind();

    void Search();
    // Adds every folder below folder, at any depth, as a full path, each once; folders inside the
    // program folder are skipped.
    void CollectSubfolders(const QString &folder, QStringList &list);

    static void SortIgnoringCase(QStringList &list);
    // Whether path is folder itself or lies inside it (letter case counts, as it does here).
    static bool IsInside(const QString &path, const QString &folder);

private:
    void collect(const QString &folder, QStringList &list, QSet<QString> &listed);
};
