#pragma once

#include <QDialog>

class Prompt;
class QLabel;
class TAddressBook;
class FlatCheckBox;
class FlatComboBox;
class FlatEdit;
class FlatListBox;
class FlatPanel;
class TLabeledBmpBtn;
class PopupListWindow;
class TUserData;
class TextBinding;
struct TMailAddress;

// The address book dialog: the names of the address book to choose from, and an edit panel in the
// same place for a new or changed entry (name, address, picture size and quality, server route).
// Every change goes into the address book at once, whichever way the dialog ends; the caller saves
// the book later.
class TAddress : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kClientWidth = 289;
    static constexpr int kClientHeight = 172;

    // The server route's check box shows while settings.UseServer is on. The drop-down lists open
    // listWindow. Messages and the picture size dialog go through prompt.
    TAddress(const TUserData &settings, Prompt &prompt, PopupListWindow *listWindow,
             QWidget *parent = nullptr);

    // Shows the names of book, the first selected, and lets the user edit it; a new entry starts
    // from newName and newAddress (the main window's recipient texts). Returns the position of the
    // entry chosen with 決定, in the book as it is then, or -1 for 中止, the close box or no selection.
    int ChooseEntry(TAddressBook &book, const QString &newName = QString(),
                    const QString &newAddress = QString());
    // Fills the list from book and centres the dialog, without showing it.
    void Prepare(TAddressBook &book, const QString &newName = QString(),
                 const QString &newAddress = QString());

    bool InEditMode() const;

    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void btnEditClick();
    void btnNewClick();
    void btnDeleteClick();
    void btnOKClick();
    void btnCancelClick();
    void btnEditOKClick();
    void btnEditCancelClick();
    void cbxPictureSizeChange();
    void edtWHClick();
    void lbDoCoMoClick();

    void listMode();
    void editMode();
    void refillList(int select);
    void enableListButtons();
    // Shows the standard size of the preset, greying the width and height unless it is the user size;
    // the user size chosen by the user (initiated) asks for the size at once.
    void pictureSizeRule(bool initiated);
    TMailAddress fieldsEntry() const;
    void hidePopupList();
    // The width and height the edit panel shows (the fields only display them).
    void showSize(const QString &width, const QString &height);

    const TUserData &m_settings;
    Prompt &m_prompt;
    PopupListWindow *m_listWindow;
    TAddressBook *m_book = nullptr;
    QString m_newName;
    QString m_newAddress;
    int m_editTarget = 0; // 0: the selected entry, -1: a new one
    int m_result = -1;
    // What the edit panel's fields hold, whichever way their text came in.
    struct EditedTexts
    {
        QString name;
        QString address;
        QString width;
        QString height;
    } m_edited;
    TextBinding *m_widthText = nullptr;
    TextBinding *m_heightText = nullptr;

    FlatPanel *pnlFrame = nullptr;
    FlatPanel *pnlListBase = nullptr;
    FlatListBox *lbxAddress = nullptr;
    TLabeledBmpBtn *btnEdit = nullptr;
    TLabeledBmpBtn *btnNew = nullptr;
    TLabeledBmpBtn *btnDelete = nullptr;
    TLabeledBmpBtn *btnCancel = nullptr;
    TLabeledBmpBtn *btnOK = nullptr;

    FlatPanel *pnlEditBase = nullptr;
    FlatPanel *pnlEditBaseSub = nullptr;
    QLabel *lbName = nullptr;
    FlatEdit *edtName = nullptr;
    QLabel *lbAddress = nullptr;
    FlatEdit *edtAddress = nullptr;
    QLabel *lbPictureSize = nullptr;
    FlatComboBox *cbxPictureSize = nullptr;
    QLabel *lbWidth = nullptr;
    FlatPanel *pnlWidthFrame = nullptr;
    FlatEdit *edtWidth = nullptr;
    QLabel *lbHeight = nullptr;
    FlatPanel *pnlHeightFrame = nullptr;
    FlatEdit *edtHeight = nullptr;
    QLabel *Label1 = nullptr;
    FlatComboBox *cbxQuality = nullptr;
    FlatCheckBox *chkDoCoMo = nullptr;
    QLabel *lbDoCoMo = nullptr;
    TLabeledBmpBtn *btnEditOK = nullptr;
    TLabeledBmpBtn *btnEditCancel = nullptr;
};
