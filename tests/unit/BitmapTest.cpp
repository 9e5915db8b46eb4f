#include "common/Bitmap.h"

#include <gtest/gtest.h>

namespace {

TEST(BitmapTest, SizesOutsideTheLimitsGiveANullBitmap)
{
    const struct
    {
        int w, h;
    } cases[] = {{0, 5}, {5, 0}, {-1, 5}, {5, -1}, {1 << 20, 1 << 9}, {1 << 30, 1 << 30}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
        const Bitmap b(c.w, c.h);
        EXPECT_TRUE(b.isNull());
        EXPECT_EQ(b.width(), 0);
        EXPECT_EQ(b.height(), 0);
    }
    const Bitmap b(3, 2, Bitmap::Format::Bgrx32);
    ASSERT_FALSE(b.isNull());
    EXPECT_EQ(b.bytesPerLine(), 12);
    EXPECT_EQ(b.pixel(2, 1), (Rgb {0, 0, 0}));
}

TEST(BitmapTest, PixelsAreStoredBlueGreenRedTopDownInBothFormats)
{
    for (const auto format : {Bitmap::Format::Bgr24, Bitmap::Format::Bgrx32}) {
        const int step = format == Bitmap::Format::Bgr24 ? 3 : 4;
        SCOPED_TRACE(step);
        Bitmap b(3, 2, format);
        b.fill(Rgb {1, 2, 3});
        b.setPixel(2, 1, Rgb {10, 20, 30});
        EXPECT_EQ(b.pixel(0, 0), (Rgb {1, 2, 3}));
        EXPECT_EQ(b.pixel(2, 1), (Rgb {10, 20, 30}));
        const uchar *p = b.scanLine(1) + 2 * step;
        EXPECT_EQ(p[0], 30);
        EXPECT_EQ(p[1], 20);
        EXPECT_EQ(p[2], 10);
        EXPECT_EQ(b.scanLine(1) - b.scanLine(0), 3 * step);
    }
}

TEST(BitmapTest, ConversionKeepsPixelsAndResolutionAndClearsTheSpareByte)
{
    Bitmap b(2, 2);
    b.setPixel(0, 0, Rgb {255, 0, 1});
    b.setPixel(1, 1, Rgb {7, 8, 9});
    b.dotsPerMeterX = 2835;
    b.dotsPerMeterY = 3937;
    const Bitmap wide = b.convertedTo(Bitmap::Format::Bgrx32);
    ASSERT_EQ(wide.format(), Bitmap::Format::Bgrx32);
    EXPECT_EQ(wide.pixel(0, 0), (Rgb {255, 0, 1}));
    EXPECT_EQ(wide.pixel(1, 1), (Rgb {7, 8, 9}));
    EXPECT_EQ(wide.scanLine(1)[7], 0);
    EXPECT_EQ(wide.dotsPerMeterX, 2835);
    EXPECT_EQ(wide.dotsPerMeterY, 3937);
    EXPECT_EQ(wide.convertedTo(Bitmap::Format::Bgr24), b);
}

TEST(BitmapTest, ChannelsSpreadTheirBitsOverEightBits)
{
    const struct
    {
        quint32 value;
        int bits;
        int expected;
    } cases[] = {{31, 5, 255},     {16, 5, 132},     {8, 5, 66},   {1, 5, 8},    {0, 5, 0},
                 {1, 1, 255},      {1, 2, 85},       {2, 2, 170},  {63, 6, 255}, {32, 6, 130},
                 {0x3FF, 10, 255}, {0x200, 10, 128}, {200, 8, 200}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " in " << c.bits << " bits");
        EXPECT_EQ(ExpandChannel(c.value, c.bits), c.expected);
    }
}

TEST(BitmapTest, FifteenBitReductionKeepsTheTopFiveBitsOfEachChannel)
{
    Bitmap b(2, 1);
    b.setPixel(0, 0, Rgb {255, 8, 7});
    b.setPixel(1, 0, Rgb {200, 132, 0});
    b.reduceTo15Bit();
    EXPECT_EQ(b.pixel(0, 0), (Rgb {255, 8, 0}));
    EXPECT_EQ(b.pixel(1, 0), (Rgb {206, 132, 0}));
}

TEST(BitmapTest, StretchAveragesAReductionAndRepeatsAnEnlargement)
{
    Bitmap b(4, 2);
    const quint8 values[2][4] = {{10, 20, 30, 40}, {50, 60, 71, 80}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            b.setPixel(x, y, Rgb {values[y][x], quint8(255 - values[y][x]), 0});

    const Bitmap half = StretchBitmap(b, 2, 1);
    ASSERT_EQ(half.width(), 2);
    ASSERT_EQ(half.height(), 1);
    EXPECT_EQ(half.pixel(0, 0), (Rgb {35, 220, 0}));
    // (30 + 40 + 71 + 80) / 4 = 55.25 rounds down, the green mean 199.75 up.
    EXPECT_EQ(half.pixel(1, 0), (Rgb {55, 200, 0}));

    const Bitmap twice = StretchBitmap(half, 4, 3);
    ASSERT_EQ(twice.width(), 4);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(twice.pixel(x, y), half.pixel(x / 2, 0)) << x << "," << y;
    }

    EXPECT_TRUE(StretchBitmap(Bitmap(), 4, 4).isNull());
    EXPECT_TRUE(StretchBitmap(b, 0, 4).isNull());
}

TEST(BitmapTest, ThePictureBoxFillsTheSquareWithItsLongSide)
{
    const struct
    {
        int w, h;
        PixelRect box;
    } cases[] = {
        {128, 64, {0, 16, 64, 48}}, {64, 128, {16, 0, 48, 64}}, {32, 32, {0, 0, 64, 64}},
        {640, 480, {0, 8, 64, 56}}, {200, 1, {0, 32, 64, 32}},  {0, 5, {0, 0, 0, 0}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
        EXPECT_EQ(FitInSquare(c.w, c.h, 64), c.box);
    }
}

} // namespace
