#include "mainwindow/model/FolderHistory.h"

#include "common/BoundedFile.h"
#include "common/SaveFile.h"
#include "common/Sjis.h"

#include <QDir>

FolderHistory::FolderHistory(QString workFolder)
    : m_workFolder(std::move(workFolder))
{ }

QString FolderHistory::FilePath() const
{
    return QDir(m_workFolder).filePath(QLatin1String(kFileName));
}

bool FolderHistory::Load()
{
    const FileRead file = ReadRegularFile(FilePath(), kMaxFileBytes);
    if (!file)
        return false;
    const QByteArray &bytes = file.bytes;
    QStringList items;
    // Lines end in CR LF as written; a lone LF or CR ends one as well.
    QByteArray line;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        if (c == '\r' || c == '\n') {
            items << Sjis::decode(line);
            line.clear();
            if (c == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n')
                ++i;
        } else {
            line += c;
        }
    }
    if (!line.isEmpty())
        items << Sjis::decode(line);
    m_items = items;
    return true;
}

bool FolderHistory::Save()
{
    TrimTo(kFileLimit);
    QByteArray bytes;
    for (const QString &item : std::as_const(m_items))
        bytes += Sjis::encode(item) + "\r\n";
    return SaveWholeFile(FilePath(), bytes);
}

void FolderHistory::TrimTo(int count)
{
    while (m_items.size() > count)
        m_items.removeLast();
}
