#pragma once

#include "common/BoundedFile.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

// A subcommand of tavrin-tool. Each lives in a file of its own and registers itself:
//
//   static const bool registered = RegisterCommand({"name", "usage text", &run, "more help"});
//
// run gets the arguments after the subcommand's name and returns the exit code. "COMMAND --help"
// prints the usage and the help text instead.
struct ToolCommand
{
    const char *name;
    const char *usage;
    int (*run)(const QStringList &args);
    const char *help = nullptr;
};

bool RegisterCommand(const ToolCommand &command);

// Output helpers: stdout for results, stderr for failures (exit code 1). Control characters other
// than line breaks and tabs are printed as escapes ("\x1B").
void Print(const QString &line);
int Fail(const QString &message);

// "cannot read PATH: " and why (a missing file, a device, a FIFO, a folder, a file larger than
// maxBytes); nothing for FileFault::None.
QString ReadProblem(const QString &path, FileFault fault, qint64 maxBytes);
// The file at path as UTF-8 text (a --body-file) when it is a regular file of at most maxBytes;
// nothing, with *error set to the ReadProblem, otherwise.
std::optional<QString> ReadTextFile(const QString &path, qint64 maxBytes, QString *error);
// ReadProblem for what is at path now; nothing here opens the file.
QString InputProblem(const QString &path, qint64 maxBytes);
// Why path must not be written (something other than a regular file is there), or nothing.
QString OutputProblem(const QString &path);
// For a command that reads the file in (of at most maxBytes) and writes the file out: the
// InputProblem, else the OutputProblem, else nothing.
QString InOutProblem(const QString &in, qint64 maxBytes, const QString &out);
// For a picture that could not be read: that its header claims more pixels than are ever read, or
// nothing.
QString PictureSizeProblem(const QString &path);

class ToolArgs;
class TUserData;

// Loads the settings of the work folder for a command that mails: the message to refuse with when
// there are none, or no SMTP server or sender in them; empty when they will do.
QString LoadMailSettings(const QString &work, TUserData &settings);

// The work folder named by --work, or else the one Tavrin beside this tool uses (ChooseWorkFolder:
// the tool's own folder when it is writable and not an installation's, else the user's data
// folder, made when missing). With a trailing separator; empty, with *error set, when there is none.
QString ToolWorkFolder(const ToolArgs &args, QString *error);

// "--name value" options and positional arguments of a command line.
class ToolArgs
{
public:
    // Nothing is valid when an option in valueOptions lacks its value or an unknown option is given;
    // flagOptions take no value.
    ToolArgs(const QStringList &args, const QStringList &valueOptions, const QStringList &flagOptions = {});

    bool ok() const { return m_error.isEmpty(); }
    const QString &error() const { return m_error; }
    bool has(const QString &option) const { return m_values.contains(option) || m_flags.contains(option); }
    QString value(const QString &option, const QString &fallback = QString()) const
    {
        return m_values.value(option, fallback);
    }
    const QStringList &positional() const { return m_positional; }

private:
    QMap<QString, QString> m_values;
    QStringList m_flags;
    QStringList m_positional;
    QString m_error;
};
