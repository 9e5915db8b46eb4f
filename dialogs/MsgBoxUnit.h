#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class TLabeledBmpBtn;

// The program's message box: a text with an icon of its kind and one or two buttons, on the
// program's yellow background, centred on the screen and above all windows. Only its buttons close
// it; the buttons take no keyboard input.
class TMsgBox : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kHeight = 96;
    static constexpr int kTextLeft = 42; // right of the icon at (2, 2), 32 wide, and 8 more
    static constexpr int kTextTop = 24;
    static constexpr int kButtonTop = 66;

    explicit TMsgBox(QWidget *parent = nullptr);

    // Shows `text` with the icon kind and button set (the values of Msg in app/Prompt.h) and returns
    // the code of the button clicked: 1 or 2 when the first button reads "OK", else 6 or 7.
    int Execute(const QString &text, int icon, int buttons);
    // Lays the box out for one use without showing it.
    void Prepare(const QString &text, int icon, int buttons);

    // What plays the system sound of an icon kind when the box shows (default: the platform's beep).
    void SetBeep(std::function<void(int icon)> beep) { m_beep = std::move(beep); }

    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void btnOKClick();
    void btnCancelClick();
    void hideIcons();

    QLabel *Image1 = nullptr;
    QLabel *imgWallPaperL = nullptr;
    QLabel *imgWallPaperR = nullptr;
    QLabel *imgI = nullptr;
    QLabel *imgQ = nullptr;
    QLabel *imgE = nullptr;
    QLabel *imgS = nullptr;
    QLabel *lbText = nullptr;
    TLabeledBmpBtn *btnOK = nullptr;
    TLabeledBmpBtn *btnCancel = nullptr;

    bool m_closing = false;
    int m_code = 0;
    std::function<void(int)> m_beep;
};

// The platform's message box with the application title as caption, for the messages that do not
// use the program's own; returns the same codes.
int ShowSystemMessageBox(const QString &text, int icon, int buttons);
