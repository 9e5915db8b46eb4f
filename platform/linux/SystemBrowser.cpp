#include "platform/linux/SystemBrowser.h"

#include <QProcess>

bool OpenSystemBrowser(const QUrl &url)
{
    const QString text = url.toString(QUrl::FullyEncoded);
    if (QProcess::startDetached(QStringLiteral("xdg-open"), {text}))
        return true;
    const QString browser = qEnvironmentVariable("BROWSER");
    return !browser.isEmpty() && QProcess::startDetached(browser, {text});
}
