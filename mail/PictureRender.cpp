#include "mail/PictureRender.h"

#include "common/Exception.h"
#include "common/SaveFile.h"
#include "mail/AddressBook.h"
#include "mail/Carrier.h"
#include "picture/BmpFile.h"
#include "picture/PictureCanvas.h"

#include <QFile>
#include <QScopeGuard>

void FillPictureParameters(const PictureCanvas &canvas, TMailAddress &entry)
{
    entry.SizePreset = qint8(canvas.Settings().SizePreset());
    entry.QualityLevel = qint8(canvas.Settings().QualityLevel());
    entry.Width = canvas.Settings().PictureWidth();
    entry.Height = canvas.Settings().PictureHeight();
}

TConvertJpeg::Result RenderPicture(const PictureCanvas &canvas, const TMailAddress &recipient)
{
    Bitmap frame = canvas.ComposeFrame();
    if (frame.isNull())
        throw Exception(QStringLiteral("画像を作成できません。"));
    const bool fifteenBit = canvas.ScreenDepth() < 24;
    if (fifteenBit)
        frame.reduceTo15Bit();
    const QString bmp = canvas.TmpBmpPath();
    // A link planted in the work folder would turn the send into a write of what it points to.
    for (const QString &path : {bmp, canvas.TmpJpgPath()}) {
        if (IsSymLink(path))
            throw Exception(SymLinkRefusedText(path));
    }
    if (!SaveWholeFile(bmp, WriteBmp(frame, fifteenBit ? BmpDepth::Bits15 : BmpDepth::Bits24),
                       FileAccess::NoLinks))
        throw Exception(QStringLiteral("ビットマップファイルを書き込めません：%1").arg(bmp));
    // The WILLCOM class keeps the frame at screen scale beside the JPEG.
    const bool keepBitmap = CarrierOf(recipient.Address) == kWillcom;
    const auto removeBitmap = qScopeGuard([&] {
        if (!keepBitmap)
            QFile::remove(bmp);
    });

    TConvertJpeg writer;
    writer.Scale = true;
    writer.SourceRect = PixelRect {0, 0, canvas.FrameSize().width(), canvas.FrameSize().height()};
    writer.DestRect = PixelRect {0, 0, recipient.Width, recipient.Height};
    writer.Budget = ByteBudget(recipient);
    return writer.ConvertFile(bmp, canvas.TmpJpgPath());
}
