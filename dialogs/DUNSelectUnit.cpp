#include "dialogs/DUNSelectUnit.h"

#include "common/ApplicationTitle.h"
#include "widgets/Colors.h"
#include "widgets/DialogKeys.h"
#include "widgets/FlatListBox.h"
#include "widgets/FlatPanel.h"
#include "widgets/LabeledBmpBtn.h"
#include "widgets/WindowPlacement.h"

#include <QApplication>
#include <QPointer>

TDUNSelect::TDUNSelect(QWidget *parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("DUNSelect"));
    setWindowTitle(ApplicationTitle() + QStringLiteral(" - 接続先の選択"));
    setModal(true);
    setFixedSize(232, 174);

    pnlBase = new FlatPanel(this);
    pnlBase->setObjectName(QStringLiteral("pnlBase"));
    pnlBase->setGeometry(0, 0, 232, 174);
    pnlBase->SetColor(Colors::Back);
    pnlBase->SetInputFrameColor(Colors::Frame);

    lbxDUN = new FlatListBox(pnlBase);
    lbxDUN->setObjectName(QStringLiteral("lbxDUN"));
    lbxDUN->setGeometry(12, 12, 208, 116);
    lbxDUN->SetColors(Colors::Field, Colors::Text);
    lbxDUN->setAccessibleName(QStringLiteral("接続先"));
    connect(lbxDUN, &QListWidget::itemDoubleClicked, this, &TDUNSelect::btnOkClick);

    btnOk = MakeDialogButton(pnlBase, "btnOk", QStringLiteral("　決定"), QRect(36, 138, 72, 24));
    btnCancel = MakeDialogButton(pnlBase, "btnCancel", QStringLiteral("中止"), QRect(124, 138, 72, 24));
    connect(btnOk, &TBmpBtn::clicked, this, &TDUNSelect::btnOkClick);
    connect(btnCancel, &TBmpBtn::clicked, this, &TDUNSelect::btnCancelClick);
}

void TDUNSelect::Prepare(const QStringList &entries, int selected)
{
    lbxDUN->SetItems(entries);
    lbxDUN->SetItemIndex(selected);
    CentreOver(this, QApplication::activeWindow());
    lbxDUN->setFocus(Qt::OtherFocusReason);
}

int TDUNSelect::Choose(const QStringList &entries, int selected)
{
    Prepare(entries, selected);
    const QPointer<TDUNSelect> self(this);
    exec();
    return self ? lbxDUN->ItemIndex() : -1;
}

void TDUNSelect::btnOkClick()
{
    accept();
}

void TDUNSelect::btnCancelClick()
{
    reject();
}

void TDUNSelect::keyPressEvent(QKeyEvent *event)
{
    if (!TakeDialogKey(
            event, [this] { btnOkClick(); }, [this] { btnCancelClick(); }))
        QDialog::keyPressEvent(event);
}

void TDUNSelect::reject()
{
    lbxDUN->SetItemIndex(-1);
    QDialog::reject();
}
