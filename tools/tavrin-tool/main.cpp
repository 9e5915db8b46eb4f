// tavrin-tool: the program's core on the command line, for scripting and debugging.

#include "tools/tavrin-tool/Command.h"

#include "common/BoundedFile.h"
#include "common/ShownText.h"
#include "common/UserData.h"
#include "common/WorkFolder.h"
#include "picture/BmpFile.h"
#include "picture/ConvertJpeg.h"
#include "picture/JpegCodec.h"
#include "platform/linux/ModuleBackends.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
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

void listCommands(FILE *to)
{
    std::fputs("usage: tavrin-tool COMMAND [ARGS]\n"
               "       tavrin-tool COMMAND --help\n"
               "       tavrin-tool --version\n\ncommands:\n",
               to);
    for (const auto &[name, command] : registry())
        std::fprintf(to, "  %s\n", command.usage);
}

int usage()
{
    listCommands(stderr);
    return 1;
}

int help(const ToolCommand &command)
{
    std::printf("usage: tavrin-tool %s\n", command.usage);
    if (command.help)
        std::printf("\n%s\n", command.help);
    return 0;
}

bool asksForHelp(const QStringList &args)
{
    return args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"));
}

} // namespace

bool RegisterCommand(const ToolCommand &command)
{
    registry().emplace(command.name, command);
    return true;
}

// Results and messages quote file contents, paths and server replies: none of their control
// characters reaches a terminal raw. Line breaks and tabs stay; they only lay the text out.
void Print(const QString &line)
{
    const QByteArray bytes = EscapeControls(line, u"\n\t").toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
}

int Fail(const QString &message)
{
    const QByteArray bytes = "tavrin-tool: " + EscapeControls(message, u"\n\t").toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    return 1;
}

QString ReadProblem(const QString &path, FileFault fault, qint64 maxBytes)
{
    QString reason;
    switch (fault) {
    case FileFault::None:
        return QString();
    case FileFault::Missing:
        reason = QStringLiteral("no such file");
        break;
    case FileFault::NotRegular:
        reason = QStringLiteral("not a regular file (a device, a FIFO or a folder)");
        break;
    case FileFault::TooLarge:
        reason = QStringLiteral("larger than %1 bytes").arg(maxBytes);
        break;
    case FileFault::Unreadable:
        reason = QStringLiteral("the system refuses to read it");
        break;
    }
    return QStringLiteral("cannot read %1: %2").arg(path, reason);
}

std::optional<QString> ReadTextFile(const QString &path, qint64 maxBytes, QString *error)
{
    const FileRead file = ReadRegularFile(path, maxBytes);
    if (!file) {
        *error = ReadProblem(path, file.fault, maxBytes);
        return std::nullopt;
    }
    return QString::fromUtf8(file.bytes);
}

QString InputProblem(const QString &path, qint64 maxBytes)
{
    return ReadProblem(path, CheckRegularFile(path, maxBytes), maxBytes);
}

QString OutputProblem(const QString &path)
{
    if (IsRegularOrMissing(path))
        return QString();
    return QStringLiteral("will not write %1: not a regular file (a device, a FIFO or a folder)").arg(path);
}

QString InOutProblem(const QString &in, qint64 maxBytes, const QString &out)
{
    const QString problem = InputProblem(in, maxBytes);
    return problem.isEmpty() ? OutputProblem(out) : problem;
}

QString PictureSizeProblem(const QString &path)
{
    const FileRead file = ReadRegularFile(path, qMax(kMaxBmpFileBytes, TConvertJpeg::MaxJpegFileBytes));
    if (!file)
        return QString();
    std::pair<qint64, qint64> size {0, 0};
    if (const auto bmp = BmpClaimedSize(file.bytes))
        size = *bmp;
    else if (const std::optional<JpegSize> jpeg = ReadJpegHeader(file.bytes))
        size = {jpeg->width, jpeg->height};
    if (size.first * size.second <= Bitmap::MaxPixels)
        return QString();
    return QStringLiteral("%1 is a picture of %2 x %3 pixels: at most %4 pixels are read")
        .arg(path)
        .arg(size.first)
        .arg(size.second)
        .arg(Bitmap::MaxPixels);
}

QString LoadMailSettings(const QString &work, TUserData &settings)
{
    if (!settings.LoadFromWorkFolder())
        return QStringLiteral("no settings in %1tav.ini: start Tavrin once and enter the mail settings, or "
                              "name the work folder with --work")
            .arg(work);
    if (settings.SMTPServer.trimmed().isEmpty() || settings.FromAddress.trimmed().isEmpty())
        return QStringLiteral(
                   "%1tav.ini names no SMTP server or no sender address: enter them in Tavrin's settings")
            .arg(work);
    return QString();
}

QString ToolWorkFolder(const ToolArgs &args, QString *error)
{
    if (args.has(QStringLiteral("--work"))) {
        const QString work = args.value(QStringLiteral("--work"));
        if (!QFileInfo(work).isDir()) {
            *error = QStringLiteral("no such folder: %1").arg(work);
            return QString();
        }
        return QDir(work).absolutePath() + QLatin1Char('/');
    }
    const WorkFolderChoice choice
        = ChooseWorkFolder(QCoreApplication::applicationDirPath(), UserDataFolder());
    if (choice.folder.isEmpty())
        *error = QStringLiteral("cannot make the work folder %1").arg(UserDataFolder());
    return choice.folder;
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
    InstallPictureReaders();
    InstallModuleTlsTransport();
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        return usage();
    if (args == QStringList {QStringLiteral("--version")}) {
        std::printf("tavrin-tool %s\n", TAVRIN_VERSION);
        return 0;
    }
    // "help COMMAND" and "--help COMMAND" as well as "COMMAND --help".
    const bool helpFirst = args.first() == QLatin1String("help") || asksForHelp({args.first()});
    if (helpFirst) {
        args.removeFirst();
        if (args.isEmpty()) {
            listCommands(stdout);
            return 0;
        }
    }
    const auto it = registry().find(args.first().toStdString());
    if (it == registry().end()) {
        Fail(QStringLiteral("unknown command %1").arg(args.first()));
        return usage();
    }
    args.removeFirst();
    if (helpFirst || asksForHelp(args))
        return help(it->second);
    return it->second.run(args);
}
