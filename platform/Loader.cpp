#include "platform/Loader.h"

#include "platform/linux/LinuxShell.h"
#include "platform/linux/QtSoundPlayer.h"
#include "platform/null/NullShell.h"
#include "platform/null/NullSoundPlayer.h"

#include <QtGlobal>

PlatformKind PlatformKindFromEnvironment()
{
    return qEnvironmentVariable("TAVRIN_PLATFORM").compare(QLatin1String("null"), Qt::CaseInsensitive) == 0
        ? PlatformKind::Null
        : PlatformKind::Linux;
}

PlatformServices LoadPlatformServices(PlatformKind kind)
{
    PlatformServices services;
    if (kind == PlatformKind::Null) {
        services.Sound = std::make_unique<NullSoundPlayer>();
        services.Desktop = std::make_unique<NullShell>();
        return services;
    }
    services.Sound = std::make_unique<QtSoundPlayer>();
    services.Desktop = std::make_unique<LinuxShell>();
    return services;
}
