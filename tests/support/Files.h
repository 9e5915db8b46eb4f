#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

// Small file helpers for the tests.
namespace testfiles {

inline QByteArray read(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

inline bool write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

inline QString source(const QString &relative)
{
    return QStringLiteral(TAVRIN_SOURCE_DIR "/") + relative;
}

inline QString binary(const QString &relative)
{
    return QStringLiteral(TAVRIN_BIN_DIR "/") + relative;
}

// Where the build puts the backend modules, as an installation does: ../lib/tavrin from the programs.
inline QString builtModules()
{
    return QDir::cleanPath(QStringLiteral(TAVRIN_BIN_DIR "/../lib/tavrin"));
}

// The program's two sounds copied into folder: a work folder the main window starts in.
inline bool copySounds(const QString &folder)
{
    for (const char *name : {"shutter.wav", "self.wav"}) {
        if (!QFile::copy(source(QStringLiteral("resources/") + QLatin1String(name)),
                         QDir(folder).filePath(name)))
            return false;
    }
    return true;
}

} // namespace testfiles
