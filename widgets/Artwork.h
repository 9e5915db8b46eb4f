#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>

// Pictures of the program, drawn in code.
namespace Artwork {

// The 128 x 128 logo of the splash window.
QPixmap Logo();

// The program's window icon.
QIcon ProgramIcon();
// The same picture, side x side with a transparent background: the icon files of an installation
// are made from it.
QImage ProgramIconImage(int side);

// The three pictures of a bitmap button of the given size.
enum class ButtonLook { Normal, Down, Disable };
QPixmap ButtonPicture(QSize size, ButtonLook look);

// The 32 x 32 icons of the message box, by icon kind (16, 32, 48, 64); a null pixmap for others.
QPixmap MessageIcon(int kind);
// The message box's decorations: the left strip and the picture kept at the right edge.
QPixmap MessageBoxLeft(int height);
QPixmap MessageBoxRight(QSize size);

// The 192 x 192 colour chart of the colour dialog: the hues from left to right (red, magenta, blue,
// cyan, green, yellow, red), then a fade into grey at the right edge; every column runs from white
// at the top through its full colour in the middle (row 96) to black at the bottom.
QImage ColourChart();

} // namespace Artwork
