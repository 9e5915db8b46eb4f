#pragma once

#include <QString>

// The application title: caption of the main window, of most windows and of the system boxes.
inline const QString &ApplicationTitle()
{
    static const QString title = QStringLiteral("タブリン");
    return title;
}
