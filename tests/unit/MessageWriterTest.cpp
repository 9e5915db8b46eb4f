#include "mail/MessageWriter.h"
#include "mail/Iso2022Jp.h"

#include "support/Fifo.h"
#include "support/Files.h"

#include <QTemporaryDir>
#include <QTimeZone>

#include <functional>

#include <gtest/gtest.h>

namespace {

struct LineList : LineSink
{
    QList<QByteArray> lines;
    void WriteLine(const QByteArray &line) override { lines.append(line); }
};

class MessageWriter : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString file(const QString &name, const QByteArray &content)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(testfiles::write(path, content));
        return path;
    }

    // The picture mail of the program: one recipient, a body, one JPEG.
    TIdMessage pictureMail(const QByteArray &picture = "abc")
    {
        TIdMessage msg;
        msg.From = {QStringLiteral("Taro"), QStringLiteral("taro@example.com")};
        msg.Recipients = {{QString::fromUtf8("山田 太郎"), QStringLiteral("yamada@docomo.ne.jp")}};
        msg.Subject = QString::fromUtf8("写真");
        msg.Body = {"Hello", ".dot"};
        msg.Date = QDateTime(QDate(2006, 1, 7), QTime(12, 34, 56), QTimeZone("Asia/Tokyo"));
        TIdAttachment part(file(QStringLiteral("tmp.jpg"), picture));
        part.FileName = "06-01-07_12-34-567.jpg";
        msg.MessageParts = {part};
        return msg;
    }

    static QList<QByteArray> written(const TIdMessage &msg)
    {
        LineList sink;
        WriteMessage(msg, sink);
        return sink.lines;
    }

    // The lines of the header section, without the empty line that ends it.
    static QList<QByteArray> headerOf(const QList<QByteArray> &lines)
    {
        const qsizetype end = lines.indexOf(QByteArray());
        return end < 0 ? lines : lines.mid(0, end);
    }

    // The base64 lines of the first attachment.
    static QList<QByteArray> base64Of(const QList<QByteArray> &lines)
    {
        const qsizetype start = lines.indexOf("        filename=\"06-01-07_12-34-567.jpg\"") + 2;
        return lines.mid(start, lines.size() - 2 - start);
    }

    QTemporaryDir dir;
};

TEST_F(MessageWriter, WritesThePictureMailLineByLine)
{
    const QList<QByteArray> expected = {
        "From: \"Taro\" <taro@example.com>",
        "Subject: =?ISO-2022-JP?B?GyRCPEw/PxsoQg==?=",
        "To: =?ISO-2022-JP?B?GyRCOzNFRBsoQiAbJEJCQE86GyhC?= <yamada@docomo.ne.jp>",
        "Content-Type: multipart/mixed; boundary=\"=_MoreStuf_2zzz1234sadvnqw3nerasdf\"",
        "MIME-Version: 1.0",
        "Date: Sat, 7 Jan 2006 12:34:56 +0900",
        "",
        "This is a multi-part message in MIME format",
        "",
        "--=_MoreStuf_2zzz1234sadvnqw3nerasdf",
        "Content-Type: text/plain",
        "Content-Transfer-Encoding: 7bit",
        "",
        "Hello",
        "..dot",
        "",
        "--=_MoreStuf_2zzz1234sadvnqw3nerasdf",
        "Content-Type: image/jpeg;",
        "        name=\"06-01-07_12-34-567.jpg\"",
        "Content-Transfer-Encoding: base64",
        "Content-Disposition: attachment;",
        "        filename=\"06-01-07_12-34-567.jpg\"",
        "",
        "YWJj",
        "",
        "--=_MoreStuf_2zzz1234sadvnqw3nerasdf--",
    };
    EXPECT_EQ(written(pictureMail()), expected);
}

TEST_F(MessageWriter, WritesTheAttachmentIn57BytePieces)
{
    QByteArray bytes;
    for (int i = 0; i < 58; ++i)
        bytes.append(static_cast<char>(i));
    const struct
    {
        qsizetype size;
        QList<QByteArray> lines;
    } cases[] = {
        {0, {}},
        {57, {"AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8gISIjJCUmJygpKissLS4vMDEyMzQ1Njc4"}},
        {58, {"AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8gISIjJCUmJygpKissLS4vMDEyMzQ1Njc4", "OQ=="}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.size);
        const QList<QByteArray> lines = written(pictureMail(bytes.left(c.size)));
        EXPECT_EQ(base64Of(lines), c.lines);
        EXPECT_EQ(lines.last(), "--=_MoreStuf_2zzz1234sadvnqw3nerasdf--");
    }
    // A large file: every line but the last carries 57 bytes.
    QByteArray large(57 * 300 + 5, 'x');
    const QList<QByteArray> lines = base64Of(written(pictureMail(large)));
    ASSERT_EQ(lines.size(), 301);
    EXPECT_EQ(lines[299].size(), 76);
    EXPECT_EQ(lines[300], QByteArray(5, 'x').toBase64());
    QByteArray decoded;
    for (const QByteArray &line : lines)
        decoded += QByteArray::fromBase64(line);
    EXPECT_EQ(decoded, large);
}

TEST_F(MessageWriter, FoldsLongSubjectsIntoContinuationLines)
{
    const QString k18 = QString::fromUtf8("あいうえおかきくけこさしすせそたちつ");
    const QByteArray word18 = "=?ISO-2022-JP?B?GyRCJCIkJCQmJCgkKiQrJC0kLyQxJDMkNSQ3JDkkOyQ9JD8kQSREGyhC?=";
    TIdMessage msg = pictureMail();

    msg.Subject = k18;
    QList<QByteArray> header = headerOf(written(msg));
    EXPECT_EQ(header.mid(1, 2), (QList<QByteArray> {"Subject:", " " + word18}));

    msg.Subject = k18 + QString::fromUtf8("て");
    const QList<QByteArray> lines = written(msg);
    header = headerOf(lines);
    EXPECT_EQ(header.mid(1, 3),
              (QList<QByteArray> {"Subject:", " " + word18, "\t=?ISO-2022-JP?B?GyRCJEYbKEI=?="}));
    EXPECT_EQ(header.size(), 8);
    EXPECT_EQ(lines[8], "");
    EXPECT_EQ(lines[9], "This is a multi-part message in MIME format");
}

TEST_F(MessageWriter, LeavesOutEmptyHeadersAndWritesBareAddresses)
{
    TIdMessage msg = pictureMail();
    msg.Subject.clear();
    msg.From.Name.clear();
    msg.Recipients = {{QString(), QStringLiteral("a@ezweb.ne.jp")},
                      {QStringLiteral("B \"b\""), QStringLiteral("b@x.jp")}};
    const QList<QByteArray> expected = {
        "From: taro@example.com",
        "To: a@ezweb.ne.jp, \"B \\\"b\\\"\" <b@x.jp>",
        "Content-Type: multipart/mixed; boundary=\"=_MoreStuf_2zzz1234sadvnqw3nerasdf\"",
        "MIME-Version: 1.0",
        "Date: Sat, 7 Jan 2006 12:34:56 +0900",
    };
    EXPECT_EQ(headerOf(written(msg)), expected);
}

TEST_F(MessageWriter, WritesTheOptionalHeadersInTheirPlaces)
{
    TIdMessage msg = pictureMail();
    msg.CCList = {{QString(), QStringLiteral("c@x.jp")}};
    msg.CharSet = QStringLiteral("ISO-2022-JP");
    msg.ContentTransferEncoding = QStringLiteral("7bit");
    msg.Priority = MessagePriority::Highest;
    msg.SetExtraHeader(QStringLiteral("X-Mailer"), QStringLiteral("Tavrin"));
    msg.SetExtraHeader(QStringLiteral("X-Other"), QStringLiteral("1"));
    msg.SetExtraHeader(QStringLiteral("x-mailer"), QString()); // an empty value removes the header
    msg.SetExtraHeader(QStringLiteral("X-Other"), QStringLiteral("2"));
    const QList<QByteArray> expected = {
        "From: \"Taro\" <taro@example.com>",
        "Subject: =?ISO-2022-JP?B?GyRCPEw/PxsoQg==?=",
        "To: =?ISO-2022-JP?B?GyRCOzNFRBsoQiAbJEJCQE86GyhC?= <yamada@docomo.ne.jp>",
        "Cc: c@x.jp",
        "Content-Type: multipart/mixed; boundary=\"=_MoreStuf_2zzz1234sadvnqw3nerasdf\";",
        "\tcharset=\"ISO-2022-JP\"",
        "MIME-Version: 1.0",
        "Content-Transfer-Encoding: 7bit",
        "Date: Sat, 7 Jan 2006 12:34:56 +0900",
        "X-Priority: 1",
        "X-Other: 2",
    };
    EXPECT_EQ(headerOf(written(msg)), expected);
}

TEST_F(MessageWriter, AnAttachmentWithAContentIdMakesARelatedMessage)
{
    TIdMessage msg = pictureMail();
    msg.MessageParts[0].ContentID = QStringLiteral("<pic1>");
    msg.MessageParts[0].ContentType.clear();
    msg.MessageParts[0].ContentDisposition = QStringLiteral("inline");
    msg.MessageParts[0].ExtraHeaders = {{QStringLiteral("X-Part"), QStringLiteral("1")}};
    const QList<QByteArray> lines = written(msg);
    EXPECT_EQ(lines.mid(3, 2),
              (QList<QByteArray> {"Content-Type: multipart/related; type=\"multipart/alternative\";",
                                  " boundary=\"=_MoreStuf_2relzzzsadvnq1234w3nerasdf\""}));
    const QList<QByteArray> part = {
        "--=_MoreStuf_2relzzzsadvnq1234w3nerasdf",
        "Content-Type: application/octet-stream;",
        "        name=\"06-01-07_12-34-567.jpg\"",
        "Content-Transfer-Encoding: base64",
        "Content-Disposition: inline;",
        "        filename=\"06-01-07_12-34-567.jpg\"",
        "Content-Id: <pic1>",
        "X-Part: 1",
        "",
        "YWJj",
        "",
        "--=_MoreStuf_2relzzzsadvnq1234w3nerasdf--",
    };
    EXPECT_EQ(lines.mid(lines.size() - part.size()), part);
    EXPECT_EQ(lines[10], "--=_MoreStuf_2relzzzsadvnq1234w3nerasdf");
}

TEST_F(MessageWriter, KeepsBodyLinesAndStuffsLeadingDots)
{
    TIdMessage msg = pictureMail();
    // A caller's line that holds line breaks is written as the lines it holds, each one stuffed,
    // so that no text can end the data early.
    msg.Body = {"", ".", "..x", "a\r\n.\r\nb", "c\rd\ne", Iso2022Jp::fromText(QString::fromUtf8("漢字"))};
    const QList<QByteArray> lines = written(msg);
    const qsizetype start = lines.indexOf("Content-Transfer-Encoding: 7bit") + 2;
    const QList<QByteArray> expected = {"",     "..",
                                        "...x", "a",
                                        "..",   "b",
                                        "c",    "d",
                                        "e",    "\x1b$B4A;z\x1b(B",
                                        "",     "--=_MoreStuf_2zzz1234sadvnqw3nerasdf"};
    EXPECT_EQ(lines.mid(start, expected.size()), expected);
}

TEST_F(MessageWriter, NamesTheFileWithoutItsFolder)
{
    const struct
    {
        QByteArray fileName;
        QByteArray written;
    } cases[] = {
        {"pictures/a.jpg", "a.jpg"},
        {"c:\\pictures\\b.jpg", "b.jpg"},
        // The JIS bytes of "く" are "$/": no folder separator.
        {Iso2022Jp::fromText(QString::fromUtf8("く.jpg")), "\x1b$B$/\x1b(B.jpg"},
        {"x/" + Iso2022Jp::fromText(QString::fromUtf8("く/く.jpg")), "\x1b$B$/\x1b(B.jpg"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fileName.constData());
        TIdMessage msg = pictureMail();
        msg.MessageParts[0].FileName = c.fileName;
        const QList<QByteArray> lines = written(msg);
        EXPECT_TRUE(lines.contains("        name=\"" + c.written + '"'));
        EXPECT_TRUE(lines.contains("        filename=\"" + c.written + '"'));
    }
}

TEST_F(MessageWriter, QuotesAndBackslashesInTheFileNameCannotEndItsValue)
{
    const struct
    {
        QByteArray fileName;
        QByteArray value;
    } cases[] = {
        {"a\"; size=1; x=\".jpg", "\"a\\\"; size=1; x=\\\".jpg\""},
        // The JIS bytes of "あ" are "$\"", those of "ボ" are "%\\".
        {Iso2022Jp::fromText(QString::fromUtf8("あボ.jpg")), "\"\x1b$B$\\\"%\\\\\x1b(B.jpg\""},
        {"06-01-07_12-34-567.jpg", "\"06-01-07_12-34-567.jpg\""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fileName.constData());
        TIdMessage msg = pictureMail();
        msg.MessageParts[0].FileName = c.fileName;
        const QList<QByteArray> lines = written(msg);
        EXPECT_TRUE(lines.contains("        name=" + c.value));
        EXPECT_TRUE(lines.contains("        filename=" + c.value));
    }
}

TEST_F(MessageWriter, CutsBodyLinesLongerThanAMailLineBetweenCharacters)
{
    const QByteArray kanji = Iso2022Jp::fromText(QString(1000, QChar(0x6F22))); // 漢 x 1000
    const QByteArray jis = "\x1b$B";
    const QByteArray ascii = "\x1b(B";
    const auto kanjis = [](int n) {
        return QByteArray("4A").repeated(n);
    };
    const struct
    {
        const char *name;
        QByteArray line;
        QList<QByteArray> written;
    } cases[] = {
        {"998 octets stay one line", QByteArray(998, 'a'), {QByteArray(998, 'a')}},
        {"ASCII", QByteArray(2000, 'a'), {QByteArray(998, 'a'), QByteArray(998, 'a'), QByteArray(4, 'a')}},
        {"a leading full stop counts",
         '.' + QByteArray(997, 'a'),
         {".." + QByteArray(996, 'a'), QByteArray(1, 'a')}},
        {"a cut before a full stop stuffs the new line",
         QByteArray(998, 'a') + ".b",
         {QByteArray(998, 'a'), "..b"}},
        {"kanji", kanji, {jis + kanjis(496) + ascii, jis + kanjis(496) + ascii, jis + kanjis(8) + ascii}},
        {"never inside a character",
         'x' + kanji,
         {'x' + jis + kanjis(495) + ascii, jis + kanjis(496) + ascii, jis + kanjis(9) + ascii}},
        {"never inside an escape",
         QByteArray(994, 'a') + kanji.left(13) + ascii,
         {QByteArray(994, 'a'), jis + kanjis(5) + ascii}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TIdMessage msg = pictureMail();
        msg.Body = {"first", c.line, "last"};
        const QList<QByteArray> lines = written(msg);
        const qsizetype start = lines.indexOf("first") + 1;
        ASSERT_GT(start, 0);
        EXPECT_EQ(lines.mid(start, c.written.size() + 1), c.written + QList<QByteArray> {"last"});
        for (const QByteArray &line : lines)
            EXPECT_LE(line.size(), 998);
    }
}

TEST_F(MessageWriter, AnAttachmentThatIsNoFileOrTooLargeFailsBeforeAnyLine)
{
    TestFifo fifo(dir.filePath("fifo.jpg"), "abc");
    ASSERT_TRUE(fifo.made());
    file("big.jpg", "abc");
    ASSERT_TRUE(QFile::resize(dir.filePath("big.jpg"), kMaxAttachmentBytes + 1));
    const QString notRegular
        = QStringLiteral("通常のファイルではありません（デバイス、FIFO、フォルダーなど）");
    const struct
    {
        QString path;
        QString reason;
    } cases[] = {
        {dir.filePath("fifo.jpg"), notRegular},
        {"/dev/zero", notRegular},
        {dir.filePath("big.jpg"), QStringLiteral("ファイルが大きすぎます（67108864 バイトまで）")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        TIdMessage msg = pictureMail();
        msg.MessageParts[0].StoredPathName = c.path;
        LineList sink;
        try {
            WriteMessage(msg, sink);
            ADD_FAILURE() << "no failure";
        } catch (const FileError &e) {
            EXPECT_EQ(e.Message(), QStringLiteral("ファイル %1 を開けません: %2").arg(c.path, c.reason));
        }
        EXPECT_TRUE(sink.lines.isEmpty());
    }
    EXPECT_TRUE(fifo.stillFifo());
}

TEST_F(MessageWriter, AMissingAttachmentFailsBeforeAnyLine)
{
    TIdMessage msg = pictureMail();
    msg.MessageParts[0].StoredPathName = dir.filePath(QStringLiteral("gone.jpg"));
    LineList sink;
    try {
        WriteMessage(msg, sink);
        FAIL() << "no failure";
    } catch (const FileError &e) {
        EXPECT_TRUE(e.Message().startsWith(
            QStringLiteral("ファイル %1 を開けません: ").arg(dir.filePath("gone.jpg"))))
            << e.what();
    }
    EXPECT_TRUE(sink.lines.isEmpty());
}

TEST_F(MessageWriter, AnAttachmentThatCannotBeReadFailsPartWay)
{
    TIdMessage msg = pictureMail();
    msg.MessageParts[0].StoredPathName = dir.path(); // a folder opens but does not read
    LineList sink;
    EXPECT_THROW(WriteMessage(msg, sink), FileError);
    EXPECT_FALSE(sink.lines.contains("--=_MoreStuf_2zzz1234sadvnqw3nerasdf--"));
}

TEST_F(MessageWriter, RefusesLineBreaksThatWouldMakeHeadersOrCommands)
{
    const struct
    {
        const char *what;
        std::function<void(TIdMessage &)> change;
        const char *message;
    } cases[] = {
        {"sender name", [](TIdMessage &m) { m.From.Name += "\r\nBcc: x@y"; }, "差出人の名前"},
        {"sender address", [](TIdMessage &m) { m.From.Address += "\r\nRCPT TO:<x@y>"; }, "差出人のアドレス"},
        {"recipient name", [](TIdMessage &m) { m.Recipients[0].Name += "\n"; }, "宛先の名前"},
        {"recipient address", [](TIdMessage &m) { m.Recipients[0].Address += "\r"; }, "宛先のアドレス"},
        {"copy address",
         [](TIdMessage &m) {
             m.BccList = {{QString(), "b\n@x"}};
         },
         "宛先のアドレス"},
        {"subject", [](TIdMessage &m) { m.Subject += "\r\n.\r\nQUIT"; }, "件名"},
        {"attachment name", [](TIdMessage &m) { m.MessageParts[0].FileName += "\r\nX: y"; },
         "添付ファイル名"},
        {"extra header", [](TIdMessage &m) { m.SetExtraHeader("X-Mailer", "a\nb"); }, "ヘッダー「X-Mailer」"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TIdMessage msg = pictureMail();
        c.change(msg);
        LineList sink;
        try {
            WriteMessage(msg, sink);
            ADD_FAILURE() << "no failure";
        } catch (const MessageError &e) {
            EXPECT_EQ(e.Message(),
                      QString::fromUtf8(c.message) + QStringLiteral("に改行を含めることはできません。"));
        }
        EXPECT_TRUE(sink.lines.isEmpty());
        EXPECT_THROW(ValidateMessage(msg), MessageError);
    }
    EXPECT_NO_THROW(ValidateMessage(pictureMail()));
}

TEST_F(MessageWriter, RefusesATransferEncodingItCannotWrite)
{
    TIdMessage msg = pictureMail();
    msg.MessageParts[0].ContentTransfer = QStringLiteral("quoted-printable");
    LineList sink;
    EXPECT_THROW(WriteMessage(msg, sink), MessageError);
    EXPECT_TRUE(sink.lines.isEmpty());
}

TEST_F(MessageWriter, WritesAMessageWithoutPartsAsPlainText)
{
    TIdMessage msg = pictureMail();
    msg.MessageParts.clear();
    const QList<QByteArray> expected = {
        "From: \"Taro\" <taro@example.com>",
        "Subject: =?ISO-2022-JP?B?GyRCPEw/PxsoQg==?=",
        "To: =?ISO-2022-JP?B?GyRCOzNFRBsoQiAbJEJCQE86GyhC?= <yamada@docomo.ne.jp>",
        "Date: Sat, 7 Jan 2006 12:34:56 +0900",
        "",
        "Hello",
        "..dot",
    };
    EXPECT_EQ(written(msg), expected);
}

TEST_F(MessageWriter, EncodesHeadersInTheCharsetItIsGiven)
{
    TIdMessage msg = pictureMail();
    msg.Subject = QString::fromUtf8("Café");
    msg.From.Name = QString::fromUtf8("Müller, Hans");
    LineList sink;
    WriteMessage(msg, sink, HeaderCharset::Western);
    EXPECT_EQ(sink.lines[0], "From: =?ISO-8859-1?Q?M=FCller=2C?= Hans <taro@example.com>");
    EXPECT_EQ(sink.lines[1], "Subject: =?ISO-8859-1?Q?Caf=E9?=");
}

TEST(MessageDate, GivesTheOffsetOfThatMoment)
{
    const struct
    {
        QDateTime when;
        const char *text;
    } cases[] = {
        {QDateTime(QDate(2006, 1, 7), QTime(12, 34, 56), QTimeZone("Asia/Tokyo")),
         "Sat, 7 Jan 2006 12:34:56 +0900"},
        {QDateTime(QDate(2006, 7, 16), QTime(8, 5, 9), QTimeZone("Europe/Berlin")),
         "Sun, 16 Jul 2006 08:05:09 +0200"},
        {QDateTime(QDate(2006, 12, 25), QTime(23, 0, 0), QTimeZone("Europe/Berlin")),
         "Mon, 25 Dec 2006 23:00:00 +0100"},
        {QDateTime(QDate(2007, 2, 1), QTime(0, 0, 0), QTimeZone("America/St_Johns")),
         "Thu, 1 Feb 2007 00:00:00 -0330"},
        {QDateTime(QDate(2007, 6, 1), QTime(0, 0, 0), QTimeZone("America/St_Johns")),
         "Fri, 1 Jun 2007 00:00:00 -0230"},
        {QDateTime(QDate(2010, 10, 31), QTime(9, 59, 59), QTimeZone::utc()),
         "Sun, 31 Oct 2010 09:59:59 +0000"},
        {QDateTime(QDate(2008, 3, 11), QTime(1, 2, 3), QTimeZone("Asia/Kolkata")),
         "Tue, 11 Mar 2008 01:02:03 +0530"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_TRUE(c.when.isValid());
        EXPECT_EQ(MessageDate(c.when), QByteArray(c.text));
    }
}

TEST_F(MessageWriter, AnUnsetDateIsTheLocalTimeOfWriting)
{
    TIdMessage msg = pictureMail();
    msg.Date = QDateTime();
    const QDateTime before = QDateTime::currentDateTime();
    const QList<QByteArray> header = headerOf(written(msg));
    const QDateTime after = QDateTime::currentDateTime();
    const QByteArray date = header.last().mid(6);
    EXPECT_TRUE(date == MessageDate(before) || date == MessageDate(after)) << date.constData();
}

} // namespace
