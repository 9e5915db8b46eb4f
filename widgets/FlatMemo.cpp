#include "widgets/FlatMemo.h"

#include "widgets/Colors.h"
#include "widgets/FlatScrollBar.h"

#include <QWheelEvent>

FlatMemo::FlatMemo(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBar(new FlatScrollBar(Qt::Vertical, this));
    setHorizontalScrollBar(new FlatScrollBar(Qt::Horizontal, this));
    SetColors(Colors::Field, Colors::Text);
}

void FlatMemo::SetColors(const QColor &background, const QColor &text)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Base, background);
    pal.setColor(QPalette::Text, text);
    pal.setColor(QPalette::Disabled, QPalette::Base, background);
    pal.setColor(QPalette::Highlight, Colors::Text);
    pal.setColor(QPalette::HighlightedText, Qt::white);
    setPalette(pal);
}

void FlatMemo::wheelEvent(QWheelEvent *event)
{
    Q_EMIT mouseWheel(event->angleDelta().y());
    QPlainTextEdit::wheelEvent(event);
}
