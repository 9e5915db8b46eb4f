#include "mail/Iso2022Jp.h"

#include "common/Sjis.h"

#include <array>
#include <cstdint>

namespace Iso2022Jp {

namespace {

// JIS X 0208 codes of the half-width katakana 0xA1 to 0xDF (JIS X 0201), in byte order.
constexpr std::array<std::uint16_t, 63> kHalfWidthKana = {
    0x2123, 0x2156, 0x2157, 0x2122, 0x2126, 0x2572, 0x2521, 0x2523, // ｡｢｣､･ｦｧｨ
    0x2525, 0x2527, 0x2529, 0x2563, 0x2565, 0x2567, 0x2543, 0x213c, // ｩｪｫｬｭｮｯｰ
    0x2522, 0x2524, 0x2526, 0x2528, 0x252a, 0x252b, 0x252d, 0x252f, // ｱｲｳｴｵｶｷｸ
    0x2531, 0x2533, 0x2535, 0x2537, 0x2539, 0x253b, 0x253d, 0x253f, // ｹｺｻｼｽｾｿﾀ
    0x2541, 0x2544, 0x2546, 0x2548, 0x254a, 0x254b, 0x254c, 0x254d, // ﾁﾂﾃﾄﾅﾆﾇﾈ
    0x254e, 0x254f, 0x2552, 0x2555, 0x2558, 0x255b, 0x255e, 0x255f, // ﾉﾊﾋﾌﾍﾎﾏﾐ
    0x2560, 0x2561, 0x2562, 0x2564, 0x2566, 0x2568, 0x2569, 0x256a, // ﾑﾒﾓﾔﾕﾖﾗﾘ
    0x256b, 0x256c, 0x256d, 0x256f, 0x2573, 0x212b, 0x212c, // ﾙﾚﾛﾜﾝﾞﾟ
};

constexpr unsigned char kVoicedMark = 0xde;
constexpr unsigned char kSemiVoicedMark = 0xdf;
constexpr std::uint16_t kVu = 0x2574; // ヴ

bool isLead(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9f) || (b >= 0xe0 && b <= 0xef);
}

bool isTrail(unsigned char b)
{
    return (b >= 0x40 && b <= 0x7e) || (b >= 0x80 && b <= 0xfc);
}

std::uint16_t sjisToJis(unsigned char lead, unsigned char trail)
{
    int row = lead >= 0xe0 ? lead - 0x40 : lead;
    row = (row - 0x81) * 2 + 0x21;
    int cell;
    if (trail >= 0x9f) {
        ++row;
        cell = trail - 0x9f + 0x21;
    } else {
        cell = trail - 0x40 + 0x21 - (trail >= 0x80 ? 1 : 0);
    }
    return static_cast<std::uint16_t>(row << 8 | cell);
}

// The full-width form of the half-width kana at bytes[i], with the mark after it folded in where
// the pair has one character; *used is the number of bytes taken.
std::uint16_t fullWidthKana(const QByteArray &bytes, qsizetype i, int *used)
{
    const auto kana = static_cast<unsigned char>(bytes[i]);
    const std::uint16_t base = kHalfWidthKana[kana - 0xa1];
    *used = 1;
    if (i + 1 >= bytes.size())
        return base;
    const auto mark = static_cast<unsigned char>(bytes[i + 1]);
    const bool ka2to = kana >= 0xb6 && kana <= 0xc4; // ｶ to ﾄ
    const bool ha2ho = kana >= 0xca && kana <= 0xce; // ﾊ to ﾎ
    if (mark == kVoicedMark && (kana == 0xb3 || ka2to || ha2ho)) {
        *used = 2;
        return kana == 0xb3 ? kVu : base + 1;
    }
    if (mark == kSemiVoicedMark && ha2ho) {
        *used = 2;
        return base + 2;
    }
    return base;
}

} // namespace

QByteArray fromSjis(const QByteArray &sjis)
{
    QByteArray out;
    out.reserve(sjis.size() * 2 + 8);
    bool jis = false;
    const auto putJis = [&](std::uint16_t code) {
        if (!jis) {
            out.append(kToJis);
            jis = true;
        }
        out.append(static_cast<char>(code >> 8));
        out.append(static_cast<char>(code & 0xff));
    };

    for (qsizetype i = 0; i < sjis.size();) {
        const auto b = static_cast<unsigned char>(sjis[i]);
        if (b < 0x80) {
            if (jis) {
                out.append(kToAscii);
                jis = false;
            }
            out.append(static_cast<char>(b));
            ++i;
        } else if (b >= 0xa1 && b <= 0xdf) {
            int used = 1;
            putJis(fullWidthKana(sjis, i, &used));
            i += used;
        } else if (isLead(b) || (b >= 0xf0 && b <= 0xfc)) {
            if (i + 1 >= sjis.size())
                break; // a lead byte at the very end
            const auto trail = static_cast<unsigned char>(sjis[i + 1]);
            if (isLead(b) && isTrail(trail))
                putJis(sjisToJis(b, trail));
            i += 2;
        } else {
            ++i; // 0x80, 0xA0, 0xFD to 0xFF
        }
    }
    if (jis)
        out.append(kToAscii);
    return out;
}

QByteArray fromText(const QString &text)
{
    return fromSjis(Sjis::encode(text));
}

} // namespace Iso2022Jp
