#pragma once

#include <QList>
#include <QString>

class Clock;

// A mounted file system as the media search sees it.
struct MountedVolume
{
    QString path; // the mount point
    bool ready = false; // its root answered in time
    bool removable = false; // on a removable device, or mounted under /media, /run/media or /mnt
    friend bool operator==(const MountedVolume &, const MountedVolume &) = default;
};

// The desktop's folders and file manager, and the mounted volumes. The folder browser is a window of
// its own on the UI side: it needs an owner window, which this layer does not know.
class Shell
{
public:
    virtual ~Shell() = default;

    // The user's documents and desktop folders, without a trailing separator; empty when unknown.
    virtual QString DocumentsFolder() const = 0;
    virtual QString DesktopFolder() const = 0;
    // Shows the folder in the desktop's file manager; false when nothing could be started.
    virtual bool OpenInFileManager(const QString &folder) = 0;
    // The mounted volumes, sorted by mount point. A volume that does not answer in time is listed
    // as not ready; the clock pumps while the volumes are checked, so the windows stay painted.
    virtual QList<MountedVolume> MountedVolumes(Clock &clock) = 0;
};
