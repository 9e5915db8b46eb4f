#include "common/SaveFile.h"

#include "common/BoundedFile.h"

#include <QSaveFile>

bool SaveWholeFile(const QString &path, const QByteArray &bytes)
{
    // The rename would put a regular file in the place of a device such as /dev/null.
    if (!IsRegularOrMissing(path))
        return false;
    QSaveFile out(path);
    // Unbuffered, so that a short write (full disk, size limit) shows in write()'s count: a buffered
    // QSaveFile can commit a truncated file without reporting it.
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
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
