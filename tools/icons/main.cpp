// tavrin-icons OUTDIR: writes OUTDIR/hicolor/NxN/apps/tavrin.png for the sizes desktops look for.
#include "widgets/Artwork.h"

#include <QDir>
#include <QString>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fputs("usage: tavrin-icons OUTDIR\n", stderr);
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
