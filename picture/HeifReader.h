#pragma once

#include "picture/PictureFile.h"

// HEIF and HEIC pictures through libheif, with the container's own turn and mirror applied and the
// embedded thumbnail taken for tiles. QtCore and libheif only.
std::unique_ptr<PictureReader> MakeHeifReader();
