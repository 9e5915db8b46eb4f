#include "mainwindow/PictureArea.h"

#include "mainwindow/CameraView.h"
#include "mainwindow/MainArtwork.h"
#include "picture/PictureCanvas.h"
#include "widgets/Accessibility.h"
#include "widgets/Colors.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

// pnlImageDmy: paints the frame and takes the mouse on the picture.
class FrameView : public QWidget
{
public:
    FrameView(PictureArea &area, PictureCanvas &canvas)
        : QWidget(&area)
        , m_area(area)
        , m_canvas(canvas)
    {
        setObjectName(QStringLiteral("pnlImageDmy"));
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent);
        SetAccessibleRole(this, QAccessible::Graphic);
        setAccessibleName(QStringLiteral("送る画像"));
        setAccessibleDescription(QStringLiteral(
            "送信する画像の枠。ドラッグで画像を動かし、Altを押しながらクリックで背景色を選びます。"));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const Bitmap frame = m_canvas.ComposeFrame();
        const QImage image(frame.scanLine(0), frame.width(), frame.height(), frame.bytesPerLine(),
                           QImage::Format_BGR888);
        if (!m_area.m_pictureBackShown) {
            p.drawImage(0, 0, image);
            return;
        }
        if (m_back.size() != size())
            m_back = MainArtwork::PictureBack(size());
        p.drawPixmap(0, 0, m_back);
        // Only the picture itself covers the camera background.
        if (m_canvas.HasPicture() && m_canvas.PictureShown()) {
            const QRect visible = m_canvas.Placement() & rect();
            if (!visible.isEmpty())
                p.drawImage(visible.topLeft(), image, visible);
        }
    }

    void mousePressEvent(QMouseEvent *event) override
    {
        Q_EMIT m_area.clicked();
        if (event->button() != Qt::LeftButton || !onPicture(event->position().toPoint()))
            return;
        m_pressed = true;
        m_canvas.PictureMouseDown(toPlacement(event), event->modifiers().testFlag(Qt::AltModifier));
        // The eyedropper changes the colour behind the picture: the whole area repaints.
        update();
    }

    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (m_canvas.Dragging() || onPicture(event->position().toPoint()))
            m_canvas.PictureMouseMove(toPlacement(event), event->modifiers().testFlag(Qt::AltModifier));
        else if (m_canvas.PointerCursor() != PictureCanvas::Cursor::Default)
            m_canvas.PictureMouseMove(toPlacement(event), false);
    }

    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() != Qt::LeftButton || !m_pressed)
            return;
        m_pressed = false;
        m_canvas.PictureMouseUp();
    }

private:
    bool onPicture(QPoint pos) const
    {
        return m_canvas.HasPicture() && m_canvas.PictureShown() && m_canvas.Placement().contains(pos);
    }
    QPoint toPlacement(QMouseEvent *event) const
    {
        return event->position().toPoint() - m_canvas.Placement().topLeft();
    }

    PictureArea &m_area;
    PictureCanvas &m_canvas;
    QPixmap m_back;
    bool m_pressed = false;
};

PictureArea::PictureArea(PictureCanvas &canvas, CameraModel *camera, QWidget *parent)
    : QWidget(parent)
    , m_canvas(canvas)
{
    setObjectName(QStringLiteral("pnlImageBase"));
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("画像エリア"));
    pnlImageDmy = new FrameView(*this, canvas);
    if (camera) {
        pnlCameraImage = new CameraView(*camera, canvas, pnlImageDmy);
    } else {
        pnlCameraImage = new QWidget(pnlImageDmy);
        pnlCameraImage->setObjectName(QStringLiteral("pnlCameraImage"));
        pnlCameraImage->hide();
    }

    const auto repaint = [this] {
        pnlImageDmy->update();
    };
    connect(&canvas, &PictureCanvas::frameChanged, this, &PictureArea::Refresh);
    connect(&canvas, &PictureCanvas::visibilityChanged, this, &PictureArea::Refresh);
    connect(&canvas, &PictureCanvas::pictureChanged, this, repaint);
    connect(&canvas, &PictureCanvas::placementChanged, this, repaint);
    connect(&canvas, &PictureCanvas::backgroundChanged, this, repaint);
    connect(&canvas, &PictureCanvas::cursorChanged, this, [this] {
        pnlImageDmy->setCursor(m_canvas.PointerCursor() == PictureCanvas::Cursor::HandPoint
                                   ? Qt::PointingHandCursor
                                   : Qt::ArrowCursor);
    });
    connect(&canvas, &PictureCanvas::busyChanged, this, [this](bool busy) {
        if (busy)
            setCursor(Qt::WaitCursor);
        else
            unsetCursor();
    });
    connect(&canvas, &PictureCanvas::focusRequested, this, [this] { setFocus(Qt::OtherFocusReason); });
    Refresh();
}

QWidget *PictureArea::FrameViewWidget() const
{
    return pnlImageDmy;
}

void PictureArea::SetPictureBackShown(bool shown)
{
    if (m_pictureBackShown == shown)
        return;
    m_pictureBackShown = shown;
    pnlImageDmy->update();
}

void PictureArea::Refresh()
{
    setGeometry(m_canvas.FrameBaseRect());
    pnlImageDmy->setGeometry(1, 1, m_canvas.FrameSize().width(), m_canvas.FrameSize().height());
    pnlCameraImage->setGeometry(m_canvas.CameraHostRect());
    pnlCameraImage->setVisible(m_canvas.CameraHostShown());
    setEnabled(m_canvas.IsEnabled());
    pnlImageDmy->update();
}

void PictureArea::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setPen(Colors::Text);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void PictureArea::mousePressEvent(QMouseEvent *event)
{
    Q_EMIT clicked();
    QWidget::mousePressEvent(event);
}

void PictureArea::keyPressEvent(QKeyEvent *event)
{
    if (m_canvas.IsEnabled() && m_canvas.KeyDown(event->key(), event->modifiers()))
        return;
    QWidget::keyPressEvent(event);
}
