#include "common/Bitmap.h"

#include <cstring>
#include <new>
#include <vector>

Bitmap::Bitmap(int width, int height, Format format)
{
    if (width <= 0 || height <= 0 || qint64(width) * height > MaxPixels)
        return;
    const qsizetype size = qsizetype(width) * height * (format == Format::Bgr24 ? 3 : 4);
    try {
        m_pixels = QByteArray(size, '\0');
    } catch (const std::bad_alloc &) {
        return;
    }
    m_width = width;
    m_height = height;
    m_format = format;
}

void Bitmap::fill(Rgb c)
{
    if (isNull())
        return;
    for (int x = 0; x < m_width; ++x)
        setPixel(x, 0, c);
    for (int y = 1; y < m_height; ++y)
        std::memcpy(scanLine(y), scanLine(0), size_t(bytesPerLine()));
}

Bitmap Bitmap::convertedTo(Format format) const
{
    if (format == m_format || isNull())
        return *this;
    Bitmap out(m_width, m_height, format);
    if (out.isNull())
        return out;
    out.dotsPerMeterX = dotsPerMeterX;
    out.dotsPerMeterY = dotsPerMeterY;
    const int inStep = bytesPerPixel();
    const int outStep = out.bytesPerPixel();
    for (int y = 0; y < m_height; ++y) {
        const uchar *in = scanLine(y);
        uchar *o = out.scanLine(y);
        for (int x = 0; x < m_width; ++x, in += inStep, o += outStep) {
            o[0] = in[0];
            o[1] = in[1];
            o[2] = in[2];
        }
    }
    return out;
}

void Bitmap::reduceTo15Bit()
{
    if (isNull())
        return;
    quint8 table[256];
    for (int v = 0; v < 256; ++v)
        table[v] = ExpandChannel(quint32(v) >> 3, 5);
    const int step = bytesPerPixel();
    for (int y = 0; y < m_height; ++y) {
        uchar *p = scanLine(y);
        for (int x = 0; x < m_width; ++x, p += step) {
            p[0] = table[p[0]];
            p[1] = table[p[1]];
            p[2] = table[p[2]];
        }
    }
}

bool Bitmap::operator==(const Bitmap &other) const
{
    return m_width == other.m_width && m_height == other.m_height && m_format == other.m_format
        && m_pixels == other.m_pixels;
}

quint8 ExpandChannel(quint32 value, int bits)
{
    if (bits <= 0)
        return 0;
    if (bits >= 8)
        return quint8(value >> (bits - 8));
    quint32 out = value;
    int have = bits;
    while (have < 8) {
        out = (out << bits) | value;
        have += bits;
    }
    return quint8(out >> (have - 8));
}

PixelRect FitInSquare(int width, int height, int side)
{
    if (width <= 0 || height <= 0 || side <= 0)
        return PixelRect();
    const int w = width > height ? side : int(qint64(side) * width / height);
    const int h = width > height ? int(qint64(side) * height / width) : side;
    const int left = (side - w) / 2;
    const int top = (side - h) / 2;
    return PixelRect {left, top, left + w, top + h};
}

namespace {

struct Weight
{
    int source;
    quint64 weight;
};

// How much of each source pixel falls on each output pixel, in units where a source pixel is
// outSize wide and an output pixel sourceSize wide; the weights of one output pixel add up to
// sourceSize.
std::vector<std::vector<Weight>> weights(int sourceSize, int outSize)
{
    std::vector<std::vector<Weight>> out(static_cast<size_t>(outSize));
    for (int i = 0; i < outSize; ++i) {
        const qint64 begin = qint64(i) * sourceSize;
        const qint64 end = begin + sourceSize;
        for (qint64 k = begin / outSize; k * outSize < end; ++k) {
            const qint64 overlap = qMin(end, (k + 1) * outSize) - qMax(begin, k * outSize);
            out[size_t(i)].push_back(Weight {int(k), quint64(overlap)});
        }
    }
    return out;
}

} // namespace

Bitmap StretchBitmap(const Bitmap &source, int width, int height)
{
    if (source.isNull() || width <= 0 || height <= 0)
        return Bitmap();
    Bitmap out(width, height);
    if (out.isNull())
        return out;
    const auto xs = weights(source.width(), width);
    const auto ys = weights(source.height(), height);
    const int step = source.bytesPerPixel();
    const quint64 area = quint64(source.width()) * quint64(source.height());

    std::vector<quint64> sums(size_t(width) * 3);
    for (int j = 0; j < height; ++j) {
        std::fill(sums.begin(), sums.end(), 0);
        for (const Weight &wy : ys[size_t(j)]) {
            const uchar *row = source.scanLine(wy.source);
            for (int i = 0; i < width; ++i) {
                quint64 b = 0, g = 0, r = 0;
                for (const Weight &wx : xs[size_t(i)]) {
                    const uchar *p = row + wx.source * step;
                    b += wx.weight * p[0];
                    g += wx.weight * p[1];
                    r += wx.weight * p[2];
                }
                sums[size_t(i) * 3] += wy.weight * b;
                sums[size_t(i) * 3 + 1] += wy.weight * g;
                sums[size_t(i) * 3 + 2] += wy.weight * r;
            }
        }
        uchar *o = out.scanLine(j);
        // Rounded: a truncated mean would darken every stretched picture by half a level.
        for (size_t c = 0; c < sums.size(); ++c)
            o[c] = uchar((sums[c] + area / 2) / area);
    }
    return out;
}
