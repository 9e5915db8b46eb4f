#include "common/Sjis.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace Sjis {

namespace {
// ICU's "Shift_JIS" is the Windows CP932 table (～ → 81 60, ① → 87 40).
constexpr const char *kCodec = "Shift_JIS";
} // namespace

QByteArray encode(const QString &text, bool *lossy)
{
    QStringEncoder encoder(kCodec);
    QByteArray bytes = encoder.encode(text);
    if (!encoder.hasError()) {
        if (lossy)
            *lossy = false;
        return bytes;
    }
    // The codec substitutes its own filler for what it cannot map; redo it one character at a time
    // so that each such character becomes a single "?".
    bytes.clear();
    bytes.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size();) {
        const bool pair
            = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const qsizetype len = pair ? 2 : 1;
        QStringEncoder one(kCodec);
        const QByteArray piece = one.encode(QStringView(text).mid(i, len));
        if (one.hasError() || piece.isEmpty())
            bytes.append('?');
        else
            bytes.append(piece);
        i += len;
    }
    if (lossy)
        *lossy = true;
    return bytes;
}

QString decode(const QByteArray &bytes)
{
    QStringDecoder decoder(kCodec);
    return decoder.decode(bytes);
}

bool fits(const QString &text)
{
    bool lossy = false;
    encode(text, &lossy);
    return !lossy;
}

} // namespace Sjis
