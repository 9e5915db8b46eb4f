#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

// Keeps the text of one control and the model value it shows equal.
//
// The model follows every change of the control's content, whatever route the change took: keys,
// paste, drop, input method, completion, the accessibility interface, or the program itself. A model
// that keeps less than it was given (a byte limit, say) is shown at once, so the control never shows
// what the model does not hold. The control follows the model through Show(), without writing the
// value back; a read-only control changes only that way (whatever else writes into it is put back). Handlers that run on a pick from a list are not a text change and stay the list's own.
//
// The binding is a child of its control and goes with it.
class TextBinding : public QObject
{
    Q_OBJECT
public:
    using Read = std::function<QString()>;
    using Write = std::function<void(const QString &)>;

    static TextBinding *Bind(QLineEdit *edit, Read read, Write write);
    static TextBinding *Bind(QPlainTextEdit *memo, Read read, Write write);
    // An editable drop-down list: its edit field's text.
    static TextBinding *Bind(QComboBox *box, Read read, Write write);
    // A model value that is a plain string the binding's owner keeps.
    static TextBinding *Bind(QLineEdit *edit, QString *value);

    // The binding of a control, or of the list whose edit field `control` is; none when unbound.
    static TextBinding *Of(const QWidget *control);

    QWidget *Control() const;
    QString ModelText() const { return m_read(); }
    QString ControlText() const;

    // The control shows the model's value (nothing happens when it does already).
    void Show();

    // While one lives, changes of the control are the program's own (a list's items refilled, an
    // item selected by program) and reach no model; at its end the control shows the model's value.
    class Hold
    {
    public:
        explicit Hold(TextBinding *binding);
        ~Hold();
        Hold(const Hold &) = delete;
        Hold &operator=(const Hold &) = delete;

    private:
        TextBinding *m_binding;
        bool m_was;
    };

private:
    TextBinding(QWidget *control, Read read, Write write);
    template<class Control, class Signal> TextBinding *follow(Control *control, Signal changed)
    {
        connect(control, changed, this, &TextBinding::controlChanged);
        Show();
        return this;
    }
    void controlChanged();

    QLineEdit *m_edit = nullptr;
    QPlainTextEdit *m_memo = nullptr;
    Read m_read;
    Write m_write;
    bool m_showing = false;
};
