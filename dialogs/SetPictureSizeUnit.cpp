#include "dialogs/SetPictureSizeUnit.h"

#include "common/ApplicationTitle.h"
#include "common/Prompt.h"
#include "dialogs/DialogParts.h"
#include "widgets/Binding.h"
#include "widgets/Colors.h"
#include "widgets/DialogKeys.h"
#include "widgets/FlatEdit.h"
#include "widgets/FlatPanel.h"
#include "widgets/LabeledBmpBtn.h"
#include "widgets/WindowPlacement.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>

std::optional<int> ReadDecimal(const QString &text)
{
    qsizetype at = 0;
    while (at < text.size() && text[at] == QLatin1Char(' '))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == QLatin1Char('+') || text[at] == QLatin1Char('-'))) {
        negative = text[at] == QLatin1Char('-');
        ++at;
    }
    if (at == text.size())
        return std::nullopt;
    qint64 value = 0;
    for (; at < text.size(); ++at) {
        const char16_t c = text[at].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > qint64(INT_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX || value < INT_MIN)
        return std::nullopt;
    return int(value);
}

namespace {

FlatEdit *sizeField(QWidget *parent, const char *name, const QRect &place, QLabel *label)
{
    FlatEdit *edit = MakeField(parent, name, place, label);
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    edit->SetInputMethod(false);
    edit->SetAutoSelect(true);
    return edit;
}

} // namespace

TSetPictureSize::TSetPictureSize(Prompt &prompt, QWidget *parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowCloseButtonHint)
    , m_prompt(prompt)
{
    setWindowTitle(ApplicationTitle());
    setModal(true);
    setFixedSize(127, 88);

    pnlBase = new FlatPanel(this);
    pnlBase->setObjectName(QStringLiteral("pnlBase"));
    pnlBase->setGeometry(0, 0, 127, 88);
    pnlBase->SetInputFrameColor(Colors::Frame);

    lbWidth = MakeLabel(pnlBase, "lbWidth", QStringLiteral("横："), QPoint(12, 18));
    edtWidth = sizeField(pnlBase, "edtWidth", QRect(38, 16, 29, 17), lbWidth);
    lbHeight = MakeLabel(pnlBase, "lbHeight", QStringLiteral("縦："), QPoint(12, 55));
    edtHeight = sizeField(pnlBase, "edtHeight", QRect(38, 53, 29, 17), lbHeight);
    TextBinding::Bind(edtWidth, &m_width);
    TextBinding::Bind(edtHeight, &m_height);
    // The caption is only the program's name; this says what the dialog asks for.
    setAccessibleDescription(QStringLiteral("画像サイズの指定"));
    edtWidth->setText(QStringLiteral(" 240"));
    edtHeight->setText(QStringLiteral(" 320"));

    btnOk = MakeDialogButton(pnlBase, "btnOk", QStringLiteral("　決定"), QRect(75, 12, 44, 24));
    btnCancel = MakeDialogButton(pnlBase, "btnCancel", QStringLiteral("　中止"), QRect(75, 49, 44, 24));
    connect(btnOk, &TBmpBtn::clicked, this, &TSetPictureSize::btnOkClick);
    connect(btnCancel, &TBmpBtn::clicked, this, &TSetPictureSize::btnCancelClick);
}

void TSetPictureSize::Prepare(const QString &width, const QString &height)
{
    edtWidth->setText(width);
    edtHeight->setText(height);
    m_result = QSize(0, 0);

    CentreOver(this, QApplication::activeWindow());
    edtWidth->setFocus(Qt::OtherFocusReason);
}

QSize TSetPictureSize::Ask(const QString &width, const QString &height)
{
    Prepare(width, height);
    const QPointer<TSetPictureSize> self(this);
    exec();
    return self ? m_result : QSize(0, 0);
}

std::optional<int> TSetPictureSize::check(FlatEdit *field, int low, int high, const QString &rangeMessage)
{
    const std::optional<int> value = ReadDecimal(field == edtWidth ? m_width : m_height);
    if (!value) {
        m_prompt.ShowMessageBox(QStringLiteral("入力文字が不正です。"), Msg::IconExclamation, Msg::ButtonsOk);
        field->clear();
    } else if (*value > high || *value < low) {
        m_prompt.ShowMessageBox(rangeMessage, Msg::IconExclamation, Msg::ButtonsOk);
    } else {
        return value;
    }
    field->setFocus(Qt::OtherFocusReason);
    return std::nullopt;
}

void TSetPictureSize::btnOkClick()
{
    const std::optional<int> width
        = check(edtWidth, kMinWidth, kMaxWidth,
                QStringLiteral("画像の横幅は１２０－２４０ドットの間で指定して下さい。"));
    if (!width)
        return;
    const std::optional<int> height
        = check(edtHeight, kMinHeight, kMaxHeight,
                QStringLiteral("画像の高さは１２０－３２０ドットの間で指定して下さい。"));
    if (!height)
        return;
    m_result = QSize(*width, *height);
    accept();
}

void TSetPictureSize::keyPressEvent(QKeyEvent *event)
{
    // Enter in a field does what 決定 does.
    if (!TakeDialogKey(event, [this] { btnOkClick(); }))
        QDialog::keyPressEvent(event);
}

void TSetPictureSize::btnCancelClick()
{
    m_result = QSize(0, 0);
    reject();
}
