#include "app/Windows.h"

#include "dialogs/AccountUnit.h"
#include "dialogs/AddressUnit.h"
#include "dialogs/ConfigUnit.h"
#include "dialogs/DUNSelectUnit.h"
#include "dialogs/MsgBoxUnit.h"
#include "dialogs/OpenPictureDialog.h"
#include "dialogs/PopupListBoxUnit.h"
#include "dialogs/SelectColorUnit.h"
#include "dialogs/SendingUnit.h"
#include "dialogs/SetPictureSizeUnit.h"
#include "dialogs/UiPrompt.h"
#include "mail/MailClients.h"
#include "mainwindow/FindFolderUnit.h"
#include "mainwindow/LoadingUnit.h"
#include "mainwindow/MainUnit.h"
#include "mainwindow/PictureFileDialogs.h"
#include "mainwindow/ThumbnailUnit.h"
#include "mainwindow/model/MediaSearch.h"
#include "platform/Services.h"
#include "platform/null/NullMailAccountStore.h"

#include <QCoreApplication>

TWindows::TWindows(const QString &workFolder, TUserData &settings, PlatformServices &services)
{
    m_clients = std::make_unique<MailClients>();
    try {
        // The small windows the main window asks through come first: on this platform the order
        // decides nothing else. New windows join after the main window.
        MsgBox = new TMsgBox;
        PopupListBox = new TPopupListBox;
        m_messages = std::make_unique<UiPrompt>(MsgBox);
        SetPictureSize = new TSetPictureSize(*m_messages);
        SelectColor = new TSelectColor;
        m_prompt = std::make_unique<UiPrompt>(MsgBox, SetPictureSize, SelectColor);
        Main = new TMain(TMainContext {workFolder, settings, *m_prompt, *this, PopupListBox, {}});
        // The dialogs the main window opens sit over it.
        const MailAccountStore *accounts = services.MailAccounts.get();
        if (!accounts) {
            m_noAccounts = std::make_unique<NullMailAccountStore>();
            accounts = m_noAccounts.get();
        }
        Account = new TAccount(PopupListBox, Main);
        // The camera's format and source dialogs join when the camera does.
        Config = new TConfig(settings, *m_prompt, *accounts, Account, {}, {}, Main);
        Address = new TAddress(settings, *m_prompt, PopupListBox, Main);
        Sending = new TSending(*m_clients, Main);
        DUNSelect = new TDUNSelect;
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

void TWindows::HidePopupList()
{
    if (PopupListBox)
        PopupListBox->HideList();
}

QString TWindows::OpenPictureDialog(const QString &startFolder)
{
    return ::OpenPictureDialog(Main, startFolder);
}

Prompt &TWindows::UserPrompt() const
{
    return *m_prompt;
}

MailClients &TWindows::Clients() const
{
    return *m_clients;
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
    delete DUNSelect;
    DUNSelect = nullptr;
    delete Sending;
    Sending = nullptr;
    delete Address;
    Address = nullptr;
    delete Config;
    Config = nullptr;
    delete Account;
    Account = nullptr;
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
