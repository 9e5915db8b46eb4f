#include "mainwindow/PaneKit.h"

#include "mainwindow/MainArtwork.h"
#include "mainwindow/model/MainModel.h"
#include "widgets/BmpBtn.h"
#include "widgets/Colors.h"

#include <QMetaMethod>
#include <QMouseEvent>

Pane::Pane(const char *name, MainModel &model, QWidget *parent)
    : FlatPanel(parent)
    , m_model(model)
{
    setObjectName(QLatin1String(name));
    SetInputFrameColor(Colors::Frame);
    connect(this, &FlatPanel::clicked, &model, &MainModel::PanelClick);
}

void Pane::OnButton(TBmpBtn *button, std::function<void()> action, bool atPress)
{
    const auto run = [model = &m_model, action = std::move(action)] {
        model->PanelClick();
        action();
    };
    if (atPress)
        connect(button, &TBmpBtn::mouseDown, this, run);
    else
        connect(button, &TBmpBtn::clicked, this, run);
}

void Pane::resizeEvent(QResizeEvent *event)
{
    SetBackgroundPicture(MainArtwork::PaneBackground(size()));
    FlatPanel::resizeEvent(event);
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
