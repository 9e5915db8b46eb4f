// tavrin-tool sendrun: a whole send run as the main window starts it, with the work folder's
// settings, address book and history, and the answers to its questions given in advance. Prints
// every status line, progress range and message on a line of its own.

#include "common/Prompt.h"
#include "common/UserData.h"
#include "common/Waiter.h"
#include "mail/AddressBook.h"
#include "mail/Delivery.h"
#include "mail/DialUp.h"
#include "mail/MailClients.h"
#include "mail/SendingWindow.h"
#include "picture/PictureCanvas.h"
#include "platform/DialUpService.h"
#include "tools/tavrin-tool/ClientFailure.h"
#include "tools/tavrin-tool/Command.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <deque>
#include <optional>

namespace {

QString iconName(int icon)
{
    switch (icon) {
    case Msg::IconError:
        return QStringLiteral("error");
    case Msg::IconQuestion:
        return QStringLiteral("question");
    case Msg::IconExclamation:
        return QStringLiteral("warning");
    case Msg::IconInformation:
        return QStringLiteral("info");
    default:
        return QStringLiteral("message");
    }
}

QString oneLine(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\\n"))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"));
}

// Answers from the command line, in order; a question without one is answered no.
class ToolPrompt : public Prompt
{
public:
    explicit ToolPrompt(const QStringList &answers)
        : m_answers(answers.begin(), answers.end())
    { }

    std::function<void(const QString &)> onMessage;

    int ShowMessageBox(const QString &text, int icon, int buttons) override
    {
        return show(iconName(icon), text, buttons);
    }
    int ShowSystemMessageBox(const QString &text, int icon, int buttons) override
    {
        return show(iconName(icon) + QStringLiteral(" box"), text, buttons);
    }
    QSize AskPictureSize(const QString &, const QString &) override { return QSize(0, 0); }
    int PickColor(int) override { return -1; }

private:
    int show(const QString &kind, const QString &text, int buttons)
    {
        if (onMessage)
            onMessage(text);
        if (buttons != Msg::ButtonsYesNo) {
            Print(kind + QStringLiteral(": ") + oneLine(text));
            return Msg::Ok;
        }
        bool yes = false;
        if (!m_answers.empty()) {
            yes = m_answers.front() == QLatin1String("yes");
            m_answers.pop_front();
        }
        Print(kind + QStringLiteral(": ") + oneLine(text)
              + (yes ? QStringLiteral(" -> yes") : QStringLiteral(" -> no")));
        return yes ? Msg::Yes : Msg::No;
    }

    std::deque<QString> m_answers;
};

class ToolSendingWindow : public SendingWindow
{
public:
    void ShowSendingStatus(const QString &text) override { Print(QStringLiteral("status: ") + text); }
    void SetProgressRange(int minimum, int maximum) override
    {
        m_maximum = maximum;
        Print(QStringLiteral("progress: %1-%2").arg(minimum).arg(maximum));
    }
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
    int m_maximum = 100;
    int m_active = 0;
    bool m_showing = false;
};

// The event loop's waits, with the pauses counted (or skipped).
class ToolWaiter : public EventLoopWaiter
{
public:
    explicit ToolWaiter(bool pauses)
        : m_pauses(pauses)
    { }
    void Pause(int ms) override
    {
        if (!m_pauses)
            return Pump();
        pausedMs += ms;
        EventLoopWaiter::Pause(ms);
    }
    qint64 pausedMs = 0;

private:
    bool m_pauses;
};

// The tool dials nothing.
class NoDialUp : public DialUpService
{
public:
    QStringList Entries() override { return {}; }
    QString DefaultEntry() override { return {}; }
    QString ActiveConnection() override { return {}; }
    bool StartDial(const QString &) override { return false; }
    bool Dialing() override { return false; }
    void HangUp(const QString &) override { }
};

class ToolHost : public SendRunHost
{
public:
    explicit ToolHost(const QString &work)
        : canvas(work)
        , book(work)
        , history(work)
    { }

    TMailAddress PaneEntry() const override
    {
        TMailAddress entry;
        entry.Name = name;
        entry.Address = address;
        entry.ServerRoute = serverRoute;
        canvas.FillPictureParameters(entry);
        return entry;
    }
    int FurtherRecipientCount() const override { return int(further.size()); }
    TMailAddress *FurtherRecipient(int index) override { return further.at(index); }
    QString SubjectText() const override { return subject; }
    QString BodyText() const override { return body; }
    TMailAddress *CurrentRecipient() const override { return current; }
    void SetCurrentRecipient(TMailAddress *entry) override { current = entry; }
    void RenderPicture(const TMailAddress &recipient) override
    {
        const TConvertJpeg::Result r = canvas.RenderPicture(recipient);
        Print(QStringLiteral("render: %1 %2x%3 quality=%4 size=%5")
                  .arg(recipient.Address)
                  .arg(recipient.Width)
                  .arg(recipient.Height)
                  .arg(r.quality)
                  .arg(r.size));
    }
    TAddressBook &AddressBook() override { return book; }
    TAddressBook &History() override { return history; }
    void RefillRecipientLists() override { }
    void HidePopupList() override { }

    TPictureCanvas canvas;
    TAddressBook book;
    TAddressBook history;
    QString name;
    QString address;
    bool serverRoute = false;
    QString subject;
    QString body;
    QList<TMailAddress *> further;
    TMailAddress *current = nullptr;
};

class ToolEnd : public ProgramEnd
{
public:
    explicit ToolEnd(ToolHost &host)
        : m_host(host)
    { }
    void SaveEverything() override
    {
        saveBooks(m_host);
        Print(QStringLiteral("saved"));
    }
    void Quit() override
    {
        quit = true;
        Print(QStringLiteral("quit"));
    }
    static void saveBooks(ToolHost &host)
    {
        host.book.Save(QStringLiteral("Tavrin.ADX"));
        host.history.TrimTo(TAddressBook::kHistoryLimit);
        host.history.Save(QStringLiteral("History.ADX"));
    }
    bool quit = false;

private:
    ToolHost &m_host;
};

std::optional<int> number(const QString &text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok, 10);
    return ok ? std::optional<int>(v) : std::nullopt;
}

int run(const QStringList &arguments)
{
    const ToolArgs args(arguments,
                        {"--work", "--picture", "--to-name", "--to", "--preset", "--quality", "--size",
                         "--cc", "--subject", "--body-file", "--answers", "--smtp-port", "--pop-port",
                         "--timeout-ms"},
                        {"--server-route", "--picked", "--no-pauses", "--timing"});
    if (!args.ok())
        return Fail(args.error());
    for (const char *required : {"--work", "--picture", "--to", "--preset", "--quality"}) {
        if (!args.has(QLatin1String(required)))
            return Fail(QStringLiteral("option %1 is required").arg(QLatin1String(required)));
    }
    const QString work = QDir(args.value("--work")).absolutePath() + QLatin1Char('/');
    TUserData settings(work);
    if (!settings.LoadFromWorkFolder())
        return Fail(QStringLiteral("cannot read %1tav.ini").arg(work));

    ToolHost host(work);
    try {
        host.book.Load(QStringLiteral("Tavrin.ADX"));
        host.history.Load(QStringLiteral("History.ADX"));
    } catch (const Exception &e) {
        return Fail(e.Message());
    }
    if (!host.canvas.LoadPicture(args.value("--picture")))
        return Fail(QStringLiteral("cannot read the picture %1").arg(args.value("--picture")));
    const std::optional<int> preset = number(args.value("--preset"));
    const std::optional<int> quality = number(args.value("--quality"));
    if (!preset || *preset < 0 || *preset > 3 || !quality || *quality < 0 || *quality > 2)
        return Fail(QStringLiteral("--preset is 0 to 3 and --quality 0 to 2"));
    if (*preset == 3) {
        const QStringList size = args.value("--size").split(QLatin1Char(','));
        const std::optional<int> w = size.size() == 2 ? number(size[0]) : std::nullopt;
        const std::optional<int> h = size.size() == 2 ? number(size[1]) : std::nullopt;
        if (!w || !h)
            return Fail(QStringLiteral("--preset 3 needs --size W,H"));
        host.canvas.SetPictureSize(*w, *h);
    }
    host.canvas.SetSizePreset(*preset);
    host.canvas.SetQualityLevel(*quality);
    host.canvas.SizePresetChanged(false, !args.has("--cc"));
    host.canvas.SetEnabled(true);

    host.name = args.value("--to-name");
    host.address = args.value("--to");
    host.serverRoute = args.has("--server-route");
    host.subject = args.value("--subject");
    if (args.has("--body-file")) {
        QFile body(args.value("--body-file"));
        if (!body.open(QIODevice::ReadOnly))
            return Fail(QStringLiteral("cannot read %1").arg(body.fileName()));
        host.body = QString::fromUtf8(body.readAll());
    }
    for (const QString &address : args.value("--cc").split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const int at = host.book.Find(address);
        if (at < 0)
            return Fail(QStringLiteral("%1 is not in the address book").arg(address));
        host.further.append(&host.book.Get(at));
    }
    if (args.has("--picked")) {
        const int at = host.book.Find(host.address);
        if (at < 0)
            return Fail(QStringLiteral("--picked needs %1 in the address book").arg(host.address));
        host.current = &host.book.Get(at);
    }

    MailClients clients;
    clients.IdSMTP.Port = settings.UseOP25B ? 587 : 25;
    if (args.has("--smtp-port") && !ReadPort(args, QStringLiteral("--smtp-port"), 25, &clients.IdSMTP.Port))
        return Fail(QStringLiteral("--smtp-port needs a decimal number"));
    if (args.has("--pop-port") && !ReadPort(args, QStringLiteral("--pop-port"), 110, &clients.IdPOP3.Port))
        return Fail(QStringLiteral("--pop-port needs a decimal number"));

    ToolPrompt prompt(args.value("--answers").split(QLatin1Char(','), Qt::SkipEmptyParts));
    ToolSendingWindow window;
    ToolWaiter waiter(!args.has("--no-pauses"));
    ToolEnd end(host);
    NoDialUp noDialUp;
    TDialUp dialUp(noDialUp, waiter);
    Delivery delivery({work, settings, clients, window, prompt, waiter, end, &dialUp});
    if (args.has("--timeout-ms")) {
        const std::optional<int> ms = number(args.value("--timeout-ms"));
        if (!ms || *ms <= 0)
            return Fail(QStringLiteral("--timeout-ms needs a positive number"));
        delivery.SetTimeOutIntervals(*ms, *ms);
    }

    // From the confirmation to the report: our own time is the rest once the pauses are taken off.
    QElapsedTimer clock;
    qint64 reportedMs = -1;
    qint64 pausedAtReport = 0;
    prompt.onMessage = [&](const QString &text) {
        if (reportedMs < 0 && text == QStringLiteral("送信しました。")) {
            reportedMs = clock.elapsed();
            pausedAtReport = waiter.pausedMs;
        }
    };
    clock.start();
    const bool sent = delivery.SendRun(host);
    if (end.quit)
        return 3;
    ToolEnd::saveBooks(host);
    if (args.has("--timing") && reportedMs >= 0)
        Print(QStringLiteral("time: total=%1 paused=%2 own=%3 ms")
                  .arg(reportedMs)
                  .arg(pausedAtReport)
                  .arg(reportedMs - pausedAtReport));
    Print(sent ? QStringLiteral("result: sent") : QStringLiteral("result: failed"));
    return sent ? 0 : 1;
}

const bool registered = RegisterCommand(
    {"sendrun",
     "sendrun --work DIR --picture FILE --to ADDRESS [--to-name NAME] [--server-route] --preset P --quality "
     "Q "
     "[--size W,H] [--cc ADDRESS,...] [--picked] [--subject S] [--body-file F] [--answers yes,no,...] "
     "[--smtp-port P] [--pop-port P] [--timeout-ms N] [--no-pauses] [--timing]  (settings, address book and "
     "history from DIR; --cc and --picked name address book entries; prints status lines, progress and "
     "messages)",
     &run});

} // namespace
