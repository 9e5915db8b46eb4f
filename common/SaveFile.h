#pragma once

#include <QByteArray>
#include <QString>

// Replaces the file at path with bytes as a whole: written to a temporary beside it and renamed
// over it only when every byte is on disk. On failure the old file stays as it was. Only a file is
// replaced: a device, a FIFO or a folder at path makes it fail without touching it.
bool SaveWholeFile(const QString &path, const QByteArray &bytes);
