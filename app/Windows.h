#pragma once

#include <QString>

#include <memory>

class Prompt;
class TDUNSelect;
class TMain;
class TMsgBox;
class TPopupListBox;
class TSelectColor;
class TSending;
class TSetPictureSize;
class TUserData;
class UiPrompt;
struct MailClients;
struct PlatformServices;

// The program's windows: one of each for the whole run, created by start-up in a fixed order and
// destroyed in the reverse order. Each window is given what it uses when it is made; nothing looks a
// window up later.
class TWindows
{
public:
    // Fails (throws) when a window cannot be built; the windows made so far are destroyed again.
    TWindows(const QString &workFolder, TUserData &settings, PlatformServices &services);
    ~TWindows();
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
    TSending *Sending = nullptr;
    TDUNSelect *DUNSelect = nullptr;

private:
    void destroy();

    // The picture size dialog's own messages go through the message box alone.
    std::unique_ptr<UiPrompt> m_messages;
    std::unique_ptr<UiPrompt> m_prompt;
    std::unique_ptr<MailClients> m_clients;
};
