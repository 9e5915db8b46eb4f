// The entries of libtavrin-media.so (see BackendModules.h).

#include "platform/linux/BackendModules.h"
#include "platform/linux/QtCaptureDevice.h"
#include "platform/linux/QtSoundPlayer.h"

extern "C" Q_DECL_EXPORT CaptureDevice *tavrin_capture_device()
{
    return new QtCaptureDevice;
}

extern "C" Q_DECL_EXPORT SoundPlayer *tavrin_sound_player()
{
    return new QtSoundPlayer;
}
