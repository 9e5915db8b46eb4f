#pragma once

#include "mainwindow/model/MainDialogs.h"

#include <QString>

#include <memory>

class MailAccountStore;
class MainModel;
class MediaSearch;
class OAuthClient;
class OAuthNetwork;
class Prompt;
class SecretStore;
class TAccount;
class TAddress;
class TBrowseFolder;
class TConfig;
class TDUNSelect;
class TFindFolder;
class TLoadingThumbnail;
class TMain;
class TMsgBox;
class PictureOpenDialog;
class TPopupListBox;
class TSelectColor;
class TSending;
class TSetPictureSize;
class TThumbnail;
class TUserData;
class UiCaptureDialogs;
class UiPrompt;
struct MailClients;
struct PlatformServices;

// The program's windows: one of each for the whole run, created by start-up in a fixed order and
// destroyed in the reverse order. Each window is given what it uses when it is made; nothing looks a
// window up later. The main window reaches the dialogs it opens through this registry, as its
// MainDialogs.
class WindowRegistry : public MainDialogs
{
public:
    // Makes the main window's model over the services (the loader gives every one of them), then the
    // windows. Fails (throws) when the model or a window cannot be built (a file the main window
    // needs at start cannot be read); what was made so far is destroyed again.
    WindowRegistry(const QString &workFolder, TUserData &settings, PlatformServices &services);
    ~WindowRegistry() override;
    WindowRegistry(const WindowRegistry &) = delete;
    WindowRegistry &operator=(const WindowRegistry &) = delete;

    // How the windows and the core ask the user: through the windows below.
    Prompt &UserPrompt() const;

    // The small windows the others ask through.
    TMsgBox *MsgBox = nullptr;
    TPopupListBox *PopupListBox = nullptr;
    TSetPictureSize *SetPictureSize = nullptr;
    TSelectColor *SelectColor = nullptr;
    // The windows the main window's parts work with.
    TLoadingThumbnail *LoadingThumbnail = nullptr;
    TThumbnail *Thumbnail = nullptr;
    TFindFolder *FindFolder = nullptr;
    TSending *Sending = nullptr;
    TDUNSelect *DUNSelect = nullptr;
    TMain *Main = nullptr;
    // The dialogs the main window opens, over it; made when first needed.
    TAccount *Account = nullptr;
    TConfig *Config = nullptr;
    TAddress *Address = nullptr;

    // MainDialogs
    void HidePopupList() override;
    bool ShowConfig() override;
    std::optional<int> ChooseAddress(TAddressBook &book, const QString &name,
                                     const QString &address) override;
    QString OpenPictureDialog(const QString &startFolder) override;
    void HideSendingWindow() override;

private:
    void destroy();
    void showCameraDialog(bool format);
    TConfig *config();
    TAddress *address();

    // The picture size dialog's own messages go through the message box alone.
    std::unique_ptr<UiPrompt> m_messages;
    std::unique_ptr<UiPrompt> m_prompt;
    std::unique_ptr<MailClients> m_clients;
    // The SMTP sign-in by OAuth 2.0: the send and the settings dialog share it.
    std::unique_ptr<OAuthNetwork> m_signInNetwork;
    std::unique_ptr<SecretStore> m_secrets;
    std::unique_ptr<OAuthClient> m_signIn;
    std::unique_ptr<UiCaptureDialogs> m_captureDialogs;
    std::unique_ptr<TBrowseFolder> m_browser;
    std::unique_ptr<MediaSearch> m_media;
    std::unique_ptr<PictureOpenDialog> m_openDialog;
    std::unique_ptr<MainModel> m_model;
    TUserData *m_settings = nullptr;
    const MailAccountStore *m_accounts = nullptr;
};
