#pragma once

#include "platform/Shell.h"

// No desktop: no special folders, no file manager, no volumes.
class NullShell : public Shell
{
public:
    QString DocumentsFolder() const override { return {}; }
    QString DesktopFolder() const override { return {}; }
    bool OpenInFileManager(const QString &) override { return false; }
    QList<MountedVolume> MountedVolumes(Clock &) override { return {}; }
};
