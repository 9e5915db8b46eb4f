#include "dialogs/UiPrompt.h"

#include "dialogs/MsgBoxUnit.h"
#include "dialogs/SelectColorUnit.h"
#include "dialogs/SetPictureSizeUnit.h"

UiPrompt::UiPrompt(TMsgBox *msgBox, TSetPictureSize *pictureSize, TSelectColor *selectColor)
    : m_msgBox(msgBox)
    , m_pictureSize(pictureSize)
    , m_selectColor(selectColor)
{ }

int UiPrompt::ShowMessageBox(const QString &text, int icon, int buttons)
{
    if (m_msgBox && !m_msgBox->isVisible())
        return m_msgBox->Execute(text, icon, buttons);
    return ::ShowSystemMessageBox(text, icon, buttons);
}

int UiPrompt::ShowSystemMessageBox(const QString &text, int icon, int buttons)
{
    return ::ShowSystemMessageBox(text, icon, buttons);
}

QSize UiPrompt::AskPictureSize(const QString &width, const QString &height)
{
    return m_pictureSize ? m_pictureSize->Ask(width, height) : QSize(0, 0);
}

int UiPrompt::PickColor(int initial)
{
    return m_selectColor ? m_selectColor->Pick(initial) : -1;
}
