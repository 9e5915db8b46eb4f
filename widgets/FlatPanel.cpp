#include "widgets/FlatPanel.h"

#include "widgets/Accessibility.h"
#include "widgets/Colors.h"

#include <QChildEvent>
#include <QMouseEvent>
#include <QPainter>

FlatPanel::FlatPanel(QWidget *parent)
    : QWidget(parent)
    , m_color(Colors::Back)
{
    InstallAccessibility();
}

void FlatPanel::SetColor(const QColor &color)
{
    m_color = color;
    update();
}

void FlatPanel::SetBorderColor(const QColor &color)
{
    m_border = color;
    update();
}

void FlatPanel::SetInputFrameColor(const QColor &color)
{
    m_inputFrame = color;
    update();
}

void FlatPanel::SetBackgroundPicture(const QPixmap &picture)
{
    m_picture = picture;
    update();
}

bool FlatPanel::isInput(const QObject *child)
{
    for (const char *kind : {"FlatEdit", "FlatMemo", "FlatListBox", "FlatComboBox", "FlatCheckBox"})
        if (child->inherits(kind))
            return true;
    return false;
}

void FlatPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (m_picture.isNull())
        p.fillRect(rect(), m_color);
    else
        p.drawPixmap(rect(), m_picture);
    if (m_border.isValid()) {
        p.setPen(m_border);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    if (m_inputFrame.isValid()) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(m_inputFrame, 1));
        p.setBrush(Qt::NoBrush);
        for (const QObject *o : children()) {
            const auto *w = qobject_cast<const QWidget *>(o);
            if (w && !w->isHidden() && isInput(w)) {
                const QRectF r = QRectF(InputFrameRect(w->geometry())).adjusted(0.5, 0.5, -0.5, -0.5);
                p.drawRoundedRect(r, 3, 3);
            }
        }
    }
}

void FlatPanel::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QWidget::mousePressEvent(event);
}

void FlatPanel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click
        = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    QWidget::mouseReleaseEvent(event);
    if (click)
        Q_EMIT clicked();
}

void FlatPanel::childEvent(QChildEvent *event)
{
    QWidget::childEvent(event);
    // The input frames follow their controls around.
    if (event->added() && event->child()->isWidgetType())
        event->child()->installEventFilter(this);
    else if (event->removed())
        event->child()->removeEventFilter(this);
    update();
}

bool FlatPanel::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        if (m_inputFrame.isValid() && watched->parent() == this)
            update();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
