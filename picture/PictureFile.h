#pragma once

#include "common/Bitmap.h"

#include <QByteArrayView>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// Picture files of every kind the program opens, read into an upright Bitmap.
//
// JPEG is decoded here, whatever its first segment, and turned by its Exif Orientation tag. The
// other kinds (HEIF, PNG, WebP, TIFF) need decoders beyond the core's libraries: the executables
// install a PictureReader for each at start, and without one such a file is simply not a picture.
// Bitmap files are not read here: their rules (a case-sensitive ".bmp" on the canvas, any letter
// case for tiles) stay with the callers.

// A decoder for one kind of picture file. Read is called from several threads at once.
class PictureReader
{
public:
    virtual ~PictureReader() = default;
    // True when a file that starts with these bytes (at least 32 where the file has them) is of
    // this kind.
    virtual bool CanRead(QByteArrayView head) const = 0;
    // The upright picture in 24-bit pixels from the file (open for reading, at any position): the
    // container's own turn applied, transparency on white. With tileSide > 0 an embedded thumbnail
    // or a reduced decode may be given instead, never smaller than the box FitInSquare gives the
    // picture in such a tile; a reader then reads no more of the file than that needs. Empty for
    // damaged data and for a picture larger than Bitmap::MaxPixels, refused before it takes memory.
    virtual std::optional<Bitmap> Read(QIODevice &file, int tileSide) const = 0;
    // File name patterns in lower case ("*.heic"), for folder listings, drops and the open dialog.
    virtual QStringList NamePatterns() const = 0;
};

// Adds a reader for the rest of the run. Called before any picture is read.
void InstallPictureReader(std::unique_ptr<PictureReader> reader);
// The patterns of the installed readers, in the order they were installed.
QStringList PictureReaderPatterns();
// True when the file name ends in one of them, ignoring letter case.
bool HasPictureReaderName(const QString &path);

// The largest picture file read, of any kind: that of a JPEG file (see common/BoundedFile.h for the
// other rules).
inline constexpr qint64 kMaxPictureFileBytes = qint64(256) << 20;

// The upright picture of a JPEG stream.
std::optional<Bitmap> DecodeUprightJpeg(QByteArrayView data, int tileSide = 0);
// A JPEG file or a file an installed reader takes, upright; empty for anything else.
std::optional<Bitmap> ReadPictureFile(const QString &path);
// The picture a thumbnail tile of the given side is made from: for JPEG the embedded Exif
// thumbnail where there is a usable one, for the other kinds what their reader gives for a tile.
// Turned alike the full picture.
std::optional<Bitmap> ReadThumbnailPicture(const QString &path, int tileSide);
