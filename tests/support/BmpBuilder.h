#pragma once

#include "common/Bitmap.h"

#include <QByteArray>
#include <QtGlobal>

#include <array>
#include <functional>
#include <optional>
#include <vector>

// Windows bitmap files of every kind, put together byte by byte for the reader's tests and the
// fuzzer's seeds.
namespace testbmp {

struct Layout
{
    quint32 headerSize = 40; // 12 = OS/2, 40, 52, 56, 108, 124
    qint32 width = 0;
    qint32 height = 0; // negative: top-down
    quint16 bitCount = 24;
    quint32 compression = 0; // 1 RLE8, 2 RLE4, 3 bit fields
    std::vector<Rgb> palette;
    quint32 colorsUsed = 0;
    std::array<quint32, 3> masks {}; // red, green, blue; written with bit fields
    QByteArray pixels; // exactly as stored in the file
    std::optional<quint32> dataOffset;
    qint32 dotsPerMeterX = 0;
    qint32 dotsPerMeterY = 0;
};

inline void put16(QByteArray &b, quint16 v)
{
    b.append(char(v & 0xFF));
    b.append(char(v >> 8));
}

inline void put32(QByteArray &b, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}

inline QByteArray build(const Layout &s)
{
    QByteArray info;
    if (s.headerSize == 12) {
        put32(info, 12);
        put16(info, quint16(s.width));
        put16(info, quint16(s.height));
        put16(info, 1);
        put16(info, s.bitCount);
    } else {
        put32(info, s.headerSize);
        put32(info, quint32(s.width));
        put32(info, quint32(s.height));
        put16(info, 1);
        put16(info, s.bitCount);
        put32(info, s.compression);
        put32(info, quint32(s.pixels.size()));
        put32(info, quint32(s.dotsPerMeterX));
        put32(info, quint32(s.dotsPerMeterY));
        put32(info, s.colorsUsed);
        put32(info, 0);
        if (s.headerSize > 40 || s.compression == 3) {
            for (quint32 m : s.masks)
                put32(info, m);
        }
        if (s.headerSize > 52)
            put32(info, 0); // alpha mask
        if (s.headerSize > 40)
            info.append(QByteArray(qsizetype(s.headerSize) - info.size(), '\0'));
    }
    for (const Rgb &c : s.palette) {
        info.append(char(c.b));
        info.append(char(c.g));
        info.append(char(c.r));
        if (s.headerSize != 12)
            info.append('\0');
    }
    QByteArray file("BM");
    const quint32 dataAt = s.dataOffset.value_or(quint32(14 + info.size()));
    put32(file, quint32(14 + info.size() + s.pixels.size()));
    put32(file, 0);
    put32(file, dataAt);
    file += info;
    if (file.size() < qsizetype(dataAt))
        file.append(QByteArray(qsizetype(dataAt) - file.size(), '\0'));
    file += s.pixels;
    return file;
}

// Rows in file order (bottom-up unless topDown), each padded to four bytes. value(x, y) gives the
// bits of the pixel at picture row y, least significant byte first in the file.
inline QByteArray packRows(int width, int height, int bits, bool topDown,
                           const std::function<quint32(int x, int y)> &value)
{
    const int stride = (width * bits + 31) / 32 * 4;
    QByteArray out(qsizetype(stride) * height, '\0');
    for (int r = 0; r < height; ++r) {
        const int y = topDown ? r : height - 1 - r;
        char *row = out.data() + qsizetype(r) * stride;
        for (int x = 0; x < width; ++x) {
            const quint32 v = value(x, y);
            if (bits < 8) {
                const int shift = 8 - bits * (x % (8 / bits) + 1);
                row[x * bits / 8] = char(quint8(row[x * bits / 8]) | (v << shift));
            } else {
                for (int i = 0; i < bits / 8; ++i)
                    row[x * bits / 8 + i] = char((v >> (8 * i)) & 0xFF);
            }
        }
    }
    return out;
}

} // namespace testbmp
