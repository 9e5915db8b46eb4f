#pragma once

#include "common/Prompt.h"

#include <QPointer>

class TMsgBox;
class TSelectColor;
class TSetPictureSize;

// The prompt interface answered by the program's own windows: the message box, the platform's
// message box, the picture size dialog and the colour dialog. A dialog not given (or gone) counts as
// cancelled; without the message box every message goes to the platform's box.
class UiPrompt : public Prompt
{
public:
    explicit UiPrompt(TMsgBox *msgBox, TSetPictureSize *pictureSize = nullptr, TSelectColor *selectColor = nullptr);

    // While the program's box already shows a message (a timer's message during a question), the
    // new one goes to the platform's box, so that neither is lost.
    int ShowMessageBox(const QString &text, int icon, int buttons) override;
    int ShowSystemMessageBox(const QString &text, int icon, int buttons) override;
    QSize AskPictureSize(const QString &width, const QString &height) override;
    int PickColor(int initial) override;

private:
    QPointer<TMsgBox> m_msgBox;
    QPointer<TSetPictureSize> m_pictureSize;
    QPointer<TSelectColor> m_selectColor;
};
