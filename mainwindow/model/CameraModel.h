#pragma once

#include "common/Bitmap.h"
#include "mainwindow/model/MainSeams.h"

#include <QByteArray>
#include <QObject>
#include <QRect>
#include <QString>

#include <memory>

class CaptureDevice;
class CaptureDialogs;
class Clock;
class ClockTimer;
class Prompt;
class SoundPlayer;
class TCaptureBase;
class PictureCanvas;

// The camera side of the main window without its widgets: the capture object, the live view in the
// canvas's camera host, the camera switch, the fit modes, the self-timer and the shutter.
//
// The camera panel shows the state read from here (button looks and enabled states, the countdown)
// and forwards its clicks to the handlers; every change is announced by a signal. The main window
// disables itself while WindowEnabled() is false (the countdown) and enables its Next button on
// stillTaken.
class CameraModel : public QObject, public CameraControl
{
    Q_OBJECT

public:
    enum FitMode { FitHeight = 0, FitWidth = 1 };

    static constexpr int PreviewRateMs = 33;
    static constexpr int SlowPreviewRateMs = 250; // the countdown's and Auto mode's
    static constexpr int SelfTimerIntervalMs = 900;
    static constexpr int SelfTimerStart = 3;

    // The sounds are the whole WAV files, played from memory. device may be null (no camera
    // service); dialogs answers the camera's format and source dialogs.
    CameraModel(QString workFolder, PictureCanvas &canvas, CaptureDevice *device, SoundPlayer &sound,
                QByteArray shutterSound, QByteArray tickSound, Prompt &prompt, Clock &clock,
                CaptureDialogs *dialogs = nullptr, QObject *parent = nullptr);
    ~CameraModel() override;

    // ---- Operations of the main window

    // When the window is made: a 240 x 180 view; on success the fit mode is "width" and the camera
    // off. False when there is no working camera: Camera and Auto mode stay disabled, silently.
    bool SetUpCamera() override;
    // Sizes and centres the camera host, re-makes and connects the capture object when the host
    // changes size in both directions (or there is none), and switches the camera on exactly when a
    // camera is connected.
    bool SetCameraView(int width, int height);
    // Sets the camera state; nothing without a capture object. A capture object whose camera could
    // not be connected stays off.
    void SwitchCamera(bool on) override;
    // Flips the camera and shows either the live view or the picture; the camera buttons follow.
    void ToggleCamera();
    // The camera-side steps of entering Camera mode (view 240 wide in the camera's aspect, fit by
    // width, camera on through the switch) and Auto mode (the same view, camera on at the slow rate).
    // "カメラエラー。" when the view cannot be set.
    void EnterCameraMode() override;
    void EnterAutoMode() override;
    // Destroys the capture object (the window closes).
    void ReleaseCapture() override;

    // ---- Camera panel handlers (and the settings dialog's camera buttons)

    void btnCameraSwitchMouseDown();
    void btnShutterClick();
    void btnSelfTimerMouseDown();
    // Also the Auto panel's twins.
    void btnResizeByHeightCameraMouseDown();
    void btnResizeByWidthCameraMouseDown();
    // Only while a capture object exists.
    void ShowFormatDialog();
    void ShowSourceDialog();

    // ---- What scheduled shots use

    void SetPreview(bool on, int rateMs);
    QString GrabToFile();
    void PlayShutterSound();

    // ---- State

    bool HasCapture() const { return m_capture != nullptr; }
    TCaptureBase *Capture() const { return m_capture.get(); }
    bool CameraOn() const override { return m_cameraOn; }
    bool SelfTimerOn() const { return m_selfTimerOn; }
    FitMode Fit() const { return m_fitMode; }
    // The last grabbed still, empty when the last grab failed.
    QString CapturedPath() const { return m_capturedPath; }

    // Looks and enabled states of the camera panel.
    bool CameraSwitchHeld() const { return m_switchHeld; }
    bool SelfTimerHeld() const { return m_selfTimerOn; }
    bool FitHeightHeld() const { return m_fitMode == FitHeight; }
    bool FitWidthHeld() const { return m_fitMode == FitWidth; }
    // Shutter, self-timer and the fit buttons.
    bool CameraButtonsEnabled() const { return m_buttonsEnabled; }

    // The countdown digit over the shutter button, and whether the main window takes input.
    bool CountdownShown() const { return m_countdownShown; }
    QString CountdownText() const { return QString::number(m_count); }
    bool WindowEnabled() const { return m_windowEnabled; }
    // A shot is under way (the countdown or the grab).
    bool Busy() const { return m_busy; }

    // The live view inside the camera host (host coordinates) and whether it shows.
    QRect ViewRect() const;
    bool ViewShown() const;

Q_SIGNALS:
    void stateChanged();
    void countdownChanged();
    void windowEnabledChanged(bool enabled);
    void previewFrame(const Bitmap &frame);
    void viewChanged();
    // A still was put on the canvas.
    void stillTaken();

private:
    void tmSelfTimerTimer();
    void changeFit(FitMode mode);
    bool setViewInAspect();
    void setWindowEnabled(bool enabled);

    QString m_workFolder;
    PictureCanvas &m_canvas;
    CaptureDevice *m_device;
    SoundPlayer &m_sound;
    QByteArray m_shutterSound;
    QByteArray m_tickSound;
    Prompt &m_prompt;
    Clock &m_clock;
    CaptureDialogs *m_dialogs;

    std::unique_ptr<TCaptureBase> m_capture;
    std::unique_ptr<ClockTimer> m_tmSelfTimer;

    bool m_cameraOn = false;
    bool m_selfTimerOn = false;
    FitMode m_fitMode = FitWidth;
    QString m_capturedPath;
    bool m_switchHeld = false;
    bool m_buttonsEnabled = false;
    int m_count = SelfTimerStart;
    bool m_countdownShown = false;
    bool m_windowEnabled = true;
    bool m_busy = false;
};
