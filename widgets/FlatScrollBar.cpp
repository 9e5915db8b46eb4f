#include "widgets/FlatScrollBar.h"

#include "widgets/Colors.h"
#include "widgets/SharedStyle.h"

#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionSlider>

#include <algorithm>

namespace {

constexpr int kExtent = 16; // thickness of the bar
constexpr int kButton = 15; // length of each arrow button
constexpr int kSliderMin = 12;
const QColor kGroove(255, 246, 215);
const QColor kHandle(255, 210, 110);
const QColor kButtonFace(255, 224, 120);

// Draws the bar and says where its parts are: the arrow buttons at the two ends, a framed groove
// between them and a framed handle inside the groove.
class FlatScrollStyle : public QProxyStyle
{
public:
    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
    {
        switch (metric) {
        case PM_ScrollBarExtent:
            return kExtent;
        case PM_ScrollBarSliderMin:
            return kSliderMin;
        default:
            return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl part,
                         const QWidget *widget) const override
    {
        const auto *bar = qstyleoption_cast<const QStyleOptionSlider *>(option);
        if (control != CC_ScrollBar || !bar)
            return QProxyStyle::subControlRect(control, option, part, widget);
        const bool vertical = bar->orientation == Qt::Vertical;
        const QRect r = bar->rect;
        const int length = vertical ? r.height() : r.width();
        // Along the bar: [start, end) mapped onto the rectangle.
        const auto span = [&](int start, int end) {
            end = std::max(start, end);
            return vertical ? QRect(r.left(), r.top() + start, r.width(), end - start)
                            : QRect(r.left() + start, r.top(), end - start, r.height());
        };
        const int button = std::min(kButton, length / 2);
        // The handle runs inside the groove's one-pixel frame.
        const int areaStart = button + 1;
        const int area = std::max(0, length - 2 * button - 2);
        const int range = bar->maximum - bar->minimum;
        int handle = area;
        if (range > 0)
            handle = int(qint64(area) * bar->pageStep / (qint64(range) + bar->pageStep));
        handle = std::min(area, std::max(handle, kSliderMin));
        const int at = areaStart
            + sliderPositionFromValue(bar->minimum, bar->maximum, bar->sliderPosition, area - handle,
                                      bar->upsideDown);
        switch (part) {
        case SC_ScrollBarSubLine:
            return span(0, button);
        case SC_ScrollBarAddLine:
            return span(length - button, length);
        case SC_ScrollBarGroove:
            return span(button, length - button);
        case SC_ScrollBarSlider:
            return span(at, at + handle)
                .adjusted(vertical ? 1 : 0, vertical ? 0 : 1, vertical ? -1 : 0, vertical ? 0 : -1);
        case SC_ScrollBarSubPage:
            return span(areaStart, at);
        case SC_ScrollBarAddPage:
            return span(at + handle, areaStart + area);
        default:
            return {};
        }
    }

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *p,
                            const QWidget *widget) const override
    {
        const auto *bar = qstyleoption_cast<const QStyleOptionSlider *>(option);
        if (control != CC_ScrollBar || !bar) {
            QProxyStyle::drawComplexControl(control, option, p, widget);
            return;
        }
        p->save();
        const auto framed = [p](const QRect &r, const QColor &fill) {
            if (r.isEmpty())
                return;
            p->setPen(Colors::Frame);
            p->setBrush(fill);
            p->drawRect(r.adjusted(0, 0, -1, -1));
        };
        framed(subControlRect(control, option, SC_ScrollBarGroove, widget), kGroove);
        if (bar->maximum > bar->minimum)
            framed(subControlRect(control, option, SC_ScrollBarSlider, widget), kHandle);
        const bool vertical = bar->orientation == Qt::Vertical;
        for (const auto part : {SC_ScrollBarSubLine, SC_ScrollBarAddLine}) {
            const QRect button = subControlRect(control, option, part, widget);
            p->setRenderHint(QPainter::Antialiasing, false);
            framed(button, kButtonFace);
            p->setRenderHint(QPainter::Antialiasing);
            // The arrows drawn here, so the bar needs no picture files.
            const QPointF c = QRectF(button).center();
            const qreal d = part == SC_ScrollBarSubLine ? -1 : 1;
            QPointF tri[3];
            if (vertical)
                tri[0] = {c.x() - 4, c.y() - 2 * d}, tri[1] = {c.x() + 4, c.y() - 2 * d},
                tri[2] = {c.x(), c.y() + 2.5 * d};
            else
                tri[0] = {c.x() - 2 * d, c.y() - 4}, tri[1] = {c.x() - 2 * d, c.y() + 4},
                tri[2] = {c.x() + 2.5 * d, c.y()};
            p->setPen(Qt::NoPen);
            p->setBrush((bar->state & State_Enabled) ? Colors::Text : QColor(160, 160, 160));
            p->drawPolygon(tri, 3);
        }
        p->restore();
    }
};

} // namespace

FlatScrollBar::FlatScrollBar(Qt::Orientation orientation, QWidget *parent)
    : QScrollBar(orientation, parent)
{
    setStyle(SharedStyle<FlatScrollStyle>());
}
