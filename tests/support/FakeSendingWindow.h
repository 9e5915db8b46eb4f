#pragma once

#include "mail/MailClients.h"
#include "mail/SendingWindow.h"

#include <QList>
#include <QPair>
#include <QStringList>

// The sending window without a window: it notes every status text and progress range, and its
// Cancel does what the cancel button does.
class FakeSendingWindow : public SendingWindow
{
public:
    explicit FakeSendingWindow(MailClients &clients)
        : m_clients(clients)
    { }

    void ShowSendingStatus(const QString &text) override { statuses.append(text); }
    void SetProgressRange(int minimum, int maximum) override
    {
        ranges.append({minimum, maximum});
        m_maximum = maximum;
    }
    void SetProgressPosition(int position) override { this->position = position; }
    int ProgressMaximum() const override { return m_maximum; }
    void Repaint() override { ++repaints; }
    void ShowWindow() override
    {
        showing = true;
        cancelled = false;
    }
    void HideWindow() override { showing = false; }
    bool IsShowing() const override { return showing; }
    bool Cancelled() const override { return cancelled; }
    void SetActiveClient(int number) override
    {
        active = number;
        if (number != MailClients::None)
            activeClients.append(number);
    }
    int ActiveClient() const override { return active; }

    // The cancel button.
    void Cancel()
    {
        cancelled = true;
        showing = false;
        m_clients.Disconnect(active);
    }

    QStringList statuses;
    QList<QPair<int, int>> ranges;
    QList<int> activeClients;
    int position = 0;
    int repaints = 0;
    bool showing = false;
    bool cancelled = false;
    int active = MailClients::None;

private:
    MailClients &m_clients;
    int m_maximum = 100;
};
