#include "platform/Loader.h"

#include "platform/linux/LinuxDialUpService.h"
#include "platform/linux/QtSoundPlayer.h"
#include "platform/null/NullDialUpService.h"
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
        services.DialUp = std::make_unique<NullDialUpService>();
        return services;
    }
    services.Sound = std::make_unique<QtSoundPlayer>();
    services.DialUp = std::make_unique<LinuxDialUpService>();
    return services;
}
