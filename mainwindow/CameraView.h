#pragma once

#include "common/Bitmap.h"

#include <QImage>
#include <QWidget>

class CameraModel;
class PictureCanvas;

// The camera host pnlCameraImage: shows the live picture of the camera model inside the frame view.
// Made as a child of the frame view's widget, it takes the host's place and visibility from the
// canvas and paints the latest preview frame stretched into the live view's rectangle; outside it,
// and while the live view is off, it is black.
class CameraView : public QWidget
{
    Q_OBJECT

public:
    CameraView(CameraModel &camera, PictureCanvas &canvas, QWidget *parent = nullptr);

    // The frame on show; null before the first.
    const Bitmap &Frame() const { return m_frame; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void followCanvas();
    void showFrame(const Bitmap &frame);

    CameraModel &m_camera;
    PictureCanvas &m_canvas;
    Bitmap m_frame;
    QImage m_image; // shares the frame's pixels
};
