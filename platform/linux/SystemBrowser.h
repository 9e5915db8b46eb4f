#pragma once

#include <QUrl>

// Opens url in the user's browser by xdg-open (which honours $BROWSER), or by $BROWSER itself
// where xdg-open is missing. False when neither could be started.
bool OpenSystemBrowser(const QUrl &url);
