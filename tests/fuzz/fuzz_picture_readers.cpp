// The HEIF, PNG, WebP and TIFF readers on arbitrary bytes: a picture they give is never empty and
// makes a tile.

#include "picture/ConvertJpeg.h"
#include "picture/HeifReader.h"
#include "picture/PictureReaders.h"

#include <QBuffer>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::unique_ptr<PictureReader> readers[] = {MakeHeifReader(), MakeQtImageReader()};
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    for (const std::unique_ptr<PictureReader> &reader : readers) {
        if (!reader->CanRead(bytes.first(qMin<qsizetype>(bytes.size(), 32))))
            continue;
        for (const int tileSide : {0, TConvertJpeg::ThumbnailSide}) {
            const std::optional<Bitmap> picture = reader->Read(file, tileSide);
            if (!picture)
                continue;
            if (picture->isNull() || !TConvertJpeg::MakeTile(*picture))
                std::abort();
        }
    }
    return 0;
}
