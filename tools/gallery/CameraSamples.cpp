#include "CameraSamples.h"

#include "common/Clock.h"
#include "common/Prompt.h"
#include "dialogs/CameraDialogs.h"
#include "mainwindow/CameraView.h"
#include "mainwindow/model/CameraModel.h"
#include "picture/PictureCanvas.h"
#include "platform/null/NullSoundPlayer.h"
#include "platform/synthetic/SyntheticCamera.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>

namespace {

class SilentPrompt : public Prompt
{
public:
    int ShowMessageBox(const QString &, int, int) override { return Msg::Ok; }
    int ShowSystemMessageBox(const QString &, int, int) override { return Msg::Ok; }
    QSize AskPictureSize(const QString &, const QString &) override { return QSize(); }
    int PickColor(int) override { return -1; }
};

QImage toImage(const Bitmap &b)
{
    return QImage(b.scanLine(0), b.width(), b.height(), b.bytesPerLine(), QImage::Format_BGR888).copy();
}

} // namespace

void SaveCameraSamples(const QString &outDir, const std::function<void(QWidget *, const QString &)> &save,
                       const std::function<void(QWidget *)> &keep)
{
    static SyntheticCamera camera(SystemClock());
    const QDateTime at(QDate(2006, 5, 12), QTime(10, 23, 45));
    camera.Open(0);
    toImage(camera.Render(100, at)).save(QDir(outDir).filePath(QStringLiteral("camera-exposing.png")));
    toImage(camera.Render(2000, at)).save(QDir(outDir).filePath(QStringLiteral("camera-320x240.png")));
    camera.SetFormat(1);
    toImage(camera.Render(4500, at)).save(QDir(outDir).filePath(QStringLiteral("camera-640x480.png")));
    camera.SetControl(SyntheticCamera::Pattern, 1);
    camera.SetControl(SyntheticCamera::Mirror, 1);
    toImage(camera.Render(4500, at))
        .save(QDir(outDir).filePath(QStringLiteral("camera-gradient-mirrored.png")));
    camera.SetControl(SyntheticCamera::Pattern, 0);
    camera.SetControl(SyntheticCamera::Mirror, 0);
    camera.SetFormat(0);
    camera.Close();

    auto *format = new CameraFormatDialog({{QSize(320, 240), QStringLiteral("YUYV")},
                                           {QSize(640, 480), QStringLiteral("YUYV")},
                                           {QSize(640, 480), QStringLiteral("Jpeg")},
                                           {QSize(1280, 720), QStringLiteral("Jpeg")}},
                                          1);
    keep(format);
    save(format, QStringLiteral("camera-format"));

    camera.Open(0);
    camera.SetControl(SyntheticCamera::AutoWhiteBalance, 0);
    auto *source = new CameraSourceDialog([] { return camera.Controls(); },
                                          [](quint32 id, int value) { return camera.SetControl(id, value); });
    keep(source);
    save(source, QStringLiteral("camera-source"));
    camera.SetControl(SyntheticCamera::AutoWhiteBalance, 1);

    // The live view in a frame view, fitted by width, after the camera has settled.
    static PictureCanvas canvas(QDir::tempPath());
    static NullSoundPlayer sound;
    static SilentPrompt prompt;
    static CameraModel model(QDir::tempPath(), canvas, &camera, sound, {}, {}, prompt, SystemClock());
    auto *frame = new QWidget;
    frame->setFixedSize(240, 320);
    frame->setAutoFillBackground(true);
    auto *view = new CameraView(model, canvas, frame);
    Q_UNUSED(view);
    keep(frame);
    model.SetUpCamera();
    model.EnterCameraMode();
    frame->show();
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < 1200)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    save(frame, QStringLiteral("camera-live-view"));
    model.ReleaseCapture();
}
