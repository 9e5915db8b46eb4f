// tavrin_heic_photo IN OUT.heic: a photo as a phone held upright writes it. The pixels stay as the
// sensor took them, the container turns them right, and the embedded thumbnail is made from the
// photo reduced smoothly (libheif's own thumbnail would sample it, keeping the sensor noise the
// phone's reduction averages away).
#include "support/HeifFiles.h"

#include <QFile>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: tavrin_heic_photo IN OUT.heic\n");
        return 2;
    }
    const QImage photo(QString::fromLocal8Bit(argv[1]));
    if (photo.isNull())
        return 1;
    testheif::Options options;
    options.orientation = heif_orientation_rotate_90_cw;
    options.thumbnailSide = 320;
    options.thumbnailPicture = photo.scaled(400, 300, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    options.quality = 80;
    const QByteArray bytes = testheif::encode(photo, options);
    QFile out(QString::fromLocal8Bit(argv[2]));
    return !bytes.isEmpty() && out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() ? 0 : 1;
}
