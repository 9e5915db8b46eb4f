#include "mail/AddressBook.h"

#include "common/BoundedFile.h"
#include "common/SaveFile.h"
#include "common/ShownText.h"
#include "common/Sjis.h"
#include "mail/TextLines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <limits>
#include <optional>
#include <stdexcept>

namespace {

constexpr int kLinesPerEntry = 7;

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QByteArray readWhole(const QString &path)
{
    FileRead file = ReadRegularFile(path, TAddressBook::kMaxFileBytes);
    if (!file) {
        QString reason = FileFaultText(file.fault, TAddressBook::kMaxFileBytes);
        if (file.fault == FileFault::Unreadable)
            reason += QStringLiteral("（%1）").arg(file.systemError);
        throw AddressBookError(QStringLiteral("アドレス帳 %1 を読めません: %2").arg(shown(path), reason),
                               path);
    }
    return std::move(file.bytes);
}

// Never more than the reader takes: the next start could not read the book at all.
void writeWhole(const QString &path, const QByteArray &bytes)
{
    if (bytes.size() > TAddressBook::kMaxFileBytes)
        throw AddressBookError(
            QStringLiteral("アドレス帳 %1 は大きすぎるため保存できません。").arg(shown(path)), path);
    if (!SaveWholeFile(path, bytes))
        throw AddressBookError(QStringLiteral("アドレス帳 %1 に書き込めません。").arg(shown(path)), path);
}

// An optionally signed run of decimal digits.
bool isDecimal(const QByteArray &text)
{
    const qsizetype start = (text.startsWith('-') || text.startsWith('+')) ? 1 : 0;
    if (text.size() == start)
        return false;
    for (qsizetype i = start; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    return true;
}

// A number (any value but 0 is true) or "True"/"False" in any letter case.
std::optional<bool> readFlag(const QByteArray &text)
{
    if (isDecimal(text)) {
        for (char c : text) {
            if (c >= '1' && c <= '9')
                return true;
        }
        return false;
    }
    const QByteArray word = text.toLower();
    if (word == "true")
        return true;
    if (word == "false")
        return false;
    return std::nullopt;
}

std::optional<qint64> readInteger(const QByteArray &text, qint64 low, qint64 high)
{
    if (!isDecimal(text))
        return std::nullopt;
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, 10);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

QByteArray trimmed(const QByteArray &piece)
{
    qsizetype start = 0;
    qsizetype end = piece.size();
    while (start < end && static_cast<unsigned char>(piece[start]) <= ' ')
        ++start;
    while (end > start && static_cast<unsigned char>(piece[end - 1]) <= ' ')
        --end;
    return piece.mid(start, end - start);
}

} // namespace

TAddressBook::TAddressBook(QString workFolder)
    : m_workFolder(std::move(workFolder))
{
    m_entries.reserve(128);
}

QString TAddressBook::FilePath(const QString &name) const
{
    return QDir(m_workFolder).filePath(name);
}

int TAddressBook::Load(const QString &name)
{
    const QString path = FilePath(name);
    const QString stem = path.left(path.size() - 3);
    const QString current = stem + QStringLiteral("ADX");

    // The conversion only fills a book that is missing: over an existing one it would lose every
    // entry made since, so both files then stay as they are.
    TMailAddressList older;
    const QString olderPath = stem + QStringLiteral("ADR");
    const QFileInfo currentInfo(current);
    if (!currentInfo.exists() && !currentInfo.isSymLink() && older.Load(olderPath)) {
        QList<TMailAddress> converted;
        for (int i = 0; i < older.Count(); ++i)
            converted.append(older.Entry(i));
        writeWhole(current, FileBytes(converted));
        // Left behind, the older file would be converted again over whatever the new one holds by then.
        if (!QFile::remove(olderPath))
            throw AddressBookError(
                QStringLiteral("古いアドレス帳 %1 を削除できません。").arg(shown(olderPath)), olderPath);
    }

    const QList<TMailAddress> read = QFile::exists(current) ? ReadFile(current) : QList<TMailAddress>();
    m_entries.clear();
    m_entries.reserve(static_cast<size_t>(read.size()) + 128);
    for (const TMailAddress &entry : read)
        m_entries.push_back(std::make_unique<TMailAddress>(entry));
    return Count();
}

void TAddressBook::Save(const QString &name) const
{
    writeWhole(FilePath(name), FileBytes(entries()));
}

QList<TMailAddress> TAddressBook::ReadFile(const QString &path)
{
    return ParseFile(readWhole(path), path);
}

QList<TMailAddress> TAddressBook::ParseFile(const QByteArray &bytes, const QString &path)
{
    const QList<QByteArray> lines = SplitLines(bytes);
    QList<TMailAddress> entries;
    entries.reserve(lines.size() / kLinesPerEntry);
    for (qsizetype first = 0; first < lines.size(); first += kLinesPerEntry) {
        if (first + kLinesPerEntry > lines.size())
            throw AddressBookError(
                QStringLiteral("アドレス帳 %1 の %2 行目からの項目が途中で終わっています（1件は7行です）。")
                    .arg(shown(path))
                    .arg(first + 1),
                path, static_cast<int>(first + 1));
        const auto bad = [&](qsizetype offset, const QString &wanted) {
            const int line = static_cast<int>(first + offset + 1);
            return AddressBookError(
                QStringLiteral("アドレス帳 %1 の %2 行目を読み込めません: 「%3」は%4ではありません。")
                    .arg(shown(path))
                    .arg(line)
                    .arg(Excerpt(Sjis::decode(lines[first + offset])), wanted),
                path, line);
        };
        TMailAddress entry;
        entry.Name = Sjis::decode(lines[first]);
        entry.Address = Sjis::decode(lines[first + 1]);
        const std::optional<bool> route = readFlag(lines[first + 2]);
        if (!route)
            throw bad(2, QStringLiteral("数値または True/False"));
        entry.ServerRoute = *route;
        qint64 numbers[4] = {};
        for (qsizetype k = 0; k < 4; ++k) {
            const bool small = k < 2; // size preset and quality level are 8-bit
            const std::optional<qint64> value
                = readInteger(lines[first + 3 + k], small ? std::numeric_limits<qint8>::min() : INT32_MIN,
                              small ? std::numeric_limits<qint8>::max() : INT32_MAX);
            if (!value)
                throw bad(3 + k, small ? QStringLiteral("-128 から 127 の整数") : QStringLiteral("整数"));
            numbers[k] = *value;
        }
        entry.SizePreset = static_cast<qint8>(numbers[0]);
        entry.QualityLevel = static_cast<qint8>(numbers[1]);
        entry.Width = static_cast<qint32>(numbers[2]);
        entry.Height = static_cast<qint32>(numbers[3]);
        entries.append(entry);
    }
    return entries;
}

QByteArray TAddressBook::FileBytes(const QList<TMailAddress> &entries)
{
    QByteArray bytes;
    const auto line = [&bytes](const QByteArray &text) {
        bytes += text + "\r\n";
    };
    for (const TMailAddress &e : entries) {
        line(Sjis::encode(e.Name));
        line(Sjis::encode(e.Address));
        line(e.ServerRoute ? "-1" : "0");
        line(QByteArray::number(e.SizePreset));
        line(QByteArray::number(e.QualityLevel));
        line(QByteArray::number(e.Width));
        line(QByteArray::number(e.Height));
    }
    return bytes;
}

QList<TMailAddress> TAddressBook::entries() const
{
    QList<TMailAddress> list;
    list.reserve(Count());
    for (const auto &entry : m_entries)
        list.append(*entry);
    return list;
}

int TAddressBook::Append(const TMailAddress &entry)
{
    m_entries.push_back(std::make_unique<TMailAddress>(entry));
    return Count();
}

int TAddressBook::Insert(const TMailAddress &entry, int index)
{
    if (index < 0 || index > Count())
        throw std::out_of_range("TAddressBook::Insert");
    m_entries.insert(m_entries.begin() + index, std::make_unique<TMailAddress>(entry));
    return Count();
}

void TAddressBook::Move(int from, int to)
{
    if (from < 0 || from >= Count() || to < 0 || to >= Count())
        throw std::out_of_range("TAddressBook::Move");
    std::unique_ptr<TMailAddress> entry = std::move(m_entries[static_cast<size_t>(from)]);
    m_entries.erase(m_entries.begin() + from);
    m_entries.insert(m_entries.begin() + to, std::move(entry));
}

int TAddressBook::Remove(int index)
{
    if (index < 0 || index >= Count())
        throw std::out_of_range("TAddressBook::Remove");
    m_entries.erase(m_entries.begin() + index);
    return Count();
}

int TAddressBook::Find(const QString &address) const
{
    for (int i = 0; i < Count(); ++i) {
        if (m_entries[static_cast<size_t>(i)]->Address.compare(address, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void TAddressBook::RememberRecipient(const TMailAddress &entry)
{
    const int found = Find(entry.Address);
    if (found < 0) {
        Insert(entry, 0);
        return;
    }
    Get(found) = entry;
    Move(found, 0);
}

void TAddressBook::TrimTo(int count)
{
    while (Count() > count)
        Remove(Count() - 1);
}

bool TMailAddressList::Load(const QString &path)
{
    m_lines.clear();
    if (!QFile::exists(path))
        return false;
    SetBytes(readWhole(path));
    return true;
}

void TMailAddressList::SetBytes(const QByteArray &bytes)
{
    m_lines = SplitLines(bytes);
}

QString TMailAddressList::piece(int index, qsizetype from, qsizetype length) const
{
    const QByteArray &line = m_lines.at(index);
    if (from >= line.size())
        return QString();
    return Sjis::decode(trimmed(length < 0 ? line.mid(from) : line.mid(from, length)));
}

QString TMailAddressList::Name(int index) const
{
    return piece(index, 0, 32);
}

QString TMailAddressList::Address(int index) const
{
    return piece(index, 32, 48);
}

QString TMailAddressList::Flag(int index) const
{
    return piece(index, 80, -1);
}

TMailAddress TMailAddressList::Entry(int index) const
{
    TMailAddress entry;
    entry.Name = Name(index);
    entry.Address = Address(index);
    entry.ServerRoute = Flag(index).compare(QLatin1String("use_ftp"), Qt::CaseInsensitive) == 0;
    return entry;
}
