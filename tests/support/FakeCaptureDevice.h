#pragma once

#include "common/Clock.h"
#include "platform/CaptureDevice.h"

#include <QList>

#include <memory>

// A camera for tests: lists the drivers it is given, streams plain frames on the clock's timer and
// records what was asked of it. While it "exposes" after the stream starts, its frames are dark.
class FakeCaptureDevice : public CaptureDevice
{
public:
    static constexpr Rgb Dark {16, 16, 16};
    static constexpr Rgb Bright {200, 180, 160};

    explicit FakeCaptureDevice(Clock &clock)
        : m_timer(clock.CreateTimer())
        , m_clock(clock)
    {
        m_timer->OnTimeout = [this] {
            deliver();
        };
    }

    // What the test sets.
    QList<CaptureDriver> drivers;
    QList<CaptureFormat> formats {{QSize(320, 240), QStringLiteral("YUYV")},
                                  {QSize(640, 480), QStringLiteral("MJPG")}};
    QList<CaptureControl> controls;
    int frameIntervalMs = 33;
    int exposureMs = 0; // frames of the stream's first moment are Dark
    bool openFails = false;
    bool deliverFrames = true;

    // What the device saw.
    QList<int> opened;
    int closes = 0;
    QList<std::pair<quint32, int>> controlWrites;
    int frames = 0;

    static CaptureDriver Driver(const QString &description, const QString &version = QStringLiteral("1.0"))
    {
        return CaptureDriver {description, version};
    }

    // A control at its default value.
    static CaptureControl Control(quint32 id, const QString &name,
                                  CaptureControl::Kind kind = CaptureControl::Kind::Integer, int minimum = 0,
                                  int maximum = 100, int value = 0)
    {
        CaptureControl c;
        c.id = id;
        c.name = name;
        c.kind = kind;
        c.minimum = minimum;
        c.maximum = maximum;
        c.defaultValue = value;
        c.value = value;
        return c;
    }

    QList<CaptureDriver> Drivers() override { return drivers; }
    bool Open(int index) override
    {
        Close();
        if (openFails || index < 0 || index >= drivers.size())
            return false;
        opened << index;
        m_open = true;
        return true;
    }
    void Close() override
    {
        if (!m_open)
            return;
        ++closes;
        SetStreaming(false);
        m_open = false;
    }
    bool IsOpen() const override { return m_open; }

    void SetStreaming(bool on) override
    {
        if (on == m_streaming || (on && !m_open))
            return;
        m_streaming = on;
        if (on) {
            m_streamStart = m_clock.Elapsed();
            m_timer->Start(frameIntervalMs);
        } else {
            m_timer->Stop();
        }
    }
    bool IsStreaming() const override { return m_streaming; }
    Bitmap LatestFrame() const override { return m_latest; }
    QSize ImageSize() const override
    {
        return m_open && m_format >= 0 && m_format < formats.size() ? formats.at(m_format).size : QSize();
    }

    QList<CaptureFormat> Formats() const override { return m_open ? formats : QList<CaptureFormat>(); }
    int CurrentFormat() const override { return m_open ? m_format : -1; }
    bool SetFormat(int index) override
    {
        if (!m_open || index < 0 || index >= formats.size())
            return false;
        m_format = index;
        if (m_streaming) {
            SetStreaming(false);
            SetStreaming(true);
        }
        return true;
    }

    QList<CaptureControl> Controls() const override { return m_open ? controls : QList<CaptureControl>(); }
    bool SetControl(quint32 id, int value) override
    {
        for (CaptureControl &c : controls) {
            if (c.id == id) {
                controlWrites << std::pair {id, value};
                c.value = value;
                return true;
            }
        }
        return false;
    }

    qint64 StreamStart() const { return m_streamStart; }

private:
    void deliver()
    {
        if (!deliverFrames)
            return;
        const QSize size = ImageSize();
        const Rgb colour = m_clock.Elapsed() - m_streamStart < exposureMs ? Dark : Bright;
        // Frames of one colour share their pixels: a long schedule makes many.
        if (m_latest.width() != size.width() || m_latest.height() != size.height() || m_latest.isNull()
            || m_latest.pixel(0, 0) != colour) {
            Bitmap frame(size.width(), size.height());
            frame.fill(colour);
            m_latest = frame;
        }
        ++frames;
        Q_EMIT frameArrived();
    }

    std::unique_ptr<ClockTimer> m_timer;
    Clock &m_clock;
    bool m_open = false;
    bool m_streaming = false;
    int m_format = 0;
    qint64 m_streamStart = 0;
    Bitmap m_latest;
};
