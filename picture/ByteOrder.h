#pragma once

#include <QByteArrayView>

// The unsigned number of `bytes` bytes (at most 8) at `at` of b, in either byte order; the caller
// has checked that they are there.
inline quint64 ReadOrdered(QByteArrayView b, qsizetype at, int bytes, bool bigEndian)
{
    quint64 v = 0;
    for (int i = 0; i < bytes; ++i) {
        const quint64 byte = quint8(b[at + i]);
        v |= bigEndian ? byte << (8 * (bytes - 1 - i)) : byte << (8 * i);
    }
    return v;
}
