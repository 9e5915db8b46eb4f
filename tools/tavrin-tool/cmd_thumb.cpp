// tavrin-tool thumb: the 64 x 64 thumbnail tile of a picture file, as a 24-bit bitmap.

#include "picture/BmpFile.h"
#include "picture/ConvertJpeg.h"
#include "tools/tavrin-tool/Command.h"

namespace {

int run(const QStringList &args)
{
    const ToolArgs a(args, {});
    if (!a.ok())
        return Fail(a.error());
    if (a.positional().size() != 2)
        return Fail(QStringLiteral("thumb needs IN and OUT.bmp"));
    const QString in = a.positional()[0];
    const QString out = a.positional()[1];
    const bool bitmap = in.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive);
    const qint64 largest = bitmap ? kMaxBmpFileBytes : TConvertJpeg::MaxJpegFileBytes;
    if (const QString problem = InOutProblem(in, largest, out); !problem.isEmpty())
        return Fail(problem);
    const std::optional<Bitmap> tile = TConvertJpeg::MakeThumbnail(in);
    if (!tile) {
        const QString size = PictureSizeProblem(in);
        return Fail(size.isEmpty() ? QStringLiteral("cannot make a thumbnail of %1").arg(in) : size);
    }
    if (!SaveBmpFile(out, *tile))
        return Fail(QStringLiteral("cannot write %1").arg(out));
    return 0;
}

const bool registered = RegisterCommand({"thumb", "thumb IN OUT.bmp", &run});

} // namespace
