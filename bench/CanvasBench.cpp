// The picture canvas on a 12-megapixel photo: a quarter turn, the render for a recipient and the
// redraw after a zoom step. Each should stay well under 200 ms.

#include "mail/AddressBook.h"
#include "mail/PictureRender.h"
#include "picture/PictureCanvas.h"
#include "picture/Resample.h"
#include "support/Pictures.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// A camera's 4000 x 3000 picture.
const Bitmap &photo12MP()
{
    static const Bitmap b = testpictures::photo(4000, 3000, 3);
    return b;
}

void BM_RotateBitmap12MP(benchmark::State &state)
{
    const Bitmap &source = photo12MP();
    for (auto _ : state) {
        const Bitmap turned = RotateBitmap(source, state.range(0));
        benchmark::DoNotOptimize(turned.scanLine(0));
    }
}
BENCHMARK(BM_RotateBitmap12MP)->Arg(-90)->Arg(90)->Unit(benchmark::kMillisecond);

// range(0): the zoom in percent of target pixels per source pixel, 0 for the picture fitted to the
// frame's width as it is after loading.
void setUpCanvas(PictureCanvas &canvas, int zoom)
{
    canvas.SetPicture(photo12MP());
    canvas.Settings().SetSizePreset(2);
    canvas.SizePresetChanged(false, true);
    if (zoom > 0) {
        // The placement width of that zoom, about the frame's centre.
        const int w = 240 * 4000 * zoom / (240 * 100);
        const int h = w * 3000 / 4000;
        canvas.SetPlacement(QRect((240 - w) / 2, (320 - h) / 2, w, h));
    }
}

void BM_RenderPicture12MP(benchmark::State &state)
{
    QTemporaryDir dir;
    PictureCanvas canvas(dir.path());
    setUpCanvas(canvas, int(state.range(0)));
    TMailAddress to;
    to.Address = QStringLiteral("taro@docomo.ne.jp");
    FillPictureParameters(canvas, to); // 240 x 320
    to.QualityLevel = 2; // 16000 bytes
    int passes = 0;
    for (auto _ : state) {
        // A size change of one pixel and back: the stretch is made anew, as for a new picture.
        const QRect p = canvas.Placement();
        canvas.SetPlacement(p.adjusted(0, 0, 1, 0));
        canvas.SetPlacement(p);
        passes = RenderPicture(canvas, to).passes;
    }
    state.counters["passes"] = passes;
}
BENCHMARK(BM_RenderPicture12MP)->Arg(0)->Arg(100)->Arg(300)->Unit(benchmark::kMillisecond);

// What the frame view redraws after a wheel step.
void BM_ZoomRedraw12MP(benchmark::State &state)
{
    QTemporaryDir dir;
    PictureCanvas canvas(dir.path());
    setUpCanvas(canvas, int(state.range(0)));
    int step = 1;
    for (auto _ : state) {
        canvas.ZoomPicture(step);
        step = -step;
        const Bitmap frame = canvas.ComposeFrame();
        benchmark::DoNotOptimize(frame.scanLine(0));
    }
}
BENCHMARK(BM_ZoomRedraw12MP)->Arg(0)->Arg(300)->Unit(benchmark::kMillisecond);

} // namespace
