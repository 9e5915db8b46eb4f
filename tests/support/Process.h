#pragma once

#include "support/Files.h"

#include <QByteArray>
#include <QProcess>
#include <QStringList>

// Runs a program as a user would and keeps what it printed.
namespace testproc {

struct ProcessRun
{
    int exitCode = -1; // -1 when it crashed or did not end in time
    QByteArray out;
    QByteArray err;
};

inline ProcessRun RunProcess(const QString &program, const QStringList &args, int timeoutMs = 60000)
{
    QProcess p;
    p.start(program, args);
    ProcessRun r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

inline ProcessRun RunTool(const QStringList &args)
{
    return RunProcess(testfiles::binary(QStringLiteral("tavrin-tool")), args);
}

} // namespace testproc
