// The Exif Orientation tag on arbitrary bytes: read from memory and from a file alike, and a picture
// turned by any tag keeps its pixel count.

#include "picture/Orientation.h"

#include <QBuffer>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    const Orientation fromMemory = JpegOrientation(QByteArrayView(bytes));
    if (JpegOrientation(file) != fromMemory)
        std::abort();
    Bitmap stored(3, 2);
    for (int i = 0; i < 6; ++i)
        stored.setPixel(i % 3, i / 3, Rgb {quint8(i), 0, 0});
    const Bitmap upright = Oriented(stored, fromMemory);
    if (qint64(upright.width()) * upright.height() != 6)
        std::abort();
    return 0;
}
