#pragma once

#include "picture/BmpFile.h"
#include "picture/JpegCodec.h"
#include "support/Files.h"
#include "support/Pictures.h"

#include <QString>

// Picture files written by the tests: small JPEG (JFIF) and bitmap files of a plain colour.
namespace testpictures {

inline bool writeJpeg(const QString &path, int width = 40, int height = 30, Rgb colour = {200, 40, 40})
{
    JpegEncoder encoder;
    const auto bytes = encoder.encode(plain(width, height, colour), 90);
    return bytes && testfiles::write(path, *bytes);
}

inline bool writeBmp(const QString &path, int width = 30, int height = 40, Rgb colour = {40, 40, 200})
{
    return SaveBmpFile(path, plain(width, height, colour));
}

} // namespace testpictures
