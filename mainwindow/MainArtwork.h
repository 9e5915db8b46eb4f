#pragma once

#include "widgets/Artwork.h"

#include <QPixmap>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;
class TLabeledBmpBtn;

// Pictures of the main window, drawn in code: the glyphs of the caption-less buttons, the mode
// buttons with their selected look, and the backgrounds of the panes and of the camera view.
namespace MainArtwork {

enum class Glyph {
    None,
    ZoomIn,
    ZoomOut,
    FitHeight,
    FitWidth,
    AlignLeft,
    AlignTop,
    AlignRight,
    AlignBottom,
    Centre,
    RotateLeft,
    RotateRight,
    Forward,
    Back,
    Shutter,
};

enum class ModeKind { File, Camera, Auto };

// A standard button picture of size with glyph drawn in area (empty: the whole button).
QPixmap GlyphButton(QSize size, Artwork::ButtonLook look, Glyph glyph, QRect area = QRect());
inline constexpr QSize kModeButtonSize(80, 26);
// A mode button (kModeButtonSize): its icon and name; selected is the look of the current mode's marker.
QPixmap ModeButton(ModeKind kind, Artwork::ButtonLook look, bool selected = false);
// The current mode's marker as drawn beforehand (at build time): ModeButton gives it from then on
// instead of drawing it. Pictures of another size are ignored.
void ProvideModeMarker(ModeKind kind, const QPixmap &marker);
// The background of the mode and mail panes.
QPixmap PaneBackground(QSize size);
// What the picture area shows behind the live camera view.
QPixmap PictureBack(QSize size);

} // namespace MainArtwork

// A picture button of the main window at place: the standard pictures with glyph in area, and the
// caption label (may be empty). name is its object name; accessibleName names a caption-less one;
// hint is its tooltip.
TLabeledBmpBtn *MakeMainButton(QWidget *parent, const char *name, const QRect &place, const QString &label,
                               MainArtwork::Glyph glyph = MainArtwork::Glyph::None,
                               const QRect &glyphArea = QRect(), const QString &accessibleName = QString(),
                               const QString &hint = QString());
