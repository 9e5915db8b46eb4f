#pragma once

#include "common/Clock.h"
#include "platform/Shell.h"

#include <QStringList>

// A desktop for tests: folders and volumes as the test sets them; the file manager only records.
class FakeShell : public Shell
{
public:
    QString documents;
    QString desktop;
    QList<MountedVolume> volumes;
    QStringList opened; // folders shown in the file manager, in order
    int pumpsPerCall = 1; // how often MountedVolumes pumps

    QString DocumentsFolder() const override { return documents; }
    QString DesktopFolder() const override { return desktop; }
    bool OpenInFileManager(const QString &folder) override
    {
        opened << folder;
        return true;
    }
    QList<MountedVolume> MountedVolumes(Clock &clock) override
    {
        for (int i = 0; i < pumpsPerCall; ++i)
            clock.Pump();
        return volumes;
    }
};
