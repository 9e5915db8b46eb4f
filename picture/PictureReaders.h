#pragma once

#include "picture/PictureFile.h"

#include <QImage>

// The readers for PNG, WebP and TIFF through Qt's image readers. They need QtGui, so only the
// executables link them and install them at start (InstallPictureReaders in
// platform/linux/ModuleBackends.h, with the HEIF reader); the core knows them through PictureReader.

std::unique_ptr<PictureReader> MakeQtImageReader();

// A picture in any of Qt's formats as 24-bit pixels, transparency composed on white.
Bitmap BitmapOnWhite(const QImage &image);
