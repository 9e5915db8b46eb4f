// tavrin-icons OUTDIR: writes OUTDIR/hicolor/NxN/apps/tavrin.png for the sizes desktops look for.
// tavrin-icons --logo FILE: writes the splash logo's pixels (premultiplied ARGB, row after row), which
// the build puts into the program so that start-up shows it without drawing or decoding it.
#include "widgets/Artwork.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QString>

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--logo") == 0) {
        // The logo's name is text: fonts need the application.
        QGuiApplication app(argc, argv);
        const QString path = QString::fromLocal8Bit(argv[2]);
        const QImage logo = Artwork::Logo().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QFile file(path);
        const auto size = qint64(logo.sizeInBytes());
        if (!file.open(QIODevice::WriteOnly)
            || file.write(reinterpret_cast<const char *>(logo.constBits()), size) != size) {
            std::fprintf(stderr, "tavrin-icons: cannot write %s\n", qPrintable(path));
            return 1;
        }
        return 0;
    }
    if (argc != 2) {
        std::fputs("usage: tavrin-icons OUTDIR | tavrin-icons --logo FILE\n", stderr);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (const int side : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("hicolor/%1x%1/apps").arg(side);
        const QString path = out.filePath(folder + QStringLiteral("/tavrin.png"));
        if (!out.mkpath(folder) || !Artwork::ProgramIconImage(side).save(path, "PNG")) {
            std::fprintf(stderr, "tavrin-icons: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
