#include "widgets/FlatCheckBox.h"

#include "widgets/Accessibility.h"
#include "widgets/Colors.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

FlatCheckBox::FlatCheckBox(QWidget *parent)
    : FlatCheckBox(QString(), parent)
{ }

FlatCheckBox::FlatCheckBox(const QString &text, QWidget *parent)
    : QCheckBox(text, parent)
    , m_box(Colors::Field)
    , m_mark(Colors::Text)
{
    InstallAccessibility();
}

void FlatCheckBox::SetColors(const QColor &box, const QColor &mark)
{
    m_box = box;
    m_mark = mark;
    update();
}

QSize FlatCheckBox::sizeHint() const
{
    const int textWidth = text().isEmpty() ? 0 : 4 + fontMetrics().horizontalAdvance(text());
    return {kBoxSize + textWidth, qMax(kBoxSize, fontMetrics().height())};
}

bool FlatCheckBox::hitButton(const QPoint &pos) const
{
    return rect().contains(pos);
}

void FlatCheckBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const bool enabled = isEnabled();
    const QRect box(0, (height() - kBoxSize) / 2, kBoxSize, kBoxSize);
    p.fillRect(box, m_box);
    p.setPen(enabled ? m_mark : QColor(160, 160, 160));
    p.drawRect(box.adjusted(0, 0, -1, -1));
    if (isChecked()) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(
            QPen(enabled ? m_mark : QColor(160, 160, 160), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const QPointF tick[] = {{box.left() + 3.0, box.top() + 6.5},
                                {box.left() + 5.5, box.top() + 9.5},
                                {box.left() + 10.0, box.top() + 3.5}};
        p.drawPolyline(tick, 3);
        p.setRenderHint(QPainter::Antialiasing, false);
    }
    if (!text().isEmpty()) {
        p.setPen(enabled ? palette().color(QPalette::WindowText) : QColor(128, 128, 128));
        p.drawText(QRect(kBoxSize + 4, 0, width() - kBoxSize - 4, height()), Qt::AlignLeft | Qt::AlignVCenter,
                   text());
    }
}

void FlatCheckBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    setFocus(Qt::MouseFocusReason);
    toggle();
    Q_EMIT clicked(isChecked());
    Q_EMIT mouseDown(event->button(), event->modifiers(), event->position().toPoint());
}

void FlatCheckBox::Click()
{
    if (!isEnabled())
        return;
    toggle();
    Q_EMIT clicked(isChecked());
    Q_EMIT mouseDown(Qt::LeftButton, Qt::NoModifier, rect().center());
}

void FlatCheckBox::keyReleaseEvent(QKeyEvent *event)
{
    // The space key clicks as a button does; the handlers wait for the mouse-down, so it is
    // reported too, else a keyboard tick would skip what a mouse tick runs.
    const bool before = isChecked();
    QCheckBox::keyReleaseEvent(event);
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat() && isChecked() != before)
        Q_EMIT mouseDown(Qt::LeftButton, Qt::NoModifier, rect().center());
}

void FlatCheckBox::mouseReleaseEvent(QMouseEvent *event)
{
    // Already toggled at the press.
    event->setAccepted(event->button() == Qt::LeftButton);
}

void FlatCheckBox::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
}
