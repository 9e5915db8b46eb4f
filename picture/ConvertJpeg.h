#pragma once

#include "common/Bitmap.h"
#include "picture/JpegCodec.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <optional>

// Writes the picture that is mailed and reads JPEG pictures back.
//
// ConvertFile turns a bitmap file into a JPEG file within a byte budget: it writes the file at
// quality 100, 98, ..., 2 until one fits, and a last time at quality 0 when none does. The caller
// sets Scale, the two rectangles and the budget first; they keep their values between calls.
// The reading side never throws: every failure is an empty result.
class TConvertJpeg
{
public:
    // How the last ConvertFile ended: the quality of its last pass, the size of the file it left
    // and the number of passes.
    struct Result
    {
        int quality = 0;
        qint64 size = 0;
        int passes = 0;
    };

    static constexpr int ThumbnailSide = 64;
    // The largest JPEG file read: room for a 100-megapixel picture at the highest quality, several
    // times what 12 to 50 megapixel cameras write.
    static constexpr qint64 MaxJpegFileBytes = qint64(256) << 20;

    // true: the source rectangle is reduced to the destination's size; false: the whole bitmap
    // is compressed as it is.
    bool Scale = false;
    PixelRect SourceRect;
    // Only its width and height count: the size of the picture written.
    PixelRect DestRect;
    // Largest acceptable JPEG file in bytes; 0 = no limit.
    int Budget = 0;

    // Throws Exception when the bitmap file cannot be read, the source rectangle does not fit it or
    // the destination is empty or larger than Bitmap::MaxPixels (with Scale on), or the JPEG file
    // cannot be written; the JPEG file may then be missing or partly written. Each pass replaces the
    // whole content of the JPEG file, which must be a regular file or missing: a device or a FIFO
    // there is refused before anything is written.
    Result ConvertFile(const QString &bitmapPath, const QString &jpegPath);

    // Scaled bitmap from source bitmap, as Scale says.
    void PrepareFrame();
    // Reduces source's rectangle to width x height: every output row is one sampled source row,
    // every output pixel the mean of the source pixels after the previous column's end up to its
    // own. Result in 32-bit pixels; null when the rectangle is empty or leaves the bitmap, or a
    // size is not positive.
    static Bitmap ScaleAreaAverage(const Bitmap &source, const PixelRect &rect, int width, int height);

    // "Exif" (any letter case) or "JFIF" (any letter case) in the four bytes at offset 6.
    static bool IsExif(const QString &path);
    static bool IsJfif(const QString &path);

    // Files with one of the two marks, or any other that starts as a JPEG stream, are decoded and
    // turned upright by their Exif Orientation tag. Every reader by path takes only a regular file of
    // at most MaxJpegFileBytes (see common/BoundedFile.h).
    static std::optional<Bitmap> LoadJpegFile(const QString &path);

    // The embedded Exif thumbnail of a JPEG file as JPEG data, or the whole file when there is no
    // usable one; nothing for a file that is neither Exif nor JFIF.
    static std::optional<QByteArray> ExtractThumbnail(const QString &path);
    static std::optional<QByteArray> ExtractThumbnail(QIODevice &file);
    // Decodes what ExtractThumbnail gives; an embedded thumbnail that does not decode gives way to
    // the whole file. With tileSide > 0 the picture may come out reduced, but never below the box it
    // gets in a tile of that side.
    static std::optional<Bitmap> LoadExifThumbnail(const QString &path, int tileSide = 0);
    static std::optional<Bitmap> LoadExifThumbnail(QIODevice &file, int tileSide = 0);

    // A 64 x 64 tile: the picture stretched into a centred box whose long side fills the tile, on
    // white, with a grey frame around the box and around the tile. A ".bmp" file (any letter case)
    // is read as a bitmap, anything else through LoadExifThumbnail (upright by the file's Exif
    // Orientation) or, for the kinds beyond JPEG, their installed reader (see PictureFile.h).
    static std::optional<Bitmap> MakeThumbnail(const QString &path);
    static std::optional<Bitmap> MakeTile(const Bitmap &picture);

    const Bitmap &SourceBitmap() const { return m_source; }
    const Bitmap &ScaledBitmap() const { return m_scaled; }

private:
    Bitmap m_source;
    Bitmap m_scaled;
    JpegEncoder m_codec;
};
