#include "widgets/Artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace Artwork {

namespace {
const QColor kText(127, 0, 30);
const QColor kFrame(255, 138, 0);
const QColor kBack(255, 224, 120);
} // namespace

QPixmap Logo()
{
    QPixmap pm(128, 128);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);

    // Warm tile behind the pictures.
    QLinearGradient tile(0, 6, 0, 104);
    tile.setColorAt(0, kBack.lighter(108));
    tile.setColorAt(1, QColor(255, 186, 70));
    p.setPen(QPen(kFrame, 2));
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(6, 6, 116, 98), 12, 12);

    // The handset: a dark body with a screen that shows a little landscape.
    p.setPen(Qt::NoPen);
    p.setBrush(kText);
    p.drawRoundedRect(QRectF(18, 16, 40, 78), 7, 7);
    p.setBrush(QColor(230, 60, 80));
    p.drawEllipse(QRectF(34, 20, 8, 3));
    const QRectF screen(23, 26, 30, 38);
    QLinearGradient sky(0, screen.top(), 0, screen.bottom());
    sky.setColorAt(0, QColor(140, 205, 255));
    sky.setColorAt(1, QColor(230, 245, 255));
    p.setBrush(sky);
    p.drawRect(screen);
    p.setBrush(QColor(255, 200, 40));
    p.drawEllipse(QRectF(41, 30, 8, 8));
    QPainterPath hill;
    hill.moveTo(screen.left(), screen.bottom());
    hill.lineTo(screen.left(), 52);
    hill.lineTo(33, 44);
    hill.lineTo(41, 53);
    hill.lineTo(46, 49);
    hill.lineTo(screen.right(), 56);
    hill.lineTo(screen.right(), screen.bottom());
    hill.closeSubpath();
    p.setBrush(QColor(70, 160, 80));
    p.drawPath(hill);
    p.setBrush(QColor(255, 224, 120));
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            p.drawRoundedRect(QRectF(25 + col * 9, 69 + row * 7, 6, 4), 1.5, 1.5);

    // The camera beside it.
    p.setBrush(QColor(90, 90, 100));
    p.drawRoundedRect(QRectF(66, 34, 46, 32), 5, 5);
    p.drawRect(QRectF(74, 29, 14, 6));
    p.setBrush(QColor(40, 40, 48));
    p.drawEllipse(QPointF(89, 50), 12, 12);
    p.setBrush(QColor(120, 170, 230));
    p.drawEllipse(QPointF(89, 50), 7, 7);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(86, 47), 2.2, 2.2);
    p.setBrush(kFrame);
    p.drawEllipse(QRectF(104, 37, 5, 4));

    // The envelope the picture travels in, tucked under the camera.
    p.setPen(QPen(kText, 1.5));
    p.setBrush(Qt::white);
    const QRectF env(70, 70, 30, 18);
    p.drawRect(env);
    p.drawLine(env.topLeft(), QPointF(env.center().x(), env.top() + 10));
    p.drawLine(env.topRight(), QPointF(env.center().x(), env.top() + 10));

    // The name.
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(15);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(1, 105, 128, 22), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral(" タブリン"));
    p.setPen(kText);
    p.drawText(QRectF(0, 104, 128, 22), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral(" タブリン"));
    return pm;
}

} // namespace Artwork
