// tavrin-tool load: a JPEG or bitmap file as the program reads it, written as a 24-bit bitmap.

#include "picture/BmpFile.h"
#include "picture/ConvertJpeg.h"
#include "tools/tavrin-tool/Command.h"

#include <QFile>

namespace {

int run(const QStringList &args)
{
    const ToolArgs a(args, {});
    if (!a.ok())
        return Fail(a.error());
    if (a.positional().size() != 2)
        return Fail(QStringLiteral("load needs IN and OUT.bmp"));
    const QString in = a.positional()[0];
    QFile file(in);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(QStringLiteral("cannot open %1").arg(in));
    // Bitmap files by their signature, whatever their name; everything else as JPEG.
    const bool bitmap = file.read(2) == "BM";
    file.close();
    const std::optional<Bitmap> picture = bitmap ? LoadBmpFile(in) : TConvertJpeg::LoadJpegFile(in);
    if (!picture)
        return Fail(QStringLiteral("cannot read %1 as a %2").arg(in, bitmap ? "bitmap" : "JPEG picture"));
    if (!SaveBmpFile(a.positional()[1], *picture))
        return Fail(QStringLiteral("cannot write %1").arg(a.positional()[1]));
    Print(QStringLiteral("width=%1 height=%2").arg(picture->width()).arg(picture->height()));
    return 0;
}

const bool registered = RegisterCommand({"load", "load IN OUT.bmp", &run});

} // namespace
