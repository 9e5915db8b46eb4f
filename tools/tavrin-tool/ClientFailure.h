#pragma once

#include "mail/ClientFailure.h"
#include "tools/tavrin-tool/Command.h"

#include <QString>

#include <functional>

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

// The value of a --port option: a decimal number, or fallback when the option is absent.
inline bool ReadPort(const ToolArgs &args, const QString &option, int fallback, int *port)
{
    if (!args.has(option)) {
        *port = fallback;
        return true;
    }
    bool ok = false;
    *port = args.value(option).toInt(&ok, 10);
    return ok;
}
