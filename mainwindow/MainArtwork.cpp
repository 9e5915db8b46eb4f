#include "mainwindow/MainArtwork.h"

#include "widgets/Colors.h"
#include "widgets/LabeledBmpBtn.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QWidget>
#include <QtMath>

using Artwork::ButtonLook;

namespace MainArtwork {

namespace {

QColor inkFor(ButtonLook look)
{
    return look == ButtonLook::Disable ? QColor(200, 192, 176) : Colors::Text;
}

// An arrow head at tip pointing along (dx, dy).
void arrowHead(QPainter &p, QPointF tip, qreal dx, qreal dy, qreal size)
{
    const QPointF back(tip.x() - dx * size, tip.y() - dy * size);
    const QPointF side(-dy * size * 0.6, dx * size * 0.6);
    QPainterPath head;
    head.moveTo(tip);
    head.lineTo(back + side);
    head.lineTo(back - side);
    head.closeSubpath();
    p.fillPath(head, p.pen().color());
}

void magnifier(QPainter &p, const QRectF &r, bool plus)
{
    const qreal s = qMin(r.width(), r.height());
    const QPointF c(r.center().x() - s * 0.08, r.center().y() - s * 0.08);
    const qreal radius = s * 0.3;
    p.drawEllipse(c, radius, radius);
    p.drawLine(c + QPointF(radius * 0.72, radius * 0.72), c + QPointF(radius * 1.6, radius * 1.6));
    p.drawLine(c - QPointF(radius * 0.5, 0), c + QPointF(radius * 0.5, 0));
    if (plus)
        p.drawLine(c - QPointF(0, radius * 0.5), c + QPointF(0, radius * 0.5));
}

void rotateArrow(QPainter &p, const QRectF &r, bool left)
{
    const qreal s = qMin(r.width(), r.height()) * 0.62;
    const QRectF arc(r.center().x() - s / 2, r.center().y() - s / 2, s, s);
    // Three quarters of a circle, open at the top; the head shows the turn.
    p.drawArc(arc, left ? 60 * 16 : 120 * 16, left ? 270 * 16 : -270 * 16);
    const qreal angle = left ? 60.0 : 120.0;
    const QPointF tip(arc.center().x() + s / 2 * qCos(qDegreesToRadians(angle)),
                      arc.center().y() - s / 2 * qSin(qDegreesToRadians(angle)));
    arrowHead(p, tip + QPointF(left ? -1.5 : 1.5, 0), left ? -1 : 1, 0.2, s * 0.32);
}

void drawGlyph(QPainter &p, const QRectF &r, Glyph glyph)
{
    const qreal s = qMin(r.width(), r.height());
    const QPointF c = r.center();
    const qreal h = s * 0.32; // half the extent of the figures
    switch (glyph) {
    case Glyph::None:
        return;
    case Glyph::ZoomIn:
    case Glyph::ZoomOut:
        magnifier(p, r, glyph == Glyph::ZoomIn);
        return;
    case Glyph::FitHeight:
        p.drawLine(QPointF(c.x() - h, c.y() - h), QPointF(c.x() + h, c.y() - h));
        p.drawLine(QPointF(c.x() - h, c.y() + h), QPointF(c.x() + h, c.y() + h));
        p.drawLine(QPointF(c.x(), c.y() - h + 3), QPointF(c.x(), c.y() + h - 3));
        arrowHead(p, QPointF(c.x(), c.y() - h + 2), 0, -1, s * 0.16);
        arrowHead(p, QPointF(c.x(), c.y() + h - 2), 0, 1, s * 0.16);
        return;
    case Glyph::FitWidth:
        p.drawLine(QPointF(c.x() - h, c.y() - h), QPointF(c.x() - h, c.y() + h));
        p.drawLine(QPointF(c.x() + h, c.y() - h), QPointF(c.x() + h, c.y() + h));
        p.drawLine(QPointF(c.x() - h + 3, c.y()), QPointF(c.x() + h - 3, c.y()));
        arrowHead(p, QPointF(c.x() - h + 2, c.y()), -1, 0, s * 0.16);
        arrowHead(p, QPointF(c.x() + h - 2, c.y()), 1, 0, s * 0.16);
        return;
    case Glyph::AlignLeft:
    case Glyph::AlignRight:
    case Glyph::AlignTop:
    case Glyph::AlignBottom: {
        // A bar at the edge and an arrow pushing towards it.
        const bool horizontal = glyph == Glyph::AlignLeft || glyph == Glyph::AlignRight;
        const int dir = (glyph == Glyph::AlignLeft || glyph == Glyph::AlignTop) ? -1 : 1;
        if (horizontal) {
            const qreal x = c.x() + dir * h;
            p.drawLine(QPointF(x, c.y() - h), QPointF(x, c.y() + h));
            p.drawLine(QPointF(c.x() - dir * h, c.y()), QPointF(x - dir * 3, c.y()));
            arrowHead(p, QPointF(x - dir * 2, c.y()), dir, 0, s * 0.2);
        } else {
            const qreal y = c.y() + dir * h;
            p.drawLine(QPointF(c.x() - h, y), QPointF(c.x() + h, y));
            p.drawLine(QPointF(c.x(), c.y() - dir * h), QPointF(c.x(), y - dir * 3));
            arrowHead(p, QPointF(c.x(), y - dir * 2), 0, dir, s * 0.2);
        }
        return;
    }
    case Glyph::Centre:
        p.drawRect(QRectF(c.x() - h * 0.55, c.y() - h * 0.55, h * 1.1, h * 1.1));
        p.drawLine(QPointF(c.x() - h, c.y()), QPointF(c.x() - h * 0.55, c.y()));
        p.drawLine(QPointF(c.x() + h * 0.55, c.y()), QPointF(c.x() + h, c.y()));
        p.drawLine(QPointF(c.x(), c.y() - h), QPointF(c.x(), c.y() - h * 0.55));
        p.drawLine(QPointF(c.x(), c.y() + h * 0.55), QPointF(c.x(), c.y() + h));
        return;
    case Glyph::RotateLeft:
    case Glyph::RotateRight:
        rotateArrow(p, r, glyph == Glyph::RotateLeft);
        return;
    case Glyph::Forward:
    case Glyph::Back: {
        const int dir = glyph == Glyph::Forward ? 1 : -1;
        QPainterPath arrow;
        const qreal w = r.width() * 0.34, t = r.height() * 0.16;
        arrow.moveTo(c.x() - dir * w, c.y() - t);
        arrow.lineTo(c.x() + dir * w * 0.15, c.y() - t);
        arrow.lineTo(c.x() + dir * w * 0.15, c.y() - t * 2.4);
        arrow.lineTo(c.x() + dir * w, c.y());
        arrow.lineTo(c.x() + dir * w * 0.15, c.y() + t * 2.4);
        arrow.lineTo(c.x() + dir * w * 0.15, c.y() + t);
        arrow.lineTo(c.x() - dir * w, c.y() + t);
        arrow.closeSubpath();
        p.setBrush(p.pen().color());
        p.drawPath(arrow);
        return;
    }
    case Glyph::Shutter: {
        // A camera body with its lens.
        const QRectF body(c.x() - s * 0.42, c.y() - s * 0.24, s * 0.84, s * 0.52);
        p.drawRoundedRect(body, 4, 4);
        p.drawRect(QRectF(c.x() - s * 0.16, body.top() - s * 0.1, s * 0.26, s * 0.1));
        p.drawEllipse(QPointF(c.x(), body.center().y()), s * 0.16, s * 0.16);
        p.drawEllipse(QPointF(c.x(), body.center().y()), s * 0.07, s * 0.07);
        return;
    }
    }
}

void folderIcon(QPainter &p, const QRectF &r)
{
    QPainterPath f;
    f.moveTo(r.left(), r.top() + 3);
    f.lineTo(r.left() + r.width() * 0.4, r.top() + 3);
    f.lineTo(r.left() + r.width() * 0.5, r.top() + 5);
    f.lineTo(r.right(), r.top() + 5);
    f.lineTo(r.right(), r.bottom());
    f.lineTo(r.left(), r.bottom());
    f.closeSubpath();
    p.setBrush(QColor(255, 200, 60));
    p.drawPath(f);
    p.setBrush(Qt::NoBrush);
}

void cameraIcon(QPainter &p, const QRectF &r)
{
    p.setBrush(QColor(110, 110, 120));
    p.drawRoundedRect(QRectF(r.left(), r.top() + 3, r.width(), r.height() - 3), 2, 2);
    p.setBrush(QColor(160, 200, 240));
    p.drawEllipse(QPointF(r.center().x(), r.center().y() + 1.5), r.height() * 0.28, r.height() * 0.28);
    p.setBrush(Qt::NoBrush);
}

void clockIcon(QPainter &p, const QRectF &r)
{
    p.setBrush(Qt::white);
    p.drawEllipse(r);
    p.setBrush(Qt::NoBrush);
    p.drawLine(r.center(), QPointF(r.center().x(), r.top() + 3));
    p.drawLine(r.center(), QPointF(r.right() - 3.5, r.center().y()));
}

} // namespace

QPixmap GlyphButton(QSize size, ButtonLook look, Glyph glyph, QRect area)
{
    QPixmap pm = Artwork::ButtonPicture(size, look);
    if (glyph == Glyph::None)
        return pm;
    const QString key = QStringLiteral("tavrin-glyph-%1x%2-%3-%4-%5,%6,%7,%8")
                            .arg(size.width())
                            .arg(size.height())
                            .arg(int(look))
                            .arg(int(glyph))
                            .arg(area.x())
                            .arg(area.y())
                            .arg(area.width())
                            .arg(area.height());
    QPixmap cached;
    if (QPixmapCache::find(key, &cached))
        return cached;
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = area.isEmpty() ? QRectF(0, 0, size.width(), size.height()) : QRectF(area);
    // The glyph moves with the caption of a pressed button.
    const QPointF shift = look == ButtonLook::Down ? QPointF(1, 1) : QPointF(0, 0);
    p.setPen(QPen(inkFor(look), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    drawGlyph(p, r.translated(shift), glyph);
    p.end();
    QPixmapCache::insert(key, pm);
    return pm;
}

namespace {

// The markers given by ProvideModeMarker: kept for the run (the pixmap cache may drop its entries).
QPixmap &providedMarker(ModeKind kind)
{
    static QPixmap markers[3];
    return markers[int(kind)];
}

} // namespace

void ProvideModeMarker(ModeKind kind, const QPixmap &marker)
{
    if (marker.deviceIndependentSize().toSize() == kModeButtonSize)
        providedMarker(kind) = marker;
}

QPixmap ModeButton(ModeKind kind, ButtonLook look, bool selected)
{
    // Drawing the marker's bold name is the dearest picture of the window's start.
    if (selected && !providedMarker(kind).isNull())
        return providedMarker(kind);
    // The marker is set again with every change of the window's state: drawn once.
    const QString key = QStringLiteral("tavrin-mode-%1-%2-%3").arg(int(kind)).arg(int(look)).arg(selected);
    QPixmap cached;
    if (QPixmapCache::find(key, &cached))
        return cached;
    QPixmap pm = Artwork::ButtonPicture(kModeButtonSize, selected ? ButtonLook::Down : look);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = selected ? QColor(160, 0, 20) : inkFor(look);
    p.setPen(QPen(ink, 1.2));
    const QRectF icon(7, 6, 16, 13);
    QString name;
    switch (kind) {
    case ModeKind::File:
        folderIcon(p, icon);
        name = QStringLiteral("ファイル");
        break;
    case ModeKind::Camera:
        cameraIcon(p, icon);
        name = QStringLiteral("カメラ");
        break;
    case ModeKind::Auto:
        clockIcon(p, QRectF(8, 5, 15, 15));
        name = QStringLiteral("撮影予約");
        break;
    }
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(12);
    font.setBold(selected);
    p.setFont(font);
    p.setPen(ink);
    p.drawText(QRectF(26, 0, 52, 26), Qt::AlignCenter, name);
    if (selected) {
        // The marker's frame says "this mode" even to an eye that misses the colour.
        p.setPen(QPen(Colors::Frame, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(1, 1, 78, 24), 4, 4);
    }
    p.end();
    QPixmapCache::insert(key, pm);
    return pm;
}

QPixmap PaneBackground(QSize size)
{
    const QString key = QStringLiteral("tavrin-pane-%1x%2").arg(size.width()).arg(size.height());
    QPixmap pm;
    if (QPixmapCache::find(key, &pm))
        return pm;
    pm = QPixmap(size);
    QPainter p(&pm);
    QLinearGradient paper(0, 0, 0, size.height());
    paper.setColorAt(0, QColor(255, 252, 240));
    paper.setColorAt(1, QColor(255, 246, 222));
    p.fillRect(pm.rect(), paper);
    // A faint warm band along the top edge.
    p.fillRect(QRect(0, 0, size.width(), 3), QColor(255, 224, 120));
    p.end();
    QPixmapCache::insert(key, pm);
    return pm;
}

QPixmap PictureBack(QSize size)
{
    QPixmap pm(size);
    QPainter p(&pm);
    p.fillRect(pm.rect(), QColor(64, 60, 56));
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(96, 90, 84), 2));
    p.setBrush(Qt::NoBrush);
    // A camera outline in the middle: the view stays recognisable before the first frame.
    const QPointF c(size.width() / 2.0, size.height() / 2.0);
    p.drawRoundedRect(QRectF(c.x() - 30, c.y() - 18, 60, 38), 6, 6);
    p.drawEllipse(c + QPointF(0, 1), 12, 12);
    p.drawRect(QRectF(c.x() - 10, c.y() - 24, 16, 6));
    return pm;
}

} // namespace MainArtwork

TLabeledBmpBtn *MakeMainButton(QWidget *parent, const char *name, const QRect &place, const QString &label,
                               MainArtwork::Glyph glyph, const QRect &glyphArea,
                               const QString &accessibleName, const QString &hint)
{
    auto *b = new TLabeledBmpBtn(parent);
    b->setObjectName(QLatin1String(name));
    b->SetPictureSource(place.size(), [size = place.size(), glyph, glyphArea](TBmpBtn::Picture which) {
        return MainArtwork::GlyphButton(size, which, glyph, glyphArea);
    });
    b->move(place.topLeft());
    b->SetTextColor(Colors::Text);
    b->SetLabelText(label);
    if (!accessibleName.isEmpty())
        b->setAccessibleName(accessibleName);
    if (!hint.isEmpty())
        b->setToolTip(hint);
    return b;
}
