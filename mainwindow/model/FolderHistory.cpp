#include "mainwindow/model/FolderHistory.h"

#include "common/BoundedFile.h"
#include "common/SaveFile.h"
#include "common/Sjis.h"
#include "mainwindow/model/FileFind.h"
#include "platform/Shell.h"

#include <QDir>

const QString &FolderHistory::DocumentsWord()
{
    static const QString word = QStringLiteral("ﾏｲﾄﾞｷｭﾒﾝﾄ");
    return word;
}

const QString &FolderHistory::DesktopWord()
{
    static const QString word = QStringLiteral("ﾃﾞｽｸﾄｯﾌﾟ");
    return word;
}

FolderHistory::FolderHistory(QString workFolder, const Shell *shell)
    : m_workFolder(std::move(workFolder))
    , m_shell(shell)
{ }

QString FolderHistory::ToRealPath(const QString &text) const
{
    QString path = text;
    if (!m_shell)
        return path;
    if (const QString documents = m_shell->DocumentsFolder();
        !documents.isEmpty() && path.startsWith(DocumentsWord()))
        path.replace(0, DocumentsWord().size(), documents);
    if (const QString desktop = m_shell->DesktopFolder();
        !desktop.isEmpty() && path.startsWith(DesktopWord()))
        path.replace(0, DesktopWord().size(), desktop);
    return path;
}

QString FolderHistory::ToDisplayPath(const QString &path) const
{
    QString display = path;
    if (!m_shell)
        return display;
    if (const QString documents = m_shell->DocumentsFolder(); TFileFind::IsInside(display, documents))
        display.replace(0, documents.size(), DocumentsWord());
    if (const QString desktop = m_shell->DesktopFolder(); TFileFind::IsInside(display, desktop))
        display.replace(0, desktop.size(), DesktopWord());
    return display;
}

int FolderHistory::IndexOf(const QString &displayPath) const
{
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        if (m_items[i].compare(displayPath, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

void FolderHistory::RememberFolder(const QString &folderText)
{
    const QString display = ToDisplayPath(folderText);
    const int at = IndexOf(display);
    if (at >= 0)
        m_items.removeAt(at);
    // The spelling just used: on this platform two folders may differ in letter case alone.
    m_items.prepend(display);
}

QString FolderHistory::FilePath() const
{
    return QDir(m_workFolder).filePath(QLatin1String(kFileName));
}

bool FolderHistory::Load()
{
    const FileRead file = ReadRegularFile(FilePath(), kMaxFileBytes);
    m_unread.clear();
    if (!file) {
        if (file.fault != FileFault::Missing)
            m_unread = FileFaultText(file.fault, kMaxFileBytes);
        return false;
    }
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
    if (!m_unread.isEmpty())
        return false;
    // The oldest entries go first when the whole would be more than the next Load reads.
    QByteArray bytes;
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        const QByteArray line = Sjis::encode(m_items[i]) + "\r\n";
        if (bytes.size() + line.size() > kMaxFileBytes) {
            TrimTo(int(i));
            break;
        }
        bytes += line;
    }
    return SaveWholeFile(FilePath(), bytes);
}

void FolderHistory::TrimTo(int count)
{
    while (m_items.size() > count)
        m_items.removeLast();
}
