#include "widgets/LabeledBmpBtn.h"

#include "widgets/Accessibility.h"
#include "widgets/Colors.h"

#include <QFontMetrics>
#include <QPainter>

QList<CaptionLine> LayoutCaption(const QString &text, QSize size, const QFont &font, int offset)
{
    const QFontMetrics fm(font);
    const QStringList lines
        = QString(text).replace(QLatin1String("\\n"), QLatin1String("\n")).split(QLatin1Char('\n'));
    const int n = int(lines.size());
    const int h = fm.height();
    // Integer arithmetic truncating toward zero, as the layouts were made with.
    const int gap = (size.height() - 4 - n * h) / (n + 1);
    const int step = h + gap;
    int y = (size.height() - 4 - n * step) / 2 + offset + gap / 2 + 2;
    QList<CaptionLine> out;
    for (const QString &line : lines) {
        const int x = (size.width() - fm.horizontalAdvance(line)) / 2 + offset;
        out.append({line, x, y});
        y += step;
    }
    return out;
}

TLabeledBmpBtn::TLabeledBmpBtn(QWidget *parent)
    : TBmpBtn(parent)
{
    UpdateLook();
}

void TLabeledBmpBtn::SetLabelText(const QString &text)
{
    m_labelText = text;
    UpdateLook();
}

void TLabeledBmpBtn::SetLabelHilite(const QString &text)
{
    m_labelHilite = text;
    UpdateLook();
}

void TLabeledBmpBtn::SetTextColor(const QColor &color)
{
    m_textColor = color;
    UpdateLook();
}

void TLabeledBmpBtn::SetTextHilite(const QColor &color)
{
    m_textHilite = color;
    UpdateLook();
}

void TLabeledBmpBtn::SetFont(const QFont &font)
{
    setFont(font);
    update();
}

void TLabeledBmpBtn::SetHold(bool on)
{
    m_hold = on;
    if (!on) {
        m_holding = false;
        m_holdingKeep = false;
    }
    UpdateLook();
}

void TLabeledBmpBtn::SetHoldingKeep(bool on)
{
    m_holdingKeep = on;
}

void TLabeledBmpBtn::SetHolding(bool on)
{
    if (!m_hold || m_holding == on)
        return;
    m_holding = on;
    UpdateLook();
}

void TLabeledBmpBtn::UpdateLook()
{
    // Held, or pressed and not yet released: the pressed picture and caption.
    const bool down = m_holding || Pressing();
    if (!isEnabled())
        Show(Picture::Disable);
    else
        Show(down ? Picture::Down : Picture::Normal);
    if (down) {
        m_caption = m_labelHilite.isEmpty() ? m_labelText : m_labelHilite;
        m_captionColor = m_textHilite;
        m_offset = 1;
    } else {
        m_caption = m_labelText;
        m_captionColor = m_textColor;
        m_offset = 0;
    }
    // The caption shown is the button's name, the held state its checked state.
    if (m_caption != m_announcedCaption) {
        m_announcedCaption = m_caption;
        NotifyAccessibleNameChanged(this);
    }
    if (m_holding != m_announcedHolding) {
        m_announcedHolding = m_holding;
        NotifyAccessibleCheckedChanged(this);
    }
}

bool TLabeledBmpBtn::MousePressed()
{
    if (m_holding && m_holdingKeep)
        return false; // stays as it is; the click still follows at the release
    if (m_holding) {
        // Released, but the look changes only at the release.
        m_holding = false;
        SetPressing(true);
    } else {
        SetPressing(true);
        if (m_hold)
            m_holding = true;
    }
    UpdateLook();
    return true;
}

void TLabeledBmpBtn::MouseReleased()
{
    SetPressing(false);
    UpdateLook();
}

void TLabeledBmpBtn::paintEvent(QPaintEvent *event)
{
    TBmpBtn::paintEvent(event);
    if (m_caption.isEmpty())
        return;
    QPainter p(this);
    p.setFont(font());
    const QFontMetrics fm(font());
    const bool enabled = isEnabled();
    for (const CaptionLine &line : LayoutCaption(m_caption, size(), font(), m_offset)) {
        // Shadow first, one pixel right and down: white, or silver alone on a disabled button.
        p.setPen(enabled ? QColor(255, 255, 255) : QColor(192, 192, 192));
        p.drawText(line.x + 1, line.y + 1 + fm.ascent(), line.text);
        if (enabled) {
            p.setPen(m_captionColor);
            p.drawText(line.x, line.y + fm.ascent(), line.text);
        }
    }
}

TLabeledBmpBtn *MakeDialogButton(QWidget *parent, const char *name, const QString &label, const QRect &place)
{
    auto *b = new TLabeledBmpBtn(parent);
    if (name)
        b->setObjectName(QLatin1String(name));
    b->SetStandardPictures(place.size());
    b->move(place.topLeft());
    b->SetTextColor(Colors::Text);
    b->SetLabelText(label);
    return b;
}
