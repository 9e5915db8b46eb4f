#include "mail/Iso2022Jp.h"
#include "common/Sjis.h"

#include <QStringDecoder>

#include <gtest/gtest.h>

namespace {

TEST(Iso2022Jp, ConvertsShiftJisBytes)
{
    const struct
    {
        const char *what;
        const char *sjis;
        const char *jis;
    } cases[] = {
        {"empty", "", ""},
        {"ascii", "61 62 0d 0a", "61 62 0d 0a"},
        {"kanji then the end", "8a bf 8e 9a", "1b 24 42 34 41 3b 7a 1b 28 42"},
        {"kanji, ascii, kanji", "8a bf 41 8e 9a", "1b 24 42 34 41 1b 28 42 41 1b 24 42 3b 7a 1b 28 42"},
        {"lines that end inside kanji", "8a bf 0d 0a 8e 9a 0d 0a",
         "1b 24 42 34 41 1b 28 42 0d 0a 1b 24 42 3b 7a 1b 28 42 0d 0a"},
        {"trail byte below 0x7f", "81 40", "1b 24 42 21 21 1b 28 42"},
        {"trail byte 0x80", "81 80", "1b 24 42 21 60 1b 28 42"},
        {"trail byte 0x9f starts the even row", "81 9f", "1b 24 42 22 21 1b 28 42"},
        {"last lead byte, last trail byte", "ef fc", "1b 24 42 7e 7e 1b 28 42"},
        {"circled digit of the Windows table", "87 40", "1b 24 42 2d 21 1b 28 42"},
        // Half-width kana become full width; a mark after a kana that has a voiced form merges.
        {"ｶﾞ", "b6 de", "1b 24 42 25 2c 1b 28 42"},
        {"ﾊﾟ", "ca df", "1b 24 42 25 51 1b 28 42"},
        {"ﾎﾞﾎﾟ", "ce de ce df", "1b 24 42 25 5c 25 5d 1b 28 42"},
        {"ｳﾞ", "b3 de", "1b 24 42 25 74 1b 28 42"},
        {"ﾂﾞ", "c2 de", "1b 24 42 25 45 1b 28 42"},
        {"ｱﾞ keeps the mark", "b1 de", "1b 24 42 25 22 21 2b 1b 28 42"},
        {"ｶﾟ keeps the mark", "b6 df", "1b 24 42 25 2b 21 2c 1b 28 42"},
        {"marks alone", "de df", "1b 24 42 21 2b 21 2c 1b 28 42"},
        {"ﾞ after kanji stays a mark", "8a bf de", "1b 24 42 34 41 21 2b 1b 28 42"},
        {"ﾀﾌﾞﾘﾝ", "c0 cc de d8 dd", "1b 24 42 25 3f 25 56 25 6a 25 73 1b 28 42"},
        // Bytes that form no character are dropped.
        {"0x80, 0xa0, 0xfd to 0xff", "41 80 a0 fd fe ff 42", "41 42"},
        {"user-defined lead byte takes the next byte", "41 f0 40 fc fc 42", "41 42"},
        {"invalid trail byte goes with its lead", "41 81 7f 42 81 fd 43", "41 42 43"},
        {"lead byte at the very end", "41 81", "41"},
        {"lead byte at the end after kanji", "8a bf 81", "1b 24 42 34 41 1b 28 42"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Iso2022Jp::fromSjis(QByteArray::fromHex(c.sjis)).toHex(' '), QByteArray(c.jis));
    }
}

// Every half-width katakana, alone, reads back as its compatibility (full-width) form; the two marks
// alone become the spacing marks ゛ and ゜ rather than the combining ones.
TEST(Iso2022Jp, EveryHalfWidthKanaHasItsFullWidthForm)
{
    for (int b = 0xa1; b <= 0xdf; ++b) {
        SCOPED_TRACE(b);
        const QByteArray sjis(1, static_cast<char>(b));
        const QString halfWidth = Sjis::decode(sjis);
        QString fullWidth = halfWidth.normalized(QString::NormalizationForm_KC);
        if (b == 0xde)
            fullWidth = QString::fromUtf8("゛");
        if (b == 0xdf)
            fullWidth = QString::fromUtf8("゜");
        QStringDecoder decoder("ISO-2022-JP");
        const QString read = decoder.decode(Iso2022Jp::fromSjis(sjis));
        EXPECT_FALSE(decoder.hasError());
        EXPECT_EQ(read, fullWidth);
        EXPECT_NE(read, halfWidth);
    }
}

TEST(Iso2022Jp, TextReadsBackThroughAnotherDecoder)
{
    const QString text = QString::fromUtf8("タブリンで写真を送ります。\r\n"
                                           "Photo #1: 2006年5月12日 (金) ～ 12:00\r\n"
                                           "「カメラ」・ー①㈱\r\n");
    QStringDecoder decoder("ISO-2022-JP");
    const QByteArray jis = Iso2022Jp::fromText(text);
    EXPECT_EQ(decoder.decode(jis), text);
    for (char c : jis)
        EXPECT_EQ(static_cast<unsigned char>(c) & 0x80, 0) << "8-bit byte in ISO-2022-JP";
}

} // namespace
