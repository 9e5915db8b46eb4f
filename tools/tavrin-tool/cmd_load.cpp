// tavrin-tool load: a picture file (bitmap, JPEG, HEIF, PNG, WebP, TIFF) as the program reads it,
// upright, written as a 24-bit bitmap.

#include "common/BoundedFile.h"
#include "picture/BmpFile.h"
#include "picture/ConvertJpeg.h"
#include "picture/PictureFile.h"
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
    const QString out = a.positional()[1];
    const qint64 largest = qMax(kMaxBmpFileBytes, TConvertJpeg::MaxJpegFileBytes);
    if (const QString problem = InOutProblem(in, largest, out); !problem.isEmpty())
        return Fail(problem);
    const std::unique_ptr<QFile> file = OpenRegularFile(in, largest);
    if (!file)
        return Fail(QStringLiteral("cannot open %1").arg(in));
    // Bitmap files by their signature, whatever their name; everything else by its own.
    const bool bitmap = file->read(2) == "BM";
    if (const QString problem = InputProblem(in, bitmap ? kMaxBmpFileBytes : TConvertJpeg::MaxJpegFileBytes);
        !problem.isEmpty())
        return Fail(problem);
    const std::optional<Bitmap> picture = bitmap ? LoadBmpFile(in) : ReadPictureFile(in);
    if (!picture) {
        const QString size = PictureSizeProblem(in);
        return Fail(size.isEmpty()
                        ? QStringLiteral("cannot read %1 as a %2").arg(in, bitmap ? "bitmap" : "picture")
                        : size);
    }
    if (!SaveBmpFile(out, *picture))
        return Fail(QStringLiteral("cannot write %1").arg(out));
    Print(QStringLiteral("width=%1 height=%2").arg(picture->width()).arg(picture->height()));
    return 0;
}

const bool registered = RegisterCommand({"load", "load IN OUT.bmp", &run});

} // namespace
