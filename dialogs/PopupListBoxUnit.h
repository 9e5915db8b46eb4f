#pragma once

#include "widgets/FlatComboBox.h"

#include <QPointer>
#include <QWidget>

class FlatListBox;

// The popup list that drops down under the flat drop-down lists: one window for the program,
// showing a copy of the items of the list that opened it (its owner list). A pick sets the owner
// list's selection and text and runs its change handler; a click anywhere else hides it.
class TPopupListBox : public QWidget, public PopupListWindow
{
    Q_OBJECT
public:
    static constexpr int kRowsShown = 5;

    explicit TPopupListBox(QWidget *parent = nullptr);

    bool IsShowing() const override { return isVisible(); }
    void HideList() override { hide(); }
    void DropDownFor(FlatComboBox *list, QWidget *ownerWindow, QPoint pos, int width, int rows) override;

    // The drop-down list that opened it; none once it is gone.
    FlatComboBox *OwnerList() const { return m_owner; }
    FlatListBox *List() const { return ListBox; }
    // Where it was placed, in the client coordinates of the owner window.
    QPoint ClientPos() const { return m_clientPos; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void FormShow();
    void FormHide();
    void ListBoxClick();

    FlatListBox *ListBox = nullptr;
    QPointer<FlatComboBox> m_owner;
    QPointer<QWidget> m_ownerWindow;
    QPoint m_clientPos;
};
