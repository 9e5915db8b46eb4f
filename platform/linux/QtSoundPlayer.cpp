#include "platform/linux/QtSoundPlayer.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMediaDevices>

QtSoundPlayer::QtSoundPlayer() = default;

QtSoundPlayer::~QtSoundPlayer()
{
    stop();
}

void QtSoundPlayer::stop()
{
    if (m_sink)
        m_sink->stop();
    m_sink.reset();
    m_buffer.close();
}

qint64 QtSoundPlayer::start(const QByteArray &file)
{
    stop();
    const auto wav = ParseWav(file);
    if (!wav)
        return -1;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return -1;
    QAudioFormat format;
    format.setSampleRate(wav->sampleRate);
    format.setChannelCount(wav->channels);
    format.setSampleFormat(wav->bitsPerSample == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
    if (!device.isFormatSupported(format))
        return -1;
    m_samples = wav->samples;
    m_buffer.setData(m_samples);
    m_buffer.open(QIODevice::ReadOnly);
    m_sink = std::make_unique<QAudioSink>(device, format);
    m_sink->start(&m_buffer);
    if (m_sink->error() != QAudio::NoError)
        return -1;
    const qint64 bytesPerSecond = qint64(wav->sampleRate) * wav->channels * (wav->bitsPerSample / 8);
    return m_samples.size() * 1000 / bytesPerSecond;
}

void QtSoundPlayer::PlayAsync(const QByteArray &wav)
{
    start(wav);
}

void QtSoundPlayer::PlayAndWait(const QByteArray &wav)
{
    const qint64 lengthMs = start(wav);
    if (lengthMs < 0)
        return;
    // The sound's own length plus a margin bounds the wait, whatever the device reports.
    const qint64 limitMs = lengthMs + 1000;
    QElapsedTimer clock;
    clock.start();
    while (m_sink && m_sink->state() == QAudio::ActiveState && clock.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    stop();
}
