#include "mainwindow/EditMailPane.h"

#include "mainwindow/model/MainModel.h"
#include "widgets/Accessibility.h"
#include "widgets/Binding.h"
#include "widgets/FlatEdit.h"
#include "widgets/FlatMemo.h"

EditMailPane::EditMailPane(MainModel &model, QWidget *parent)
    : Pane("pnlEditMail", model, parent)
{
    lbSubject = new PaneLabel(this, "lbSubject", QStringLiteral("件名："), QPoint(8, 10));
    edtSubject = new FlatEdit(this);
    edtSubject->setObjectName(QStringLiteral("edtSubject"));
    edtSubject->setGeometry(8, 28, 226, 20);
    NameFromLabel(edtSubject, lbSubject);
    // Typed, pasted or set beyond the limit: the field keeps what the model keeps.
    TextBinding::Bind(
        edtSubject, [&model] { return model.Subject(); },
        [&model](const QString &text) { model.SetSubject(text); });

    lbBody = new PaneLabel(this, "lbBody", QStringLiteral("本文："), QPoint(8, 60));
    edtBody = new FlatMemo(this);
    edtBody->setObjectName(QStringLiteral("edtBody"));
    edtBody->setGeometry(8, 78, 226, 146);
    NameFromLabel(edtBody, lbBody);
    TextBinding::Bind(
        edtBody, [&model] { return model.Body(); }, [&model](const QString &text) { model.SetBody(text); });
}
