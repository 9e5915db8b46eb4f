#pragma once

#include "picture/ConvertJpeg.h"

class PictureCanvas;
struct TMailAddress;

// The render step: what the picture area shows, made into the picture one recipient gets. It lives
// beside the address book because the recipient's carrier sets the byte budget.

// Copies the canvas's size preset, quality level, width and height into a recipient entry.
void FillPictureParameters(const PictureCanvas &canvas, TMailAddress &entry);

// Writes the canvas's frame as tmp.bmp, then tmp.jpg in the recipient's width and height within the
// byte budget of the recipient's carrier. tmp.bmp is deleted afterwards unless the recipient's
// address is of the WILLCOM class. Throws Exception when a file cannot be written or read; tmp.jpg
// may then be missing or left from an earlier render.
TConvertJpeg::Result RenderPicture(const PictureCanvas &canvas, const TMailAddress &recipient);
