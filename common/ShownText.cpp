#include "common/ShownText.h"

namespace {

bool isControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

} // namespace

QString EscapeControls(const QString &text, QStringView keep)
{
    QString out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (!isControl(c) || keep.contains(ch))
            out += ch;
        else if (c == '\r')
            out += QLatin1String("\\r");
        else if (c == '\n')
            out += QLatin1String("\\n");
        else if (c == '\t')
            out += QLatin1String("\\t");
        else
            out += QLatin1String("\\x") + QString::number(uint(c), 16).toUpper().rightJustified(2, u'0');
    }
    return out;
}

QString Excerpt(const QString &text, qsizetype maxChars)
{
    if (text.size() <= maxChars)
        return EscapeControls(text);
    qsizetype cut = maxChars;
    if (cut > 0 && text[cut - 1].isHighSurrogate())
        --cut;
    return EscapeControls(text.left(cut)) + QChar(0x2026);
}
