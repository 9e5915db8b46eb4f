#pragma once

#include "picture/PictureFile.h"

#include <QImage>

// The readers for the picture kinds beyond BMP and JPEG: HEIF through libheif, PNG, WebP and TIFF
// through Qt's image readers. They need QtGui and libheif, so only the executables link them and
// install them at start; the core knows them through PictureReader alone.

// Installs the HEIF reader (picture/HeifReader.h) and Qt's once; later calls do nothing.
void InstallPictureReaders();

std::unique_ptr<PictureReader> MakeQtImageReader();

// A picture in any of Qt's formats as 24-bit pixels, transparency composed on white.
Bitmap BitmapOnWhite(const QImage &image);
