#pragma once

#include <QByteArray>

#include <optional>

// Plays a WAV file held in memory. A machine without sound output plays nothing and reports nothing.
class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;
    // Starts the sound and returns at once; a sound still playing is cut off.
    virtual void PlayAsync(const QByteArray &wav) = 0;
    // Plays the sound and returns when it has ended (the caller's window stays responsive).
    virtual void PlayAndWait(const QByteArray &wav) = 0;
};

// The PCM samples of a RIFF/WAVE file and their format.
struct WavData
{
    int sampleRate = 0;
    int channels = 0;
    int bitsPerSample = 0;
    QByteArray samples;
};

// Nothing when the bytes are not an uncompressed PCM WAV file of 8 or 16 bits.
std::optional<WavData> ParseWav(const QByteArray &file);
