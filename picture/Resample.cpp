#include "picture/Resample.h"

#include <algorithm>
#include <vector>

namespace {

// Keeps every weighted sum below in range: a source side of at most this many pixels lets the
// column sums stay in 32 bits.
constexpr int kMaxSourceSide = 65535;
// The weight of a whole pixel along an axis that grows.
constexpr quint32 kLinearOne = 1u << 16;

struct Tap
{
    int source;
    quint32 weight;
};

// Which source pixels, with which weights, make each output pixel [from, to) of one axis. The
// weights of every output pixel add up to norm.
struct Axis
{
    quint64 norm = 1;
    std::vector<Tap> taps;
    std::vector<size_t> first; // where each output pixel's taps begin, and one past the last
    int low = 0; // the source pixels used: low..high
    int high = 0;
};

Axis axisTaps(int sourceSize, int outSize, int from, int to)
{
    Axis a;
    const qint64 s = sourceSize;
    const qint64 o = outSize;
    a.first.reserve(size_t(to - from) + 1);
    for (qint64 i = from; i < to; ++i) {
        a.first.push_back(a.taps.size());
        if (o < s) {
            // Output pixel i covers [i*s, (i+1)*s) and source pixel k covers [k*o, (k+1)*o), in
            // units of 1/o source pixel; the overlaps add up to s.
            const qint64 begin = i * s;
            const qint64 end = begin + s;
            for (qint64 k = begin / o; k * o < end; ++k) {
                const qint64 overlap = std::min(end, (k + 1) * o) - std::max(begin, k * o);
                a.taps.push_back(Tap {int(k), quint32(overlap)});
            }
        } else if (o > s) {
            // The centre of output pixel i lies at ((2i + 1)s - o) / 2o in source pixel centres.
            const qint64 num = (2 * i + 1) * s - o;
            const qint64 den = 2 * o;
            const qint64 k = num <= 0 ? 0 : num / den;
            if (num <= 0 || k >= s - 1) {
                a.taps.push_back(Tap {int(num <= 0 ? 0 : s - 1), kLinearOne});
            } else {
                const quint32 next = quint32(((num % den) * kLinearOne + den / 2) / den);
                a.taps.push_back(Tap {int(k), kLinearOne - next});
                a.taps.push_back(Tap {int(k + 1), next});
            }
        } else {
            a.taps.push_back(Tap {int(i), 1});
        }
    }
    a.first.push_back(a.taps.size());
    a.norm = o < s ? quint64(s) : o > s ? kLinearOne : 1;
    a.low = a.taps.front().source;
    a.high = a.taps.back().source;
    return a;
}

} // namespace

Bitmap ResampleBitmap(const Bitmap &source, int width, int height, const PixelRect &part)
{
    if (source.isNull() || source.width() > kMaxSourceSide || source.height() > kMaxSourceSide || width <= 0
        || height <= 0 || part.left < 0 || part.top < 0 || part.left >= part.right || part.top >= part.bottom
        || part.right > width || part.bottom > height)
        return Bitmap();
    Bitmap out(part.width(), part.height());
    if (out.isNull())
        return out;

    const Axis xs = axisTaps(source.width(), width, part.left, part.right);
    const Axis ys = axisTaps(source.height(), height, part.top, part.bottom);
    const quint64 divisor = xs.norm * ys.norm;
    const int step = source.bytesPerPixel();
    const size_t bytes = size_t(xs.high - xs.low + 1) * size_t(step);

    // Each output row: the source rows it draws on summed column by column over the columns in use
    // (the long, simple loop), then each output pixel summed from those column sums.
    std::vector<quint32> columns(bytes);
    for (int j = 0; j < out.height(); ++j) {
        std::fill(columns.begin(), columns.end(), 0);
        for (size_t t = ys.first[size_t(j)]; t < ys.first[size_t(j) + 1]; ++t) {
            const quint32 w = ys.taps[t].weight;
            if (w == 0)
                continue;
            const uchar *row = source.scanLine(ys.taps[t].source) + qsizetype(xs.low) * step;
            for (size_t b = 0; b < bytes; ++b)
                columns[b] += w * row[b];
        }
        uchar *o = out.scanLine(j);
        for (int i = 0; i < out.width(); ++i, o += 3) {
            quint64 b = 0, g = 0, r = 0;
            for (size_t t = xs.first[size_t(i)]; t < xs.first[size_t(i) + 1]; ++t) {
                const quint64 w = xs.taps[t].weight;
                const quint32 *c = columns.data() + size_t(xs.taps[t].source - xs.low) * size_t(step);
                b += w * c[0];
                g += w * c[1];
                r += w * c[2];
            }
            o[0] = uchar((b + divisor / 2) / divisor);
            o[1] = uchar((g + divisor / 2) / divisor);
            o[2] = uchar((r + divisor / 2) / divisor);
        }
    }
    return out;
}

Bitmap RotateBitmap(const Bitmap &picture, int angle)
{
    const Bitmap source = picture.convertedTo(Bitmap::Format::Bgr24);
    if (source.isNull())
        return Bitmap();
    const int w = source.width();
    const int h = source.height();
    Bitmap out(h, w);
    if (out.isNull())
        return out;
    out.dotsPerMeterX = source.dotsPerMeterY;
    out.dotsPerMeterY = source.dotsPerMeterX;

    const bool left = angle < 0;
    const uchar *in = source.scanLine(0);
    uchar *base = out.scanLine(0);
    const qsizetype inLine = source.bytesPerLine();
    const qsizetype outLine = out.bytesPerLine();
    // In tiles, so that the source rows one tile reads stay in the cache while its output rows are
    // written one after the other.
    constexpr int kTile = 64;
    for (int tx = 0; tx < w; tx += kTile) {
        const int xEnd = std::min(w, tx + kTile);
        for (int ty = 0; ty < h; ty += kTile) {
            const int yEnd = std::min(h, ty + kTile);
            for (int x = tx; x < xEnd; ++x) {
                // Output row and column of the source pixel (x, ty); the column moves by one per row.
                const qsizetype outRow = left ? w - 1 - x : x;
                uchar *o = base + outRow * outLine + qsizetype(left ? ty : h - 1 - ty) * 3;
                const qsizetype step = left ? 3 : -3;
                const uchar *p = in + qsizetype(ty) * inLine + qsizetype(x) * 3;
                for (int y = ty; y < yEnd; ++y, p += inLine, o += step) {
                    o[0] = p[0];
                    o[1] = p[1];
                    o[2] = p[2];
                }
            }
        }
    }
    return out;
}
