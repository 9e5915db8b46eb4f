#pragma once

#include "common/Exception.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>
#include <vector>

// A person a picture can go to, with the picture that person's handset wants.
struct TMailAddress
{
    QString Name;
    QString Address;
    bool ServerRoute = false; // uploaded to the FTP server, with a link in the mail
    qint8 SizePreset = 1; // 0 = 120 x 120, 1 = 132 x 176, 2 = 240 x 320, 3 = user size
    qint8 QualityLevel = 1; // 0 low, 1 middle, 2 high
    qint32 Width = 132;
    qint32 Height = 176;

    bool operator==(const TMailAddress &) const = default;
};

// An address book file that cannot be read or written. Line is the line of the file that could not
// be read (counted from 1), 0 when the failure concerns the whole file.
class AddressBookError : public Exception
{
public:
    AddressBookError(QString message, QString fileName, int line = 0)
        : Exception(std::move(message))
        , m_fileName(std::move(fileName))
        , m_line(line)
    { }
    const QString &FileName() const { return m_fileName; }
    int Line() const { return m_line; }

private:
    QString m_fileName;
    int m_line;
};

// The address book ("Tavrin.ADX") and the history of recent recipients ("History.ADX", most
// recent first). Entries stay in the order they were put in and are owned by the list: a reference
// from Get stays valid until that entry is removed, whatever else is added. Positions count from 0.
//
// The file: seven CP932 lines an entry (name, address, server route as "-1" or "0", size preset,
// quality level, width, height), each ended by CR LF; an empty list is an empty file.
class TAddressBook
{
public:
    static constexpr int kHistoryLimit = 10;
    // The largest file read, older or current: some forty thousand entries of the usual length,
    // far beyond any real address book.
    static constexpr qint64 kMaxFileBytes = 4 << 20;

    // Names given to Load and Save are relative to workFolder.
    explicit TAddressBook(QString workFolder);

    // Converts an older file of that name ("ADR" for the last three letters) into the ".ADX" file
    // and deletes it, when there is no ".ADX" file yet (beside one, the older file is left alone),
    // then replaces the list with the ".ADX" file's entries; a missing file gives an
    // empty list. Throws AddressBookError, saying which file and line, when a file cannot be read
    // (also when it is not a regular file or is larger than kMaxFileBytes); the list and the file are
    // then left as they were. A line quoted in the message is cut short and its control characters
    // escaped.
    int Load(const QString &name);
    // Replaces the file with the whole list; throws AddressBookError when it cannot be written or
    // would be larger than kMaxFileBytes, leaving the old file as it was.
    void Save(const QString &name) const;

    int Count() const { return static_cast<int>(m_entries.size()); }
    TMailAddress &Get(int index) { return *m_entries.at(static_cast<size_t>(index)); }
    const TMailAddress &Get(int index) const { return *m_entries.at(static_cast<size_t>(index)); }
    // Store a copy; return the new count.
    int Append(const TMailAddress &entry);
    int Insert(const TMailAddress &entry, int index);
    // Takes the entry at from out and puts it back at to.
    void Move(int from, int to);
    int Remove(int index);
    void Clear() { m_entries.clear(); }
    // The first entry whose address equals address without regard to case, or -1.
    int Find(const QString &address) const;

    // The history rule after a send: the entry's address moves to the front, with the entry's fields.
    void RememberRecipient(const TMailAddress &entry);
    // Drops the last entries beyond count (the history keeps kHistoryLimit at close).
    void TrimTo(int count);

    // The file format alone, without the conversion: the entries of the file at path, or the
    // bytes of a file holding entries. ParseFile names path in its failures and reads nothing.
    static QList<TMailAddress> ReadFile(const QString &path);
    static QList<TMailAddress> ParseFile(const QByteArray &bytes, const QString &path);
    static QByteArray FileBytes(const QList<TMailAddress> &entries);

    QString FilePath(const QString &name) const;

private:
    QList<TMailAddress> entries() const;

    QString m_workFolder;
    std::vector<std::unique_ptr<TMailAddress>> m_entries;
};

// The fixed-column file of an older version, one entry a line: the name in bytes 1 to 32, the
// address in 33 to 80, then "use_ftp" or "not_use_ftp"; each piece trimmed of blanks and control
// characters. Read only, for the conversion.
class TMailAddressList
{
public:
    // False when the file does not exist; throws AddressBookError when it cannot be read.
    bool Load(const QString &path);
    // The lines of bytes, as Load takes them from a file.
    void SetBytes(const QByteArray &bytes);
    int Count() const { return static_cast<int>(m_lines.size()); }
    QString Name(int index) const;
    QString Address(int index) const;
    QString Flag(int index) const;
    // The line as an entry: the defaults of a new entry with name, address and server route.
    TMailAddress Entry(int index) const;

private:
    QString piece(int index, qsizetype from, qsizetype length) const;

    QList<QByteArray> m_lines;
};
