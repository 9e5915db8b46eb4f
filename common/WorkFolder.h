#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Where the program keeps its files. A copy unpacked anywhere (or the build's bin/) keeps them beside
// its executable; an installed one, whose executable sits in a folder the user may not write (or
// must not: /usr/bin, even for root), keeps them in the user's data folder. Tavrin and tavrin-tool
// choose alike, so a script sends with the settings the user made in the window.

// The sounds the main window loads from the work folder at start.
inline const QStringList &SoundFileNames()
{
    static const QStringList names = {QStringLiteral("shutter.wav"), QStringLiteral("self.wav")};
    return names;
}

// The shared files of an installation whose executables are in executableFolder: <prefix>/share/tavrin/
// beside <prefix>/bin/. With a trailing separator; the folder need not exist.
QString InstalledDataFolder(const QString &executableFolder);

// The user's data folder for Tavrin ($XDG_DATA_HOME/Tavrin, normally ~/.local/share/Tavrin/), with a
// trailing separator; empty when the system names no data folder.
QString UserDataFolder();

// Whether the current user may create and replace files in folder (read-only mounts count as not).
bool FolderWritable(const QString &folder);

struct WorkFolderChoice
{
    QString folder; // with a trailing separator; empty when the per-user folder cannot be made
    bool perUser = false;
};

// The executable's folder when it is writable and is not an installation's bin folder (one with
// InstalledDataFolder beside it); otherwise userFolder, made when it is missing.
WorkFolderChoice ChooseWorkFolder(const QString &executableFolder, const QString &userFolder,
                                  const std::function<bool(const QString &)> &writable = FolderWritable);

// Copies each of names that workFolder lacks from the first of sourceFolders that has it, as a
// whole file. Files already in the work folder stay as they are (the user may have put their own
// there). Returns the names still missing afterwards.
QStringList ProvideWorkFiles(const QString &workFolder, const QStringList &names,
                             const QStringList &sourceFolders);
