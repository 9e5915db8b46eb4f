#pragma once

#include "common/Bitmap.h"
#include "picture/ConvertJpeg.h"
#include "picture/PictureSettings.h"

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// What the canvas asks the user through the program's small dialogs. Either may be left empty: the
// question is then taken as cancelled.
struct CanvasDialogs
{
    // The background colour chosen, starting from initial; nothing when cancelled.
    std::function<std::optional<Rgb>(Rgb initial)> PickColor;
    // A user picture size (width 120..240, height 120..320), starting from the texts of the width
    // and height fields; nothing when cancelled. A size outside those ranges counts as cancelled.
    std::function<std::optional<QSize>(const QString &width, const QString &height)> AskPictureSize;
};

// The picture area of the main window without its widgets: the frame view, the source picture and
// its placement in the frame view, the background colour, and the frame laid out for the picture
// parameters of the picture settings step (PictureSettings). The render into the JPEG file a
// recipient gets is mail/PictureRender.
//
// All geometry is in screen pixels of the frame view and integer arithmetic that truncates toward
// zero; the target size counts only in the zoom limits and at render time. The widgets show the
// state read from here and forward their events to the operations below; every change is announced
// by one of the signals.
class PictureCanvas : public QObject
{
    Q_OBJECT

public:
    enum class Cursor { Default, HandPoint };

    // The area the frame view is fitted into, and its distance from the window's client edges.
    static constexpr int AreaWidth = 240;
    static constexpr int AreaHeight = 320;
    static constexpr int AreaMargin = 8;
    // Larger pictures are refused: the geometry of their placement would leave 32-bit range.
    static constexpr int MaxPictureSide = 65535;

    // tmp.bmp and tmp.jpg are written in workFolder.
    explicit PictureCanvas(QString workFolder, CanvasDialogs dialogs = {}, QObject *parent = nullptr);

    // ---- Frame view

    // Sizes and places the frame view for a target of width x height (each taken as at least 1):
    // the target scaled to the largest size that fits 240 x 320, centred in that area. The
    // placement does not move; the camera host is centred again.
    void LayoutFrame(int width, int height);
    QSize FrameSize() const { return QSize(m_frameWidth, m_frameHeight); }
    // The bordered panel around the frame view, in the window's client coordinates: one pixel
    // larger than the frame view on every side.
    QRect FrameBaseRect() const { return m_baseRect; }
    // The frame view itself in the window's client coordinates: a wheel position minus its top-left
    // corner is what MouseWheel takes.
    QRect FrameViewRect() const { return m_baseRect.adjusted(1, 1, -1, -1); }

    // The live camera view: centred in the frame view (offsets may be negative), in frame-view
    // coordinates.
    void PlaceCameraHost(QSize size);
    QRect CameraHostRect() const;
    void SetCameraHostShown(bool shown);
    bool CameraHostShown() const { return m_cameraHostShown; }

    // The picture area reacts to the mouse and the wheel only while enabled (the picture settings
    // step).
    void SetEnabled(bool enabled);
    bool IsEnabled() const { return m_enabled; }

    // ---- Source picture

    // A name ending exactly in ".bmp" (letter case counts) is read as a Windows bitmap, anything else
    // as a JPEG file carrying "Exif" or "JFIF" at offset 6. On success the picture gets its first
    // placement (240 wide, centred in the 240 x 320 area whatever the frame view), is shown and the
    // camera host hidden. False, with nothing changed, when the file is no such picture.
    bool LoadPicture(const QString &path);
    // The same for a picture already in memory.
    bool SetPicture(const Bitmap &picture);
    // A camera still: loaded like LoadPicture, but placed where the camera host is.
    bool LoadCameraPicture(const QString &path);
    bool HasPicture() const { return !m_picture.isNull(); }
    const Bitmap &Picture() const { return m_picture; }
    void SetPictureShown(bool shown);
    bool PictureShown() const { return m_pictureShown; }

    // ---- Placement (left, top, width, height in the frame view; may reach beyond it)

    QRect Placement() const { return QRect(m_left, m_top, m_width, m_height); }
    void SetPlacement(const QRect &placement);
    // Target pixels per source pixel in percent, across and down.
    int ZoomLevel() const;
    int VerticalZoomLevel() const;

    // Zooms about the placement's centre by step percent of the picture's pixel width (at least one
    // pixel), not below a tenth of the target size and clamped at exactly 300 %. False, with nothing
    // changed, when refused; ZoomRefused tells the outcome of the last zoom.
    bool ZoomPicture(int step);
    bool ZoomRefused() const { return m_zoomRefused; }

    // Fit the picture to the frame's height or width, centred across the other way.
    void ResizeByHeight();
    void ResizeByWidth();
    // Move the placement against a frame edge or to the centre; the size stays.
    void FitLeft();
    void FitTop();
    void FitRight();
    void FitBottom();
    void Centering();
    // Turn the picture and its placement by a quarter about (120, 160), the centre of the 240 x 320
    // area. busyChanged brackets the copying of the pixels.
    void RotateLeft() { RotatePicture(-90); }
    void RotateRight() { RotatePicture(90); }
    void RotatePicture(int angle);

    // ---- Pointer and keys

    // Points are on the placement (0, 0 is its top-left corner). Button down with Alt picks the
    // background colour from the picture; without Alt it starts a drag.
    void PictureMouseDown(QPoint point, bool alt);
    // Drags the placement, or sets the pointer's cursor (the hand while Alt is held).
    void PictureMouseMove(QPoint point, bool alt);
    // Ends a drag; a picture dropped entirely outside the frame view comes back to its edge.
    void PictureMouseUp();
    bool Dragging() const { return m_dragging; }
    QPoint DragOrigin() const { return m_dragOrigin; }
    Cursor PointerCursor() const { return m_cursor; }

    // A wheel turn at point in frame-view coordinates: zooms by one step when the picture shows,
    // the area is enabled and the point lies on the frame view (edges included). True when handled.
    bool MouseWheel(QPoint point, int delta);
    // Page Up and Page Down zoom by one step, keypad 8, 2, 4 and 6 move the placement by one pixel
    // (without the snap of a drop). True when the key is one of them. The caller forwards keys only
    // while the picture settings show.
    bool KeyDown(int key, Qt::KeyboardModifiers modifiers);

    // ---- Background colour

    Rgb BackgroundColor() const { return m_background; }
    void SetBackgroundColor(Rgb color);
    // Asks with PickColor; cancelling changes nothing.
    void ChooseBackgroundColor();

    // ---- Picture parameters

    // The step's picture parameters; the frame is laid out for them by the operations below.
    PictureSettings &Settings() { return m_settings; }
    const PictureSettings &Settings() const { return m_settings; }

    // The size list's change: fromList when the user chose the item (user size then asks for the
    // size first), false when the picture settings step is entered. ccListEmpty: no further
    // recipient is listed.
    void SizePresetChanged(bool fromList, bool ccListEmpty);
    // A click on the width or height field: asks for a user size and lays the frame out for it.
    void AskUserSize();
    // The quality list's change: the focus goes back to the picture area.
    void QualityLevelChanged();

    // ---- Render

    // Bits per pixel of the screen; below 24 the frame goes out in 15-bit colour. 24 at start.
    void SetScreenDepth(int bits) { m_screenDepth = bits; }
    int ScreenDepth() const { return m_screenDepth; }

    // The frame as it shows: FW x FH of background colour with the visible part of the picture
    // stretched to the placement, 24-bit.
    Bitmap ComposeFrame() const;
    // Where the render step writes the frame and the picture (see mail/PictureRender.h).
    QString TmpBmpPath() const;
    QString TmpJpgPath() const;

Q_SIGNALS:
    void frameChanged(); // frame view size and place, camera host place
    void visibilityChanged(); // enabled, picture and camera host shown
    void pictureChanged();
    void placementChanged();
    void backgroundChanged();
    void cursorChanged();
    void busyChanged(bool busy);
    void focusRequested(); // the picture area is to take the keyboard focus

private:
    void setPlacement(qint64 left, qint64 top, qint64 width, qint64 height);
    void adoptPicture(const Bitmap &picture);
    std::optional<Bitmap> readPicture(const QString &path) const;

    QString m_workFolder;
    CanvasDialogs m_dialogs;

    int m_frameWidth = AreaWidth;
    int m_frameHeight = AreaHeight;
    QRect m_baseRect;
    QSize m_cameraHostSize;
    bool m_cameraHostShown = false;
    bool m_enabled = false;

    Bitmap m_picture;
    bool m_pictureShown = true;
    int m_left = 0;
    int m_top = 0;
    int m_width = 0;
    int m_height = 0;
    bool m_zoomRefused = false;

    bool m_dragging = false;
    QPoint m_dragOrigin;
    Cursor m_cursor = Cursor::Default;

    Rgb m_background {255, 255, 255};

    PictureSettings m_settings;

    int m_screenDepth = 24;

    // The whole picture stretched to the placement's size, kept while that is small enough, so that
    // redrawing during a drag only copies.
    mutable Bitmap m_stretched;
};
