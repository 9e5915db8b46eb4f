#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class FolderHistory;
class MainDialogs;
class MediaSearch;
class Prompt;
class Shell;
class PictureCanvas;

// The thumbnail picker as the picture sources use it.
class ThumbnailPicker
{
public:
    virtual ~ThumbnailPicker() = default;
    // Shows the folder's pictures; true when the user picked one (SelectedFile).
    virtual bool ShowForFolder(const QString &folder) = 0;
    virtual QString SelectedFile() const = 0;
    // The next ShowForFolder scans its folder again, even the same one.
    virtual void MarkRebuildDue() = 0;
};

// The platform's folder browser.
class FolderBrowser
{
public:
    virtual ~FolderBrowser() = default;
    // Opens on initialFolder; the chosen folder's path, or nothing when cancelled.
    virtual std::optional<QString> Browse(const QString &initialFolder) = 0;
};

// What the picture sources do to the main window. Any may be left empty.
struct FileSourceHost
{
    std::function<void()> Next; // the picture stage's Next
    std::function<void()> SwitchCameraOff;
    std::function<bool()> ScheduleRunning; // scheduled capture's timer is on
    std::function<void(bool)> SetWindowEnabled;
    std::function<void()> Repaint;
};

// The windows the picture sources open. A window not given counts as cancelled.
struct FileSourceWindows
{
    MainDialogs *Dialogs = nullptr; // the open-picture dialog
    ThumbnailPicker *Thumbnails = nullptr;
    MediaSearch *Media = nullptr;
    FolderBrowser *Browser = nullptr;
};

// The File-mode pane without its widgets: the folder box with its history and every way a picture
// file reaches the canvas (open dialog, thumbnails, folder box, media search, folder browser, sent
// folder, dropped files). Each route that loads a picture ends with Next.
class FileSourceModel : public QObject
{
    Q_OBJECT

public:
    FileSourceModel(QString workFolder, FolderHistory &history, Shell &shell, PictureCanvas &canvas,
                    Prompt &prompt, FileSourceWindows windows, FileSourceHost host,
                    QObject *parent = nullptr);

    // ---- The folder box cbxFolder: its text, its items (the history) and the selected item.
    const QString &FolderText() const { return m_folderText; }
    QStringList FolderItems() const;
    int FolderIndex() const { return m_folderIndex; }
    // The buttons set the text this way; the change handler runs at once.
    void SetFolderText(const QString &text);
    // The user types in the box: the text changes, nothing runs.
    void TypeFolderText(const QString &text);
    // Enter in the box: the typed folder is chosen as if picked.
    void EnterFolderText();
    // The user chose an item of the list.
    void cbxFolderSelect(int index);
    void cbxFolderChange();
    // btnOpenFolder: disabled until the folder box first changes.
    bool OpenFolderEnabled() const { return m_openFolderEnabled; }

    // ---- Buttons and the drop
    void btnOpenDialogClick();
    void btnOpenThumbnailClick();
    void btnOpenFolderClick();
    void btnFindFolderClick();
    void btnSelectFolderClick();
    void btnRecentClick();
    void btnOpenRecentClick();
    void btnOpenIntervalClick();
    void HandleDroppedFiles(const QStringList &files);

    // Thumbnails of the folder named by text, then loads the picture picked. True when it loaded;
    // the caller then goes on with Next.
    bool OpenFolderPicture(const QString &text);
    // The folder box's text goes to the top of the history and is selected.
    void RememberFolder();

    // The work folder's "Recent" (sent pictures) and "Interval" (scheduled shots).
    QString RecentFolder() const;
    QString IntervalFolder() const;
    // The file-manager buttons are enabled exactly when their folder exists.
    bool RecentFolderExists() const;
    bool IntervalFolderExists() const;

Q_SIGNALS:
    // Text, items or selection of the folder box changed.
    void folderBoxChanged();
    void openFolderEnabledChanged(bool enabled);

private:
    bool load(const QString &file);
    void next();
    void message(const QString &text, int icon);
    void selectTop();
    bool folderExists(const QString &folder) const;

    QString m_workFolder;
    FolderHistory &m_history;
    Shell &m_shell;
    PictureCanvas &m_canvas;
    Prompt &m_prompt;
    FileSourceWindows m_windows;
    FileSourceHost m_host;
    QString m_folderText;
    int m_folderIndex = -1;
    bool m_openFolderEnabled = false;
};
