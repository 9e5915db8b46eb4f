#pragma once

#include "common/Bitmap.h"
#include "platform/CaptureDevice.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class Clock;

// The camera's own dialogs as the capture object asks for them; the windows implement them.
class CaptureDialogs
{
public:
    virtual ~CaptureDialogs() = default;
    // The format chosen among formats, the current one preselected (-1: none); nothing when cancelled.
    virtual std::optional<int> ChooseFormat(const QList<CaptureFormat> &formats, int current) = 0;
    // The camera's controls as read reads them; every change goes through apply at once, so the live
    // view follows, and the controls are read anew afterwards. True when closed with OK.
    virtual bool EditControls(const std::function<QList<CaptureControl>()> &read,
                              const std::function<bool(quint32 id, int value)> &apply)
        = 0;
};

// The capture window of the camera host: lists the cameras, connects one, shows its live picture in
// the host at a preview rate and grabs stills into "capture.bmp" in the work folder.
//
// Without a device no capture window exists: queries then give 0 or nothing and commands do nothing.
// The live view is a view rectangle of the size given at construction, centred in the host; its
// frames come through previewFrame, at most one per preview rate. The capture object is re-made
// rather than resized (the main window does that when the host changes size in both directions).
class TCaptureBase : public QObject
{
    Q_OBJECT

public:
    static constexpr int MaxDrivers = 10;
    // Webcams deliver dark or half-exposed frames while their automatic exposure settles after the
    // stream starts: a still is taken from the frames after this moment...
    static constexpr int SettleMs = 1000;
    // ...unless none has come by then, measured from the start of the grab; a grab that sees no new
    // frame at all within this time fails.
    static constexpr int GrabWaitMs = 3000;

    // hostSize gives the host's current client size; view width and height are taken from it now.
    TCaptureBase(CaptureDevice *device, std::function<QSize()> hostSize, QString workFolder, Clock &clock,
                 CaptureDialogs *dialogs = nullptr, QObject *parent = nullptr);
    // Stops the stream and closes the camera.
    ~TCaptureBase() override;

    bool HasCaptureWindow() const { return m_device != nullptr; }

    // The image size of the connected camera's current format; 0 when there is none.
    int GetImageWidth() const;
    int GetImageHeight() const;

    // Lists the cameras anew, at most MaxDrivers; the descriptions, in driver index order.
    QStringList EnumDrivers();
    const QStringList &DriverNames() const { return m_driverNames; }
    const QStringList &DriverVersions() const { return m_driverVersions; }
    // Enumerates first when the list is empty; false when index is not in the list or the camera
    // cannot be opened.
    bool ConnectDriver(int index);
    // The first camera whose description begins with name (letter case counts).
    bool ConnectDriverByName(const QString &name);
    // What ConnectDriverByName is given on this platform, which has no generic driver to prefer: the
    // default camera's description (empty without cameras).
    QString PreferredDriverName();
    bool Connected() const { return m_connected; }
    QString DriverName() const { return m_driverName; }
    QString DriverVersion() const { return m_driverVersion; }
    int DriverIndex() const { return m_driverIndex; }

    // Centres the view in the host at its construction size.
    void CenterWindow();
    // Gives the view a new size, centred in the host: when the host changes size in one direction
    // only, the live view keeps showing what a still will hold.
    void ResizeView(QSize size);
    void SetScale(bool on);
    bool Scale() const { return m_scale; }
    // Starts or stops the live view: frames at most every rateMs, the view shown or hidden. The
    // camera streams exactly while the preview is on (and during a grab).
    void SetPreview(bool on, int rateMs);
    bool Previewing() const { return m_previewing; }
    int PreviewRate() const { return m_previewRate; }
    bool ViewShown() const { return m_viewShown; }
    // The view in host coordinates.
    QRect ViewRect() const { return m_viewRect; }

    // Takes one frame into "capture.bmp" (24-bit) and returns its path, or empty when no frame came
    // or the file could not be written; a failure leaves an earlier file as it was. The live view is
    // paused meanwhile and the window stays responsive. A symbolic link in the file's place is not
    // written through: Exception.
    QString GrabToFile();
    QString CapturePath() const;

    bool HasFormatDialog() const { return m_hasFormatDialog; }
    bool HasSourceDialog() const { return m_hasSourceDialog; }
    // True when another format was chosen (and set).
    bool ShowFormatDialog();
    // Cancelling puts every control back as it was.
    void ShowSourceDialog();

Q_SIGNALS:
    void previewFrame(const Bitmap &frame);
    void viewChanged(); // ViewRect or ViewShown

private:
    void frameArrived();
    void startStream();
    void stopStream();
    Bitmap waitForStill();

    QPointer<CaptureDevice> m_device;
    std::function<QSize()> m_hostSize;
    QString m_workFolder;
    Clock &m_clock;
    CaptureDialogs *m_dialogs;

    QStringList m_driverNames;
    QStringList m_driverVersions;
    bool m_connected = false;
    QString m_driverName;
    QString m_driverVersion;
    int m_driverIndex = -1;
    bool m_hasFormatDialog = false;
    bool m_hasSourceDialog = false;

    QSize m_viewSize;
    QRect m_viewRect;
    bool m_scale = true;
    bool m_previewing = false;
    bool m_viewShown = false;
    int m_previewRate = 0;
    bool m_grabbing = false;

    // Frames of the running stream, in clock milliseconds.
    bool m_awaitingFirstFrame = false;
    qint64 m_streamStart = -1;
    qint64 m_lastArrival = -1;
    quint64 m_frameSerial = 0;
    qint64 m_nextPreview = 0;
    bool m_previewDue = true;
};
