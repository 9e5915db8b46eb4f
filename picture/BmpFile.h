#pragma once

#include "picture/Bitmap.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// Windows bitmap files.
//
// Reading takes 1-, 4- and 8-bit palette files (8-bit and 4-bit also run-length encoded), 16-bit
// files (5-5-5 or bit fields), 24-bit and 32-bit files (plain or bit fields), bottom-up and top-down,
// with the Windows and the OS/2 header. The result is always a 24-bit bitmap. A file that is damaged,
// truncated or of another kind gives nothing; no more memory is taken than the file's data can fill.
//
// Writing gives bottom-up files with a Windows header: 24-bit, or 15-bit (16 bits per pixel, 5-5-5).

enum class BmpDepth { Bits24, Bits15 };

std::optional<Bitmap> ReadBmp(QByteArrayView file);
std::optional<Bitmap> LoadBmpFile(const QString &path);

QByteArray WriteBmp(const Bitmap &bitmap, BmpDepth depth = BmpDepth::Bits24);
// Replaces the file as a whole; false when the bitmap is null or the file cannot be written.
bool SaveBmpFile(const QString &path, const Bitmap &bitmap, BmpDepth depth = BmpDepth::Bits24);
