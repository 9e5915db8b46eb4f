#pragma once

#include <QDialog>
#include <QSize>

#include <optional>

class Prompt;
class QLabel;
class FlatEdit;
class FlatPanel;
class TLabeledBmpBtn;

// A decimal integer as the picture size fields take it: leading blanks, an optional sign, digits
// and nothing else.
std::optional<int> ReadDecimal(const QString &text);

// The picture size dialog: asks for the user picture size, 120..240 wide and 120..320 high, and
// stays open with a message until both fields are valid or it is cancelled.
class TSetPictureSize : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kMinWidth = 120;
    static constexpr int kMaxWidth = 240;
    static constexpr int kMinHeight = 120;
    static constexpr int kMaxHeight = 320;

    explicit TSetPictureSize(Prompt &prompt, QWidget *parent = nullptr);

    // Starts from the two texts; returns the size, or 0 x 0 when cancelled.
    QSize Ask(const QString &width, const QString &height);
    // Fills the fields and centres the dialog over the active window, without showing it.
    void Prepare(const QString &width, const QString &height);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void btnOkClick();
    void btnCancelClick();
    // Reads one field; on a refusal shows its message and returns nothing.
    std::optional<int> check(FlatEdit *field, int low, int high, const QString &rangeMessage);

    Prompt &m_prompt;
    FlatPanel *pnlBase = nullptr;
    QLabel *lbWidth = nullptr;
    QLabel *lbHeight = nullptr;
    FlatEdit *edtWidth = nullptr;
    FlatEdit *edtHeight = nullptr;
    // What the two fields hold, however the text came in.
    QString m_width;
    QString m_height;
    TLabeledBmpBtn *btnOk = nullptr;
    TLabeledBmpBtn *btnCancel = nullptr;
    QSize m_result;
};
