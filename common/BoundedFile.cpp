#include "common/BoundedFile.h"

#include <cerrno>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kChunk = 1 << 16;

FileFault faultOfErrno(int error)
{
    return error == ENOENT || error == ENOTDIR ? FileFault::Missing : FileFault::Unreadable;
}

FileFault checkStat(const struct stat &st, qint64 maxBytes)
{
    if (!S_ISREG(st.st_mode))
        return FileFault::NotRegular;
    if (st.st_size > maxBytes)
        return FileFault::TooLarge;
    return FileFault::None;
}

// An open descriptor of the regular file at path, or -1 with the fault. The entry is looked at
// before opening, so that no device is opened (opening some has effects of its own) and no FIFO
// blocks the open; the descriptor is looked at again in case the entry changed in between.
int openChecked(const QString &path, qint64 maxBytes, FileFault *fault, QString *systemError)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st = {};
    if (::stat(name.constData(), &st) != 0) {
        *fault = faultOfErrno(errno);
        *systemError = QString::fromLocal8Bit(std::strerror(errno));
        return -1;
    }
    *fault = checkStat(st, maxBytes);
    if (*fault != FileFault::None)
        return -1;
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *fault = faultOfErrno(errno);
        *systemError = QString::fromLocal8Bit(std::strerror(errno));
        return -1;
    }
    if (::fstat(fd, &st) != 0 || (*fault = checkStat(st, maxBytes)) != FileFault::None) {
        if (*fault == FileFault::None) {
            *fault = FileFault::Unreadable;
            *systemError = QString::fromLocal8Bit(std::strerror(errno));
        }
        ::close(fd);
        return -1;
    }
    // Regular files ignore O_NONBLOCK; cleared all the same, so that reads behave as usual.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

// A file opened from a descriptor keeps no name of its own; messages need it.
class NamedFile : public QFile
{
public:
    explicit NamedFile(QString name)
        : m_name(std::move(name))
    { }
    QString fileName() const override { return m_name; }

private:
    QString m_name;
};

} // namespace

FileRead ReadRegularFile(const QString &path, qint64 maxBytes)
{
    FileRead result;
    const int fd = openChecked(path, maxBytes, &result.fault, &result.systemError);
    if (fd < 0)
        return result;
    struct stat st = {};
    ::fstat(fd, &st);
    try {
        // Files of /proc say 0 and have more: read until the end, never past the limit.
        result.bytes.reserve(qsizetype(qMin<qint64>(st.st_size, maxBytes)) + 1);
        for (;;) {
            const qint64 room = maxBytes + 1 - result.bytes.size();
            if (room <= 0) {
                result.fault = FileFault::TooLarge;
                break;
            }
            const qsizetype at = result.bytes.size();
            const qint64 want = qMin(room, kChunk);
            result.bytes.resize(at + qsizetype(want));
            const ssize_t n = ::read(fd, result.bytes.data() + at, size_t(want));
            if (n < 0 && errno == EINTR) {
                result.bytes.resize(at);
                continue;
            }
            if (n < 0) {
                result.fault = FileFault::Unreadable;
                result.systemError = QString::fromLocal8Bit(std::strerror(errno));
                break;
            }
            result.bytes.resize(at + qsizetype(n));
            if (n == 0)
                break;
        }
    } catch (const std::bad_alloc &) {
        result.fault = FileFault::Unreadable;
        result.systemError = QString::fromLocal8Bit(std::strerror(ENOMEM));
    }
    ::close(fd);
    if (result.fault != FileFault::None)
        result.bytes = QByteArray();
    return result;
}

std::unique_ptr<QFile> OpenRegularFile(const QString &path, qint64 maxBytes, FileFault *fault)
{
    FileFault why = FileFault::None;
    QString systemError;
    const int fd = openChecked(path, maxBytes, &why, &systemError);
    if (fault)
        *fault = why;
    if (fd < 0)
        return nullptr;
    auto file = std::make_unique<NamedFile>(path);
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        if (fault)
            *fault = FileFault::Unreadable;
        return nullptr;
    }
    return file;
}

FileFault CheckRegularFile(const QString &path, qint64 maxBytes)
{
    struct stat st = {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return faultOfErrno(errno);
    return checkStat(st, maxBytes);
}

bool IsRegularOrMissing(const QString &path)
{
    struct stat st = {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return errno == ENOENT;
    return S_ISREG(st.st_mode);
}

QString FileFaultText(FileFault fault, qint64 maxBytes)
{
    switch (fault) {
    case FileFault::None:
        return QString();
    case FileFault::Missing:
        return QStringLiteral("ファイルがありません");
    case FileFault::NotRegular:
        return QStringLiteral("通常のファイルではありません（デバイス、FIFO、フォルダーなど）");
    case FileFault::TooLarge:
        return QStringLiteral("ファイルが大きすぎます（%1 バイトまで）").arg(maxBytes);
    case FileFault::Unreadable:
        return QStringLiteral("ファイルを読めません");
    }
    return QString();
}
