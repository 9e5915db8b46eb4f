// tavrin-tool sendrun: a whole send run as the main window starts it, with the work folder's
// settings, address book and history, and the answers to its questions given in advance. Prints
// every status line, progress range and message on a line of its own.

#include "common/UserData.h"
#include "mail/DialUp.h"
#include "mail/MailClients.h"
#include "platform/null/NullDialUpService.h"
#include "tools/tavrin-tool/ClientFailure.h"
#include "tools/tavrin-tool/Command.h"
#include "tools/tavrin-tool/ToolPicture.h"
#include "tools/tavrin-tool/ToolSendRun.h"
#include "tools/tavrin-tool/ToolSignIn.h"

#include <QDir>
#include <QElapsedTimer>

#include <optional>

namespace {

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
    if (const QString error = host.LoadBooks(); !error.isEmpty())
        return Fail(error);
    host.onRender = [](const TMailAddress &recipient, const TConvertJpeg::Result &r) {
        Print(QStringLiteral("render: %1 %2x%3 quality=%4 size=%5")
                  .arg(recipient.Address)
                  .arg(recipient.Width)
                  .arg(recipient.Height)
                  .arg(r.quality)
                  .arg(r.size));
    };
    if (const QString problem = LoadToolPicture(host.canvas, args.value("--picture")); !problem.isEmpty())
        return Fail(problem);
    QString problem;
    const std::optional<PictureOptions> picture = ReadPictureOptions(args, &problem);
    if (!picture)
        return Fail(problem);
    EnterPictureStep(host.canvas, *picture, !args.has("--cc"));

    host.name = args.value("--to-name");
    host.address = args.value("--to");
    host.serverRoute = args.has("--server-route");
    host.subject = args.value("--subject");
    if (args.has("--body-file")) {
        const std::optional<QString> body
            = ReadTextFile(args.value("--body-file"), kMaxSendRunBodyBytes, &problem);
        if (!body)
            return Fail(problem);
        host.body = *body;
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
    clients.IdSMTP.Port = settings.SmtpPortInUse();
    if (args.has("--smtp-port") && !ReadPort(args, QStringLiteral("--smtp-port"), 25, &clients.IdSMTP.Port))
        return Fail(QStringLiteral("--smtp-port needs a port number from 1 to 65535"));
    if (args.has("--pop-port") && !ReadPort(args, QStringLiteral("--pop-port"), 110, &clients.IdPOP3.Port))
        return Fail(QStringLiteral("--pop-port needs a port number from 1 to 65535"));
    // A sign-in that is gone sends nothing.
    ToolSignIn signIn(work);
    if (const QString problem = signIn.Prepare(clients, settings); !problem.isEmpty()) {
        Fail(problem);
        return 2;
    }

    ToolPrompt prompt(args.value("--answers").split(QLatin1Char(','), Qt::SkipEmptyParts));
    ToolSendingWindow window;
    window.onLine = Print;
    ToolClock clock(!args.has("--no-pauses"));
    ToolEnd end(host);
    end.onLine = Print;
    NullDialUpService noDialUp;
    TDialUp dialUp(noDialUp, clock);
    Delivery delivery({work, settings, clients, window, prompt, clock, end, &dialUp});
    if (args.has("--timeout-ms")) {
        const std::optional<int> ms = ToolInteger(args.value("--timeout-ms"));
        if (!ms || *ms <= 0)
            return Fail(QStringLiteral("--timeout-ms needs a positive number"));
        delivery.SetTimeOutIntervals(*ms, *ms);
    }

    // From the confirmation to the report: our own time is the rest once the pauses are taken off.
    QElapsedTimer run;
    qint64 reportedMs = -1;
    qint64 pausedAtReport = 0;
    prompt.onMessage = [&](const ShownMessage &message) {
        Print(MessageLine(message));
        if (reportedMs < 0 && message.text == QStringLiteral("送信しました。")) {
            reportedMs = run.elapsed();
            pausedAtReport = clock.pausedMs;
        }
    };
    run.start();
    const bool sent = delivery.SendRun(host);
    if (end.quit)
        return 3;
    try {
        host.SaveBooks();
    } catch (const Exception &e) {
        return Fail(e.Message());
    }
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
