#include "mail/PictureRender.h"

#include "common/Exception.h"
#include "common/SaveFile.h"
#include "mail/AddressBook.h"
#include "mail/Carrier.h"
#include "picture/BmpFile.h"
#include "picture/JpegCodec.h"
#include "picture/PictureCanvas.h"
#include "support/Entries.h"
#include "support/Files.h"
#include "support/Pictures.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

// Readable failures; gtest finds these beside the types.
static void PrintTo(const Rgb &c, std::ostream *os)
{
    *os << "RGB(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ")";
}

namespace {

// Addresses of the carrier classes that matter to the render.
const QString kDocomo = QStringLiteral("taro@docomo.ne.jp");
const QString kWillcom = QStringLiteral("taro@pdx.ne.jp");
const QString kSoftBank = QStringLiteral("taro@t.vodafone.ne.jp");
const QString kOther = QStringLiteral("taro@example.com");

TMailAddress recipient(const QString &address, int preset, int quality, int width, int height)
{
    return testentries::Entry(QString(), address, preset, quality, width, height);
}

// Every channel of every pixel its own: what no JPEG compresses.
Bitmap noise(int width, int height)
{
    Bitmap b(width, height);
    quint32 h = 12345;
    for (int y = 0; y < height; ++y) {
        uchar *p = b.scanLine(y);
        for (int i = 0; i < width * 3; ++i) {
            h = h * 1664525u + 1013904223u;
            p[i] = uchar(h >> 24);
        }
    }
    return b;
}

class RenderTest : public ::testing::Test
{
protected:
    // A picture of width x height on the canvas, the frame laid out for the 240 x 320 preset.
    void load(int width, int height, quint32 seed = 1)
    {
        ASSERT_TRUE(canvas.SetPicture(testpictures::photo(width, height, seed)));
        canvas.SetEnabled(true);
    }

    std::optional<Bitmap> renderedBitmap() { return LoadBmpFile(canvas.TmpBmpPath()); }

    TConvertJpeg::Result render(const TMailAddress &to)
    {
        const TConvertJpeg::Result r = RenderPicture(canvas, to);
        EXPECT_EQ(QFileInfo(canvas.TmpJpgPath()).size(), r.size);
        return r;
    }

    std::optional<Bitmap> jpeg() { return DecodeJpeg(testfiles::read(canvas.TmpJpgPath())); }

    QTemporaryDir dir;
    PictureCanvas canvas {dir.path(), {}};
};

TEST_F(RenderTest, SendsOnlyBackgroundWhenNothingIsVisible)
{
    const Rgb background {200, 100, 50};
    load(640, 480);
    canvas.SetBackgroundColor(background);
    for (const QRect &p : {QRect(241, 0, 240, 180), QRect(-240, 0, 240, 180), QRect(0, -181, 240, 180),
                           QRect(0, 321, 240, 180)}) {
        SCOPED_TRACE(testing::Message() << p.x() << "," << p.y());
        canvas.SetPlacement(p);
        render(recipient(kWillcom, 2, 2, 240, 320));
        const std::optional<Bitmap> frame = renderedBitmap();
        ASSERT_TRUE(frame);
        EXPECT_EQ(*frame, testpictures::plain(240, 320, background));
        const std::optional<Bitmap> picture = jpeg();
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->width(), 240);
        EXPECT_EQ(picture->height(), 320);
    }
}

TEST_F(RenderTest, WritesTheFrameAtScreenScaleAndTheJpegAtTheTargetSize)
{
    // A 120 x 120 target: the 240 x 240 frame view is halved both ways.
    canvas.Settings().SetSizePreset(0);
    canvas.SizePresetChanged(false, true);
    load(64, 48, 3);
    canvas.ResizeByHeight();
    canvas.SetBackgroundColor(Rgb {0, 0, 255});
    TMailAddress to = recipient(kWillcom, 0, 2, 120, 120);
    render(to);
    const std::optional<Bitmap> frame = renderedBitmap();
    ASSERT_TRUE(frame);
    EXPECT_EQ(*frame, canvas.ComposeFrame());
    EXPECT_EQ(frame->width(), 240);
    EXPECT_EQ(frame->height(), 240);

    const std::optional<Bitmap> picture = jpeg();
    ASSERT_TRUE(picture);
    ASSERT_EQ(picture->width(), 120);
    ASSERT_EQ(picture->height(), 120);
    const Bitmap halved = TConvertJpeg::ScaleAreaAverage(*frame, PixelRect {0, 0, 240, 240}, 120, 120)
                              .convertedTo(Bitmap::Format::Bgr24);
    qint64 error = 0;
    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < 120; ++x) {
            const Rgb a = picture->pixel(x, y), b = halved.pixel(x, y);
            error += qAbs(a.r - b.r) + qAbs(a.g - b.g) + qAbs(a.b - b.b);
        }
    }
    // What the JPEG compression costs on average; a wrong scale or part costs ten times more.
    EXPECT_LT(double(error) / (120 * 120 * 3), 4.0);

    // A further recipient of another shape stretches the same frame to its own size.
    to = recipient(kOther, 2, 2, 240, 320);
    render(to);
    ASSERT_TRUE(jpeg());
    EXPECT_EQ(jpeg()->width(), 240);
    EXPECT_EQ(jpeg()->height(), 320);
}

TEST_F(RenderTest, KeepsTmpBmpOnlyForTheWillcomClass)
{
    load(300, 200);
    const struct
    {
        QString address;
        bool kept;
    } cases[] = {
        {kWillcom, true},
        {kDocomo, false},
        {QStringLiteral("taro@ezweb.ne.jp"), false},
        {kSoftBank, false},
        {kOther, false},
        {QStringLiteral("TARO@PDX.NE.JP"), false}, // capitals are another class
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.address.toStdString());
        QFile::remove(canvas.TmpBmpPath());
        QFile::remove(canvas.TmpJpgPath());
        render(recipient(c.address, 1, 1, 132, 176));
        EXPECT_EQ(QFile::exists(canvas.TmpBmpPath()), c.kept);
        EXPECT_TRUE(QFile::exists(canvas.TmpJpgPath()));
    }
}

TEST_F(RenderTest, SwitchesTheFrameTo15BitsBelowATrueColourScreen)
{
    const Rgb background {201, 99, 47};
    ASSERT_TRUE(canvas.SetPicture(testpictures::photo(240, 320, 8)));
    canvas.SetPlacement(QRect(20, 0, 200, 320));
    canvas.SetBackgroundColor(background);
    for (const int depth : {8, 15, 16, 24, 32}) {
        SCOPED_TRACE(depth);
        canvas.SetScreenDepth(depth);
        render(recipient(kWillcom, 2, 2, 240, 320));
        const QByteArray file = testfiles::read(canvas.TmpBmpPath());
        ASSERT_GT(file.size(), 30);
        const int bits = quint8(file[28]) | quint8(file[29]) << 8;
        Bitmap expected = canvas.ComposeFrame();
        if (depth < 24)
            expected.reduceTo15Bit();
        EXPECT_EQ(bits, depth < 24 ? 16 : 24);
        const std::optional<Bitmap> frame = ReadBmp(file);
        ASSERT_TRUE(frame);
        EXPECT_EQ(*frame, expected);
        // The background too: 201, 99, 47 keep their top five bits.
        EXPECT_EQ(frame->pixel(0, 0), (depth < 24 ? Rgb {206, 99, 41} : background));
    }
}

TEST_F(RenderTest, HonoursTheRecipientsByteBudget)
{
    ASSERT_TRUE(canvas.SetPicture(testpictures::photo(800, 600, 11)));
    canvas.ResizeByHeight();
    const struct
    {
        const char *name;
        TMailAddress to;
        int budget;
    } cases[] = {
        {"DoCoMo, 240 x 320, high", recipient(kDocomo, 2, 2, 240, 320), 16000},
        {"SoftBank, 240 x 320, high", recipient(kSoftBank, 2, 2, 240, 320), 8000},
        {"other, 132 x 176, middle", recipient(kOther, 1, 1, 132, 176), 8000},
        {"SoftBank, 120 x 120, low", recipient(kSoftBank, 0, 0, 120, 120), 2000},
        {"SoftBank, user size, low", recipient(kSoftBank, 3, 0, 240, 320), 2048},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(ByteBudget(c.to), c.budget);
        const TConvertJpeg::Result r = render(c.to);
        const std::optional<Bitmap> picture = jpeg();
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->width(), c.to.Width);
        EXPECT_EQ(picture->height(), c.to.Height);
        // The first quality that fits.
        EXPECT_GT(r.quality, 0);
        EXPECT_LT(r.quality, 100); // this picture never fits at 100
        EXPECT_LE(r.size, c.budget);
        EXPECT_EQ(r.passes, (100 - r.quality) / 2 + 1);
    }
    // Noise shown 1 : 1 does not fit 2048 bytes at any quality: the last pass, at 0, stays.
    ASSERT_TRUE(canvas.SetPicture(noise(240, 320)));
    canvas.SetPlacement(QRect(0, 0, 240, 320));
    TConvertJpeg::Result r = render(recipient(kSoftBank, 3, 0, 240, 320));
    EXPECT_EQ(r.quality, 0);
    EXPECT_EQ(r.passes, 51);
    EXPECT_GT(r.size, 2048);

    // A budget of 0 (class 1 outside the table) is one pass at 100.
    r = render(recipient(QStringLiteral("taro@ezweb.ne.jp"), 5, 2, 240, 320));
    EXPECT_EQ(r.quality, 100);
    EXPECT_EQ(r.passes, 1);
}

TEST_F(RenderTest, FailsWhenTheWorkFolderCannotBeWritten)
{
    PictureCanvas lost(dir.filePath("no/such/folder"));
    ASSERT_TRUE(lost.SetPicture(testpictures::photo(40, 30)));
    try {
        RenderPicture(lost, recipient(kDocomo, 2, 2, 240, 320));
        FAIL() << "no exception";
    } catch (const Exception &e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("ビットマップファイルを書き込めません：")))
            << e.what();
    }
    EXPECT_FALSE(QFile::exists(lost.TmpJpgPath()));

    // A recipient without a size cannot be written; tmp.bmp does not stay behind.
    ASSERT_TRUE(canvas.SetPicture(testpictures::photo(40, 30)));
    EXPECT_THROW(RenderPicture(canvas, recipient(kDocomo, 2, 2, 0, 320)), Exception);
    EXPECT_FALSE(QFile::exists(canvas.TmpBmpPath()));
}

// A link planted at a working file would turn the send into a write of whatever it points to.
TEST_F(RenderTest, ALinkAtAWorkingFileIsRefusedAndWhatItPointsToStays)
{
    ASSERT_TRUE(canvas.SetPicture(testpictures::photo(40, 30)));
    const QString victim = dir.filePath("victim");
    ASSERT_TRUE(testfiles::write(victim, "precious"));
    for (const QString &working : {canvas.TmpBmpPath(), canvas.TmpJpgPath()}) {
        SCOPED_TRACE(working.toStdString());
        QFile::remove(canvas.TmpBmpPath());
        QFile::remove(canvas.TmpJpgPath());
        ASSERT_TRUE(QFile::link(victim, working));
        try {
            RenderPicture(canvas, recipient(kDocomo, 2, 2, 240, 320));
            ADD_FAILURE() << "rendered";
        } catch (const Exception &e) {
            EXPECT_EQ(e.Message(), SymLinkRefusedText(working));
        }
        EXPECT_EQ(testfiles::read(victim), "precious");
        EXPECT_TRUE(QFileInfo(working).isSymLink());
    }
    ASSERT_TRUE(QFile::remove(canvas.TmpJpgPath()));
    EXPECT_NO_THROW(RenderPicture(canvas, recipient(kDocomo, 2, 2, 240, 320)));
    EXPECT_FALSE(QFileInfo(canvas.TmpJpgPath()).isSymLink());
    EXPECT_TRUE(QFileInfo(canvas.TmpJpgPath()).isFile());
}

TEST_F(RenderTest, RendersTheBackgroundAloneWithoutAPicture)
{
    canvas.SetBackgroundColor(Rgb {1, 2, 3});
    render(recipient(kWillcom, 0, 2, 120, 120));
    const std::optional<Bitmap> frame = renderedBitmap();
    ASSERT_TRUE(frame);
    EXPECT_EQ(*frame, testpictures::plain(240, 320, Rgb {1, 2, 3}));
}

} // namespace
