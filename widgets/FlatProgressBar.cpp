#include "widgets/FlatProgressBar.h"

#include "widgets/Colors.h"

#include <QPainter>

FlatProgressBar::FlatProgressBar(QWidget *parent)
    : QProgressBar(parent)
    , m_bar(Colors::Text)
    , m_border(Colors::Frame)
    , m_background(Qt::white)
{
    setTextVisible(false);
    setRange(0, 100);
    setValue(0);
}

void FlatProgressBar::SetBarColor(const QColor &color)
{
    m_bar = color;
    update();
}

void FlatProgressBar::SetBorderColor(const QColor &color)
{
    m_border = color;
    update();
}

void FlatProgressBar::SetBackgroundColor(const QColor &color)
{
    m_background = color;
    update();
}

QRect FlatProgressBar::BarRect() const
{
    const QRect inside = rect().adjusted(1, 1, -1, -1);
    const qint64 span = qint64(maximum()) - minimum();
    if (span <= 0 || inside.isEmpty())
        return {};
    const qint64 done = qBound<qint64>(0, qint64(value()) - minimum(), span);
    return {inside.left(), inside.top(), int(inside.width() * done / span), inside.height()};
}

void FlatProgressBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), m_background);
    p.fillRect(BarRect(), m_bar);
    p.setPen(m_border);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}
