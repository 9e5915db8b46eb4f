#pragma once

#include <QList>
#include <QObject>
#include <QString>

class MainDialogs;
class Prompt;
class TAddressBook;
class PictureCanvas;
class TUserData;
struct TMailAddress;

// The recipient pane of mail step 2 without its widgets: the recipient's name and address texts,
// the server-route tick, the further recipients, the current recipient, and the rules that pick,
// add, remove and check them. The further recipients and the current recipient refer to entries of
// the address book or the history, which own them.
class RecipientModel : public QObject
{
    Q_OBJECT

public:
    RecipientModel(TAddressBook &addressBook, TAddressBook &history, TUserData &settings,
                   PictureCanvas &canvas, Prompt &prompt, MainDialogs &dialogs, QObject *parent = nullptr);

    // ---- What the pane shows

    // The texts of the name and address lists. Setting them as the user types runs no rule.
    const QString &NameText() const { return m_name; }
    const QString &AddressText() const { return m_address; }
    void SetNameText(const QString &text);
    void SetAddressText(const QString &text);

    // The server-route check box: ticked state, and shown exactly when the settings use the server.
    // Hidden, it keeps its tick, and the send run reads it either way.
    bool ServerRoute() const { return m_serverRoute; }
    bool ServerRouteShown() const { return m_serverRouteShown; }
    // Shows or hides the check box by the settings (after the settings dialog and at start).
    void ShowServerRouteBySettings();
    // Entering the recipient step unticks it.
    void ClearServerRoute();

    // The further recipients, in order, and the selected one (-1: none).
    const QList<TMailAddress *> &CC() const { return m_cc; }
    int CCSelected() const { return m_ccSelected; }
    void SetCCSelected(int index);
    void ClearCC();

    bool AddCCEnabled() const { return m_addCCEnabled; }
    bool DelCCEnabled() const { return m_delCCEnabled; }

    // The size and quality lists of the picture step: disabled while further recipients share the
    // recipient's picture.
    bool PictureListsEnabled() const { return m_pictureListsEnabled; }

    // ---- The current recipient: an entry of the address book or the history, or none

    TMailAddress *Current() const { return m_current; }
    void SetCurrent(TMailAddress *entry) { m_current = entry; }

    // ---- Handlers

    // Picks the recipient from the address book.
    void btnAddressMailClick();
    // A history item picked from the name or the address list (its position; -1: none).
    void cbxNameMailChange(int index);
    void cbxAddressMailChange(int index) { cbxNameMailChange(index); }
    // The check box has toggled itself; the label toggles it.
    void chkDoCoMoMouseDown(bool ticked);
    void lbDoCoMoClick();
    void btnAddCCClick();
    void btnDelCCClick();

    // The checks of Next at the recipient step; false keeps the window at that step.
    bool CheckAtNext();

    // The history lists of the pane were refilled: the items are the history's entries in order.
    void NotifyListsRefilled();

Q_SIGNALS:
    void changed();
    void listsRefilled();

private:
    // An incomplete FTP setup unticks the server route; after a pick it also forgets the recipient.
    void serverRouteCheck(bool afterPick);
    void showRecipient(const TMailAddress &entry);
    void refuseAdding(const QString &message);

    TAddressBook &m_book;
    TAddressBook &m_history;
    TUserData &m_settings;
    PictureCanvas &m_canvas;
    Prompt &m_prompt;
    MainDialogs &m_dialogs;

    QString m_name;
    QString m_address;
    bool m_serverRoute = false;
    bool m_serverRouteShown = false;
    QList<TMailAddress *> m_cc;
    int m_ccSelected = -1;
    bool m_addCCEnabled = false;
    bool m_delCCEnabled = false;
    bool m_pictureListsEnabled = true;
    TMailAddress *m_current = nullptr;
};
