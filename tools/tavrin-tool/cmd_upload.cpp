// tavrin-tool upload: one picture to an FTP server, as the server route uploads it.

#include "mail/IdFTP.h"
#include "tools/tavrin-tool/ClientFailure.h"
#include "tools/tavrin-tool/Command.h"

#include <QFileInfo>

namespace {

int run(const QStringList &arguments)
{
    const ToolArgs args(
        arguments,
        QStringList {"--host", "--port", "--user", "--password", "--folder", "--name", "--timeout"}
            + kTlsOptionNames);
    if (!args.ok())
        return Fail(args.error());
    if (!args.has(QStringLiteral("--host")) || args.positional().size() != 1)
        return Fail(QStringLiteral("upload needs --host and one file"));

    TIdFTP ftp;
    if (!ReadPort(args, QStringLiteral("--port"), ftp.Port, &ftp.Port))
        return Fail(QStringLiteral("--port needs a port number from 1 to 65535"));
    if (!ReadTimeoutOption(args, &ftp.ReadTimeout))
        return Fail(QStringLiteral("--timeout needs a number of seconds above 0 and at most 86400"));
    ftp.ConnectTimeout = ftp.ReadTimeout;
    ftp.Host = args.value(QStringLiteral("--host"));
    ftp.Username = args.value(QStringLiteral("--user"));
    ftp.Password = args.value(QStringLiteral("--password"));
    QString error;
    if (!ReadTlsOptions(args, {&ftp}, &error))
        return Fail(error);
    const QString file = args.positional().first();
    const QString name = args.value(QStringLiteral("--name"), QFileInfo(file).fileName());

    return RunClientSteps(
        [&] {
            TIdFTP::CheckUpload(args.value(QStringLiteral("--folder")), name);
            ftp.Connect();
            if (args.has(QStringLiteral("--folder")))
                ftp.ChangeDir(args.value(QStringLiteral("--folder")));
            ftp.Put(file, name);
            ftp.Disconnect();
        },
        [&] { ftp.Disconnect(); });
}

const bool registered
    = RegisterCommand({"upload",
                       "upload --host H [--port P] [--user U --password W] [--folder DIR] "
                       "[--name REMOTE] [--timeout SECONDS] [--tls auto|required|implicit|none] "
                       "[--ca-file PEM] [--pin SHA256] FILE",
                       &run});

} // namespace
