// Exif thumbnail extraction and decoding on arbitrary bytes. What ExtractThumbnail gives must be a
// piece of the file, and a decoded picture must make a tile.

#include "picture/ConvertJpeg.h"

#include <QBuffer>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    const std::optional<QByteArray> stream = TConvertJpeg::ExtractThumbnail(file);
    if (stream && !bytes.contains(*stream))
        std::abort();
    const std::optional<Bitmap> picture = TConvertJpeg::LoadExifThumbnail(file, TConvertJpeg::ThumbnailSide);
    if (picture) {
        const std::optional<Bitmap> tile = TConvertJpeg::MakeTile(*picture);
        if (!tile || tile->width() != 64 || tile->height() != 64)
            std::abort();
    }
    return 0;
}
