// tavrin-tool: the program's core on the command line, for scripting and debugging.

#include "tools/tavrin-tool/Command.h"

#include <QCoreApplication>
#include <QMap>

#include <cstdio>
#include <map>
#include <string>

namespace {

std::map<std::string, ToolCommand> &registry()
{
    static std::map<std::string, ToolCommand> commands;
    return commands;
}

int usage()
{
    std::fputs("usage: tavrin-tool COMMAND [ARGS]\n\ncommands:\n", stderr);
    for (const auto &[name, command] : registry())
        std::fprintf(stderr, "  %s\n", command.usage);
    return 1;
}

} // namespace

bool RegisterCommand(const ToolCommand &command)
{
    registry().emplace(command.name, command);
    return true;
}

void Print(const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
}

int Fail(const QString &message)
{
    const QByteArray bytes = "tavrin-tool: " + message.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    return 1;
}

ToolArgs::ToolArgs(const QStringList &args, const QStringList &valueOptions, const QStringList &flagOptions)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (!a.startsWith(QLatin1String("--")) || a == QLatin1String("--")) {
            m_positional.append(a);
            continue;
        }
        if (flagOptions.contains(a)) {
            m_flags.append(a);
        } else if (valueOptions.contains(a)) {
            if (i + 1 >= args.size()) {
                m_error = QStringLiteral("option %1 needs a value").arg(a);
                return;
            }
            m_values.insert(a, args[++i]);
        } else {
            m_error = QStringLiteral("unknown option %1").arg(a);
            return;
        }
    }
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        return usage();
    const auto it = registry().find(args.first().toStdString());
    if (it == registry().end()) {
        Fail(QStringLiteral("unknown command %1").arg(args.first()));
        return usage();
    }
    args.removeFirst();
    return it->second.run(args);
}
