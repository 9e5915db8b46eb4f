#include "dialogs/AccountUnit.h"

#include "dialogs/DialogParts.h"
#include "widgets/Accessibility.h"
#include "widgets/Artwork.h"
#include "widgets/Binding.h"
#include "widgets/Colors.h"
#include "widgets/DialogKeys.h"
#include "widgets/FlatComboBox.h"
#include "widgets/FlatEdit.h"
#include "widgets/FlatPanel.h"
#include "widgets/LabeledBmpBtn.h"
#include "widgets/WindowPlacement.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>

namespace {
constexpr int kWidth = 300;
constexpr int kHeight = 196;
constexpr int kFieldLeft = 112;
} // namespace

TAccount::TAccount(PopupListWindow *listWindow, QWidget *parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("アカウントの選択"));
    setWindowIcon(Artwork::ProgramIcon());
    setModal(true);
    setFixedSize(kWidth, kHeight);

    pnlBase = new FlatPanel(this);
    pnlBase->setObjectName(QStringLiteral("pnlBase"));
    pnlBase->setGeometry(0, 0, kWidth, kHeight);
    pnlBase->SetInputFrameColor(Colors::Frame);

    lbAccount = MakeLabel(pnlBase, "lbAccount", QStringLiteral("使用するアカウントを選択して下さい："),
                          QPoint(12, 12));
    cbxAccount = new FlatComboBox(pnlBase);
    cbxAccount->setObjectName(QStringLiteral("cbxAccount"));
    cbxAccount->setGeometry(12, 32, kWidth - 24, 18);
    cbxAccount->SetOwnerWindow(this);
    cbxAccount->SetListWindow(listWindow);
    NameFromLabel(cbxAccount, lbAccount);
    connect(cbxAccount, &FlatComboBox::changed, this, &TAccount::cbxAccountChange);

    const struct
    {
        FlatEdit **field;
        const char *name;
        const char *labelName;
        QString label;
        QString MailAccount::*value;
    } rows[] = {
        {&edName, "edName", "lbName", QStringLiteral("名前："), &MailAccount::SMTPDisplayName},
        {&edAddress, "edAddress", "lbAddress", QStringLiteral("メールアドレス："), &MailAccount::SMTPEmailAddress},
        {&edSMTPServer, "edSMTPServer", "lbSMTPServer", QStringLiteral("SMTPサーバー："), &MailAccount::SMTPServer},
        {&edPOPServer, "edPOPServer", "lbPOPServer", QStringLiteral("POP3サーバー："), &MailAccount::POP3Server},
    };
    int y = 64;
    for (const auto &r : rows) {
        QLabel *label = MakeLabel(pnlBase, r.labelName, r.label, QPoint(0, y + 2), kFieldLeft - 4);
        *r.field = MakeField(pnlBase, r.name, QRect(kFieldLeft, y, kWidth - 12 - kFieldLeft, 18), label);
        (*r.field)->setReadOnly(true);
        // The fields show the chosen account and take nothing in.
        m_shown << TextBinding::Bind(
            *r.field, [this, value = r.value] { return shownAccount().*value; }, [](const QString &) { });
        y += 24;
    }

    btnOK
        = MakeDialogButton(pnlBase, "btnOK", QStringLiteral("OK"), QRect(kWidth - 180, kHeight - 34, 80, 24));
    btnCancel = MakeDialogButton(pnlBase, "btnCancel", QStringLiteral("中止"),
                                 QRect(kWidth - 92, kHeight - 34, 80, 24));
    connect(btnOK, &TBmpBtn::clicked, this, &TAccount::btnOKClick);
    connect(btnCancel, &TBmpBtn::clicked, this, &TAccount::btnCancelClick);
}

PopupListWindow *TAccount::ListWindow() const
{
    return cbxAccount->ListWindow();
}

void TAccount::Prepare(const QList<MailAccount> &accounts)
{
    m_accounts = accounts;
    m_result = -1;
    QStringList names;
    for (const MailAccount &a : accounts)
        names << a.AccountName;
    cbxAccount->SetItems(names);
    cbxAccount->SetItemIndex(names.isEmpty() ? -1 : 0);
    cbxAccountChange();
    CentreOver(this, QApplication::activeWindow());
    cbxAccount->setFocus(Qt::OtherFocusReason);
}

int TAccount::Choose(const QList<MailAccount> &accounts)
{
    Prepare(accounts);
    const QPointer<TAccount> self(this);
    exec();
    return self ? m_result : -1;
}

MailAccount TAccount::shownAccount() const
{
    const int at = cbxAccount->ItemIndex();
    return at >= 0 && at < m_accounts.size() ? m_accounts[at] : MailAccount();
}

void TAccount::cbxAccountChange()
{
    for (TextBinding *field : std::as_const(m_shown))
        field->Show();
    for (FlatEdit *field : {edName, edAddress, edSMTPServer, edPOPServer})
        field->setCursorPosition(0);
}

void TAccount::btnOKClick()
{
    m_result = cbxAccount->ItemIndex();
    accept();
}

void TAccount::btnCancelClick()
{
    m_result = -1;
    reject();
}

void TAccount::keyPressEvent(QKeyEvent *event)
{
    if (!TakeDialogKey(
            event, [this] { btnOKClick(); }, [this] { btnCancelClick(); }))
        QDialog::keyPressEvent(event);
}
