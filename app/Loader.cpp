#include "app/Loader.h"

#include "common/Clock.h"
#include "platform/linux/LinuxDialUpService.h"
#include "platform/linux/LinuxShell.h"
#include "platform/linux/ModuleBackends.h"
#include "platform/linux/ThunderbirdAccountStore.h"
#include "platform/null/NullCaptureDevice.h"
#include "platform/null/NullDialUpService.h"
#include "platform/null/NullMailAccountStore.h"
#include "platform/null/NullShell.h"
#include "platform/null/NullSoundPlayer.h"
#include "platform/synthetic/SyntheticCamera.h"

#include <QDir>
#include <QtGlobal>

PlatformKind PlatformKindFromEnvironment()
{
    return qEnvironmentVariable("TAVRIN_PLATFORM").compare(QLatin1String("null"), Qt::CaseInsensitive) == 0
        ? PlatformKind::Null
        : PlatformKind::Linux;
}

CameraKind CameraKindFromEnvironment()
{
    return qEnvironmentVariable("TAVRIN_CAMERA").compare(QLatin1String("test"), Qt::CaseInsensitive) == 0
        ? CameraKind::Test
        : CameraKind::Platform;
}

PlatformServices LoadPlatformServices(PlatformKind kind, CameraKind camera)
{
    PlatformServices services;
    if (kind == PlatformKind::Null) {
        services.Sound = std::make_unique<NullSoundPlayer>();
        services.MailAccounts = std::make_unique<NullMailAccountStore>();
        services.DialUp = std::make_unique<NullDialUpService>();
        services.Camera = std::make_unique<NullCaptureDevice>();
        services.Desktop = std::make_unique<NullShell>();
    } else {
        services.Sound = MakeModuleSoundPlayer();
        services.MailAccounts = std::make_unique<ThunderbirdAccountStore>(QDir::homePath());
        services.DialUp = std::make_unique<LinuxDialUpService>();
        services.Camera = MakeModuleCaptureDevice();
        services.Desktop = std::make_unique<LinuxShell>();
    }
    if (camera == CameraKind::Test)
        services.Camera = std::make_unique<SyntheticCamera>(SystemClock());
    return services;
}
