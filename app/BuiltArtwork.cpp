#include "app/BuiltArtwork.h"

#include "mainwindow/MainArtwork.h"

#include <QPixmap>
#include <QResource>

namespace {

// count pictures of the size, one after the other in the resource; nothing when it holds other
// bytes (a program built without them).
std::optional<QList<QImage>> rawPictures(const QString &resource, QSize size, int count)
{
    const qsizetype each = qsizetype(size.width()) * size.height() * 4;
    const QByteArray pixels = QResource(resource).uncompressedData();
    if (pixels.size() != count * each)
        return std::nullopt;
    QList<QImage> pictures;
    for (int i = 0; i < count; ++i) {
        // A copy: the resource's bytes are not the image's to keep.
        pictures << QImage(reinterpret_cast<const uchar *>(pixels.constData()) + i * each, size.width(),
                           size.height(), size.width() * 4, QImage::Format_ARGB32_Premultiplied)
                        .copy();
    }
    return pictures;
}

} // namespace

QImage BuiltSplashLogo()
{
    const std::optional<QList<QImage>> logo
        = rawPictures(QStringLiteral(":/tavrin/splash-logo.argb"), QSize(128, 128), 1);
    return logo ? logo->first() : QImage();
}

std::optional<std::array<QImage, 3>> BuiltModeMarkers()
{
    const std::optional<QList<QImage>> markers
        = rawPictures(QStringLiteral(":/tavrin/mode-markers.argb"), MainArtwork::kModeButtonSize, 3);
    if (!markers)
        return std::nullopt;
    return std::array<QImage, 3> {markers->at(0), markers->at(1), markers->at(2)};
}
void ProvideBuiltModeMarkers()
{
    const std::optional<std::array<QImage, 3>> markers = BuiltModeMarkers();
    if (!markers)
        return;
    using MainArtwork::ModeKind;
    for (const ModeKind kind : {ModeKind::File, ModeKind::Camera, ModeKind::Auto})
        MainArtwork::ProvideModeMarker(kind, QPixmap::fromImage((*markers)[size_t(kind)]));
}
