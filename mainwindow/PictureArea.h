#pragma once

#include <QPixmap>
#include <QWidget>

class CameraModel;
class PictureCanvas;
class FrameView;

// The picture area of the main window: the bordered panel pnlImageBase around the frame view
// pnlImageDmy, which shows the framed picture (imgPhotoPreview at its placement, clipped), the
// background colour or the camera background imgPictureBack, and hosts the live camera view
// pnlCameraImage. It shows what the canvas holds and forwards the mouse and the keys to it.
class PictureArea : public QWidget
{
    Q_OBJECT
public:
    // With a camera, the camera host shows its live view.
    explicit PictureArea(PictureCanvas &canvas, CameraModel *camera = nullptr, QWidget *parent = nullptr);

    // imgPictureBack: shown behind the camera view in Camera and Auto mode.
    void SetPictureBackShown(bool shown);
    bool PictureBackShown() const { return m_pictureBackShown; }

    QWidget *FrameViewWidget() const;

    // Reads the canvas anew: geometry, visibility, picture, cursor.
    void Refresh();

Q_SIGNALS:
    // A click on the area (the popup list hides).
    void clicked();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    friend class FrameView;

    PictureCanvas &m_canvas;
    FrameView *pnlImageDmy = nullptr;
    QWidget *pnlCameraImage = nullptr;
    bool m_pictureBackShown = false;
};
