#pragma once

#include <QSize>
#include <QString>

// The values of the message box's icon kinds, button sets and answers. They are plain numbers: a
// caller may pass any other icon (none shown) or button set (the labels of the previous use stay).
namespace Msg {
inline constexpr int IconNone = 0;
inline constexpr int IconError = 16;
inline constexpr int IconQuestion = 32;
inline constexpr int IconExclamation = 48;
inline constexpr int IconInformation = 64;

inline constexpr int ButtonsOk = 0;
inline constexpr int ButtonsOkCancel = 1;
inline constexpr int ButtonsYesNo = 4;

inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
} // namespace Msg

// How the core and the windows ask the user something. The program's windows implement it; tests
// give a scripted one that records what the user would have seen and answers as the test says.
// Every call is modal: it returns when the user has answered.
class Prompt
{
public:
    virtual ~Prompt() = default;

    // The program's own message box. Returns Msg::Ok or Msg::Cancel when its first button reads
    // "OK", Msg::Yes or Msg::No otherwise.
    virtual int ShowMessageBox(const QString &text, int icon, int buttons) = 0;
    // The platform's message box with the application title as caption, for the few messages that
    // do not use the program's own. Same values as ShowMessageBox.
    virtual int ShowSystemMessageBox(const QString &text, int icon, int buttons) = 0;
    // The user picture size, asked starting from the two field texts: 120..240 x 120..320, or
    // 0 x 0 when cancelled.
    virtual QSize AskPictureSize(const QString &width, const QString &height) = 0;
    // A background colour as 0xRRGGBB, starting from `initial`; -1 when cancelled.
    virtual int PickColor(int initial) = 0;
};
