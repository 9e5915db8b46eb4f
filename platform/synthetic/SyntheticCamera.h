#pragma once

#include "platform/CaptureDevice.h"

#include <QDateTime>

#include <memory>

class Clock;
class ClockTimer;

// A camera made of software, for trying, testing and showing Camera and Auto mode on a machine
// without one (TAVRIN_CAMERA=test): colour bars that move, a ball, and a running clock, at 320 x 240
// or 640 x 480, 30 frames a second on the given clock. Like a webcam it starts dark and reaches its
// exposure over the first 600 ms of a stream. Its controls (brightness, contrast, saturation, white
// balance, mirror, pattern) act on the picture.
class SyntheticCamera : public CaptureDevice
{
    Q_OBJECT

public:
    static constexpr int FrameIntervalMs = 33;
    static constexpr int ExposureMs = 600;

    enum ControlId : quint32 {
        Brightness = 1,
        Contrast,
        Saturation,
        AutoWhiteBalance,
        ColorTemperature,
        Mirror,
        Pattern,
    };

    explicit SyntheticCamera(Clock &clock, QObject *parent = nullptr);
    ~SyntheticCamera() override;

    static QString Description();

    QList<CaptureDriver> Drivers() override;
    bool Open(int index) override;
    void Close() override;
    bool IsOpen() const override { return m_open; }

    void SetStreaming(bool on) override;
    bool IsStreaming() const override { return m_streaming; }
    Bitmap LatestFrame() const override;
    QSize ImageSize() const override;

    QList<CaptureFormat> Formats() const override;
    int CurrentFormat() const override { return m_open ? m_format : -1; }
    bool SetFormat(int index) override;

    QList<CaptureControl> Controls() const override;
    bool SetControl(quint32 id, int value) override;

    // The picture the camera shows at a moment of its stream (ms since it started), at the wall time
    // given: what LatestFrame returns for the latest frame.
    Bitmap Render(qint64 streamMs, const QDateTime &wallTime) const;

private:
    void tick();

    Clock &m_clock;
    std::unique_ptr<ClockTimer> m_timer;
    bool m_open = false;
    bool m_streaming = false;
    int m_format = 0; // kept for the run, like a driver's setting
    QList<CaptureControl> m_controls;

    qint64 m_streamStart = 0;
    qint64 m_frameMs = -1; // stream time of the latest frame
    QDateTime m_frameTime;
    mutable Bitmap m_rendered;
    mutable bool m_renderedCurrent = false;
};
