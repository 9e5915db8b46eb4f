#include "picture/BmpFile.h"
#include "support/BmpBuilder.h"
#include "support/Fifo.h"
#include "support/Files.h"
#include "support/Pictures.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>
#include <functional>

namespace {

using testbmp::Layout;
using testbmp::packRows;

// The 5 x 3 test picture: four colours, index (x + 2y) mod 4. Five pixels make every row need padding.
constexpr int W = 5;
constexpr int H = 3;
int indexAt(int x, int y)
{
    return (x + 2 * y) % 4;
}
const std::vector<Rgb> kColours = {{255, 255, 255}, {200, 16, 8}, {0, 128, 255}, {66, 132, 0}};

Bitmap picture(const std::function<Rgb(int x, int y)> &colour, int w = W, int h = H)
{
    Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, colour(x, y));
    return b;
}

Bitmap fourColours()
{
    return picture([](int x, int y) { return kColours[size_t(indexAt(x, y))]; });
}

quint32 bgr(int x, int y)
{
    const Rgb c = kColours[size_t(indexAt(x, y))];
    return quint32(c.r) << 16 | quint32(c.g) << 8 | c.b;
}

std::vector<Rgb> palette256()
{
    std::vector<Rgb> p(256, Rgb {9, 9, 9});
    std::copy(kColours.begin(), kColours.end(), p.begin());
    return p;
}

Layout layout24(int headerSize = 40, bool topDown = false)
{
    Layout s;
    s.headerSize = quint32(headerSize);
    s.width = W;
    s.height = topDown ? -H : H;
    s.pixels = packRows(W, H, 24, topDown, bgr);
    return s;
}

struct ReadCase
{
    const char *name;
    QByteArray file;
    Bitmap expected;
};

std::vector<ReadCase> readCases()
{
    std::vector<ReadCase> cases;
    cases.push_back({"24-bit bottom-up", testbmp::build(layout24()), fourColours()});
    cases.push_back({"24-bit top-down", testbmp::build(layout24(40, true)), fourColours()});
    cases.push_back({"24-bit, version 5 header", testbmp::build(layout24(124)), fourColours()});
    cases.push_back({"24-bit, OS/2 header", testbmp::build(layout24(12)), fourColours()});
    {
        Layout s = layout24();
        s.dataOffset = 14 + 40 + 10;
        cases.push_back({"24-bit, pixels after a gap", testbmp::build(s), fourColours()});
    }
    {
        Layout s;
        s.width = W;
        s.height = H;
        s.bitCount = 32;
        s.pixels = packRows(W, H, 32, false, [](int x, int y) { return 0xAA000000u | bgr(x, y); });
        cases.push_back({"32-bit, spare byte ignored", testbmp::build(s), fourColours()});
    }
    for (const int headerSize : {40, 108}) {
        Layout s;
        s.headerSize = quint32(headerSize);
        s.width = W;
        s.height = -H;
        s.bitCount = 32;
        s.compression = 3;
        s.masks = {0xFF000000, 0x00FF0000, 0x0000FF00};
        s.pixels = packRows(W, H, 32, true, [](int x, int y) { return bgr(x, y) << 8 | 0x55; });
        cases.push_back(
            {headerSize == 40 ? "32-bit bit fields after the header" : "32-bit bit fields in the header",
             testbmp::build(s), fourColours()});
    }
    {
        // 5-bit values 31, 16, 8, 0 read back as 255, 132, 66, 0.
        const quint32 rgb5[4][3] = {{31, 31, 31}, {16, 8, 0}, {0, 16, 31}, {8, 16, 0}};
        const std::vector<Rgb> expected = {{255, 255, 255}, {132, 66, 0}, {0, 132, 255}, {66, 132, 0}};
        Layout s;
        s.width = W;
        s.height = H;
        s.bitCount = 16;
        s.pixels = packRows(W, H, 16, false, [&](int x, int y) {
            const quint32 *c = rgb5[indexAt(x, y)];
            return c[0] << 10 | c[1] << 5 | c[2];
        });
        cases.push_back({"16-bit 5-5-5", testbmp::build(s),
                         picture([&](int x, int y) { return expected[size_t(indexAt(x, y))]; })});
    }
    {
        // 6-bit green 63, 16, 32 reads back as 255, 65, 130.
        const quint32 rgb565[4][3] = {{31, 63, 31}, {16, 16, 0}, {0, 32, 31}, {8, 32, 0}};
        const std::vector<Rgb> expected = {{255, 255, 255}, {132, 65, 0}, {0, 130, 255}, {66, 130, 0}};
        Layout s;
        s.width = W;
        s.height = H;
        s.bitCount = 16;
        s.compression = 3;
        s.masks = {0xF800, 0x07E0, 0x001F};
        s.pixels = packRows(W, H, 16, false, [&](int x, int y) {
            const quint32 *c = rgb565[indexAt(x, y)];
            return c[0] << 11 | c[1] << 5 | c[2];
        });
        cases.push_back({"16-bit 5-6-5 bit fields", testbmp::build(s),
                         picture([&](int x, int y) { return expected[size_t(indexAt(x, y))]; })});
    }
    {
        Layout s;
        s.width = W;
        s.height = H;
        s.bitCount = 8;
        s.palette = palette256();
        s.pixels = packRows(W, H, 8, false, [](int x, int y) { return quint32(indexAt(x, y)); });
        cases.push_back({"8-bit, full palette", testbmp::build(s), fourColours()});
    }
    {
        Layout s;
        s.width = W;
        s.height = H;
        s.bitCount = 8;
        s.palette = {kColours[0], kColours[1], kColours[2]};
        s.colorsUsed = 3;
        s.pixels = packRows(W, H, 8, false, [](int x, int y) { return quint32(indexAt(x, y)); });
        cases.push_back(
            {"8-bit, an index past the palette is black", testbmp::build(s), picture([](int x, int y) {
                 return indexAt(x, y) == 3 ? Rgb {0, 0, 0} : kColours[size_t(indexAt(x, y))];
             })});
    }
    {
        Layout s;
        s.width = W;
        s.height = H;
        s.bitCount = 4;
        s.palette = palette256();
        s.palette.resize(16);
        s.pixels = packRows(W, H, 4, false, [](int x, int y) { return quint32(indexAt(x, y)); });
        cases.push_back({"4-bit palette", testbmp::build(s), fourColours()});
    }
    {
        Layout s;
        s.width = W;
        s.height = H;
        s.bitCount = 1;
        s.palette = {kColours[2], kColours[3]};
        s.pixels = packRows(W, H, 1, false, [](int x, int y) { return quint32((x + y) % 2); });
        cases.push_back({"1-bit palette", testbmp::build(s),
                         picture([](int x, int y) { return kColours[size_t(2 + (x + y) % 2)]; })});
    }
    {
        Layout s;
        s.headerSize = 12;
        s.width = W;
        s.height = H;
        s.bitCount = 8;
        s.palette = palette256();
        s.pixels = packRows(W, H, 8, false, [](int x, int y) { return quint32(indexAt(x, y)); });
        cases.push_back({"8-bit, OS/2 palette of three-byte entries", testbmp::build(s), fourColours()});
    }
    {
        // Bottom row first: a run and a literal run; a skip that leaves two pixels at index 0; a run
        // longer than the row, which is cut.
        Layout s;
        s.width = W;
        s.height = H;
        s.bitCount = 8;
        s.compression = 1;
        s.palette = palette256();
        s.pixels = QByteArray::fromHex("0201"
                                       "0003020301"
                                       "00"
                                       "0000"
                                       "00020200"
                                       "0303"
                                       "0000"
                                       "0702"
                                       "0001");
        const int rows[3][5] = {{2, 2, 2, 2, 2}, {0, 0, 3, 3, 3}, {1, 1, 2, 3, 1}};
        cases.push_back(
            {"RLE8", testbmp::build(s), picture([&](int x, int y) { return kColours[size_t(rows[y][x])]; })});
    }
    {
        Layout s;
        s.width = W;
        s.height = 2;
        s.bitCount = 4;
        s.compression = 2;
        s.palette = palette256();
        s.palette.resize(16);
        s.pixels = QByteArray::fromHex("0512"
                                       "0000"
                                       "0005"
                                       "30120000"
                                       "0001");
        const int rows[2][5] = {{3, 0, 1, 2, 0}, {1, 2, 1, 2, 1}};
        cases.push_back({"RLE4", testbmp::build(s),
                         picture([&](int x, int y) { return s.palette[size_t(rows[y][x])]; }, W, 2)});
    }
    return cases;
}

TEST(BmpFileTest, ReadsEveryKindOfBitmapFile)
{
    for (const ReadCase &c : readCases()) {
        SCOPED_TRACE(c.name);
        const std::optional<Bitmap> b = ReadBmp(c.file);
        ASSERT_TRUE(b.has_value());
        ASSERT_EQ(b->width(), c.expected.width());
        ASSERT_EQ(b->height(), c.expected.height());
        EXPECT_EQ(b->format(), Bitmap::Format::Bgr24);
        for (int y = 0; y < b->height(); ++y)
            for (int x = 0; x < b->width(); ++x)
                EXPECT_EQ(b->pixel(x, y), c.expected.pixel(x, y)) << "at " << x << "," << y;
    }
}

TEST(BmpFileTest, TheResolutionComesWithThePicture)
{
    Layout s = layout24();
    s.dotsPerMeterX = 2835;
    s.dotsPerMeterY = 3780;
    const std::optional<Bitmap> b = ReadBmp(testbmp::build(s));
    ASSERT_TRUE(b.has_value());
    EXPECT_EQ(b->dotsPerMeterX, 2835);
    EXPECT_EQ(b->dotsPerMeterY, 3780);
}

QByteArray withByte(QByteArray b, qsizetype at, char v)
{
    b[at] = v;
    return b;
}

QByteArray with32(QByteArray b, qsizetype at, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xFF);
    return b;
}

TEST(BmpFileTest, DamagedTruncatedAndForeignFilesGiveNothing)
{
    const QByteArray good = testbmp::build(layout24());
    Layout palette8;
    palette8.width = W;
    palette8.height = H;
    palette8.bitCount = 8;
    palette8.palette = palette256();
    palette8.pixels = packRows(W, H, 8, false, [](int x, int y) { return quint32(indexAt(x, y)); });
    Layout rle = palette8;
    rle.compression = 1;
    rle.pixels = QByteArray::fromHex("0501 0000 0502 0000 0503 0001");
    auto rleWith = [&](const char *hex, qint32 height = H) {
        Layout s = rle;
        s.pixels = QByteArray::fromHex(hex);
        s.height = height;
        return testbmp::build(s);
    };
    auto bitFields = [](quint32 red, quint16 bits) {
        Layout s;
        s.width = 1;
        s.height = 1;
        s.bitCount = bits;
        s.compression = 3;
        s.masks = {red, 0x00FF, 0};
        s.pixels = QByteArray(4, '\0');
        return testbmp::build(s);
    };
    ASSERT_TRUE(ReadBmp(testbmp::build(rle)).has_value());
    ASSERT_TRUE(ReadBmp(testbmp::build(palette8)).has_value());

    const struct
    {
        const char *name;
        QByteArray file;
    } cases[] = {
        {"empty", QByteArray()},
        {"only the signature", QByteArray("BM")},
        {"not a bitmap", withByte(good, 0, 'P')},
        {"cut in the header", good.left(40)},
        {"cut one byte short of the pixels", good.left(good.size() - 1)},
        {"unknown header size", with32(good, 14, 64)},
        {"zero width", with32(good, 18, 0)},
        {"zero height", with32(good, 22, 0)},
        {"negative width", with32(good, 18, quint32(-5))},
        {"height of INT_MIN", with32(good, 22, quint32(INT_MIN))},
        {"100000 x 100000 header", with32(with32(good, 18, 100000), 22, 100000)},
        {"10000 x 10000 header on a small file", with32(with32(good, 18, 10000), 22, 10000)},
        {"unsupported bit count", withByte(good, 28, 7)},
        {"24-bit run-length", withByte(good, 30, 1)},
        {"embedded JPEG", withByte(good, 30, 4)},
        {"pixel offset past the end", with32(good, 10, quint32(good.size() + 1))},
        {"pixel offset inside the header", with32(good, 10, 20)},
        {"8-bit with 257 colours", with32(testbmp::build(palette8), 46, 257)},
        {"palette past the end", testbmp::build(palette8).left(14 + 40 + 100)},
        {"run-length top-down", rleWith("0501 0000 0502 0000 0503 0001", -H)},
        {"run-length ending mid-picture", rleWith("0501 0000 0502")},
        {"run-length literal past the data", rleWith("0501 0000 0005 0102")},
        {"run-length skip past the data", rleWith("0501 0000 0002 01")},
        {"run-length picture far larger than its data", rleWith("0001", 100000)},
        {"bit-field mask with a gap", bitFields(0x0F0F0000, 32)},
        {"16-bit mask wider than the pixel", bitFields(0x10000, 16)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(ReadBmp(c.file).has_value());
    }
}

TEST(BmpFileTest, WritesBottomUp24BitFilesWithPaddedRows)
{
    Bitmap b(3, 2);
    b.setPixel(0, 0, Rgb {1, 2, 3});
    b.setPixel(1, 0, Rgb {4, 5, 6});
    b.setPixel(2, 0, Rgb {7, 8, 9});
    b.setPixel(0, 1, Rgb {10, 11, 12});
    b.setPixel(1, 1, Rgb {13, 14, 15});
    b.setPixel(2, 1, Rgb {16, 17, 18});
    b.dotsPerMeterX = 2835;
    b.dotsPerMeterY = 2835;
    const QByteArray expected = QByteArray::fromHex("424d4e000000000000003600000028000000"
                                                    "0300000002000000010018000000000018000000"
                                                    "130b0000130b00000000000000000000"
                                                    "0c0b0a"
                                                    "0f0e0d"
                                                    "121110"
                                                    "000000"
                                                    "030201"
                                                    "060504"
                                                    "090807"
                                                    "000000");
    EXPECT_EQ(WriteBmp(b).toHex(), expected.toHex());
    EXPECT_EQ(WriteBmp(b.convertedTo(Bitmap::Format::Bgrx32)).toHex(), expected.toHex());
}

TEST(BmpFileTest, Writes15BitFilesAsFiveBitsPerChannel)
{
    Bitmap b(3, 1);
    b.setPixel(0, 0, Rgb {255, 255, 255});
    b.setPixel(1, 0, Rgb {255, 0, 0});
    b.setPixel(2, 0, Rgb {8, 16, 7});
    // 7FFF, 7C00, then red 1, green 2, blue 0 = 0x0440.
    const QByteArray expected = QByteArray::fromHex("424d3e000000000000003600000028000000"
                                                    "0300000001000000010010000000000008000000"
                                                    "00000000000000000000000000000000"
                                                    "ff7f"
                                                    "007c"
                                                    "4004"
                                                    "0000");
    EXPECT_EQ(WriteBmp(b, BmpDepth::Bits15).toHex(), expected.toHex());
}

TEST(BmpFileTest, WrittenFilesReadBackAsTheyWereWritten)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("tmp.bmp");
    const Bitmap photo = testpictures::photo(7, 5);

    ASSERT_TRUE(SaveBmpFile(path, photo));
    EXPECT_EQ(LoadBmpFile(path), photo);

    ASSERT_TRUE(SaveBmpFile(path, photo, BmpDepth::Bits15));
    Bitmap reduced = photo;
    reduced.reduceTo15Bit();
    const std::optional<Bitmap> back = LoadBmpFile(path);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, reduced);
    EXPECT_NE(*back, photo);

    EXPECT_FALSE(SaveBmpFile(dir.filePath("missing/tmp.bmp"), photo));
    EXPECT_FALSE(SaveBmpFile(path, Bitmap()));
    EXPECT_FALSE(LoadBmpFile(dir.filePath("none.bmp")).has_value());
}

TEST(BmpFileTest, APictureOfMoreThan100MegapixelsIsRefusedFromItsHeader)
{
    // Run-length data that ends the picture at once: a few hundred kilobytes that would claim
    // hundreds of megabytes if it were taken.
    Layout s;
    s.width = 10001;
    s.height = 10000;
    s.bitCount = 8;
    s.compression = 1;
    s.palette = palette256();
    s.pixels = QByteArray::fromHex("0001") + QByteArray(196000, '\0');
    EXPECT_FALSE(ReadBmp(testbmp::build(s)).has_value());
    // The same data for a picture within the limit is read.
    s.width = 1000;
    const std::optional<Bitmap> within = ReadBmp(testbmp::build(s));
    ASSERT_TRUE(within.has_value());
    EXPECT_EQ(within->width(), 1000);
    EXPECT_EQ(within->height(), 10000);
    EXPECT_EQ(within->pixel(999, 9999), (Rgb {255, 255, 255}));
}

TEST(BmpFileTest, OnlyRegularFilesOfABitmapsSizeAreLoaded)
{
    QTemporaryDir dir;
    const QByteArray good = testbmp::build(layout24());
    const QString big = dir.filePath("big.bmp");
    ASSERT_TRUE(testfiles::write(big, good));
    ASSERT_TRUE(LoadBmpFile(big).has_value());
    // A valid bitmap with a sparse tail up to one byte past the limit.
    ASSERT_TRUE(QFile::resize(big, kMaxBmpFileBytes + 1));
    TestFifo fifo(dir.filePath("fifo.bmp"), good);
    ASSERT_TRUE(fifo.made());
    for (const QString &path : {big, dir.filePath("fifo.bmp"), QString("/dev/zero"), dir.path()}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_FALSE(LoadBmpFile(path).has_value());
    }
}

} // namespace
