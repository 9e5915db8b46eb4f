#include "widgets/FlatScrollBar.h"

#include "widgets/Colors.h"

#include <QPainter>
#include <QStyleOptionSlider>

namespace {

const char kStyle[] = R"(
QScrollBar { background: rgb(255, 246, 215); border: 1px solid rgb(255, 138, 0); }
QScrollBar:vertical { width: 16px; margin: 15px 0px 15px 0px; }
QScrollBar:horizontal { height: 16px; margin: 0px 15px 0px 15px; }
QScrollBar::handle { background: rgb(255, 210, 110); border: 1px solid rgb(255, 138, 0); }
QScrollBar::handle:vertical { min-height: 12px; }
QScrollBar::handle:horizontal { min-width: 12px; }
QScrollBar::add-line, QScrollBar::sub-line {
    background: rgb(255, 224, 120); border: 1px solid rgb(255, 138, 0); subcontrol-origin: margin; }
QScrollBar::add-line:vertical { height: 15px; subcontrol-position: bottom; }
QScrollBar::sub-line:vertical { height: 15px; subcontrol-position: top; }
QScrollBar::add-line:horizontal { width: 15px; subcontrol-position: right; }
QScrollBar::sub-line:horizontal { width: 15px; subcontrol-position: left; }
QScrollBar::up-arrow, QScrollBar::down-arrow, QScrollBar::left-arrow, QScrollBar::right-arrow {
    width: 0px; height: 0px; image: none; }
QScrollBar::add-page, QScrollBar::sub-page { background: none; }
)";

} // namespace

TFlatScrollBar::TFlatScrollBar(Qt::Orientation orientation, QWidget *parent)
    : QScrollBar(orientation, parent)
{
    setStyleSheet(QLatin1String(kStyle));
}

void TFlatScrollBar::paintEvent(QPaintEvent *event)
{
    QScrollBar::paintEvent(event);
    // The arrows drawn here, so the bar needs no picture files.
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(isEnabled() ? Colors::Text : QColor(160, 160, 160));
    const bool vertical = orientation() == Qt::Vertical;
    for (const auto part : {QStyle::SC_ScrollBarSubLine, QStyle::SC_ScrollBarAddLine}) {
        const QPointF c = QRectF(style()->subControlRect(QStyle::CC_ScrollBar, &opt, part, this)).center();
        const qreal d = part == QStyle::SC_ScrollBarSubLine ? -1 : 1;
        QPointF tri[3];
        if (vertical)
            tri[0] = {c.x() - 4, c.y() - 2 * d}, tri[1] = {c.x() + 4, c.y() - 2 * d},
            tri[2] = {c.x(), c.y() + 2.5 * d};
        else
            tri[0] = {c.x() - 2 * d, c.y() - 4}, tri[1] = {c.x() - 2 * d, c.y() + 4},
            tri[2] = {c.x() + 2.5 * d, c.y()};
        p.drawPolygon(tri, 3);
    }
}
