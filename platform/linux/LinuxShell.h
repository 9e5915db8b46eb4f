#pragma once

#include "platform/Shell.h"

#include <QByteArray>

#include <functional>

// One line of /proc/self/mountinfo that matters here.
struct MountEntry
{
    QString mountPoint;
    QString fileSystem;
    QString source;
    friend bool operator==(const MountEntry &, const MountEntry &) = default;
};

// The mount table's lines; octal escapes (\040 for a blank) undone, malformed lines left out.
QList<MountEntry> ParseMountInfo(const QByteArray &text);

// The desktop's folders from QStandardPaths, the file manager through QDesktopServices, and the
// volumes a user mounts: removable devices, and whatever is mounted under /media, /run/media or /mnt.
// A volume is ready when its root can be examined (QStorageInfo); each is examined on a thread of its
// own, so a hung network mount costs at most the time limit and never blocks the window.
class LinuxShell : public Shell
{
public:
    struct Options
    {
        QString mountInfo = QStringLiteral("/proc/self/mountinfo");
        // Whether the volume at a mount point answers; empty: QStorageInfo. May block.
        std::function<bool(const QString &)> probe;
        // What removable means for a mount's source; empty: the kernel's flag of its block device.
        std::function<bool(const QString &)> removableSource;
        int timeoutMs = 2000;
    };

    LinuxShell();
    explicit LinuxShell(Options options);

    QString DocumentsFolder() const override;
    QString DesktopFolder() const override;
    bool OpenInFileManager(const QString &folder) override;
    QList<MountedVolume> MountedVolumes(Clock &clock) override;

    static bool IsUserMountPoint(const QString &path);
    static bool IsRemovableDevice(const QString &source);

private:
    Options m_options;
};
