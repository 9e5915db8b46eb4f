#include "picture/PictureReaders.h"

#include <QImageReader>

namespace {

// Reads only what the program names: QImageReader also knows BMP and JPEG, whose rules are ours.
struct QtKind
{
    const char *format;
    bool (*matches)(QByteArrayView head);
    QStringList patterns;
};

const QtKind kQtKinds[] = {
    {"png",
     [](QByteArrayView h) { return h.startsWith(QByteArrayView("\x89PNG\r\n\x1A\n", 8)); },
     {QStringLiteral("*.png")}},
    {"webp",
     [](QByteArrayView h) {
         return h.size() >= 12 && h.startsWith("RIFF") && h.sliced(8, 4) == QByteArrayView("WEBP");
     },
     {QStringLiteral("*.webp")}},
    {"tiff",
     [](QByteArrayView h) {
         return h.startsWith(QByteArrayView("II*\0", 4)) || h.startsWith(QByteArrayView("MM\0*", 4));
     },
     {QStringLiteral("*.tif"), QStringLiteral("*.tiff")}},
};

class QtImageReader : public PictureReader
{
public:
    bool CanRead(QByteArrayView head) const override { return kind(head) != nullptr; }

    std::optional<Bitmap> Read(QIODevice &file, int) const override
    {
        const QtKind *k = file.seek(0) ? kind(file.peek(32)) : nullptr;
        if (!k)
            return std::nullopt;
        QImageReader reader(&file, k->format);
        // A TIFF file's orientation tag is applied as the photo viewers apply it.
        reader.setAutoTransform(true);
        const QSize size = reader.size();
        if (!size.isValid() || qint64(size.width()) * size.height() > Bitmap::MaxPixels)
            return std::nullopt;
        // Room for the largest picture the program takes, in 32-bit pixels.
        reader.setAllocationLimit(int(Bitmap::MaxPixels * 4 / (1 << 20)) + 1);
        const QImage image = reader.read();
        if (image.isNull())
            return std::nullopt;
        Bitmap picture = BitmapOnWhite(image);
        if (picture.isNull())
            return std::nullopt;
        return picture;
    }

    QStringList NamePatterns() const override
    {
        QStringList all;
        for (const QtKind &k : kQtKinds) {
            // A kind whose plugin is missing is not offered.
            if (QImageReader::supportedImageFormats().contains(k.format))
                all << k.patterns;
        }
        return all;
    }

private:
    static const QtKind *kind(QByteArrayView head)
    {
        for (const QtKind &k : kQtKinds) {
            if (k.matches(head))
                return &k;
        }
        return nullptr;
    }
};

} // namespace

std::unique_ptr<PictureReader> MakeQtImageReader()
{
    return std::make_unique<QtImageReader>();
}

Bitmap BitmapOnWhite(const QImage &image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    if (argb.isNull())
        return Bitmap();
    Bitmap out(argb.width(), argb.height());
    if (out.isNull())
        return out;
    for (int y = 0; y < argb.height(); ++y) {
        const QRgb *in = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        uchar *o = out.scanLine(y);
        for (int x = 0; x < argb.width(); ++x, o += 3) {
            const unsigned a = unsigned(qAlpha(in[x]));
            const auto onWhite = [a](unsigned v) {
                return uchar((v * a + 255 * (255 - a) + 127) / 255);
            };
            o[0] = onWhite(unsigned(qBlue(in[x])));
            o[1] = onWhite(unsigned(qGreen(in[x])));
            o[2] = onWhite(unsigned(qRed(in[x])));
        }
    }
    return out;
}
