// tavrin_thumbnail_bench FOLDER [RUNS]: the thumbnail picker from ShowForFolder to the grid shown,
// as the program does it (loading window, tiles, grid), then closed again. Prints the time of each
// run in milliseconds and the process's peak memory. Every run scans the folder anew.
#include "app/Application.h"
#include "common/Prompt.h"
#include "mainwindow/LoadingUnit.h"
#include "mainwindow/ThumbnailUnit.h"
#include "widgets/ProgramFont.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>

#include <cstdio>

#include <sys/resource.h>

namespace {

// Leaves out every file that gives no tile, and says so.
class YesPrompt : public Prompt
{
public:
    int ShowMessageBox(const QString &text, int, int) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return Msg::Yes;
    }
    int ShowSystemMessageBox(const QString &text, int icon, int buttons) override
    {
        return ShowMessageBox(text, icon, buttons);
    }
    QSize AskPictureSize(const QString &, const QString &) override { return QSize(); }
    int PickColor(int) override { return -1; }
};

// Notes the first paint of the grid and closes the window after it.
class GridShown : public QObject
{
public:
    GridShown(TThumbnail &window, QElapsedTimer &clock)
        : m_window(window)
        , m_clock(clock)
    { }
    qint64 elapsed = -1;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && elapsed < 0) {
            // Counted once the grid has been painted.
            QTimer::singleShot(0, &m_window, [this] {
                elapsed = m_clock.elapsed();
                m_window.reject();
            });
        }
        return false;
    }

private:
    TThumbnail &m_window;
    QElapsedTimer &m_clock;
};

} // namespace

int main(int argc, char **argv)
{
    Application app(argc, argv);
    ApplyProgramFont(app);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: tavrin_thumbnail_bench FOLDER [RUNS]\n");
        return 2;
    }
    const int runs = args.size() > 2 ? args[2].toInt() : 1;
    YesPrompt prompt;
    TLoadingThumbnail loading;
    TThumbnail window(prompt, loading);
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        GridShown shown(window, clock);
        window.Grid()->installEventFilter(&shown);
        window.MarkRebuildDue();
        clock.start();
        window.ShowForFolder(args[1]);
        window.Grid()->removeEventFilter(&shown);
        std::printf("run %d: %lld ms, %lld tiles\n", run + 1, shown.elapsed,
                    qlonglong(window.Pictures().Tiles().size()));
    }
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory: %ld MB\n", usage.ru_maxrss / 1024);
    return 0;
}
