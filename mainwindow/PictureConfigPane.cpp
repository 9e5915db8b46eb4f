#include "mainwindow/PictureConfigPane.h"

#include "mainwindow/MainArtwork.h"
#include "mainwindow/model/MainModel.h"
#include "picture/PictureCanvas.h"
#include "picture/PictureSettings.h"
#include "widgets/Accessibility.h"
#include "widgets/Colors.h"
#include "widgets/FlatComboBox.h"
#include "widgets/LabeledBmpBtn.h"

#include <QAbstractButton>
#include <QPainter>

using MainArtwork::Glyph;

// edtWidthMail, edtHeightMail: a number in a bordered field that opens the size dialog when clicked.
class SizeField : public QAbstractButton
{
public:
    SizeField(QWidget *parent, const char *name, const QString &label, const QRect &place)
        : QAbstractButton(parent)
        , m_label(label)
    {
        setObjectName(QLatin1String(name));
        setGeometry(place);
        setFocusPolicy(Qt::NoFocus);
    }

    void Show(const QString &value, const QColor &border, const QColor &text, bool enabled)
    {
        setText(value);
        m_border = border;
        m_textColor = text;
        setEnabled(enabled);
        setAccessibleName(m_label + QLatin1Char(' ') + value);
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        p.setPen(m_border);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        p.setPen(m_textColor);
        p.drawText(rect().adjusted(2, 0, -4, 0), Qt::AlignRight | Qt::AlignVCenter, text());
    }

private:
    QString m_label;
    QColor m_border;
    QColor m_textColor;
};

namespace {

QColor color(Rgb c)
{
    return QColor(c.r, c.g, c.b);
}

} // namespace

PictureConfigPane::PictureConfigPane(MainModel &model, QWidget *parent)
    : Pane("pnlPictureConfig", model, parent)
    , m_canvas(model.Canvas())
{
    lbSizeMail = new PaneLabel(this, "lbSizeMail", QStringLiteral("サイズ："), QPoint(8, 11));
    cbxSizeMail = new FlatComboBox(this);
    cbxSizeMail->setObjectName(QStringLiteral("cbxSizeMail"));
    cbxSizeMail->setGeometry(56, 8, 118, 20);
    cbxSizeMail->SetItems(PictureSettings::SizeItems());
    NameFromLabel(cbxSizeMail, lbSizeMail);
    connect(cbxSizeMail, &FlatComboBox::changed, this, &PictureConfigPane::cbxSizeMailChange);

    lbQualityMail = new PaneLabel(this, "lbQualityMail", QStringLiteral("画質："), QPoint(8, 39));
    cbxQualityMail = new FlatComboBox(this);
    cbxQualityMail->setObjectName(QStringLiteral("cbxQualityMail"));
    cbxQualityMail->setGeometry(56, 36, 118, 20);
    cbxQualityMail->SetItems(PictureSettings::QualityItems());
    NameFromLabel(cbxQualityMail, lbQualityMail);
    connect(cbxQualityMail, &FlatComboBox::changed, this, &PictureConfigPane::cbxQualityMailChange);

    lbWidthMail = new PaneLabel(this, "lbWidthMail", QStringLiteral("横："), QPoint(8, 67));
    edtWidthMail = new SizeField(this, "edtWidthMail", QStringLiteral("横"), QRect(32, 64, 52, 20));
    lbHeightMail = new PaneLabel(this, "lbHeightMail", QStringLiteral("縦："), QPoint(98, 67));
    edtHeightMail = new SizeField(this, "edtHeightMail", QStringLiteral("縦"), QRect(122, 64, 52, 20));
    for (QAbstractButton *field :
         {static_cast<QAbstractButton *>(edtWidthMail), static_cast<QAbstractButton *>(edtHeightMail)})
        connect(field, &QAbstractButton::clicked, this, &PictureConfigPane::edtWHMailClick);
    for (PaneLabel *label : {lbWidthMail, lbHeightMail})
        connect(label, &PaneLabel::clicked, this, &PictureConfigPane::edtWHMailClick);

    btnZoomUp = MakeMainButton(this, "btnZoomUp", QRect(8, 96, 32, 32), {}, Glyph::ZoomIn, {},
                               QStringLiteral("拡大"), QStringLiteral("拡大：ホイールかPageUpで微調整"));
    btnZoomDown = MakeMainButton(this, "btnZoomDown", QRect(44, 96, 32, 32), {}, Glyph::ZoomOut, {},
                                 QStringLiteral("縮小"), QStringLiteral("縮小：ホイールかPageDownで微調整"));
    btnResizeByHeight
        = MakeMainButton(this, "btnResizeByHeight", QRect(88, 96, 32, 32), {}, Glyph::FitHeight, {},
                         QStringLiteral("高さを合わせる"), QStringLiteral("高さを合わせる"));
    btnResizeByWidth = MakeMainButton(this, "btnResizeByWidth", QRect(124, 96, 32, 32), {}, Glyph::FitWidth,
                                      {}, QStringLiteral("幅を合わせる"), QStringLiteral("幅を合わせる"));
    btnRotateLeft = MakeMainButton(this, "btnRotateLeft", QRect(166, 96, 32, 32), {}, Glyph::RotateLeft, {},
                                   QStringLiteral("左９０°回転"), QStringLiteral("左９０°回転"));
    btnRotateRight = MakeMainButton(this, "btnRotateRight", QRect(202, 96, 32, 32), {}, Glyph::RotateRight,
                                    {}, QStringLiteral("右９０°回転"), QStringLiteral("右９０°回転"));
    btnFitTop = MakeMainButton(this, "btnFitTop", QRect(44, 136, 32, 28), {}, Glyph::AlignTop, {},
                               QStringLiteral("上寄せ"), QStringLiteral("上寄せ"));
    btnFitLeft = MakeMainButton(this, "btnFitLeft", QRect(8, 166, 32, 28), {}, Glyph::AlignLeft, {},
                                QStringLiteral("左寄せ"), QStringLiteral("左寄せ"));
    btnCentering = MakeMainButton(this, "btnCentering", QRect(44, 166, 32, 28), {}, Glyph::Centre, {},
                                  QStringLiteral("センタリング"), QStringLiteral("センタリング"));
    btnFitRight = MakeMainButton(this, "btnFitRight", QRect(80, 166, 32, 28), {}, Glyph::AlignRight, {},
                                 QStringLiteral("右寄せ"), QStringLiteral("右寄せ"));
    btnFitBottom = MakeMainButton(this, "btnFitBottom", QRect(44, 196, 32, 28), {}, Glyph::AlignBottom, {},
                                  QStringLiteral("下寄せ"), QStringLiteral("下寄せ"));
    btnCHengeBackColor = MakeMainButton(this, "btnCHengeBackColor", QRect(124, 150, 110, 40),
                                        QStringLiteral("背景色を\\n変更する"));
    btnCHengeBackColor->setToolTip(QStringLiteral("背景色を変更する"));
    pnlBackColorDisplay = new FlatPanel(this);
    pnlBackColorDisplay->setObjectName(QStringLiteral("pnlBackColorDisplay"));
    pnlBackColorDisplay->setGeometry(124, 196, 110, 26);
    pnlBackColorDisplay->SetBorderColor(Colors::Text);
    pnlBackColorDisplay->setAccessibleName(QStringLiteral("背景色"));

    OnButton(btnZoomUp, [this] { m_canvas.ZoomPicture(10); });
    OnButton(btnZoomDown, [this] { m_canvas.ZoomPicture(-10); });
    button(btnResizeByHeight, &PictureCanvas::ResizeByHeight);
    button(btnResizeByWidth, &PictureCanvas::ResizeByWidth);
    button(btnRotateLeft, &PictureCanvas::RotateLeft);
    button(btnRotateRight, &PictureCanvas::RotateRight);
    button(btnFitTop, &PictureCanvas::FitTop);
    button(btnFitLeft, &PictureCanvas::FitLeft);
    button(btnCentering, &PictureCanvas::Centering);
    button(btnFitRight, &PictureCanvas::FitRight);
    button(btnFitBottom, &PictureCanvas::FitBottom);
    button(btnCHengeBackColor, &PictureCanvas::ChooseBackgroundColor);

    connect(&m_canvas.Settings(), &PictureSettings::changed, this, &PictureConfigPane::Refresh);
    connect(&m_canvas, &PictureCanvas::backgroundChanged, this, &PictureConfigPane::Refresh);
    connect(&model.Recipient(), &RecipientModel::changed, this, &PictureConfigPane::Refresh);
    Refresh();
}

void PictureConfigPane::button(TLabeledBmpBtn *b, void (PictureCanvas::*operation)())
{
    OnButton(b, [this, operation] { (m_canvas.*operation)(); });
}

void PictureConfigPane::Refresh()
{
    const PictureSettings &settings = m_canvas.Settings();
    cbxSizeMail->SetItemIndex(settings.SizePreset());
    cbxQualityMail->SetItemIndex(settings.QualityLevel());
    const bool lists = m_model.Recipient().PictureListsEnabled();
    cbxSizeMail->setEnabled(lists);
    cbxQualityMail->setEnabled(lists);
    const bool user = settings.UserSizeEnabled();
    const QColor border = color(settings.UserSizeBorderColor());
    const QColor text = color(settings.UserSizeTextColor());
    edtWidthMail->Show(settings.WidthText(), border, text, user);
    edtHeightMail->Show(settings.HeightText(), border, text, user);
    lbWidthMail->setEnabled(user);
    lbHeightMail->setEnabled(user);
    pnlBackColorDisplay->SetColor(color(m_canvas.BackgroundColor()));
}

void PictureConfigPane::cbxSizeMailChange()
{
    m_model.PanelClick();
    m_canvas.Settings().SetSizePreset(cbxSizeMail->ItemIndex());
    m_canvas.SizePresetChanged(true, m_model.Recipient().CC().isEmpty());
}

void PictureConfigPane::cbxQualityMailChange()
{
    m_canvas.Settings().SetQualityLevel(cbxQualityMail->ItemIndex());
    m_canvas.QualityLevelChanged();
}

void PictureConfigPane::edtWHMailClick()
{
    m_model.PanelClick();
    if (m_canvas.Settings().UserSizeEnabled())
        m_canvas.AskUserSize();
}
