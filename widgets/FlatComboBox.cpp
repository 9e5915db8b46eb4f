#include "widgets/FlatComboBox.h"

#include "widgets/Accessibility.h"
#include "widgets/Colors.h"
#include "widgets/SharedStyle.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionComboBox>

namespace {

constexpr int kButtonWidth = 15;

// Where the parts of a flat drop-down list are; paintEvent draws them.
class FlatComboStyle : public QProxyStyle
{
public:
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl part,
                         const QWidget *widget) const override
    {
        if (control != CC_ComboBox)
            return QProxyStyle::subControlRect(control, option, part, widget);
        const QRect r = option->rect;
        switch (part) {
        case SC_ComboBoxArrow:
            return QRect(r.right() - kButtonWidth + 1, r.top(), kButtonWidth, r.height());
        case SC_ComboBoxEditField:
            return QRect(r.left() + 2, r.top(), r.width() - kButtonWidth - 2, r.height());
        default:
            return r;
        }
    }
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        // The toolkit's own drop-down list is never shown: nothing to prepare for it.
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
    {
        if (metric == PM_ComboBoxFrameWidth)
            return 0;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

} // namespace

FlatComboBox::FlatComboBox(QWidget *parent)
    : QComboBox(parent)
{
    setFrame(false);
    setFocusPolicy(Qt::StrongFocus);
    setStyle(SharedStyle<FlatComboStyle>());
    SetColors(Colors::Field, Colors::Text);
    // A selection moved by the keys or the wheel is a pick like one from the list window.
    connect(this, &QComboBox::activated, this, &FlatComboBox::changed);
    connect(this, &QComboBox::currentIndexChanged, this, &FlatComboBox::selectForAccessibility);
    InstallAccessibility();
    m_constructing = false;
}

void FlatComboBox::changeEvent(QEvent *event)
{
    // The style set in the constructor: the toolkit would build its own drop-down list to restyle
    // it, a list this one never shows (it is built, styled, when it is first asked for).
    if (m_constructing && event->type() == QEvent::StyleChange) {
        QWidget::changeEvent(event);
        return;
    }
    QComboBox::changeEvent(event);
}

void FlatComboBox::SetEditable(bool editable)
{
    if (editable && !lineEdit()) {
        // A line edit with a completer of its own keeps Qt from building its default one over the
        // list, only for it to be taken away below (the field owns and drops it).
        auto *field = new QLineEdit(this);
        field->setPalette(palette());
        field->setCompleter(new QCompleter(field));
        setLineEdit(field);
    } else {
        setEditable(editable);
    }
    QLineEdit *edit = lineEdit();
    if (!edit)
        return;
    // What the user types stays what was typed: no inline completion, no new item on Enter, and
    // no silent pick of a matching item when the field loses the focus.
    setCompleter(nullptr);
    setInsertPolicy(QComboBox::NoInsert);
    disconnect(edit, &QLineEdit::returnPressed, this, nullptr);
    disconnect(edit, &QLineEdit::editingFinished, this, nullptr);
    // Paste from the context menu is a route into the field like any other.
    edit->setContextMenuPolicy(Qt::DefaultContextMenu);
    edit->setPalette(palette());
}

void FlatComboBox::keyPressEvent(QKeyEvent *event)
{
    if (lineEdit() && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        event->accept();
        Q_EMIT entered();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void FlatComboBox::selectForAccessibility(int index)
{
    // The toolkit's item view is never shown, so it does not follow the current item by itself;
    // assistive technology reads the selected item from it. Made only once somebody listens.
    if (!QAccessible::isActive() && !m_viewMade)
        return;
    m_viewMade = true;
    QAbstractItemView *items = view();
    if (!items || !items->selectionModel())
        return;
    const QModelIndex at = model()->index(index, modelColumn(), rootModelIndex());
    if (at.isValid())
        items->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect);
    else
        items->selectionModel()->clear();
}

void FlatComboBox::SetColors(const QColor &background, const QColor &text)
{
    m_background = background;
    m_text = text;
    QPalette pal = palette();
    pal.setColor(QPalette::Base, background);
    pal.setColor(QPalette::Text, text);
    pal.setColor(QPalette::ButtonText, text);
    pal.setColor(QPalette::WindowText, text);
    setPalette(pal);
    if (lineEdit())
        lineEdit()->setPalette(pal);
    update();
}

QStringList FlatComboBox::Items() const
{
    QStringList out;
    for (int i = 0; i < count(); ++i)
        out << itemText(i);
    return out;
}

void FlatComboBox::SetItems(const QStringList &items)
{
    const QSignalBlocker quiet(this);
    // Refilling the items leaves the text as it was: the edit field's passing changes are nobody's.
    const QSignalBlocker quietEdit(lineEdit());
    const QString text = currentText();
    clear();
    addItems(items);
    if (isEditable())
        setEditText(text);
    else
        setCurrentIndex(-1);
    selectForAccessibility(currentIndex());
}

void FlatComboBox::SetItemIndex(int index)
{
    const int wanted = index >= 0 && index < count() ? index : -1;
    QLineEdit *edit = lineEdit();
    if (edit && wanted < 0) {
        // An editable list keeps its text, and the cursor in it, when nothing is selected (the
        // toolkit empties the field even when no item was selected before).
        if (currentIndex() >= 0) {
            const QString text = edit->text();
            const int cursor = edit->cursorPosition();
            const QSignalBlocker quietEdit(edit);
            setCurrentIndex(-1);
            edit->setText(text);
            edit->setCursorPosition(cursor);
        }
    } else if (wanted != currentIndex()) {
        setCurrentIndex(wanted);
    }
    // Also when the caller holds this list's signals.
    selectForAccessibility(currentIndex());
}

void FlatComboBox::SetText(const QString &text)
{
    // The selected item stays when it has this text: lists may hold the same text twice.
    int at = currentIndex();
    if (at < 0 || itemText(at) != text)
        at = findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (at != currentIndex())
        setCurrentIndex(at);
    if (isEditable())
        setEditText(text);
    selectForAccessibility(currentIndex());
    Q_EMIT changed();
}

void FlatComboBox::DropDown()
{
    if (!m_listWindow)
        return;
    if (m_listWindow->IsShowing()) {
        m_listWindow->HideList();
        return;
    }
    if (count() == 0)
        return;
    QWidget *owner = OwnerWindow();
    const QPoint pos = mapTo(owner, QPoint(0, height() - 1));
    if (currentIndex() < 0)
        SetItemIndex(0);
    m_listWindow->DropDownFor(this, owner, pos, width(), kRowsShown);
}

void FlatComboBox::showPopup()
{
    DropDown();
}

void FlatComboBox::hidePopup()
{
    if (m_listWindow && m_listWindow->IsShowing())
        m_listWindow->HideList();
}

QRect FlatComboBox::ButtonRect() const
{
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    return style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxArrow, this);
}

void FlatComboBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    const QRect arrow = ButtonRect();
    const QRect field
        = style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
    const bool enabled = isEnabled();

    p.fillRect(rect(), m_background);
    if (!isEditable()) {
        if (hasFocus())
            p.fillRect(field, QColor(255, 236, 170));
        p.setPen(enabled ? m_text : QColor(128, 128, 128));
        p.drawText(field.adjusted(1, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, currentText());
    }

    // The drop-down button: a small flat block with a triangle.
    p.fillRect(arrow, enabled ? Colors::Frame : QColor(200, 190, 170));
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    const QPointF c = QRectF(arrow).center();
    const QPointF tri[] = {{c.x() - 3.5, c.y() - 1.5}, {c.x() + 3.5, c.y() - 1.5}, {c.x(), c.y() + 2.5}};
    p.drawPolygon(tri, 3);
}
