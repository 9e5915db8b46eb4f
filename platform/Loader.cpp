#include "platform/Loader.h"

#include "platform/linux/LinuxDialUpService.h"
#include "platform/linux/QtSoundPlayer.h"
#include "platform/linux/ThunderbirdAccountStore.h"
#include "platform/null/NullMailAccountStore.h"
#include "platform/null/NullDialUpService.h"
#include "platform/null/NullSoundPlayer.h"

#include <QDir>
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
        services.MailAccounts = std::make_unique<NullMailAccountStore>();
        services.DialUp = std::make_unique<NullDialUpService>();
        return services;
    }
    services.Sound = std::make_unique<QtSoundPlayer>();
    services.MailAccounts = std::make_unique<ThunderbirdAccountStore>(QDir::homePath());
    services.DialUp = std::make_unique<LinuxDialUpService>();
    return services;
}
