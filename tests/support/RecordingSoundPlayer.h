#pragma once

#include "platform/SoundPlayer.h"

#include <QByteArray>
#include <QList>

#include <functional>

// Plays nothing; records what was played and how.
class RecordingSoundPlayer : public SoundPlayer
{
public:
    struct Played
    {
        QByteArray wav;
        bool waited = false;
        friend bool operator==(const Played &, const Played &) = default;
    };

    QList<Played> played;
    // Runs at every sound, after it was recorded.
    std::function<void(const Played &)> onPlay;

    void PlayAsync(const QByteArray &wav) override { record({wav, false}); }
    void PlayAndWait(const QByteArray &wav) override { record({wav, true}); }

private:
    void record(const Played &p)
    {
        played << p;
        if (onPlay)
            onPlay(p);
    }
};
