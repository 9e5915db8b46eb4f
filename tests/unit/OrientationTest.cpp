#include "picture/Orientation.h"
#include "picture/ConvertJpeg.h"
#include "picture/JpegCodec.h"
#include "picture/PictureFile.h"
#include "support/ExifBuilder.h"
#include "support/Files.h"
#include "support/Pictures.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Six distinct colours, one per letter of a stored layout.
Rgb colourOf(char letter)
{
    switch (letter) {
    case 'A':
        return {230, 30, 30};
    case 'B':
        return {30, 200, 30};
    case 'C':
        return {30, 30, 230};
    case 'D':
        return {230, 230, 30};
    case 'E':
        return {30, 220, 220};
    default:
        return {200, 40, 210};
    }
}

// A picture of letter blocks of side `block`, rows separated by '/': "ABC/DEF" is 3 x 2 blocks.
Bitmap blocks(const QByteArray &layout, int block)
{
    const QList<QByteArray> rows = layout.split('/');
    Bitmap b(int(rows[0].size()) * block, int(rows.size()) * block);
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            b.setPixel(x, y, colourOf(rows[y / block][x / block]));
    return b;
}

// The upright picture ABC/DEF and how a camera stores it under each tag value.
const struct
{
    int tag;
    const char *stored;
} kStored[] = {
    {1, "ABC/DEF"},  {2, "CBA/FED"},  {3, "FED/CBA"},  {4, "DEF/ABC"},
    {5, "AD/BE/CF"}, {6, "CF/BE/AD"}, {7, "FC/EB/DA"}, {8, "DA/EB/FC"},
};

bool near(Rgb a, Rgb b, int tolerance)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance
        && std::abs(a.b - b.b) <= tolerance;
}

// Every block's middle pixel against the upright layout, within a JPEG decode's tolerance.
void expectUprightBlocks(const Bitmap &picture, int block)
{
    ASSERT_EQ(picture.width(), 3 * block);
    ASSERT_EQ(picture.height(), 2 * block);
    const char *upright[] = {"ABC", "DEF"};
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 3; ++col) {
            const Rgb got = picture.pixel(col * block + block / 2, row * block + block / 2);
            const Rgb want = colourOf(upright[row][col]);
            EXPECT_TRUE(near(got, want, 12)) << "block " << col << "," << row << ": " << int(got.r) << " "
                                             << int(got.g) << " " << int(got.b);
        }
    }
}

} // namespace

TEST(OrientationTest, EveryTagTurnsTheStoredPixelsUpright)
{
    const Bitmap upright = blocks("ABC/DEF", 1);
    for (const auto &c : kStored) {
        SCOPED_TRACE(c.tag);
        for (const Bitmap::Format format : {Bitmap::Format::Bgr24, Bitmap::Format::Bgrx32}) {
            const Bitmap stored = blocks(c.stored, 1).convertedTo(format);
            EXPECT_EQ(Oriented(stored, Orientation(c.tag)), upright.convertedTo(format));
        }
    }
}

TEST(OrientationTest, TheTagIsReadFromTheExifBlockInEitherByteOrder)
{
    JpegEncoder encoder;
    const QByteArray main = encoder.encode(testpictures::plain(16, 8, Rgb {1, 2, 3}), 90).value();
    for (const bool bigEndian : {false, true}) {
        for (int tag = 0; tag <= 9; ++tag) {
            SCOPED_TRACE(testing::Message() << "tag " << tag << (bigEndian ? " MM" : " II"));
            testexif::Layout layout;
            layout.bigEndian = bigEndian;
            layout.withOrientation(quint16(tag));
            const QByteArray file = testexif::build(main, layout);
            // 0 and 9 are no orientation: the picture stays as stored.
            const Orientation want = tag >= 1 && tag <= 8 ? Orientation(tag) : Orientation::Upright;
            EXPECT_EQ(JpegOrientation(file), want);
            QBuffer device;
            device.setData(file);
            ASSERT_TRUE(device.open(QIODevice::ReadOnly));
            EXPECT_EQ(JpegOrientation(device), want);
        }
    }
}

TEST(OrientationTest, DamagedOrMissingExifLeavesThePictureAsStored)
{
    JpegEncoder encoder;
    const QByteArray main = encoder.encode(testpictures::plain(16, 8, Rgb {1, 2, 3}), 90).value();
    const QByteArray turned = testexif::build(main, testexif::Layout().withOrientation(6));
    ASSERT_EQ(JpegOrientation(turned), Orientation::TurnRight);
    const qsizetype tiffAt = 4 + 6; // FF E1, the length, "Exif\0\0"
    QByteArray badOrder = turned;
    badOrder[2 + tiffAt] = 'X';
    QByteArray farDirectory = turned;
    farDirectory[2 + tiffAt + 7] = '\x7F'; // the first directory's offset far past the segment
    const QByteArray xmp = QByteArray("http://ns.adobe.com/xap/1.0/\0x", 30);
    const QByteArray xmpSegment = QByteArray("\xFF\xE1\x00", 3) + char(xmp.size() + 2) + xmp;
    const struct
    {
        const char *what;
        QByteArray data;
        Orientation want;
    } cases[] = {
        {"plain JFIF", main, Orientation::Upright},
        {"unknown byte order", badOrder, Orientation::Upright},
        {"directory outside the block", farDirectory, Orientation::Upright},
        {"cut in the directory", turned.left(2 + tiffAt + 14), Orientation::Upright},
        {"not a JPEG", turned.mid(2), Orientation::Upright},
        // Another APP1 first: the Exif block after it still counts.
        {"XMP first", turned.left(2) + xmpSegment + turned.mid(2), Orientation::TurnRight},
        // An Exif block after the start of scan is not the picture's.
        {"after the scan", main.left(main.size() - 2) + turned.mid(2, 200), Orientation::Upright},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(JpegOrientation(c.data), c.want);
    }
}

class OrientedFilesTest : public ::testing::Test
{
protected:
    QString file(const QString &name, const QByteArray &bytes) const
    {
        EXPECT_TRUE(testfiles::write(dir.filePath(name), bytes));
        return dir.filePath(name);
    }
    QTemporaryDir dir;
    JpegEncoder encoder;
};

TEST_F(OrientedFilesTest, CanvasPictureAndTileComeOutUpright)
{
    for (const auto &c : kStored) {
        SCOPED_TRACE(c.tag);
        const QByteArray main = encoder.encode(blocks(c.stored, 32), 95).value();
        // The embedded thumbnail is stored the way the picture is.
        const QByteArray thumbnail = encoder.encode(blocks(c.stored, 16), 95).value();
        const QString path
            = file(QStringLiteral("p%1.jpg").arg(c.tag),
                   testexif::build(
                       main, testexif::Layout().withThumbnail(thumbnail).withOrientation(quint16(c.tag))));
        const std::optional<Bitmap> loaded = ReadPictureFile(path);
        ASSERT_TRUE(loaded.has_value());
        expectUprightBlocks(*loaded, 32);
        const std::optional<Bitmap> fromThumbnail = ReadThumbnailPicture(path, TConvertJpeg::ThumbnailSide);
        ASSERT_TRUE(fromThumbnail.has_value());
        expectUprightBlocks(*fromThumbnail, 16);
        // The tile: the upright 48 x 32 thumbnail in a 64 x 42 box at (0, 11).
        const std::optional<Bitmap> tile = TConvertJpeg::MakeThumbnail(path);
        ASSERT_TRUE(tile.has_value());
        EXPECT_TRUE(near(tile->pixel(10, 20), colourOf('A'), 16));
        EXPECT_TRUE(near(tile->pixel(53, 20), colourOf('C'), 16));
        EXPECT_TRUE(near(tile->pixel(10, 42), colourOf('D'), 16));
        EXPECT_TRUE(near(tile->pixel(53, 42), colourOf('F'), 16));
    }
}

TEST_F(OrientedFilesTest, AnUntaggedPictureLoadsExactlyAsDecoded)
{
    const QByteArray main = encoder.encode(testpictures::photo(40, 30), 90).value();
    const std::optional<Bitmap> decoded = DecodeJpeg(main);
    ASSERT_TRUE(decoded.has_value());
    for (const QByteArray &data : {main, testexif::build(main, testexif::Layout().withOrientation(1))}) {
        const std::optional<Bitmap> loaded = ReadPictureFile(file(QStringLiteral("u.jpg"), data));
        ASSERT_TRUE(loaded.has_value());
        EXPECT_EQ(*loaded, *decoded);
    }
}

namespace {

// A reader for a made-up kind: "FAKE" then a width and a height byte, all pixels grey.
class FakeReader : public PictureReader
{
public:
    bool CanRead(QByteArrayView head) const override { return head.startsWith("FAKE"); }
    std::optional<Bitmap> Read(QIODevice &file, int tileSide) const override
    {
        lastTileSide = tileSide;
        const QByteArray data = file.readAll();
        if (data.size() < 6)
            return std::nullopt;
        return testpictures::plain(quint8(data[4]), quint8(data[5]), Rgb {77, 77, 77});
    }
    QStringList NamePatterns() const override { return {QStringLiteral("*.fake")}; }
    static inline int lastTileSide = -1;
};

} // namespace

TEST_F(OrientedFilesTest, OtherKindsGoToTheReaderThatTakesThem)
{
    static const bool installed = [] {
        InstallPictureReader(std::make_unique<FakeReader>());
        return true;
    }();
    ASSERT_TRUE(installed);
    EXPECT_TRUE(PictureReaderPatterns().contains(QStringLiteral("*.fake")));
    EXPECT_TRUE(HasPictureReaderName(QStringLiteral("/a/B.FAKE")));
    EXPECT_FALSE(HasPictureReaderName(QStringLiteral("/a/b.fake.txt")));

    // Taken by its bytes, whatever its name.
    const std::optional<Bitmap> picture = ReadPictureFile(file(QStringLiteral("x.png"), "FAKE\x05\x03"));
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(*picture, testpictures::plain(5, 3, Rgb {77, 77, 77}));
    const std::optional<Bitmap> tile
        = TConvertJpeg::MakeThumbnail(file(QStringLiteral("y.fake"), "FAKE\x05\x03"));
    ASSERT_TRUE(tile.has_value());
    EXPECT_EQ(FakeReader::lastTileSide, TConvertJpeg::ThumbnailSide);

    // What no reader takes, what the reader refuses, and a bitmap (never read here) are not pictures.
    EXPECT_FALSE(ReadPictureFile(file(QStringLiteral("a.fake"), "FAKE\x05")).has_value());
    EXPECT_FALSE(ReadPictureFile(file(QStringLiteral("b.fake"), "EKAF\x05\x03")).has_value());
    EXPECT_FALSE(ReadPictureFile(file(QStringLiteral("c.BMP"), "BM\x05\x03")).has_value());
    EXPECT_FALSE(ReadPictureFile(dir.filePath(QStringLiteral("missing.fake"))).has_value());
    EXPECT_FALSE(ReadPictureFile(dir.path()).has_value());
}
