#include "platform/linux/BackendModules.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLibrary>
#include <QtDebug>

#include <mutex>

QStringList BackendModuleFolders()
{
    // /proc rather than QCoreApplication: the reader threads may ask before or without one.
    const QString program = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    const QDir folder = QFileInfo(program).dir();
    return {folder.path(), QDir::cleanPath(folder.filePath(QStringLiteral("../lib/tavrin")))};
}

QFunctionPointer ResolveBackendEntryIn(const QStringList &folders, const QString &module, const char *entry,
                                       QString *error)
{
    QStringList tried;
    for (const QString &folder : folders) {
        const QString path = QDir(folder).filePath(QStringLiteral("lib%1.so").arg(module));
        if (!QFileInfo::exists(path))
            continue;
        // Kept loaded for the run: objects made by the module live as long as the program.
        QLibrary library(path);
        library.setLoadHints(QLibrary::ResolveAllSymbolsHint | QLibrary::PreventUnloadHint);
        if (!library.load()) {
            tried << library.errorString();
            continue;
        }
        if (const QFunctionPointer f = library.resolve(entry))
            return f;
        // Qt's own text for a missing symbol is not always set once the library was loaded before.
        tried << QStringLiteral("%1 has no %2").arg(path, QString::fromLatin1(entry));
    }
    if (error) {
        *error = tried.isEmpty()
            ? QStringLiteral("lib%1.so is in none of %2").arg(module, folders.join(u", "))
            : tried.join(u"; ");
    }
    return nullptr;
}

QFunctionPointer ResolveBackendEntry(const char *module, const char *entry)
{
    static std::mutex mutex;
    static QHash<QByteArray, QFunctionPointer> found;
    const std::lock_guard lock(mutex);
    const QByteArray key = QByteArray(module) + '/' + entry;
    const auto known = found.constFind(key);
    if (known != found.constEnd())
        return *known;
    QString error;
    const QFunctionPointer f
        = ResolveBackendEntryIn(BackendModuleFolders(), QString::fromLatin1(module), entry, &error);
    if (!f)
        qWarning().noquote() << "Tavrin: without" << module << "-" << error;
    found.insert(key, f);
    return f;
}
