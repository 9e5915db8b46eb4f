#pragma once

#include "common/Bitmap.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <utility>

// Windows bitmap files.
//
// Reading takes 1-, 4- and 8-bit palette files (8-bit and 4-bit also run-length encoded), 16-bit
// files (5-5-5 or bit fields), 24-bit and 32-bit files (plain or bit fields), bottom-up and top-down,
// with the Windows and the OS/2 header. The result is always a 24-bit bitmap. A file that is damaged,
// truncated or of another kind gives nothing; no more memory is taken than the file's data can fill.
//
// Writing gives bottom-up files with a Windows header: 24-bit, or 15-bit (16 bits per pixel, 5-5-5).

enum class BmpDepth { Bits24, Bits15 };

// The largest bitmap file read: the largest picture in 32-bit pixels, with room for the headers, a
// palette and a colour profile.
inline constexpr qint64 kMaxBmpFileBytes = Bitmap::MaxPixels * 4 + (1 << 20);

std::optional<Bitmap> ReadBmp(QByteArrayView file);
// The width and height a bitmap file's header states (a top-down height made positive), checked no
// further; nothing when the bytes do not start like a bitmap file. For messages that say why a file
// was refused.
std::optional<std::pair<qint64, qint64>> BmpClaimedSize(QByteArrayView file);
// Only a regular file of at most kMaxBmpFileBytes is read (see common/BoundedFile.h).
std::optional<Bitmap> LoadBmpFile(const QString &path);

QByteArray WriteBmp(const Bitmap &bitmap, BmpDepth depth = BmpDepth::Bits24);
// Replaces the file as a whole; false when the bitmap is null or the file cannot be written.
bool SaveBmpFile(const QString &path, const Bitmap &bitmap, BmpDepth depth = BmpDepth::Bits24);
