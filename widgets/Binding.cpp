#include "widgets/Binding.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QTextCursor>

namespace {

const char kBindingProperty[] = "tavrinTextBinding";

void mark(QWidget *control, TextBinding *binding)
{
    control->setProperty(kBindingProperty, QVariant::fromValue(static_cast<QObject *>(binding)));
}

} // namespace

TextBinding::TextBinding(QWidget *control, Read read, Write write)
    : QObject(control)
    , m_read(std::move(read))
    , m_write(std::move(write))
{
    mark(control, this);
}

TextBinding *TextBinding::Bind(QLineEdit *edit, Read read, Write write)
{
    auto *binding = new TextBinding(edit, std::move(read), std::move(write));
    binding->m_edit = edit;
    // textChanged, not textEdited: every route into the field counts, not only keystrokes.
    return binding->follow(edit, &QLineEdit::textChanged);
}

TextBinding *TextBinding::Bind(QPlainTextEdit *memo, Read read, Write write)
{
    auto *binding = new TextBinding(memo, std::move(read), std::move(write));
    binding->m_memo = memo;
    return binding->follow(memo, &QPlainTextEdit::textChanged);
}

TextBinding *TextBinding::Bind(QComboBox *box, Read read, Write write)
{
    Q_ASSERT(box->lineEdit());
    TextBinding *binding = Bind(box->lineEdit(), std::move(read), std::move(write));
    mark(box, binding);
    return binding;
}

TextBinding *TextBinding::Bind(QLineEdit *edit, QString *value)
{
    return Bind(
        edit, [value] { return *value; }, [value](const QString &text) { *value = text; });
}

TextBinding *TextBinding::Of(const QWidget *control)
{
    if (!control)
        return nullptr;
    return qobject_cast<TextBinding *>(control->property(kBindingProperty).value<QObject *>());
}

QWidget *TextBinding::Control() const
{
    return m_edit ? static_cast<QWidget *>(m_edit) : static_cast<QWidget *>(m_memo);
}

QString TextBinding::ControlText() const
{
    return m_edit ? m_edit->text() : m_memo->toPlainText();
}

void TextBinding::Show()
{
    const QString value = m_read();
    if (ControlText() == value)
        return;
    const QScopedValueRollback guard(m_showing, true);
    if (m_edit) {
        const int cursor = qMin(m_edit->cursorPosition(), int(value.size()));
        m_edit->setText(value);
        m_edit->setCursorPosition(cursor);
    } else {
        const int cursor = qMin(m_memo->textCursor().position(), int(value.size()));
        m_memo->setPlainText(value);
        QTextCursor at = m_memo->textCursor();
        at.setPosition(cursor);
        m_memo->setTextCursor(at);
    }
}

TextBinding::Hold::Hold(TextBinding *binding)
    : m_binding(binding)
    , m_was(binding->m_showing)
{
    binding->m_showing = true;
}

TextBinding::Hold::~Hold()
{
    m_binding->m_showing = m_was;
    if (!m_was)
        m_binding->Show();
}

void TextBinding::controlChanged()
{
    if (m_showing)
        return;
    // A field that takes no text changes only through its model (the accessibility interface
    // would write into it all the same).
    if (m_edit ? m_edit->isReadOnly() : m_memo->isReadOnly()) {
        Show();
        return;
    }
    const QString shown = ControlText();
    m_write(shown);
    // The model kept less than it was given: the field shows what it keeps.
    if (m_read() != shown)
        Show();
}
