#include "mainwindow/FindFolderUnit.h"

#include "common/ApplicationTitle.h"
#include "mainwindow/LoadingUnit.h"
#include "widgets/Colors.h"
#include "widgets/DialogKeys.h"
#include "widgets/FlatListBox.h"
#include "widgets/FlatPanel.h"
#include "widgets/LabeledBmpBtn.h"

#include <QPointer>

TFindFolder::TFindFolder(QWidget *owner)
    : QDialog(nullptr,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowCloseButtonHint)
    , m_owner(owner)
{
    setWindowTitle(ApplicationTitle());
    setModal(true);
    setFixedSize(360, 176);

    pnlBase = new FlatPanel(this);
    pnlBase->setObjectName(QStringLiteral("pnlBase"));
    pnlBase->setGeometry(0, 0, 360, 176);
    pnlBase->SetInputFrameColor(Colors::Frame);

    lbxDCFFolderList = new FlatListBox(pnlBase);
    lbxDCFFolderList->setObjectName(QStringLiteral("lbxDCFFolderList"));
    lbxDCFFolderList->setGeometry(9, 9, 342, 122);
    lbxDCFFolderList->SetColors(Colors::Field, Colors::Text);
    lbxDCFFolderList->setAccessibleName(QStringLiteral("ＤＣＦフォルダ"));

    btnOk = MakeDialogButton(pnlBase, "btnOk", QStringLiteral("　決定"), QRect(184, 142, 80, 24));
    btnCancel = MakeDialogButton(pnlBase, "btnCancel", QStringLiteral("　中止"), QRect(272, 142, 80, 24));
    connect(btnOk, &TBmpBtn::clicked, this, &TFindFolder::btnOkClick);
    connect(btnCancel, &TBmpBtn::clicked, this, &TFindFolder::btnCancelClick);
    connect(lbxDCFFolderList, &QListWidget::itemDoubleClicked, this, &TFindFolder::btnOkClick);
}

std::optional<QString> TFindFolder::ChooseDcfFolder(const QStringList &folders)
{
    lbxDCFFolderList->SetItems(folders);
    lbxDCFFolderList->SetItemIndex(folders.isEmpty() ? -1 : 0);
    lbxDCFFolderList->setFocus(Qt::OtherFocusReason);
    m_found.clear();
    PlaceOverOwner(this, m_owner);
    const QPointer<TFindFolder> self(this);
    const int result = exec();
    if (!self || result != QDialog::Accepted)
        return std::nullopt;
    return m_found;
}

void TFindFolder::btnOkClick()
{
    const int index = lbxDCFFolderList->ItemIndex();
    m_found = index >= 0 ? lbxDCFFolderList->Items().value(index) : QString();
    accept();
}

void TFindFolder::btnCancelClick()
{
    m_found.clear();
    reject();
}

void TFindFolder::keyPressEvent(QKeyEvent *event)
{
    if (!TakeDialogKey(
            event, [this] { btnOkClick(); }, [this] { btnCancelClick(); }))
        QDialog::keyPressEvent(event);
}
