// The bitmap file reader on arbitrary bytes. A picture it accepts must survive being written as a
// 24-bit file and read again.

#include "picture/BmpFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::optional<Bitmap> b
        = ReadBmp(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!b)
        return 0;
    if (b->isNull() || b->width() <= 0 || b->height() <= 0)
        std::abort();
    const std::optional<Bitmap> again = ReadBmp(WriteBmp(*b));
    if (!again || !(*again == *b))
        std::abort();
    return 0;
}
