#include "app/Windows.h"

#include "dialogs/MsgBoxUnit.h"
#include "dialogs/OpenPictureDialog.h"
#include "dialogs/PopupListBoxUnit.h"
#include "dialogs/SelectColorUnit.h"
#include "dialogs/SetPictureSizeUnit.h"
#include "dialogs/UiPrompt.h"
#include "mainwindow/MainUnit.h"

TWindows::TWindows(const QString &workFolder, TUserData &settings, PlatformServices &services)
{
    (void)services;
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

void TWindows::destroy()
{
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
