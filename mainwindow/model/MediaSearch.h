#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class Clock;
class Prompt;
class Shell;

// The window that lets the user choose among several camera folders.
class DcfFolderChooser
{
public:
    virtual ~DcfFolderChooser() = default;
    // Shows the folders and waits. The folder chosen (empty when none was selected), or nothing when
    // the user cancelled.
    virtual std::optional<QString> ChooseDcfFolder(const QStringList &folders) = 0;
};

// Finds the camera folders (DCF) of memory cards: on every ready volume that is removable or mounted
// by the user, the folders below its DCIM folder whose branch directly below DCIM starts with a
// three-digit number of at least 100 (DCIM/100ABCDE and the folders inside it, not DCIM/MISC).
class MediaSearch
{
public:
    // The clock pumps while the volumes are checked and the folders collected.
    MediaSearch(Shell &shell, Prompt &prompt, DcfFolderChooser *chooser, QString programFolder, Clock &clock);

    // One folder is taken at once, several are offered to the chooser; none gives a message. True
    // when a folder was found or chosen (FolderFound).
    bool SearchMedia();
    const QString &FolderFound() const { return m_found; }

    // Every camera folder of the ready removable volumes, volume by volume.
    QStringList FindDcfFolders();
    // Whether folder, somewhere below the DCIM folder dcim, is a camera folder.
    static bool IsDcfFolder(const QString &dcim, const QString &folder);

    static const QString &NotFoundMessage();

private:
    Shell &m_shell;
    Prompt &m_prompt;
    DcfFolderChooser *m_chooser;
    QString m_programFolder;
    Clock &m_clock;
    QString m_found;
};
