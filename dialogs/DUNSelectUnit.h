#pragma once

#include "mail/DialUp.h"

#include <QDialog>

class FlatListBox;
class FlatPanel;
class TLabeledBmpBtn;

// Asks which dial-up entry to dial: 決定 (or Enter) gives the selected entry, 中止 (or Esc) none.
class TDUNSelect : public QDialog, public DialUpChooser
{
    Q_OBJECT
public:
    explicit TDUNSelect(QWidget *parent = nullptr);

    // Shows the entries with selected chosen, modally and centred over the active window; the
    // index chosen, -1 after cancelling.
    int Choose(const QStringList &entries, int selected) override;
    // Fills the list and centres the dialog, without showing it.
    void Prepare(const QStringList &entries, int selected);

    void reject() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void btnOkClick();
    void btnCancelClick();

    FlatPanel *pnlBase = nullptr;
    FlatListBox *lbxDUN = nullptr;
    TLabeledBmpBtn *btnOk = nullptr;
    TLabeledBmpBtn *btnCancel = nullptr;
};
