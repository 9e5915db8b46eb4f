#pragma once

#include "app/Prompt.h"

// The prompt interface answered by the program's own windows: the message box, the platform's
// message box, the picture size dialog and the colour dialog.
class UiPrompt : public Prompt
{
public:
    int ShowMessageBox(const QString &text, int icon, int buttons) override;
    int ShowSystemMessageBox(const QString &text, int icon, int buttons) override;
    QSize AskPictureSize(const QString &width, const QString &height) override;
    int PickColor(int initial) override;
};
