#include "picture/BmpFile.h"

#include "common/BoundedFile.h"
#include "common/SaveFile.h"

#include <array>
#include <bit>
#include <cstring>
#include <vector>

namespace {

constexpr quint32 kRgb = 0;
constexpr quint32 kRle8 = 1;
constexpr quint32 kRle4 = 2;
constexpr quint32 kBitFields = 3;

constexpr qint64 kFileHeader = 14;

// A run-length file may not claim more pixels than this many per byte of its data: a run of two
// bytes paints at most 255 pixels, and the skips of real files add little to that.
constexpr qint64 kRlePixelsPerByte = 512;

quint16 u16(QByteArrayView d, qint64 at)
{
    return quint16(quint8(d[at]) | quint8(d[at + 1]) << 8);
}

quint32 u32(QByteArrayView d, qint64 at)
{
    return quint32(quint8(d[at])) | quint32(quint8(d[at + 1])) << 8 | quint32(quint8(d[at + 2])) << 16
        | quint32(quint8(d[at + 3])) << 24;
}

// One channel of a bit-field pixel.
struct Channel
{
    int shift = 0;
    int bits = 0;

    // False for a mask whose bits are not one contiguous run.
    bool set(quint32 mask)
    {
        if (mask == 0)
            return true;
        shift = std::countr_zero(mask);
        bits = std::popcount(mask);
        return bits == 32 || (mask >> shift) == (quint32(1) << bits) - 1;
    }
    quint8 of(quint32 pixel) const
    {
        if (bits == 0)
            return 0;
        const quint32 value = bits == 32 ? pixel : (pixel >> shift) & ((quint32(1) << bits) - 1);
        return ExpandChannel(value, bits);
    }
};

struct Header
{
    qint64 width = 0;
    qint64 height = 0; // rows, always positive
    bool topDown = false;
    int bitCount = 0;
    quint32 compression = kRgb;
    quint32 colorsUsed = 0;
    int dotsPerMeterX = 0;
    int dotsPerMeterY = 0;
    qint64 paletteAt = 0;
    int paletteEntry = 4; // bytes per palette entry: 3 with the OS/2 header
    quint32 masks[3] = {0, 0, 0};
    qint64 dataAt = 0;
};

std::optional<Header> readHeader(QByteArrayView d)
{
    const qint64 size = d.size();
    if (size < kFileHeader + 4 || d[0] != 'B' || d[1] != 'M')
        return std::nullopt;
    const quint32 dataOffset = u32(d, 10);
    const quint32 headerSize = u32(d, 14);
    Header h;
    if (headerSize == 12) {
        if (size < kFileHeader + 12)
            return std::nullopt;
        h.width = u16(d, 18);
        h.height = u16(d, 20);
        h.bitCount = u16(d, 24);
        h.paletteEntry = 3;
    } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108
               || headerSize == 124) {
        if (size < kFileHeader + headerSize)
            return std::nullopt;
        h.width = qint32(u32(d, 18));
        const qint64 height = qint32(u32(d, 22));
        h.topDown = height < 0;
        h.height = height < 0 ? -height : height;
        h.bitCount = u16(d, 28);
        h.compression = u32(d, 30);
        h.dotsPerMeterX = qint32(u32(d, 38));
        h.dotsPerMeterY = qint32(u32(d, 42));
        h.colorsUsed = u32(d, 46);
        if (h.compression == kBitFields) {
            // The masks follow a plain Windows header; the later headers hold them at the same place.
            if (size < kFileHeader + 40 + 12)
                return std::nullopt;
            for (int i = 0; i < 3; ++i)
                h.masks[i] = u32(d, kFileHeader + 40 + 4 * i);
        }
    } else {
        return std::nullopt;
    }
    h.paletteAt = kFileHeader + headerSize + (headerSize == 40 && h.compression == kBitFields ? 12 : 0);

    if (h.width <= 0 || h.height <= 0 || h.width * h.height > Bitmap::MaxPixels)
        return std::nullopt;
    switch (h.bitCount) {
    case 1:
        if (h.compression != kRgb)
            return std::nullopt;
        break;
    case 4:
        if (h.compression != kRgb && h.compression != kRle4)
            return std::nullopt;
        break;
    case 8:
        if (h.compression != kRgb && h.compression != kRle8)
            return std::nullopt;
        break;
    case 16:
    case 32:
        if (h.compression == kRgb) {
            if (h.bitCount == 16) {
                h.masks[0] = 0x7C00;
                h.masks[1] = 0x03E0;
                h.masks[2] = 0x001F;
            } else {
                h.masks[0] = 0xFF0000;
                h.masks[1] = 0x00FF00;
                h.masks[2] = 0x0000FF;
            }
        } else if (h.compression != kBitFields) {
            return std::nullopt;
        }
        if (h.bitCount == 16 && ((h.masks[0] | h.masks[1] | h.masks[2]) >> 16) != 0)
            return std::nullopt;
        break;
    case 24:
        if (h.compression != kRgb)
            return std::nullopt;
        break;
    default:
        return std::nullopt;
    }
    // Run-length data is always stored bottom-up.
    if (h.topDown && h.compression != kRgb && h.compression != kBitFields)
        return std::nullopt;

    if (h.bitCount <= 8) {
        const quint32 full = quint32(1) << h.bitCount;
        if (h.colorsUsed > full)
            return std::nullopt;
        if (h.colorsUsed == 0) {
            h.colorsUsed = full;
            // OS/2 files may carry a shorter palette, which then ends where the pixels begin.
            if (h.paletteEntry == 3 && dataOffset > h.paletteAt)
                h.colorsUsed = quint32(qMin<qint64>(full, (dataOffset - h.paletteAt) / 3));
        }
        if (h.paletteAt + qint64(h.colorsUsed) * h.paletteEntry > size)
            return std::nullopt;
    }
    const qint64 headersEnd = kFileHeader + headerSize;
    if (dataOffset == 0)
        h.dataAt = h.bitCount <= 8 ? h.paletteAt + qint64(h.colorsUsed) * h.paletteEntry : h.paletteAt;
    else if (dataOffset < headersEnd || dataOffset > size)
        return std::nullopt;
    else
        h.dataAt = dataOffset;
    h.dotsPerMeterX = qMax(0, h.dotsPerMeterX);
    h.dotsPerMeterY = qMax(0, h.dotsPerMeterY);
    return h;
}

std::vector<Rgb> readPalette(QByteArrayView d, const Header &h)
{
    std::vector<Rgb> palette(size_t(1) << h.bitCount); // indexes past the file's palette are black
    for (quint32 i = 0; i < h.colorsUsed; ++i) {
        const qint64 at = h.paletteAt + qint64(i) * h.paletteEntry;
        palette[i] = Rgb {quint8(d[at + 2]), quint8(d[at + 1]), quint8(d[at])};
    }
    return palette;
}

// Run-length data into one palette index per pixel, rows bottom-up. False when the data ends
// before the picture does.
bool decodeRle(QByteArrayView d, const Header &h, std::vector<quint8> &indexes)
{
    const qint64 end = d.size();
    const qint64 w = h.width;
    const qint64 rows = h.height;
    const bool four = h.compression == kRle4;
    qint64 at = h.dataAt;
    qint64 x = 0;
    qint64 row = 0;
    auto put = [&](qint64 n, auto indexOf) {
        for (qint64 k = 0; k < n; ++k, ++x) {
            if (x < w)
                indexes[size_t(row * w + x)] = indexOf(k);
        }
    };
    while (row < rows) {
        if (end - at < 2)
            return false;
        const quint8 count = quint8(d[at]);
        const quint8 value = quint8(d[at + 1]);
        at += 2;
        if (count > 0) {
            if (four)
                put(count, [value](qint64 k) { return quint8(k & 1 ? value & 0x0F : value >> 4); });
            else
                put(count, [value](qint64) { return value; });
            continue;
        }
        switch (value) {
        case 0: // end of line
            x = 0;
            ++row;
            break;
        case 1: // end of bitmap
            return true;
        case 2: // skip right and up
            if (end - at < 2)
                return false;
            x += quint8(d[at]);
            row += quint8(d[at + 1]);
            at += 2;
            break;
        default: { // a literal run, padded to a 16-bit boundary
            const qint64 bytes = four ? (value + 1) / 2 : value;
            const qint64 padded = (bytes + 1) & ~qint64(1);
            if (end - at < padded)
                return false;
            const qint64 from = at;
            if (four)
                put(value, [&d, from](qint64 k) {
                    const quint8 b = quint8(d[from + k / 2]);
                    return quint8(k & 1 ? b & 0x0F : b >> 4);
                });
            else
                put(value, [&d, from](qint64 k) { return quint8(d[from + k]); });
            at += padded;
            break;
        }
        }
    }
    return true;
}

} // namespace

std::optional<Bitmap> ReadBmp(QByteArrayView d)
{
    const std::optional<Header> header = readHeader(d);
    if (!header)
        return std::nullopt;
    const Header &h = *header;
    const qint64 dataSize = d.size() - h.dataAt;
    const bool rle = h.compression == kRle4 || h.compression == kRle8;
    const qint64 stride = (h.width * h.bitCount + 31) / 32 * 4;
    if (rle ? h.width * h.height > dataSize * kRlePixelsPerByte : stride * h.height > dataSize)
        return std::nullopt;

    Bitmap out(int(h.width), int(h.height));
    if (out.isNull())
        return std::nullopt;
    out.dotsPerMeterX = h.dotsPerMeterX;
    out.dotsPerMeterY = h.dotsPerMeterY;
    const int w = int(h.width);
    const int rows = int(h.height);
    auto outRow = [&](qint64 fileRow) {
        return out.scanLine(h.topDown ? int(fileRow) : rows - 1 - int(fileRow));
    };

    if (h.bitCount <= 8) {
        const std::vector<Rgb> palette = readPalette(d, h);
        std::vector<quint8> rleIndexes;
        if (rle) {
            try {
                rleIndexes.assign(size_t(w) * size_t(rows), 0);
            } catch (const std::bad_alloc &) {
                return std::nullopt;
            }
            if (!decodeRle(d, h, rleIndexes))
                return std::nullopt;
        }
        const int bits = h.bitCount;
        const int perByte = 8 / bits;
        const quint8 indexMask = quint8((1 << bits) - 1);
        for (int r = 0; r < rows; ++r) {
            uchar *o = outRow(r);
            const quint8 *in = rle ? rleIndexes.data() + size_t(r) * size_t(w)
                                   : reinterpret_cast<const quint8 *>(d.data() + h.dataAt + r * stride);
            for (int x = 0; x < w; ++x, o += 3) {
                quint8 index;
                if (rle || bits == 8)
                    index = in[x];
                else
                    index = quint8(in[x / perByte] >> (8 - bits * (x % perByte + 1))) & indexMask;
                const Rgb c = palette[index];
                o[0] = c.b;
                o[1] = c.g;
                o[2] = c.r;
            }
        }
        return out;
    }

    if (h.bitCount == 24) {
        for (int r = 0; r < rows; ++r)
            std::memcpy(outRow(r), d.data() + h.dataAt + r * stride, size_t(w) * 3);
        return out;
    }

    Channel red, green, blue;
    if (!red.set(h.masks[0]) || !green.set(h.masks[1]) || !blue.set(h.masks[2]))
        return std::nullopt;
    if (h.bitCount == 16) {
        // One table per channel over every 16-bit value beats shifting each pixel.
        std::vector<std::array<quint8, 3>> table(65536);
        for (quint32 v = 0; v < 65536; ++v)
            table[v] = {blue.of(v), green.of(v), red.of(v)};
        for (int r = 0; r < rows; ++r) {
            const qint64 in = h.dataAt + r * stride;
            uchar *o = outRow(r);
            for (int x = 0; x < w; ++x, o += 3) {
                const auto &c = table[u16(d, in + 2 * x)];
                o[0] = c[0];
                o[1] = c[1];
                o[2] = c[2];
            }
        }
        return out;
    }
    for (int r = 0; r < rows; ++r) {
        const qint64 in = h.dataAt + r * stride;
        uchar *o = outRow(r);
        for (int x = 0; x < w; ++x, o += 3) {
            const quint32 v = u32(d, in + 4 * x);
            o[0] = blue.of(v);
            o[1] = green.of(v);
            o[2] = red.of(v);
        }
    }
    return out;
}

std::optional<std::pair<qint64, qint64>> BmpClaimedSize(QByteArrayView d)
{
    if (d.size() < kFileHeader + 4 || d[0] != 'B' || d[1] != 'M')
        return std::nullopt;
    const quint32 headerSize = u32(d, 14);
    if (headerSize == 12 && d.size() >= kFileHeader + 12)
        return std::pair<qint64, qint64>(u16(d, 18), u16(d, 20));
    if (headerSize >= 40 && d.size() >= kFileHeader + 40) {
        const qint64 height = qint32(u32(d, 22));
        return std::pair<qint64, qint64>(qint32(u32(d, 18)), height < 0 ? -height : height);
    }
    return std::nullopt;
}

std::optional<Bitmap> LoadBmpFile(const QString &path)
{
    const FileRead file = ReadRegularFile(path, kMaxBmpFileBytes);
    if (!file)
        return std::nullopt;
    return ReadBmp(file.bytes);
}

namespace {

void put16(QByteArray &b, qsizetype at, quint16 v)
{
    b[at] = char(v & 0xFF);
    b[at + 1] = char(v >> 8);
}

void put32(QByteArray &b, qsizetype at, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xFF);
}

} // namespace

QByteArray WriteBmp(const Bitmap &bitmap, BmpDepth depth)
{
    if (bitmap.isNull())
        return QByteArray();
    const int w = bitmap.width();
    const int h = bitmap.height();
    const int bits = depth == BmpDepth::Bits24 ? 24 : 16;
    const qsizetype stride = (qsizetype(w) * bits + 31) / 32 * 4;
    const qsizetype dataAt = kFileHeader + 40;
    QByteArray b(dataAt + stride * h, '\0');
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, quint32(b.size()));
    put32(b, 10, quint32(dataAt));
    put32(b, 14, 40);
    put32(b, 18, quint32(w));
    put32(b, 22, quint32(h));
    put16(b, 26, 1);
    put16(b, 28, quint16(bits));
    put32(b, 30, kRgb);
    put32(b, 34, quint32(stride * h));
    put32(b, 38, quint32(bitmap.dotsPerMeterX));
    put32(b, 42, quint32(bitmap.dotsPerMeterY));
    const int step = bitmap.bytesPerPixel();
    for (int y = 0; y < h; ++y) {
        const uchar *in = bitmap.scanLine(y);
        char *o = b.data() + dataAt + (h - 1 - y) * stride;
        for (int x = 0; x < w; ++x, in += step) {
            if (bits == 24) {
                *o++ = char(in[0]);
                *o++ = char(in[1]);
                *o++ = char(in[2]);
            } else {
                const quint16 v = quint16((in[2] >> 3) << 10 | (in[1] >> 3) << 5 | (in[0] >> 3));
                *o++ = char(v & 0xFF);
                *o++ = char(v >> 8);
            }
        }
    }
    return b;
}

bool SaveBmpFile(const QString &path, const Bitmap &bitmap, BmpDepth depth)
{
    if (bitmap.isNull())
        return false;
    return SaveWholeFile(path, WriteBmp(bitmap, depth));
}
