#pragma once

#include "app/Loader.h"

#include <QString>

#include <functional>
#include <optional>

class Application;

// What the program entry may be told instead of looking it up; the defaults are what a real start
// uses. Tests point the folders at temporary ones and record the messages.
struct StartupOptions
{
    QString workFolder; // empty: chosen by ChooseWorkFolder from the two folders below
    QString executableFolder; // empty: the folder of the executable
    QString userFolder; // empty: the user's data folder
    std::function<bool(const QString &folder)> folderWritable; // empty: FolderWritable
    QString lockFolder; // empty: the user's runtime folder
    std::function<void(const QString &text)> systemWarning; // empty: the system message box
    int splashWaitMs = 3000;
    std::optional<bool> splashFades; // none: where the platform shows opacity
    std::optional<PlatformKind> platform; // none: as the environment says
};

// The file that marks the running copy, in the folder (empty: the user's runtime folder).
QString InstanceLockPath(const QString &folder);

// The executable's folder with a trailing separator.
QString ExecutableWorkFolder();

// The start-up sequence, the message loop and the end of the run. Returns the process exit code.
int RunTavrin(Application &app, const StartupOptions &options = {});
