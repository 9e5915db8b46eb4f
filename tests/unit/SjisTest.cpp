#include "common/Sjis.h"

#include <gtest/gtest.h>

namespace {

TEST(Sjis, EncodesToTheCodePageAndMarksWhatItCannotHold)
{
    const struct
    {
        const char *utf8;
        const char *hex;
        bool lossy;
    } cases[] = {
        {"abc", "61 62 63", false},
        {"", "", false},
        // The Windows table: wave dash and circled digits.
        {"～①", "81 60 87 40", false},
        {"ｱﾞ", "b1 de", false},
        {"漢字", "8a bf 8e 9a", false},
        // Characters outside the code page become one "?" each, pairs of surrogates included.
        {"a€b", "61 3f 62", true},
        {"x😀y", "78 3f 79", true},
        {"¥", "3f", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.utf8);
        bool lossy = !c.lossy;
        EXPECT_EQ(Sjis::encode(QString::fromUtf8(c.utf8), &lossy).toHex(' '), QByteArray(c.hex));
        EXPECT_EQ(lossy, c.lossy);
    }
}

TEST(Sjis, DecodesWhatItEncodes)
{
    const QString text = QString::fromUtf8("ﾀﾌﾞﾘﾝ タブリン ～①㈱ abc");
    EXPECT_EQ(Sjis::decode(Sjis::encode(text)), text);
    EXPECT_TRUE(Sjis::fits(text));
    EXPECT_FALSE(Sjis::fits(QString::fromUtf8("€")));
}

TEST(Sjis, BytesThatFormNoCharacterDecodeToSubstitutes)
{
    EXPECT_EQ(Sjis::decode(QByteArray::fromHex("61 81 ff 62")),
              QString::fromUtf8("a\x1a\x1a"
                                "b"));
}

} // namespace
