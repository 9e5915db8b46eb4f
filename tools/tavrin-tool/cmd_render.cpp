// tavrin-tool render: a picture framed as in the picture settings step and written as the JPEG a
// recipient gets.

#include "common/BoundedFile.h"
#include "common/Exception.h"
#include "common/SaveFile.h"
#include "mail/AddressBook.h"
#include "mail/PictureRender.h"
#include "picture/BmpFile.h"
#include "picture/PictureCanvas.h"
#include "tools/tavrin-tool/Command.h"
#include "tools/tavrin-tool/ToolPicture.h"

#include <QTemporaryDir>

#include <algorithm>
#include <optional>

namespace {

std::optional<Rgb> colour(const QString &text)
{
    const bool hex
        = text.size() == 6 && std::all_of(text.begin(), text.end(), [](QChar c) {
              return c.isDigit() || (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f'));
          });
    if (!hex)
        return std::nullopt;
    const uint v = text.toUInt(nullptr, 16);
    return Rgb {quint8(v >> 16), quint8(v >> 8), quint8(v)};
}

// Applies the operations of the list in order; the error names the first that is not one.
QString apply(PictureCanvas &canvas, const QString &list)
{
    const QStringList items = list.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QString op = items[i].trimmed();
        if (op.startsWith(QLatin1String("zoom:"))) {
            const std::optional<int> step = ToolInteger(op.mid(5));
            if (!step)
                return QStringLiteral("zoom needs a whole number: %1").arg(op);
            canvas.ZoomPicture(*step);
        } else if (op.startsWith(QLatin1String("move:"))) {
            // The one operation with a comma of its own: move:DX,DY.
            const std::optional<int> dx = ToolInteger(op.mid(5));
            const std::optional<int> dy = i + 1 < items.size() ? ToolInteger(items[i + 1]) : std::nullopt;
            if (!dx || !dy)
                return QStringLiteral("move needs DX,DY: %1").arg(op);
            ++i;
            canvas.PictureMouseDown(QPoint(0, 0), false);
            canvas.PictureMouseMove(QPoint(*dx, *dy), false);
        } else if (op == QLatin1String("drop")) {
            canvas.PictureMouseUp();
        } else if (op == QLatin1String("fit-height")) {
            canvas.ResizeByHeight();
        } else if (op == QLatin1String("fit-width")) {
            canvas.ResizeByWidth();
        } else if (op == QLatin1String("left")) {
            canvas.FitLeft();
        } else if (op == QLatin1String("top")) {
            canvas.FitTop();
        } else if (op == QLatin1String("right")) {
            canvas.FitRight();
        } else if (op == QLatin1String("bottom")) {
            canvas.FitBottom();
        } else if (op == QLatin1String("center")) {
            canvas.Centering();
        } else if (op == QLatin1String("rotate-left")) {
            canvas.RotateLeft();
        } else if (op == QLatin1String("rotate-right")) {
            canvas.RotateRight();
        } else {
            return QStringLiteral("unknown operation: %1").arg(op);
        }
    }
    return QString();
}

int run(const QStringList &args)
{
    const ToolArgs a(args,
                     {"--address", "--preset", "--quality", "--size", "--background", "--ops", "--work"});
    if (!a.ok())
        return Fail(a.error());
    if (a.positional().size() != 2)
        return Fail(QStringLiteral("render needs IN and OUT.jpg"));
    if (!a.has("--address") || !a.has("--preset") || !a.has("--quality"))
        return Fail(QStringLiteral("render needs --address, --preset and --quality"));
    QString problem;
    const std::optional<PictureOptions> picture = ReadPictureOptions(a, &problem);
    if (!picture)
        return Fail(problem);
    std::optional<Rgb> background;
    if (a.has("--background")) {
        background = colour(a.value("--background"));
        if (!background)
            return Fail(QStringLiteral("--background needs RRGGBB in hexadecimal"));
    }

    QTemporaryDir temporary;
    const QString work = a.has("--work") ? a.value("--work") : temporary.path();
    if (!a.has("--work") && !temporary.isValid())
        return Fail(QStringLiteral("cannot make a temporary folder"));

    const QString in = a.positional()[0];
    const QString out = a.positional()[1];
    if (const QString problem = OutputProblem(out); !problem.isEmpty())
        return Fail(problem);

    PictureCanvas canvas(work);
    if (const QString problem = LoadToolPicture(canvas, in); !problem.isEmpty())
        return Fail(problem);
    EnterPictureStep(canvas, *picture);
    if (background)
        canvas.SetBackgroundColor(*background);
    const QString error = apply(canvas, a.value("--ops"));
    if (!error.isEmpty())
        return Fail(error);

    TMailAddress to;
    to.Address = a.value("--address");
    FillPictureParameters(canvas, to);
    try {
        const TConvertJpeg::Result r = RenderPicture(canvas, to);
        const FileRead jpeg = ReadRegularFile(canvas.TmpJpgPath(), TConvertJpeg::MaxJpegFileBytes);
        if (!jpeg || !SaveWholeFile(out, jpeg.bytes))
            return Fail(QStringLiteral("cannot write %1").arg(out));
        const QRect p = canvas.Placement();
        Print(QStringLiteral("frame=%1x%2 placement=%3,%4,%5,%6 quality=%7 size=%8")
                  .arg(canvas.FrameSize().width())
                  .arg(canvas.FrameSize().height())
                  .arg(p.x())
                  .arg(p.y())
                  .arg(p.width())
                  .arg(p.height())
                  .arg(r.quality)
                  .arg(r.size));
        return 0;
    } catch (const Exception &e) {
        return Fail(e.Message());
    }
}

const bool registered = RegisterCommand(
    {"render",
     "render IN OUT.jpg --address A --preset P --quality Q [--size W,H] [--background RRGGBB] [--ops LIST] "
     "[--work DIR]  (LIST: zoom:N fit-height fit-width left top right bottom center rotate-left rotate-right "
     "move:DX,DY drop, comma-separated; prints the JPEG quality reached and the file size)",
     &run});

} // namespace
