// tavrin-tool message: the lines a picture mail sends between DATA and ".", on stdout.

#include "common/ShownText.h"
#include "mail/MessageWriter.h"
#include "tools/tavrin-tool/Command.h"
#include "tools/tavrin-tool/MessageOptions.h"

#include <cstdio>
#include <string>

#include <unistd.h>

namespace {

// The message as sent when stdout is a file or a pipe. On a terminal the ISO-2022-JP escapes (and
// any other control byte a text brings) would switch its character sets: they are shown as escapes.
class StdoutSink : public LineSink
{
public:
    void WriteLine(const QByteArray &line) override
    {
        const QByteArray text = m_terminal ? EscapeControls(QString::fromLatin1(line)).toLatin1() : line;
        const QByteArray bytes = text + "\r\n";
        std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    }

private:
    const bool m_terminal = isatty(fileno(stdout)) == 1;
};

int run(const QStringList &arguments)
{
    const ToolArgs args(arguments, MessageOptionNames());
    if (args.ok() && !args.positional().isEmpty())
        return Fail(QStringLiteral("unexpected argument %1").arg(args.positional().first()));
    TIdMessage msg;
    QString error;
    if (!ReadMessageOptions(args, &msg, &error))
        return Fail(error);
    StdoutSink sink;
    try {
        WriteMessage(msg, sink);
    } catch (const Exception &e) {
        std::fflush(stdout);
        return Fail(e.Message());
    }
    return std::fflush(stdout) == 0 ? 0 : Fail(QStringLiteral("cannot write the message"));
}

const std::string usage = std::string("message ") + kMessageOptionsUsage + "  (the message on stdout)";
const bool registered = RegisterCommand({"message", usage.c_str(), &run});

} // namespace
