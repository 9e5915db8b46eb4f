#pragma once

#include "common/Bitmap.h"

#include <QByteArray>
#include <QtGlobal>

#include <algorithm>
#include <cmath>

// Pictures made in the tests and benchmarks.
namespace testpictures {

// A deterministic picture with what makes a photograph hard to compress: smooth shading, edges
// and fine grain. Different seeds give different pictures.
inline Bitmap photo(int width, int height, quint32 seed = 1)
{
    Bitmap b(width, height);
    const double phase = seed * 0.7;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            quint32 h = quint32(x) * 73856093u ^ quint32(y) * 19349663u ^ seed * 83492791u;
            h ^= h >> 13;
            h *= 0x5bd1e995u;
            h ^= h >> 15;
            const double grain = int(h & 31) - 16;
            const double u = double(x) / width, v = double(y) / height;
            const bool inside = (x / 37 + y / 53 + int(seed)) % 5 == 0;
            const double edge = inside ? 45 : 0;
            const auto clamp = [](double c) {
                return quint8(std::clamp(int(c), 0, 255));
            };
            const double r = 120 + 70 * std::sin(6 * u + phase) + 40 * std::cos(9 * v) + edge + grain;
            const double g = 110 + 60 * std::sin(5 * v + 2 * u + phase) + 30 * std::cos(13 * u * v) + grain;
            const double bl = 100 + 80 * std::cos(4 * u - 3 * v + phase) - edge / 2 + grain;
            b.setPixel(x, y, Rgb {clamp(r), clamp(g), clamp(bl)});
        }
    }
    return b;
}

// Every pixel the same colour.
inline Bitmap plain(int width, int height, Rgb c)
{
    Bitmap b(width, height);
    b.fill(c);
    return b;
}

// A grey baseline picture of any size in a quarter of a bit per pixel: one Huffman code of one bit
// for both tables, so each 8 x 8 block is a zero DC difference and an end of block.
inline QByteArray flatJpeg(int width, int height)
{
    const auto u16 = [](int v) {
        return QByteArray(1, char(v >> 8)) + char(v & 0xFF);
    };
    const auto segment = [&](quint8 marker, const QByteArray &body) {
        return QByteArray("\xFF", 1) + char(marker) + u16(int(body.size()) + 2) + body;
    };
    const QByteArray oneCode = QByteArray(1, '\x01') + QByteArray(15, '\0') + QByteArray(1, '\0');
    const qint64 blocks = qint64((width + 7) / 8) * ((height + 7) / 8);
    return QByteArray("\xFF\xD8", 2) + segment(0xE0, QByteArray("JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 14))
        + segment(0xDB, QByteArray(1, '\0') + QByteArray(64, '\x01'))
        + segment(0xC0, QByteArray(1, '\x08') + u16(height) + u16(width) + QByteArray("\x01\x01\x11\0", 4))
        + segment(0xC4, QByteArray(1, '\x00') + oneCode) + segment(0xC4, QByteArray(1, '\x10') + oneCode)
        + segment(0xDA, QByteArray("\x01\x01\0\0\x3F\0", 6)) + QByteArray((2 * blocks + 7) / 8, '\0')
        + QByteArray("\xFF\xD9", 2);
}

} // namespace testpictures
