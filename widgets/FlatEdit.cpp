#include "widgets/FlatEdit.h"

#include "widgets/Colors.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QWheelEvent>

FlatEdit::FlatEdit(QWidget *parent)
    : QLineEdit(parent)
{
    setFrame(false);
    setTextMargins(1, 0, 1, 0);
    SetColors(Colors::Field, Colors::Text);
}

void FlatEdit::SetColors(const QColor &background, const QColor &text)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Base, background);
    pal.setColor(QPalette::Text, text);
    pal.setColor(QPalette::Disabled, QPalette::Base, background);
    pal.setColor(QPalette::Disabled, QPalette::Text, QColor(128, 128, 128));
    pal.setColor(QPalette::Highlight, Colors::Text);
    pal.setColor(QPalette::HighlightedText, Qt::white);
    setPalette(pal);
}

void FlatEdit::SetInputMethod(bool on)
{
    setAttribute(Qt::WA_InputMethodEnabled, on);
    setInputMethodHints(on ? Qt::ImhNone : Qt::ImhPreferLatin | Qt::ImhNoPredictiveText);
}

void FlatEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    if (m_autoSelect && event->reason() != Qt::MouseFocusReason)
        selectAll();
}

void FlatEdit::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QLineEdit::mousePressEvent(event);
}

void FlatEdit::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click
        = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    QLineEdit::mouseReleaseEvent(event);
    if (click)
        Q_EMIT clicked();
}

void FlatEdit::wheelEvent(QWheelEvent *event)
{
    Q_EMIT mouseWheel(event->angleDelta().y());
    QLineEdit::wheelEvent(event);
}
