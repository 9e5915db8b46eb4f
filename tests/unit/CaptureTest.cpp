#include "picture/Capture.h"

#include "common/Exception.h"
#include "common/SaveFile.h"
#include "picture/BmpFile.h"
#include "support/FakeCaptureDevice.h"
#include "support/Files.h"
#include "support/ManualClock.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// The camera's own dialogs, answered as the test says.
class ScriptedCaptureDialogs : public CaptureDialogs
{
public:
    std::optional<int> formatAnswer;
    // Changes the source dialog makes before it closes, and how it closes.
    QList<std::pair<quint32, int>> controlChanges;
    bool acceptControls = true;

    int formatAsked = 0;
    QList<CaptureFormat> formatsShown;
    int currentShown = -2;
    int controlsAsked = 0;

    std::optional<int> ChooseFormat(const QList<CaptureFormat> &formats, int current) override
    {
        ++formatAsked;
        formatsShown = formats;
        currentShown = current;
        return formatAnswer;
    }
    bool EditControls(const std::function<QList<CaptureControl>()> &read,
                      const std::function<bool(quint32, int)> &apply) override
    {
        ++controlsAsked;
        EXPECT_FALSE(read().isEmpty());
        for (const auto &[id, value] : controlChanges)
            apply(id, value);
        return acceptControls;
    }
};

class CaptureTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        device.drivers
            = {FakeCaptureDevice::Driver(QStringLiteral("USB Camera"), QStringLiteral("uvcvideo 6.1"))};
    }

    std::unique_ptr<TCaptureBase> make(CaptureDevice *dev)
    {
        return std::make_unique<TCaptureBase>(
            dev, [this] { return hostSize; }, work.path(), clock, &dialogs);
    }
    std::unique_ptr<TCaptureBase> make() { return make(&device); }

    QTemporaryDir work;
    ManualClock clock;
    FakeCaptureDevice device {clock};
    ScriptedCaptureDialogs dialogs;
    QSize hostSize {240, 180};
};

QList<CaptureDriver> namedDrivers(int count)
{
    QList<CaptureDriver> out;
    for (int i = 0; i < count; ++i)
        out << FakeCaptureDevice::Driver(QStringLiteral("Camera %1").arg(i), QStringLiteral("v%1").arg(i));
    return out;
}

TEST_F(CaptureTest, ListsAtMostTenDriversInOrder)
{
    const struct
    {
        int installed;
        int listed;
    } cases[] = {{0, 0}, {1, 1}, {10, 10}, {12, 10}};
    for (const auto &c : cases) {
        device.drivers = namedDrivers(c.installed);
        auto capture = make();
        const QStringList names = capture->EnumDrivers();
        ASSERT_EQ(names.size(), c.listed) << c.installed;
        ASSERT_EQ(capture->DriverVersions().size(), c.listed);
        if (c.listed > 0) {
            EXPECT_EQ(names.last(), QStringLiteral("Camera %1").arg(c.listed - 1));
            EXPECT_EQ(capture->DriverVersions().last(), QStringLiteral("v%1").arg(c.listed - 1));
        }
    }
}

TEST_F(CaptureTest, ConnectByNameTakesTheFirstDescriptionBeginningWithIt)
{
    const QString wdm = QStringLiteral("Microsoft WDM Image Capture");
    const struct
    {
        QStringList descriptions;
        QString name;
        int connected; // -1: refused
    } cases[] = {
        {{"Camera A", "Camera B", wdm + " (Win32)", wdm}, wdm, 2},
        {{"Camera A", "Camera B"}, wdm, -1},
        {{"Camera A", "microsoft wdm image capture"}, wdm, -1}, // letter case counts
        {{"Camera A", "Camera B"}, "Camera", 0},
        {{"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", wdm}, wdm, -1}, // the eleventh is not listed
    };
    for (const auto &c : cases) {
        device.drivers.clear();
        for (const QString &d : c.descriptions)
            device.drivers << FakeCaptureDevice::Driver(d);
        device.opened.clear();
        auto capture = make();
        EXPECT_EQ(capture->ConnectDriverByName(c.name), c.connected >= 0)
            << c.descriptions.join('|').toStdString();
        EXPECT_EQ(capture->Connected(), c.connected >= 0);
        if (c.connected >= 0) {
            EXPECT_EQ(capture->DriverIndex(), c.connected);
            EXPECT_EQ(capture->DriverName(), c.descriptions.at(c.connected));
            EXPECT_EQ(device.opened, QList<int>({c.connected}));
        } else {
            EXPECT_TRUE(device.opened.isEmpty());
        }
    }
}

TEST_F(CaptureTest, ConnectByIndexRecordsTheDriverAndItsDialogs)
{
    device.drivers = namedDrivers(3);
    device.controls = {FakeCaptureDevice::Control(1, QStringLiteral("明るさ"))};
    auto capture = make();
    EXPECT_EQ(capture->GetImageWidth(), 0); // nothing connected yet

    EXPECT_FALSE(capture->ConnectDriver(3));
    EXPECT_FALSE(capture->ConnectDriver(-1));
    EXPECT_TRUE(capture->ConnectDriver(1));
    EXPECT_EQ(capture->DriverName(), QStringLiteral("Camera 1"));
    EXPECT_EQ(capture->DriverVersion(), QStringLiteral("v1"));
    EXPECT_EQ(capture->GetImageWidth(), 320);
    EXPECT_EQ(capture->GetImageHeight(), 240);
    EXPECT_TRUE(capture->HasFormatDialog());
    EXPECT_TRUE(capture->HasSourceDialog());
    EXPECT_EQ(capture->PreferredDriverName(), QStringLiteral("Camera 0"));

    device.openFails = true;
    EXPECT_FALSE(capture->ConnectDriver(0));
    EXPECT_FALSE(capture->Connected());
    EXPECT_EQ(capture->GetImageWidth(), 0);
}

TEST_F(CaptureTest, WithoutADeviceEverythingIsANoOp)
{
    auto capture = make(nullptr);
    EXPECT_FALSE(capture->HasCaptureWindow());
    EXPECT_TRUE(capture->EnumDrivers().isEmpty());
    EXPECT_FALSE(capture->ConnectDriver(0));
    EXPECT_FALSE(capture->ConnectDriverByName(QString()));
    EXPECT_EQ(capture->GetImageWidth(), 0);
    EXPECT_EQ(capture->GetImageHeight(), 0);
    capture->SetPreview(true, 33);
    EXPECT_FALSE(capture->ViewShown());
    EXPECT_TRUE(capture->GrabToFile().isEmpty());
    EXPECT_FALSE(capture->ShowFormatDialog());
    capture->ShowSourceDialog();
    EXPECT_EQ(dialogs.formatAsked + dialogs.controlsAsked, 0);
}

TEST_F(CaptureTest, TheViewKeepsItsSizeCentredInTheHost)
{
    auto capture = make();
    EXPECT_EQ(capture->ViewRect(), QRect(0, 0, 240, 180));
    hostSize = QSize(240, 320);
    capture->CenterWindow();
    EXPECT_EQ(capture->ViewRect(), QRect(0, 70, 240, 180));
    hostSize = QSize(200, 100);
    capture->SetPreview(true, 33); // centres too
    EXPECT_EQ(capture->ViewRect(), QRect(-20, -40, 240, 180));
    EXPECT_TRUE(capture->ViewShown());
}

TEST_F(CaptureTest, PreviewFramesComeAtMostOncePerRateAndOnlyWhileOn)
{
    device.frameIntervalMs = 10;
    auto capture = make();
    ASSERT_TRUE(capture->ConnectDriver(0));
    std::vector<qint64> shown;
    QObject::connect(capture.get(), &TCaptureBase::previewFrame, [&](const Bitmap &frame) {
        EXPECT_EQ(frame.width(), 320);
        shown.push_back(clock.Elapsed());
    });

    capture->SetPreview(true, 250);
    EXPECT_TRUE(device.IsStreaming());
    clock.Advance(1000);
    EXPECT_EQ(shown, (std::vector<qint64> {10, 260, 510, 760}));

    shown.clear();
    capture->SetPreview(false, 33);
    EXPECT_FALSE(device.IsStreaming());
    EXPECT_FALSE(capture->ViewShown());
    clock.Advance(1000);
    EXPECT_TRUE(shown.empty());

    // A faster rate than the camera's shows every frame.
    capture->SetPreview(true, 5);
    clock.Advance(100);
    EXPECT_EQ(shown.size(), 10u);
}

TEST_F(CaptureTest, GrabOfARunningStreamTakesTheNextFrameAndResumesThePreview)
{
    auto capture = make();
    ASSERT_TRUE(capture->ConnectDriver(0));
    capture->SetPreview(true, 33);
    clock.Advance(2000);
    int shown = 0;
    QObject::connect(capture.get(), &TCaptureBase::previewFrame, [&] { ++shown; });

    const qint64 before = clock.Elapsed();
    const QString path = capture->GrabToFile();
    EXPECT_LE(clock.Elapsed() - before, 40); // the next frame, no settling
    ASSERT_EQ(path, QDir(work.path()).filePath("capture.bmp"));
    EXPECT_EQ(shown, 0); // the view pauses during the grab
    const QByteArray file = testfiles::read(path);
    ASSERT_GE(file.size(), 54);
    EXPECT_EQ(quint8(file[28]), 24); // bits per pixel
    const auto still = ReadBmp(file);
    ASSERT_TRUE(still);
    EXPECT_EQ(still->width(), 320);
    EXPECT_EQ(still->height(), 240);
    EXPECT_EQ(still->pixel(5, 5), FakeCaptureDevice::Bright);

    EXPECT_TRUE(capture->Previewing());
    EXPECT_TRUE(device.IsStreaming());
    clock.Advance(100);
    EXPECT_GT(shown, 0);
}

TEST_F(CaptureTest, GrabRightAfterTheStreamStartsWaitsUntilTheCameraHasSettled)
{
    device.exposureMs = 600; // dark frames at first
    auto capture = make();
    ASSERT_TRUE(capture->ConnectDriver(0));
    capture->SetPreview(true, 33);

    const QString path = capture->GrabToFile();
    ASSERT_FALSE(path.isEmpty());
    const auto still = LoadBmpFile(path);
    ASSERT_TRUE(still);
    EXPECT_EQ(still->pixel(0, 0), FakeCaptureDevice::Bright);
    // First frame at 33 ms, then a second of frames dropped.
    EXPECT_GE(clock.Elapsed(), 33 + TCaptureBase::SettleMs);
    EXPECT_LT(clock.Elapsed(), 33 + TCaptureBase::SettleMs + 40);
}

TEST_F(CaptureTest, GrabWithThePreviewOffStreamsOnlyForTheGrab)
{
    auto capture = make();
    ASSERT_TRUE(capture->ConnectDriver(0));
    int shown = 0;
    QObject::connect(capture.get(), &TCaptureBase::previewFrame, [&] { ++shown; });

    EXPECT_FALSE(capture->GrabToFile().isEmpty());
    EXPECT_FALSE(device.IsStreaming());
    EXPECT_FALSE(capture->Previewing());
    EXPECT_EQ(shown, 0);
}

TEST_F(CaptureTest, AFailedGrabLeavesTheEarlierStillUntouched)
{
    const QString path = QDir(work.path()).filePath("capture.bmp");
    const QByteArray earlier = WriteBmp(Bitmap(2, 2));
    ASSERT_TRUE(testfiles::write(path, earlier));

    device.deliverFrames = false;
    auto capture = make();
    ASSERT_TRUE(capture->ConnectDriver(0));
    capture->SetPreview(true, 33);
    const qint64 before = clock.Elapsed();
    EXPECT_TRUE(capture->GrabToFile().isEmpty());
    EXPECT_EQ(clock.Elapsed() - before, TCaptureBase::GrabWaitMs);
    EXPECT_EQ(testfiles::read(path), earlier);
    EXPECT_TRUE(device.IsStreaming()); // the preview goes on

    // Not connected: fails at once.
    auto unconnected = make();
    EXPECT_TRUE(unconnected->GrabToFile().isEmpty());
    EXPECT_EQ(testfiles::read(path), earlier);
}

TEST_F(CaptureTest, AGrabIntoAFolderThatCannotBeWrittenFails)
{
    auto capture = std::make_unique<TCaptureBase>(
        &device, [this] { return hostSize; }, QDir(work.path()).filePath("missing/folder"), clock);
    ASSERT_TRUE(capture->ConnectDriver(0));
    capture->SetPreview(true, 33);
    clock.Advance(1500);
    EXPECT_TRUE(capture->GrabToFile().isEmpty());
}

TEST_F(CaptureTest, AGrabDoesNotWriteThroughALinkAtItsFile)
{
    const QString victim = QDir(work.path()).filePath("victim");
    ASSERT_TRUE(testfiles::write(victim, "precious"));
    auto capture = make();
    ASSERT_TRUE(QFile::link(victim, capture->CapturePath()));
    ASSERT_TRUE(capture->ConnectDriver(0));
    capture->SetPreview(true, 33);
    clock.Advance(1500);
    try {
        capture->GrabToFile();
        ADD_FAILURE() << "grabbed";
    } catch (const Exception &e) {
        EXPECT_EQ(e.Message(), SymLinkRefusedText(capture->CapturePath()));
    }
    EXPECT_EQ(testfiles::read(victim), "precious");
    EXPECT_TRUE(device.IsStreaming()); // the preview goes on
}

TEST_F(CaptureTest, DestroyingTheCaptureObjectDuringTheGrabsWaitEndsTheGrab)
{
    auto capture = make();
    ASSERT_TRUE(capture->ConnectDriver(0));
    capture->SetPreview(true, 33);
    clock.OnPump([&] { capture.reset(); });
    TCaptureBase *raw = capture.get();
    EXPECT_TRUE(raw->GrabToFile().isEmpty());
    EXPECT_FALSE(capture);
    EXPECT_FALSE(device.IsOpen());
    EXPECT_FALSE(QFile::exists(QDir(work.path()).filePath("capture.bmp")));
}

TEST_F(CaptureTest, TheFormatDialogSetsTheChosenFormat)
{
    auto capture = make();
    EXPECT_FALSE(capture->ShowFormatDialog()); // not connected: not asked
    EXPECT_EQ(dialogs.formatAsked, 0);
    ASSERT_TRUE(capture->ConnectDriver(0));

    dialogs.formatAnswer = std::nullopt; // cancelled
    EXPECT_FALSE(capture->ShowFormatDialog());
    EXPECT_EQ(dialogs.formatsShown, device.formats);
    EXPECT_EQ(dialogs.currentShown, 0);
    EXPECT_EQ(capture->GetImageWidth(), 320);

    dialogs.formatAnswer = 1;
    EXPECT_TRUE(capture->ShowFormatDialog());
    EXPECT_EQ(capture->GetImageWidth(), 640);
    EXPECT_EQ(capture->GetImageHeight(), 480);

    dialogs.formatAnswer = 1; // the same again is no change
    EXPECT_FALSE(capture->ShowFormatDialog());
    EXPECT_EQ(dialogs.formatAsked, 3);

    device.formats.clear();
    auto noFormats = make();
    ASSERT_TRUE(noFormats->ConnectDriver(0));
    EXPECT_FALSE(noFormats->HasFormatDialog());
    EXPECT_FALSE(noFormats->ShowFormatDialog());
    EXPECT_EQ(dialogs.formatAsked, 3);
}

TEST_F(CaptureTest, CancellingTheSourceDialogPutsTheControlsBackInReverseOrder)
{
    const CaptureControl autoWb = FakeCaptureDevice::Control(10, QStringLiteral("ホワイトバランス自動"),
                                                             CaptureControl::Kind::Boolean, 0, 1, 1);
    const CaptureControl temperature = FakeCaptureDevice::Control(
        20, QStringLiteral("色温度"), CaptureControl::Kind::Integer, 2800, 6500, 4600);
    const CaptureControl brightness
        = FakeCaptureDevice::Control(30, QStringLiteral("明るさ"), CaptureControl::Kind::Integer, -64, 64, 0);
    device.controls = {autoWb, temperature, brightness};
    auto capture = make();
    ASSERT_TRUE(capture->ConnectDriver(0));
    const QList<std::pair<quint32, int>> changes {{10, 0}, {20, 3000}, {30, 12}};

    dialogs.controlChanges = changes;
    dialogs.acceptControls = false;
    capture->ShowSourceDialog();
    EXPECT_EQ(device.controlWrites,
              (QList<std::pair<quint32, int>> {{10, 0}, {20, 3000}, {30, 12}, {30, 0}, {20, 4600}, {10, 1}}));

    device.controlWrites.clear();
    dialogs.acceptControls = true;
    capture->ShowSourceDialog();
    EXPECT_EQ(device.controlWrites, changes);
    EXPECT_EQ(device.controls.at(2).value, 12);

    device.controls.clear();
    auto noControls = make();
    ASSERT_TRUE(noControls->ConnectDriver(0));
    EXPECT_FALSE(noControls->HasSourceDialog());
    noControls->ShowSourceDialog();
    EXPECT_EQ(dialogs.controlsAsked, 2);
}

TEST_F(CaptureTest, DestroyingTheCaptureObjectClosesTheCamera)
{
    auto capture = make();
    ASSERT_TRUE(capture->ConnectDriver(0));
    capture->SetPreview(true, 33);
    capture.reset();
    EXPECT_FALSE(device.IsStreaming());
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.closes, 1);
}

} // namespace
