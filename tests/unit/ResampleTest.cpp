#include "picture/Resample.h"
#include "support/Pictures.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

Bitmap row(const std::vector<Rgb> &pixels)
{
    Bitmap b(int(pixels.size()), 1);
    for (int x = 0; x < b.width(); ++x)
        b.setPixel(x, 0, pixels[size_t(x)]);
    return b;
}

std::vector<Rgb> pixelsOf(const Bitmap &b)
{
    std::vector<Rgb> out;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            out.push_back(b.pixel(x, y));
    return out;
}

Rgb grey(quint8 v)
{
    return Rgb {v, v, v};
}

Bitmap whole(const Bitmap &source, int width, int height)
{
    return ResampleBitmap(source, width, height, PixelRect {0, 0, width, height});
}

TEST(Resample, ReducesByAreaAndEnlargesLinearly)
{
    const struct
    {
        const char *name;
        std::vector<Rgb> in;
        int width;
        std::vector<Rgb> out;
    } cases[] = {
        // Halving: pairs averaged, the mean rounded (227.5 -> 228, 232.5 -> 233).
        {"halved",
         {{0, 10, 20}, {100, 110, 120}, {200, 210, 220}, {255, 250, 245}},
         2,
         {{50, 60, 70}, {228, 230, 233}}},
        // 3 -> 2: each output pixel covers one and a half source pixels.
        {"three to two", {grey(0), grey(90), grey(180)}, 2, {grey(30), grey(150)}},
        // 2 -> 4: centres at -0.25, 0.25, 0.75 and 1.25 source pixels; the outer ones clamp.
        {"doubled", {grey(0), grey(200)}, 4, {grey(0), grey(50), grey(150), grey(200)}},
        // 2 -> 5: centres at -0.3, 0.1, 0.5, 0.9 and 1.3.
        {"two to five", {grey(0), grey(200)}, 5, {grey(0), grey(20), grey(100), grey(180), grey(200)}},
        {"same size", {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, 3, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}},
        {"one pixel grown", {{9, 99, 199}}, 3, {{9, 99, 199}, {9, 99, 199}, {9, 99, 199}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const Bitmap across = whole(row(c.in), c.width, 1);
        ASSERT_EQ(across.width(), c.width);
        EXPECT_EQ(pixelsOf(across), c.out);

        // The same rule down a column.
        Bitmap column(1, int(c.in.size()));
        for (int y = 0; y < column.height(); ++y)
            column.setPixel(0, y, c.in[size_t(y)]);
        const Bitmap down = whole(column, 1, c.width);
        ASSERT_EQ(down.height(), c.width);
        EXPECT_EQ(pixelsOf(down), c.out);
    }
}

TEST(Resample, TreatsEachAxisByItsOwnDirection)
{
    // 2 x 2 -> 1 x 4: averaged across, interpolated down.
    Bitmap b(2, 2);
    b.setPixel(0, 0, grey(0));
    b.setPixel(1, 0, grey(100));
    b.setPixel(0, 1, grey(200));
    b.setPixel(1, 1, grey(250));
    const Bitmap out = whole(b, 1, 4);
    EXPECT_EQ(pixelsOf(out), (std::vector<Rgb> {grey(50), grey(94), grey(181), grey(225)}));
}

TEST(Resample, KeepsAPlainColourPlainAtAnyRatio)
{
    const Rgb c {201, 7, 130};
    const Bitmap plain = testpictures::plain(37, 23, c);
    const struct
    {
        int width, height;
    } sizes[] = {{36, 22}, {5, 3}, {1, 1}, {38, 24}, {240, 7}, {111, 333}, {37, 23}};
    for (const auto &s : sizes) {
        SCOPED_TRACE(testing::Message() << s.width << "x" << s.height);
        const Bitmap out = whole(plain, s.width, s.height);
        ASSERT_EQ(out.width(), s.width);
        ASSERT_EQ(out.height(), s.height);
        EXPECT_EQ(out, testpictures::plain(s.width, s.height, c));
    }
}

TEST(Resample, APartIsThatPartOfTheWhole)
{
    const Bitmap photo = testpictures::photo(50, 40, 3);
    const struct
    {
        int width, height;
        PixelRect part;
    } cases[] = {
        {173, 61, {13, 7, 150, 60}}, // grown both ways
        {17, 9, {3, 2, 16, 9}}, // shrunk both ways
        {31, 120, {0, 100, 31, 120}}, // shrunk across, grown down
        {50, 40, {49, 39, 50, 40}}, // the same size, one pixel
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        const Bitmap all = whole(photo, c.width, c.height);
        const Bitmap part = ResampleBitmap(photo, c.width, c.height, c.part);
        ASSERT_EQ(part.width(), c.part.width());
        ASSERT_EQ(part.height(), c.part.height());
        for (int y = 0; y < part.height(); ++y)
            for (int x = 0; x < part.width(); ++x)
                ASSERT_EQ(part.pixel(x, y), all.pixel(c.part.left + x, c.part.top + y)) << x << "," << y;
    }
}

TEST(Resample, ReadsThirtyTwoBitPicturesAsTwentyFourBit)
{
    const Bitmap photo = testpictures::photo(20, 10, 5);
    const Bitmap wide = photo.convertedTo(Bitmap::Format::Bgrx32);
    const Bitmap out = whole(wide, 13, 27);
    EXPECT_EQ(out.format(), Bitmap::Format::Bgr24);
    EXPECT_EQ(out, whole(photo, 13, 27));
}

TEST(Resample, RefusesWhatItCannotMake)
{
    const Bitmap photo = testpictures::photo(8, 8);
    EXPECT_TRUE(ResampleBitmap(Bitmap(), 4, 4, {0, 0, 4, 4}).isNull());
    EXPECT_TRUE(ResampleBitmap(photo, 0, 4, {0, 0, 0, 4}).isNull());
    EXPECT_TRUE(ResampleBitmap(photo, 4, 4, {0, 0, 5, 4}).isNull()); // leaves the stretched picture
    EXPECT_TRUE(ResampleBitmap(photo, 4, 4, {-1, 0, 2, 2}).isNull());
    EXPECT_TRUE(ResampleBitmap(photo, 4, 4, {2, 2, 2, 3}).isNull()); // empty
    EXPECT_TRUE(ResampleBitmap(Bitmap(65536, 1), 10, 1, {0, 0, 10, 1}).isNull());
    EXPECT_FALSE(ResampleBitmap(Bitmap(65535, 1), 10, 1, {0, 0, 10, 1}).isNull());
}

TEST(Rotate, TurnsPixelsAQuarterEitherWay)
{
    // a b c
    // d e f
    const Rgb a {1, 0, 0}, b {2, 0, 0}, c {3, 0, 0}, d {4, 0, 0}, e {5, 0, 0}, f {6, 0, 0};
    Bitmap in(3, 2);
    in.setPixel(0, 0, a);
    in.setPixel(1, 0, b);
    in.setPixel(2, 0, c);
    in.setPixel(0, 1, d);
    in.setPixel(1, 1, e);
    in.setPixel(2, 1, f);

    const Bitmap left = RotateBitmap(in, -90);
    ASSERT_EQ(left.width(), 2);
    ASSERT_EQ(left.height(), 3);
    // c f / b e / a d
    EXPECT_EQ(pixelsOf(left), (std::vector<Rgb> {c, f, b, e, a, d}));

    const Bitmap right = RotateBitmap(in, 90);
    ASSERT_EQ(right.width(), 2);
    ASSERT_EQ(right.height(), 3);
    // d a / e b / f c
    EXPECT_EQ(pixelsOf(right), (std::vector<Rgb> {d, a, e, b, f, c}));
}

TEST(Rotate, LeftThenRightGivesThePictureBack)
{
    // Sides that are no multiple of the copying tiles.
    const Bitmap photo = testpictures::photo(70, 45, 9);
    EXPECT_EQ(RotateBitmap(RotateBitmap(photo, -90), 90), photo);
    EXPECT_EQ(RotateBitmap(RotateBitmap(photo, 90), -90), photo);
    Bitmap fourTimes = photo;
    for (int i = 0; i < 4; ++i)
        fourTimes = RotateBitmap(fourTimes, 90);
    EXPECT_EQ(fourTimes, photo);
}

TEST(Rotate, GivesTwentyFourBitsAndNothingForNothing)
{
    const Bitmap photo = testpictures::photo(5, 3, 2);
    const Bitmap turned = RotateBitmap(photo.convertedTo(Bitmap::Format::Bgrx32), 90);
    EXPECT_EQ(turned.format(), Bitmap::Format::Bgr24);
    EXPECT_EQ(turned, RotateBitmap(photo, 90));
    EXPECT_TRUE(RotateBitmap(Bitmap(), -90).isNull());
}

} // namespace
