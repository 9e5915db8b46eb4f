#pragma once

#include <QString>
#include <QStringList>

// The folder history of the File-mode folder box: display paths, most recent first. Kept in
// "Folder.hst" in the work folder (CP932, one path a line, each ended by CR LF). During a run it may
// grow beyond the ten lines that are written back.
class FolderHistory
{
public:
    static constexpr int kFileLimit = 10;
    static constexpr char kFileName[] = "Folder.hst";
    // Ten paths of the longest length Linux allows, with their line ends, fit.
    static constexpr qint64 kMaxFileBytes = 64 * 1024;

    explicit FolderHistory(QString workFolder);

    // Replaces the items with the file's lines; false, with nothing changed, when the file does not
    // exist or cannot be read (not a regular file, or larger than kMaxFileBytes).
    bool Load();
    // Keeps the first kFileLimit items and writes them as a whole; false when the file cannot be
    // written (the old file then stays as it was).
    bool Save();

    const QStringList &Items() const { return m_items; }
    void SetItems(const QStringList &items) { m_items = items; }
    // Drops the items beyond the first count.
    void TrimTo(int count);

    QString FilePath() const;

private:
    QString m_workFolder;
    QStringList m_items;
};
