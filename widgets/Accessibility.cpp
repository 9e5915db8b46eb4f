#include "widgets/Accessibility.h"

#include "widgets/BmpBtn.h"
#include "widgets/FlatCheckBox.h"
#include "widgets/FlatComboBox.h"
#include "widgets/LabeledBmpBtn.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

namespace {

const char kRoleProperty[] = "tavrinAccessibleRole";

// Actions run on the next turn of the event loop, the way Qt's own buttons animate a click: a
// handler that opens a modal window must not hold the AT's call until the window closes.
template<class F> void later(QWidget *widget, F action)
{
    QMetaObject::invokeMethod(widget, action, Qt::QueuedConnection);
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QChar(0x3000) || c == QLatin1Char('\t');
}

QString trimBlanks(const QString &text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && isBlank(text[from]))
        ++from;
    while (to > from && isBlank(text[to - 1]))
        --to;
    return text.mid(from, to - from);
}

// A picture button: a push button, or a check box while it can be held (Qt's own convention for
// a toggle button); its actions click it.
class BmpBtnAccessible : public QAccessibleWidget
{
public:
    explicit BmpBtnAccessible(TBmpBtn *button)
        : QAccessibleWidget(button, QAccessible::PushButton)
    { }

    TBmpBtn *button() const { return static_cast<TBmpBtn *>(object()); }
    // Asked each time: the interface may be made while the labelled button is still being built.
    TLabeledBmpBtn *labeled() const { return qobject_cast<TLabeledBmpBtn *>(object()); }
    bool holdable() const { return labeled() && labeled()->Hold(); }

    QAccessible::Role role() const override
    {
        return holdable() ? QAccessible::CheckBox : QAccessible::PushButton;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        if (holdable()) {
            s.checkable = true;
            s.checked = labeled()->Holding();
        }
        if (button()->Pressing())
            s.pressed = true;
        return s;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && button()->accessibleName().isEmpty() && labeled()) {
            const QString caption = AccessibleCaption(labeled()->ShownCaption());
            if (!caption.isEmpty())
                return caption;
        }
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override
    {
        QStringList names {pressAction()};
        if (holdable())
            names << toggleAction();
        return names;
    }

    void doAction(const QString &name) override
    {
        if (name != pressAction() && !(name == toggleAction() && holdable()))
            return QAccessibleWidget::doAction(name);
        TBmpBtn *b = button();
        later(b, [b] { b->Click(); });
    }
};

// The flat check box toggles at the press and reports a mouse-down; its actions do the same.
class FlatCheckBoxAccessible : public QAccessibleWidget
{
public:
    explicit FlatCheckBoxAccessible(FlatCheckBox *box)
        : QAccessibleWidget(box, QAccessible::CheckBox)
    { }

    FlatCheckBox *box() const { return static_cast<FlatCheckBox *>(object()); }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = box()->isChecked();
        return s;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && box()->accessibleName().isEmpty()) {
            const QString caption = AccessibleCaption(box()->text());
            if (!caption.isEmpty())
                return caption;
        }
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override
    {
        return QStringList {toggleAction(), pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &name) override
    {
        if (name != toggleAction() && name != pressAction())
            return QAccessibleWidget::doAction(name);
        FlatCheckBox *b = box();
        later(b, [b] { b->Click(); });
    }
};

// The flat drop-down list: named by its label on every platform (Qt's own names a drop-down list
// by its current text on Linux), its text as the value, its items as a child list; the press action
// works its drop-down button.
class FlatComboBoxAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit FlatComboBoxAccessible(FlatComboBox *list)
        : QAccessibleWidget(list, QAccessible::ComboBox)
    { }

    FlatComboBox *list() const { return static_cast<FlatComboBox *>(object()); }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        // The shown text as a read-only text, which is where AT-SPI readers look for a value.
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    int childCount() const override { return list()->lineEdit() ? 2 : 1; }

    QAccessibleInterface *child(int index) const override
    {
        if (index == 0) {
            list()->SelectCurrentForAccessibility();
            return QAccessible::queryAccessibleInterface(list()->view());
        }
        if (index == 1 && list()->lineEdit())
            return QAccessible::queryAccessibleInterface(list()->lineEdit());
        return nullptr;
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (!child)
            return -1;
        if (child->object() == list()->view())
            return 0;
        if (list()->lineEdit() && child->object() == list()->lineEdit())
            return 1;
        return -1;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        if (list()->isEditable())
            s.editable = true;
        return s;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return list()->Text();
        return QAccessibleWidget::text(t);
    }

    // A value set by the AT is typed into an editable list, so that whoever follows the typing
    // sees it, and picked from a fixed one or one whose edit field is read-only.
    void setText(QAccessible::Text t, const QString &text) override
    {
        if (t != QAccessible::Value || !list()->isEnabled())
            return QAccessibleWidget::setText(t, text);
        QLineEdit *edit = list()->lineEdit();
        if (edit && !edit->isReadOnly()) {
            edit->selectAll();
            edit->insert(text);
        } else if (list()->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive) >= 0) {
            list()->SetText(text);
        }
    }

    // ---- QAccessibleTextInterface: the current text, read-only
    QString text(int startOffset, int endOffset) const override
    {
        const QString shown = list()->Text();
        if (endOffset < 0 || endOffset > shown.size())
            endOffset = int(shown.size());
        startOffset = qBound(0, startOffset, endOffset);
        return shown.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(list()->Text().size()); }
    void selection(int, int *startOffset, int *endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override { }
    void removeSelection(int) override { }
    void setSelection(int, int, int) override { }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override { }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override { }
    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return {};
    }

    QStringList actionNames() const override
    {
        return QStringList {showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &name) override
    {
        if (name != showMenuAction() && name != pressAction())
            return QAccessibleWidget::doAction(name);
        if (list()->isEnabled())
            list()->DropDown();
    }
};

// A widget whose role is set by the program (the flat panels group their controls).
class RoleAccessible : public QAccessibleWidget
{
public:
    RoleAccessible(QWidget *widget, QAccessible::Role role)
        : QAccessibleWidget(widget, role)
    { }
};

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    // Asked first with the most derived class name, so a role set by the program wins over any class.
    const QVariant role = object->property(kRoleProperty);
    if (role.isValid())
        return new RoleAccessible(widget, QAccessible::Role(role.toInt()));
    if (className == QLatin1String("TBmpBtn"))
        return new BmpBtnAccessible(static_cast<TBmpBtn *>(widget));
    if (className == QLatin1String("FlatCheckBox"))
        return new FlatCheckBoxAccessible(static_cast<FlatCheckBox *>(widget));
    if (className == QLatin1String("FlatComboBox"))
        return new FlatComboBoxAccessible(static_cast<FlatComboBox *>(widget));
    if (className == QLatin1String("FlatPanel"))
        return new RoleAccessible(widget, QAccessible::Grouping);
    return nullptr;
}

void notify(QObject *object, QAccessible::Event kind)
{
    // Sending an event makes the object's interface; without a listener there is nobody to tell.
    if (!object || !QAccessible::isActive())
        return;
    QAccessibleEvent event(object, kind);
    QAccessible::updateAccessibility(&event);
}

} // namespace

void InstallAccessibility()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(factory);
}

QString AccessibleCaption(const QString &caption)
{
    QString text = caption;
    text.replace(QLatin1String("\\n"), QLatin1String(" "));
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return trimBlanks(text);
}

QString AccessibleLabel(const QString &labelText)
{
    QString text = AccessibleCaption(labelText);
    while (text.endsWith(QChar(0xFF1A)) || text.endsWith(QLatin1Char(':')))
        text = trimBlanks(text.chopped(1));
    return text;
}

void NameFromLabel(QWidget *input, QLabel *label)
{
    if (!input || !label)
        return;
    label->setBuddy(input);
    NameFromLabel(input, label->text());
}

void NameFromLabel(QWidget *input, const QString &labelText)
{
    if (input)
        input->setAccessibleName(AccessibleLabel(labelText));
}

void SetAccessibleRole(QWidget *widget, QAccessible::Role role)
{
    if (!widget)
        return;
    InstallAccessibility();
    widget->setProperty(kRoleProperty, int(role));
}

void NotifyAccessibleNameChanged(QObject *object)
{
    notify(object, QAccessible::NameChanged);
}

void NotifyAccessibleCheckedChanged(QObject *object)
{
    if (!object || !QAccessible::isActive())
        return;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(object, changed);
    QAccessible::updateAccessibility(&event);
}
