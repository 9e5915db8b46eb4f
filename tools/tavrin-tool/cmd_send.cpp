// tavrin-tool send: one picture mail over SMTP, after a POP3 login when --pop-host is given.

#include "mail/IdPOP3.h"
#include "mail/IdSMTP.h"
#include "tools/tavrin-tool/ClientFailure.h"
#include "tools/tavrin-tool/Command.h"
#include "tools/tavrin-tool/MessageOptions.h"

#include <string>

namespace {

int run(const QStringList &arguments)
{
    QStringList options = MessageOptionNames();
    options << QStringLiteral("--host") << QStringLiteral("--port") << QStringLiteral("--helo")
            << QStringLiteral("--user") << QStringLiteral("--password") << QStringLiteral("--auth")
            << QStringLiteral("--access-token") << QStringLiteral("--pop-host")
            << QStringLiteral("--pop-port") << QStringLiteral("--timeout") << kTlsOptionNames;
    const ToolArgs args(arguments, options);
    if (args.ok() && !args.positional().isEmpty())
        return Fail(QStringLiteral("unexpected argument %1").arg(args.positional().first()));
    if (args.ok() && !args.has(QStringLiteral("--host")))
        return Fail(QStringLiteral("option --host is required"));
    TIdMessage msg;
    QString error;
    if (!ReadMessageOptions(args, &msg, &error))
        return Fail(error);

    const QString auth = args.value(QStringLiteral("--auth"), QStringLiteral("none"));
    if (auth != QLatin1String("none") && auth != QLatin1String("login") && auth != QLatin1String("xoauth2"))
        return Fail(QStringLiteral("--auth is login, xoauth2 or none"));
    if ((auth == QLatin1String("xoauth2")) != args.has(QStringLiteral("--access-token")))
        return Fail(QStringLiteral("--auth xoauth2 goes with --access-token TOKEN"));

    // As the program sets them: the SMTP server's name is also the name announced in EHLO, and
    // POP3 uses the SMTP credentials.
    TIdSMTP smtp;
    smtp.Host = args.value(QStringLiteral("--host"));
    if (!ReadPort(args, QStringLiteral("--port"), smtp.Port, &smtp.Port))
        return Fail(QStringLiteral("--port needs a port number from 1 to 65535"));
    smtp.HeloName = args.value(QStringLiteral("--helo"), smtp.Host);
    smtp.Username = args.value(QStringLiteral("--user"));
    smtp.Password = args.value(QStringLiteral("--password"));
    smtp.AccessToken = args.value(QStringLiteral("--access-token"));
    smtp.SetAuthenticationType(auth == QLatin1String("login")         ? atLogin
                                   : auth == QLatin1String("xoauth2") ? atXOAuth2
                                                                      : atNone);

    int timeout = 0;
    if (!ReadTimeoutOption(args, &timeout))
        return Fail(QStringLiteral("--timeout needs a number of seconds above 0 and at most 86400"));
    smtp.ConnectTimeout = smtp.ReadTimeout = timeout;

    TIdPOP3 pop;
    pop.ConnectTimeout = pop.ReadTimeout = timeout;
    const bool popFirst = args.has(QStringLiteral("--pop-host"));
    pop.Host = args.value(QStringLiteral("--pop-host"));
    if (!ReadPort(args, QStringLiteral("--pop-port"), pop.Port, &pop.Port))
        return Fail(QStringLiteral("--pop-port needs a port number from 1 to 65535"));
    pop.Username = smtp.Username;
    pop.Password = smtp.Password;

    if (!ReadTlsOptions(args, {&smtp, &pop}, &error))
        return Fail(error);

    return RunClientSteps(
        [&] {
            if (popFirst) {
                pop.Connect();
                pop.Disconnect();
            }
            smtp.Connect();
            smtp.Send(msg);
            smtp.Disconnect();
        },
        [&] {
            pop.Disconnect();
            smtp.Disconnect();
        });
}

const std::string usage
    = std::string("send --host H [--port P] [--helo NAME] [--user U --password W --auth login | --user U "
                  "--auth xoauth2 --access-token T] "
                  "[--pop-host H [--pop-port P]] [--timeout SECONDS] [--tls auto|required|implicit|none] "
                  "[--ca-file PEM] [--pin SHA256] ")
    + kMessageOptionsUsage;
const bool registered = RegisterCommand({"send", usage.c_str(), &run});

} // namespace
