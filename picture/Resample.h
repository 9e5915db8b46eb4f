#pragma once

#include "common/Bitmap.h"

// The picture's pixels for the canvas: stretched to the placement, and turned by a quarter.

// The part `part` of the picture stretched to width x height, without making the rest of it. Along
// an axis that shrinks, every output pixel is the mean of the source area it covers (parts of pixels
// weighed by how much of them it covers); along an axis that grows, it is interpolated linearly
// between the two nearest source pixel centres; along an axis that keeps its size, pixels are
// copied. Means are rounded. The result is a 24-bit bitmap of the part's size; null when the picture
// is null or has a side over 65535 pixels, a size is not positive, or the part is empty or leaves
// the stretched picture.
Bitmap ResampleBitmap(const Bitmap &source, int width, int height, const PixelRect &part);

// The picture turned by 90 degrees: a negative angle turns it left, pixel (x, y) going to
// (y, width - 1 - x); any other angle right, (x, y) going to (height - 1 - y, x). 24-bit; null when
// the picture is null or the memory cannot be had.
Bitmap RotateBitmap(const Bitmap &source, int angle);
