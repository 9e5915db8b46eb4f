#include "common/SaveFile.h"

#include "common/BoundedFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool saveWithoutLinks(const QString &path, const QByteArray &bytes)
{
    QByteArray temporary = QFile::encodeName(path) + ".XXXXXX";
    // O_EXCL underneath: the temporary is a new file of ours, whatever else is in the folder.
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = true;
    for (qsizetype done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        done += n;
    }
    ok = ::close(fd) == 0 && ok;
    // rename() replaces a link at path itself; it never writes through it.
    ok = ok && ::rename(temporary.constData(), QFile::encodeName(path).constData()) == 0;
    if (!ok)
        ::unlink(temporary.constData());
    return ok;
}

} // namespace

bool IsSymLink(const QString &path)
{
    struct stat st = {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

QString SymLinkRefusedText(const QString &path)
{
    return QStringLiteral("作業ファイル %1 がシンボリックリンクになっているため、書き込みませんでした。\n"
                          "リンクを削除してからやり直して下さい。")
        .arg(QDir::toNativeSeparators(path));
}

bool SaveWholeFile(const QString &path, const QByteArray &bytes, FileAccess access)
{
    if (access == FileAccess::NoLinks && IsSymLink(path))
        return false;
    // The rename would put a regular file in the place of a device such as /dev/null.
    if (!IsRegularOrMissing(path))
        return false;
    if (access == FileAccess::NoLinks)
        return saveWithoutLinks(path, bytes);
    const bool exists = QFileInfo::exists(path);
    QSaveFile out(path);
    // Unbuffered, so that a short write (full disk, size limit) shows in write()'s count: a buffered
    // QSaveFile can commit a truncated file without reporting it.
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    // Before the first byte, so that no secret is ever readable by others, not even for a moment.
    if (!exists && access == FileAccess::OwnerOnly && ::fchmod(out.handle(), S_IRUSR | S_IWUSR) != 0) {
        out.cancelWriting();
        return false;
    }
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = out.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            out.cancelWriting();
            return false;
        }
        done += n;
    }
    return out.commit();
}
