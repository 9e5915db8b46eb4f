#pragma once

#include <QByteArray>
#include <QtGlobal>

// An RGB colour.
struct Rgb
{
    quint8 r = 0;
    quint8 g = 0;
    quint8 b = 0;

    friend bool operator==(Rgb, Rgb) = default;
};

// A rectangle of pixels; right and bottom are exclusive.
struct PixelRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    friend bool operator==(const PixelRect &, const PixelRect &) = default;
};

// A picture in memory. Rows run top-down without padding; a pixel is blue, green, red and, in the
// 32-bit format, a spare fourth byte. Copies share their pixels until one of them is written.
class Bitmap
{
public:
    enum class Format { Bgr24, Bgrx32 };

    // No bitmap is larger than 100 megapixels: twice what the largest camera pictures have, and at
    // most 400 MB even in 32-bit pixels. The file readers refuse a larger picture from its header,
    // before they take any memory for it.
    static constexpr qint64 MaxPixels = 100'000'000;

    Bitmap() = default;
    // All pixels zero. A null bitmap when a side is not positive, the picture is larger than
    // MaxPixels or the memory cannot be had.
    Bitmap(int width, int height, Format format = Format::Bgr24);

    bool isNull() const { return m_width == 0; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    Format format() const { return m_format; }
    int bytesPerPixel() const { return m_format == Format::Bgr24 ? 3 : 4; }
    qsizetype bytesPerLine() const { return qsizetype(m_width) * bytesPerPixel(); }

    uchar *scanLine(int y) { return reinterpret_cast<uchar *>(m_pixels.data()) + y * bytesPerLine(); }
    const uchar *scanLine(int y) const
    {
        return reinterpret_cast<const uchar *>(m_pixels.constData()) + y * bytesPerLine();
    }

    Rgb pixel(int x, int y) const
    {
        const uchar *p = scanLine(y) + x * bytesPerPixel();
        return Rgb {p[2], p[1], p[0]};
    }
    void setPixel(int x, int y, Rgb c)
    {
        uchar *p = scanLine(y) + x * bytesPerPixel();
        p[0] = c.b;
        p[1] = c.g;
        p[2] = c.r;
    }

    void fill(Rgb c);
    // The spare byte of a 32-bit copy is zero.
    Bitmap convertedTo(Format format) const;
    // What a 15-bit (5-5-5) bitmap keeps of every pixel: each channel cut to its top five bits and
    // spread back over eight (31 -> 255), as a 15-bit file reads back.
    void reduceTo15Bit();

    // Resolution carried from and to bitmap files; 0 when unknown.
    int dotsPerMeterX = 0;
    int dotsPerMeterY = 0;

    // Same size, format and pixels.
    bool operator==(const Bitmap &other) const;

private:
    int m_width = 0;
    int m_height = 0;
    Format m_format = Format::Bgr24;
    QByteArray m_pixels;
};

// Spreads an n-bit channel value (1 <= n) over eight bits by repeating its bits: 5-bit 31 -> 255,
// 5-bit 16 -> 132. Wider values keep their top eight bits.
quint8 ExpandChannel(quint32 value, int bits);

// The box a picture of width x height gets when its long side fills a square of the given side,
// centred in the square. Empty for a side or picture that is not positive.
PixelRect FitInSquare(int width, int height, int side);

// Stretches the picture to width x height. Every output pixel is the mean of the source area it
// covers, parts of pixels weighed by how much of them it covers: a reduction averages, an
// enlargement by a whole factor repeats pixels. Null when the picture is null or a side is not
// positive.
Bitmap StretchBitmap(const Bitmap &source, int width, int height);
