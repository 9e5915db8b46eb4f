#include "picture/JpegCodec.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>

// jpeglib.h needs FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>

// Every function here that calls setjmp keeps only plain C data on its frame: a longjmp out of
// libjpeg must not skip a destructor.

namespace {

// Far more than any real file needs; a progressive file with thousands of scans is an attack on
// the decoder's time.
constexpr int kMaxScans = 500;
// A header may claim this many pixels per byte of data (a flat baseline picture needs about a byte
// per 64), and any picture up to a megapixel.
constexpr qint64 kPixelsPerByte = 1024;
constexpr qint64 kPixelFloor = qint64(1) << 20;
constexpr long kMaxLibraryMemory = 1L << 29;
// The decoding work, counted as the blocks each scan covers, that a file may cost per byte of it,
// and that any file may cost. Every block of a Huffman-coded scan takes at least a bit of the
// first scan, and the usual progressive scripts visit a block at most six times: some fifty visits a
// byte even for a flat picture. A few hundred scans of nothing but end-of-band runs over a huge
// picture would cost thousands a byte. The floor lets the usual ten scans of a 4:2:0 picture of the
// largest size allowed through, however few its bytes.
constexpr qint64 kBlockVisitsPerByte = 128;
constexpr qint64 kBlockVisitFloor = qint64(16) << 20;
// A file of several scans keeps every coefficient of the picture in memory (128 bytes a block):
// never more than a block for each byte of the file (a flat picture takes about a byte a block, as
// above), and any file up to the floor (a 4:2:0 picture of 20 megapixels).
constexpr qint64 kCoefficientBytesPerByte = 128;
constexpr qint64 kCoefficientFloor = qint64(64) << 20;

struct ErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void errorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager *>(cinfo->err)->jump, 1);
}

void emitMessage(j_common_ptr cinfo, int level)
{
    // libjpeg pads data that ends early with grey and goes on; a truncated file is a failure here.
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF)
        errorExit(cinfo);
}

void outputMessage(j_common_ptr) { }

void installErrors(ErrorManager &e)
{
    jpeg_std_error(&e.pub);
    e.pub.error_exit = errorExit;
    e.pub.emit_message = emitMessage;
    e.pub.output_message = outputMessage;
}

// Compressed data into one growing buffer, kept from one picture to the next.
struct Destination
{
    jpeg_destination_mgr pub;
    JOCTET *buffer = nullptr;
    size_t capacity = 0;
    size_t size = 0;
};

void initDestination(j_compress_ptr cinfo)
{
    auto *d = reinterpret_cast<Destination *>(cinfo->dest);
    if (d->capacity == 0) {
        d->buffer = static_cast<JOCTET *>(std::malloc(65536));
        if (!d->buffer)
            ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
        d->capacity = 65536;
    }
    d->pub.next_output_byte = d->buffer;
    d->pub.free_in_buffer = d->capacity;
}

boolean emptyOutputBuffer(j_compress_ptr cinfo)
{
    auto *d = reinterpret_cast<Destination *>(cinfo->dest);
    const size_t used = d->capacity;
    auto *grown = static_cast<JOCTET *>(std::realloc(d->buffer, used * 2));
    if (!grown)
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    d->buffer = grown;
    d->capacity = used * 2;
    d->pub.next_output_byte = d->buffer + used;
    d->pub.free_in_buffer = d->capacity - used;
    return TRUE;
}

void termDestination(j_compress_ptr cinfo)
{
    auto *d = reinterpret_cast<Destination *>(cinfo->dest);
    d->size = d->capacity - d->pub.free_in_buffer;
}

} // namespace

struct JpegEncoder::Private
{
    jpeg_compress_struct cinfo {};
    ErrorManager errors {};
    Destination destination;
    bool created = false;

    ~Private()
    {
        if (created)
            jpeg_destroy_compress(&cinfo);
        std::free(destination.buffer);
    }
};

namespace {

struct RawPicture
{
    const uchar *pixels;
    qsizetype stride;
    int width;
    int height;
    bool spareByte;
    int dotsPerMeterX;
    int dotsPerMeterY;
};

bool compress(JpegEncoder::Private &p, const RawPicture &in, int quality);

} // namespace

JpegEncoder::JpegEncoder()
    : d(std::make_unique<Private>())
{ }

JpegEncoder::~JpegEncoder() = default;

std::optional<QByteArray> JpegEncoder::encode(const Bitmap &bitmap, int quality)
{
    if (bitmap.isNull())
        return std::nullopt;
    const RawPicture in {bitmap.scanLine(0),
                         bitmap.bytesPerLine(),
                         bitmap.width(),
                         bitmap.height(),
                         bitmap.format() == Bitmap::Format::Bgrx32,
                         bitmap.dotsPerMeterX,
                         bitmap.dotsPerMeterY};
    if (!compress(*d, in, quality))
        return std::nullopt;
    return QByteArray(reinterpret_cast<const char *>(d->destination.buffer), qsizetype(d->destination.size));
}

namespace {

bool compress(JpegEncoder::Private &p, const RawPicture &in, int quality)
{
    jpeg_compress_struct &c = p.cinfo;
    if (setjmp(p.errors.jump)) {
        // Leaves the compressor ready for the next picture.
        if (p.created)
            jpeg_abort_compress(&c);
        return false;
    }
    if (!p.created) {
        installErrors(p.errors);
        c.err = &p.errors.pub;
        jpeg_create_compress(&c);
        p.created = true;
        p.destination.pub.init_destination = initDestination;
        p.destination.pub.empty_output_buffer = emptyOutputBuffer;
        p.destination.pub.term_destination = termDestination;
        c.dest = &p.destination.pub;
    }
    c.image_width = JDIMENSION(in.width);
    c.image_height = JDIMENSION(in.height);
    c.input_components = in.spareByte ? 4 : 3;
    c.in_color_space = in.spareByte ? JCS_EXT_BGRX : JCS_EXT_BGR;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    c.dct_method = JDCT_ISLOW;
    if (in.dotsPerMeterX > 0 && in.dotsPerMeterY > 0) {
        c.density_unit = 2; // dots per centimetre
        c.X_density = UINT16(qMin(in.dotsPerMeterX / 100, 65535));
        c.Y_density = UINT16(qMin(in.dotsPerMeterY / 100, 65535));
    }
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(in.pixels + qsizetype(c.next_scanline) * in.stride);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    return true;
}

// The progress monitor's state: the work so far against what the file may cost.
struct WorkLimit
{
    jpeg_progress_mgr pub;
    qint64 budget = 0;
    qint64 blockVisits = 0;
    int scan = 0;
};

struct Decompressor
{
    jpeg_decompress_struct cinfo {};
    ErrorManager errors {};
    WorkLimit progress {};
    bool created = false;
    bool multipleScans = false;

    ~Decompressor()
    {
        if (created)
            jpeg_destroy_decompress(&cinfo);
    }
};

// Called before every row of input: a scan's blocks count as soon as it starts, so the scan that
// would go past the budget is not decoded at all.
void progressMonitor(j_common_ptr cinfo)
{
    if (!cinfo->is_decompressor)
        return;
    const auto *d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxScans)
        errorExit(cinfo);
    auto *limit = reinterpret_cast<WorkLimit *>(cinfo->progress);
    if (d->input_scan_number == limit->scan || d->comps_in_scan <= 0)
        return;
    limit->scan = d->input_scan_number;
    for (int i = 0; i < d->comps_in_scan && i < MAX_COMPS_IN_SCAN; ++i) {
        const jpeg_component_info *c = d->cur_comp_info[i];
        if (c)
            limit->blockVisits += qint64(c->width_in_blocks) * c->height_in_blocks;
    }
    if (limit->blockVisits > limit->budget)
        errorExit(cinfo);
}

// Blocks of every component, as the coefficient buffer of a file of several scans holds them.
qint64 coefficientBytes(const jpeg_decompress_struct &c)
{
    qint64 blocks = 0;
    for (int i = 0; i < c.num_components; ++i) {
        const jpeg_component_info &comp = c.comp_info[i];
        const qint64 wide = (qint64(c.image_width) * comp.h_samp_factor + 8 * c.max_h_samp_factor - 1)
            / (8 * c.max_h_samp_factor);
        const qint64 high = (qint64(c.image_height) * comp.v_samp_factor + 8 * c.max_v_samp_factor - 1)
            / (8 * c.max_v_samp_factor);
        blocks += wide * high;
    }
    return blocks * qint64(sizeof(JBLOCK));
}

bool readHeader(Decompressor &j, const uchar *data, size_t size)
{
    jpeg_decompress_struct &c = j.cinfo;
    if (setjmp(j.errors.jump))
        return false;
    installErrors(j.errors);
    c.err = &j.errors.pub;
    jpeg_create_decompress(&c);
    j.created = true;
    c.mem->max_memory_to_use = kMaxLibraryMemory;
    j.progress.pub.progress_monitor = progressMonitor;
    j.progress.budget = qMax(kBlockVisitFloor, qint64(size) * kBlockVisitsPerByte);
    c.progress = &j.progress.pub;
    jpeg_mem_src(&c, data, static_cast<unsigned long>(size));
    jpeg_read_header(&c, TRUE);
    j.multipleScans = jpeg_has_multiple_scans(&c);
    return true;
}

bool startDecompress(Decompressor &j, unsigned int denominator, bool cmyk)
{
    jpeg_decompress_struct &c = j.cinfo;
    if (setjmp(j.errors.jump))
        return false;
    c.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    c.scale_num = 1;
    c.scale_denom = denominator;
    jpeg_start_decompress(&c);
    return true;
}

// rows points at the output bitmap's rows; cmykRow, when given, holds one row of four-byte pixels.
bool readRows(Decompressor &j, uchar *pixels, qsizetype stride, uchar *cmykRow)
{
    jpeg_decompress_struct &c = j.cinfo;
    if (setjmp(j.errors.jump))
        return false;
    while (c.output_scanline < c.output_height) {
        uchar *out = pixels + qsizetype(c.output_scanline) * stride;
        JSAMPROW row = cmykRow ? cmykRow : out;
        if (jpeg_read_scanlines(&c, &row, 1) != 1)
            return false;
        if (!cmykRow)
            continue;
        // Adobe writes CMYK inverted; other writers store it plain.
        const bool inverted = c.saw_Adobe_marker;
        for (JDIMENSION x = 0; x < c.output_width; ++x, out += 3) {
            const uchar *p = cmykRow + 4 * x;
            const unsigned k = inverted ? p[3] : 255 - p[3];
            const auto channel = [&](uchar v) {
                return uchar((inverted ? v : 255 - v) * k / 255);
            };
            out[0] = channel(p[2]);
            out[1] = channel(p[1]);
            out[2] = channel(p[0]);
        }
    }
    // No jpeg_finish_decompress: it would only read on to the end marker, and the picture is whole.
    return true;
}

} // namespace

std::optional<JpegSize> ReadJpegHeader(QByteArrayView data)
{
    Decompressor j;
    if (!readHeader(j, reinterpret_cast<const uchar *>(data.data()), size_t(data.size())))
        return std::nullopt;
    return JpegSize {int(j.cinfo.image_width), int(j.cinfo.image_height)};
}

std::optional<Bitmap> DecodeJpeg(QByteArrayView data, int tileSide)
{
    Decompressor j;
    if (!readHeader(j, reinterpret_cast<const uchar *>(data.data()), size_t(data.size())))
        return std::nullopt;
    const qint64 w = j.cinfo.image_width;
    const qint64 h = j.cinfo.image_height;
    const qint64 pixels = w * h;
    if (pixels == 0 || pixels > Bitmap::MaxPixels || pixels > qMax(kPixelFloor, data.size() * kPixelsPerByte))
        return std::nullopt;
    if (j.multipleScans
        && coefficientBytes(j.cinfo) > qMax(kCoefficientFloor, data.size() * kCoefficientBytesPerByte))
        return std::nullopt;

    unsigned int denominator = 1;
    if (tileSide > 0) {
        const PixelRect box = FitInSquare(int(w), int(h), tileSide);
        for (unsigned int d : {8u, 4u, 2u}) {
            if ((w + d - 1) / d >= box.width() && (h + d - 1) / d >= box.height()) {
                denominator = d;
                break;
            }
        }
    }
    const bool cmyk = j.cinfo.jpeg_color_space == JCS_CMYK || j.cinfo.jpeg_color_space == JCS_YCCK;
    if (!startDecompress(j, denominator, cmyk))
        return std::nullopt;

    Bitmap out(int(j.cinfo.output_width), int(j.cinfo.output_height));
    if (out.isNull())
        return std::nullopt;
    std::vector<uchar> cmykRow(cmyk ? size_t(out.width()) * 4 : 0);
    if (!readRows(j, out.scanLine(0), out.bytesPerLine(), cmyk ? cmykRow.data() : nullptr))
        return std::nullopt;
    return out;
}
