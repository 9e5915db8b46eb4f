// Dragging a 12-megapixel picture in the frame view: one mouse move and the redraw it causes,
// against the 16 ms of one frame at 60 Hz.
#include "mainwindow/PictureArea.h"
#include "picture/PictureCanvas.h"
#include "support/Pictures.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QWindow>

#include <benchmark/benchmark.h>

namespace {

void BM_DragRedraw12MP(benchmark::State &state)
{
    QTemporaryDir dir;
    PictureCanvas canvas(dir.path());
    canvas.SetPicture(testpictures::photo(4000, 3000, 3));
    canvas.Settings().SetSizePreset(2);
    canvas.SizePresetChanged(false, true);
    if (state.range(0) > 0) {
        // 300 %: the picture far larger than the frame, only a window of it shows.
        const int w = 4000 * 3, h = 3000 * 3;
        canvas.SetPlacement(QRect((240 - w) / 2, (320 - h) / 2, w, h));
    }
    canvas.SetEnabled(true);
    QWidget window;
    window.resize(260, 340);
    PictureArea area(canvas, nullptr, &window);
    window.show();
    // Painting happens only once the platform has shown the window.
    for (int i = 0; i < 1000 && !(window.windowHandle() && window.windowHandle()->isExposed()); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QWidget *frame = area.FrameViewWidget();
    QPointF at(100, 100);
    QMouseEvent press(QEvent::MouseButtonPress, at, frame->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(frame, &press);
    frame->repaint();
    int dx = 1;
    for (auto _ : state) {
        at += QPointF(dx, dx);
        dx = -dx;
        QMouseEvent move(QEvent::MouseMove, at, frame->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(frame, &move);
        frame->repaint();
    }
    canvas.PictureMouseUp();
}
BENCHMARK(BM_DragRedraw12MP)->Arg(0)->Arg(300)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
