#include "widgets/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void CentreOver(QWidget *window, const QWidget *over)
{
    QRect area;
    if (over && over != window && over->isVisible())
        area = over->frameGeometry();
    else if (QScreen *screen = QGuiApplication::primaryScreen())
        area = screen->geometry();
    (void)window->winId(); // the frame is known once the window exists
    const QSize outer = window->frameGeometry().size();
    window->move(area.x() + (area.width() - outer.width()) / 2,
                 area.y() + (area.height() - outer.height()) / 2);
}
