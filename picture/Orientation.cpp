#include "picture/Orientation.h"

#include "picture/ByteOrder.h"

#include <functional>

namespace {

constexpr quint16 kOrientationTag = 0x0112;
constexpr int kShort = 3;
// Cameras write a handful of segments before the picture; a stream with more is not searched on.
constexpr int kMaxSegments = 64;

// Reads count bytes at a position of the stream; fewer at its end.
using ReadAt = std::function<QByteArray(qint64 at, qint64 count)>;

// Walks the segments from the start of image up to the first scan and gives the first Exif block.
QByteArray findExifBlock(const ReadAt &read)
{
    if (read(0, 2) != QByteArrayView("\xFF\xD8", 2))
        return QByteArray();
    qint64 at = 2;
    for (int i = 0; i < kMaxSegments; ++i) {
        const QByteArray head = read(at, 4);
        if (head.size() < 4 || quint8(head[0]) != 0xFF)
            return QByteArray();
        const quint8 marker = quint8(head[1]);
        if (marker == 0xFF) { // a fill byte before the marker
            at += 1;
            continue;
        }
        // Start of scan, end of image: the picture data begins, and no Exif block comes after it.
        if (marker == 0xDA || marker == 0xD9)
            return QByteArray();
        const qint64 length = quint8(head[2]) << 8 | quint8(head[3]);
        if (length < 2)
            return QByteArray();
        if (marker == 0xE1) {
            const QByteArray body = read(at + 4, length - 2);
            if (body.startsWith(QByteArrayView("Exif\0\0", 6)))
                return body;
        }
        at += 2 + length;
    }
    return QByteArray();
}

} // namespace

Orientation ExifBlockOrientation(QByteArrayView exif)
{
    if (!exif.startsWith(QByteArrayView("Exif\0\0", 6)))
        return Orientation::Upright;
    const QByteArrayView tiff = exif.sliced(6);
    if (tiff.size() < 8)
        return Orientation::Upright;
    bool bigEndian;
    if (tiff.startsWith("MM"))
        bigEndian = true;
    else if (tiff.startsWith("II"))
        bigEndian = false;
    else
        return Orientation::Upright;
    const qint64 directory = ReadOrdered(tiff, 4, 4, bigEndian);
    if (directory + 2 > tiff.size())
        return Orientation::Upright;
    const qint64 count = ReadOrdered(tiff, directory, 2, bigEndian);
    for (qint64 i = 0, entry = directory + 2; i < count && entry + 12 <= tiff.size(); ++i, entry += 12) {
        if (ReadOrdered(tiff, entry, 2, bigEndian) != kOrientationTag)
            continue;
        if (ReadOrdered(tiff, entry + 2, 2, bigEndian) != kShort
            || ReadOrdered(tiff, entry + 4, 4, bigEndian) < 1)
            return Orientation::Upright;
        const quint32 value = ReadOrdered(tiff, entry + 8, 2, bigEndian);
        return value >= 1 && value <= 8 ? Orientation(value) : Orientation::Upright;
    }
    return Orientation::Upright;
}

Orientation JpegOrientation(QByteArrayView jpeg)
{
    const QByteArray block = findExifBlock([jpeg](qint64 at, qint64 count) -> QByteArray {
        return at >= jpeg.size() ? QByteArray()
                                 : jpeg.sliced(at, qMin(count, jpeg.size() - at)).toByteArray();
    });
    return ExifBlockOrientation(block);
}

Orientation JpegOrientation(QIODevice &file)
{
    const QByteArray block = findExifBlock([&file](qint64 at, qint64 count) -> QByteArray {
        return file.seek(at) ? file.read(count) : QByteArray();
    });
    return ExifBlockOrientation(block);
}

Bitmap Oriented(const Bitmap &stored, Orientation orientation)
{
    if (orientation == Orientation::Upright || stored.isNull())
        return stored;
    const int w = stored.width(), h = stored.height();
    const bool swapped = orientation >= Orientation::Transpose;
    Bitmap out(swapped ? h : w, swapped ? w : h, stored.format());
    if (out.isNull())
        return out;
    out.dotsPerMeterX = swapped ? stored.dotsPerMeterY : stored.dotsPerMeterX;
    out.dotsPerMeterY = swapped ? stored.dotsPerMeterX : stored.dotsPerMeterY;
    const int bpp = stored.bytesPerPixel();
    // Every output pixel (x, y) of the upright picture names the stored pixel it shows.
    const auto source = [&](int x, int y) -> std::pair<int, int> {
        switch (orientation) {
        case Orientation::MirrorX:
            return {w - 1 - x, y};
        case Orientation::Turn180:
            return {w - 1 - x, h - 1 - y};
        case Orientation::MirrorY:
            return {x, h - 1 - y};
        case Orientation::Transpose:
            return {y, x};
        case Orientation::TurnRight:
            return {y, h - 1 - x};
        case Orientation::Transverse:
            return {w - 1 - y, h - 1 - x};
        case Orientation::TurnLeft:
            return {w - 1 - y, x};
        case Orientation::Upright:
            break;
        }
        return {x, y};
    };
    for (int y = 0; y < out.height(); ++y) {
        uchar *o = out.scanLine(y);
        for (int x = 0; x < out.width(); ++x, o += bpp) {
            const auto [sx, sy] = source(x, y);
            const uchar *p = stored.scanLine(sy) + qsizetype(sx) * bpp;
            std::copy(p, p + bpp, o);
        }
    }
    return out;
}
