#include "dialogs/UiPrompt.h"

#include "dialogs/MsgBoxUnit.h"
#include "dialogs/SelectColorUnit.h"
#include "dialogs/SetPictureSizeUnit.h"

int UiPrompt::ShowMessageBox(const QString &text, int icon, int buttons)
{
    return ::ShowMessageBox(text, icon, buttons);
}

int UiPrompt::ShowSystemMessageBox(const QString &text, int icon, int buttons)
{
    return ::ShowSystemMessageBox(text, icon, buttons);
}

QSize UiPrompt::AskPictureSize(const QString &width, const QString &height)
{
    return ::AskPictureSize(width, height);
}

int UiPrompt::PickColor(int initial)
{
    return ::PickColor(initial);
}
