#pragma once

#include <QString>
#include <QStringList>

class Shell;

// The folder history of the File-mode folder box: display paths, most recent first. Kept in
// "Folder.hst" in the work folder (CP932, one path a line, each ended by CR LF). During a run it may
// grow beyond the ten lines that are written back.
//
// A display path names a folder inside the user's documents or desktop folder by a word in their
// place, so that the history still works when those folders move.
class FolderHistory
{
public:
    static constexpr int kFileLimit = 10;
    static constexpr char kFileName[] = "Folder.hst";
    // Ten paths of the longest length Linux allows, with their line ends, fit.
    static constexpr qint64 kMaxFileBytes = 64 * 1024;
    static const QString &DocumentsWord(); // "ﾏｲﾄﾞｷｭﾒﾝﾄ", half-width
    static const QString &DesktopWord(); // "ﾃﾞｽｸﾄｯﾌﾟ", half-width

    // The special folders come from the shell at every conversion; without one there are none.
    explicit FolderHistory(QString workFolder, const Shell *shell = nullptr);

    // Replaces the items with the file's lines; false, with nothing changed, when the file does not
    // exist or cannot be read (not a regular file, or larger than kMaxFileBytes).
    bool Load();
    // Keeps the first kFileLimit items and writes them as a whole; false when the file cannot be
    // written (the old file then stays as it was), or when the last Load found a file it could not
    // read: that file is left as it is.
    bool Save();
    // Why the last Load could not read the file that is there (FileFaultText), or empty.
    const QString &Unread() const { return m_unread; }

    const QStringList &Items() const { return m_items; }
    void SetItems(const QStringList &items) { m_items = items; }
    // Drops the items beyond the first count.
    void TrimTo(int count);

    QString FilePath() const;

    // A leading documents word becomes the documents folder, then a leading desktop word the desktop
    // folder. Letter case counts.
    QString ToRealPath(const QString &text) const;
    // The reverse: a path in the documents folder (or that folder itself) gets the documents word in
    // its place, then one in the desktop folder the desktop word. Letter case counts; a folder that
    // merely starts with the same letters (Documents2) is not inside.
    QString ToDisplayPath(const QString &path) const;
    // Puts ToDisplayPath(folderText) at the top: an entry equal to it ignoring letter case moves up
    // and takes its spelling, otherwise it is added.
    void RememberFolder(const QString &folderText);
    // The first entry equal to the display path ignoring letter case, or -1.
    int IndexOf(const QString &displayPath) const;

private:
    QString m_workFolder;
    const Shell *m_shell = nullptr;
    QStringList m_items;
    QString m_unread;
};
