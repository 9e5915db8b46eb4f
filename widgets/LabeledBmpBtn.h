#pragma once

#include "widgets/BmpBtn.h"

#include <QColor>
#include <QList>
#include <QString>

// Where each line of a button caption goes: the top-left corner of the text, not of its shadow.
struct CaptionLine
{
    QString text;
    int x = 0;
    int y = 0;
    friend bool operator==(const CaptionLine &, const CaptionLine &) = default;
};

// Lays out a caption in a button of `size`: the two characters backslash and n break the line, the
// lines share the height evenly and each is centred; `offset` (0 or 1) shifts them right and down.
QList<CaptionLine> LayoutCaption(const QString &text, QSize size, const QFont &font, int offset);

// A picture button with a one- or two-line caption drawn over the picture with a light shadow. It
// can stay pressed ("held") to show a toggle state: with Hold a click leaves it held, the next
// click releases it; with HoldingKeep only the program releases it (SetHolding(false)).
class TLabeledBmpBtn : public TBmpBtn
{
    Q_OBJECT
public:
    static inline const QColor DefaultTextColor {128, 0, 128};

    explicit TLabeledBmpBtn(QWidget *parent = nullptr);

    const QString &LabelText() const { return m_labelText; }
    const QString &LabelHilite() const { return m_labelHilite; }
    const QColor &TextColor() const { return m_textColor; }
    const QColor &TextHilite() const { return m_textHilite; }
    bool Hold() const { return m_hold; }
    bool Holding() const { return m_holding; }
    bool HoldingKeep() const { return m_holdingKeep; }

    void SetLabelText(const QString &text);
    void SetLabelHilite(const QString &text);
    void SetTextColor(const QColor &color);
    void SetTextHilite(const QColor &color);
    void SetFont(const QFont &font);
    void SetHold(bool on);
    void SetHoldingKeep(bool on);
    // Holds or releases the button; nothing happens unless it is holdable.
    void SetHolding(bool on);

    // What is drawn now: the caption text (line breaks still as backslash-n), its colour, and the
    // pressed offset (1 while the pressed caption shows).
    const QString &ShownCaption() const { return m_caption; }
    const QColor &ShownCaptionColor() const { return m_captionColor; }
    int PressedOffset() const { return m_offset; }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool MousePressed() override;
    void MouseReleased() override;
    void UpdateLook() override;

private:
    QString m_labelText;
    QString m_labelHilite;
    QColor m_textColor = DefaultTextColor;
    QColor m_textHilite = Qt::black;
    bool m_hold = false;
    bool m_holding = false;
    bool m_holdingKeep = false;

    QString m_caption;
    QColor m_captionColor = DefaultTextColor;
    int m_offset = 0;
    // What the assistive technology was last told.
    QString m_announcedCaption;
    bool m_announcedHolding = false;
};

// A dialog's button: the standard pictures at the size of place, the dialog text colour, the caption.
TLabeledBmpBtn *MakeDialogButton(QWidget *parent, const char *name, const QString &label, const QRect &place);
