#include "mail/HeaderEncoding.h"

#include "common/Sjis.h"
#include "mail/Iso2022Jp.h"

#include <QStringEncoder>

namespace {

constexpr qsizetype kMaxEncodedWord = 75; // RFC 2047, section 2
constexpr qsizetype kFoldColumn = 78; // RFC 2822, section 2.1.1
constexpr char kWordBreak[] = "\r\n\t";

struct CharsetRow
{
    const char *name;
    char letter;
};

CharsetRow rowOf(HeaderCharset charset)
{
    switch (charset) {
    case HeaderCharset::Japanese:
        return {"ISO-2022-JP", 'B'};
    case HeaderCharset::ChineseSimplified:
        return {"GB2312", 'B'};
    case HeaderCharset::ChineseTraditional:
        return {"Big5", 'B'};
    case HeaderCharset::Korean:
        return {"EUC-KR", 'B'};
    case HeaderCharset::Western:
        break;
    }
    return {"ISO-8859-1", 'Q'};
}

// One character of the converted text: its bytes and, for ISO-2022-JP, whether it is a JIS X 0208
// character (written between ESC $ B and ESC ( B).
struct Unit
{
    QByteArray bytes;
    bool wide = false;
};

QList<Unit> jisUnits(const QString &text)
{
    const QByteArray jis = Iso2022Jp::fromText(text);
    QList<Unit> units;
    bool wide = false;
    for (qsizetype i = 0; i < jis.size();) {
        if (jis[i] == '\x1b' && i + 2 < jis.size()) {
            wide = jis.mid(i, 3) == Iso2022Jp::kToJis;
            i += 3;
        } else if (wide && i + 1 < jis.size()) {
            units.append({jis.mid(i, 2), true});
            i += 2;
        } else {
            units.append({jis.mid(i, 1), false});
            ++i;
        }
    }
    return units;
}

QList<Unit> charsetUnits(const QString &text, const char *charset)
{
    QList<Unit> units;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len
            = (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2 : 1;
        QStringEncoder encoder(charset);
        QByteArray bytes = encoder.encode(QStringView(text).mid(i, len));
        if (encoder.hasError() || bytes.isEmpty())
            bytes = "?";
        units.append({bytes, false});
        i += len;
    }
    return units;
}

bool isBlank(const Unit &u)
{
    return !u.wide && u.bytes.size() == 1
        && (u.bytes[0] == ' ' || u.bytes[0] == '\t' || u.bytes[0] == '\r' || u.bytes[0] == '\n');
}

bool byteNeedsEncoding(unsigned char b, const QByteArray &specials)
{
    return b < 32 || b >= 127 || specials.contains(static_cast<char>(b));
}

bool needsEncoding(const Unit &u, const QByteArray &specials)
{
    if (u.wide)
        return true;
    for (char c : u.bytes) {
        if (byteNeedsEncoding(static_cast<unsigned char>(c), specials))
            return true;
    }
    return false;
}

// Encoded words with base64: pieces of whole characters, each at most as long as a word can carry.
QByteArray encodeB(const QList<Unit> &units, const QByteArray &prefix)
{
    const qsizetype maxBytes = (kMaxEncodedWord - prefix.size() - 2) / 4 * 3;
    QList<QByteArray> pieces;
    QByteArray piece;
    bool wide = false;
    for (const Unit &u : units) {
        const qsizetype switchCost = u.wide != wide ? 3 : 0;
        const qsizetype closeCost = u.wide ? 3 : 0;
        if (!piece.isEmpty() && piece.size() + switchCost + u.bytes.size() + closeCost > maxBytes) {
            if (wide)
                piece.append(Iso2022Jp::kToAscii);
            pieces.append(piece);
            piece.clear();
            wide = false;
        }
        if (u.wide != wide) {
            piece.append(u.wide ? Iso2022Jp::kToJis : Iso2022Jp::kToAscii);
            wide = u.wide;
        }
        piece.append(u.bytes);
    }
    if (wide)
        piece.append(Iso2022Jp::kToAscii);
    pieces.append(piece);

    QByteArray out;
    for (const QByteArray &p : pieces) {
        if (!out.isEmpty())
            out.append(kWordBreak);
        out.append(prefix + p.toBase64() + "?=");
    }
    return out;
}

QByteArray encodeQ(const QList<Unit> &units, const QByteArray &prefix, const QByteArray &specials)
{
    QByteArray out = prefix;
    qsizetype wordLength = prefix.size();
    for (const Unit &u : units) {
        QByteArray chars;
        for (char c : u.bytes) {
            const auto b = static_cast<unsigned char>(c);
            if (b == ' ')
                chars.append('_');
            else if (byteNeedsEncoding(b, specials) || b == '=' || b == '?' || b == '_')
                chars.append('=').append(QByteArray::number(b, 16).rightJustified(2, '0').toUpper());
            else
                chars.append(c);
        }
        if (wordLength > prefix.size() && wordLength + chars.size() + 2 > kMaxEncodedWord) {
            out.append("?=").append(kWordBreak).append(prefix);
            wordLength = prefix.size();
        }
        out.append(chars);
        wordLength += chars.size();
    }
    return out.append("?=");
}

} // namespace

QByteArray EncodeHeader(const QString &text, const QByteArray &specials, HeaderCharset charset)
{
    const CharsetRow row = rowOf(charset);
    const QList<Unit> units
        = charset == HeaderCharset::Japanese ? jisUnits(text) : charsetUnits(text, row.name);
    const QByteArray prefix = QByteArray("=?") + row.name + '?' + row.letter + '?';

    // Runs of blanks, each followed by a word; a run of words that need encoding, with the blanks
    // between them, becomes one stretch of encoded words.
    QByteArray out;
    qsizetype i = 0;
    const auto blanksAt = [&](qsizetype from) {
        while (from < units.size() && isBlank(units[from]))
            ++from;
        return from;
    };
    const auto wordAt = [&](qsizetype from, bool *encode) {
        *encode = false;
        while (from < units.size() && !isBlank(units[from])) {
            *encode = *encode || needsEncoding(units[from], specials);
            ++from;
        }
        return from;
    };
    while (i < units.size()) {
        const qsizetype wordStart = blanksAt(i);
        for (qsizetype k = i; k < wordStart; ++k)
            out.append(units[k].bytes);
        bool encode = false;
        qsizetype end = wordAt(wordStart, &encode);
        if (!encode) {
            for (qsizetype k = wordStart; k < end; ++k)
                out.append(units[k].bytes);
            i = end;
            continue;
        }
        for (;;) {
            const qsizetype nextWord = blanksAt(end);
            bool nextEncode = false;
            const qsizetype nextEnd = wordAt(nextWord, &nextEncode);
            if (nextWord == nextEnd || !nextEncode)
                break;
            end = nextEnd;
        }
        const QList<Unit> stretch = units.mid(wordStart, end - wordStart);
        out.append(row.letter == 'B' ? encodeB(stretch, prefix) : encodeQ(stretch, prefix, specials));
        i = end;
    }
    return out;
}

QByteArray EncodeAddress(const TIdEMailAddressItem &item, HeaderCharset charset)
{
    const QByteArray address = Sjis::encode(item.Address);
    if (item.Name.isEmpty())
        return address;
    bool printable = true;
    for (QChar c : item.Name)
        printable = printable && c.unicode() >= 32 && c.unicode() <= 126;
    QByteArray name;
    if (printable) {
        name = item.Name.toLatin1();
        name.replace('\\', "\\\\").replace('"', "\\\"");
        name = '"' + name + '"';
    } else {
        name = EncodeHeader(item.Name, kAddressSpecials, charset);
    }
    return name + " <" + address + '>';
}

QList<QByteArray> FoldHeader(const QByteArray &line)
{
    QList<QByteArray> out;
    const auto put = [&out](QByteArray piece) {
        while (!piece.isEmpty() && (piece.endsWith(' ') || piece.endsWith('\t')))
            piece.chop(1);
        if (!piece.isEmpty())
            out.append(piece);
    };
    for (QByteArray rest : line.split('\n')) {
        if (rest.endsWith('\r'))
            rest.chop(1);
        while (rest.size() > kFoldColumn) {
            // The last blank, tab or comma outside double quotes that keeps the line within 78.
            qsizetype breakAt = -1;
            bool quoted = false;
            for (qsizetype k = 0; k < kFoldColumn; ++k) {
                const char c = rest[k];
                if (quoted && c == '\\')
                    ++k;
                else if (c == '"')
                    quoted = !quoted;
                else if (!quoted && k > 0 && (c == ' ' || c == '\t' || c == ','))
                    breakAt = k;
            }
            if (breakAt < 0)
                break;
            put(rest.left(breakAt + 1));
            rest = ' ' + rest.mid(breakAt + 1);
        }
        put(rest);
    }
    return out;
}
