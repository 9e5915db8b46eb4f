#pragma once

#include "common/Port.h"
#include "mail/ClientFailure.h"
#include "mail/CommandConnection.h"
#include "mail/TlsTransport.h"
#include "tools/tavrin-tool/Command.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <functional>
#include <optional>

// Runs the steps of a protocol command and prints "ok", or the failure kind (with the socket
// error number or the reply code) on one line and its text on the following ones. The exit code
// is 0 only after "ok". cleanup runs after a failure, before the report.
inline int RunClientSteps(const std::function<void()> &steps, const std::function<void()> &cleanup)
{
    ClientFailure failure;
    try {
        steps();
        Print(QStringLiteral("ok"));
        return 0;
    } catch (...) {
        failure = ClassifyFailure(std::current_exception());
    }
    cleanup();
    Print(failure.KindName());
    if (!failure.text.isEmpty())
        Print(QString(failure.text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    return 1;
}

// The value of a --port option: a port number (1..65535), or fallback when the option is absent.
inline bool ReadPort(const ToolArgs &args, const QString &option, int fallback, int *port)
{
    if (!args.has(option)) {
        *port = fallback;
        return true;
    }
    const std::optional<int> value = ParsePort(args.value(option));
    if (value)
        *port = *value;
    return value.has_value();
}

// The value of --timeout in milliseconds: decimal seconds, more than 0 and at most a day;
// kDefaultTimeoutSeconds when the option is absent. Scripts run unattended, so no wait is unbounded.
inline constexpr int kDefaultTimeoutSeconds = 60;
inline bool ReadTimeoutOption(const ToolArgs &args, int *milliseconds)
{
    bool ok = true;
    const double seconds = args.has(QStringLiteral("--timeout"))
        ? args.value(QStringLiteral("--timeout")).toDouble(&ok)
        : double(kDefaultTimeoutSeconds);
    if (!ok || !(seconds > 0 && seconds <= 86400))
        return false;
    *milliseconds = std::max(1, int(seconds * 1000));
    return true;
}

// --tls auto|required|implicit|none (default auto), --ca-file PEM, --pin SHA256[,SHA256...]: set on
// every client given. False with *error set when a value is wrong.
inline const QStringList kTlsOptionNames = {"--tls", "--ca-file", "--pin"};
inline bool ReadTlsOptions(const ToolArgs &args, const QList<CommandConnection *> &clients, QString *error)
{
    static const QMap<QString, TlsMode> modes = {{"auto", TlsMode::Auto},
                                                 {"required", TlsMode::Required},
                                                 {"implicit", TlsMode::Implicit},
                                                 {"none", TlsMode::None}};
    const QString mode = args.value(QStringLiteral("--tls"), QStringLiteral("auto"));
    if (!modes.contains(mode)) {
        *error = QStringLiteral("--tls is auto, required, implicit or none");
        return false;
    }
    const std::optional<QStringList> pins = TlsTransport::ParsePins(args.value(QStringLiteral("--pin")));
    if (!pins) {
        *error = QStringLiteral("--pin needs SHA-256 fingerprints of 64 hex digits");
        return false;
    }
    for (CommandConnection *client : clients) {
        client->UseTLS = modes.value(mode);
        client->CaFile = args.value(QStringLiteral("--ca-file"));
        client->Pins = *pins;
    }
    return true;
}
