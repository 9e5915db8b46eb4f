#include "mainwindow/CameraView.h"

#include "mainwindow/model/CameraModel.h"
#include "picture/PictureCanvas.h"
#include "widgets/Accessibility.h"

#include <QPainter>

CameraView::CameraView(CameraModel &camera, PictureCanvas &canvas, QWidget *parent)
    : QWidget(parent)
    , m_camera(camera)
    , m_canvas(canvas)
{
    setObjectName(QStringLiteral("pnlCameraImage"));
    // A live picture: the role of an animation, which screen readers announce as such.
    SetAccessibleRole(this, QAccessible::Animation);
    setAccessibleName(QStringLiteral("カメラ映像"));
    setAttribute(Qt::WA_OpaquePaintEvent);

    connect(&m_camera, &CameraModel::previewFrame, this, &CameraView::showFrame);
    connect(&m_camera, &CameraModel::viewChanged, this, qOverload<>(&QWidget::update));
    connect(&m_camera, &CameraModel::stateChanged, this, qOverload<>(&QWidget::update));
    connect(&m_canvas, &PictureCanvas::frameChanged, this, &CameraView::followCanvas);
    connect(&m_canvas, &PictureCanvas::visibilityChanged, this, &CameraView::followCanvas);
    followCanvas();
}

void CameraView::followCanvas()
{
    setGeometry(m_canvas.CameraHostRect());
    setVisible(m_canvas.CameraHostShown());
}

void CameraView::showFrame(const Bitmap &frame)
{
    m_frame = frame;
    m_image = m_frame.isNull() ? QImage()
                               : QImage(std::as_const(m_frame).scanLine(0), m_frame.width(), m_frame.height(),
                                        m_frame.bytesPerLine(), QImage::Format_BGR888);
    update();
}

void CameraView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (m_image.isNull() || !m_camera.ViewShown())
        return;
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(m_camera.ViewRect(), m_image);
}
