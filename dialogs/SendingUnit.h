#pragma once

#include "mail/SendingWindow.h"

#include <QPointer>
#include <QWidget>

struct MailClients;
class QLabel;
class FlatPanel;
class FlatProgressBar;
class TLabeledBmpBtn;

// The sending window: status line, progress bar and the cancel button while a send runs.
// Borderless and on top, centred over the window it is given. Cancel (the button, or Esc) sets
// the cancelled flag, hides the window and breaks the connection of the client in use, so that
// the send's blocked operation fails.
class TSending : public QWidget, public SendingWindow
{
    Q_OBJECT
public:
    static constexpr int kWidth = 204;
    static constexpr int kHeight = 154;

    // over: the window to centre on (none: the screen).
    explicit TSending(MailClients &clients, QWidget *over = nullptr);
    // The window to centre on, once it exists (the sending window is made before it).
    void SetOverWindow(QWidget *over) { m_over = over; }

    void ShowSendingStatus(const QString &text) override;
    void SetProgressRange(int minimum, int maximum) override;
    void SetProgressPosition(int position) override;
    int ProgressMaximum() const override;
    void Repaint() override;
    void ShowWindow() override;
    void HideWindow() override;
    bool IsShowing() const override;
    bool Cancelled() const override { return m_cancelled; }
    void SetActiveClient(int number) override { m_activeClient = number; }
    int ActiveClient() const override { return m_activeClient; }

    void btnCancelClick();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormShow();

    MailClients &m_clients;
    QPointer<QWidget> m_over;
    FlatPanel *pnlBase = nullptr;
    QLabel *imgBack = nullptr;
    FlatProgressBar *pbSending = nullptr;
    QLabel *lbStatus = nullptr;
    TLabeledBmpBtn *btnCancel = nullptr;
    bool m_cancelled = false;
    int m_activeClient = 0;
};
