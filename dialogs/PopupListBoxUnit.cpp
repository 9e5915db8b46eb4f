#include "dialogs/PopupListBoxUnit.h"

#include "widgets/Colors.h"
#include "widgets/FlatListBox.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

namespace {

// The list inside the popup: a move of the selection with the keys is a pick, like a click.
class PopupList : public FlatListBox
{
public:
    using FlatListBox::FlatListBox;
    std::function<void()> picked;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        const int before = currentRow();
        FlatListBox::keyPressEvent(event);
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if ((enter || currentRow() != before) && currentRow() >= 0 && picked)
            picked();
    }
};

} // namespace

TPopupListBox::TPopupListBox(QWidget *parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("TPopupListBox"));
    auto *list = new PopupList(this);
    list->picked = [this] {
        ListBoxClick();
    };
    ListBox = list;
    ListBox->setObjectName(QStringLiteral("ListBox"));
    ListBox->SetColors(Colors::ListBack, Colors::Text);
    ListBox->setFrameStyle(QFrame::Box | QFrame::Plain);
    ListBox->setLineWidth(1);
    QPalette pal = ListBox->palette();
    pal.setColor(QPalette::WindowText, Colors::Frame); // the box frame
    ListBox->setPalette(pal);
    ListBox->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(ListBox, &QAbstractItemView::clicked, this, [this] { ListBoxClick(); });
}

void TPopupListBox::DropDownFor(FlatComboBox *list, QWidget *ownerWindow, QPoint pos, int width, int rows)
{
    if (!list || !ownerWindow)
        return;
    hide();
    m_owner = list;
    m_ownerWindow = ownerWindow;
    m_clientPos = pos;
    // Read out as the list it drops down from.
    if (QAccessibleInterface *owner = QAccessible::queryAccessibleInterface(list))
        ListBox->setAccessibleName(owner->text(QAccessible::Name));
    resize(width, rows * ListBox->ItemHeight() + 2);

    // Placed at the owner's point, on the screen; where the screen ends below, above the list.
    create();
    if (QWindow *w = windowHandle())
        w->setTransientParent(ownerWindow->window()->windowHandle());
    move(ownerWindow->mapToGlobal(pos));
    show();
    if (QScreen *screen = list->screen()) {
        const QRect area = screen->availableGeometry();
        if (y() + height() > area.bottom() + 1)
            move(x(), list->mapToGlobal(QPoint(0, 0)).y() - height() + 1);
    }
}

void TPopupListBox::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    setAttribute(Qt::WA_NoMouseReplay, false);
    FormShow();
}

void TPopupListBox::FormShow()
{
    if (!m_owner)
        return;
    const int items = m_owner->count();
    const int rows = items <= 4 ? items : kRowsShown;
    ListBox->SetItems(m_owner->Items());
    ListBox->setGeometry(0, 0, m_owner->width(), rows * ListBox->ItemHeight() + 2);
    ListBox->SetItemIndex(m_owner->ItemIndex() >= 0 ? m_owner->ItemIndex() : 0);
    // The window shrinks to its list.
    resize(ListBox->size());
    ListBox->setFocus(Qt::PopupFocusReason);
}

void TPopupListBox::ListBoxClick()
{
    const QPointer<FlatComboBox> owner = m_owner;
    const int index = ListBox->ItemIndex();
    // Hidden before the change handler runs: it may show a modal message.
    hide();
    if (!owner || index < 0 || index >= owner->count())
        return;
    owner->SetItemIndex(index);
    owner->SetText(owner->itemText(index));
}

void TPopupListBox::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    FormHide();
}

void TPopupListBox::FormHide()
{
    if (m_owner && m_owner->parentWidget())
        m_owner->parentWidget()->setFocus(Qt::PopupFocusReason);
}

void TPopupListBox::mousePressEvent(QMouseEvent *event)
{
    // A press on the owner list's own button closes the list and must not open it again.
    if (m_owner && m_owner->isVisible()) {
        const QPoint onOwner = m_owner->mapFromGlobal(event->globalPosition().toPoint());
        const QRect button = m_owner->isEditable() ? m_owner->ButtonRect() : m_owner->rect();
        if (button.contains(onOwner))
            setAttribute(Qt::WA_NoMouseReplay);
    }
    QWidget::mousePressEvent(event);
}
