#pragma once

#include "common/Exception.h"
#include "mail/IdException.h"
#include "mail/MessageWriter.h"
#include "tools/tavrin-tool/Command.h"

#include <QString>

#include <functional>

// Runs the steps of a protocol command and prints "ok", or the failure kind (with the socket
// error number or the reply code) on one line and its text on the following ones. The exit code
// is 0 only after "ok". cleanup runs after a failure, before the report.
inline int RunClientSteps(const std::function<void()> &steps, const std::function<void()> &cleanup)
{
    QString kind;
    QString text;
    try {
        steps();
        Print(QStringLiteral("ok"));
        return 0;
    } catch (const EIdConnClosedGracefully &e) {
        kind = QStringLiteral("EIdConnClosedGracefully");
        text = e.Message();
    } catch (const EIdSocketError &e) {
        kind = QStringLiteral("EIdSocketError %1").arg(e.LastError());
        text = e.Message();
    } catch (const EIdProtocolReplyError &e) {
        kind = QStringLiteral("EIdProtocolReplyError %1").arg(e.ReplyErrorCode());
        text = e.Message();
    } catch (const EIdReadLnMaxLineLengthExceeded &e) {
        kind = QStringLiteral("EIdReadLnMaxLineLengthExceeded");
        text = e.Message();
    } catch (const EIdException &e) {
        kind = QStringLiteral("EIdException");
        text = e.Message();
    } catch (const EFileError &e) {
        kind = QStringLiteral("EFileError");
        text = e.Message();
    } catch (const EMessageError &e) {
        kind = QStringLiteral("EMessageError");
        text = e.Message();
    } catch (const Exception &e) {
        kind = QStringLiteral("Exception");
        text = e.Message();
    }
    cleanup();
    Print(kind);
    if (!text.isEmpty())
        Print(QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
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
