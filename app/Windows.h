#pragma once

#include "mainwindow/model/MainDialogs.h"

#include <QString>

#include <memory>

class MailAccountStore;
class MediaSearch;
class Prompt;
class TAccount;
class TAddress;
class TConfig;
class TDUNSelect;
class TBrowseFolder;
class TFindFolder;
class TLoadingThumbnail;
class TMain;
class TMsgBox;
class TPopupListBox;
class TSelectColor;
class TSending;
class TSetPictureSize;
class TThumbnail;
class TUserData;
class UiPrompt;
struct MailClients;
struct PlatformServices;

// The program's windows: one of each for the whole run, created by start-up in a fixed order and
// destroyed in the reverse order. Each window is given what it uses when it is made; nothing looks a
// window up later. The main window reaches the others through this registry as its MainDialogs.
class TWindows : public MainDialogs
{
public:
    // Fails (throws) when a window cannot be built; the windows made so far are destroyed again.
    TWindows(const QString &workFolder, TUserData &settings, PlatformServices &services);
    ~TWindows() override;
    TWindows(const TWindows &) = delete;
    TWindows &operator=(const TWindows &) = delete;

    // How the windows and the core ask the user: through the windows below.
    Prompt &UserPrompt() const;
    // The protocol clients, one of each for the run; the sending window breaks their connections.
    MailClients &Clients() const;

    TMsgBox *MsgBox = nullptr;
    TPopupListBox *PopupListBox = nullptr;
    TSetPictureSize *SetPictureSize = nullptr;
    TSelectColor *SelectColor = nullptr;
    TMain *Main = nullptr;
    TAccount *Account = nullptr;
    TConfig *Config = nullptr;
    TAddress *Address = nullptr;

    // MainDialogs
    void HidePopupList() override;
    QString OpenPictureDialog(const QString &startFolder) override;
    TSending *Sending = nullptr;
    TDUNSelect *DUNSelect = nullptr;
    TLoadingThumbnail *LoadingThumbnail = nullptr;
    TThumbnail *Thumbnail = nullptr;
    TFindFolder *FindFolder = nullptr;

    // The picture sources' services that go with the windows above: the folder browser and the
    // media search (which asks through FindFolder when there is more than one camera folder).
    TBrowseFolder &FolderBrowser() const;
    // None without the platform's shell.
    MediaSearch *CardSearch() const;

private:
    void destroy();

    // The picture size dialog's own messages go through the message box alone.
    std::unique_ptr<UiPrompt> m_messages;
    std::unique_ptr<UiPrompt> m_prompt;
    // Stands in when the services bring no mail account store.
    std::unique_ptr<MailAccountStore> m_noAccounts;
    std::unique_ptr<MailClients> m_clients;
    std::unique_ptr<TBrowseFolder> m_browser;
    std::unique_ptr<MediaSearch> m_media;
};
