#pragma once

#include "platform/SoundPlayer.h"

// Silence: for machines and runs without sound.
class NullSoundPlayer : public SoundPlayer
{
public:
    void PlayAsync(const QByteArray &) override { }
    void PlayAndWait(const QByteArray &) override { }
};
