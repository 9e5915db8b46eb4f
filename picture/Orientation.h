#pragma once

#include "common/Bitmap.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>

// The Exif Orientation tag: how a camera stored a picture relative to its upright view. Phones keep
// the sensor's landscape pixels and record the turn instead of making it.
//
//   1 upright          2 mirrored left-right    3 turned 180°        4 mirrored top-bottom
//   5 transposed       6 to be turned 90° right 7 transversed        8 to be turned 90° left
enum class Orientation { Upright = 1, MirrorX, Turn180, MirrorY, Transpose, TurnRight, Transverse, TurnLeft };

// The tag of a JPEG stream's Exif segment (the first APP1 "Exif" before the picture data), Upright
// when there is none or its value is not one of the eight.
Orientation JpegOrientation(QByteArrayView jpeg);
// The same, read from a JPEG file's segment headers and its Exif segment alone (a few seeks), so
// that the thumbnail path never reads the picture data for it. The position of file is left anywhere.
Orientation JpegOrientation(QIODevice &file);
// The tag in an Exif block: "Exif\0\0" and the TIFF structure after it.
Orientation ExifBlockOrientation(QByteArrayView exif);

// The picture as it is meant to be seen; an upright picture comes back as it is (shared, not copied).
Bitmap Oriented(const Bitmap &stored, Orientation orientation);
