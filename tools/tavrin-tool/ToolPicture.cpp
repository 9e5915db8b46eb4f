#include "tools/tavrin-tool/ToolPicture.h"

#include "picture/BmpFile.h"
#include "picture/ConvertJpeg.h"

std::optional<int> ToolInteger(const QString &text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok, 10);
    return ok ? std::optional<int>(v) : std::nullopt;
}

std::optional<PictureOptions> ReadPictureOptions(const ToolArgs &args, QString *error)
{
    if (!args.has(QStringLiteral("--preset")) || !args.has(QStringLiteral("--quality"))) {
        *error = QStringLiteral("--preset and --quality go together");
        return std::nullopt;
    }
    PictureOptions options;
    const std::optional<int> preset = ToolInteger(args.value(QStringLiteral("--preset")));
    if (!preset || *preset < 0 || *preset > 3) {
        *error
            = QStringLiteral("--preset must be 0 (120 x 120), 1 (132 x 176), 2 (240 x 320) or 3 (user size)");
        return std::nullopt;
    }
    const std::optional<int> quality = ToolInteger(args.value(QStringLiteral("--quality")));
    if (!quality || *quality < 0 || *quality > 2) {
        *error = QStringLiteral("--quality must be 0 (low), 1 (middle) or 2 (high)");
        return std::nullopt;
    }
    options.preset = *preset;
    options.quality = *quality;
    if (args.has(QStringLiteral("--size")) != (*preset == 3)) {
        *error = QStringLiteral("--size W,H goes with --preset 3, and only with it");
        return std::nullopt;
    }
    if (args.has(QStringLiteral("--size"))) {
        const QStringList parts = args.value(QStringLiteral("--size")).split(QLatin1Char(','));
        bool wOk = false, hOk = false;
        const int w = parts.size() == 2 ? parts[0].trimmed().toInt(&wOk, 10) : 0;
        const int h = parts.size() == 2 ? parts[1].trimmed().toInt(&hOk, 10) : 0;
        if (!wOk || !hOk || w < 120 || w > 240 || h < 120 || h > 320) {
            *error = QStringLiteral("--size needs W,H with W from 120 to 240 and H from 120 to 320");
            return std::nullopt;
        }
        options.userSize = QSize(w, h);
    }
    return options;
}

QString LoadToolPicture(PictureCanvas &canvas, const QString &path)
{
    const bool bitmap = path.endsWith(QLatin1String(".bmp"));
    if (const QString problem
        = InputProblem(path, bitmap ? kMaxBmpFileBytes : TConvertJpeg::MaxJpegFileBytes);
        !problem.isEmpty())
        return problem;
    if (canvas.LoadPicture(path))
        return QString();
    const QString size = PictureSizeProblem(path);
    if (!size.isEmpty())
        return size;
    return QStringLiteral("cannot read the picture %1 (a .bmp bitmap, or a JPEG, HEIF, PNG, WebP or TIFF file)")
        .arg(path);
}

void EnterPictureStep(PictureCanvas &canvas, const PictureOptions &options, bool ccListEmpty)
{
    if (options.userSize)
        canvas.Settings().SetPictureSize(options.userSize->width(), options.userSize->height());
    canvas.Settings().SetSizePreset(options.preset);
    canvas.Settings().SetQualityLevel(options.quality);
    canvas.SizePresetChanged(false, ccListEmpty);
    canvas.SetEnabled(true);
}
