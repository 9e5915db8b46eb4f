#include "mainwindow/model/MediaSearch.h"

#include "common/Prompt.h"
#include "mainwindow/model/FileFind.h"
#include "platform/Shell.h"

#include <QDir>

MediaSearch::MediaSearch(Shell &shell, Prompt &prompt, DcfFolderChooser *chooser, QString programFolder,
                         Clock &clock)
    : m_shell(shell)
    , m_prompt(prompt)
    , m_chooser(chooser)
    , m_programFolder(std::move(programFolder))
    , m_clock(clock)
{ }

const QString &MediaSearch::NotFoundMessage()
{
    static const QString text = QStringLiteral("ＤＣＦに対応したフォルダが見つかりません");
    return text;
}

bool MediaSearch::IsDcfFolder(const QString &dcim, const QString &folder)
{
    if (!TFileFind::IsInside(folder, dcim) || folder.size() <= dcim.size() + 1)
        return false;
    const QString branch = folder.mid(dcim.size() + 1).section(QLatin1Char('/'), 0, 0);
    if (branch.size() < 3)
        return false;
    int number = 0;
    for (int i = 0; i < 3; ++i) {
        const char16_t c = branch[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        number = number * 10 + (c - u'0');
    }
    return number >= 100;
}

QStringList MediaSearch::FindDcfFolders()
{
    QStringList found;
    for (const MountedVolume &volume : m_shell.MountedVolumes(m_clock)) {
        if (!volume.ready || !volume.removable)
            continue;
        // Cards written elsewhere may spell it in any case.
        QDir root(volume.path);
        const QStringList dcims = root.entryList({QStringLiteral("DCIM")}, QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString &name : dcims) {
            const QString dcim = root.filePath(name);
            TFileFind find;
            find.ProgramFolder = m_programFolder;
            find.Waits = &m_clock;
            QStringList below;
            find.CollectSubfolders(dcim, below);
            for (const QString &folder : std::as_const(below)) {
                if (IsDcfFolder(dcim, folder))
                    found << folder;
            }
        }
    }
    return found;
}

bool MediaSearch::SearchMedia()
{
    m_found.clear();
    const QStringList folders = FindDcfFolders();
    if (folders.isEmpty()) {
        m_prompt.ShowMessageBox(NotFoundMessage(), Msg::IconExclamation, Msg::ButtonsOk);
        return false;
    }
    if (folders.size() == 1) {
        m_found = folders.first();
        return true;
    }
    const std::optional<QString> chosen = m_chooser ? m_chooser->ChooseDcfFolder(folders) : std::nullopt;
    if (!chosen)
        return false;
    m_found = *chosen;
    return true;
}
