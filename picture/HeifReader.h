#pragma once

#include "picture/PictureFile.h"

#include <initializer_list>

// HEIF and HEIC pictures through libheif, with the container's own turn and mirror applied and the
// embedded thumbnail taken for tiles. QtCore and libheif only.
std::unique_ptr<PictureReader> MakeHeifReader();

// ISO base media files whose major brand is one of HEIF's still-picture brands.
inline bool IsHeifHead(QByteArrayView head)
{
    if (head.size() < 12 || head.sliced(4, 4) != QByteArrayView("ftyp"))
        return false;
    const QByteArrayView brand = head.sliced(8, 4);
    for (const char *b : {"heic", "heix", "heim", "heis", "hevc", "hevx", "mif1", "msf1"}) {
        if (brand == QByteArrayView(b))
            return true;
    }
    return false;
}

inline QStringList HeifNamePatterns()
{
    return {QStringLiteral("*.heic"), QStringLiteral("*.heif")};
}
