#include "platform/synthetic/SyntheticCamera.h"

#include "common/Clock.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

const QList<CaptureFormat> kFormats {{QSize(320, 240), QStringLiteral("RGB24")},
                                     {QSize(640, 480), QStringLiteral("RGB24")}};

QList<CaptureControl> defaultControls()
{
    using K = CaptureControl::Kind;
    auto control
        = [](SyntheticCamera::ControlId id, const char *name, K kind, int min, int max, int step, int def) {
              CaptureControl c;
              c.id = id;
              c.name = QString::fromUtf8(name);
              c.kind = kind;
              c.minimum = min;
              c.maximum = max;
              c.step = step;
              c.defaultValue = def;
              c.value = def;
              return c;
          };
    QList<CaptureControl> controls {
        control(SyntheticCamera::Brightness, "明るさ", K::Integer, -100, 100, 1, 0),
        control(SyntheticCamera::Contrast, "コントラスト", K::Integer, 0, 200, 1, 100),
        control(SyntheticCamera::Saturation, "彩度", K::Integer, 0, 200, 1, 100),
        control(SyntheticCamera::AutoWhiteBalance, "ホワイトバランス自動", K::Boolean, 0, 1, 1, 1),
        control(SyntheticCamera::ColorTemperature, "色温度", K::Integer, 2800, 6500, 10, 4600),
        control(SyntheticCamera::Mirror, "左右反転", K::Boolean, 0, 1, 1, 0),
        control(SyntheticCamera::Pattern, "パターン", K::Menu, 0, 1, 1, 0),
    };
    controls[6].menu = {{0, QStringLiteral("カラーバー")}, {1, QStringLiteral("グラデーション")}};
    controls[4].enabled = false; // under the automatic white balance
    return controls;
}

int valueOf(const QList<CaptureControl> &controls, quint32 id)
{
    for (const CaptureControl &c : controls) {
        if (c.id == id)
            return c.value;
    }
    return 0;
}

void paintPattern(QPainter &p, QSize size, qint64 ms, int pattern)
{
    const int w = size.width(), h = size.height();
    if (pattern == 0) {
        static const QColor bars[]
            = {Qt::white, Qt::yellow, Qt::cyan, Qt::green, Qt::magenta, Qt::red, Qt::blue};
        const int n = int(std::size(bars));
        const double barWidth = double(w) / n;
        const double shift = std::fmod(ms * w / 8000.0, double(w)); // once across in eight seconds
        for (int i = 0; i < 2 * n; ++i) {
            const double x = i * barWidth - shift;
            if (x >= w || x + barWidth <= 0)
                continue;
            p.fillRect(QRectF(x, 0, barWidth + 1, h * 3 / 4.0), bars[i % n]);
        }
        // A grey ramp along the bottom.
        for (int i = 0; i < 8; ++i) {
            const int v = i * 255 / 7;
            p.fillRect(QRectF(i * w / 8.0, h * 3 / 4.0, w / 8.0 + 1, h / 4.0 + 1), QColor(v, v, v));
        }
    } else {
        QLinearGradient g(0, 0, w, h);
        const double phase = std::fmod(ms / 10000.0, 1.0);
        for (int i = 0; i <= 6; ++i)
            g.setColorAt(i / 6.0, QColor::fromHsvF(std::fmod(phase + i / 6.0, 1.0), 0.8, 0.95));
        p.fillRect(QRect(0, 0, w, h), g);
    }
}

void paintBall(QPainter &p, QSize size, qint64 ms)
{
    const double r = size.height() / 10.0;
    // Bounces across and down at different speeds.
    const auto bounce = [](double t, double span) {
        const double u = std::fmod(t, 2 * span);
        return u < span ? u : 2 * span - u;
    };
    const double x = r + bounce(ms * size.width() / 5000.0, size.width() - 2 * r);
    const double y = r + bounce(ms * size.height() / 3700.0, size.height() - 2 * r);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, std::max(1.0, r / 8)));
    p.setBrush(QColor(255, 138, 0));
    p.drawEllipse(QPointF(x, y), r, r);
}

void paintClock(QPainter &p, QSize size, const QDateTime &time, qint64 frame)
{
    const int h = size.height();
    QFont big(QStringLiteral("IPAPGothic"));
    big.setPixelSize(h / 6);
    big.setBold(true);
    QFont small(QStringLiteral("IPAPGothic"));
    small.setPixelSize(std::max(10, h / 16));
    const QString clock = time.time().toString(QStringLiteral("hh:mm:ss"));
    const QString caption
        = QStringLiteral("テストカメラ  %1 x %2  #%3").arg(size.width()).arg(size.height()).arg(frame);

    const QRectF box(size.width() * 0.1, h * 0.32, size.width() * 0.8, h * 0.36);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 170));
    p.drawRoundedRect(box, h / 40.0, h / 40.0);
    p.setPen(Qt::white);
    p.setFont(big);
    p.drawText(box.adjusted(0, 0, 0, -box.height() * 0.35), Qt::AlignCenter, clock);
    p.setFont(small);
    p.drawText(box.adjusted(0, box.height() * 0.6, 0, 0), Qt::AlignHCenter | Qt::AlignTop, caption);
}

quint8 clampByte(int v)
{
    return quint8(std::clamp(v, 0, 255));
}

} // namespace

SyntheticCamera::SyntheticCamera(Clock &clock, QObject *parent)
    : CaptureDevice(parent)
    , m_clock(clock)
    , m_timer(clock.CreateTimer())
    , m_controls(defaultControls())
{
    m_timer->OnTimeout = [this] {
        tick();
    };
}

SyntheticCamera::~SyntheticCamera()
{
    m_timer->Stop();
}

QString SyntheticCamera::Description()
{
    return QStringLiteral("Tavrin Test Camera");
}

QList<CaptureDriver> SyntheticCamera::Drivers()
{
    return {CaptureDriver {Description(), QStringLiteral("1.0")}};
}

bool SyntheticCamera::Open(int index)
{
    Close();
    if (index != 0)
        return false;
    m_open = true;
    return true;
}

void SyntheticCamera::Close()
{
    SetStreaming(false);
    m_open = false;
}

void SyntheticCamera::SetStreaming(bool on)
{
    if (on == m_streaming || (on && !m_open))
        return;
    m_streaming = on;
    m_frameMs = -1;
    m_renderedCurrent = false;
    if (on) {
        m_streamStart = m_clock.Elapsed();
        m_timer->Start(FrameIntervalMs);
    } else {
        m_timer->Stop();
    }
}

void SyntheticCamera::tick()
{
    m_frameMs = m_clock.Elapsed() - m_streamStart;
    m_frameTime = m_clock.Now();
    m_renderedCurrent = false;
    Q_EMIT frameArrived();
}

Bitmap SyntheticCamera::LatestFrame() const
{
    if (m_frameMs < 0)
        return Bitmap();
    if (!m_renderedCurrent) {
        m_rendered = Render(m_frameMs, m_frameTime);
        m_renderedCurrent = true;
    }
    return m_rendered;
}

QSize SyntheticCamera::ImageSize() const
{
    return m_open ? kFormats.at(m_format).size : QSize();
}

QList<CaptureFormat> SyntheticCamera::Formats() const
{
    return m_open ? kFormats : QList<CaptureFormat>();
}

bool SyntheticCamera::SetFormat(int index)
{
    if (!m_open || index < 0 || index >= kFormats.size())
        return false;
    m_format = index;
    if (m_streaming) {
        SetStreaming(false);
        SetStreaming(true);
    }
    return true;
}

QList<CaptureControl> SyntheticCamera::Controls() const
{
    return m_open ? m_controls : QList<CaptureControl>();
}

bool SyntheticCamera::SetControl(quint32 id, int value)
{
    if (!m_open)
        return false;
    for (CaptureControl &c : m_controls) {
        if (c.id != id)
            continue;
        if (!c.enabled || value < c.minimum || value > c.maximum)
            return false;
        c.value = value;
        if (id == AutoWhiteBalance) {
            for (CaptureControl &t : m_controls) {
                if (t.id == ColorTemperature)
                    t.enabled = value == 0;
            }
        }
        m_renderedCurrent = false;
        return true;
    }
    return false;
}

Bitmap SyntheticCamera::Render(qint64 streamMs, const QDateTime &wallTime) const
{
    const QSize size = kFormats.at(m_format).size;
    QImage image(size, QImage::Format_RGB32);
    {
        QPainter p(&image);
        paintPattern(p, size, streamMs, valueOf(m_controls, Pattern));
        paintBall(p, size, streamMs);
        paintClock(p, size, wallTime, streamMs / FrameIntervalMs);
    }
    if (valueOf(m_controls, Mirror))
        image = image.mirrored(true, false);
    image = image.convertToFormat(QImage::Format_BGR888);

    // Exposure settling, then the controls, as integer factors over 1000.
    const int exposure = int(std::min<qint64>(1000, 150 + 850 * std::max<qint64>(0, streamMs) / ExposureMs));
    const int brightness = valueOf(m_controls, Brightness);
    const int contrast = valueOf(m_controls, Contrast);
    const int saturation = valueOf(m_controls, Saturation);
    const int warm
        = valueOf(m_controls, AutoWhiteBalance) ? 0 : (4600 - valueOf(m_controls, ColorTemperature));
    const int redGain = 1000 + warm * 1000 / 6000;
    const int blueGain = 1000 - warm * 1000 / 6000;

    Bitmap out(size.width(), size.height());
    for (int y = 0; y < size.height(); ++y) {
        const uchar *in = image.constScanLine(y);
        uchar *px = out.scanLine(y);
        for (int x = 0; x < size.width(); ++x, in += 3, px += 3) {
            int c[3] = {in[0], in[1], in[2]}; // blue, green, red
            const int luma = (c[2] * 299 + c[1] * 587 + c[0] * 114) / 1000;
            for (int &v : c) {
                v = luma + (v - luma) * saturation / 100;
                v = (v - 128) * contrast / 100 + 128 + brightness;
            }
            c[2] = c[2] * redGain / 1000;
            c[0] = c[0] * blueGain / 1000;
            for (int i = 0; i < 3; ++i)
                px[i] = clampByte(c[i] * exposure / 1000);
        }
    }
    return out;
}
