#include "app/Windows.h"

#include "dialogs/MsgBoxUnit.h"
#include "dialogs/PopupListBoxUnit.h"
#include "dialogs/SelectColorUnit.h"
#include "dialogs/SetPictureSizeUnit.h"
#include "dialogs/UiPrompt.h"
#include "mainwindow/MainUnit.h"

TWindows &Windows()
{
    static TWindows windows;
    return windows;
}

void CreateWindows(const QString &workFolder, TUserData &settings)
{
    TWindows &w = Windows();
    if (!w.UserPrompt)
        w.UserPrompt = new UiPrompt;
    // The order is fixed: windows created later may use those before them. New windows join here.
    w.Main = new TMain(workFolder, settings);
    w.MsgBox = new TMsgBox;
    w.PopupListBox = new TPopupListBox;
    w.SetPictureSize = new TSetPictureSize(*w.UserPrompt);
    w.SelectColor = new TSelectColor(w.Main);
}

void DestroyWindows()
{
    TWindows &w = Windows();
    delete w.SelectColor;
    w.SelectColor = nullptr;
    delete w.SetPictureSize;
    w.SetPictureSize = nullptr;
    delete w.PopupListBox;
    w.PopupListBox = nullptr;
    delete w.MsgBox;
    w.MsgBox = nullptr;
    delete w.Main;
    w.Main = nullptr;
    delete w.UserPrompt;
    w.UserPrompt = nullptr;
}
