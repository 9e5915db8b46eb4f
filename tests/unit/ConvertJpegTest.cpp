#include "picture/ConvertJpeg.h"
#include "common/Exception.h"
#include "picture/BmpFile.h"
#include "picture/JpegCodec.h"
#include "support/ExifBuilder.h"
#include "support/Fifo.h"
#include "support/FileSizeLimit.h"
#include "support/Files.h"
#include "support/Pictures.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>

#include <sys/stat.h>

namespace {

using testexif::Layout;

// A byte string literal with its NUL bytes.
template<size_t N> QByteArray bytes(const char (&s)[N])
{
    return QByteArray(s, N - 1);
}

class ConvertJpegTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return dir.filePath(name); }

    // The 240 x 320 frame as the render writes it, and the JPEG sizes of every quality.
    void SetUp() override
    {
        frame = testpictures::photo(240, 320);
        ASSERT_TRUE(SaveBmpFile(path("tmp.bmp"), frame));
        JpegEncoder encoder;
        for (int q = 0; q <= 100; ++q)
            jpegAt[q] = encoder.encode(frame, q).value();
    }

    QTemporaryDir dir;
    Bitmap frame;
    std::map<int, QByteArray> jpegAt;
};

TEST_F(ConvertJpegTest, WithoutABudgetOnePassAtQuality100)
{
    TConvertJpeg writer;
    const TConvertJpeg::Result r = writer.ConvertFile(path("tmp.bmp"), path("tmp.jpg"));
    EXPECT_EQ(r.passes, 1);
    EXPECT_EQ(r.quality, 100);
    EXPECT_EQ(r.size, jpegAt[100].size());
    EXPECT_EQ(testfiles::read(path("tmp.jpg")), jpegAt[100]);
    EXPECT_EQ(writer.SourceBitmap(), frame);
    EXPECT_EQ(writer.ScaledBitmap(), frame);
}

TEST_F(ConvertJpegTest, TheFirstQualityThatFitsTheBudgetIsKept)
{
    const qint64 size100 = jpegAt[100].size();
    const struct
    {
        const char *name;
        qint64 budget;
    } cases[] = {
        {"met at 100 exactly", size100},
        {"met at 100 with room", size100 + 5000},
        {"met exactly at 80", jpegAt[80].size()},
        {"one byte short of 80", jpegAt[80].size() - 1},
        {"between 30 and 28", (jpegAt[30].size() + jpegAt[28].size()) / 2},
        {"met at 2", jpegAt[2].size()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        int expected = 100;
        while (jpegAt[expected].size() > c.budget)
            expected -= 2;
        TConvertJpeg writer;
        writer.Budget = int(c.budget);
        const TConvertJpeg::Result r = writer.ConvertFile(path("tmp.bmp"), path("tmp.jpg"));
        EXPECT_EQ(r.quality, expected);
        EXPECT_EQ(r.passes, (100 - expected) / 2 + 1);
        EXPECT_LE(r.size, c.budget);
        EXPECT_EQ(testfiles::read(path("tmp.jpg")), jpegAt[expected]);
    }
}

TEST_F(ConvertJpegTest, AnUnreachableBudgetEndsWithAPassAtQualityZeroWhoseFileStays)
{
    ASSERT_GT(jpegAt[1].size(), 100);
    // Longer than any pass: every pass must replace the file, not write over its start.
    ASSERT_TRUE(testfiles::write(path("tmp.jpg"), QByteArray(1 << 20, 'z')));
    TConvertJpeg writer;
    writer.Budget = 100;
    const TConvertJpeg::Result r = writer.ConvertFile(path("tmp.bmp"), path("tmp.jpg"));
    EXPECT_EQ(r.passes, 51);
    EXPECT_EQ(r.quality, 0);
    EXPECT_EQ(r.size, jpegAt[1].size());
    EXPECT_EQ(testfiles::read(path("tmp.jpg")), jpegAt[1]);
}

TEST_F(ConvertJpegTest, ScalingWritesTheDestinationSize)
{
    TConvertJpeg writer;
    writer.Scale = true;
    writer.SourceRect = PixelRect {0, 0, 240, 320};
    writer.DestRect = PixelRect {0, 0, 120, 160};
    writer.ConvertFile(path("tmp.bmp"), path("tmp.jpg"));
    const Bitmap expected = TConvertJpeg::ScaleAreaAverage(frame, writer.SourceRect, 120, 160);
    EXPECT_EQ(writer.ScaledBitmap(), expected);
    EXPECT_EQ(testfiles::read(path("tmp.jpg")), JpegEncoder().encode(expected, 100).value());
    // The settings stay for the next call.
    EXPECT_TRUE(writer.Scale);
    EXPECT_EQ(writer.DestRect, (PixelRect {0, 0, 120, 160}));
}

TEST_F(ConvertJpegTest, FailuresAreRaisedWithTheFileInTheMessage)
{
    ASSERT_TRUE(testfiles::write(path("text.bmp"), "not a bitmap"));
    const struct
    {
        const char *name;
        QString bitmap;
        QString jpeg;
        PixelRect source;
        QString message;
    } cases[] = {
        {"missing bitmap",
         path("none.bmp"),
         path("a.jpg"),
         {},
         "ビットマップファイルを読み込めません：" + path("none.bmp")},
        {"not a bitmap",
         path("text.bmp"),
         path("a.jpg"),
         {},
         "ビットマップファイルを読み込めません：" + path("text.bmp")},
        {"folder missing",
         path("tmp.bmp"),
         path("no/a.jpg"),
         {},
         "JPEGファイルを書き込めません：" + path("no/a.jpg")},
        {"full disk", path("tmp.bmp"), "/dev/full", {}, "JPEGファイルを書き込めません：/dev/full"},
        {"source outside the bitmap",
         path("tmp.bmp"),
         path("a.jpg"),
         {0, 0, 241, 320},
         "変換する範囲が画像に収まりません：" + path("tmp.bmp")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TConvertJpeg writer;
        if (c.source.right > 0) {
            writer.Scale = true;
            writer.SourceRect = c.source;
            writer.DestRect = PixelRect {0, 0, 120, 160};
        }
        try {
            writer.ConvertFile(c.bitmap, c.jpeg);
            ADD_FAILURE() << "no exception";
        } catch (const Exception &e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
    EXPECT_FALSE(QFile::exists(path("a.jpg")));
    // The object works as before after a failure.
    TConvertJpeg writer;
    EXPECT_THROW(writer.ConvertFile(path("none.bmp"), path("a.jpg")), Exception);
    EXPECT_EQ(writer.ConvertFile(path("tmp.bmp"), path("a.jpg")).quality, 100);
}

TEST_F(ConvertJpegTest, TheMessageNamesWhatIsWrong)
{
    TestFifo fifoIn(path("in.bmp"), testfiles::read(path("tmp.bmp")));
    TestFifo fifoOut(path("out.jpg"), QByteArray());
    const struct
    {
        const char *name;
        QString bitmap;
        QString jpeg;
        PixelRect source;
        PixelRect dest;
        QString message;
    } cases[] = {
        {"bitmap from a FIFO",
         path("in.bmp"),
         path("a.jpg"),
         {},
         {},
         "ビットマップファイルを読み込めません：" + path("in.bmp")},
        {"bitmap from a device",
         "/dev/zero",
         path("a.jpg"),
         {},
         {},
         "ビットマップファイルを読み込めません：/dev/zero"},
        {"JPEG into a FIFO",
         path("tmp.bmp"),
         path("out.jpg"),
         {},
         {},
         "JPEGファイルを書き込めません：" + path("out.jpg")},
        {"JPEG into a folder",
         path("tmp.bmp"),
         dir.path(),
         {},
         {},
         "JPEGファイルを書き込めません：" + dir.path()},
        {"destination of 400 megapixels",
         path("tmp.bmp"),
         path("a.jpg"),
         {0, 0, 240, 320},
         {0, 0, 20000, 20000},
         "出力する画像の大きさ 20000×20000 は扱えません（1億画素まで）"},
        {"empty destination",
         path("tmp.bmp"),
         path("a.jpg"),
         {0, 0, 240, 320},
         {0, 0, 0, 160},
         "出力する画像の大きさ 0×160 は扱えません（1億画素まで）"},
        {"source outside the bitmap, destination too large",
         path("tmp.bmp"),
         path("a.jpg"),
         {0, 0, 240, 321},
         {0, 0, 20000, 20000},
         "変換する範囲が画像に収まりません：" + path("tmp.bmp")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TConvertJpeg writer;
        writer.Scale = c.source.right > 0;
        writer.SourceRect = c.source;
        writer.DestRect = c.dest;
        try {
            writer.ConvertFile(c.bitmap, c.jpeg);
            ADD_FAILURE() << "no exception";
        } catch (const Exception &e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
    EXPECT_FALSE(QFile::exists(path("a.jpg")));
    EXPECT_TRUE(fifoOut.stillFifo());
}

TEST_F(ConvertJpegTest, AShortWriteFails)
{
    // Files may grow no larger than 1 KiB in this process for the moment: the first pass fails.
    FileSizeLimit limit(1024);
    ASSERT_TRUE(limit.Set());
    QString message;
    try {
        TConvertJpeg().ConvertFile(path("tmp.bmp"), path("a.jpg"));
    } catch (const Exception &e) {
        message = e.Message();
    }
    ASSERT_TRUE(limit.Restore());
    EXPECT_EQ(message, "JPEGファイルを書き込めません：" + path("a.jpg"));
}

// blue = column, green = row / 2, red = 100 on odd rows: the output shows which source columns
// each pixel averaged and which rows were sampled.
TEST(ScaleAreaAverageTest, HalvingTakesEvenRowsAndAveragesEachColumnWithTheOneBefore)
{
    Bitmap source(240, 320);
    for (int y = 0; y < 320; ++y)
        for (int x = 0; x < 240; ++x)
            source.setPixel(x, y, Rgb {quint8(y % 2 ? 100 : 0), quint8(y / 2), quint8(x)});
    const Bitmap out = TConvertJpeg::ScaleAreaAverage(source, PixelRect {0, 0, 240, 320}, 120, 160);
    ASSERT_EQ(out.width(), 120);
    ASSERT_EQ(out.height(), 160);
    ASSERT_EQ(out.format(), Bitmap::Format::Bgrx32);
    for (int j = 0; j < 160; ++j) {
        for (int i = 0; i < 120; ++i) {
            // Column 0 alone, then columns 2i - 1 and 2i: (4i - 1) / 2 truncated.
            const Rgb expected {0, quint8(j), quint8(i == 0 ? 0 : 2 * i - 1)};
            ASSERT_EQ(out.pixel(i, j), expected) << i << "," << j;
            ASSERT_EQ(out.scanLine(j)[4 * i + 3], 0);
        }
    }
}

TEST(ScaleAreaAverageTest, ColumnEndsAndSampledRowsFollowTheRoundedPositions)
{
    Bitmap source(7, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            source.setPixel(x, y, Rgb {0, quint8(10 * y), quint8(10 * x)});
    // 7 -> 3: ends 0, 2, 5 (column 6 is never used); 5 -> 2: rows 0 and 3.
    const Bitmap out = TConvertJpeg::ScaleAreaAverage(source, PixelRect {0, 0, 7, 5}, 3, 2);
    const int blue[3] = {0, 15, 40};
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(out.pixel(i, j), (Rgb {0, quint8(j == 0 ? 0 : 30), quint8(blue[i])})) << i << "," << j;

    // A rectangle inside the bitmap: ends 2 and 4 from left 2, row 1 from top 1.
    const Bitmap part = TConvertJpeg::ScaleAreaAverage(source, PixelRect {2, 1, 6, 3}, 2, 1);
    EXPECT_EQ(part.pixel(0, 0), (Rgb {0, 10, 20}));
    EXPECT_EQ(part.pixel(1, 0), (Rgb {0, 10, 35}));
}

TEST(ScaleAreaAverageTest, EqualSizesCopyExactlyAndEnlargementsStayInside)
{
    const Bitmap photo = testpictures::photo(240, 320);
    EXPECT_EQ(TConvertJpeg::ScaleAreaAverage(photo, PixelRect {0, 0, 240, 320}, 240, 320)
                  .convertedTo(Bitmap::Format::Bgr24),
              photo);

    Bitmap two(2, 1);
    two.setPixel(0, 0, Rgb {10, 0, 0});
    two.setPixel(1, 0, Rgb {20, 0, 0});
    const Bitmap wide = TConvertJpeg::ScaleAreaAverage(two, PixelRect {0, 0, 2, 1}, 5, 2);
    const int red[5] = {10, 10, 20, 20, 20};
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(wide.pixel(i, j).r, red[i]) << i << "," << j;

    for (const PixelRect &r : {PixelRect {0, 0, 0, 1}, PixelRect {-1, 0, 2, 1}, PixelRect {0, 0, 3, 1},
                               PixelRect {0, 0, 2, 2}, PixelRect {1, 0, 1, 1}}) {
        SCOPED_TRACE(testing::Message() << r.left << "," << r.top << "," << r.right << "," << r.bottom);
        EXPECT_TRUE(TConvertJpeg::ScaleAreaAverage(two, r, 5, 2).isNull());
    }
    EXPECT_TRUE(TConvertJpeg::ScaleAreaAverage(two, PixelRect {0, 0, 2, 1}, 0, 2).isNull());
}

class JpegFilesTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return dir.filePath(name); }
    QString file(const QString &name, const QByteArray &bytes) const
    {
        EXPECT_TRUE(testfiles::write(path(name), bytes));
        return path(name);
    }

    void SetUp() override
    {
        JpegEncoder encoder;
        main = encoder.encode(testpictures::plain(96, 64, Rgb {220, 20, 20}), 90).value();
        thumbnail = encoder.encode(testpictures::plain(24, 16, Rgb {20, 20, 220}), 90).value();
    }

    QByteArray exif(Layout layout) const
    {
        if (layout.thumbnail.isNull())
            layout.thumbnail = thumbnail;
        return testexif::build(main, layout);
    }

    QTemporaryDir dir;
    QByteArray main; // red, JFIF
    QByteArray thumbnail; // blue
};

TEST_F(JpegFilesTest, MarksAreTestedAtOffsetSixInAnyLetterCase)
{
    const struct
    {
        const char *mark;
        bool exif, jfif;
    } cases[] = {{"EXIF", true, false}, {"Exif", true, false}, {"exif", true, false}, {"eXiF", true, false},
                 {"JFIF", false, true}, {"jfif", false, true}, {"Jfif", false, true}, {"JFIX", false, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.mark);
        const QString f = file("m.jpg", bytes("\xFF\xD8\xFF\xE1\x00\x10") + c.mark + QByteArray(8, '\0'));
        EXPECT_EQ(TConvertJpeg::IsExif(f), c.exif);
        EXPECT_EQ(TConvertJpeg::IsJfif(f), c.jfif);
    }
    EXPECT_FALSE(TConvertJpeg::IsExif(file("short.jpg",
                                           bytes("\xFF\xD8\xFF\xE1\x00\x10"
                                                 "Exi"))));
    EXPECT_FALSE(TConvertJpeg::IsJfif(file("shifted.jpg", bytes("\xFF\xD8\xFF\xE1\x00JFIF\0"))));
    EXPECT_FALSE(TConvertJpeg::IsExif(path("none.jpg")));
    EXPECT_FALSE(TConvertJpeg::IsJfif(path("none.jpg")));
}

TEST_F(JpegFilesTest, TheEmbeddedThumbnailIsFoundOrTheWholeFileTaken)
{
    QByteArray noEnd = thumbnail;
    noEnd.chop(2);
    const QByteArray plainExif = exif(Layout());
    const struct
    {
        const char *name;
        QByteArray file;
        QByteArray expected;
    } cases[] = {
        {"little-endian Exif", plainExif, thumbnail},
        {"big-endian Exif", exif(Layout().inBigEndian()), thumbnail},
        {"JFIF, then Exif", exif(Layout().afterJfif()), thumbnail},
        {"Exif mark in capitals", plainExif.left(6) + "EXIF" + plainExif.mid(10), thumbnail},
        // Scanned from the segment's start: the file's own start of image comes first, and what runs
        // from it to the thumbnail's end has no readable header.
        {"link past the segment", exif(Layout().withLink(0x7FFFFFFF)), exif(Layout().withLink(0x7FFFFFFF))},
        // After a JFIF header the segment's start holds no start of image: the thumbnail is found.
        {"link past the segment after JFIF", exif(Layout().afterJfif().withLink(0x7FFFFFFF)), thumbnail},
        {"entry count past the segment",
         exif(Layout().inBigEndian())
             .replace(bytes("MM\0*\0\0\0\x08\0\x02"), bytes("MM\0*\0\0\0\x08\xFF\xFF")),
         QByteArray()},
        {"segment too short for a directory", exif(Layout().withLength(16)), exif(Layout().withLength(16))},
        {"no picture in the segment", exif(Layout().withThumbnail(QByteArray("no picture"))),
         exif(Layout().withThumbnail(QByteArray("no picture")))},
        {"thumbnail without its end", exif(Layout().withThumbnail(noEnd)), noEnd},
        // The scan goes on after the byte that did not match, so FF FF D8 hides the start of image.
        {"thumbnail after a stray FF", exif(Layout().withThumbnail("\xFF" + thumbnail)), QByteArray()},
        {"JFIF without Exif", main, main},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString f = file("e.jpg", c.file);
        const std::optional<QByteArray> stream = TConvertJpeg::ExtractThumbnail(f);
        ASSERT_TRUE(stream.has_value());
        EXPECT_EQ(stream->toHex(), (c.expected.isNull() ? c.file : c.expected).toHex());
    }
    EXPECT_FALSE(
        TConvertJpeg::ExtractThumbnail(file("p.png", bytes("\x89PNG\r\n\x1a\n0000000000"))).has_value());
    EXPECT_FALSE(TConvertJpeg::ExtractThumbnail(file("empty.jpg", "")).has_value());
    EXPECT_FALSE(TConvertJpeg::ExtractThumbnail(path("none.jpg")).has_value());

    QByteArray data = exif(Layout().inBigEndian());
    QBuffer buffer(&data);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    EXPECT_EQ(TConvertJpeg::ExtractThumbnail(buffer), thumbnail);
}

Rgb centre(const Bitmap &tile)
{
    return tile.pixel(32, 32);
}

bool near(Rgb a, Rgb b)
{
    return std::abs(a.r - b.r) <= 6 && std::abs(a.g - b.g) <= 6 && std::abs(a.b - b.b) <= 6;
}

TEST_F(JpegFilesTest, ThumbnailsComeFromTheEmbeddedPictureInEitherByteOrder)
{
    const std::optional<Bitmap> little = TConvertJpeg::MakeThumbnail(file("ii.jpg", exif(Layout())));
    const std::optional<Bitmap> big
        = TConvertJpeg::MakeThumbnail(file("mm.jpg", exif(Layout().inBigEndian())));
    const std::optional<Bitmap> jfif
        = TConvertJpeg::MakeThumbnail(file("jfif.jpg", exif(Layout().afterJfif())));
    ASSERT_TRUE(little && big && jfif);
    EXPECT_EQ(*little, *big);
    EXPECT_EQ(*little, *jfif);
    EXPECT_TRUE(near(centre(*little), Rgb {20, 20, 220}));
    // The main picture for a file without Exif, and for one whose link leads nowhere.
    const std::optional<Bitmap> whole = TConvertJpeg::MakeThumbnail(file("main.jpg", main));
    const std::optional<Bitmap> lost
        = TConvertJpeg::MakeThumbnail(file("lost.jpg", exif(Layout().withLink(0x7FFFFFFF))));
    ASSERT_TRUE(whole && lost);
    EXPECT_TRUE(near(centre(*whole), Rgb {220, 20, 20}));
    EXPECT_EQ(*lost, *whole);
}

TEST_F(JpegFilesTest, BitmapFilesMakeThumbnailsWhateverTheCaseOfTheirExtension)
{
    const Bitmap blue = testpictures::plain(32, 32, Rgb {0, 0, 255});
    for (const char *name : {"a.bmp", "b.BMP", "c.Bmp"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(SaveBmpFile(path(name), blue));
        const std::optional<Bitmap> tile = TConvertJpeg::MakeThumbnail(path(name));
        ASSERT_TRUE(tile.has_value());
        EXPECT_EQ(centre(*tile), (Rgb {0, 0, 255}));
    }
    // A bitmap under a JPEG name goes the JPEG way and is refused.
    ASSERT_TRUE(SaveBmpFile(path("d.jpg"), blue));
    EXPECT_FALSE(TConvertJpeg::MakeThumbnail(path("d.jpg")).has_value());
    EXPECT_FALSE(TConvertJpeg::MakeThumbnail(file("e.bmp", "BM broken")).has_value());
    EXPECT_FALSE(TConvertJpeg::MakeThumbnail(file("f.jpg", main.left(main.size() / 2))).has_value());
    EXPECT_FALSE(TConvertJpeg::MakeThumbnail(file("g.jpg", "")).has_value());
    EXPECT_FALSE(TConvertJpeg::MakeThumbnail(path("none.jpg")).has_value());
}

constexpr Rgb kWhite {255, 255, 255};
constexpr Rgb kGrey {128, 128, 128};

TEST(ThumbnailTileTest, ASquarePictureFillsTheTileAndBothFramesLieOnItsEdge)
{
    // 32 x 32, every pixel its own colour; each becomes a 2 x 2 block of the tile.
    Bitmap square(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            square.setPixel(x, y, Rgb {quint8(8 * x), quint8(8 * y), 77});
    const std::optional<Bitmap> tile = TConvertJpeg::MakeTile(square);
    ASSERT_TRUE(tile.has_value());
    ASSERT_EQ(tile->width(), 64);
    ASSERT_EQ(tile->height(), 64);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const bool edge = x == 0 || y == 0 || x == 63 || y == 63;
            const Rgb expected = edge ? kGrey : Rgb {quint8(8 * (x / 2)), quint8(8 * (y / 2)), 77};
            ASSERT_EQ(tile->pixel(x, y), expected) << x << "," << y;
        }
    }
}

TEST(ThumbnailTileTest, AWidePictureGetsACentredBoxOnWhite)
{
    // 128 x 64 in 2 x 2 blocks of one colour each: the 64 x 32 box shows one block per pixel.
    Bitmap wide(128, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 128; ++x)
            wide.setPixel(x, y, Rgb {quint8(4 * (x / 2)), quint8(8 * (y / 2)), 200});
    const std::optional<Bitmap> tile = TConvertJpeg::MakeTile(wide);
    ASSERT_TRUE(tile.has_value());
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const bool tileEdge = x == 0 || x == 63 || y == 0 || y == 63;
            const bool inBox = y >= 16 && y < 48;
            const bool boxEdge = inBox && (y == 16 || y == 47 || x == 0 || x == 63);
            Rgb expected = Rgb {quint8(4 * x), quint8(8 * (y - 16)), 200};
            if (tileEdge || boxEdge)
                expected = kGrey;
            else if (!inBox)
                expected = kWhite;
            ASSERT_EQ(tile->pixel(x, y), expected) << x << "," << y;
        }
    }
    // A tall picture the same way across.
    Bitmap tall(64, 128);
    tall.fill(Rgb {1, 2, 3});
    const std::optional<Bitmap> upright = TConvertJpeg::MakeTile(tall);
    ASSERT_TRUE(upright.has_value());
    EXPECT_EQ(upright->pixel(15, 30), kWhite);
    EXPECT_EQ(upright->pixel(16, 30), kGrey);
    EXPECT_EQ(upright->pixel(17, 30), (Rgb {1, 2, 3}));
    EXPECT_EQ(upright->pixel(46, 30), (Rgb {1, 2, 3}));
    EXPECT_EQ(upright->pixel(47, 30), kGrey);
    EXPECT_EQ(upright->pixel(48, 30), kWhite);
    EXPECT_FALSE(TConvertJpeg::MakeTile(Bitmap()).has_value());
}

TEST_F(JpegFilesTest, AReducedDecodeGivesTheTileOfAFullDecode)
{
    const QByteArray photo = JpegEncoder().encode(testpictures::photo(1600, 1200, 3), 90).value();
    const QString f = file("photo.jpg", photo);
    const std::optional<Bitmap> reduced = DecodeJpeg(photo, 64);
    ASSERT_TRUE(reduced.has_value());
    ASSERT_EQ(reduced->width(), 200); // decoded at 1/8

    const std::optional<Bitmap> fast = TConvertJpeg::MakeThumbnail(f);
    const std::optional<Bitmap> full = TConvertJpeg::LoadJpegFile(f);
    ASSERT_TRUE(fast && full);
    const std::optional<Bitmap> reference = TConvertJpeg::MakeTile(*full);
    ASSERT_TRUE(reference.has_value());
    int worst = 0;
    qint64 total = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const Rgb a = fast->pixel(x, y), b = reference->pixel(x, y);
            for (const int d : {std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)}) {
                worst = std::max(worst, d);
                total += d;
            }
        }
    }
    EXPECT_LE(worst, 8);
    EXPECT_LE(double(total) / (64 * 64 * 3), 0.5);
}

TEST_F(JpegFilesTest, JpegFilesLoadWhateverTheirFirstSegment)
{
    const std::optional<Bitmap> jfif = TConvertJpeg::LoadJpegFile(file("a.jpg", main));
    ASSERT_TRUE(jfif.has_value());
    EXPECT_EQ(jfif->width(), 96);
    EXPECT_EQ(jfif->height(), 64);
    EXPECT_TRUE(near(jfif->pixel(50, 30), Rgb {220, 20, 20}));
    // Exif without JFIF: the main picture, not the thumbnail.
    const std::optional<Bitmap> withExif = TConvertJpeg::LoadJpegFile(file("b.jpg", exif(Layout())));
    ASSERT_TRUE(withExif.has_value());
    EXPECT_EQ(withExif->width(), 96);

    // Without the JFIF segment, and with an editor's XMP segment first: still a JPEG picture.
    const QByteArray unmarked = main.left(2) + main.mid(20);
    const QByteArray xmp = QByteArray("http://ns.adobe.com/xap/1.0/\0<x:xmpmeta/>", 42);
    const QByteArray xmpFirst = main.left(2) + "\xFF\xE1" + char(0) + char(xmp.size() + 2) + xmp + main.mid(2);
    for (const QByteArray &data : {unmarked, xmpFirst}) {
        const std::optional<Bitmap> loaded = TConvertJpeg::LoadJpegFile(file("c.jpg", data));
        ASSERT_TRUE(loaded.has_value());
        EXPECT_EQ(*loaded, *jfif);
    }
    EXPECT_FALSE(TConvertJpeg::LoadJpegFile(file("f.jpg", QByteArray("\xFF\xD8\xFF\xE0", 4))).has_value());
    EXPECT_FALSE(TConvertJpeg::LoadJpegFile(file("d.jpg", main.left(main.size() - 40))).has_value());
    EXPECT_FALSE(
        TConvertJpeg::LoadJpegFile(file("e.jpg", main.left(20) + QByteArray(500, '\x55'))).has_value());
    EXPECT_FALSE(TConvertJpeg::LoadJpegFile(path("none.jpg")).has_value());
}

TEST_F(JpegFilesTest, AThumbnailThatDoesNotDecodeGivesWayToTheWholePicture)
{
    const std::optional<Bitmap> whole = TConvertJpeg::MakeThumbnail(file("main.jpg", main));
    ASSERT_TRUE(whole.has_value());
    // A thumbnail cut in its picture data, and one whose header claims far more pixels than its
    // data holds: both have a header that reads.
    const qsizetype sos = thumbnail.indexOf("\xFF\xDA");
    ASSERT_GT(sos, 0);
    const qsizetype scanData = sos + 2 + (quint8(thumbnail[sos + 2]) << 8 | quint8(thumbnail[sos + 3]));
    const QByteArray cut = thumbnail.left(scanData + 2);
    QByteArray claims = thumbnail;
    const qsizetype sof = claims.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    claims.replace(sof + 5, 4, QByteArray("\x07\xD0\x07\xD0", 4)); // 2000 x 2000
    for (const QByteArray &broken : {cut, claims}) {
        const QByteArray bytes = exif(Layout().withThumbnail(broken));
        const QString f = file("broken.jpg", bytes);
        EXPECT_TRUE(ReadJpegHeader(broken).has_value());
        EXPECT_FALSE(DecodeJpeg(broken).has_value());
        ASSERT_TRUE(TConvertJpeg::ExtractThumbnail(f).has_value());
        EXPECT_TRUE(bytes.contains(*TConvertJpeg::ExtractThumbnail(f)));
        const std::optional<Bitmap> tile = TConvertJpeg::MakeThumbnail(f);
        ASSERT_TRUE(tile.has_value());
        EXPECT_EQ(*tile, *whole);
    }
}

TEST_F(JpegFilesTest, OnlyRegularFilesOfAPicturesSizeAreRead)
{
    const QByteArray good = exif(Layout());
    ASSERT_TRUE(TConvertJpeg::LoadJpegFile(file("big.jpg", good)).has_value());
    // A valid picture with a sparse tail up to one byte past the limit.
    ASSERT_TRUE(QFile::resize(path("big.jpg"), TConvertJpeg::MaxJpegFileBytes + 1));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.jpg"));
    const std::vector<std::pair<const char *, std::function<bool(const QString &)>>> readers = {
        {"IsExif",
         [](const QString &p) {
             return TConvertJpeg::IsExif(p);
         }},
        {"IsJfif",
         [](const QString &p) {
             return TConvertJpeg::IsJfif(p);
         }},
        {"LoadJpegFile",
         [](const QString &p) {
             return TConvertJpeg::LoadJpegFile(p).has_value();
         }},
        {"ExtractThumbnail",
         [](const QString &p) {
             return TConvertJpeg::ExtractThumbnail(p).has_value();
         }},
        {"LoadExifThumbnail",
         [](const QString &p) {
             return TConvertJpeg::LoadExifThumbnail(p).has_value();
         }},
        {"MakeThumbnail",
         [](const QString &p) {
             return TConvertJpeg::MakeThumbnail(p).has_value();
         }},
    };
    for (const auto &[name, read] : readers) {
        SCOPED_TRACE(name);
        // JFIF first, so that both mark tests would see a mark in what the FIFO hands out.
        TestFifo fifo(path("fifo.jpg"), exif(Layout().afterJfif()));
        ASSERT_TRUE(fifo.made());
        for (const QString &p :
             {path("fifo.jpg"), QString("/dev/zero"), path("folder.jpg"), path("big.jpg")}) {
            SCOPED_TRACE(p.toStdString());
            EXPECT_FALSE(read(p));
        }
    }
}

} // namespace
