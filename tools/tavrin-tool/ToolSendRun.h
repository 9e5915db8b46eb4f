#pragma once

// The pieces with which tavrin-tool runs the program's send run outside the window: the host that
// stands for the main window (its picture, address book and history come from a work folder), the
// sending window, the prompt, the waits and the end of the program. The tool dials nothing
// (NullDialUpService).

#include "common/Clock.h"
#include "common/Prompt.h"
#include "mail/AddressBook.h"
#include "mail/Delivery.h"
#include "mail/SendingWindow.h"
#include "picture/ConvertJpeg.h"
#include "picture/PictureCanvas.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>

// The largest --body-file of a send run: a handset shows a few kilobytes of mail text.
inline constexpr qint64 kMaxSendRunBodyBytes = 64 * 1024;

// One message the run showed, with the answer it got.
struct ShownMessage
{
    QString kind; // error, question, warning, info or message; " box" after it for the platform's box
    QString text;
    bool question = false;
    bool yes = false;
};

// Answers questions from a list, in order; a question without an answer is answered no (never add
// to the address book, never hang up). Every message is kept and handed to onMessage.
class ToolPrompt : public Prompt
{
public:
    explicit ToolPrompt(const QStringList &answers = {});

    std::function<void(const ShownMessage &)> onMessage;
    QList<ShownMessage> shown;

    int ShowMessageBox(const QString &text, int icon, int buttons) override;
    int ShowSystemMessageBox(const QString &text, int icon, int buttons) override;
    QSize AskPictureSize(const QString &, const QString &) override { return QSize(0, 0); }
    int PickColor(int) override { return -1; }

private:
    int show(const QString &kind, const QString &text, int buttons);
    std::deque<QString> m_answers;
};

// The text on one line, its line breaks shown as "\n".
QString OneLine(QString text);
// "question: TEXT -> no": a message as sendrun prints it, on one line.
QString MessageLine(const ShownMessage &message);

// Status lines ("status: TEXT") and progress ranges ("progress: 0-9000") go to onLine; the cancel
// button is never pressed.
class ToolSendingWindow : public SendingWindow
{
public:
    std::function<void(const QString &)> onLine;

    void ShowSendingStatus(const QString &text) override;
    void SetProgressRange(int minimum, int maximum) override;
    void SetProgressPosition(int) override { }
    int ProgressMaximum() const override { return m_maximum; }
    void Repaint() override { }
    void ShowWindow() override { m_showing = true; }
    void HideWindow() override { m_showing = false; }
    bool IsShowing() const override { return m_showing; }
    bool Cancelled() const override { return false; }
    void SetActiveClient(int number) override { m_active = number; }
    int ActiveClient() const override { return m_active; }

private:
    void line(const QString &text);
    int m_maximum = 100;
    int m_active = 0;
    bool m_showing = false;
};

// The event loop's waits, with the pauses counted, or skipped (only the pump runs).
class ToolClock : public EventLoopClock
{
public:
    explicit ToolClock(bool pauses)
        : m_pauses(pauses)
    { }
    void Pause(int ms) override;
    qint64 pausedMs = 0;

private:
    bool m_pauses;
};

// The main window as the send run sees it: the recipient pane's name, address and server route,
// the picture step's canvas, the further recipients, the mail text, and the work folder's address
// book and history.
class ToolHost : public SendRunHost
{
public:
    explicit ToolHost(const QString &work);

    // Loads the address book and the history of the work folder; the failure's text, or nothing.
    QString LoadBooks();
    // Saves them as closing the window does (the history cut to its length). Both are tried; an
    // Exception then names each that failed.
    void SaveBooks();

    TMailAddress PaneEntry() const override;
    int FurtherRecipientCount() const override { return int(further.size()); }
    TMailAddress *FurtherRecipient(int index) override { return further.at(index); }
    QString SubjectText() const override { return subject; }
    QString BodyText() const override { return body; }
    TMailAddress *CurrentRecipient() const override { return current; }
    void SetCurrentRecipient(TMailAddress *entry) override { current = entry; }
    void RenderPicture(const TMailAddress &recipient) override;
    TAddressBook &AddressBook() override { return book; }
    TAddressBook &History() override { return history; }
    void RefillRecipientLists() override { }
    void HidePopupList() override { }

    PictureCanvas canvas;
    TAddressBook book;
    TAddressBook history;
    QString name;
    QString address;
    bool serverRoute = false;
    QString subject;
    QString body;
    QList<TMailAddress *> further;
    TMailAddress *current = nullptr;
    // Each picture rendered, for the recipient it was rendered for.
    std::function<void(const TMailAddress &, const TConvertJpeg::Result &)> onRender;
    std::optional<TConvertJpeg::Result> lastRender;
};

// When the watchdog ends the program: the books are saved as closing saves them, and the run
// stops.
class ToolEnd : public ProgramEnd
{
public:
    explicit ToolEnd(ToolHost &host)
        : m_host(host)
    { }
    void SaveEverything() override;
    void Quit() override;
    std::function<void(const QString &)> onLine; // "saved", "quit"
    bool quit = false;

private:
    ToolHost &m_host;
};
