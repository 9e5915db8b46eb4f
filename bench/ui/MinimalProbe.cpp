// qt-minimal-probe: the smallest Qt Widgets program of the main window's size, ending as soon as its
// window has painted: the anchor of the start-up benchmark.
#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace {

class EndOnFirstPaint : public QObject
{
protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            QCoreApplication::exit(0);
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
