#pragma once

#include "platform/MailAccountStore.h"

#include <QDialog>

class QLabel;
class FlatComboBox;
class FlatEdit;
class FlatPanel;
class TLabeledBmpBtn;
class PopupListWindow;
class TextBinding;

// The choice among several mail accounts for the import: the accounts' names in a drop-down list,
// and the name, address and servers of the one selected.
class TAccount : public QDialog
{
    Q_OBJECT
public:
    // The drop-down list opens listWindow.
    explicit TAccount(PopupListWindow *listWindow, QWidget *parent = nullptr);

    // Shows the accounts, the first selected; returns the chosen position, or -1 when cancelled.
    int Choose(const QList<MailAccount> &accounts);
    // Fills the dialog and centres it over the active window, without showing it.
    void Prepare(const QList<MailAccount> &accounts);
    // The drop-down list window it was given: the program's one, which other dialogs share.
    PopupListWindow *ListWindow() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    // The account the list shows (an empty one for none).
    MailAccount shownAccount() const;
    void cbxAccountChange();
    void btnOKClick();
    void btnCancelClick();

    QList<MailAccount> m_accounts;
    QList<TextBinding *> m_shown;
    int m_result = -1;

    FlatPanel *pnlBase = nullptr;
    QLabel *lbAccount = nullptr;
    FlatComboBox *cbxAccount = nullptr;
    FlatEdit *edName = nullptr;
    FlatEdit *edAddress = nullptr;
    FlatEdit *edSMTPServer = nullptr;
    FlatEdit *edPOPServer = nullptr;
    TLabeledBmpBtn *btnOK = nullptr;
    TLabeledBmpBtn *btnCancel = nullptr;
};
