#pragma once

#include "common/Bitmap.h"

#include <QByteArray>
#include <QByteArrayView>

#include <memory>
#include <optional>

// libjpeg behind a small interface. Only JpegCodec.cpp includes the library's headers: its error
// jumps end there and come out as an empty result, never as exit().

struct JpegSize
{
    int width = 0;
    int height = 0;
};

// Baseline JPEG with the library's default tables and Huffman codes, the integer DCT and a JFIF
// marker whose density is the bitmap's dots per metre (as cjpeg takes it from a bitmap file). An
// encoder keeps its compressor between calls, so repeated passes over one picture cost only the
// compression itself.
class JpegEncoder
{
public:
    JpegEncoder();
    ~JpegEncoder();
    JpegEncoder(const JpegEncoder &) = delete;
    JpegEncoder &operator=(const JpegEncoder &) = delete;

    // quality is on the IJG scale: 0 and below count as 1, above 100 as 100. Empty for a null bitmap
    // or when the library fails.
    std::optional<QByteArray> encode(const Bitmap &bitmap, int quality);

    struct Private; // the library's state, opaque outside JpegCodec.cpp

private:
    std::unique_ptr<Private> d;
};

// The picture size, when the data starts with a JPEG header the library can read.
std::optional<JpegSize> ReadJpegHeader(QByteArrayView data);

// Decodes into a 24-bit bitmap with the library's default settings. With tileSide > 0 the picture
// comes out reduced by the library's DCT scaling (1/2, 1/4 or 1/8), the most that still leaves it
// at least as large as the box FitInSquare gives it in such a tile. Empty for data that is damaged
// or ends early, and for a header that claims more than Bitmap::MaxPixels or far more pixels than
// the data could carry; those are refused before the picture takes any memory.
std::optional<Bitmap> DecodeJpeg(QByteArrayView data, int tileSide = 0);
