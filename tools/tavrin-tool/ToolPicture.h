#pragma once

// What the commands that frame a picture share: reading the picture, the picture parameters of a
// recipient from the command line, and entering the picture settings step with them.

#include "picture/PictureCanvas.h"
#include "tools/tavrin-tool/Command.h"

#include <QSize>
#include <QString>

#include <optional>

// A whole decimal number, blanks around it allowed.
std::optional<int> ToolInteger(const QString &text);

// --preset P --quality Q [--size W,H]: the size preset, the quality level and, for the user size
// (preset 3) only, its width and height.
struct PictureOptions
{
    int preset = 1;
    int quality = 1;
    std::optional<QSize> userSize;
};
inline constexpr char kPictureOptionsUsage[] = "--preset P --quality Q [--size W,H]";
// The options read from args; nothing, with *error set, when one is wrong or --preset and
// --quality are not given together.
std::optional<PictureOptions> ReadPictureOptions(const ToolArgs &args, QString *error);

// Loads the file into the canvas; the reason it could not (a missing or oversized file, not a
// picture, too many pixels), or nothing.
QString LoadToolPicture(PictureCanvas &canvas, const QString &path);

// The picture settings step as it is entered for a recipient with these parameters: the frame laid
// out for them, the picture where loading placed it. ccListEmpty: no further recipient is listed.
void EnterPictureStep(PictureCanvas &canvas, const PictureOptions &options, bool ccListEmpty = true);
