#include "picture/PictureFile.h"

#include "common/BoundedFile.h"
#include "picture/ConvertJpeg.h"
#include "picture/JpegCodec.h"
#include "picture/Orientation.h"

#include <QFile>
#include <QRegularExpression>

#include <vector>

namespace {

std::vector<std::unique_ptr<PictureReader>> &readers()
{
    static std::vector<std::unique_ptr<PictureReader>> installed;
    return installed;
}

constexpr qint64 kHeadBytes = 32;

bool isJpegHead(QByteArrayView head)
{
    return head.startsWith(QByteArrayView("\xFF\xD8\xFF", 3));
}

// "Exif" or "JFIF" at offset 6, any letter case: the marks the thumbnail path takes.
bool hasJpegMark(QByteArrayView head)
{
    if (head.size() < 10)
        return false;
    const QByteArrayView mark = head.sliced(6, 4);
    return (mark.compare("exif", Qt::CaseInsensitive) == 0 || mark.compare("JFIF", Qt::CaseInsensitive) == 0);
}

const PictureReader *readerFor(QByteArrayView head)
{
    for (const std::unique_ptr<PictureReader> &r : readers()) {
        if (r->CanRead(head))
            return r.get();
    }
    return nullptr;
}

std::optional<QByteArray> readAll(QFile &file)
{
    try {
        if (!file.seek(0))
            return std::nullopt;
        QByteArray bytes = file.readAll();
        if (bytes.size() != file.size())
            return std::nullopt;
        return bytes;
    } catch (const std::bad_alloc &) {
        return std::nullopt;
    }
}

std::optional<Bitmap> readOther(QFile &file, QByteArrayView head, int tileSide)
{
    const PictureReader *reader = readerFor(head);
    if (!reader || !file.seek(0))
        return std::nullopt;
    std::optional<Bitmap> picture = reader->Read(file, tileSide);
    if (!picture || picture->isNull())
        return std::nullopt;
    return picture;
}

} // namespace

void InstallPictureReader(std::unique_ptr<PictureReader> reader)
{
    if (reader)
        readers().push_back(std::move(reader));
}

QStringList PictureReaderPatterns()
{
    QStringList patterns;
    for (const std::unique_ptr<PictureReader> &r : readers())
        patterns << r->NamePatterns();
    return patterns;
}

bool HasPictureReaderName(const QString &path)
{
    for (const QString &pattern : PictureReaderPatterns()) {
        // Patterns are "*.ext".
        if (pattern.startsWith(QLatin1Char('*')) && path.endsWith(pattern.mid(1), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

std::optional<Bitmap> DecodeUprightJpeg(QByteArrayView data, int tileSide)
{
    std::optional<Bitmap> picture = DecodeJpeg(data, tileSide);
    if (!picture)
        return std::nullopt;
    Bitmap upright = Oriented(*picture, JpegOrientation(data));
    if (upright.isNull())
        return std::nullopt;
    return upright;
}

std::optional<Bitmap> ReadPictureFile(const QString &path)
{
    const std::unique_ptr<QFile> file = OpenRegularFile(path, kMaxPictureFileBytes);
    if (!file)
        return std::nullopt;
    const QByteArray head = file->read(kHeadBytes);
    if (isJpegHead(head))
        return TConvertJpeg::LoadJpegFile(path);
    return readOther(*file, head, 0);
}

std::optional<Bitmap> ReadThumbnailPicture(const QString &path, int tileSide)
{
    const std::unique_ptr<QFile> file = OpenRegularFile(path, kMaxPictureFileBytes);
    if (!file)
        return std::nullopt;
    const QByteArray head = file->read(kHeadBytes);
    if (!isJpegHead(head) && !hasJpegMark(head))
        return readOther(*file, head, tileSide);
    std::optional<Bitmap> picture = TConvertJpeg::LoadExifThumbnail(*file, tileSide);
    if (!picture && isJpegHead(head)) {
        // Neither Exif nor JFIF first (an editor's XMP or ICC segment): the whole picture makes the tile.
        if (const std::optional<QByteArray> data = readAll(*file))
            picture = DecodeJpeg(*data, tileSide);
    }
    if (!picture)
        return std::nullopt;
    Bitmap upright = Oriented(*picture, JpegOrientation(*file));
    if (upright.isNull())
        return std::nullopt;
    return upright;
}
