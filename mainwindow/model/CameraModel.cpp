#include "mainwindow/model/CameraModel.h"

#include "common/Clock.h"
#include "common/Prompt.h"
#include "picture/Capture.h"
#include "picture/PictureCanvas.h"
#include "platform/SoundPlayer.h"

#include <QPointer>
#include <QScopeGuard>

namespace {

const QString kCameraError = QStringLiteral("カメラエラー。");

} // namespace

CameraModel::CameraModel(QString workFolder, PictureCanvas &canvas, CaptureDevice *device, SoundPlayer &sound,
                         QByteArray shutterSound, QByteArray tickSound, Prompt &prompt, Clock &clock,
                         CaptureDialogs *dialogs, QObject *parent)
    : QObject(parent)
    , m_workFolder(std::move(workFolder))
    , m_canvas(canvas)
    , m_device(device)
    , m_sound(sound)
    , m_shutterSound(std::move(shutterSound))
    , m_tickSound(std::move(tickSound))
    , m_prompt(prompt)
    , m_clock(clock)
    , m_dialogs(dialogs)
    , m_tmSelfTimer(clock.CreateTimer())
{
    m_tmSelfTimer->OnTimeout = [this] {
        tmSelfTimerTimer();
    };
}

CameraModel::~CameraModel()
{
    m_tmSelfTimer->Stop();
    m_capture.reset();
}

// ---- Operations of the main window

bool CameraModel::SetUpCamera()
{
    if (!SetCameraView(240, 180))
        return false;
    m_fitMode = FitWidth;
    SwitchCamera(false);
    Q_EMIT stateChanged();
    return true;
}

bool CameraModel::SetCameraView(int width, int height)
{
    bool result = true;
    const QSize host = m_canvas.CameraHostRect().size();
    const bool remake = !m_capture || (host.width() != width && host.height() != height);
    if (m_capture && remake)
        ReleaseCapture();

    m_canvas.SetCameraHostShown(false);
    m_canvas.PlaceCameraHost(QSize(width, height));
    m_canvas.SetCameraHostShown(true);

    if (remake) {
        PictureCanvas *canvas = &m_canvas;
        m_capture = std::make_unique<TCaptureBase>(
            m_device, [canvas] { return canvas->CameraHostRect().size(); }, m_workFolder, m_clock, m_dialogs);
        if (!m_capture->HasCaptureWindow()) {
            m_capture.reset();
            Q_EMIT stateChanged();
            Q_EMIT viewChanged();
            return false;
        }
        connect(m_capture.get(), &TCaptureBase::previewFrame, this, &CameraModel::previewFrame);
        connect(m_capture.get(), &TCaptureBase::viewChanged, this, &CameraModel::viewChanged);
        // This platform has no generic driver to prefer: the default camera comes first.
        result = m_capture->ConnectDriverByName(m_capture->PreferredDriverName());
        if (!result)
            result = m_capture->ConnectDriver(0);
    } else {
        m_capture->ResizeView(QSize(width, height));
    }
    SwitchCamera(result);
    Q_EMIT viewChanged();
    return result;
}

void CameraModel::SwitchCamera(bool on)
{
    if (!m_capture)
        return;
    // Without a connected camera there is nothing to show: it stays off and the picture visible.
    m_cameraOn = on && m_capture->Connected();
    m_capture->SetPreview(m_cameraOn, PreviewRateMs);
    m_switchHeld = m_cameraOn;
    m_canvas.SetCameraHostShown(m_cameraOn);
    Q_EMIT stateChanged();
}

void CameraModel::ToggleCamera()
{
    SwitchCamera(!m_cameraOn);
    m_canvas.SetPictureShown(!m_cameraOn);
    m_canvas.SetCameraHostShown(m_cameraOn);
    m_buttonsEnabled = m_cameraOn;
    if (!m_cameraOn)
        m_selfTimerOn = false;
    Q_EMIT stateChanged();
}

bool CameraModel::setViewInAspect()
{
    // A camera that reports no size has nothing to keep the aspect of.
    const int w = m_capture ? m_capture->GetImageWidth() : 0;
    const int h = m_capture ? m_capture->GetImageHeight() : 0;
    return w > 0 && h > 0 && SetCameraView(240, int(qint64(240) * h / w));
}

void CameraModel::EnterCameraMode()
{
    if (!setViewInAspect())
        m_prompt.ShowMessageBox(kCameraError, Msg::IconError, Msg::ButtonsOk);
    m_fitMode = FitWidth;
    SwitchCamera(false);
    ToggleCamera();
}

void CameraModel::EnterAutoMode()
{
    if (!setViewInAspect())
        m_prompt.ShowMessageBox(kCameraError, Msg::IconError, Msg::ButtonsOk);
    m_fitMode = FitWidth;
    SwitchCamera(true);
    SetPreview(m_cameraOn, SlowPreviewRateMs);
    Q_EMIT stateChanged();
}

void CameraModel::ReleaseCapture()
{
    if (!m_capture)
        return;
    m_capture->disconnect(this);
    m_capture.reset();
    Q_EMIT viewChanged();
}

// ---- Camera panel handlers

void CameraModel::btnCameraSwitchMouseDown()
{
    if (!m_busy)
        ToggleCamera();
}

void CameraModel::btnSelfTimerMouseDown()
{
    if (m_busy)
        return;
    m_selfTimerOn = !m_selfTimerOn;
    if (m_selfTimerOn)
        SwitchCamera(true);
    Q_EMIT stateChanged();
}

void CameraModel::btnResizeByHeightCameraMouseDown()
{
    changeFit(FitHeight);
}

void CameraModel::btnResizeByWidthCameraMouseDown()
{
    changeFit(FitWidth);
}

void CameraModel::changeFit(FitMode mode)
{
    if (m_busy || m_fitMode == mode)
        return;
    m_fitMode = mode;
    const int w = m_capture ? m_capture->GetImageWidth() : 0;
    const int h = m_capture ? m_capture->GetImageHeight() : 0;
    bool ok = false;
    if (w > 0 && h > 0) {
        ok = mode == FitHeight ? SetCameraView(int(qint64(w) * 320 / h), 320)
                               : SetCameraView(240, int(qint64(h) * 240 / w));
    }
    if (!ok)
        m_prompt.ShowMessageBox(kCameraError, Msg::IconError, Msg::ButtonsOk);
    SwitchCamera(true);
    Q_EMIT stateChanged();
}

void CameraModel::ShowFormatDialog()
{
    if (m_capture && m_capture->ShowFormatDialog())
        Q_EMIT viewChanged();
}

void CameraModel::ShowSourceDialog()
{
    if (m_capture)
        m_capture->ShowSourceDialog();
}

void CameraModel::btnShutterClick()
{
    if (m_busy)
        return;
    m_busy = true;
    const QPointer<CameraModel> alive(this);
    const auto done = qScopeGuard([this, alive] {
        if (alive)
            m_busy = false;
    });

    if (m_selfTimerOn) {
        if (m_capture)
            m_capture->SetPreview(m_cameraOn, SlowPreviewRateMs);
        m_count = SelfTimerStart;
        m_countdownShown = true;
        Q_EMIT countdownChanged();
        setWindowEnabled(false);
        m_tmSelfTimer->Start(SelfTimerIntervalMs);
        while (alive && m_tmSelfTimer->IsActive())
            m_clock.Pump(SelfTimerIntervalMs);
        if (!alive)
            return;
        setWindowEnabled(true);
        m_countdownShown = false;
        Q_EMIT countdownChanged();
    }

    PlayShutterSound();
    m_capturedPath = GrabToFile();
    if (!alive)
        return;
    // A still that cannot be read back counts as a failed grab: the canvas keeps its picture.
    if (!m_capturedPath.isEmpty() && !m_canvas.LoadCameraPicture(m_capturedPath))
        m_capturedPath.clear();
    if (!m_capturedPath.isEmpty()) {
        m_canvas.SetPictureShown(true);
        m_canvas.SetCameraHostShown(false);
        m_switchHeld = false;
        SwitchCamera(false);
        Q_EMIT stillTaken();
    }
    m_selfTimerOn = false;
    SwitchCamera(true);
    ToggleCamera();
}

void CameraModel::tmSelfTimerTimer()
{
    --m_count;
    if (m_count >= 0) {
        Q_EMIT countdownChanged();
        m_sound.PlayAndWait(m_tickSound);
    } else {
        m_tmSelfTimer->Stop();
    }
}

void CameraModel::setWindowEnabled(bool enabled)
{
    if (m_windowEnabled == enabled)
        return;
    m_windowEnabled = enabled;
    Q_EMIT windowEnabledChanged(enabled);
}

// ---- What scheduled shots use

void CameraModel::SetPreview(bool on, int rateMs)
{
    if (m_capture)
        m_capture->SetPreview(on, rateMs);
}

QString CameraModel::GrabToFile()
{
    return m_capture ? m_capture->GrabToFile() : QString();
}

void CameraModel::PlayShutterSound()
{
    m_sound.PlayAsync(m_shutterSound);
}

QRect CameraModel::ViewRect() const
{
    return m_capture ? m_capture->ViewRect() : QRect();
}

bool CameraModel::ViewShown() const
{
    return m_capture && m_capture->ViewShown() && m_canvas.CameraHostShown();
}
