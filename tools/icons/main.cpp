// tavrin-icons OUTDIR: writes OUTDIR/hicolor/NxN/apps/tavrin.png for the sizes desktops look for.
// tavrin-icons --logo FILE: writes the splash logo's pixels (premultiplied ARGB, row after row), which
// the build puts into the program so that start-up shows it without drawing or decoding it.
// tavrin-icons --markers FILE: the same of the three mode markers (file, camera, auto), one after
// the other.
#include "mainwindow/MainArtwork.h"
#include "widgets/Artwork.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QString>

#include <cstdio>
#include <cstring>

namespace {

// The pictures' pixels, one after the other; false when the file cannot be written.
bool writePixels(const QString &path, const QList<QPixmap> &pictures)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (const QPixmap &picture : pictures) {
        const QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const auto size = qint64(image.sizeInBytes());
        if (file.write(reinterpret_cast<const char *>(image.constBits()), size) != size)
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && (std::strcmp(argv[1], "--logo") == 0 || std::strcmp(argv[1], "--markers") == 0)) {
        // The pictures carry text: fonts need the application.
        QGuiApplication app(argc, argv);
        const QString path = QString::fromLocal8Bit(argv[2]);
        using MainArtwork::ModeKind;
        const QList<QPixmap> pictures = std::strcmp(argv[1], "--logo") == 0
            ? QList<QPixmap> {Artwork::Logo()}
            : QList<QPixmap> {MainArtwork::ModeButton(ModeKind::File, Artwork::ButtonLook::Normal, true),
                              MainArtwork::ModeButton(ModeKind::Camera, Artwork::ButtonLook::Normal, true),
                              MainArtwork::ModeButton(ModeKind::Auto, Artwork::ButtonLook::Normal, true)};
        if (!writePixels(path, pictures)) {
            std::fprintf(stderr, "tavrin-icons: cannot write %s\n", qPrintable(path));
            return 1;
        }
        return 0;
    }
    if (argc != 2) {
        std::fputs("usage: tavrin-icons OUTDIR | tavrin-icons --logo FILE | tavrin-icons --markers FILE\n",
                   stderr);
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
