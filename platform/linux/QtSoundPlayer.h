#pragma once

#include "platform/SoundPlayer.h"

#include <QBuffer>

#include <memory>

class QAudioSink;

// Sound output through Qt Multimedia's default audio device.
class QtSoundPlayer : public SoundPlayer
{
public:
    QtSoundPlayer();
    ~QtSoundPlayer() override;

    void PlayAsync(const QByteArray &wav) override;
    void PlayAndWait(const QByteArray &wav) override;

private:
    // The sound's length in milliseconds once it plays, or -1.
    qint64 start(const QByteArray &wav);
    void stop();

    std::unique_ptr<QAudioSink> m_sink;
    QByteArray m_samples;
    QBuffer m_buffer;
};
