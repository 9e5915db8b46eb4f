#pragma once

#include <QPixmap>

// Pictures of the program, drawn in code.
namespace Artwork {

// The 128 x 128 logo of the splash window.
QPixmap Logo();

} // namespace Artwork
