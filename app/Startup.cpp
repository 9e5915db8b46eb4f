#include "app/Startup.h"

#include "app/Application.h"
#include "app/BuiltArtwork.h"
#include "app/SplashUnit.h"
#include "app/TerminationSignals.h"
#include "app/WindowRegistry.h"
#include "common/UserData.h"
#include "common/WorkFolder.h"
#include "mainwindow/MainUnit.h"
#include "widgets/Accessibility.h"
#include "widgets/Artwork.h"
#include "widgets/ProgramFont.h"

#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QLockFile>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTranslator>

#include <memory>

#include <unistd.h>

namespace {

constexpr char kInstanceName[] = "Tavrin";

void showSystemWarning(const QString &text)
{
    QMessageBox box(QMessageBox::Warning, ApplicationTitle(), text, QMessageBox::Ok);
    box.exec();
}

} // namespace

QString InstanceLockPath(const QString &folder)
{
    QString dir = folder;
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    // The temporary folder is shared: a name of this user's own, so that one user's copy does not
    // keep another's from starting.
    if (dir.isEmpty())
        return QDir::temp().filePath(
            QStringLiteral("%1-%2").arg(QLatin1String(kInstanceName)).arg(::getuid()));
    return QDir(dir).filePath(QLatin1String(kInstanceName));
}

QString ExecutableWorkFolder()
{
    return QDir(QCoreApplication::applicationDirPath()).absolutePath() + QLatin1Char('/');
}

int RunTavrin(Application &app, const StartupOptions &options)
{
    const auto warn = [&options](const QString &text) {
        if (options.systemWarning)
            options.systemWarning(text);
        else
            showSystemWarning(text);
    };

    QString workFolder = options.workFolder;
    QStringList soundFolders;
    if (workFolder.isEmpty()) {
        const QString executable
            = options.executableFolder.isEmpty() ? ExecutableWorkFolder() : options.executableFolder;
        const QString user = options.userFolder.isEmpty() ? UserDataFolder() : options.userFolder;
        const WorkFolderChoice choice = ChooseWorkFolder(
            executable, user, options.folderWritable ? options.folderWritable : FolderWritable);
        if (choice.folder.isEmpty()) {
            warn(QStringLiteral("作業フォルダを作成できません。\n%1").arg(QDir::toNativeSeparators(user)));
            return 1;
        }
        workFolder = choice.folder;
        if (choice.perUser)
            soundFolders = {executable, InstalledDataFolder(executable)};
    }

    auto settings = std::make_unique<TUserData>(workFolder);
    settings->LoadFromWorkFolder();

    // A marker of the running copy; a lock left by a copy that died is taken over.
    QLockFile instance(InstanceLockPath(options.lockFolder));
    instance.setStaleLockTime(0);
    if (!instance.tryLock(0)) {
        warn(QStringLiteral("既に起動しています。"));
        return 0;
    }
    // The main window loads the sounds from the work folder: a per-user one gets the installed
    // sounds once, and keeps any the user puts there instead. What is still missing is reported
    // when the main window is built.
    if (!soundFolders.isEmpty())
        ProvideWorkFiles(workFolder, SoundFileNames(), soundFolders);

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
    ProvideBuiltModeMarkers();

    PlatformServices services
        = LoadPlatformServices(options.platform.value_or(PlatformKindFromEnvironment()));
    std::unique_ptr<WindowRegistry> windows;
    try {
        auto splash
            = std::make_unique<TSplash>(*settings, options.splashFades.value_or(TSplash::PlatformFades()));
        splash->tmWait.setInterval(options.splashWaitMs);
        splash->show();
        splash->repaint();
        QCoreApplication::processEvents();

        windows = std::make_unique<WindowRegistry>(workFolder, *settings, services);

        while (splash->isVisible())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        splash.reset();
    } catch (...) {
        app.reportError(Application::MessageOf(std::current_exception()));
        return 1;
    }

    // Told to stop from outside: saved as closing saves, then a normal end.
    TerminationSignals stopRequests;
    QObject::connect(&stopRequests, &TerminationSignals::requested, windows->Main, [&windows] {
        windows->Main->EndSession();
        QCoreApplication::exit(0);
    });
    windows->Main->show();
    const int code = app.exec();

    windows.reset();
    settings.reset();
    return code;
}
