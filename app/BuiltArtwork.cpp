#include "app/BuiltArtwork.h"

#include "mainwindow/MainArtwork.h"

#include <QPixmap>
#include <QResource>

std::optional<std::array<QImage, 3>> BuiltModeMarkers()
{
    const QSize size = MainArtwork::kModeButtonSize;
    const qsizetype each = qsizetype(size.width()) * size.height() * 4;
    const QByteArray pixels = QResource(QStringLiteral(":/tavrin/mode-markers.argb")).uncompressedData();
    if (pixels.size() != 3 * each)
        return std::nullopt;
    std::array<QImage, 3> markers;
    for (int i = 0; i < 3; ++i) {
        // A copy: the resource's bytes are not the image's to keep.
        markers[size_t(i)]
            = QImage(reinterpret_cast<const uchar *>(pixels.constData()) + i * each, size.width(),
                     size.height(), size.width() * 4, QImage::Format_ARGB32_Premultiplied)
                  .copy();
    }
    return markers;
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
