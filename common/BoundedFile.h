#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <memory>

// Reading files that come from outside the program. Only a regular file is read: a device such as
// /dev/zero would feed a reader for ever, a FIFO would block it, a folder holds no data. And never
// more bytes than the limit the caller chooses for its kind of file, so that no input makes the
// program grow without bound. Nothing here blocks: a FIFO or a device is refused without being
// opened.
//
//     const FileRead read = ReadRegularFile(path, kMaxBytes);
//     if (!read)
//         return fail(FileFaultText(read.fault, kMaxBytes));   // or look at read.fault
//     parse(read.bytes);

enum class FileFault {
    None,
    Missing, // nothing at the path
    NotRegular, // a device, a FIFO, a socket or a folder
    TooLarge, // more bytes than the limit
    Unreadable, // the system refused to open or read it (FileRead::systemError says why)
};

struct FileRead
{
    QByteArray bytes;
    FileFault fault = FileFault::None;
    QString systemError;

    explicit operator bool() const { return fault == FileFault::None; }
};

// The whole file at path when it is a regular file of at most maxBytes; otherwise no bytes and the
// fault. A file that grows past maxBytes while it is read counts as too large.
FileRead ReadRegularFile(const QString &path, qint64 maxBytes);

// The file at path opened for reading parts of it (seek and read), under the same rules; null, with
// *fault set when given, when it is refused. fileName() of the result is path.
std::unique_ptr<QFile> OpenRegularFile(const QString &path, qint64 maxBytes, FileFault *fault = nullptr);

// What ReadRegularFile would say of the file, from its directory entry alone; nothing is opened.
FileFault CheckRegularFile(const QString &path, qint64 maxBytes);

// For writers: true when nothing is at path or a regular file is (following symbolic links), so
// that writing there creates or replaces a file and nothing else. A device, a FIFO or a folder at
// path must be neither written into nor replaced.
bool IsRegularOrMissing(const QString &path);

// A short Japanese text for messages: "通常のファイルではありません" and the like.
QString FileFaultText(FileFault fault, qint64 maxBytes);
