// qt-minimal-probe: the smallest Qt Widgets program of the main window's size, ending at once when its
// window has painted: the anchor of the start-up benchmark.
#include <QApplication>
#include <QEvent>

#include <cstdlib>
#include <QWidget>

namespace {

class EndOnFirstPaint : public QObject
{
protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            // Gone at once: what is timed ends with the first paint, not with tearing down.
            std::_Exit(0);
        return false;
    }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(514, 338);
    window.setWindowTitle(QStringLiteral("タブリン"));
    EndOnFirstPaint end;
    window.installEventFilter(&end);
    window.show();
    return app.exec();
}
