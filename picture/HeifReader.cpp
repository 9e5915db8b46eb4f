#include "picture/HeifReader.h"

#include "picture/HeifBoxes.h"

#include <QList>

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

#include <libheif/heif.h>

namespace {

// What libheif reads through: the file, and the media data boxes at its top level. While the
// container is parsed, libheif reads every such box whole into a buffer it never looks at again
// (the decode reads a picture's bytes anew, by their location): those reads are skipped, which
// saves copying the 12 megapixels' data when a tile is made from the thumbnail.
struct HeifSource
{
    QIODevice &device;
    QList<std::pair<qint64, qint64>> mediaData; // offset and size of each top-level box's content
    bool parsing = false;

    // A read within the content of one media data box (libheif reads a box in several parts).
    bool skippable(qint64 at, qint64 size) const
    {
        return std::any_of(mediaData.begin(), mediaData.end(),
                           [at, size](const std::pair<qint64, qint64> &m) {
                               return at >= m.first && size <= m.first + m.second - at;
                           });
    }
};

HeifSource &sourceOf(void *userdata)
{
    return *static_cast<HeifSource *>(userdata);
}

const heif_reader kDeviceReader = {
    1,
    [](void *d) -> int64_t { return sourceOf(d).device.pos(); },
    [](void *data, size_t size, void *d) -> int {
        HeifSource &source = sourceOf(d);
        QIODevice &device = source.device;
        const qint64 at = device.pos();
        if (source.parsing && source.skippable(at, qint64(size)))
            return device.seek(at + qint64(size)) ? 0 : 1;
        return device.read(static_cast<char *>(data), qint64(size)) == qint64(size) ? 0 : 1;
    },
    [](int64_t position, void *d) -> int { return sourceOf(d).device.seek(position) ? 0 : 1; },
    [](int64_t target, void *d) -> heif_reader_grow_status {
        return target <= sourceOf(d).device.size() ? heif_reader_grow_status_size_reached
                                                   : heif_reader_grow_status_size_beyond_eof;
    },
};

struct HeifContext
{
    heif_context *ctx = heif_context_alloc();
    heif_image_handle *primary = nullptr;
    heif_image_handle *thumbnail = nullptr;
    heif_image *image = nullptr;
    ~HeifContext()
    {
        if (image)
            heif_image_release(image);
        if (thumbnail)
            heif_image_handle_release(thumbnail);
        if (primary)
            heif_image_handle_release(primary);
        if (ctx)
            heif_context_free(ctx);
    }
};

qint64 pixelsOf(const heif_image_handle *h)
{
    return qint64(heif_image_handle_get_width(h)) * heif_image_handle_get_height(h);
}

class HeifReader : public PictureReader
{
public:
    bool CanRead(QByteArrayView head) const override { return IsHeifHead(head); }

    std::optional<Bitmap> Read(QIODevice &file, int tileSide) const override
    {
        HeifContext c;
        // Through the device: libheif reads the boxes and the data of the picture it decodes, so a
        // tile made from the thumbnail skips the data of the 12 megapixels.
        const HeifLayout layout = ReadHeifLayout(file);
        // The decoder allocates by the coded size: a file that states a small picture but codes a
        // huge one is refused before it is decoded.
        if (layout.malformed || std::any_of(layout.codedSizes.begin(), layout.codedSizes.end(), [](QSize s) {
                return s.isEmpty() || qint64(s.width()) * s.height() > Bitmap::MaxPixels;
            }))
            return std::nullopt;
        HeifSource source {file, layout.mediaData};
        if (!c.ctx || !file.seek(0))
            return std::nullopt;
        source.parsing = true;
        const heif_error parsed = heif_context_read_from_reader(c.ctx, &kDeviceReader, &source, nullptr);
        source.parsing = false;
        if (parsed.code != heif_error_Ok)
            return std::nullopt;
        if (heif_context_get_primary_image_handle(c.ctx, &c.primary).code != heif_error_Ok)
            return std::nullopt;
        const qint64 pixels = pixelsOf(c.primary);
        if (pixels <= 0 || pixels > Bitmap::MaxPixels)
            return std::nullopt;
        const heif_image_handle *chosen = c.primary;
        if (tileSide > 0)
            chosen = pickThumbnail(c, tileSide);
        const bool alpha = heif_image_handle_has_alpha_channel(chosen);
        // The container's turn and mirror (irot, imir) are applied by the decode; an Exif copy of
        // the tag inside the file is not applied again.
        if (heif_decode_image(chosen, &c.image, heif_colorspace_RGB,
                              alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, nullptr)
                .code
            != heif_error_Ok)
            return std::nullopt;
        int stride = 0;
        const uint8_t *plane = heif_image_get_plane_readonly(c.image, heif_channel_interleaved, &stride);
        const int w = heif_image_get_width(c.image, heif_channel_interleaved);
        const int h = heif_image_get_height(c.image, heif_channel_interleaved);
        if (!plane || w <= 0 || h <= 0)
            return std::nullopt;
        Bitmap out(w, h);
        if (out.isNull())
            return std::nullopt;
        const int step = alpha ? 4 : 3;
        for (int y = 0; y < h; ++y) {
            const uint8_t *p = plane + qsizetype(y) * stride;
            uchar *o = out.scanLine(y);
            for (int x = 0; x < w; ++x, p += step, o += 3) {
                const unsigned a = alpha ? p[3] : 255;
                const auto onWhite = [a](unsigned v) {
                    return uchar((v * a + 255 * (255 - a) + 127) / 255);
                };
                o[0] = onWhite(p[2]);
                o[1] = onWhite(p[1]);
                o[2] = onWhite(p[0]);
            }
        }
        return out;
    }

    QStringList NamePatterns() const override { return HeifNamePatterns(); }

private:
    // The smallest embedded thumbnail that still fills the picture's box in the tile, or the
    // primary picture when there is none.
    static const heif_image_handle *pickThumbnail(HeifContext &c, int tileSide)
    {
        const int n = heif_image_handle_get_number_of_thumbnails(c.primary);
        if (n <= 0)
            return c.primary;
        std::vector<heif_item_id> ids(static_cast<size_t>(n));
        heif_image_handle_get_list_of_thumbnail_IDs(c.primary, ids.data(), n);
        const PixelRect box = FitInSquare(heif_image_handle_get_width(c.primary),
                                          heif_image_handle_get_height(c.primary), tileSide);
        for (const heif_item_id id : ids) {
            heif_image_handle *t = nullptr;
            if (heif_image_handle_get_thumbnail(c.primary, id, &t).code != heif_error_Ok)
                continue;
            const bool fills = heif_image_handle_get_width(t) >= box.width()
                && heif_image_handle_get_height(t) >= box.height();
            if (fills && (!c.thumbnail || pixelsOf(t) < pixelsOf(c.thumbnail))) {
                if (c.thumbnail)
                    heif_image_handle_release(c.thumbnail);
                c.thumbnail = t;
            } else {
                heif_image_handle_release(t);
            }
        }
        return c.thumbnail ? c.thumbnail : c.primary;
    }
};

} // namespace

std::unique_ptr<PictureReader> MakeHeifReader()
{
    static std::once_flag once;
    std::call_once(once, [] { heif_init(nullptr); });
    return std::make_unique<HeifReader>();
}
