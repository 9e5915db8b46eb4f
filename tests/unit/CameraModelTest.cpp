#include "mainwindow/model/CameraModel.h"

#include "picture/BmpFile.h"
#include "picture/Capture.h"
#include "picture/PictureCanvas.h"
#include "support/FakeCaptureDevice.h"
#include "support/Files.h"
#include "support/ManualClock.h"
#include "support/Pictures.h"
#include "support/RecordingSoundPlayer.h"
#include "support/ScriptedPrompt.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

static void PrintTo(const QRect &r, std::ostream *os)
{
    *os << "(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ")";
}

namespace {

const QByteArray kShutter = "shutter sound";
const QByteArray kTick = "tick sound";

class CameraModelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        device.drivers = {FakeCaptureDevice::Driver(QStringLiteral("USB Camera"))};
    }

    CameraModel &model(CaptureDevice *dev)
    {
        m_model
            = std::make_unique<CameraModel>(work.path(), canvas, dev, sound, kShutter, kTick, prompt, clock);
        return *m_model;
    }
    CameraModel &model() { return model(&device); }

    // As the window is made, then Camera mode entered: the live view shows.
    CameraModel &inCameraMode()
    {
        CameraModel &m = model();
        EXPECT_TRUE(m.SetUpCamera());
        m.EnterCameraMode();
        EXPECT_TRUE(m.CameraOn());
        clock.Advance(2000); // the camera has settled
        return m;
    }

    QString capturePath() const { return QDir(work.path()).filePath("capture.bmp"); }

    QTemporaryDir work;
    ManualClock clock;
    FakeCaptureDevice device {clock};
    PictureCanvas canvas {work.path()};
    RecordingSoundPlayer sound;
    ScriptedPrompt prompt;
    std::unique_ptr<CameraModel> m_model;
};

TEST_F(CameraModelTest, WithoutACameraSetUpFailsSilently)
{
    device.drivers.clear();
    CameraModel &m = model();
    EXPECT_FALSE(m.SetUpCamera());
    EXPECT_TRUE(prompt.History().isEmpty());
    EXPECT_FALSE(m.CameraOn());
    EXPECT_FALSE(canvas.CameraHostShown());
    // The capture object stays, with no driver.
    ASSERT_TRUE(m.HasCapture());
    EXPECT_FALSE(m.Capture()->Connected());

    CameraModel &none = model(nullptr); // no camera service at all
    EXPECT_FALSE(none.SetUpCamera());
    EXPECT_FALSE(none.HasCapture());
    EXPECT_TRUE(prompt.History().isEmpty());
}

TEST_F(CameraModelTest, SetUpConnectsTheDefaultCameraAndLeavesItOff)
{
    device.drivers = {FakeCaptureDevice::Driver("Default Camera"), FakeCaptureDevice::Driver("Other Camera")};
    CameraModel &m = model();
    ASSERT_TRUE(m.SetUpCamera());
    EXPECT_EQ(device.opened, QList<int>({0}));
    EXPECT_EQ(m.Capture()->DriverName(), QStringLiteral("Default Camera"));
    EXPECT_EQ(m.Fit(), CameraModel::FitWidth);
    EXPECT_TRUE(m.FitWidthHeld());
    EXPECT_FALSE(m.FitHeightHeld());
    EXPECT_FALSE(m.CameraOn());
    EXPECT_FALSE(m.CameraSwitchHeld());
    EXPECT_FALSE(device.IsStreaming());
    EXPECT_FALSE(canvas.CameraHostShown());
    EXPECT_EQ(canvas.CameraHostRect(), QRect(0, 70, 240, 180));
    EXPECT_EQ(m.ViewRect(), QRect(0, 0, 240, 180));
}

TEST_F(CameraModelTest, CameraModeShowsTheLiveViewAndEnablesTheCameraButtons)
{
    CameraModel &m = inCameraMode();
    EXPECT_TRUE(m.CameraSwitchHeld());
    EXPECT_TRUE(m.CameraButtonsEnabled());
    EXPECT_TRUE(canvas.CameraHostShown());
    EXPECT_FALSE(canvas.PictureShown());
    EXPECT_TRUE(m.ViewShown());
    EXPECT_TRUE(device.IsStreaming());
    EXPECT_EQ(m.Capture()->PreviewRate(), CameraModel::PreviewRateMs);
    int frames = 0;
    QObject::connect(&m, &CameraModel::previewFrame, [&](const Bitmap &f) {
        EXPECT_EQ(f.pixel(0, 0), FakeCaptureDevice::Bright);
        ++frames;
    });
    clock.Advance(330);
    EXPECT_EQ(frames, 10);

    // The switch turns it off; the self-timer goes off with it.
    m.btnSelfTimerMouseDown();
    EXPECT_TRUE(m.SelfTimerOn());
    EXPECT_TRUE(m.SelfTimerHeld());
    m.btnCameraSwitchMouseDown();
    EXPECT_FALSE(m.CameraOn());
    EXPECT_FALSE(m.CameraButtonsEnabled());
    EXPECT_FALSE(m.SelfTimerOn());
    EXPECT_FALSE(m.SelfTimerHeld());
    EXPECT_TRUE(canvas.PictureShown());
    EXPECT_FALSE(canvas.CameraHostShown());
    EXPECT_FALSE(device.IsStreaming());
}

TEST_F(CameraModelTest, FitButtonsSizeTheViewToTheFramesHeightOrWidth)
{
    const struct
    {
        QSize image;
        QRect byHeight;
        QRect byWidth;
        int opensForBoth; // a fit that changes the host in both directions re-makes the capture object
    } cases[] = {
        {{320, 240}, {-93, 0, 426, 320}, {0, 70, 240, 180}, 3},
        {{640, 480}, {-93, 0, 426, 320}, {0, 70, 240, 180}, 3},
        {{352, 288}, {-75, 0, 391, 320}, {0, 62, 240, 196}, 3},
        {{640, 360}, {-164, 0, 568, 320}, {0, 92, 240, 135}, 3},
        {{240, 320}, {0, 0, 240, 320}, {0, 0, 240, 320}, 1}, // upright 3 : 4 is the same either way
    };
    for (const auto &c : cases) {
        device.formats = {{c.image, QStringLiteral("YUYV")}};
        device.opened.clear();
        CameraModel &m = inCameraMode();
        m.btnResizeByHeightCameraMouseDown();
        EXPECT_EQ(canvas.CameraHostRect(), c.byHeight) << c.image.width();
        EXPECT_EQ(m.Fit(), CameraModel::FitHeight);
        EXPECT_TRUE(m.FitHeightHeld());
        EXPECT_FALSE(m.FitWidthHeld());
        EXPECT_TRUE(m.CameraOn());
        EXPECT_TRUE(canvas.CameraHostShown());
        EXPECT_EQ(m.ViewRect(), QRect(QPoint(0, 0), c.byHeight.size()));
        m.btnResizeByWidthCameraMouseDown();
        EXPECT_EQ(canvas.CameraHostRect(), c.byWidth);
        EXPECT_EQ(m.ViewRect(), QRect(QPoint(0, 0), c.byWidth.size()));
        EXPECT_TRUE(m.FitWidthHeld());
        EXPECT_EQ(device.opened.size(), c.opensForBoth);
        EXPECT_TRUE(prompt.History().isEmpty());
    }
}

TEST_F(CameraModelTest, TheActiveFitButtonDoesNothing)
{
    CameraModel &m = inCameraMode();
    const TCaptureBase *capture = m.Capture();
    int changes = 0;
    QObject::connect(&m, &CameraModel::stateChanged, [&] { ++changes; });
    m.btnResizeByWidthCameraMouseDown();
    EXPECT_EQ(m.Capture(), capture);
    EXPECT_EQ(device.opened.size(), 1);
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(prompt.History().isEmpty());
}

TEST_F(CameraModelTest, AFitThatCannotConnectShowsTheCameraError)
{
    CameraModel &m = inCameraMode();
    device.openFails = true; // unplugged meanwhile
    m.btnResizeByHeightCameraMouseDown();
    EXPECT_EQ(prompt.History(),
              QList<ScriptedPrompt::Shown>({ScriptedPrompt::Message("カメラエラー。", Msg::IconError)}));
    EXPECT_EQ(m.Fit(), CameraModel::FitHeight);
    EXPECT_FALSE(m.CameraOn()); // nothing to show
    EXPECT_FALSE(canvas.CameraHostShown());
    // The size of a camera that is gone is unknown: the other fit says so too, without dividing by 0.
    prompt.Clear();
    m.btnResizeByWidthCameraMouseDown();
    EXPECT_EQ(prompt.Texts(), QStringList({"カメラエラー。"}));
}

TEST_F(CameraModelTest, TheShutterPutsTheStillWhereTheLiveViewWas)
{
    CameraModel &m = inCameraMode();
    int taken = 0;
    QObject::connect(&m, &CameraModel::stillTaken, [&] { ++taken; });
    sound.onPlay = [&](const RecordingSoundPlayer::Played &) {
        EXPECT_FALSE(QFile::exists(capturePath()));
    };

    m.btnShutterClick();
    EXPECT_EQ(sound.played, QList<RecordingSoundPlayer::Played>({{kShutter, false}}));
    EXPECT_EQ(m.CapturedPath(), capturePath());
    const auto still = LoadBmpFile(capturePath());
    ASSERT_TRUE(still);
    EXPECT_EQ(still->width(), 320);
    EXPECT_EQ(taken, 1);
    ASSERT_TRUE(canvas.HasPicture());
    EXPECT_EQ(canvas.Picture().pixel(0, 0), FakeCaptureDevice::Bright);
    EXPECT_EQ(canvas.Placement(), QRect(0, 70, 240, 180));
    EXPECT_TRUE(canvas.PictureShown());
    EXPECT_FALSE(canvas.CameraHostShown());
    // The camera is off until switched on again.
    EXPECT_FALSE(m.CameraOn());
    EXPECT_FALSE(m.CameraSwitchHeld());
    EXPECT_FALSE(m.CameraButtonsEnabled());
    EXPECT_FALSE(device.IsStreaming());
}

TEST_F(CameraModelTest, TheFitByHeightStillIsPlacedOverTheClippedView)
{
    CameraModel &m = inCameraMode();
    m.btnResizeByHeightCameraMouseDown();
    clock.Advance(2000);
    m.btnShutterClick();
    EXPECT_EQ(canvas.Placement(), QRect(-93, 0, 426, 320));
}

TEST_F(CameraModelTest, TheSelfTimerCountsDownWithTicksThenShootsAndIgnoresClicks)
{
    CameraModel &m = inCameraMode();
    m.btnSelfTimerMouseDown();
    QStringList shown;
    QList<qint64> tickTimes;
    QList<bool> windowStates;
    qint64 grabbedAt = -1;
    const qint64 clickedAt = clock.Elapsed();
    QObject::connect(&m, &CameraModel::countdownChanged, [&] {
        if (m.CountdownShown())
            shown << m.CountdownText();
    });
    QObject::connect(&m, &CameraModel::windowEnabledChanged, [&](bool on) { windowStates << on; });
    sound.onPlay = [&](const RecordingSoundPlayer::Played &p) {
        if (p.waited) {
            tickTimes << clock.Elapsed() - clickedAt;
            EXPECT_EQ(m.Capture()->PreviewRate(), CameraModel::SlowPreviewRateMs);
        } else {
            grabbedAt = clock.Elapsed() - clickedAt;
        }
    };
    // Clicks while the countdown runs change nothing.
    clock.OnPump([&] {
        m.btnShutterClick();
        m.btnSelfTimerMouseDown();
        m.btnResizeByHeightCameraMouseDown();
        m.btnCameraSwitchMouseDown();
        EXPECT_EQ(m.WindowEnabled(), !m.CountdownShown());
    });

    m.btnShutterClick();
    clock.OnPump(nullptr);

    EXPECT_EQ(shown, QStringList({"3", "2", "1", "0"}));
    EXPECT_EQ(tickTimes, QList<qint64>({900, 1800, 2700}));
    EXPECT_EQ(grabbedAt, 3600);
    EXPECT_EQ(sound.played,
              QList<RecordingSoundPlayer::Played>(
                  {{kTick, true}, {kTick, true}, {kTick, true}, {kShutter, false}}));
    EXPECT_EQ(windowStates, QList<bool>({false, true}));
    EXPECT_FALSE(m.CountdownShown());
    EXPECT_EQ(m.Fit(), CameraModel::FitWidth);
    EXPECT_EQ(device.opened.size(), 1);
    EXPECT_TRUE(canvas.HasPicture());
    EXPECT_FALSE(m.SelfTimerOn());
    EXPECT_FALSE(m.CameraOn());
}

TEST_F(CameraModelTest, AFailedGrabKeepsTheEarlierStillAndPicture)
{
    const QByteArray earlier = WriteBmp(testpictures::plain(4, 3, Rgb {1, 2, 3}));
    ASSERT_TRUE(testfiles::write(capturePath(), earlier));
    ASSERT_TRUE(canvas.SetPicture(testpictures::plain(8, 6, Rgb {9, 9, 9})));
    CameraModel &m = inCameraMode();
    const QRect placement = canvas.Placement();
    int taken = 0;
    QObject::connect(&m, &CameraModel::stillTaken, [&] { ++taken; });

    device.deliverFrames = false;
    m.btnShutterClick();
    EXPECT_TRUE(m.CapturedPath().isEmpty());
    EXPECT_EQ(testfiles::read(capturePath()), earlier);
    EXPECT_EQ(taken, 0);
    EXPECT_EQ(canvas.Picture().width(), 8);
    EXPECT_EQ(canvas.Placement(), placement);
    EXPECT_TRUE(canvas.PictureShown());
    EXPECT_FALSE(canvas.CameraHostShown());
    EXPECT_FALSE(m.CameraOn());
    EXPECT_TRUE(prompt.History().isEmpty());
}

TEST_F(CameraModelTest, ModeEntriesShowTheCameraErrorWhenTheViewCannotBeSet)
{
    CameraModel &m = model();
    ASSERT_TRUE(m.SetUpCamera());
    device.openFails = true;
    m.btnResizeByHeightCameraMouseDown(); // re-made, and now without a driver
    prompt.Clear();

    m.EnterCameraMode();
    EXPECT_EQ(prompt.Texts(), QStringList({"カメラエラー。"}));
    EXPECT_EQ(m.Fit(), CameraModel::FitWidth);
    // Without a working camera the picture stays and the camera buttons are disabled.
    EXPECT_FALSE(m.CameraOn());
    EXPECT_TRUE(canvas.PictureShown());
    EXPECT_FALSE(canvas.CameraHostShown());
    EXPECT_FALSE(m.CameraButtonsEnabled());

    prompt.Clear();
    m.EnterAutoMode();
    EXPECT_EQ(prompt.Texts(), QStringList({"カメラエラー。"}));
}

TEST_F(CameraModelTest, AutoModeRunsTheLiveViewAtTheSlowRate)
{
    CameraModel &m = model();
    ASSERT_TRUE(m.SetUpCamera());
    m.EnterAutoMode();
    EXPECT_TRUE(m.CameraOn());
    EXPECT_TRUE(device.IsStreaming());
    EXPECT_EQ(m.Capture()->PreviewRate(), CameraModel::SlowPreviewRateMs);
    EXPECT_EQ(canvas.CameraHostRect(), QRect(0, 70, 240, 180));
    EXPECT_TRUE(prompt.History().isEmpty());
}

TEST_F(CameraModelTest, CameraDialogsNeedACaptureObject)
{
    struct Dialogs : CaptureDialogs
    {
        int asked = 0;
        std::optional<int> ChooseFormat(const QList<CaptureFormat> &, int) override
        {
            ++asked;
            return 1;
        }
        bool EditControls(const std::function<QList<CaptureControl>()> &,
                          const std::function<bool(quint32, int)> &) override
        {
            ++asked;
            return true;
        }
    } dialogs;
    device.controls = {FakeCaptureDevice::Control(1, QStringLiteral("明るさ"))};
    CameraModel m(work.path(), canvas, &device, sound, kShutter, kTick, prompt, clock, &dialogs);
    m.ShowFormatDialog();
    m.ShowSourceDialog();
    EXPECT_EQ(dialogs.asked, 0);
    ASSERT_TRUE(m.SetUpCamera());
    m.ShowFormatDialog();
    m.ShowSourceDialog();
    EXPECT_EQ(dialogs.asked, 2);
    EXPECT_EQ(m.Capture()->GetImageWidth(), 640);
}

} // namespace
