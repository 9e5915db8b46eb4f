#include "picture/Capture.h"

#include "common/Clock.h"
#include "common/Exception.h"
#include "common/SaveFile.h"
#include "picture/BmpFile.h"

#include <QDir>

#include <algorithm>

namespace {

// The longest the grab's wait lets events wait in one go.
constexpr int kPumpSliceMs = 20;

} // namespace

TCaptureBase::TCaptureBase(CaptureDevice *device, std::function<QSize()> hostSize, QString workFolder,
                           Clock &clock, CaptureDialogs *dialogs, QObject *parent)
    : QObject(parent)
    , m_device(device)
    , m_hostSize(std::move(hostSize))
    , m_workFolder(std::move(workFolder))
    , m_clock(clock)
    , m_dialogs(dialogs)
{
    if (!m_device)
        return;
    m_viewSize = m_hostSize ? m_hostSize() : QSize();
    m_viewRect = QRect(QPoint(0, 0), m_viewSize);
    connect(m_device, &CaptureDevice::frameArrived, this, &TCaptureBase::frameArrived);
}

TCaptureBase::~TCaptureBase()
{
    if (!m_device)
        return;
    disconnect(m_device, nullptr, this, nullptr);
    if (m_connected) {
        m_device->SetStreaming(false);
        m_device->Close();
    }
}

int TCaptureBase::GetImageWidth() const
{
    return m_device && m_connected ? m_device->ImageSize().width() : 0;
}

int TCaptureBase::GetImageHeight() const
{
    return m_device && m_connected ? m_device->ImageSize().height() : 0;
}

QStringList TCaptureBase::EnumDrivers()
{
    m_driverNames.clear();
    m_driverVersions.clear();
    if (!m_device)
        return m_driverNames;
    const QList<CaptureDriver> drivers = m_device->Drivers();
    for (const CaptureDriver &d : drivers) {
        if (m_driverNames.size() == MaxDrivers)
            break;
        m_driverNames << d.description;
        m_driverVersions << d.version;
    }
    return m_driverNames;
}

bool TCaptureBase::ConnectDriver(int index)
{
    if (!m_device)
        return false;
    if (m_driverNames.isEmpty())
        EnumDrivers();
    if (index < 0 || index >= m_driverNames.size())
        return false;
    m_connected = false;
    if (!m_device->Open(index))
        return false;
    m_connected = true;
    m_driverIndex = index;
    m_driverName = m_driverNames.at(index);
    m_driverVersion = m_driverVersions.at(index);
    SetScale(m_scale);
    m_hasFormatDialog = !m_device->Formats().isEmpty();
    m_hasSourceDialog = !m_device->Controls().isEmpty();
    if (m_previewing)
        startStream();
    return true;
}

bool TCaptureBase::ConnectDriverByName(const QString &name)
{
    if (!m_device)
        return false;
    if (m_driverNames.isEmpty())
        EnumDrivers();
    for (int i = 0; i < m_driverNames.size(); ++i) {
        if (m_driverNames.at(i).startsWith(name, Qt::CaseSensitive))
            return ConnectDriver(i);
    }
    return false;
}

QString TCaptureBase::PreferredDriverName()
{
    if (m_driverNames.isEmpty())
        EnumDrivers();
    return m_driverNames.value(0);
}

void TCaptureBase::CenterWindow()
{
    if (!m_device)
        return;
    const QSize host = m_hostSize ? m_hostSize() : QSize();
    m_viewRect = QRect((host.width() - m_viewSize.width()) / 2, (host.height() - m_viewSize.height()) / 2,
                       m_viewSize.width(), m_viewSize.height());
    Q_EMIT viewChanged();
}

void TCaptureBase::ResizeView(QSize size)
{
    if (!m_device)
        return;
    m_viewSize = size;
    CenterWindow();
}

void TCaptureBase::SetScale(bool on)
{
    if (!m_device)
        return;
    m_scale = on;
    CenterWindow();
}

void TCaptureBase::SetPreview(bool on, int rateMs)
{
    if (!m_device)
        return;
    m_previewRate = std::max(0, rateMs);
    m_previewDue = true;
    if (on != m_previewing) {
        m_previewing = on;
        if (m_connected && !m_grabbing) {
            if (on)
                startStream();
            else
                stopStream();
        }
    }
    CenterWindow();
    m_viewShown = on;
    Q_EMIT viewChanged();
}

void TCaptureBase::startStream()
{
    if (m_device->IsStreaming())
        return;
    m_awaitingFirstFrame = true;
    m_streamStart = -1;
    m_device->SetStreaming(true);
}

void TCaptureBase::stopStream()
{
    m_device->SetStreaming(false);
    m_streamStart = -1;
}

void TCaptureBase::frameArrived()
{
    const qint64 now = m_clock.Elapsed();
    if (m_awaitingFirstFrame) {
        m_awaitingFirstFrame = false;
        m_streamStart = now;
    }
    m_lastArrival = now;
    ++m_frameSerial;
    if (!m_previewing || m_grabbing)
        return;
    if (!m_previewDue && now < m_nextPreview)
        return;
    // Keep to the rate on average; after a gap, count from now.
    m_nextPreview = (m_previewDue || now - m_nextPreview >= m_previewRate) ? now + m_previewRate
                                                                           : m_nextPreview + m_previewRate;
    m_previewDue = false;
    const Bitmap frame = m_device->LatestFrame();
    if (!frame.isNull())
        Q_EMIT previewFrame(frame);
}

Bitmap TCaptureBase::waitForStill()
{
    const QPointer<TCaptureBase> alive(this);
    const qint64 start = m_clock.Elapsed();
    const quint64 serial = m_frameSerial;
    for (;;) {
        const bool fresh = m_frameSerial != serial;
        const bool settled = m_streamStart >= 0 && m_lastArrival >= m_streamStart + SettleMs;
        if (fresh && settled)
            return m_device ? m_device->LatestFrame() : Bitmap();
        const qint64 left = start + GrabWaitMs - m_clock.Elapsed();
        if (left <= 0)
            return fresh && m_device ? m_device->LatestFrame() : Bitmap();
        m_clock.Pump(int(std::min<qint64>(left, kPumpSliceMs)));
        if (!alive || !m_device)
            return Bitmap();
    }
}

QString TCaptureBase::GrabToFile()
{
    if (!m_device || !m_connected || m_grabbing)
        return QString();
    const QPointer<TCaptureBase> alive(this);
    const bool wasPreviewing = m_previewing;
    m_grabbing = true;
    const bool streamStarted = !m_device->IsStreaming();
    if (streamStarted)
        startStream();
    const Bitmap frame = waitForStill();
    if (!alive)
        return QString();
    m_grabbing = false;
    // The preview may have been switched meanwhile; the stream follows it again.
    if (m_device && m_connected) {
        if (!m_previewing)
            stopStream();
        else if (!m_device->IsStreaming())
            startStream();
    }
    if (wasPreviewing && m_previewing)
        m_previewDue = true;
    if (frame.isNull())
        return QString();
    const QString path = CapturePath();
    if (IsSymLink(path))
        throw Exception(SymLinkRefusedText(path));
    if (!SaveWholeFile(path, WriteBmp(frame.convertedTo(Bitmap::Format::Bgr24), BmpDepth::Bits24),
                       FileAccess::NoLinks))
        return QString();
    return path;
}

QString TCaptureBase::CapturePath() const
{
    return QDir(m_workFolder).filePath(QStringLiteral("capture.bmp"));
}

bool TCaptureBase::ShowFormatDialog()
{
    if (!m_device || !m_connected || !m_hasFormatDialog || !m_dialogs)
        return false;
    const int current = m_device->CurrentFormat();
    const std::optional<int> chosen = m_dialogs->ChooseFormat(m_device->Formats(), current);
    if (!m_device || !m_connected || !chosen || *chosen == current)
        return false;
    const bool streaming = m_device->IsStreaming();
    if (!m_device->SetFormat(*chosen))
        return false;
    // The stream starts anew in the new format, so its first frames settle again.
    if (streaming) {
        m_awaitingFirstFrame = true;
        m_streamStart = -1;
    }
    CenterWindow();
    return true;
}

void TCaptureBase::ShowSourceDialog()
{
    if (!m_device || !m_connected || !m_hasSourceDialog || !m_dialogs)
        return;
    const QList<CaptureControl> before = m_device->Controls();
    const QPointer<CaptureDevice> device = m_device;
    const bool accepted = m_dialogs->EditControls(
        [device] { return device ? device->Controls() : QList<CaptureControl>(); },
        [device](quint32 id, int value) { return device && device->SetControl(id, value); });
    if (accepted || !m_device || !m_connected)
        return;
    // Back in reverse order: a control that another one rules (a manual value under an automatic
    // switch) comes back while its switch still lets it.
    const QList<CaptureControl> now = m_device->Controls();
    for (auto it = before.crbegin(); it != before.crend(); ++it) {
        const auto same
            = std::find_if(now.cbegin(), now.cend(), [&](const CaptureControl &c) { return c.id == it->id; });
        if (same != now.cend() && same->value != it->value)
            m_device->SetControl(it->id, it->value);
    }
}
