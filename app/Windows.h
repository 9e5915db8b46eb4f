#pragma once

#include <QString>

class Prompt;
class TMain;
class TMsgBox;
class TPopupListBox;
class TSelectColor;
class TSetPictureSize;
class TUserData;

// The program's windows: one of each for the whole run, created by start-up in the order of
// CreateWindows and reached through Windows().
struct TWindows
{
    // How the windows and the core ask the user: through the windows below.
    Prompt *UserPrompt = nullptr;

    TMain *Main = nullptr;
    TMsgBox *MsgBox = nullptr;
    TPopupListBox *PopupListBox = nullptr;
    TSetPictureSize *SetPictureSize = nullptr;
    TSelectColor *SelectColor = nullptr;
};

TWindows &Windows();

// Creates every window in the program's fixed order, the main window first.
void CreateWindows(const QString &workFolder, TUserData &settings);
// Destroys them, last created first.
void DestroyWindows();
