#include "app/Windows.h"

#include "dialogs/DUNSelectUnit.h"
#include "dialogs/MsgBoxUnit.h"
#include "dialogs/PopupListBoxUnit.h"
#include "dialogs/SelectColorUnit.h"
#include "dialogs/SendingUnit.h"
#include "dialogs/SetPictureSizeUnit.h"
#include "dialogs/UiPrompt.h"
#include "mail/MailClients.h"
#include "mainwindow/MainUnit.h"

TWindows::TWindows(const QString &workFolder, TUserData &settings, PlatformServices &services)
{
    (void)services;
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
        Main = new TMain(workFolder, settings);
        Sending = new TSending(*m_clients, Main);
        DUNSelect = new TDUNSelect;
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

MailClients &TWindows::Clients() const
{
    return *m_clients;
}

void TWindows::destroy()
{
    delete DUNSelect;
    DUNSelect = nullptr;
    delete Sending;
    Sending = nullptr;
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
