#pragma once

#include <QByteArray>
#include <QImage>

#include <libheif/heif.h>

// HEIF files made with libheif's own HEVC encoder, for the tests of the HEIF reader.
namespace testheif {

struct Options
{
    // How the container says the stored pixels are to be turned (its irot and imir boxes).
    heif_orientation orientation = heif_orientation_normal;
    // An embedded thumbnail of at most this side, scaled down from thumbnailPicture (which must be
    // larger: libheif makes no thumbnail of a picture that fits the side already); none when 0.
    int thumbnailSide = 0;
    QImage thumbnailPicture;
    // An Exif block whose Orientation tag says the picture is to be turned right: a reader that
    // applied it after the container's turn would turn the picture twice.
    bool exifSaysTurnRight = false;
    int quality = 95;
};

inline heif_image *toHeif(const QImage &picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    heif_image *image = nullptr;
    heif_image_create(rgb.width(), rgb.height(), heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image);
    heif_image_add_plane(image, heif_channel_interleaved, rgb.width(), rgb.height(), 8);
    int stride = 0;
    uint8_t *plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < rgb.height(); ++y)
        std::copy(rgb.constScanLine(y), rgb.constScanLine(y) + 3 * rgb.width(),
                  plane + qsizetype(y) * stride);
    return image;
}

inline heif_error writeTo(heif_context *, const void *data, size_t size, void *userdata)
{
    static_cast<QByteArray *>(userdata)->append(static_cast<const char *>(data), qsizetype(size));
    return heif_error {heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

// The file's bytes; empty when libheif has no HEVC encoder.
inline QByteArray encode(const QImage &stored, const Options &o = {})
{
    heif_context *ctx = heif_context_alloc();
    heif_encoder *encoder = nullptr;
    QByteArray out;
    if (heif_context_get_encoder_for_format(ctx, heif_compression_HEVC, &encoder).code == heif_error_Ok) {
        heif_encoder_set_lossy_quality(encoder, o.quality);
        heif_encoding_options *options = heif_encoding_options_alloc();
        options->image_orientation = o.orientation;
        heif_image *image = toHeif(stored);
        heif_image_handle *handle = nullptr;
        heif_context_encode_image(ctx, image, encoder, options, &handle);
        if (o.thumbnailSide > 0) {
            heif_image *thumb = toHeif(o.thumbnailPicture);
            heif_context_encode_thumbnail(ctx, thumb, handle, encoder, options, o.thumbnailSide, nullptr);
            heif_image_release(thumb);
        }
        if (o.exifSaysTurnRight) {
            // "Exif\0\0" is not part of libheif's Exif item: the TIFF header comes first.
            const QByteArray exif("II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0\x06\0\0\0\0\0\0\0", 26);
            heif_context_add_exif_metadata(ctx, handle, exif.constData(), int(exif.size()));
        }
        heif_writer writer {1, writeTo};
        heif_context_write(ctx, &writer, &out);
        heif_image_handle_release(handle);
        heif_image_release(image);
        heif_encoding_options_free(options);
        heif_encoder_release(encoder);
    }
    heif_context_free(ctx);
    return out;
}

// A small plain file: 40 x 30 of one red.
inline QByteArray smallRed()
{
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(qRgb(200, 40, 40));
    return encode(picture);
}

} // namespace testheif
