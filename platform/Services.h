#pragma once

#include "platform/Shell.h"
#include "platform/SoundPlayer.h"

#include <memory>

// The platform services the program uses in place of the original system's: one object of each
// for the run, made by the loader and handed down from the program's entry. The camera, dial-up
// and mail account services join here.
struct PlatformServices
{
    std::unique_ptr<SoundPlayer> Sound;
    std::unique_ptr<Shell> Desktop;
};
