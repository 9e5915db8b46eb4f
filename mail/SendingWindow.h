#pragma once

#include <QString>

// The sending window as the delivery pipeline uses it: a status line, a progress bar, a cancel
// button that sets the cancelled flag and breaks the connection of the client in use (named by
// its number, MailClients), and show and hide. Nothing here processes events: the pipeline pumps
// after each change.
class SendingWindow
{
public:
    virtual ~SendingWindow() = default;

    virtual void ShowSendingStatus(const QString &text) = 0;
    virtual void SetProgressRange(int minimum, int maximum) = 0;
    virtual void SetProgressPosition(int position) = 0;
    virtual int ProgressMaximum() const = 0;
    // Draws the window now, for a pipeline that is about to block.
    virtual void Repaint() = 0;

    // Showing clears the cancelled flag.
    virtual void ShowWindow() = 0;
    virtual void HideWindow() = 0;
    virtual bool IsShowing() const = 0;
    virtual bool Cancelled() const = 0;

    // The client the cancel button disconnects: MailClients::None, Pop3, Smtp or Ftp.
    virtual void SetActiveClient(int number) = 0;
    virtual int ActiveClient() const = 0;
};
