// The JPEG writer against bare libjpeg-turbo, and thumbnail tiles over folders of camera pictures.
//
// TAVRIN_BENCH_EXIF_DIR and TAVRIN_BENCH_JFIF_DIR name folders of *.jpg files (with and without Exif
// thumbnails) for the thumbnail benchmarks; bench/compare.d/jpeg.sh makes them.

#include "picture/BmpFile.h"
#include "picture/ConvertJpeg.h"
#include "support/Pictures.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace {

// The frame as the render writes it: 240 x 320, photographic.
const Bitmap &frame()
{
    static const Bitmap b = testpictures::photo(240, 320);
    return b;
}

void BM_ConvertFile51Passes(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString bmp = dir.filePath("tmp.bmp");
    const QString jpg = dir.filePath("tmp.jpg");
    if (!SaveBmpFile(bmp, frame())) {
        state.SkipWithError("cannot write tmp.bmp");
        return;
    }
    TConvertJpeg writer;
    writer.Budget = 1; // no pass meets it
    for (auto _ : state) {
        const TConvertJpeg::Result r = writer.ConvertFile(bmp, jpg);
        if (r.passes != 51)
            state.SkipWithError("not 51 passes");
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_ConvertFile51Passes)->Unit(benchmark::kMillisecond);

// The same 51 qualities straight through libjpeg-turbo: pixels in memory, output to memory.
void BM_BareLibjpeg51Qualities(benchmark::State &state)
{
    const Bitmap &b = frame();
    jpeg_compress_struct c;
    jpeg_error_mgr errors;
    c.err = jpeg_std_error(&errors);
    jpeg_create_compress(&c);
    for (auto _ : state) {
        for (int q = 100; q >= 0; q -= 2) {
            unsigned char *out = nullptr;
            unsigned long size = 0;
            jpeg_mem_dest(&c, &out, &size);
            c.image_width = JDIMENSION(b.width());
            c.image_height = JDIMENSION(b.height());
            c.input_components = 3;
            c.in_color_space = JCS_EXT_BGR;
            jpeg_set_defaults(&c);
            jpeg_set_quality(&c, q, TRUE);
            c.dct_method = JDCT_ISLOW;
            jpeg_start_compress(&c, TRUE);
            while (c.next_scanline < c.image_height) {
                JSAMPROW row = const_cast<JSAMPROW>(b.scanLine(int(c.next_scanline)));
                jpeg_write_scanlines(&c, &row, 1);
            }
            jpeg_finish_compress(&c);
            benchmark::DoNotOptimize(size);
            std::free(out);
        }
    }
    jpeg_destroy_compress(&c);
}
BENCHMARK(BM_BareLibjpeg51Qualities)->Unit(benchmark::kMillisecond);

// One file per iteration, round the folder: the time is the time per file.
void thumbnails(benchmark::State &state, const char *variable)
{
    const char *folder = std::getenv(variable);
    if (!folder) {
        state.SkipWithError("no folder given");
        return;
    }
    QStringList files;
    const QDir dir(QString::fromLocal8Bit(folder));
    for (const QString &name : dir.entryList({"*.jpg"}, QDir::Files, QDir::Name))
        files.append(dir.filePath(name));
    if (files.isEmpty()) {
        state.SkipWithError("no *.jpg files");
        return;
    }
    qsizetype next = 0;
    for (auto _ : state) {
        const std::optional<Bitmap> tile = TConvertJpeg::MakeThumbnail(files[next]);
        if (!tile) {
            state.SkipWithError("no tile");
            break;
        }
        benchmark::DoNotOptimize(tile->scanLine(0));
        next = (next + 1) % files.size();
    }
    state.counters["files"] = double(files.size());
}

void BM_MakeThumbnailExif(benchmark::State &state)
{
    thumbnails(state, "TAVRIN_BENCH_EXIF_DIR");
}
BENCHMARK(BM_MakeThumbnailExif)->Unit(benchmark::kMillisecond);

void BM_MakeThumbnailWithoutExif(benchmark::State &state)
{
    thumbnails(state, "TAVRIN_BENCH_JFIF_DIR");
}
BENCHMARK(BM_MakeThumbnailWithoutExif)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
