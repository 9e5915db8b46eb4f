#include "widgets/Artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QRadialGradient>

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

QImage ProgramIconImage(int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(side / 48.0, side / 48.0);
    p.setPen(QPen(kFrame, 2));
    p.setBrush(kBack);
    p.drawRoundedRect(QRectF(1, 1, 46, 46), 9, 9);
    // A handset whose screen shows a picture.
    p.setPen(Qt::NoPen);
    p.setBrush(kText);
    p.drawRoundedRect(QRectF(13, 5, 22, 38), 5, 5);
    p.setBrush(QColor(140, 205, 255));
    p.drawRect(QRectF(16, 10, 16, 18));
    p.setBrush(QColor(70, 160, 80));
    QPainterPath hill;
    hill.moveTo(16, 28);
    hill.lineTo(16, 22);
    hill.lineTo(22, 17);
    hill.lineTo(27, 22);
    hill.lineTo(32, 19);
    hill.lineTo(32, 28);
    hill.closeSubpath();
    p.drawPath(hill);
    p.setBrush(QColor(255, 200, 40));
    p.drawEllipse(QRectF(26, 11, 4, 4));
    p.setBrush(kBack);
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 3; ++col)
            p.drawRect(QRectF(17 + col * 5.5, 32 + row * 4.5, 3.5, 2.5));
    p.end();
    return image;
}

QIcon ProgramIcon()
{
    QIcon icon;
    for (const int side : {16, 32, 48})
        icon.addPixmap(QPixmap::fromImage(ProgramIconImage(side)));
    return icon;
}

static QPixmap drawButtonPicture(QSize size, ButtonLook look);

QPixmap ButtonPicture(QSize size, ButtonLook look)
{
    // Many buttons share a size: each picture is drawn once.
    const QString key = QStringLiteral("tavrin-button-%1x%2-%3").arg(size.width()).arg(size.height()).arg(int(look));
    QPixmap cached;
    if (QPixmapCache::find(key, &cached))
        return cached;
    const QPixmap pm = drawButtonPicture(size, look);
    QPixmapCache::insert(key, pm);
    return pm;
}

static QPixmap drawButtonPicture(QSize size, ButtonLook look)
{
    QPixmap pm(size);
    pm.fill(Qt::transparent);
    if (size.isEmpty())
        return pm;
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body = QRectF(0, 0, size.width(), size.height()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = qMin(4.0, size.height() / 4.0);

    QLinearGradient fill(0, 0, 0, size.height());
    QColor frame;
    switch (look) {
    case ButtonLook::Normal:
        fill.setColorAt(0, QColor(255, 251, 230));
        fill.setColorAt(0.5, QColor(255, 236, 170));
        fill.setColorAt(1, QColor(255, 210, 110));
        frame = kFrame;
        break;
    case ButtonLook::Down:
        fill.setColorAt(0, QColor(255, 176, 70));
        fill.setColorAt(0.6, QColor(255, 200, 110));
        fill.setColorAt(1, QColor(255, 222, 150));
        frame = QColor(214, 104, 0);
        break;
    case ButtonLook::Disable:
        fill.setColorAt(0, QColor(168, 158, 140));
        fill.setColorAt(1, QColor(146, 136, 118));
        frame = QColor(128, 118, 100);
        break;
    }
    p.setPen(QPen(frame, 1));
    p.setBrush(fill);
    p.drawRoundedRect(body, radius, radius);

    // A light edge on top of a raised button, a shade on top of a pressed one.
    const QRectF inner = body.adjusted(1.5, 1.5, -1.5, -1.5);
    if (inner.width() > 2 * radius && look != ButtonLook::Disable) {
        p.setPen(QPen(look == ButtonLook::Down ? QColor(190, 90, 0, 110) : QColor(255, 255, 255, 200), 1));
        p.drawLine(QPointF(inner.left() + radius, inner.top()), QPointF(inner.right() - radius, inner.top()));
    }
    return pm;
}

namespace {

void iconCanvas(QPainter &p, QPixmap &pm)
{
    pm = QPixmap(32, 32);
    pm.fill(Qt::transparent);
    p.begin(&pm);
    p.setRenderHint(QPainter::Antialiasing);
}

void roundBadge(QPainter &p, const QColor &color)
{
    QRadialGradient shade(QPointF(12, 10), 22);
    shade.setColorAt(0, color.lighter(135));
    shade.setColorAt(1, color);
    p.setPen(QPen(color.darker(140), 1.2));
    p.setBrush(shade);
    p.drawEllipse(QRectF(2, 2, 28, 28));
}

void badgeGlyph(QPainter &p, const QString &glyph, const QColor &color, qreal dy = 0)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(21);
    font.setBold(true);
    p.setFont(font);
    p.setPen(color);
    p.drawText(QRectF(0, dy, 32, 32), Qt::AlignCenter, glyph);
}

} // namespace

QPixmap MessageIcon(int kind)
{
    QPixmap pm;
    QPainter p;
    switch (kind) {
    case 16: { // error: a red disc with a cross
        iconCanvas(p, pm);
        roundBadge(p, QColor(206, 32, 40));
        p.setPen(QPen(Qt::white, 3.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(11, 11), QPointF(21, 21));
        p.drawLine(QPointF(21, 11), QPointF(11, 21));
        break;
    }
    case 32: // question: a green disc with a question mark
        iconCanvas(p, pm);
        roundBadge(p, QColor(46, 150, 84));
        badgeGlyph(p, QStringLiteral("?"), Qt::white);
        break;
    case 48: { // exclamation: an amber triangle with an exclamation mark
        iconCanvas(p, pm);
        QPainterPath tri;
        tri.moveTo(16, 2.5);
        tri.lineTo(30, 28.5);
        tri.lineTo(2, 28.5);
        tri.closeSubpath();
        QLinearGradient shade(0, 2, 0, 29);
        shade.setColorAt(0, QColor(255, 222, 90));
        shade.setColorAt(1, QColor(255, 176, 0));
        p.setPen(QPen(QColor(196, 110, 0), 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(shade);
        p.drawPath(tri);
        p.setPen(Qt::NoPen);
        p.setBrush(kText);
        p.drawRoundedRect(QRectF(14.2, 10, 3.6, 11), 1.8, 1.8);
        p.drawEllipse(QRectF(14, 22.5, 4, 4));
        break;
    }
    case 64: // information: a blue disc with an i
        iconCanvas(p, pm);
        roundBadge(p, QColor(40, 110, 210));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(14, 7, 4.4, 4.4));
        p.drawRoundedRect(QRectF(14.1, 13.5, 4.2, 12), 1.5, 1.5);
        break;
    default:
        return QPixmap();
    }
    p.end();
    return pm;
}

QPixmap MessageBoxLeft(int height)
{
    QPixmap pm(39, qMax(1, height));
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // A soft band down the left edge with a column of little dots.
    QLinearGradient band(0, 0, 39, 0);
    band.setColorAt(0, QColor(255, 205, 90));
    band.setColorAt(1, QColor(255, 205, 90, 0));
    p.fillRect(pm.rect(), band);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 246, 215, 200));
    for (int y = 44; y + 4 < height; y += 9)
        p.drawEllipse(QRectF(6, y, 4, 4));
    return pm;
}

QPixmap MessageBoxRight(QSize size)
{
    QPixmap pm(size);
    pm.fill(Qt::transparent);
    if (size.isEmpty())
        return pm;
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor mark(255, 238, 178);
    // Faint envelope and handset in the corner: light enough for the text to stay legible over them.
    p.setPen(QPen(mark, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QRectF env(size.width() - 92, 8, 58, 38);
    p.save();
    p.translate(env.center());
    p.rotate(-12);
    p.translate(-env.center());
    p.drawRoundedRect(env, 3, 3);
    p.drawLine(env.topLeft() + QPointF(2, 2), QPointF(env.center().x(), env.top() + 22));
    p.drawLine(env.topRight() + QPointF(-2, 2), QPointF(env.center().x(), env.top() + 22));
    p.restore();
    p.setPen(Qt::NoPen);
    p.setBrush(mark);
    const QRectF phone(size.width() - 28, 30, 20, size.height() - 36);
    p.drawRoundedRect(phone, 4, 4);
    p.setBrush(QColor(255, 228, 138));
    p.drawRect(phone.adjusted(3, 5, -3, -(phone.height() - 22)));
    return pm;
}

QImage ColourChart()
{
    constexpr int side = 192;
    constexpr int hueColumns = 168; // six segments of 28 columns; the rest fades into grey
    constexpr int segment = hueColumns / 6;
    constexpr int middle = 96;
    QImage chart(side, side, QImage::Format_RGB32);
    for (int x = 0; x < side; ++x) {
        int r = 0, g = 0, b = 0;
        if (x < hueColumns) {
            const int t = (x % segment) * 255 / segment;
            switch (x / segment) {
            case 0:
                r = 255, g = 0, b = t;
                break; // red to magenta
            case 1:
                r = 255 - t, g = 0, b = 255;
                break; // to blue
            case 2:
                r = 0, g = t, b = 255;
                break; // to cyan
            case 3:
                r = 0, g = 255, b = 255 - t;
                break; // to green
            case 4:
                r = t, g = 255, b = 0;
                break; // to yellow
            default:
                r = 255, g = 255 - t, b = 0;
                break; // back to red
            }
        } else {
            const int f = x - hueColumns + 1; // 1 .. 24: red into the middle grey
            const int steps = side - hueColumns;
            r = 255 - (255 - 128) * f / steps;
            g = 128 * f / steps;
            b = 128 * f / steps;
        }
        for (int y = 0; y < side; ++y) {
            const auto shade = [&](int c) {
                return y < middle ? 255 - (255 - c) * y / middle : c * (side - 1 - y) / (side - 1 - middle);
            };
            chart.setPixel(x, y, qRgb(shade(r), shade(g), shade(b)));
        }
    }
    return chart;
}

} // namespace Artwork
