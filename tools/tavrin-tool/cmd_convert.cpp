// tavrin-tool convert: a bitmap file into a JPEG file within a byte budget.

#include "common/BoundedFile.h"
#include "common/Exception.h"
#include "picture/BmpFile.h"
#include "picture/ConvertJpeg.h"
#include "tools/tavrin-tool/Command.h"

#include <optional>
#include <vector>

namespace {

// "a,b,..." with exactly count integers.
std::optional<std::vector<int>> integers(const QString &text, int count)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != count)
        return std::nullopt;
    std::vector<int> out;
    for (const QString &p : parts) {
        bool ok = false;
        const int v = p.trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
        out.push_back(v);
    }
    return out;
}

int run(const QStringList &args)
{
    const ToolArgs a(args, {"--src", "--dst", "--budget"});
    if (!a.ok())
        return Fail(a.error());
    if (a.positional().size() != 2)
        return Fail(QStringLiteral("convert needs IN.bmp and OUT.jpg"));
    const QString in = a.positional()[0];
    const QString out = a.positional()[1];
    // A missing or damaged bitmap is the writer's to report, as the program would.
    if (CheckRegularFile(in, kMaxBmpFileBytes) != FileFault::Missing) {
        const QString problem = InputProblem(in, kMaxBmpFileBytes);
        if (!problem.isEmpty())
            return Fail(problem);
    }
    if (const QString problem = OutputProblem(out); !problem.isEmpty())
        return Fail(problem);

    TConvertJpeg writer;
    if (a.has("--budget")) {
        bool ok = false;
        writer.Budget = a.value("--budget").toInt(&ok);
        if (!ok || writer.Budget < 0)
            return Fail(QStringLiteral("--budget needs a byte count of 0 or more"));
    }
    writer.Scale = a.has("--src") || a.has("--dst");
    if (writer.Scale) {
        if (a.has("--src")) {
            const auto v = integers(a.value("--src"), 4);
            if (!v)
                return Fail(QStringLiteral("--src needs LEFT,TOP,RIGHT,BOTTOM"));
            writer.SourceRect = PixelRect {(*v)[0], (*v)[1], (*v)[2], (*v)[3]};
        } else {
            const std::optional<Bitmap> bitmap = LoadBmpFile(in);
            if (!bitmap) {
                const QString size = PictureSizeProblem(in);
                return Fail(size.isEmpty() ? QStringLiteral("cannot read the bitmap %1").arg(in) : size);
            }
            writer.SourceRect = PixelRect {0, 0, bitmap->width(), bitmap->height()};
        }
        if (a.has("--dst")) {
            const auto v = integers(a.value("--dst"), 2);
            if (!v || (*v)[0] <= 0 || (*v)[1] <= 0)
                return Fail(QStringLiteral("--dst needs WIDTH,HEIGHT, both above 0"));
            if (qint64((*v)[0]) * (*v)[1] > Bitmap::MaxPixels)
                return Fail(QStringLiteral("--dst %1,%2 is too large: the picture may have at most %3 pixels")
                                .arg((*v)[0])
                                .arg((*v)[1])
                                .arg(Bitmap::MaxPixels));
            writer.DestRect = PixelRect {0, 0, (*v)[0], (*v)[1]};
        } else {
            writer.DestRect = PixelRect {0, 0, writer.SourceRect.width(), writer.SourceRect.height()};
        }
    }
    try {
        const TConvertJpeg::Result r = writer.ConvertFile(in, out);
        Print(QStringLiteral("quality=%1 size=%2 passes=%3").arg(r.quality).arg(r.size).arg(r.passes));
        return 0;
    } catch (const Exception &e) {
        const QString size = PictureSizeProblem(in);
        return Fail(size.isEmpty() ? e.Message() : size);
    }
}

const bool registered = RegisterCommand(
    {"convert", "convert IN.bmp OUT.jpg [--src L,T,R,B] [--dst W,H] [--budget BYTES]", &run});

} // namespace
