#include "platform/PrefsJs.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <optional>

namespace {

using Value = PrefsJs::Value;

std::optional<Value> valueOf(const PrefsJs &prefs, const char *key)
{
    const Value *v = prefs.Find(QString::fromUtf8(key));
    return v ? std::optional<Value>(*v) : std::nullopt;
}

std::string show(const std::optional<Value> &v)
{
    if (!v)
        return "(not set)";
    if (const QString *s = std::get_if<QString>(&*v))
        return "string \"" + s->toStdString() + "\"";
    if (const int *i = std::get_if<int>(&*v))
        return "int " + std::to_string(*i);
    return std::get<bool>(*v) ? "true" : "false";
}

TEST(PrefsJs, ReadsUserPrefLinesAndPassesOverEverythingElse)
{
    const struct
    {
        const char *line;
        std::optional<Value> value; // of key "k"
    } cases[] = {
        {R"(user_pref("k", "smtp.example.jp");)", Value(QStringLiteral("smtp.example.jp"))},
        {R"(user_pref("k", "");)", Value(QString())},
        {R"(user_pref("k", 25);)", Value(25)},
        {R"(user_pref("k", -7);)", Value(-7)},
        {R"(user_pref("k", +7);)", Value(7)},
        {R"(user_pref("k", 2147483647);)", Value(2147483647)},
        {R"(user_pref("k", -2147483648);)", Value(-2147483647 - 1)},
        {R"(user_pref("k", true);)", Value(true)},
        {R"(user_pref("k", false);)", Value(false)},
        {"  \tuser_pref ( \"k\" ,\t\"spaced\" ) ; // a comment\r", Value(QStringLiteral("spaced"))},
        {R"(user_pref('k', 'single');)", Value(QStringLiteral("single"))},
        // Escapes.
        {R"(user_pref("k", "Hanako \"Hana\" Sato");)", Value(QStringLiteral("Hanako \"Hana\" Sato"))},
        {R"(user_pref("k", "it\'s \\ a\nb\tc\rd");)", Value(QStringLiteral("it's \\ a\nb\tc\rd"))},
        {R"(user_pref("k", "\x41\x7e\u5c71\u7530");)", Value(QStringLiteral("A~山田"))},
        {R"(user_pref("k", "\ud83d\ude00!");)", Value(QStringLiteral("😀!"))},
        {"user_pref(\"k\", \"山田 太郎\");", Value(QStringLiteral("山田 太郎"))},
        {R"(user_pref("k", 'say "hi"');)", Value(QStringLiteral("say \"hi\""))},
        // Not statements of user preferences, or malformed ones.
        {R"(pref("k", "default");)", std::nullopt},
        {R"(sticky_pref("k", 1);)", std::nullopt},
        {R"(// user_pref("k", 1);)", std::nullopt},
        {R"(# user_pref("k", 1);)", std::nullopt},
        {R"(user_prefs("k", 1);)", std::nullopt},
        {R"(user_pref("k", 1))", std::nullopt},
        {R"(user_pref("k" 1);)", std::nullopt},
        {R"(user_pref("k", );)", std::nullopt},
        {R"(user_pref("k", "unterminated);)", std::nullopt},
        {R"(user_pref("k", "bad \q escape");)", std::nullopt},
        {R"(user_pref("k", "\x4");)", std::nullopt},
        {R"(user_pref("k", "\u12G4");)", std::nullopt},
        {R"(user_pref("k", 2147483648);)", std::nullopt},
        {R"(user_pref("k", -2147483649);)", std::nullopt},
        {R"(user_pref("k", 99999999999999999999999);)", std::nullopt},
        {R"(user_pref("k", 12abc);)", std::nullopt},
        {R"(user_pref("k", 0x10);)", std::nullopt},
        {R"(user_pref("k", True);)", std::nullopt},
        {R"(user_pref("k", trueish);)", std::nullopt},
        {R"(user_pref("k", 1.5);)", std::nullopt},
        {R"(user_pref(k, 1);)", std::nullopt},
        {R"(user_pref("k", "a" + "b");)", std::nullopt},
        {R"(user_pref("k", 1, true);)", std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        const PrefsJs prefs {QByteArrayView(c.line)};
        EXPECT_EQ(show(valueOf(prefs, "k")), show(c.value));
        EXPECT_EQ(prefs.Count(), c.value ? 1 : 0);
    }
}

TEST(PrefsJs, ReadsEveryLineTheLastValueWinsAndStringsAreAskedForByType)
{
    const QByteArray file = "// Mozilla User Preferences\r\n"
                            "\r\n"
                            "/* a block comment */\r\n"
                            "user_pref(\"a\", \"first\");\r\n"
                            "user_pref(\"b\", 110); user_pref(\"c\", true);\n"
                            "garbage that is not JavaScript at all {\n"
                            "user_pref(\"a\", \"second\");\n"
                            "user_pref(\"d\", 1); nonsense; user_pref(\"e\", 2);\n"
                            "user_pref(\"key with \\\"quotes\\\"\", \"v\")"; // no ";", no line end
    const PrefsJs prefs(file);
    EXPECT_EQ(prefs.Count(), 4);
    EXPECT_EQ(prefs.String("a"), "second");
    EXPECT_EQ(show(valueOf(prefs, "b")), "int 110");
    EXPECT_EQ(show(valueOf(prefs, "c")), "true");
    EXPECT_EQ(show(valueOf(prefs, "d")), "int 1");
    EXPECT_FALSE(prefs.Contains("e")); // after something that is not a statement
    EXPECT_FALSE(prefs.Contains("key with \"quotes\""));
    // A number or a boolean asked for as a string is empty, like a key that is not set.
    EXPECT_EQ(prefs.String("b"), "");
    EXPECT_EQ(prefs.String("c"), "");
    EXPECT_EQ(prefs.String("missing"), "");

    const PrefsJs escapedKey(QByteArrayView("user_pref(\"key with \\\"quotes\\\"\", \"v\");"));
    EXPECT_EQ(escapedKey.String("key with \"quotes\""), "v");
}

TEST(PrefsJs, StrangeInputReadsWithoutFailing)
{
    // Invalid UTF-8 turns into replacement characters; NUL bytes and lone surrogates are kept as text.
    QByteArray odd = "user_pref(\"k\", \"a\xff\xfe"
                     "b\");\n"
                     "user_pref(\"n\", \"x\\x00y\\udc00\");\n";
    odd += QByteArray(3, '\0') + "user_pref(\"z\", 1);\n";
    // A byte order mark is kept inside a string, also after an escape, and skipped before the file.
    odd += "user_pref(\"b\", \"\\n\xEF\xBB\xBFx\");\n";
    const PrefsJs strange(odd);
    EXPECT_EQ(strange.String("k"),
              QString::fromUtf8("a\xff\xfe"
                                "b"));
    EXPECT_EQ(strange.String("n"), QString::fromUtf16(u"x\0y\xdc00", 4));
    EXPECT_EQ(strange.String("b"), QString::fromUtf16(u"\n\xfeffx"));
    EXPECT_EQ(strange.Count(), 3);
    EXPECT_EQ(PrefsJs(QByteArrayView("\xEF\xBB\xBFuser_pref(\"k\", 1);")).Count(), 1);

    // A long line of backslashes inside a string, an unterminated one, and random bytes.
    QByteArray slashes = "user_pref(\"k\", \"" + QByteArray(1 << 20, '\\') + "\");\n";
    EXPECT_EQ(PrefsJs(slashes).String("k").size(), 1 << 19);
    slashes.chop(4);
    EXPECT_EQ(PrefsJs(slashes).Count(), 0);
    // Pieces of statements in random order.
    const char *const pieces[] = {"user_pref(", "\"k\"", "'k'", ",",  " ", "1",  "-",    "true", "\"\\u",
                                  "\"\\x4",     "\\",    "\"",  ");", ";", "\n", "\r\n", "//",   "\xe5\xb1"};
    QRandomGenerator random(12);
    QByteArray noise;
    while (noise.size() < (1 << 16))
        noise += pieces[random.bounded(int(std::size(pieces)))];
    const PrefsJs fromNoise(noise);
    EXPECT_LE(fromNoise.Count(), 1); // only the key "k" is ever named
}

} // namespace
