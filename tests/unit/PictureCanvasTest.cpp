#include "picture/PictureCanvas.h"

#include "mail/AddressBook.h"
#include "mail/PictureRender.h"
#include "picture/BmpFile.h"
#include "picture/Resample.h"
#include "support/ExifBuilder.h"
#include "support/Files.h"
#include "support/Pictures.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <vector>

// Readable failures; gtest finds these beside the types.
static void PrintTo(const QRect &r, std::ostream *os)
{
    *os << "(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ")";
}

static void PrintTo(const QSize &s, std::ostream *os)
{
    *os << s.width() << " x " << s.height();
}

static void PrintTo(const Rgb &c, std::ostream *os)
{
    *os << "RGB(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ")";
}

namespace {

constexpr Rgb kWhite {255, 255, 255};

// Four pixels across, two down, each its own colour: the eyedropper's and the rotation's picture.
Bitmap eightColours()
{
    Bitmap b(4, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            b.setPixel(x, y, Rgb {quint8(10 + x), quint8(20 + y), quint8(30 * (x + 4 * y))});
    return b;
}

class PictureCanvasTest : public ::testing::Test
{
protected:
    PictureCanvasTest()
        : canvas(dir.path(), dialogs())
    {
        QObject::connect(&canvas, &PictureCanvas::placementChanged, [this] { ++placementSignals; });
        QObject::connect(&canvas, &PictureCanvas::backgroundChanged, [this] { ++backgroundSignals; });
        QObject::connect(&canvas, &PictureCanvas::focusRequested, [this] { ++focusSignals; });
        QObject::connect(&canvas, &PictureCanvas::busyChanged,
                         [this](bool busy) { busyStates.push_back(busy); });
        QObject::connect(&canvas, &PictureCanvas::cursorChanged, [this] { ++cursorSignals; });
    }

    CanvasDialogs dialogs()
    {
        CanvasDialogs d;
        d.PickColor = [this](Rgb initial) {
            colourAsked.push_back(initial);
            return colourAnswer;
        };
        d.AskPictureSize = [this](const QString &w, const QString &h) {
            sizeAsked.push_back(w + QLatin1Char(',') + h);
            return sizeAnswer;
        };
        return d;
    }

    QString path(const QString &name) const { return dir.filePath(name); }

    // A picture of width x height on the canvas, the frame laid out for the 240 x 320 preset.
    void load(int width, int height, quint32 seed = 1)
    {
        ASSERT_TRUE(canvas.SetPicture(testpictures::photo(width, height, seed)));
        canvas.SetEnabled(true);
    }

    void drag(int dx, int dy)
    {
        canvas.PictureMouseDown(QPoint(5, 5), false);
        canvas.PictureMouseMove(QPoint(5 + dx, 5 + dy), false);
        canvas.PictureMouseUp();
    }

    QTemporaryDir dir;
    std::optional<Rgb> colourAnswer;
    std::vector<Rgb> colourAsked;
    std::optional<QSize> sizeAnswer;
    QStringList sizeAsked;
    PictureCanvas canvas;
    int placementSignals = 0;
    int backgroundSignals = 0;
    int focusSignals = 0;
    int cursorSignals = 0;
    std::vector<bool> busyStates;
};

TEST_F(PictureCanvasTest, StartsWithTheFullFrameWhiteAndNoPicture)
{
    EXPECT_EQ(canvas.FrameSize(), QSize(240, 320));
    EXPECT_EQ(canvas.FrameBaseRect(), QRect(8, 8, 242, 322));
    EXPECT_EQ(canvas.BackgroundColor(), kWhite);
    EXPECT_FALSE(canvas.HasPicture());
    EXPECT_FALSE(canvas.Dragging());
    EXPECT_FALSE(canvas.IsEnabled());
    EXPECT_EQ(canvas.Settings().SizePreset(), -1);
    EXPECT_EQ(canvas.Settings().QualityLevel(), -1);
    EXPECT_EQ(canvas.Settings().WidthText(), "240");
    EXPECT_EQ(canvas.Settings().HeightText(), "320");
    EXPECT_EQ(PictureSettings::SizeItems(),
              QStringList({"120 x 120", "132 x 176", "240 x 320", "ユーザー設定"}));
    EXPECT_EQ(PictureSettings::QualityItems(), QStringList({"低", "中", "高"}));
    // Without a picture nothing moves and no zoom is made.
    EXPECT_FALSE(canvas.ZoomPicture(10));
    canvas.ResizeByHeight();
    canvas.Centering();
    canvas.RotateLeft();
    EXPECT_EQ(canvas.Placement(), QRect(0, 0, 0, 0));
    EXPECT_TRUE(busyStates.empty());
}

TEST_F(PictureCanvasTest, LaysTheFrameOutForEveryTargetShape)
{
    const struct
    {
        int width, height;
        QSize frame;
        QPoint at;
    } cases[] = {
        {120, 120, {240, 240}, {8, 48}},  {132, 176, {240, 320}, {8, 8}}, // exactly 3 : 4
        {240, 320, {240, 320}, {8, 8}},   {120, 320, {120, 320}, {68, 8}},
        {240, 121, {240, 121}, {8, 107}}, // aspect 198 %
        {200, 150, {240, 180}, {8, 78}},  {133, 177, {240, 320}, {8, 8}}, // 75.14 % truncates to 75
        {0, 0, {240, 240}, {8, 48}}, // taken as 1 x 1
    };
    load(640, 480);
    const QRect placement = canvas.Placement();
    canvas.PlaceCameraHost(QSize(240, 180));
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        canvas.LayoutFrame(c.width, c.height);
        EXPECT_EQ(canvas.FrameSize(), c.frame);
        EXPECT_EQ(canvas.FrameBaseRect(), QRect(c.at, c.frame + QSize(2, 2)));
        EXPECT_EQ(canvas.FrameViewRect(), QRect(c.at + QPoint(1, 1), c.frame));
        EXPECT_EQ(canvas.CameraHostRect(),
                  QRect((c.frame.width() - 240) / 2, (c.frame.height() - 180) / 2, 240, 180));
        EXPECT_EQ(canvas.Placement(), placement);
    }
    // A camera view larger than the frame gets negative offsets, truncated toward zero.
    canvas.LayoutFrame(240, 121);
    EXPECT_EQ(canvas.CameraHostRect(), QRect(0, -29, 240, 180));
}

TEST_F(PictureCanvasTest, LoadsBitmapsOnlyByTheirLowerCaseExtension)
{
    const Bitmap picture = testpictures::photo(64, 48, 2);
    const QByteArray bmp = WriteBmp(picture);
    const QByteArray jfif = *JpegEncoder().encode(picture, 90);
    const QByteArray exif = testexif::build(jfif, testexif::Layout {});
    const struct
    {
        const char *name;
        const QByteArray &bytes;
        bool loads;
    } cases[] = {
        {"photo.bmp", bmp, true},    {"photo.BMP", bmp, false}, // not a bitmap by its name, and no JPEG mark
        {"photo.Bmp", bmp, false},   {"jpeg.BMP", jfif, true}, // a JPEG after all
        {"jpeg.bmp", jfif, false}, // read as a bitmap, which it is not
        {"photo.jpg", jfif, true},   {"photo.JPG", exif, true},   {"photo.jpeg", bmp, false},
        {"noextension", jfif, true}, {"dir.bmp.jpg", jfif, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(testfiles::write(path(c.name), c.bytes));
        PictureCanvas fresh(dir.path());
        EXPECT_EQ(fresh.LoadPicture(path(c.name)), c.loads);
        EXPECT_EQ(fresh.HasPicture(), c.loads);
        if (c.loads) {
            EXPECT_EQ(fresh.Picture().width(), 64);
            EXPECT_EQ(fresh.Picture().height(), 48);
            EXPECT_EQ(fresh.Placement(), QRect(0, 70, 240, 180));
        }
    }
    EXPECT_FALSE(canvas.LoadPicture(path("missing.jpg")));
    EXPECT_FALSE(canvas.LoadPicture(QString()));
}

TEST_F(PictureCanvasTest, PlacesALoadedPictureInTheWholeAreaAndKeepsItOnFailure)
{
    const struct
    {
        int width, height;
        QRect placement;
    } cases[] = {
        {640, 480, {0, 70, 240, 180}},
        {480, 640, {0, 0, 240, 320}},
        {100, 400, {0, -320, 240, 960}},
        {1000, 3, {0, 160, 240, 0}},
    };
    // The frame view does not count: the placement is in the 240 x 320 area.
    canvas.LayoutFrame(120, 120);
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        ASSERT_TRUE(SaveBmpFile(path("p.bmp"), testpictures::photo(c.width, c.height)));
        canvas.SetPictureShown(false);
        canvas.SetCameraHostShown(true);
        ASSERT_TRUE(canvas.LoadPicture(path("p.bmp")));
        EXPECT_EQ(canvas.Placement(), c.placement);
        EXPECT_TRUE(canvas.PictureShown());
        EXPECT_FALSE(canvas.CameraHostShown());
    }
    const Bitmap before = canvas.Picture();
    ASSERT_TRUE(testfiles::write(path("broken.jpg"), QByteArray("\xFF\xD8\xFF\xE0\0\x10JFIF\0garbage", 18)));
    ASSERT_TRUE(testfiles::write(path("empty.bmp"), QByteArray()));
    canvas.SetPlacement(QRect(3, 4, 50, 60));
    canvas.SetPictureShown(false);
    for (const char *name : {"broken.jpg", "empty.bmp"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(canvas.LoadPicture(path(name)));
        EXPECT_EQ(canvas.Placement(), QRect(3, 4, 50, 60));
        EXPECT_EQ(canvas.Picture(), before);
        EXPECT_FALSE(canvas.PictureShown());
    }
    // Larger than the placement's arithmetic allows.
    EXPECT_FALSE(canvas.SetPicture(Bitmap(65536, 1)));
    EXPECT_TRUE(canvas.SetPicture(Bitmap(65535, 1)));
}

TEST_F(PictureCanvasTest, PutsACameraStillWhereTheLiveViewWas)
{
    canvas.PlaceCameraHost(QSize(240, 180));
    canvas.SetCameraHostShown(true);
    canvas.SetPictureShown(false);
    ASSERT_TRUE(SaveBmpFile(path("capture.bmp"), testpictures::photo(320, 240)));
    ASSERT_TRUE(canvas.LoadCameraPicture(path("capture.bmp")));
    EXPECT_EQ(canvas.Placement(), QRect(0, 70, 240, 180));
    EXPECT_TRUE(canvas.PictureShown());
    EXPECT_FALSE(canvas.CameraHostShown());
    EXPECT_EQ(canvas.Picture().width(), 320);

    // A failed grab leaves an empty path: nothing changes.
    canvas.PlaceCameraHost(QSize(426, 320));
    EXPECT_FALSE(canvas.LoadCameraPicture(QString()));
    EXPECT_EQ(canvas.Placement(), QRect(0, 70, 240, 180));
    EXPECT_EQ(canvas.Picture().width(), 320);
}

TEST_F(PictureCanvasTest, ZoomsBySixPixelsForA640WidePictureAndOneForA50WideOne)
{
    load(640, 480);
    ASSERT_EQ(canvas.Placement(), QRect(0, 70, 240, 180));
    EXPECT_TRUE(canvas.ZoomPicture(1));
    EXPECT_FALSE(canvas.ZoomRefused());
    // 246 x 184 about the centre: (240 - 246) / 2 = -3, 70 + (180 - 184) / 2 = 68.
    EXPECT_EQ(canvas.Placement(), QRect(-3, 68, 246, 184));
    EXPECT_TRUE(canvas.ZoomPicture(-1));
    EXPECT_EQ(canvas.Placement(), QRect(0, 70, 240, 180));
    EXPECT_TRUE(canvas.ZoomPicture(10));
    EXPECT_EQ(canvas.Placement(), QRect(-32, 46, 304, 228));

    // A 50 pixel wide picture: d = 50 / 100 = 0 becomes 1. Shown 240 wide it is at 480 %, so its first
    // zoom either way comes down to 300 %.
    load(50, 40);
    ASSERT_EQ(canvas.Placement(), QRect(0, 64, 240, 192));
    EXPECT_TRUE(canvas.ZoomPicture(1));
    EXPECT_EQ(canvas.Placement(), QRect(45, 100, 150, 120));
    canvas.SetPlacement(QRect(0, 0, 100, 80)); // 200 %
    EXPECT_TRUE(canvas.ZoomPicture(1));
    // (100 - 101) / 2 truncates to 0; 101 * 40 / 50 = 80.
    EXPECT_EQ(canvas.Placement(), QRect(0, 0, 101, 80));
    EXPECT_TRUE(canvas.ZoomPicture(1));
    EXPECT_EQ(canvas.Placement(), QRect(0, 0, 102, 81));
    EXPECT_TRUE(canvas.ZoomPicture(-1));
    EXPECT_EQ(canvas.Placement(), QRect(0, 0, 101, 80));

    EXPECT_FALSE(canvas.ZoomPicture(0));
    EXPECT_TRUE(canvas.ZoomRefused());
    EXPECT_EQ(canvas.Placement(), QRect(0, 0, 101, 80));
}

TEST_F(PictureCanvasTest, ClampsAtExactly300PercentAndRefusesTheNextZoomIn)
{
    load(640, 480);
    int zooms = 0;
    while (canvas.ZoomPicture(10) && zooms < 100)
        ++zooms;
    // 26 steps of 64 pixels reach 1904; the 27th would pass 300 % and is clamped to it.
    EXPECT_EQ(zooms, 27);
    EXPECT_TRUE(canvas.ZoomRefused());
    const QRect clamped = canvas.Placement();
    EXPECT_EQ(clamped.width(), 1920);
    EXPECT_EQ(clamped.height(), 1440);
    EXPECT_EQ(canvas.ZoomLevel(), 300);
    EXPECT_EQ(canvas.VerticalZoomLevel(), 300);
    placementSignals = 0;
    EXPECT_FALSE(canvas.ZoomPicture(1));
    EXPECT_EQ(canvas.Placement(), clamped);
    EXPECT_EQ(placementSignals, 0);
    EXPECT_TRUE(canvas.ZoomPicture(-1));
    EXPECT_FALSE(canvas.ZoomRefused());
    EXPECT_EQ(canvas.Placement().width(), 1914);

    // For a 120 x 120 target in its 240 x 240 frame view, 300 % is twice as many view pixels.
    canvas.Settings().SetPictureSize(120, 120);
    canvas.LayoutFrame(120, 120);
    while (canvas.ZoomPicture(10) && zooms < 200)
        ++zooms;
    EXPECT_EQ(canvas.Placement().size(), QSize(3840, 2880));
}

TEST_F(PictureCanvasTest, RefusesToShrinkBelowATenthOfTheTarget)
{
    // Width limit: 24 frame-view pixels for a 240 wide target.
    load(100, 400);
    canvas.SetPlacement(QRect(10, 10, 25, 100));
    EXPECT_TRUE(canvas.ZoomPicture(-1));
    EXPECT_EQ(canvas.Placement(), QRect(10, 12, 24, 96)); // 24 * 400 / 100 high, kept centred
    EXPECT_FALSE(canvas.ZoomPicture(-1));
    EXPECT_EQ(canvas.Placement(), QRect(10, 12, 24, 96));

    // Height limit: 32 for a 320 high target.
    load(400, 100);
    canvas.SetPlacement(QRect(0, 0, 132, 33));
    EXPECT_TRUE(canvas.ZoomPicture(-1)); // 128 x 32
    EXPECT_EQ(canvas.Placement(), QRect(2, 0, 128, 32));
    EXPECT_FALSE(canvas.ZoomPicture(-1)); // 124 x 31
    EXPECT_EQ(canvas.Placement(), QRect(2, 0, 128, 32));
}

TEST_F(PictureCanvasTest, RecentresAPictureZoomedAwayFromTheFrame)
{
    load(640, 480);
    canvas.SetPlacement(QRect(-300, 400, 240, 180));
    EXPECT_TRUE(canvas.ZoomPicture(1)); // 246 x 184 would start at (-303, 398): outside both ways
    EXPECT_EQ(canvas.Placement(), QRect(-3, 68, 246, 184));
    canvas.SetPlacement(QRect(241, -200, 240, 180));
    EXPECT_TRUE(canvas.ZoomPicture(-1)); // 234 x 175 at (244, -198)
    EXPECT_EQ(canvas.Placement(), QRect(3, 72, 234, 175));
}

TEST_F(PictureCanvasTest, FitsAndAlignsWithTruncatedHalves)
{
    load(640, 480);
    canvas.LayoutFrame(120, 120); // 240 x 240
    canvas.ResizeByHeight();
    EXPECT_EQ(canvas.Placement(), QRect(-40, 0, 320, 240));
    canvas.ResizeByWidth();
    EXPECT_EQ(canvas.Placement(), QRect(0, 30, 240, 180));

    const struct
    {
        const char *name;
        void (PictureCanvas::*align)();
        QRect from, to;
    } cases[] = {
        {"left", &PictureCanvas::FitLeft, {5, 7, 100, 50}, {0, 7, 100, 50}},
        {"top", &PictureCanvas::FitTop, {5, 7, 100, 50}, {5, 0, 100, 50}},
        {"right", &PictureCanvas::FitRight, {5, 7, 100, 50}, {140, 7, 100, 50}},
        {"bottom", &PictureCanvas::FitBottom, {5, 7, 100, 50}, {5, 190, 100, 50}},
        {"centre", &PictureCanvas::Centering, {5, 7, 101, 51}, {69, 94, 101, 51}},
        // (240 - 301) / 2 is -30, not -31.
        {"centre of a larger one", &PictureCanvas::Centering, {5, 7, 301, 241}, {-30, 0, 301, 241}},
        {"right of a larger one", &PictureCanvas::FitRight, {5, 7, 301, 241}, {-61, 7, 301, 241}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        canvas.SetPlacement(c.from);
        (canvas.*c.align)();
        EXPECT_EQ(canvas.Placement(), c.to);
    }
}

TEST_F(PictureCanvasTest, RotatesThePictureAndTurnsThePlacementAboutTheAreaCentre)
{
    ASSERT_TRUE(canvas.SetPicture(eightColours()));
    canvas.SetPlacement(QRect(10, 20, 90, 60));
    canvas.RotateLeft();
    EXPECT_EQ(canvas.Picture(), RotateBitmap(eightColours(), -90));
    EXPECT_EQ(canvas.Placement(), QRect(-20, 180, 60, 90));
    EXPECT_EQ(busyStates, (std::vector<bool> {true, false}));
    canvas.RotateRight();
    EXPECT_EQ(canvas.Picture(), eightColours());
    EXPECT_EQ(canvas.Placement(), QRect(10, 20, 90, 60));
    canvas.RotateRight();
    EXPECT_EQ(canvas.Placement(), QRect(200, 50, 60, 90));
    EXPECT_EQ(busyStates, (std::vector<bool> {true, false, true, false, true, false}));
}

TEST_F(PictureCanvasTest, RotatingLeftThenRightRestoresEverythingInAnyFrame)
{
    const Bitmap photo = testpictures::photo(97, 61, 4);
    for (const QSize target : {QSize(240, 320), QSize(120, 120), QSize(240, 121), QSize(120, 320)}) {
        SCOPED_TRACE(testing::Message() << target.width() << "x" << target.height());
        ASSERT_TRUE(canvas.SetPicture(photo));
        canvas.LayoutFrame(target.width(), target.height());
        canvas.SetPlacement(QRect(-17, 33, 251, 158));
        canvas.RotateLeft();
        canvas.RotateRight();
        EXPECT_EQ(canvas.Picture(), photo);
        EXPECT_EQ(canvas.Placement(), QRect(-17, 33, 251, 158));
        canvas.RotateRight();
        canvas.RotateLeft();
        EXPECT_EQ(canvas.Picture(), photo);
        EXPECT_EQ(canvas.Placement(), QRect(-17, 33, 251, 158));
    }
}

TEST_F(PictureCanvasTest, PicksTheBackgroundFromThePictureWithAlt)
{
    ASSERT_TRUE(canvas.SetPicture(eightColours()));
    canvas.SetEnabled(true);
    ASSERT_EQ(canvas.Placement(), QRect(0, 100, 240, 120));
    const Bitmap b = eightColours();
    const struct
    {
        QPoint at;
        QPoint pixel;
    } cases[] = {
        {{0, 0}, {0, 0}},   {{59, 59}, {0, 0}},   {{60, 60}, {1, 1}},
        {{120, 0}, {2, 0}}, {{239, 119}, {3, 1}}, {{179, 61}, {2, 1}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.at.x() << "," << c.at.y());
        backgroundSignals = 0;
        canvas.PictureMouseDown(c.at, true);
        canvas.PictureMouseUp();
        EXPECT_EQ(canvas.BackgroundColor(), b.pixel(c.pixel.x(), c.pixel.y()));
        EXPECT_EQ(backgroundSignals, 1);
        EXPECT_FALSE(canvas.Dragging());
        EXPECT_EQ(canvas.Placement(), QRect(0, 100, 240, 120));
    }
    // Without Alt a drag starts; while disabled nothing happens.
    canvas.SetBackgroundColor(kWhite);
    canvas.PictureMouseDown(QPoint(60, 60), false);
    EXPECT_TRUE(canvas.Dragging());
    EXPECT_EQ(canvas.DragOrigin(), QPoint(60, 60));
    EXPECT_EQ(canvas.BackgroundColor(), kWhite);
    canvas.PictureMouseUp();
    canvas.SetEnabled(false);
    canvas.PictureMouseDown(QPoint(60, 60), true);
    EXPECT_EQ(canvas.BackgroundColor(), kWhite);
}

TEST_F(PictureCanvasTest, DragsThePlacementWithThePointer)
{
    load(640, 480);
    canvas.PictureMouseDown(QPoint(10, 10), false);
    // Points are on the placement as it is at each move.
    canvas.PictureMouseMove(QPoint(25, 5), false);
    EXPECT_EQ(canvas.Placement(), QRect(15, 65, 240, 180));
    canvas.PictureMouseMove(QPoint(10, 10), false);
    EXPECT_EQ(canvas.Placement(), QRect(15, 65, 240, 180));
    canvas.PictureMouseMove(QPoint(7, 13), false);
    EXPECT_EQ(canvas.Placement(), QRect(12, 68, 240, 180));
    canvas.PictureMouseUp();
    EXPECT_FALSE(canvas.Dragging());
    canvas.PictureMouseMove(QPoint(50, 50), false);
    EXPECT_EQ(canvas.Placement(), QRect(12, 68, 240, 180));
}

TEST_F(PictureCanvasTest, SnapsBackADropEntirelyOutsideTheFrame)
{
    load(640, 480);
    const struct
    {
        const char *name;
        QRect from;
        QPoint by;
        QRect to;
    } cases[] = {
        // Wider than the frame: off the left edge the right edges meet; off the right, the left ones.
        {"wide off the left", {-93, 0, 426, 320}, {-400, 0}, {-186, 0, 426, 320}},
        {"wide off the right", {-93, 0, 426, 320}, {334, 0}, {0, 0, 426, 320}},
        {"as wide as the frame off the left", {0, 70, 240, 180}, {-241, 0}, {0, 70, 240, 180}},
        // Narrower: flush with the edge it left by.
        {"narrow off the left", {20, 30, 100, 75}, {-150, 0}, {0, 30, 100, 75}},
        {"narrow off the right", {20, 30, 100, 75}, {250, 0}, {140, 30, 100, 75}},
        {"narrow off the top", {20, 30, 100, 75}, {0, -200}, {20, 0, 100, 75}},
        {"narrow off the bottom", {20, 30, 100, 75}, {0, 300}, {20, 245, 100, 75}},
        {"tall off the top", {0, 0, 200, 400}, {0, -450}, {0, -80, 200, 400}},
        {"tall off the bottom", {0, 0, 200, 400}, {0, 350}, {0, 0, 200, 400}},
        {"off a corner", {20, 30, 100, 75}, {-150, 300}, {0, 245, 100, 75}},
        // Still on the frame: no snap.
        {"partly outside", {20, 30, 100, 75}, {-100, 270}, {-80, 300, 100, 75}},
        {"on the right edge", {20, 30, 100, 75}, {220, 0}, {240, 30, 100, 75}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        canvas.SetPlacement(c.from);
        drag(c.by.x(), c.by.y());
        EXPECT_EQ(canvas.Placement(), c.to);
    }
}

TEST_F(PictureCanvasTest, KeypadMovesOnePixelAndNeverSnaps)
{
    load(640, 480);
    const struct
    {
        int key;
        QPoint moved;
    } keys[] = {{Qt::Key_8, {0, -1}}, {Qt::Key_2, {0, 1}}, {Qt::Key_4, {-1, 0}}, {Qt::Key_6, {1, 0}}};
    for (const auto &k : keys) {
        SCOPED_TRACE(k.key);
        canvas.SetPlacement(QRect(0, 70, 240, 180));
        EXPECT_TRUE(canvas.KeyDown(k.key, Qt::KeypadModifier));
        EXPECT_EQ(canvas.Placement(), QRect(QPoint(0, 70) + k.moved, QSize(240, 180)));
        // The digit keys of the main keyboard are not the keypad's.
        EXPECT_FALSE(canvas.KeyDown(k.key, Qt::NoModifier));
        EXPECT_EQ(canvas.Placement(), QRect(QPoint(0, 70) + k.moved, QSize(240, 180)));
    }
    EXPECT_FALSE(canvas.KeyDown(Qt::Key_5, Qt::KeypadModifier));

    canvas.SetPlacement(QRect(0, 70, 240, 180));
    for (int i = 0; i < 241; ++i)
        canvas.KeyDown(Qt::Key_4, Qt::KeypadModifier);
    EXPECT_EQ(canvas.Placement(), QRect(-241, 70, 240, 180));
    // The render sends only the background then.
    const Bitmap frame = canvas.ComposeFrame();
    EXPECT_EQ(frame, testpictures::plain(240, 320, kWhite));
    // A mouse release brings it back.
    canvas.PictureMouseUp();
    EXPECT_EQ(canvas.Placement(), QRect(0, 70, 240, 180));

    EXPECT_TRUE(canvas.KeyDown(Qt::Key_PageUp, Qt::NoModifier));
    EXPECT_EQ(canvas.Placement(), QRect(-3, 68, 246, 184));
    EXPECT_TRUE(canvas.KeyDown(Qt::Key_PageDown, Qt::NoModifier));
    EXPECT_EQ(canvas.Placement(), QRect(0, 70, 240, 180));
}

TEST_F(PictureCanvasTest, ZoomsWithTheWheelOnlyOverTheShownFrame)
{
    load(640, 480);
    canvas.LayoutFrame(120, 120); // 240 x 240
    const struct
    {
        const char *name;
        QPoint at;
        int delta;
        bool handled;
        int width;
    } cases[] = {
        {"inside, up", {100, 100}, 120, true, 246}, {"inside, down", {100, 100}, -120, true, 240},
        {"top-left corner", {0, 0}, 15, true, 246}, {"bottom-right corner", {240, 240}, -15, true, 240},
        {"left of it", {-1, 100}, 120, false, 240}, {"right of it", {241, 100}, 120, false, 240},
        {"below it", {100, 241}, 120, false, 240},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(canvas.MouseWheel(c.at, c.delta), c.handled);
        EXPECT_EQ(canvas.Placement().width(), c.width);
    }
    canvas.SetPictureShown(false);
    EXPECT_FALSE(canvas.MouseWheel(QPoint(100, 100), 120));
    canvas.SetPictureShown(true);
    canvas.SetEnabled(false);
    EXPECT_FALSE(canvas.MouseWheel(QPoint(100, 100), 120));
    EXPECT_EQ(canvas.Placement().width(), 240);
}

TEST_F(PictureCanvasTest, ShowsTheHandWhileAltIsHeld)
{
    load(640, 480);
    EXPECT_EQ(canvas.PointerCursor(), PictureCanvas::Cursor::Default);
    canvas.PictureMouseMove(QPoint(3, 3), true);
    EXPECT_EQ(canvas.PointerCursor(), PictureCanvas::Cursor::HandPoint);
    canvas.PictureMouseMove(QPoint(4, 3), true);
    EXPECT_EQ(cursorSignals, 1);
    canvas.PictureMouseMove(QPoint(5, 3), false);
    EXPECT_EQ(canvas.PointerCursor(), PictureCanvas::Cursor::Default);
    // A drag keeps the cursor it had.
    canvas.PictureMouseDown(QPoint(5, 3), false);
    canvas.PictureMouseMove(QPoint(6, 3), true);
    EXPECT_EQ(canvas.PointerCursor(), PictureCanvas::Cursor::Default);
    EXPECT_EQ(cursorSignals, 2);
}

TEST_F(PictureCanvasTest, ChangesTheBackgroundOnlyWhenAColourIsChosen)
{
    canvas.ChooseBackgroundColor();
    EXPECT_EQ(canvas.BackgroundColor(), kWhite);
    EXPECT_EQ(backgroundSignals, 0);
    colourAnswer = Rgb {12, 34, 56};
    canvas.ChooseBackgroundColor();
    EXPECT_EQ(canvas.BackgroundColor(), (Rgb {12, 34, 56}));
    EXPECT_EQ(backgroundSignals, 1);
    colourAnswer.reset();
    canvas.ChooseBackgroundColor();
    EXPECT_EQ(canvas.BackgroundColor(), (Rgb {12, 34, 56}));
    EXPECT_EQ(colourAsked, (std::vector<Rgb> {kWhite, kWhite, {12, 34, 56}}));

    // Without a dialog nothing is asked.
    PictureCanvas bare(dir.path());
    bare.ChooseBackgroundColor();
    EXPECT_EQ(bare.BackgroundColor(), kWhite);
}

TEST_F(PictureCanvasTest, AppliesThePresetsAndLaysTheFrameOut)
{
    const struct
    {
        int preset;
        QSize size, frame;
    } cases[] = {
        {0, {120, 120}, {240, 240}},
        {1, {132, 176}, {240, 320}},
        {2, {240, 320}, {240, 320}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.preset);
        canvas.Settings().SetSizePreset(c.preset);
        focusSignals = 0;
        canvas.SizePresetChanged(true, true);
        EXPECT_EQ(QSize(canvas.Settings().PictureWidth(), canvas.Settings().PictureHeight()), c.size);
        EXPECT_EQ(canvas.FrameSize(), c.frame);
        EXPECT_FALSE(canvas.Settings().UserSizeEnabled());
        EXPECT_EQ(focusSignals, 1);
    }
    EXPECT_TRUE(sizeAsked.isEmpty());

    // No item selected: the user size fields are switched off, nothing else happens.
    canvas.Settings().SetSizePreset(0);
    canvas.SizePresetChanged(false, true);
    canvas.Settings().EnableUserSize(true);
    canvas.Settings().SetSizePreset(-1);
    focusSignals = 0;
    canvas.SizePresetChanged(false, true);
    EXPECT_FALSE(canvas.Settings().UserSizeEnabled());
    EXPECT_EQ(canvas.FrameSize(), QSize(240, 240));
    EXPECT_EQ(focusSignals, 0);

    canvas.Settings().SetSizePreset(7);
    EXPECT_EQ(canvas.Settings().SizePreset(), -1);
    canvas.Settings().SetQualityLevel(2);
    canvas.Settings().SetQualityLevel(3);
    EXPECT_EQ(canvas.Settings().QualityLevel(), 2);
    focusSignals = 0;
    canvas.QualityLevelChanged();
    EXPECT_EQ(focusSignals, 1);
}

TEST_F(PictureCanvasTest, AsksForTheUserSizeOnlyWhenChosenFromTheList)
{
    canvas.Settings().SetSizePreset(1);
    canvas.SizePresetChanged(true, true);

    // Chosen and answered.
    sizeAnswer = QSize(200, 150);
    canvas.Settings().SetSizePreset(3);
    canvas.SizePresetChanged(true, true);
    EXPECT_EQ(sizeAsked, QStringList({"132,176"}));
    EXPECT_EQ(canvas.Settings().WidthText(), "200");
    EXPECT_EQ(canvas.Settings().HeightText(), "150");
    EXPECT_EQ(canvas.FrameSize(), QSize(240, 180));
    EXPECT_EQ(canvas.FrameBaseRect(), QRect(8, 78, 242, 182));
    EXPECT_TRUE(canvas.Settings().UserSizeEnabled());

    // Entering the step again with user size selected asks nothing and keeps the size.
    canvas.LayoutFrame(240, 320);
    canvas.SizePresetChanged(false, true);
    EXPECT_EQ(sizeAsked.size(), 1);
    EXPECT_EQ(canvas.FrameSize(), QSize(240, 180));

    // Chosen and cancelled: the previous width and height stay and the frame is laid out from them.
    canvas.Settings().SetSizePreset(1);
    canvas.SizePresetChanged(true, true);
    sizeAnswer.reset();
    canvas.Settings().SetSizePreset(3);
    canvas.SizePresetChanged(true, true);
    EXPECT_EQ(sizeAsked.last(), "132,176");
    EXPECT_EQ(canvas.Settings().WidthText(), "132");
    EXPECT_EQ(canvas.Settings().HeightText(), "176");
    EXPECT_EQ(canvas.FrameSize(), QSize(240, 320));

    // An answer out of range counts as cancelled.
    sizeAnswer = QSize(241, 320);
    canvas.AskUserSize();
    sizeAnswer = QSize(120, 119);
    canvas.AskUserSize();
    EXPECT_EQ(canvas.Settings().WidthText(), "132");
    sizeAnswer = QSize(120, 320);
    canvas.AskUserSize();
    EXPECT_EQ(canvas.Settings().WidthText(), "120");
    EXPECT_EQ(canvas.FrameBaseRect(), QRect(68, 8, 122, 322));
}

TEST_F(PictureCanvasTest, KeepsTheUserSizeFieldsOffWhileFurtherRecipientsAreListed)
{
    sizeAnswer = QSize(240, 121);
    canvas.Settings().SetSizePreset(3);
    canvas.SizePresetChanged(true, false);
    EXPECT_FALSE(canvas.Settings().UserSizeEnabled());
    EXPECT_EQ(canvas.Settings().UserSizeBorderColor(), (Rgb {128, 128, 128}));
    EXPECT_EQ(canvas.Settings().UserSizeTextColor(), (Rgb {128, 128, 128}));
    EXPECT_EQ(canvas.FrameSize(), QSize(240, 121));

    canvas.Settings().EnableUserSize(true);
    EXPECT_TRUE(canvas.Settings().UserSizeEnabled());
    EXPECT_EQ(canvas.Settings().UserSizeBorderColor(), (Rgb {255, 138, 0}));
    EXPECT_EQ(canvas.Settings().UserSizeTextColor(), (Rgb {128, 0, 128}));

    canvas.Settings().SetQualityLevel(0);
    TMailAddress entry;
    FillPictureParameters(canvas, entry);
    EXPECT_EQ(entry.SizePreset, 3);
    EXPECT_EQ(entry.QualityLevel, 0);
    EXPECT_EQ(entry.Width, 240);
    EXPECT_EQ(entry.Height, 121);
}

TEST_F(PictureCanvasTest, ComposesTheVisiblePartOnTheBackground)
{
    const Rgb red {250, 10, 20};
    const Rgb background {30, 60, 90};
    ASSERT_TRUE(canvas.SetPicture(testpictures::plain(100, 100, red)));
    canvas.SetBackgroundColor(background);
    canvas.SetPlacement(QRect(-50, -30, 100, 100));
    const Bitmap frame = canvas.ComposeFrame();
    ASSERT_EQ(frame.width(), 240);
    ASSERT_EQ(frame.height(), 320);
    for (int y = 0; y < 320; ++y)
        for (int x = 0; x < 240; ++x)
            ASSERT_EQ(frame.pixel(x, y), x < 50 && y < 70 ? red : background) << x << "," << y;

    // Every placement shows the matching part of the stretched picture, small or huge.
    const Bitmap photo = testpictures::photo(300, 200, 6);
    ASSERT_TRUE(canvas.SetPicture(photo));
    const QRect placements[] = {{-20, 35, 250, 166}, {100, 200, 57, 38}, {-2000, -1500, 4000, 2666}};
    for (const QRect &p : placements) {
        SCOPED_TRACE(testing::Message() << p.x() << "," << p.y() << "," << p.width() << "," << p.height());
        canvas.SetPlacement(p);
        const QRect visible = p.intersected(QRect(0, 0, 240, 320));
        const Bitmap part
            = ResampleBitmap(photo, p.width(), p.height(),
                             PixelRect {visible.left() - p.x(), visible.top() - p.y(),
                                        visible.right() + 1 - p.x(), visible.bottom() + 1 - p.y()});
        const Bitmap composed = canvas.ComposeFrame();
        for (int y = 0; y < 320; ++y)
            for (int x = 0; x < 240; ++x)
                ASSERT_EQ(composed.pixel(x, y),
                          visible.contains(x, y) ? part.pixel(x - visible.x(), y - visible.y()) : background)
                    << x << "," << y;
    }
}

} // namespace
