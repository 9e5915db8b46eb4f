// tavrin-startup-probe WORKFOLDER: starts Tavrin as the program does, without the splash's wait and
// fade, and ends at once when the main window has painted. The work folder holds the two sounds and a
// "tav.ini" with a sender, so that no first-run question waits for an answer. The platform services are
// chosen by TAVRIN_PLATFORM as in the program.
#include "app/Application.h"
#include "app/FontWarmUp.h"
#include "app/Startup.h"
#include "mainwindow/MainUnit.h"

#include <QEvent>
#include <QFile>

#include <cstdlib>

#include <cstdio>

#include <unistd.h>

namespace {

class EndOnFirstPaint : public QObject
{
public:
    explicit EndOnFirstPaint(QByteArray lock)
        : m_lock(std::move(lock))
    { }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && qobject_cast<TMain *>(watched)) {
            // The lock goes as at a normal end, or the next run would start by taking over a
            // stale one, which no user's start does.
            ::unlink(m_lock.constData());
            // Gone at once: what is timed ends with the first paint, not with tearing down.
            std::_Exit(0);
        }
        return false;
    }

private:
    QByteArray m_lock;
};

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: tavrin-startup-probe WORKFOLDER\n");
        return 2;
    }
    const FontWarmUp fonts;
    Application app(argc, argv);
    StartupOptions options;
    options.workFolder = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/');
    options.lockFolder = options.workFolder;
    EndOnFirstPaint end(QFile::encodeName(InstanceLockPath(options.lockFolder)));
    app.installEventFilter(&end);
    options.splashWaitMs = 0;
    options.splashFades = false;
    return RunTavrin(app, options);
}
