#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// A subcommand of tavrin-tool. Each lives in a file of its own and registers itself:
//
//   static const bool registered = RegisterCommand({"name", "usage text", &run});
//
// run gets the arguments after the subcommand's name and returns the exit code.
struct ToolCommand
{
    const char *name;
    const char *usage;
    int (*run)(const QStringList &args);
};

bool RegisterCommand(const ToolCommand &command);

// Output helpers: stdout for results, stderr for failures (exit code 1).
void Print(const QString &line);
int Fail(const QString &message);

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
