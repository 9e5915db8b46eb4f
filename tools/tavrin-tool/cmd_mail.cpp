// tavrin-tool mail: one picture mailed to one recipient the way the window sends it, with the work
// folder's settings, address book and history, for scripts that run unattended (a webcam and cron).

#include "common/Exception.h"
#include "common/UserData.h"
#include "mail/Carrier.h"
#include "mail/ClientSettings.h"
#include "mail/DialUp.h"
#include "mail/MailClients.h"
#include "mainwindow/model/MainModel.h"
#include "platform/null/NullDialUpService.h"
#include "tools/tavrin-tool/ClientFailure.h"
#include "tools/tavrin-tool/Command.h"
#include "tools/tavrin-tool/ToolPicture.h"
#include "tools/tavrin-tool/ToolSendRun.h"
#include "tools/tavrin-tool/ToolSignIn.h"

#include <QDir>
#include <QSet>

#include <cstdio>
#include <optional>

namespace {

// Exit codes a script can act on.
constexpr int kSent = 0;
constexpr int kFailed = 1; // the run failed: the messages say why (a server, the network)
constexpr int kRefused = 2; // nothing was tried: the command line, the picture or the settings
constexpr int kTimedOut = 3; // a server stopped answering; the run was broken off

int refuse(const QString &message)
{
    Fail(message);
    return kRefused;
}

// The address book entry with that address (letter case aside), else the only one with that name.
// Nothing, with *error set when several entries bear the name, when there is none.
TMailAddress *findRecipient(TAddressBook &book, const QString &to, QString *error)
{
    if (const int at = book.Find(to); at >= 0)
        return &book.Get(at);
    TMailAddress *found = nullptr;
    for (int i = 0; i < book.Count(); ++i) {
        if (book.Get(i).Name != to)
            continue;
        if (found) {
            *error = QStringLiteral("several entries of the address book are named %1: give the address")
                         .arg(to);
            return nullptr;
        }
        found = &book.Get(i);
    }
    return found;
}

QSet<QString> sentPictures(const QString &work)
{
    const QStringList names = QDir(work + QStringLiteral("Recent")).entryList(QDir::Files);
    return QSet<QString>(names.begin(), names.end());
}

int run(const QStringList &arguments)
{
    const ToolArgs args(arguments,
                        {"--to", "--to-name", "--preset", "--quality", "--size", "--subject", "--body-file",
                         "--work", "--timeout"},
                        {"--server-route", "--progress"});
    if (!args.ok())
        return refuse(args.error());
    if (args.positional().size() != 1)
        return refuse(QStringLiteral("mail needs one PHOTO: a .bmp bitmap or a JPEG file"));
    if (!args.has("--to"))
        return refuse(QStringLiteral("option --to is required"));
    int timeout = 0;
    if (!ReadTimeoutOption(args, &timeout))
        return refuse(QStringLiteral("--timeout needs a number of seconds above 0 and at most 86400"));
    std::optional<PictureOptions> picture;
    QString error;
    if (args.has("--preset") || args.has("--quality") || args.has("--size")) {
        picture = ReadPictureOptions(args, &error);
        if (!picture)
            return refuse(error);
    }
    const QString subject = args.value("--subject");
    if (subject.contains(QLatin1Char('\n')) || subject.contains(QLatin1Char('\r')))
        return refuse(QStringLiteral("--subject must be one line"));
    if (MainModel::LimitSubject(subject) != subject)
        return refuse(
            QStringLiteral("--subject holds at most %1 bytes in Shift_JIS (%2 full-width characters)")
                .arg(MainModel::kSubjectBytes)
                .arg(MainModel::kSubjectBytes / 2));
    QString body;
    if (args.has("--body-file")) {
        const std::optional<QString> text
            = ReadTextFile(args.value("--body-file"), kMaxSendRunBodyBytes, &error);
        if (!text)
            return refuse(error);
        body = *text;
    }

    const QString work = ToolWorkFolder(args, &error);
    if (work.isEmpty())
        return refuse(error);
    TUserData settings(work);
    if (const QString problem = LoadMailSettings(work, settings); !problem.isEmpty())
        return refuse(problem);

    ToolHost host(work);
    if (const QString problem = host.LoadBooks(); !problem.isEmpty())
        return refuse(problem);
    const QString to = args.value("--to");
    if (TMailAddress *entry = findRecipient(host.book, to, &error)) {
        if (args.has("--to-name") || args.has("--server-route"))
            return refuse(QStringLiteral("%1 is in the address book: --to-name and --server-route are for an "
                                         "address that is not")
                              .arg(to));
        // As picked in the recipient pane; given picture settings are sent without changing the entry.
        host.name = entry->Name;
        host.address = entry->Address;
        host.serverRoute = entry->ServerRoute;
        host.current = entry;
        if (!picture) {
            picture = PictureOptions {entry->SizePreset, entry->QualityLevel, std::nullopt};
            if (entry->SizePreset == 3)
                picture->userSize = QSize(entry->Width, entry->Height);
        }
    } else {
        if (!error.isEmpty())
            return refuse(error);
        if (!to.contains(QLatin1Char('@')))
            return refuse(
                QStringLiteral("%1 is neither a name nor an address of the address book %2Tavrin.ADX")
                    .arg(to, work));
        if (!picture)
            return refuse(
                QStringLiteral("%1 is not in the address book: give --preset and --quality (and --size "
                               "W,H for the user size) to send to it")
                    .arg(to));
        host.name = args.value("--to-name");
        host.address = to;
        host.serverRoute = args.has("--server-route");
    }
    if (host.serverRoute && !settings.FtpComplete())
        return refuse(QStringLiteral("FTPサーバーが設定されていません。設定を確認して下さい。"));
    host.subject = subject;
    host.body = body;

    // Framed as the picture step first shows it, with nothing done by hand.
    if (const QString problem = LoadToolPicture(host.canvas, args.positional().first()); !problem.isEmpty())
        return refuse(problem);
    EnterPictureStep(host.canvas, *picture);
    host.canvas.ResizeByWidth();
    host.canvas.Centering();
    host.canvas.SetBackgroundColor(Rgb {255, 255, 255});

    // The tool dials nothing: the mail goes over whatever connection the machine has.
    settings.Connect = true;
    MailClients clients;
    ApplySettings(clients.IdSMTP, settings);
    ApplySettings(clients.IdPOP3, settings);
    ApplySettings(clients.IdFTP, settings); // a wrong port is reported by the upload
    // A sign-in that is gone sends nothing.
    ToolSignIn signIn(work);
    if (const QString problem = signIn.Prepare(clients, settings); !problem.isEmpty())
        return refuse(problem);
    // The watchdog ends a silent server's step; the clients' own limits only back it up.
    for (CommandConnection *client : {static_cast<CommandConnection *>(&clients.IdSMTP),
                                      static_cast<CommandConnection *>(&clients.IdPOP3),
                                      static_cast<CommandConnection *>(&clients.IdFTP)})
        client->ConnectTimeout = client->ReadTimeout = timeout * 2;

    const bool progress = args.has("--progress");
    const auto note = [](const QString &line) {
        const QByteArray bytes = "tavrin-tool: " + line.toUtf8() + '\n';
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    };
    ToolPrompt prompt;
    prompt.onMessage = [&](const ShownMessage &message) {
        if (progress)
            note(MessageLine(message));
        else if (!message.question && message.kind != QLatin1String("info"))
            Fail(OneLine(message.text));
    };
    ToolSendingWindow window;
    if (progress)
        window.onLine = note;
    ToolClock clock(false); // pauses are for eyes on the sending window
    ToolEnd end(host);
    NullDialUpService noDialUp;
    TDialUp dialUp(noDialUp, clock);
    Delivery delivery({work, settings, clients, window, prompt, clock, end, &dialUp});
    delivery.SetTimeOutIntervals(timeout, timeout);

    const QSet<QString> before = sentPictures(work);
    const TMailAddress recipient = host.PaneEntry();
    const bool sent = delivery.SendRun(host);
    if (end.quit)
        return kTimedOut;
    if (!sent)
        return kFailed;
    try {
        host.SaveBooks();
    } catch (const Exception &e) {
        // The mail is out: a script must not send it again for this.
        Fail(e.Message());
    }

    QString line = QStringLiteral("sent to=%1 picture=%2x%3 quality=%4 bytes=%5 budget=%6")
                       .arg(recipient.Address)
                       .arg(recipient.Width)
                       .arg(recipient.Height)
                       .arg(host.lastRender ? host.lastRender->quality : 0)
                       .arg(host.lastRender ? host.lastRender->size : 0)
                       .arg(ByteBudget(recipient));
    const QSet<QString> added = sentPictures(work) - before;
    if (added.size() == 1)
        line += QStringLiteral(" kept=%1Recent/%2").arg(work, *added.begin());
    Print(line);
    return kSent;
}

const bool registered = RegisterCommand(
    {"mail",
     "mail PHOTO --to ADDRESS|NAME [--preset P --quality Q [--size W,H]] [--to-name NAME] [--server-route] "
     "[--subject S] [--body-file F] [--work DIR] [--timeout SECONDS] [--progress]  (frames the photo and "
     "mails it "
     "as Tavrin does, with the settings, address book and history of the work folder)",
     &run,
     "Frames PHOTO (a .bmp bitmap or a JPEG file) as the picture step first shows it: fitted to the\n"
     "width of the frame, centred, on a white background. Renders it in the recipient's picture size\n"
     "within the byte budget of the recipient's carrier and quality level, and sends it as Tavrin does:\n"
     "POP before SMTP and TLS as the settings say, the upload and the link for the server route, a copy\n"
     "of the picture in the Recent folder and the recipient at the head of the history.\n"
     "\n"
     "  --to ADDRESS|NAME  an entry of the address book, by address (letter case aside) or by name; its\n"
     "                     picture size, quality level and server route are used. Any other address\n"
     "                     needs --preset and --quality and is not added to the address book.\n"
     "  --preset P         0 = 120 x 120, 1 = 132 x 176, 2 = 240 x 320, 3 = user size (--size W,H:\n"
     "                     W 120 to 240, H 120 to 320); for an address book entry, sent instead of\n"
     "                     its own settings, which stay as they are\n"
     "  --quality Q        0 low, 1 middle, 2 high: the byte budget\n"
     "  --to-name NAME     the name shown with an address that is not in the address book\n"
     "  --server-route     upload the picture to the FTP server and link it (an address that is not\n"
     "                     in the address book; entries carry their own choice)\n"
     "  --subject S        at most 36 bytes in Shift_JIS (18 full-width characters)\n"
     "  --body-file F      the mail text, UTF-8\n"
     "  --work DIR         the work folder: tav.ini, Tavrin.ADX, History.ADX and Recent/. Without it,\n"
     "                     the one Tavrin uses (see: tavrin-tool workfolder)\n"
     "  --timeout SECONDS  the longest wait for a server in each step (60 by default); then the run is\n"
     "                     broken off\n"
     "  --progress         every status line and message on the standard error\n"
     "\n"
     "No dial-up connection is made: the mail goes over the connection the machine has. Nothing is\n"
     "asked: a typed address is not added to the address book.\n"
     "\n"
     "On success one line on the standard output:\n"
     "  sent to=ADDRESS picture=WxH quality=JPEG-QUALITY bytes=SIZE budget=BYTES kept=PATH\n"
     "Otherwise the messages Tavrin would show, one per line on the standard error.\n"
     "\n"
     "Exit codes: 0 sent; 1 the send failed (the server or the network: the messages say which);\n"
     "2 nothing was sent: the command line, the photo, the recipient or the settings are wrong;\n"
     "3 a server stopped answering and the run was broken off."});

} // namespace
