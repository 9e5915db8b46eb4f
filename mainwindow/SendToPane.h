#pragma once

#include "mainwindow/PaneKit.h"

class MainModel;
class RecipientModel;
class FlatCheckBox;
class FlatComboBox;
class FlatListBox;
class TLabeledBmpBtn;
class TextBinding;

// pnlSendTo, mail step 2: the recipient by name and address (typed, or picked from the history or
// the address book), the server route, and the further recipients.
class SendToPane : public Pane
{
    Q_OBJECT
public:
    SendToPane(MainModel &model, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void Refresh();
    void RefillLists();

    RecipientModel &m_recipient;
    PaneLabel *Label17 = nullptr;
    TLabeledBmpBtn *btnAddressMail = nullptr;
    PaneLabel *Label20 = nullptr;
    FlatComboBox *cbxNameMail = nullptr;
    PaneLabel *Label21 = nullptr;
    FlatComboBox *cbxAddressMail = nullptr;
    FlatCheckBox *chkDoCoMo = nullptr;
    PaneLabel *lbDoCoMo = nullptr;
    PaneLabel *Label18 = nullptr;
    FlatListBox *lbxCC = nullptr;
    TLabeledBmpBtn *btnAddCC = nullptr;
    TLabeledBmpBtn *btnDelCC = nullptr;
    TextBinding *m_nameText = nullptr;
    TextBinding *m_addressText = nullptr;
};
