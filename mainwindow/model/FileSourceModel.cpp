#include "mainwindow/model/FileSourceModel.h"

#include "common/Prompt.h"
#include "mainwindow/model/FolderHistory.h"
#include "mainwindow/model/MainDialogs.h"
#include "mainwindow/model/MediaSearch.h"
#include "picture/PictureCanvas.h"
#include "picture/PictureFile.h"
#include "platform/Shell.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kNoFolder = QStringLiteral("指定されたフォルダがありません。");
const QString kCannotRead = QStringLiteral("画像が読み込めません。");
const QString kFileGone = QStringLiteral("ファイルが見つかりません。移動または削除されています。");
const QString kSeveralFiles = QStringLiteral("複数ファイルのドロップはできません。");
const QString kNotBmpJpg = QStringLiteral("BMP/JPGファイル以外のファイルは編集できません。");
const QString kDroppedMissing = QStringLiteral("画像ファイルが見つかりません：\n ");
const QString kDroppedUnusable = QStringLiteral("このファイルの画像は扱えません：\n ");

// The extension of a file name: from its last dot on, or empty.
QString extensionOf(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

} // namespace

FileSourceModel::FileSourceModel(QString workFolder, FolderHistory &history, Shell &shell,
                                 PictureCanvas &canvas, Prompt &prompt, FileSourceWindows windows,
                                 FileSourceHost host, QObject *parent)
    : QObject(parent)
    , m_workFolder(std::move(workFolder))
    , m_history(history)
    , m_shell(shell)
    , m_canvas(canvas)
    , m_prompt(prompt)
    , m_windows(windows)
    , m_host(std::move(host))
{ }

QStringList FileSourceModel::FolderItems() const
{
    return m_history.Items();
}

QString FileSourceModel::RecentFolder() const
{
    return QDir(m_workFolder).filePath(QStringLiteral("Recent"));
}

QString FileSourceModel::IntervalFolder() const
{
    return QDir(m_workFolder).filePath(QStringLiteral("Interval"));
}

bool FileSourceModel::folderExists(const QString &folder) const
{
    // An empty name would be the current directory to QFileInfo.
    return !folder.isEmpty() && QFileInfo(folder).isDir();
}

bool FileSourceModel::RecentFolderExists() const
{
    return folderExists(RecentFolder());
}

bool FileSourceModel::IntervalFolderExists() const
{
    return folderExists(IntervalFolder());
}

void FileSourceModel::message(const QString &text, int icon)
{
    m_prompt.ShowMessageBox(text, icon, Msg::ButtonsOk);
}

bool FileSourceModel::load(const QString &file)
{
    if (m_host.SwitchCameraOff)
        m_host.SwitchCameraOff();
    return m_canvas.LoadPicture(file);
}

void FileSourceModel::next()
{
    if (m_host.Next)
        m_host.Next();
}

void FileSourceModel::selectTop()
{
    m_folderIndex = 0;
    m_folderText = m_history.Items().value(0);
    Q_EMIT folderBoxChanged();
}

void FileSourceModel::RememberFolder()
{
    m_history.RememberFolder(m_folderText);
    selectTop();
}

void FileSourceModel::SetFolderText(const QString &text)
{
    m_folderText = text;
    m_folderIndex = -1;
    Q_EMIT folderBoxChanged();
    cbxFolderChange();
}

void FileSourceModel::TypeFolderText(const QString &text)
{
    if (text == m_folderText)
        return;
    m_folderText = text;
    m_folderIndex = -1;
    Q_EMIT folderBoxChanged();
}

void FileSourceModel::EnterFolderText()
{
    SetFolderText(m_folderText);
}

void FileSourceModel::cbxFolderSelect(int index)
{
    if (index < 0 || index >= m_history.Items().size())
        return;
    m_folderIndex = index;
    m_folderText = m_history.Items()[index];
    Q_EMIT folderBoxChanged();
    cbxFolderChange();
}

void FileSourceModel::cbxFolderChange()
{
    const bool loaded = OpenFolderPicture(m_folderText);
    if (!m_openFolderEnabled) {
        m_openFolderEnabled = true;
        Q_EMIT openFolderEnabledChanged(true);
    }
    if (loaded)
        next();
}

void FileSourceModel::btnOpenFolderClick()
{
    if (m_folderIndex < 0 || m_folderIndex >= m_history.Items().size())
        return;
    if (OpenFolderPicture(m_history.Items()[m_folderIndex]))
        next();
}

void FileSourceModel::btnOpenDialogClick()
{
    QString start;
    if (!m_folderText.isEmpty()) {
        start = m_history.ToRealPath(m_folderText);
        if (!folderExists(start)) {
            message(kNoFolder, Msg::IconExclamation);
            return;
        }
    }
    const QString file = m_windows.Dialogs ? m_windows.Dialogs->OpenPictureDialog(start) : QString();
    if (file.isEmpty())
        return;
    if (!load(file)) {
        message(kCannotRead, Msg::IconError);
        return;
    }
    RememberFolder();
    next();
}

void FileSourceModel::btnOpenThumbnailClick()
{
    const QString folder = m_history.ToRealPath(m_folderText);
    if (!folderExists(folder)) {
        message(kNoFolder, Msg::IconExclamation);
        return;
    }
    if (!m_windows.Thumbnails || !m_windows.Thumbnails->ShowForFolder(folder))
        return;
    if (!load(m_windows.Thumbnails->SelectedFile())) {
        message(kCannotRead, Msg::IconError);
        return;
    }
    RememberFolder();
    next();
}

bool FileSourceModel::OpenFolderPicture(const QString &text)
{
    struct Disabled
    {
        const FileSourceHost &host;
        explicit Disabled(const FileSourceHost &h)
            : host(h)
        {
            if (host.SetWindowEnabled)
                host.SetWindowEnabled(false);
        }
        ~Disabled()
        {
            if (host.SetWindowEnabled)
                host.SetWindowEnabled(true);
        }
    } disabled(m_host);

    const QString folder = m_history.ToRealPath(text);
    if (!folderExists(folder)) {
        message(kNoFolder, Msg::IconExclamation);
        return false;
    }
    if (!m_windows.Thumbnails || !m_windows.Thumbnails->ShowForFolder(folder))
        return false;
    if (m_host.Repaint)
        m_host.Repaint();
    if (m_host.SwitchCameraOff)
        m_host.SwitchCameraOff();
    const QString file = m_windows.Thumbnails->SelectedFile();
    if (!QFileInfo(file).isFile()) {
        message(kFileGone, Msg::IconExclamation);
        m_windows.Thumbnails->MarkRebuildDue();
        return false;
    }
    if (!m_canvas.LoadPicture(file)) {
        message(kCannotRead, Msg::IconError);
        return false;
    }
    if (QDir::cleanPath(folder) != QDir::cleanPath(RecentFolder())) {
        m_history.RememberFolder(text);
        selectTop();
    }
    return true;
}

void FileSourceModel::btnFindFolderClick()
{
    if (!m_windows.Media || !m_windows.Media->SearchMedia())
        return;
    if (m_windows.Thumbnails)
        m_windows.Thumbnails->MarkRebuildDue();
    SetFolderText(m_windows.Media->FolderFound());
}

void FileSourceModel::btnSelectFolderClick()
{
    QString initial = m_history.ToRealPath(m_folderText);
    if (initial.isEmpty())
        initial = m_shell.DocumentsFolder();
    const std::optional<QString> chosen
        = m_windows.Browser ? m_windows.Browser->Browse(initial) : std::nullopt;
    if (!chosen || chosen->isEmpty())
        return;
    if (m_windows.Thumbnails)
        m_windows.Thumbnails->MarkRebuildDue();
    SetFolderText(m_history.ToDisplayPath(*chosen));
}

void FileSourceModel::btnRecentClick()
{
    if (m_windows.Thumbnails)
        m_windows.Thumbnails->MarkRebuildDue();
    SetFolderText(RecentFolder());
}

void FileSourceModel::btnOpenRecentClick()
{
    if (RecentFolderExists())
        m_shell.OpenInFileManager(RecentFolder());
}

void FileSourceModel::btnOpenIntervalClick()
{
    if (IntervalFolderExists())
        m_shell.OpenInFileManager(IntervalFolder());
}

void FileSourceModel::HandleDroppedFiles(const QStringList &files)
{
    if (m_host.ScheduleRunning && m_host.ScheduleRunning())
        return;
    if (files.isEmpty())
        return;
    if (files.size() > 1) {
        message(kSeveralFiles, Msg::IconExclamation);
        return;
    }
    const QString &path = files.first();
    const QString extension = extensionOf(path);
    // ".jpeg" stays refused as of old; the kinds beyond BMP and JPEG come in by their own names.
    if (extension.compare(QLatin1String(".bmp"), Qt::CaseInsensitive) != 0
        && extension.compare(QLatin1String(".jpg"), Qt::CaseInsensitive) != 0 && !HasPictureReaderName(path)) {
        message(kNotBmpJpg, Msg::IconExclamation);
        return;
    }
    if (!QFileInfo(path).isFile()) {
        message(kDroppedMissing + path, Msg::IconError);
        return;
    }
    if (!load(path)) {
        message(kDroppedUnusable + path, Msg::IconError);
        return;
    }
    next();
}
