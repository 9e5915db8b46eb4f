#pragma once

#include "mail/ClientFailure.h"
#include "mail/CommandConnection.h"
#include "mail/Composition.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class Prompt;
class SendingWindow;
class TAddressBook;
class TDialUp;
class TUserData;
class Clock;
class ClockTimer;
struct MailClients;
struct TMailAddress;

// What a send run reads from the main window and tells it. The main window's model implements it.
class SendRunHost
{
public:
    virtual ~SendRunHost() = default;

    // A new entry made from the recipient pane: the name and address texts, whether the server
    // route box is ticked (shown or not), and the picture step's size preset, quality level, width
    // and height.
    virtual TMailAddress PaneEntry() const = 0;
    // The further recipients, read anew before every pass: how many, and the address book entry
    // the item at index carries.
    virtual int FurtherRecipientCount() const = 0;
    virtual TMailAddress *FurtherRecipient(int index) = 0;
    virtual QString SubjectText() const = 0;
    virtual QString BodyText() const = 0;

    // The current recipient: an entry of the address book or the history, the run's own entry made
    // from the pane (Delivery keeps it alive until its next run), or nullptr for none.
    virtual TMailAddress *CurrentRecipient() const = 0;
    virtual void SetCurrentRecipient(TMailAddress *entry) = 0;

    // Writes tmp.jpg for the recipient. Throws Exception when it cannot.
    virtual void RenderPicture(const TMailAddress &recipient) = 0;

    virtual TAddressBook &AddressBook() = 0;
    virtual TAddressBook &History() = 0;
    virtual void RefillRecipientLists() = 0;
    virtual void HidePopupList() = 0;
};

// How the program ends when the network stops answering: what the main window saves when it
// closes, then the end of the message loop.
class ProgramEnd
{
public:
    virtual ~ProgramEnd() = default;
    // The address book, the history, the folder list and the settings, as closing saves them.
    virtual void SaveEverything() = 0;
    virtual void Quit() = 0;
};

// The running program's end: the main window's save, then the event loop ends with exit code 1.
// From then on no modal window can show (every new event loop returns at once).
class EventLoopEnd : public ProgramEnd
{
public:
    explicit EventLoopEnd(std::function<void()> save)
        : m_save(std::move(save))
    { }
    void SaveEverything() override;
    void Quit() override;

private:
    std::function<void()> m_save;
};

// What a delivery is made of; all of it outlives the delivery.
struct DeliveryParts
{
    QString workFolder;
    TUserData &settings;
    MailClients &clients;
    SendingWindow &window;
    Prompt &prompt;
    Clock &clock;
    ProgramEnd &end;
    TDialUp *dialUp = nullptr; // needed when the settings say dial-up
    RandomDraw draw = SystemRandomDraw;
};

// The delivery pipeline: a send run mails the framed picture to the pane's recipient and every
// further recipient, one message and one SMTP connection each, after an FTP upload for the server
// route and a POP3 login before the first message; SendPicture sends one picture mail (also for
// scheduled capture). Everything runs on the caller's thread; the sending window's status and
// progress, every pause and every wait of the clients pump events, which is where the cancel
// button and the watchdog get their turn.
//
// The watchdog, a timer of the delivery's clock, runs during each network step. When it fires the
// program saves what closing saves, tells the user, and ends; the step in progress is broken off and
// nothing more is shown.
class Delivery : public QObject
{
    Q_OBJECT
public:
    static constexpr int StatusPauseMs = 250;
    static constexpr int WorkEndPauseMs = 500;
    static constexpr int TimeOutMs = 10000;
    static constexpr int DialUpTimeOutMs = 30000;

    // Takes over the clients' pump and progress handlers.
    explicit Delivery(DeliveryParts parts, QObject *parent = nullptr);
    ~Delivery() override;

    // True when every message of the run was sent.
    bool SendRun(SendRunHost &host);
    // One picture mail, with the upload for the server route and the POP3 login when the settings
    // ask for it and this is the first message of a run (always, outside a run).
    bool SendPicture(const PictureMail &mail);

    bool UploadPicture(const QString &uploadName);
    bool PopLogin();
    bool SmtpSend(TIdMessage &msg);

    void IdCompoWorkBegin(CommandConnection &sender, WorkMode mode, qint64 total);
    void IdCompoWork(CommandConnection &sender, WorkMode mode, qint64 count);
    void IdCompoPWorkEnd(CommandConnection &sender, WorkMode mode);

    // The watchdog's intervals: normally, and once a run has used dial-up (never set back).
    void SetTimeOutIntervals(int normalMs, int dialUpMs);
    void tmTimeOutTimer();
    const ClockTimer &Watchdog() const { return *tmTimeOut; }

    // Stops the scheduled capture's timer: every failure of a network step calls it.
    std::function<void()> StopIntervalTimer;

    bool FirstMessage() const { return m_firstMessage; }
    // Set once the watchdog has fired: the program is ending and shows nothing more.
    bool Ending() const { return m_ending; }

private:
    bool runStep(NetStep step, CommandConnection &client, int number, const std::function<void()> &lines);
    void status(const QString &text);
    void pause(int ms);
    void progressPosition(int position);
    void showError(const QString &text);
    // The platform's error box, for failures that are not the clients'.
    void showStandardError(const QString &text);
    QString tmpJpgPath() const;
    // Throws Exception when the setting is not a port number.
    int ftpPort() const;
    void report(bool result, const QString &pictureName);

    DeliveryParts m;
    std::unique_ptr<ClockTimer> tmTimeOut;
    bool m_firstMessage = true;
    bool m_ending = false;
    int m_dialUpTimeOutMs = DialUpTimeOutMs;
    std::unique_ptr<TMailAddress> m_paneEntry;
};
