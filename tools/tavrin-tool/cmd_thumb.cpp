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
    const std::optional<Bitmap> tile = TConvertJpeg::MakeThumbnail(a.positional()[0]);
    if (!tile)
        return Fail(QStringLiteral("cannot make a thumbnail of %1").arg(a.positional()[0]));
    if (!SaveBmpFile(a.positional()[1], *tile))
        return Fail(QStringLiteral("cannot write %1").arg(a.positional()[1]));
    return 0;
}

const bool registered = RegisterCommand({"thumb", "thumb IN OUT.bmp", &run});

} // namespace
