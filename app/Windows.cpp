#include "app/Windows.h"

#include "dialogs/MsgBoxUnit.h"
#include "dialogs/PopupListBoxUnit.h"
#include "dialogs/SelectColorUnit.h"
#include "dialogs/SetPictureSizeUnit.h"
#include "dialogs/UiPrompt.h"
#include "mainwindow/FindFolderUnit.h"
#include "mainwindow/LoadingUnit.h"
#include "mainwindow/MainUnit.h"
#include "mainwindow/PictureFileDialogs.h"
#include "mainwindow/ThumbnailUnit.h"
#include "mainwindow/model/MediaSearch.h"
#include "platform/Services.h"

#include <QCoreApplication>

TWindows::TWindows(const QString &workFolder, TUserData &settings, PlatformServices &services)
{
    try {
        // The small windows the main window asks through come first: on this platform the order
        // decides nothing else. New windows join after the main window.
        MsgBox = new TMsgBox;
        PopupListBox = new TPopupListBox;
        m_messages = std::make_unique<UiPrompt>(MsgBox);
        SetPictureSize = new TSetPictureSize(*m_messages);
        SelectColor = new TSelectColor;
        m_prompt = std::make_unique<UiPrompt>(MsgBox, SetPictureSize, SelectColor);
        Main = new TMain(workFolder, settings);
        LoadingThumbnail = new TLoadingThumbnail(Main);
        Thumbnail = new TThumbnail(*m_prompt, *LoadingThumbnail, Main);
        FindFolder = new TFindFolder(Main);
        m_browser = std::make_unique<TBrowseFolder>(Main);
        if (services.Desktop)
            m_media = std::make_unique<MediaSearch>(*services.Desktop, *m_prompt, FindFolder, workFolder,
                                                    [] { QCoreApplication::processEvents(); });
    } catch (...) {
        destroy();
        throw;
    }
}

TWindows::~TWindows()
{
    destroy();
}

Prompt &TWindows::UserPrompt() const
{
    return *m_prompt;
}

TBrowseFolder &TWindows::FolderBrowser() const
{
    return *m_browser;
}

MediaSearch *TWindows::CardSearch() const
{
    return m_media.get();
}

void TWindows::destroy()
{
    m_media.reset();
    m_browser.reset();
    delete FindFolder;
    FindFolder = nullptr;
    delete Thumbnail;
    Thumbnail = nullptr;
    delete LoadingThumbnail;
    LoadingThumbnail = nullptr;
    delete Main;
    Main = nullptr;
    m_prompt.reset();
    delete SelectColor;
    SelectColor = nullptr;
    delete SetPictureSize;
    SetPictureSize = nullptr;
    m_messages.reset();
    delete PopupListBox;
    PopupListBox = nullptr;
    delete MsgBox;
    MsgBox = nullptr;
}
