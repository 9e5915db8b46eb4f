#include "app/WindowRegistry.h"

#include "common/Clock.h"
#include "dialogs/AccountUnit.h"
#include "dialogs/AddressUnit.h"
#include "dialogs/CameraDialogs.h"
#include "dialogs/ConfigUnit.h"
#include "dialogs/DUNSelectUnit.h"
#include "dialogs/MsgBoxUnit.h"
#include "dialogs/PopupListBoxUnit.h"
#include "dialogs/SelectColorUnit.h"
#include "dialogs/SendingUnit.h"
#include "dialogs/SetPictureSizeUnit.h"
#include "dialogs/UiPrompt.h"
#include "mail/MailClients.h"
#include "mail/OAuthClient.h"
#include "mail/SecretStore.h"
#include "mainwindow/FindFolderUnit.h"
#include "mainwindow/LoadingUnit.h"
#include "mainwindow/MainUnit.h"
#include "mainwindow/PictureFileDialogs.h"
#include "mainwindow/ThumbnailUnit.h"
#include "mainwindow/model/CameraModel.h"
#include "mainwindow/model/MainModel.h"
#include "mainwindow/model/MediaSearch.h"
#include "platform/Services.h"
#include "platform/linux/ModuleBackends.h"
#include "platform/linux/SystemBrowser.h"

#include <QCoreApplication>

WindowRegistry::WindowRegistry(const QString &workFolder, TUserData &settings, PlatformServices &services)
{
    m_clients = std::make_unique<MailClients>();
    m_signInNetwork = MakeModuleOAuthNetwork(SystemClock());
    m_secrets = MakeSecretStore(SystemClock(), workFolder);
    m_signIn = std::make_unique<OAuthClient>(*m_signInNetwork, *m_secrets, SystemClock());
    m_clients->AccessToken = [this, &settings] {
        return m_signIn->AccessToken(settings);
    };
    m_captureDialogs = std::make_unique<UiCaptureDialogs>();
    try {
        // The windows the main window and its parts ask through come first (on this platform the
        // order decides nothing else): they centre themselves over the window in use when shown.
        MsgBox = new TMsgBox;
        PopupListBox = new TPopupListBox;
        m_messages = std::make_unique<UiPrompt>(MsgBox);
        SetPictureSize = new TSetPictureSize(*m_messages);
        SelectColor = new TSelectColor;
        m_prompt = std::make_unique<UiPrompt>(MsgBox, SetPictureSize, SelectColor);
        LoadingThumbnail = new TLoadingThumbnail;
        Thumbnail = new TThumbnail(*m_prompt, *LoadingThumbnail);
        FindFolder = new TFindFolder;
        m_browser = std::make_unique<TBrowseFolder>();
        if (services.Desktop)
            m_media = std::make_unique<MediaSearch>(*services.Desktop, *m_prompt, FindFolder, workFolder,
                                                    SystemClock());
        Sending = new TSending(*m_clients);
        DUNSelect = new TDUNSelect;

        MainModel::Services parts;
        parts.shell = services.Desktop.get();
        parts.sound = services.Sound.get();
        parts.camera = services.Camera.get();
        parts.captureDialogs = m_captureDialogs.get();
        parts.thumbnails = Thumbnail;
        parts.media = m_media.get();
        parts.browser = m_browser.get();
        parts.clients = m_clients.get();
        parts.sendingWindow = Sending;
        parts.clock = &SystemClock();
        parts.dialUp = services.DialUp.get();
        parts.dialUpChooser = DUNSelect;
        m_model = std::make_unique<MainModel>(
            MainModel::Context {workFolder, settings, *m_prompt, *this, {}, parts});
        Main = new TMain(MainContext {*m_model, PopupListBox});
        Sending->SetOverWindow(Main);
        m_openDialog = std::make_unique<PictureOpenDialog>(Main);
        // The settings and address book dialogs are made when first opened: nobody waits for them
        // at start.
        m_settings = &settings;
        m_accounts = services.MailAccounts.get();
    } catch (...) {
        destroy();
        throw;
    }
}

WindowRegistry::~WindowRegistry()
{
    destroy();
}

Prompt &WindowRegistry::UserPrompt() const
{
    return *m_prompt;
}

void WindowRegistry::showCameraDialog(bool format)
{
    if (!Main)
        return;
    m_captureDialogs->SetParent(Config);
    CameraModel &camera = Main->Model().CameraPart();
    if (format)
        camera.ShowFormatDialog();
    else
        camera.ShowSourceDialog();
    // The settings dialog takes the keys again.
    if (Config) {
        Config->raise();
        Config->activateWindow();
    }
}

void WindowRegistry::HidePopupList()
{
    if (PopupListBox)
        PopupListBox->HideList();
}

TConfig *WindowRegistry::config()
{
    if (!Config && Main) {
        Account = new TAccount(PopupListBox, Main);
        Config = new TConfig(
            *m_settings, *m_prompt, *m_accounts, Account, [this] { showCameraDialog(true); },
            [this] { showCameraDialog(false); }, Main);
        Config->SetSignIn(m_signIn.get(), OpenSystemBrowser);
    }
    return Config;
}

TAddress *WindowRegistry::address()
{
    if (!Address && Main)
        Address = new TAddress(*m_settings, *m_prompt, PopupListBox, Main);
    return Address;
}

bool WindowRegistry::ShowConfig()
{
    TConfig *dialog = config();
    return dialog && dialog->Execute();
}

std::optional<int> WindowRegistry::ChooseAddress(TAddressBook &book, const QString &name,
                                                 const QString &address)
{
    TAddress *dialog = this->address();
    if (!dialog)
        return std::nullopt;
    const int chosen = dialog->ChooseEntry(book, name, address);
    return chosen < 0 ? std::nullopt : std::optional<int>(chosen);
}

QString WindowRegistry::OpenPictureDialog(const QString &startFolder)
{
    return m_openDialog ? m_openDialog->Execute(startFolder) : QString();
}

void WindowRegistry::HideSendingWindow()
{
    if (Sending && Sending->IsShowing())
        Sending->HideWindow();
}

namespace {

template<class Window> void release(Window *&window)
{
    delete window;
    window = nullptr;
}

} // namespace

void WindowRegistry::destroy()
{
    release(Address);
    release(Config);
    release(Account);
    m_openDialog.reset();
    release(Main);
    m_model.reset();
    release(DUNSelect);
    release(Sending);
    m_media.reset();
    m_browser.reset();
    release(FindFolder);
    release(Thumbnail);
    release(LoadingThumbnail);
    m_prompt.reset();
    release(SelectColor);
    release(SetPictureSize);
    m_messages.reset();
    release(PopupListBox);
    release(MsgBox);
}
