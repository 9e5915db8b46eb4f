#include "mainwindow/EditMailPane.h"

#include "mainwindow/model/MainModel.h"
#include "widgets/Accessibility.h"
#include "widgets/FlatEdit.h"
#include "widgets/FlatMemo.h"

EditMailPane::EditMailPane(MainModel &model, QWidget *parent)
    : Pane("pnlEditMail", model, parent)
{
    lbSubject = new PaneLabel(this, "lbSubject", QStringLiteral("件名："), QPoint(8, 10));
    edtSubject = new TFlatEdit(this);
    edtSubject->setObjectName(QStringLiteral("edtSubject"));
    edtSubject->setGeometry(8, 28, 226, 20);
    NameFromLabel(edtSubject, lbSubject);
    connect(edtSubject, &QLineEdit::textEdited, this, &EditMailPane::edtSubjectEdited);

    lbBody = new PaneLabel(this, "lbBody", QStringLiteral("本文："), QPoint(8, 60));
    edtBody = new TFlatMemo(this);
    edtBody->setObjectName(QStringLiteral("edtBody"));
    edtBody->setGeometry(8, 78, 226, 146);
    NameFromLabel(edtBody, lbBody);
    connect(edtBody, &QPlainTextEdit::textChanged, this, [this] { m_model.SetBody(edtBody->toPlainText()); });
}

void EditMailPane::edtSubjectEdited(const QString &text)
{
    m_model.SetSubject(text);
    if (m_model.Subject() == text)
        return;
    // Typed or pasted beyond the limit: the field keeps what fits, the cursor where it can be.
    const int cursor = qMin(edtSubject->cursorPosition(), int(m_model.Subject().size()));
    edtSubject->setText(m_model.Subject());
    edtSubject->setCursorPosition(cursor);
}
