#pragma once

#include "platform/MailAccountStore.h"
#include "platform/DialUpService.h"
#include "platform/CaptureDevice.h"
#include "platform/Shell.h"
#include "platform/SoundPlayer.h"

#include <memory>

// The platform services the program uses in place of the original system's: one object of each
// for the run, made by the loader and handed down from the program's entry.
struct PlatformServices
{
    std::unique_ptr<SoundPlayer> Sound;
    std::unique_ptr<MailAccountStore> MailAccounts;
    std::unique_ptr<DialUpService> DialUp;
    std::unique_ptr<CaptureDevice> Camera;
    std::unique_ptr<Shell> Desktop;
};
