#include "picture/ConvertJpeg.h"

#include "common/BoundedFile.h"
#include "common/Exception.h"
#include "picture/BmpFile.h"
#include "picture/ByteOrder.h"
#include "picture/PictureFile.h"

#include <QFile>

#include <vector>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr Rgb kWhite {255, 255, 255};
constexpr Rgb kGrey {128, 128, 128};

QString writeError(const QString &path)
{
    return QStringLiteral("JPEGファイルを書き込めません：%1").arg(path);
}

// Unbuffered, so that a short write on a full disk shows in the count instead of vanishing. Not
// emptied on opening where the file allows reading too: ext4 flushes a file emptied and written
// again as soon as it is closed, a wait longer than all the compression passes.
// Never through a symbolic link: in a shared folder one could aim the write at any file.
bool openForRewriting(QFile &out, const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    QIODevice::OpenMode mode = QIODevice::ReadWrite;
    int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EACCES) {
        mode = QIODevice::WriteOnly;
        fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    }
    if (fd < 0)
        return false;
    if (!out.open(fd, mode | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

// Replaces the file's content with bytes: written from its start, then cut to their length, through
// the one handle ConvertFile keeps open for all its passes.
void rewrite(QFile &out, const QByteArray &bytes, const QString &path)
{
    bool ok = out.seek(0);
    for (qint64 done = 0; ok && done < bytes.size();) {
        const qint64 n = out.write(bytes.constData() + done, bytes.size() - done);
        ok = n > 0;
        done += n;
    }
    if (ok && out.size() > bytes.size())
        ok = out.resize(bytes.size());
    if (!ok)
        throw Exception(writeError(path));
}

bool markAt(QIODevice &file, qint64 at, const char *mark)
{
    if (!file.seek(at))
        return false;
    const QByteArray bytes = file.read(4);
    return bytes.size() == 4 && bytes.compare(QByteArrayView(mark, 4), Qt::CaseInsensitive) == 0;
}

std::unique_ptr<QFile> openPicture(const QString &path)
{
    return OpenRegularFile(path, TConvertJpeg::MaxJpegFileBytes);
}

bool markAt(const QString &path, qint64 at, const char *mark)
{
    const std::unique_ptr<QFile> file = openPicture(path);
    return file && markAt(*file, at, mark);
}

bool isJpegFile(QIODevice &file)
{
    return markAt(file, 6, "exif") || markAt(file, 6, "JFIF");
}

// A start of image and a first marker, whatever segment comes first: editors put XMP or ICC there.
bool startsAsJpeg(QIODevice &file)
{
    return file.seek(0) && file.read(3) == QByteArrayView("\xFF\xD8\xFF", 3);
}

// The output must be a file: a FIFO would block the writes, a device would swallow them.
bool isRegularFile(const QFile &file)
{
    struct stat st = {};
    return ::fstat(file.handle(), &st) == 0 && S_ISREG(st.st_mode);
}

// The bytes [from, to) of the file, as far as the file has them.
QByteArray readRange(QIODevice &file, qint64 from, qint64 to)
{
    const qint64 size = file.size();
    from = qBound<qint64>(0, from, size);
    to = qBound<qint64>(from, to, size);
    if (from == to || !file.seek(from))
        return QByteArray();
    return file.read(to - from);
}

std::optional<QByteArray> readWholeFile(QIODevice &file)
{
    if (file.size() > TConvertJpeg::MaxJpegFileBytes)
        return std::nullopt;
    try {
        return readRange(file, 0, file.size());
    } catch (const std::bad_alloc &) {
        return std::nullopt;
    }
}

// Start of an image followed by a quantisation table or an APP0/APP1 segment. On a mismatch the
// scan goes on right after the mismatching byte.
qsizetype findImageStart(const QByteArray &b, qsizetype from)
{
    const qsizetype n = b.size();
    qsizetype i = from;
    while (i + 3 < n) {
        if (quint8(b[i]) != 0xFF) {
            i += 1;
        } else if (quint8(b[i + 1]) != 0xD8) {
            i += 2;
        } else if (quint8(b[i + 2]) != 0xFF) {
            i += 3;
        } else {
            const quint8 m = quint8(b[i + 3]);
            if (m == 0xDB || m == 0xE0 || m == 0xE1)
                return i;
            i += 4;
        }
    }
    return -1;
}

qsizetype findImageEnd(const QByteArray &b, qsizetype from)
{
    const qsizetype n = b.size();
    qsizetype i = from;
    while (i + 1 < n) {
        if (quint8(b[i]) != 0xFF)
            i += 1;
        else if (quint8(b[i + 1]) != 0xD9)
            i += 2;
        else
            return i;
    }
    return -1;
}

// The embedded picture of the Exif segment at base, as file positions [first, second); empty when
// the segment has none or its counts and links lead outside it.
std::pair<qint64, qint64> exifThumbnailRange(QIODevice &file, qint64 base)
{
    const auto byteAt = [&file](qint64 at) {
        const QByteArray b = readRange(file, at, at + 1);
        return b.isEmpty() ? quint8(0) : quint8(b[0]);
    };
    const bool bigEndian = byteAt(base + 12) == 'M';
    const qsizetype n = qsizetype(byteAt(base + 4) << 8 | byteAt(base + 5)) + 4;
    // The segment as the file has it, bytes past its end as zero.
    QByteArray b(n, '\0');
    const QByteArray have = readRange(file, base, base + n);
    std::copy(have.begin(), have.end(), b.begin());

    // The TIFF header sits at 12; its first directory is taken to be at 20, right after it.
    if (n < 22)
        return {};
    const quint32 count = ReadOrdered(b, 20, 2, bigEndian);
    const qsizetype linkAt = 22 + 12 * qsizetype(count);
    if (linkAt + 4 > n)
        return {};
    quint32 link = ReadOrdered(b, linkAt, 4, bigEndian);
    // The link counts from the TIFF header, so the scan starts 12 bytes early; that only widens it.
    if (link > quint32(n))
        link = 0;
    const qsizetype start = findImageStart(b, qsizetype(link));
    if (start < 0)
        return {};
    const qsizetype end = findImageEnd(b, start + 3);
    return {base + start, base + (end < 0 ? n : end + 2)};
}

void drawFrame(Bitmap &b, const PixelRect &r, Rgb c)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    for (int x = r.left; x < r.right; ++x) {
        b.setPixel(x, r.top, c);
        b.setPixel(x, r.bottom - 1, c);
    }
    for (int y = r.top; y < r.bottom; ++y) {
        b.setPixel(r.left, y, c);
        b.setPixel(r.right - 1, y, c);
    }
}

} // namespace

TConvertJpeg::Result TConvertJpeg::ConvertFile(const QString &bitmapPath, const QString &jpegPath)
{
    std::optional<Bitmap> source = LoadBmpFile(bitmapPath);
    if (!source)
        throw Exception(QStringLiteral("ビットマップファイルを読み込めません：%1").arg(bitmapPath));
    m_source = std::move(*source);
    if (Scale) {
        const PixelRect &s = SourceRect;
        if (s.left < 0 || s.top < 0 || s.left >= s.right || s.top >= s.bottom || s.right > m_source.width()
            || s.bottom > m_source.height())
            throw Exception(QStringLiteral("変換する範囲が画像に収まりません：%1").arg(bitmapPath));
        const qint64 w = DestRect.width(), h = DestRect.height();
        if (w <= 0 || h <= 0 || w * h > Bitmap::MaxPixels)
            throw Exception(
                QStringLiteral("出力する画像の大きさ %1×%2 は扱えません（1億画素まで）").arg(w).arg(h));
    }
    if (!IsRegularOrMissing(jpegPath))
        throw Exception(writeError(jpegPath));

    // The frame is the same at every quality: scale it once.
    PrepareFrame();
    if (m_scaled.isNull())
        throw Exception(QStringLiteral("変換用の画像を用意できません：%1").arg(bitmapPath));
    QFile out;
    Result result;
    int quality = 100;
    for (;;) {
        const std::optional<QByteArray> jpeg = m_codec.encode(m_scaled, quality);
        if (!jpeg)
            throw Exception(QStringLiteral("JPEGに変換できません：%1").arg(bitmapPath));
        if (!out.isOpen() && (!openForRewriting(out, jpegPath) || !isRegularFile(out)))
            throw Exception(writeError(jpegPath));
        rewrite(out, *jpeg, jpegPath);
        result = Result {quality, jpeg->size(), result.passes + 1};
        if (Budget == 0)
            break;
        quality -= 2;
        if (quality < 0 || result.size <= Budget)
            break;
    }
    out.close();
    if (out.error() != QFileDevice::NoError)
        throw Exception(writeError(jpegPath));
    return result;
}

void TConvertJpeg::PrepareFrame()
{
    if (Scale)
        m_scaled = ScaleAreaAverage(m_source, SourceRect, DestRect.width(), DestRect.height());
    else
        m_scaled = m_source;
}

Bitmap TConvertJpeg::ScaleAreaAverage(const Bitmap &source, const PixelRect &rect, int width, int height)
{
    const int sl = rect.left, st = rect.top, sr = rect.right, sb = rect.bottom;
    if (source.isNull() || width <= 0 || height <= 0 || sl < 0 || st < 0 || sl >= sr || st >= sb
        || sr > source.width() || sb > source.height())
        return Bitmap();
    Bitmap out(width, height, Bitmap::Format::Bgrx32);
    if (out.isNull())
        return out;

    // An enlargement can put the last end one past the rectangle; a reduction never does.
    std::vector<int> colEnd(static_cast<size_t>(width));
    for (int i = 0; i < width; ++i)
        colEnd[size_t(i)] = qMin(sr - 1, int(double(i) / width * (sr - sl) + 0.5 + sl));
    std::vector<int> rowSrc(static_cast<size_t>(height));
    for (int j = 0; j < height; ++j)
        rowSrc[size_t(j)] = qMin(sb - 1, int(double(j) / height * (sb - st) + 0.5 + st));

    const int step = source.bytesPerPixel();
    for (int j = 0; j < height; ++j) {
        const uchar *row = source.scanLine(rowSrc[size_t(j)]);
        uchar *o = out.scanLine(j);
        int x = sl;
        for (int i = 0; i < width; ++i, o += 4) {
            const int e = colEnd[size_t(i)];
            if (e < x)
                x = e;
            quint64 b = 0, g = 0, r = 0;
            for (const uchar *p = row + qsizetype(x) * step, *last = row + qsizetype(e) * step; p <= last;
                 p += step) {
                b += p[0];
                g += p[1];
                r += p[2];
            }
            const quint64 n = quint64(e - x + 1);
            o[0] = uchar(b / n);
            o[1] = uchar(g / n);
            o[2] = uchar(r / n);
            x = e + 1;
        }
    }
    return out;
}

bool TConvertJpeg::IsExif(const QString &path)
{
    return markAt(path, 6, "exif");
}

bool TConvertJpeg::IsJfif(const QString &path)
{
    return markAt(path, 6, "JFIF");
}

std::optional<Bitmap> TConvertJpeg::LoadJpegFile(const QString &path)
{
    const std::unique_ptr<QFile> file = openPicture(path);
    if (!file || !(isJpegFile(*file) || startsAsJpeg(*file)))
        return std::nullopt;
    const std::optional<QByteArray> data = readWholeFile(*file);
    if (!data)
        return std::nullopt;
    return DecodeUprightJpeg(*data);
}

namespace {

// The embedded thumbnail when the file has a usable one, otherwise the whole file.
struct Extracted
{
    QByteArray bytes;
    bool embedded = false;
};

std::optional<Extracted> extract(QIODevice &file)
{
    qint64 base = -1;
    if (markAt(file, 6, "exif"))
        base = 0;
    else if (!markAt(file, 6, "JFIF"))
        return std::nullopt;
    else if (markAt(file, 24, "exif"))
        base = 18; // an Exif segment right after the 18 bytes of a JFIF header

    if (base >= 0) {
        const auto [from, to] = exifThumbnailRange(file, base);
        QByteArray thumbnail = readRange(file, from, to);
        if (ReadJpegHeader(thumbnail))
            return Extracted {thumbnail, true};
    }
    std::optional<QByteArray> whole = readWholeFile(file);
    if (!whole)
        return std::nullopt;
    return Extracted {*whole, false};
}

} // namespace

std::optional<QByteArray> TConvertJpeg::ExtractThumbnail(const QString &path)
{
    const std::unique_ptr<QFile> file = openPicture(path);
    if (!file)
        return std::nullopt;
    return ExtractThumbnail(*file);
}

std::optional<QByteArray> TConvertJpeg::ExtractThumbnail(QIODevice &file)
{
    std::optional<Extracted> e = extract(file);
    if (!e)
        return std::nullopt;
    return std::move(e->bytes);
}

std::optional<Bitmap> TConvertJpeg::LoadExifThumbnail(const QString &path, int tileSide)
{
    const std::unique_ptr<QFile> file = openPicture(path);
    if (!file)
        return std::nullopt;
    return LoadExifThumbnail(*file, tileSide);
}

std::optional<Bitmap> TConvertJpeg::LoadExifThumbnail(QIODevice &file, int tileSide)
{
    const std::optional<Extracted> e = extract(file);
    if (!e)
        return std::nullopt;
    if (std::optional<Bitmap> picture = DecodeJpeg(e->bytes, tileSide))
        return picture;
    // A thumbnail whose header reads but whose data does not decode is as unusable as a damaged
    // Exif block: the whole picture makes the tile then.
    if (!e->embedded)
        return std::nullopt;
    const std::optional<QByteArray> whole = readWholeFile(file);
    if (!whole)
        return std::nullopt;
    return DecodeJpeg(*whole, tileSide);
}

std::optional<Bitmap> TConvertJpeg::MakeThumbnail(const QString &path)
{
    const std::optional<Bitmap> picture = path.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive)
        ? LoadBmpFile(path)
        : ReadThumbnailPicture(path, ThumbnailSide);
    if (!picture)
        return std::nullopt;
    return MakeTile(*picture);
}

std::optional<Bitmap> TConvertJpeg::MakeTile(const Bitmap &picture)
{
    if (picture.isNull())
        return std::nullopt;
    Bitmap tile(ThumbnailSide, ThumbnailSide);
    tile.fill(kWhite);
    const PixelRect box = FitInSquare(picture.width(), picture.height(), ThumbnailSide);
    if (box.width() > 0 && box.height() > 0) {
        const Bitmap stretched = StretchBitmap(picture, box.width(), box.height());
        for (int y = 0; y < box.height(); ++y) {
            const uchar *in = stretched.scanLine(y);
            std::copy(in, in + stretched.bytesPerLine(), tile.scanLine(box.top + y) + box.left * 3);
        }
    }
    drawFrame(tile, box, kGrey);
    drawFrame(tile, PixelRect {0, 0, ThumbnailSide, ThumbnailSide}, kGrey);
    return tile;
}
