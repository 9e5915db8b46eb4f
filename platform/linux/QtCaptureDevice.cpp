#include "platform/linux/QtCaptureDevice.h"

#include "platform/linux/V4l2Node.h"

#include <QCamera>
#include <QImage>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QTimer>
#include <QVideoFrameFormat>
#include <QVideoSink>

#include <algorithm>
#include <cstring>

namespace {

// The size a camera starts in when none was chosen: 640 x 480 where it has it (a handset picture is
// at most 240 x 320), else the smallest at least 320 wide, else its first.
QCameraFormat startFormat(const QList<QCameraFormat> &formats)
{
    if (formats.isEmpty())
        return QCameraFormat();
    const auto vga = std::find_if(formats.cbegin(), formats.cend(),
                                  [](const QCameraFormat &f) { return f.resolution() == QSize(640, 480); });
    if (vga != formats.cend())
        return *vga;
    const QCameraFormat *best = nullptr;
    for (const QCameraFormat &f : formats) {
        const QSize s = f.resolution();
        if (s.width() >= 320
            && (!best
                || qint64(s.width()) * s.height()
                    < qint64(best->resolution().width()) * best->resolution().height()))
            best = &f;
    }
    return best ? *best : formats.first();
}

// One entry per size and pixel format: the one with the highest frame rate, uncompressed first.
QList<QCameraFormat> distinctFormats(const QList<QCameraFormat> &all)
{
    QList<QCameraFormat> out;
    for (const QCameraFormat &f : all) {
        const auto same = std::find_if(out.begin(), out.end(), [&](const QCameraFormat &o) {
            return o.resolution() == f.resolution() && o.pixelFormat() == f.pixelFormat();
        });
        if (same == out.end())
            out << f;
        else if (f.maxFrameRate() > same->maxFrameRate())
            *same = f;
    }
    std::stable_sort(out.begin(), out.end(), [](const QCameraFormat &a, const QCameraFormat &b) {
        const qint64 pa = qint64(a.resolution().width()) * a.resolution().height();
        const qint64 pb = qint64(b.resolution().width()) * b.resolution().height();
        if (pa != pb)
            return pa < pb;
        return (a.pixelFormat() == QVideoFrameFormat::Format_Jpeg)
            < (b.pixelFormat() == QVideoFrameFormat::Format_Jpeg);
    });
    return out;
}

} // namespace

QtCaptureDevice::QtCaptureDevice(QObject *parent)
    : CaptureDevice(parent)
{ }

QtCaptureDevice::~QtCaptureDevice()
{
    Close();
}

QList<CaptureDriver> QtCaptureDevice::Drivers()
{
    m_devices.clear();
    // Every camera this platform can show has a V4L2 node. Without one there is nothing to list, and
    // asking Qt Multimedia would only start its media framework (a noticeable part of start-up) to say so.
    if (!HasVideoDeviceNodes())
        return {};
    const QCameraDevice preferred = QMediaDevices::defaultVideoInput();
    if (!preferred.isNull())
        m_devices << preferred;
    for (const QCameraDevice &d : QMediaDevices::videoInputs()) {
        if (d != preferred)
            m_devices << d;
    }
    QList<CaptureDriver> out;
    for (const QCameraDevice &d : std::as_const(m_devices)) {
        const V4l2Node node(QString::fromUtf8(d.id()));
        out << CaptureDriver {d.description(), node.DriverVersion()};
    }
    return out;
}

bool QtCaptureDevice::Open(int index)
{
    Close();
    if (m_devices.isEmpty())
        Drivers();
    if (index < 0 || index >= m_devices.size())
        return false;
    const QCameraDevice device = m_devices.at(index);
    const QString path = QString::fromUtf8(device.id());
    auto node = std::make_unique<V4l2Node>(path);
    // A V4L2 camera that cannot be opened (gone, or held by another program's exclusive driver) fails
    // here, as a driver that cannot be connected.
    if (path.startsWith(QLatin1String("/dev/")) && !node->IsOpen())
        return false;

    auto camera = std::make_unique<QCamera>(device);
    if (!camera->isAvailable())
        return false;
    m_device = device;
    m_node = std::move(node);
    m_formats = distinctFormats(device.videoFormats());
    m_format = m_chosen.value(device.id(), startFormat(m_formats));
    if (!m_format.isNull())
        camera->setCameraFormat(m_format);

    m_sink = std::make_unique<QVideoSink>();
    connect(m_sink.get(), &QVideoSink::videoFrameChanged, this, &QtCaptureDevice::frameChanged);
    m_session = std::make_unique<QMediaCaptureSession>();
    m_session->setCamera(camera.get());
    m_session->setVideoSink(m_sink.get());
    m_camera = std::move(camera);
    return true;
}

void QtCaptureDevice::Close()
{
    if (!m_camera)
        return;
    m_streaming = false;
    m_camera->stop();
    m_session.reset();
    m_camera.reset();
    m_sink.reset();
    m_node.reset();
    m_frame = QVideoFrame();
    m_converted = Bitmap();
    m_convertedCurrent = false;
    m_formats.clear();
    m_format = QCameraFormat();
}

void QtCaptureDevice::SetStreaming(bool on)
{
    if (!m_camera)
        return;
    m_streaming = on;
    // Applied from the event loop, so that a quick off and on (a shot switches the camera off and on
    // again before it settles off) does not restart the camera's pipeline.
    if (!m_applyPending) {
        m_applyPending = true;
        QTimer::singleShot(0, this, &QtCaptureDevice::applyStreaming);
    }
}

void QtCaptureDevice::applyStreaming()
{
    m_applyPending = false;
    if (m_camera && m_camera->isActive() != m_streaming)
        m_camera->setActive(m_streaming);
}

void QtCaptureDevice::frameChanged(const QVideoFrame &frame)
{
    if (!m_streaming || !frame.isValid())
        return;
    m_frame = frame;
    m_convertedCurrent = false;
    Q_EMIT frameArrived();
}

Bitmap QtCaptureDevice::LatestFrame() const
{
    if (m_convertedCurrent)
        return m_converted;
    m_convertedCurrent = true;
    m_converted = Bitmap();
    if (!m_frame.isValid())
        return m_converted;
    const QImage image = m_frame.toImage().convertToFormat(QImage::Format_BGR888);
    if (image.isNull())
        return m_converted;
    Bitmap out(image.width(), image.height());
    if (out.isNull())
        return m_converted;
    // QImage's BGR888 keeps red in the third byte, as our bitmaps do.
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(out.scanLine(y), image.constScanLine(y), size_t(out.bytesPerLine()));
    m_converted = out;
    return m_converted;
}

QSize QtCaptureDevice::ImageSize() const
{
    if (!m_camera)
        return QSize();
    if (!m_format.isNull())
        return m_format.resolution();
    return m_frame.isValid() ? m_frame.size() : QSize();
}

QList<CaptureFormat> QtCaptureDevice::Formats() const
{
    QList<CaptureFormat> out;
    for (const QCameraFormat &f : m_formats)
        out << CaptureFormat {f.resolution(), QVideoFrameFormat::pixelFormatToString(f.pixelFormat())};
    return out;
}

int QtCaptureDevice::CurrentFormat() const
{
    for (int i = 0; i < m_formats.size(); ++i) {
        if (m_formats.at(i) == m_format)
            return i;
    }
    return -1;
}

bool QtCaptureDevice::SetFormat(int index)
{
    if (!m_camera || index < 0 || index >= m_formats.size())
        return false;
    m_format = m_formats.at(index);
    m_chosen.insert(m_device.id(), m_format);
    const bool active = m_camera->isActive();
    if (active)
        m_camera->stop();
    m_camera->setCameraFormat(m_format);
    m_frame = QVideoFrame();
    m_convertedCurrent = false;
    if (active)
        m_camera->start();
    return true;
}

QList<CaptureControl> QtCaptureDevice::Controls() const
{
    return m_node ? m_node->Controls() : QList<CaptureControl>();
}

bool QtCaptureDevice::SetControl(quint32 id, int value)
{
    return m_node && m_node->SetControl(id, value);
}
