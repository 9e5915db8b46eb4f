#pragma once

#include <QComboBox>
#include <QPointer>

class FlatComboBox;

// The window that a flat drop-down list drops down. The program has one, shared by all its lists.
class PopupListWindow
{
public:
    virtual ~PopupListWindow() = default;
    virtual bool IsShowing() const = 0;
    virtual void HideList() = 0;
    // Shows the items of `list` at `pos`, given in the client coordinates of `ownerWindow`, `width`
    // wide and `rows` rows high at most.
    virtual void DropDownFor(FlatComboBox *list, QWidget *ownerWindow, QPoint pos, int width, int rows) = 0;
};

// A flat drop-down list. Its drop-down button opens the shared list window instead of the
// toolkit's own popup. The change handler is the signal `changed`: it runs when an item is picked
// from the list window, when the user moves the selection with the keys or the wheel, and when the
// program sets the text with SetText; typing into an editable list only changes its text (a
// TextBinding carries it to the model). An editable list neither completes what is typed nor adds
// it as an item: Enter only reports `entered`.
class FlatComboBox : public QComboBox
{
    Q_OBJECT
public:
    static constexpr int kRowsShown = 5;

    explicit FlatComboBox(QWidget *parent = nullptr);

    void SetColors(const QColor &background, const QColor &text);
    // Use this, not setEditable: it turns the toolkit's completion and insert-on-Enter off.
    void SetEditable(bool editable);

    // The window in whose client coordinates the list window is placed (default: this list's window)
    // and the list window itself (none: the button does nothing).
    void SetOwnerWindow(QWidget *window) { m_ownerWindow = window; }
    void SetListWindow(PopupListWindow *window) { m_listWindow = window; }
    QWidget *OwnerWindow() const { return m_ownerWindow ? m_ownerWindow.data() : window(); }
    PopupListWindow *ListWindow() const { return m_listWindow; }

    QStringList Items() const;
    void SetItems(const QStringList &items);
    int ItemIndex() const { return currentIndex(); }
    // Selects without running the change handler.
    void SetItemIndex(int index);
    QString Text() const { return currentText(); }
    // Sets the text and runs the change handler. A list that cannot be edited selects the item with
    // this text, or none.
    void SetText(const QString &text);

    // Where the drop-down button is drawn.
    QRect ButtonRect() const;

    // The drop-down button: hides the list window when it shows, else opens it for this list.
    void DropDown();

    // The toolkit's item view selects the current item, for assistive technology.
    void SelectCurrentForAccessibility()
    {
        m_viewMade = true;
        selectForAccessibility(currentIndex());
    }

    void showPopup() override;
    void hidePopup() override;

Q_SIGNALS:
    void changed();
    // Enter in the edit field of an editable list.
    void entered();

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void selectForAccessibility(int index);

    bool m_constructing = true;
    bool m_viewMade = false;
    QPointer<QWidget> m_ownerWindow;
    PopupListWindow *m_listWindow = nullptr;
    QColor m_background;
    QColor m_text;
};
