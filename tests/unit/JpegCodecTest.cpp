#include "picture/JpegCodec.h"
#include "picture/BmpFile.h"
#include "support/Files.h"
#include "support/Pictures.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace {

int maxDifference(const Bitmap &a, const Bitmap &b)
{
    int worst = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const Rgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(p.r - q.r), std::abs(p.g - q.g), std::abs(p.b - q.b)});
        }
    }
    return worst;
}

// The offset of the first marker m (0xFF m) in a JPEG stream, or -1.
qsizetype markerAt(const QByteArray &jpeg, quint8 m)
{
    return jpeg.indexOf(QByteArray("\xFF") + char(m));
}

TEST(JpegCodecTest, AnEncodedPictureDecodesToTheSameSizeAndNearlyTheSamePixels)
{
    const Bitmap photo = testpictures::photo(48, 32);
    JpegEncoder encoder;
    const std::optional<QByteArray> jpeg = encoder.encode(photo, 100);
    ASSERT_TRUE(jpeg.has_value());
    const std::optional<JpegSize> size = ReadJpegHeader(*jpeg);
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(size->width, 48);
    EXPECT_EQ(size->height, 32);
    const std::optional<Bitmap> back = DecodeJpeg(*jpeg);
    ASSERT_TRUE(back.has_value());
    ASSERT_EQ(back->width(), 48);
    ASSERT_EQ(back->height(), 32);
    EXPECT_LE(maxDifference(*back, photo), 48);
    EXPECT_GT(maxDifference(*back, testpictures::plain(48, 32, Rgb {128, 128, 128})), 48);
}

TEST(JpegCodecTest, QualityIsClampedToTheIjgScaleAndLowersTheSize)
{
    const Bitmap photo = testpictures::photo(64, 64);
    JpegEncoder encoder;
    const QByteArray q1 = encoder.encode(photo, 1).value();
    EXPECT_EQ(encoder.encode(photo, 0).value(), q1);
    EXPECT_EQ(encoder.encode(photo, -5).value(), q1);
    EXPECT_EQ(encoder.encode(photo, 150).value(), encoder.encode(photo, 100).value());
    EXPECT_GT(encoder.encode(photo, 100)->size(), encoder.encode(photo, 50)->size());
    EXPECT_GT(encoder.encode(photo, 50)->size(), q1.size());
    // One encoder used again gives what a fresh one gives.
    EXPECT_EQ(JpegEncoder().encode(photo, 50).value(), encoder.encode(photo, 50).value());
    EXPECT_EQ(encoder.encode(photo.convertedTo(Bitmap::Format::Bgrx32), 50).value(),
              encoder.encode(photo, 50).value());
    EXPECT_FALSE(encoder.encode(Bitmap(), 50).has_value());
}

TEST(JpegCodecTest, OutputIsBaselineJfifWithTheBitmapsDensity)
{
    Bitmap photo = testpictures::photo(16, 16);
    JpegEncoder encoder;
    const QByteArray plain = encoder.encode(photo, 1).value();
    EXPECT_EQ(plain.mid(6, 5), QByteArray("JFIF\0", 5));
    // Unit 0, density 1:1.
    EXPECT_EQ(plain.mid(13, 5).toHex(), "0000010001");
    EXPECT_GE(markerAt(plain, 0xC0), 0);
    EXPECT_EQ(markerAt(plain, 0xC2), -1);
    // Baseline keeps every table entry in 8 bits even at quality 1: precision nibble 0.
    const qsizetype dqt = markerAt(plain, 0xDB);
    ASSERT_GE(dqt, 0);
    EXPECT_EQ(quint8(plain[dqt + 4]) >> 4, 0);

    photo.dotsPerMeterX = 2835;
    photo.dotsPerMeterY = 5670;
    const QByteArray dense = encoder.encode(photo, 90).value();
    EXPECT_EQ(dense.mid(13, 5).toHex(), "02001c0038"); // dots per cm: 28, 56
}

TEST(JpegCodecTest, AHeaderOfMoreThan100MegapixelsIsRefusedBeforeDecoding)
{
    // Both files are whole pictures of about 390 KB. The tile decode reduces them to an eighth, so
    // only the size the header claims differs.
    const std::optional<Bitmap> within = DecodeJpeg(testpictures::flatJpeg(10000, 10000), 64);
    ASSERT_TRUE(within.has_value());
    EXPECT_EQ(within->width(), 1250);
    EXPECT_EQ(within->height(), 1250);
    EXPECT_EQ(within->pixel(1249, 1249), (Rgb {128, 128, 128}));

    const QByteArray over = testpictures::flatJpeg(10001, 10000);
    const std::optional<JpegSize> header = ReadJpegHeader(over);
    ASSERT_TRUE(header.has_value());
    EXPECT_EQ(header->width, 10001);
    EXPECT_FALSE(DecodeJpeg(over, 64).has_value());
    EXPECT_FALSE(DecodeJpeg(over).has_value());
}

// A grey progressive picture of any size: its DC scan spends one bit a block, and each of its AC
// scans (all the same) ends every band with end-of-band runs of 32767 blocks, a few bytes a scan
// however large the picture. comment pads the file with a comment segment of that many bytes.
QByteArray progressiveFlatJpeg(int width, int height, int acScans, int comment = 0)
{
    const auto u16 = [](int v) {
        return QByteArray(1, char(v >> 8)) + char(v & 0xFF);
    };
    const auto segment = [&](quint8 marker, const QByteArray &body) {
        return QByteArray("\xFF", 1) + char(marker) + u16(int(body.size()) + 2) + body;
    };
    const auto oneCode = [](char symbol) {
        return QByteArray(1, '\x01') + QByteArray(15, '\0') + QByteArray(1, symbol);
    };
    const qint64 blocks = qint64((width + 7) / 8) * ((height + 7) / 8);
    QByteArray jpeg = QByteArray("\xFF\xD8", 2);
    for (int left = comment; left > 0; left -= 65000)
        jpeg += segment(0xFE, QByteArray(qMin(left, 65000), 'c'));
    jpeg += segment(0xDB, QByteArray(1, '\0') + QByteArray(64, '\x01'))
        + segment(0xC2, QByteArray(1, '\x08') + u16(height) + u16(width) + QByteArray("\x01\x01\x11\0", 4))
        + segment(0xC4, QByteArray(1, '\x00') + oneCode('\0'))
        + segment(0xC4, QByteArray(1, '\x10') + oneCode('\xE0')); // EOB14: a run of 16384 + 14 bits
    // DC: one zero-difference bit a block, padded with ones.
    QByteArray dc((blocks + 7) / 8, '\0');
    if (blocks % 8)
        dc[dc.size() - 1] = char(0xFF >> (blocks % 8));
    jpeg += segment(0xDA, QByteArray("\x01\x01\0\0\0\0", 6)) + dc;
    // AC 1-63: "0" and fourteen ones make a run of 32767 blocks; 0xFF is followed by a stuffed 0.
    QByteArray runs;
    QByteArray bits;
    for (qint64 covered = 0; covered < blocks; covered += 32767)
        bits += QByteArray("0") + QByteArray(14, '1');
    while (bits.size() % 8)
        bits += '1';
    for (qsizetype i = 0; i < bits.size(); i += 8) {
        const char byte = char(bits.mid(i, 8).toInt(nullptr, 2));
        runs += byte;
        if (byte == char(0xFF))
            runs += '\0';
    }
    for (int i = 0; i < acScans; ++i)
        jpeg += segment(0xDA, QByteArray("\x01\x01\0\x01\x3F\0", 6)) + runs;
    return jpeg + QByteArray("\xFF\xD9", 2);
}

// The work a file may cost is bounded by what it holds: scans of nothing but end-of-band runs over
// a large picture are refused after a few of them, however many follow, while the same scans from a
// file with the bytes to justify them decode.
TEST(JpegCodecTest, ScansThatCostFarMoreThanTheFileHoldsAreRefused)
{
    const struct
    {
        const char *name;
        QByteArray data;
        bool decodes;
    } cases[] = {
        {"ten scans", progressiveFlatJpeg(2000, 2000, 9), true},
        {"ten scans of a larger picture", progressiveFlatJpeg(5000, 4000, 9), true},
        {"450 scans in a few kilobytes", progressiveFlatJpeg(2000, 2000, 450), false},
        {"450 scans with the bytes to hold them", progressiveFlatJpeg(2000, 2000, 450, 300000), true},
        {"80 scans of a 4000 x 4000 picture", progressiveFlatJpeg(4000, 4000, 80), false},
        {"a picture that needs more coefficient memory than the file can justify",
         progressiveFlatJpeg(10000, 10000, 1, 150000), false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<Bitmap> decoded = DecodeJpeg(c.data);
        EXPECT_EQ(decoded.has_value(), c.decodes);
        if (decoded) {
            EXPECT_EQ(decoded->pixel(0, 0), (Rgb {128, 128, 128}));
            EXPECT_EQ(decoded->pixel(decoded->width() - 1, decoded->height() - 1), (Rgb {128, 128, 128}));
        }
    }
}

TEST(JpegCodecTest, DamagedTruncatedAndOversizedDataGiveNothing)
{
    JpegEncoder encoder;
    const QByteArray jpeg = encoder.encode(testpictures::photo(64, 48), 90).value();
    const qsizetype sof = markerAt(jpeg, 0xC0);
    ASSERT_GT(sof, 0);
    QByteArray huge = jpeg;
    huge[sof + 5] = char(0xEA); // 60000 x 60000
    huge[sof + 6] = char(0x60);
    huge[sof + 7] = char(0xEA);
    huge[sof + 8] = char(0x60);
    QByteArray large = jpeg;
    large[sof + 5] = char(0x27); // 10000 x 10000: allowed as a picture, not from a few kilobytes
    large[sof + 6] = char(0x10);
    large[sof + 7] = char(0x27);
    large[sof + 8] = char(0x10);

    const struct
    {
        const char *name;
        QByteArray data;
    } cases[] = {
        {"empty", QByteArray()},
        {"garbage", QByteArray(300, 'x')},
        {"only the start of image", jpeg.left(2)},
        {"cut in the header", jpeg.left(sof + 4)},
        {"cut in the picture data", jpeg.left(jpeg.size() / 2)},
        {"header of 60000 x 60000 pixels", huge},
        {"header of 10000 x 10000 pixels", large},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(DecodeJpeg(c.data).has_value());
        EXPECT_FALSE(DecodeJpeg(c.data, 64).has_value());
    }
    // The header alone is readable when the picture data is cut.
    EXPECT_TRUE(ReadJpegHeader(jpeg.left(jpeg.size() / 2)).has_value());
    EXPECT_FALSE(ReadJpegHeader(jpeg.left(sof + 4)).has_value());
}

TEST(JpegCodecTest, TileDecodingReducesAsFarAsTheTileBoxAllows)
{
    const struct
    {
        int w, h;
        int outW, outH;
    } cases[] = {
        {1024, 768, 128, 96}, // 1/8; the box is 64 x 48
        {520, 390, 65, 49}, // 1/8 leaves 65 x 49 for a 64 x 48 box
        {500, 390, 125, 98}, // 1/8 would give 63 wide: 1/4
        {130, 100, 65, 50}, // 1/2
        {100, 80, 100, 80}, // no reduction leaves 64 x 51
        {40, 30, 40, 30}, // smaller than the tile
    };
    JpegEncoder encoder;
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
        const QByteArray jpeg = encoder.encode(testpictures::photo(c.w, c.h), 90).value();
        const std::optional<Bitmap> b = DecodeJpeg(jpeg, 64);
        ASSERT_TRUE(b.has_value());
        EXPECT_EQ(b->width(), c.outW);
        EXPECT_EQ(b->height(), c.outH);
        const std::optional<Bitmap> whole = DecodeJpeg(jpeg);
        ASSERT_TRUE(whole.has_value());
        EXPECT_EQ(whole->width(), c.w);
    }
}

// A CMYK JPEG of one colour, written straight through libjpeg: with an Adobe marker the values are
// stored inverted, as Adobe's programs write them.
QByteArray cmykJpeg(const quint8 (&cmyk)[4], bool adobe)
{
    jpeg_compress_struct c;
    jpeg_error_mgr errors;
    c.err = jpeg_std_error(&errors);
    jpeg_create_compress(&c);
    unsigned char *out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = 16;
    c.image_height = 16;
    c.input_components = 4;
    c.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 100, TRUE);
    c.write_Adobe_marker = adobe;
    jpeg_start_compress(&c, TRUE);
    unsigned char row[16 * 4];
    for (int x = 0; x < 16; ++x)
        for (int i = 0; i < 4; ++i)
            row[4 * x + i] = adobe ? 255 - cmyk[i] : cmyk[i];
    while (c.next_scanline < c.image_height) {
        JSAMPROW r = row;
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    const QByteArray bytes(reinterpret_cast<const char *>(out), qsizetype(size));
    std::free(out);
    return bytes;
}

TEST(JpegCodecTest, CmykPicturesDecodeToRgb)
{
    const quint8 red[4] = {0, 255, 255, 0};
    const quint8 darkBlue[4] = {255, 255, 0, 128};
    for (const bool adobe : {true, false}) {
        SCOPED_TRACE(adobe ? "Adobe, inverted" : "plain");
        const std::optional<Bitmap> r = DecodeJpeg(cmykJpeg(red, adobe));
        ASSERT_TRUE(r.has_value());
        EXPECT_EQ(r->pixel(8, 8), (Rgb {255, 0, 0}));
        const std::optional<Bitmap> b = DecodeJpeg(cmykJpeg(darkBlue, adobe));
        ASSERT_TRUE(b.has_value());
        EXPECT_EQ(b->pixel(8, 8), (Rgb {0, 0, 127}));
    }
}

TEST(JpegCodecTest, GreyPicturesDecodeToGreyPixels)
{
    QTemporaryDir dir;
    const QString bmp = dir.filePath("grey.bmp");
    ASSERT_TRUE(SaveBmpFile(bmp, testpictures::plain(24, 16, Rgb {90, 90, 90})));
    QProcess cjpeg;
    cjpeg.start("cjpeg", {"-grayscale", "-quality", "100", bmp});
    ASSERT_TRUE(cjpeg.waitForFinished(30000));
    const QByteArray jpeg = cjpeg.readAllStandardOutput();
    ASSERT_GT(jpeg.size(), 0);
    const std::optional<Bitmap> b = DecodeJpeg(jpeg);
    ASSERT_TRUE(b.has_value());
    EXPECT_EQ(b->width(), 24);
    EXPECT_EQ(b->pixel(5, 5), (Rgb {90, 90, 90}));
}

} // namespace
