#include "app/Startup.h"

#include "app/Application.h"
#include "app/SplashUnit.h"
#include "app/Windows.h"
#include "common/UserData.h"
#include "mainwindow/MainUnit.h"
#include "widgets/Accessibility.h"
#include "widgets/Artwork.h"
#include "widgets/ProgramFont.h"

#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QLockFile>
#include <QMessageBox>
#include <QStandardPaths>

#include <memory>

namespace {

constexpr char kInstanceName[] = "Tavrin";

QString lockPath(const QString &folder)
{
    QString dir = folder;
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return QDir(dir).filePath(QLatin1String(kInstanceName));
}

void showSystemWarning(const QString &text)
{
    QMessageBox box(QMessageBox::Warning, ApplicationTitle(), text, QMessageBox::Ok);
    box.exec();
}

} // namespace

QString ExecutableWorkFolder()
{
    return QDir(QCoreApplication::applicationDirPath()).absolutePath() + QLatin1Char('/');
}

int RunTavrin(TApplication &app, const StartupOptions &options)
{
    const QString workFolder = options.workFolder.isEmpty() ? ExecutableWorkFolder() : options.workFolder;

    auto settings = std::make_unique<TUserData>(workFolder);
    settings->LoadFromWorkFolder();

    // A marker of the running copy; a lock left by a copy that died is taken over.
    QLockFile instance(lockPath(options.lockFolder));
    instance.setStaleLockTime(0);
    if (!instance.tryLock(0)) {
        const QString text = QStringLiteral("既に起動しています。");
        if (options.systemWarning)
            options.systemWarning(text);
        else
            showSystemWarning(text);
        return 0;
    }

    app.setApplicationName(QLatin1String(kInstanceName));
    ApplyProgramFont(app);
    InstallAccessibility();
    // The platform's own dialogs (the open dialog, the system message box) speak Japanese too.
    static QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
    // Every window carries the main window's icon.
    app.setWindowIcon(Artwork::ProgramIcon());

    PlatformServices services = LoadPlatformServices(options.platform.value_or(PlatformKindFromEnvironment()));
    std::unique_ptr<TWindows> windows;
    try {
        auto splash = std::make_unique<TSplash>(*settings, options.splashFades.value_or(TSplash::PlatformFades()));
        splash->tmWait.setInterval(options.splashWaitMs);
        splash->show();
        splash->repaint();
        QCoreApplication::processEvents();

        windows = std::make_unique<TWindows>(workFolder, *settings, services);

        while (splash->isVisible())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        splash.reset();
    } catch (...) {
        app.reportError(TApplication::MessageOf(std::current_exception()));
        return 1;
    }

    windows->Main->show();
    const int code = app.exec();

    windows.reset();
    settings.reset();
    return code;
}
