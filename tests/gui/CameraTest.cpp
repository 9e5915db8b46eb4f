#include "app/Loader.h"
#include "dialogs/CameraDialogs.h"
#include "mainwindow/CameraView.h"
#include "mainwindow/model/CameraModel.h"
#include "picture/BmpFile.h"
#include "picture/Capture.h"
#include "picture/PictureCanvas.h"
#include "platform/linux/QtCaptureDevice.h"
#include "platform/linux/V4l2Node.h"
#include "platform/null/NullCaptureDevice.h"
#include "platform/synthetic/SyntheticCamera.h"
#include "support/FakeCaptureDevice.h"
#include "support/Files.h"
#include "support/ManualClock.h"
#include "support/RecordingSoundPlayer.h"
#include "support/ScriptedPrompt.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QMediaDevices>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The mean of the three channels over the whole picture.
int meanLevel(const Bitmap &b)
{
    qint64 sum = 0;
    for (int y = 0; y < b.height(); ++y) {
        const uchar *p = b.scanLine(y);
        for (qsizetype i = 0; i < b.bytesPerLine(); ++i)
            sum += p[i];
    }
    return int(sum / (qint64(b.height()) * b.bytesPerLine()));
}

int controlValue(const CaptureDevice &device, quint32 id)
{
    for (const CaptureControl &c : device.Controls()) {
        if (c.id == id)
            return c.value;
    }
    return -1;
}

class SyntheticCameraTest : public ::testing::Test
{
protected:
    ManualClock clock;
    SyntheticCamera camera {clock};
};

TEST_F(SyntheticCameraTest, ListsOneCameraWithTwoFormats)
{
    EXPECT_EQ(camera.Drivers(), QList<CaptureDriver>({{"Tavrin Test Camera", "1.0"}}));
    EXPECT_FALSE(camera.Open(1));
    EXPECT_TRUE(camera.ImageSize().isEmpty());
    ASSERT_TRUE(camera.Open(0));
    EXPECT_EQ(camera.ImageSize(), QSize(320, 240));
    EXPECT_EQ(camera.Formats(),
              QList<CaptureFormat>({{QSize(320, 240), "RGB24"}, {QSize(640, 480), "RGB24"}}));
    ASSERT_TRUE(camera.SetFormat(1));
    camera.Close();
    ASSERT_TRUE(camera.Open(0));
    EXPECT_EQ(camera.CurrentFormat(), 1); // kept for the run
    EXPECT_EQ(camera.ImageSize(), QSize(640, 480));
}

TEST_F(SyntheticCameraTest, StreamsFramesThatStartDarkAndMove)
{
    ASSERT_TRUE(camera.Open(0));
    int frames = 0;
    QObject::connect(&camera, &CaptureDevice::frameArrived, [&] { ++frames; });
    EXPECT_TRUE(camera.LatestFrame().isNull());
    camera.SetStreaming(true);
    clock.Advance(SyntheticCamera::FrameIntervalMs);
    const Bitmap first = camera.LatestFrame();
    ASSERT_EQ(first.width(), 320);
    clock.Advance(990);
    EXPECT_EQ(frames, 31);
    const Bitmap settled = camera.LatestFrame();
    EXPECT_LT(meanLevel(first) * 3, meanLevel(settled)); // still exposing at first
    clock.Advance(500);
    EXPECT_FALSE(camera.LatestFrame() == settled); // it moves
    camera.SetStreaming(false);
    clock.Advance(1000);
    EXPECT_EQ(frames, 46);
}

TEST_F(SyntheticCameraTest, ControlsActOnThePicture)
{
    ASSERT_TRUE(camera.Open(0));
    const QDateTime at(QDate(2006, 5, 12), QTime(10, 0, 0));
    const Bitmap plain = camera.Render(2000, at);

    ASSERT_TRUE(camera.SetControl(SyntheticCamera::Brightness, 60));
    EXPECT_GT(meanLevel(camera.Render(2000, at)), meanLevel(plain) + 30);
    ASSERT_TRUE(camera.SetControl(SyntheticCamera::Brightness, 0));
    EXPECT_TRUE(camera.Render(2000, at) == plain);

    ASSERT_TRUE(camera.SetControl(SyntheticCamera::Mirror, 1));
    const Bitmap mirrored = camera.Render(2000, at);
    for (int x : {0, 57, 319})
        EXPECT_EQ(mirrored.pixel(x, 200), plain.pixel(319 - x, 200)) << x;
    ASSERT_TRUE(camera.SetControl(SyntheticCamera::Mirror, 0));

    // The colour temperature is ruled by the automatic white balance.
    EXPECT_FALSE(camera.SetControl(SyntheticCamera::ColorTemperature, 3000));
    ASSERT_TRUE(camera.SetControl(SyntheticCamera::AutoWhiteBalance, 0));
    ASSERT_TRUE(camera.SetControl(SyntheticCamera::ColorTemperature, 3000));
    const Rgb warm = camera.Render(2000, at).pixel(180, 220);
    const Rgb neutral = plain.pixel(180, 220);
    EXPECT_GT(warm.r, neutral.r);
    EXPECT_LT(warm.b, neutral.b);
    EXPECT_FALSE(camera.SetControl(SyntheticCamera::Brightness, 101)); // out of range
}

TEST(PlatformLoader, ChoosesTheCamera)
{
    PlatformServices null = LoadPlatformServices(PlatformKind::Null, CameraKind::Platform);
    ASSERT_TRUE(null.Camera);
    EXPECT_TRUE(null.Camera->Drivers().isEmpty());
    EXPECT_FALSE(null.Camera->Open(0));
    PlatformServices test = LoadPlatformServices(PlatformKind::Null, CameraKind::Test);
    ASSERT_TRUE(dynamic_cast<SyntheticCamera *>(test.Camera.get()));

    qputenv("TAVRIN_CAMERA", "test");
    EXPECT_EQ(CameraKindFromEnvironment(), CameraKind::Test);
    qunsetenv("TAVRIN_CAMERA");
    EXPECT_EQ(CameraKindFromEnvironment(), CameraKind::Platform);
}

TEST(LinuxCamera, ListsThePlatformsCamerasDefaultFirst)
{
    QtCaptureDevice device;
    const QList<CaptureDriver> drivers = device.Drivers();
    EXPECT_EQ(drivers.size(), QMediaDevices::videoInputs().size());
    if (!drivers.isEmpty()) {
        EXPECT_EQ(drivers.first().description, QMediaDevices::defaultVideoInput().description());
    }
    EXPECT_FALSE(device.Open(int(drivers.size())));
    EXPECT_FALSE(device.Open(-1));
    EXPECT_FALSE(device.IsOpen());
    EXPECT_TRUE(device.ImageSize().isEmpty());
    EXPECT_TRUE(device.Controls().isEmpty());
    EXPECT_FALSE(device.SetControl(1, 0));
}

TEST(LinuxCamera, ANodeThatIsNoCameraHasNoControls)
{
    for (const char *path : {"/dev/null", "/dev/no-such-camera", "usb-camera-id"}) {
        V4l2Node node(QString::fromLatin1(path));
        EXPECT_TRUE(node.DriverVersion().isEmpty()) << path;
        EXPECT_TRUE(node.Controls().isEmpty()) << path;
        EXPECT_FALSE(node.SetControl(0x00980900, 10)) << path; // brightness
    }
}

TEST(LinuxCamera, VideoNodesAreThoseNamedVideoThatAreNoFolder)
{
    QTemporaryDir dev;
    const QByteArray folder = QFile::encodeName(dev.path());
    EXPECT_FALSE(HasVideoDeviceNodes(folder.constData()));
    // A name that only contains the word, and a folder of the name, are no video node.
    testfiles::write(dev.filePath(QStringLiteral("myvideo0")), QByteArray());
    ASSERT_TRUE(QDir(dev.path()).mkdir(QStringLiteral("video4linux")));
    EXPECT_FALSE(HasVideoDeviceNodes(folder.constData()));
    testfiles::write(dev.filePath(QStringLiteral("video2")), QByteArray());
    EXPECT_TRUE(HasVideoDeviceNodes(folder.constData()));
    EXPECT_FALSE(HasVideoDeviceNodes("/no-such-folder"));
}

// The camera side of the main window over the synthetic camera.
class SyntheticCameraModelTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(work.isValid()); }

    QTemporaryDir work;
    ManualClock clock;
    SyntheticCamera device {clock};
    PictureCanvas canvas {work.path()};
    RecordingSoundPlayer sound;
    ScriptedPrompt prompt;
    CameraModel model {work.path(), canvas, &device, sound, "shutter", "tick", prompt, clock};
};

TEST_F(SyntheticCameraModelTest, NoCameraLeavesTheModesDisabledWithoutAMessage)
{
    NullCaptureDevice none;
    CameraModel noCamera(work.path(), canvas, &none, sound, "shutter", "tick", prompt, clock);
    EXPECT_FALSE(noCamera.SetUpCamera());
    EXPECT_TRUE(prompt.History().isEmpty());
}

TEST_F(SyntheticCameraModelTest, FitsAndASelfTimerShotOfTheTestCamera)
{
    ASSERT_TRUE(model.SetUpCamera());
    model.EnterCameraMode();
    EXPECT_EQ(canvas.CameraHostRect(), QRect(0, 70, 240, 180));
    model.btnResizeByHeightCameraMouseDown();
    EXPECT_EQ(canvas.CameraHostRect(), QRect(-93, 0, 426, 320));
    model.btnResizeByWidthCameraMouseDown();
    EXPECT_EQ(canvas.CameraHostRect(), QRect(0, 70, 240, 180));

    // Right after the re-made camera starts streaming: the countdown gives it time to settle.
    model.btnSelfTimerMouseDown();
    const qint64 clicked = clock.Elapsed();
    model.btnShutterClick();
    EXPECT_GE(clock.Elapsed() - clicked, 3600);
    const auto still = LoadBmpFile(QDir(work.path()).filePath("capture.bmp"));
    ASSERT_TRUE(still);
    EXPECT_EQ(still->width(), 320);
    EXPECT_EQ(still->height(), 240);
    EXPECT_GT(meanLevel(*still), 60);
    EXPECT_EQ(canvas.Placement(), QRect(0, 70, 240, 180));
    EXPECT_TRUE(prompt.History().isEmpty());
}

TEST_F(SyntheticCameraModelTest, AShotRightAfterSwitchingOnIsExposedLikeTheLiveView)
{
    ASSERT_TRUE(model.SetUpCamera());
    model.EnterCameraMode(); // the stream starts now
    model.btnShutterClick();
    const auto still = LoadBmpFile(QDir(work.path()).filePath("capture.bmp"));
    ASSERT_TRUE(still);
    // The frame of the settled camera: the exposure ramp is over.
    EXPECT_GE(clock.Elapsed(), SyntheticCamera::FrameIntervalMs + TCaptureBase::SettleMs);
    const Bitmap settled = device.Render(clock.Elapsed(), clock.Now());
    EXPECT_NEAR(meanLevel(*still), meanLevel(settled), 3);
}

TEST_F(SyntheticCameraModelTest, TheLiveViewFollowsTheHostAndShowsTheFrames)
{
    QWidget frameView;
    frameView.resize(240, 320);
    CameraView view(model, canvas, &frameView);
    frameView.show();
    ASSERT_TRUE(model.SetUpCamera());
    EXPECT_FALSE(view.isVisibleTo(&frameView));
    EXPECT_EQ(view.geometry(), QRect(0, 70, 240, 180));

    model.EnterCameraMode();
    EXPECT_TRUE(view.isVisibleTo(&frameView));
    clock.Advance(1000);
    ASSERT_FALSE(view.Frame().isNull());
    EXPECT_EQ(view.Frame().width(), 320);
    // The frame fills the view: the grey ramp's white end is at the bottom right.
    const QImage shown = view.grab().toImage();
    ASSERT_EQ(shown.size(), QSize(240, 180));
    EXPECT_GT(qGray(shown.pixel(236, 176)), 200);
    EXPECT_LT(qGray(shown.pixel(3, 176)), 40);

    model.btnResizeByHeightCameraMouseDown();
    EXPECT_EQ(view.geometry(), QRect(-93, 0, 426, 320));

    model.btnCameraSwitchMouseDown();
    EXPECT_FALSE(view.isVisibleTo(&frameView));

    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(&view);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->role(), QAccessible::Animation);
    EXPECT_EQ(a->text(QAccessible::Name), QStringLiteral("カメラ映像"));
}

TEST(CameraDialogs, FormatDialogListsTheFormatsWithTheCurrentOneSelected)
{
    const QList<CaptureFormat> formats {{QSize(320, 240), "YUYV"}, {QSize(640, 480), "MJPG"}};
    CameraFormatDialog dialog(formats, 1);
    QListWidget *list = dialog.FormatList();
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("320 x 240　YUYV"));
    EXPECT_EQ(dialog.Chosen(), 1);
    list->setCurrentRow(0);
    EXPECT_EQ(dialog.Chosen(), 0);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("映像フォーマット"));
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(list);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->text(QAccessible::Name), QStringLiteral("映像の大きさと形式"));
}

TEST(CameraDialogs, SourceDialogChangesTheCameraAtOnce)
{
    ManualClock clock;
    SyntheticCamera camera(clock);
    ASSERT_TRUE(camera.Open(0));
    CameraSourceDialog dialog([&] { return camera.Controls(); },
                              [&](quint32 id, int value) { return camera.SetControl(id, value); });

    auto *brightness = qobject_cast<QSlider *>(dialog.Input(SyntheticCamera::Brightness));
    ASSERT_TRUE(brightness);
    EXPECT_EQ(brightness->minimum(), -100);
    EXPECT_EQ(brightness->value(), 0);
    brightness->setValue(40);
    EXPECT_EQ(controlValue(camera, SyntheticCamera::Brightness), 40);

    // The temperature follows the automatic white balance switch.
    auto *autoWb = qobject_cast<QCheckBox *>(dialog.Input(SyntheticCamera::AutoWhiteBalance));
    auto *temperature = qobject_cast<QSlider *>(dialog.Input(SyntheticCamera::ColorTemperature));
    ASSERT_TRUE(autoWb && temperature);
    EXPECT_TRUE(autoWb->isChecked());
    EXPECT_FALSE(temperature->isEnabled());
    autoWb->setChecked(false);
    EXPECT_TRUE(temperature->isEnabled());
    temperature->setValue(3000);
    EXPECT_EQ(controlValue(camera, SyntheticCamera::ColorTemperature), 3000);

    auto *pattern = qobject_cast<QComboBox *>(dialog.Input(SyntheticCamera::Pattern));
    ASSERT_TRUE(pattern);
    EXPECT_EQ(pattern->itemText(1), QStringLiteral("グラデーション"));
    // Any change of the choice reaches the camera: the keys, the accessibility interface, a click.
    pattern->setCurrentIndex(1);
    EXPECT_EQ(controlValue(camera, SyntheticCamera::Pattern), 1);

    dialog.btnDefaultClick();
    EXPECT_EQ(controlValue(camera, SyntheticCamera::Brightness), 0);
    EXPECT_EQ(controlValue(camera, SyntheticCamera::Pattern), 0);
    EXPECT_EQ(brightness->value(), 0);
    EXPECT_TRUE(autoWb->isChecked());

    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(brightness);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->role(), QAccessible::Slider);
    EXPECT_EQ(a->text(QAccessible::Name), QStringLiteral("明るさ"));
}

TEST(CameraDialogs, SourceDialogIsKeptWithEnterAndUndoneWithEsc)
{
    ManualClock clock;
    SyntheticCamera camera(clock);
    ASSERT_TRUE(camera.Open(0));
    for (const auto &[key, result] :
         {std::pair {Qt::Key_Return, QDialog::Accepted}, std::pair {Qt::Key_Escape, QDialog::Rejected}}) {
        SCOPED_TRACE(key);
        CameraSourceDialog dialog([&] { return camera.Controls(); },
                                  [&](quint32 id, int value) { return camera.SetControl(id, value); });
        dialog.show();
        dialog.setResult(-1);
        QTest::keyClick(dialog.Input(SyntheticCamera::Brightness), key);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), result);
    }
}

} // namespace
