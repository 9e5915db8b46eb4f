#include "mail/HeaderEncoding.h"

#include <gtest/gtest.h>

namespace {

QString repeated(const char *utf8, int times)
{
    return QString::fromUtf8(utf8).repeated(times);
}

const QString k18 = QString::fromUtf8("あいうえおかきくけこさしすせそたちつ");
const QByteArray k18Word = "=?ISO-2022-JP?B?GyRCJCIkJCQmJCgkKiQrJC0kLyQxJDMkNSQ3JDkkOyQ9JD8kQSREGyhC?=";

TEST(HeaderEncoding, EncodesOnlyTheWordsThatNeedIt)
{
    const struct
    {
        const char *what;
        QString text;
        QByteArray encoded;
    } cases[] = {
        {"plain ascii", QStringLiteral("Hello world, 12:00"), "Hello world, 12:00"},
        {"empty", QString(), ""},
        {"ascii word beside a japanese word", QString::fromUtf8("Hello 日本"),
         "Hello =?ISO-2022-JP?B?GyRCRnxLXBsoQg==?="},
        {"two japanese words make one encoded word", QString::fromUtf8("日本 語"),
         "=?ISO-2022-JP?B?GyRCRnxLXBsoQiAbJEI4bBsoQg==?="},
        {"the blank before an ascii word stays outside", QString::fromUtf8("日本 語 end"),
         "=?ISO-2022-JP?B?GyRCRnxLXBsoQiAbJEI4bBsoQg==?= end"},
        {"blanks around are kept", QString::fromUtf8("  日本  "), "  =?ISO-2022-JP?B?GyRCRnxLXBsoQg==?=  "},
        {"a word of kanji and ascii is encoded whole", QString::fromUtf8("写真:Photo"),
         "=?ISO-2022-JP?B?GyRCPEw/PxsoQjpQaG90bw==?="},
        {"a control character needs encoding", QStringLiteral("a\x01z ok"), "=?ISO-2022-JP?B?YQF6?= ok"},
        {"18 double-byte characters fit one word of 74", k18, k18Word},
        {"the 19th starts a word of its own", k18 + QString::fromUtf8("て"),
         k18Word + "\r\n\t=?ISO-2022-JP?B?GyRCJEYbKEI=?="},
        // 17 kanji, "ab" (back in ASCII mode: 42 bytes exactly), then one more kanji.
        {"ascii inside a stretch counts its escape", repeated("あ", 17) + QString::fromUtf8("abい"),
         "=?ISO-2022-JP?B?GyRCJCIkIiQiJCIkIiQiJCIkIiQiJCIkIiQiJCIkIiQiJCIkIhsoQmFi?=\r\n\t"
         "=?ISO-2022-JP?B?GyRCJCQbKEI=?="},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(EncodeHeader(c.text), c.encoded);
    }
}

TEST(HeaderEncoding, OtherCharsetsEncodeTheTextInTheirOwnCodePage)
{
    const struct
    {
        const char *what;
        HeaderCharset charset;
        QString text;
        QByteArray specials;
        QByteArray encoded;
    } cases[] = {
        {"gb2312",
         HeaderCharset::ChineseSimplified,
         QString::fromUtf8("中文 ok"),
         {},
         "=?GB2312?B?1tDOxA==?= ok"},
        {"big5", HeaderCharset::ChineseTraditional, QString::fromUtf8("中文"), {}, "=?Big5?B?pKSk5Q==?="},
        {"euc-kr", HeaderCharset::Korean, QString::fromUtf8("한국"), {}, "=?EUC-KR?B?x9GxuQ==?="},
        // 45 bytes a word, but a character is never cut: 22 of them, then the 23rd.
        {"gb2312 splits between characters",
         HeaderCharset::ChineseSimplified,
         repeated("中", 23),
         {},
         "=?GB2312?B?1tDW0NbQ1tDW0NbQ1tDW0NbQ1tDW0NbQ1tDW0NbQ1tDW0NbQ1tDW0NbQ1tA=?=\r\n\t=?GB2312?B?1tA=?="},
        {"latin-1 in Q",
         HeaderCharset::Western,
         QString::fromUtf8("Café au lait"),
         {},
         "=?ISO-8859-1?Q?Caf=E9?= au lait"},
        {"Q joins words with an underscore",
         HeaderCharset::Western,
         QString::fromUtf8("Café crème"),
         {},
         "=?ISO-8859-1?Q?Caf=E9_cr=E8me?="},
        {"Q escapes = ? _ and tabs",
         HeaderCharset::Western,
         QString::fromUtf8("é=?_\té x"),
         {},
         "=?ISO-8859-1?Q?=E9=3D=3F=5F=09=E9?= x"},
        {"Q words stay within 75",
         HeaderCharset::Western,
         repeated("é", 30),
         {},
         "=?ISO-8859-1?Q?" + QByteArray("=E9").repeated(19) + "?=\r\n\t=?ISO-8859-1?Q?"
             + QByteArray("=E9").repeated(11) + "?="},
        {"specials make a word need encoding", HeaderCharset::Western, QString::fromUtf8("Müller, Hans"),
         kAddressSpecials, "=?ISO-8859-1?Q?M=FCller=2C?= Hans"},
        {"a character outside the code page is a question mark",
         HeaderCharset::Western,
         QString::fromUtf8("日é"),
         {},
         "=?ISO-8859-1?Q?=3F=E9?="},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(EncodeHeader(c.text, c.specials, c.charset), c.encoded);
    }
}

TEST(HeaderEncoding, EncodesAddresses)
{
    const struct
    {
        const char *what;
        TIdEMailAddressItem item;
        QByteArray encoded;
    } cases[] = {
        {"empty name gives the bare address",
         {QString(), QStringLiteral("a@docomo.ne.jp")},
         "a@docomo.ne.jp"},
        {"ascii name is quoted", {QStringLiteral("Taro"), QStringLiteral("t@x.jp")}, "\"Taro\" <t@x.jp>"},
        {"inner quote and backslash are escaped",
         {QStringLiteral("Ta\"ro \\ (x)"), QStringLiteral("t@x.jp")},
         "\"Ta\\\"ro \\\\ (x)\" <t@x.jp>"},
        {"japanese name is encoded",
         {QString::fromUtf8("山田 太郎"), QStringLiteral("y@x.jp")},
         "=?ISO-2022-JP?B?GyRCOzNFRBsoQiAbJEJCQE86GyhC?= <y@x.jp>"},
        {"japanese with an ascii word",
         {QString::fromUtf8("Taro 山田"), QStringLiteral("y@x.jp")},
         "Taro =?ISO-2022-JP?B?GyRCOzNFRBsoQg==?= <y@x.jp>"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(EncodeAddress(c.item), c.encoded);
    }
}

TEST(HeaderEncoding, FoldsAt78ColumnsOutsideQuotes)
{
    const struct
    {
        const char *what;
        QByteArray line;
        QList<QByteArray> lines;
    } cases[] = {
        {"short", "Subject: abc", {"Subject: abc"}},
        {"trailing blanks go", "Subject: abc \t ", {"Subject: abc"}},
        {"18 characters: name and colon, then the word", "Subject: " + k18Word, {"Subject:", " " + k18Word}},
        {"19 characters: each word on a line of its own",
         "Subject: " + k18Word + "\r\n\t=?ISO-2022-JP?B?GyRCJEYbKEI=?=",
         {"Subject:", " " + k18Word, "\t=?ISO-2022-JP?B?GyRCJEYbKEI=?="}},
        {"the blanks inside a quoted name are no break points",
         "To: \"Aaaaa Bbbbb\" <aaaaa@example.com>, \"Ccccc \\\"D d\\\" Eeeee Fffff Ggggg Hhhhh\" "
         "<c@example.com>",
         {"To: \"Aaaaa Bbbbb\" <aaaaa@example.com>,",
          " \"Ccccc \\\"D d\\\" Eeeee Fffff Ggggg Hhhhh\" <c@example.com>"}},
        {"a line without a break point stays long",
         "X: " + QByteArray(90, 'a'),
         {"X:", " " + QByteArray(90, 'a')}},
        {"a word longer than the line stays whole", "X:" + QByteArray(90, 'a'), {"X:" + QByteArray(90, 'a')}},
        {"folds again on the continuation",
         "X: " + QByteArray(70, 'a') + ' ' + QByteArray(70, 'b') + ' ' + QByteArray(5, 'c'),
         {"X: " + QByteArray(70, 'a'), " " + QByteArray(70, 'b') + " ccccc"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FoldHeader(c.line), c.lines);
    }
}

} // namespace
