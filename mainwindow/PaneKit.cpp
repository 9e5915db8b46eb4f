#include "mainwindow/PaneKit.h"

#include "mainwindow/MainArtwork.h"
#include "widgets/Colors.h"

#include <QMetaMethod>
#include <QMouseEvent>

Pane::Pane(const char *name, QWidget *parent)
    : TFlatPanel(parent)
{
    setObjectName(QLatin1String(name));
    SetInputFrameColor(Colors::Frame);
}

void Pane::resizeEvent(QResizeEvent *event)
{
    SetBackgroundPicture(MainArtwork::PaneBackground(size()));
    TFlatPanel::resizeEvent(event);
}

PaneLabel::PaneLabel(QWidget *parent, const char *name, const QString &text, QPoint at)
    : QLabel(text, parent)
{
    setObjectName(QLatin1String(name));
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, Colors::Text);
    setPalette(pal);
    adjustSize();
    move(at);
}

void PaneLabel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton
        && isSignalConnected(QMetaMethod::fromSignal(&PaneLabel::clicked))) {
        Q_EMIT clicked();
        return;
    }
    QLabel::mousePressEvent(event);
}
