#include "mail/Composition.h"
#include "mail/Iso2022Jp.h"
#include "mail/MessageWriter.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

const QDateTime kMay12(QDate(2006, 5, 12), QTime(14, 3, 59));
const QString kNote = QString::fromUtf8("＜添付画像を見られない場合は、下記のサイトにアクセスして下さい＞");

TEST(Composition, NamesPicturesAfterTheTime)
{
    const struct
    {
        QDateTime when;
        int r;
        const char *name;
    } cases[] = {
        {kMay12, 7, "06-05-12_14-03-597.jpg"},
        {kMay12, 123, "06-05-12_14-03-59123.jpg"},
        {QDateTime(QDate(2010, 1, 2), QTime(3, 4, 5)), 1, "10-01-02_03-04-051.jpg"},
        {QDateTime(QDate(2099, 12, 31), QTime(23, 59, 59)), 999, "99-12-31_23-59-59999.jpg"},
        {QDateTime(QDate(2000, 1, 1), QTime(0, 0, 0)), 10, "00-01-01_00-00-0010.jpg"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        int low = 0;
        int high = 0;
        const auto draw = [&](int l, int h) {
            low = l;
            high = h;
            return c.r;
        };
        EXPECT_EQ(InteractivePictureName(c.when, draw), QString::fromLatin1(c.name));
        EXPECT_EQ(low, 1);
        EXPECT_EQ(high, 999);
    }
    EXPECT_EQ(ScheduledPictureName(kMay12), "06-05-12_14-03-59.jpg");
}

TEST(Composition, TheSystemDrawStaysWithinItsBounds)
{
    bool sawLow = false;
    bool sawHigh = false;
    for (int i = 0; i < 20000; ++i) {
        const int r = SystemRandomDraw(1, 9);
        ASSERT_GE(r, 1);
        ASSERT_LE(r, 9);
        sawLow = sawLow || r == 1;
        sawHigh = sawHigh || r == 9;
    }
    EXPECT_TRUE(sawLow && sawHigh);
}

TEST(Composition, BuildsTheBodyFromTheFieldAndTheLink)
{
    const QString url = QStringLiteral("http://example.com/pics/");
    const QString name = QStringLiteral("06-05-12_14-03-597.jpg");
    const struct
    {
        const char *what;
        QString field;
        bool serverRoute;
        QString url;
        QString body;
    } cases[] = {
        {"no route: the field's lines", QStringLiteral("a\nb"), false, url, QStringLiteral("a\r\nb\r\n")},
        {"a break at the end makes no extra line", QStringLiteral("a\r\nb\n"), false, url,
         QStringLiteral("a\r\nb\r\n")},
        {"empty lines are kept", QStringLiteral("a\n\n\rb\n\n"), false, url,
         QStringLiteral("a\r\n\r\n\r\nb\r\n\r\n")},
        {"empty field", QString(), false, url, QString()},
        {"route: the link block, without a final break", QStringLiteral("a"), true, url,
         QStringLiteral("a\r\n\r\n\r\n") + kNote
             + QStringLiteral("\r\nhttp://example.com/pics/06-05-12_14-03-597.jpg")},
        {"route with an empty field starts with two empty lines", QString(), true, url,
         QStringLiteral("\r\n\r\n") + kNote
             + QStringLiteral("\r\nhttp://example.com/pics/06-05-12_14-03-597.jpg")},
        {"a url without a slash runs into the name", QString(), true,
         QStringLiteral("http://example.com/pics"),
         QStringLiteral("\r\n\r\n") + kNote
             + QStringLiteral("\r\nhttp://example.com/pics06-05-12_14-03-597.jpg")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PictureMailBody(c.field, c.serverRoute, c.url, name), c.body);
    }
}

TEST(Composition, SplitsTheConvertedBodyIntoLines)
{
    const struct
    {
        const char *what;
        QString text;
        QList<QByteArray> lines;
    } cases[] = {
        {"empty", QString(), {}},
        {"one line", QStringLiteral("abc"), {"abc"}},
        {"CR, LF and CR LF", QStringLiteral("a\rb\nc\r\nd\r\n"), {"a", "b", "c", "d"}},
        {"empty lines", QStringLiteral("\r\n\r\nx"), {"", "", "x"}},
        {"kanji lines end in ascii mode",
         QString::fromUtf8("漢\r\n字"),
         {"\x1b$B4A\x1b(B", "\x1b$B;z\x1b(B"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(BodyLines(c.text), c.lines);
    }
}

TEST(Composition, FillsTheMessageOfAPictureMail)
{
    PictureMail mail;
    mail.FromName = QString::fromUtf8("太郎");
    mail.FromAddress = QStringLiteral("taro@example.com");
    mail.RecipientName = QString::fromUtf8("花子");
    mail.RecipientAddress = QStringLiteral("hanako@ezweb.ne.jp");
    mail.Subject = QString::fromUtf8("写真 です");
    mail.PictureName = QStringLiteral("06-05-12_14-03-597.jpg");
    mail.Body = QString::fromUtf8("本文\r\n");

    const TIdMessage msg = BuildPictureMessage(mail, QStringLiteral("/work/folder/"));
    EXPECT_EQ(msg.Subject, mail.Subject);
    EXPECT_EQ(msg.Body, (QList<QByteArray> {"\x1b$BK\\J8\x1b(B"}));
    EXPECT_EQ(msg.From.Name, mail.FromName);
    EXPECT_EQ(msg.From.Address, mail.FromAddress);
    ASSERT_EQ(msg.Recipients.size(), 1);
    EXPECT_EQ(msg.Recipients[0].Name, mail.RecipientName);
    EXPECT_EQ(msg.Recipients[0].Address, mail.RecipientAddress);
    EXPECT_TRUE(msg.CCList.isEmpty());
    EXPECT_TRUE(msg.BccList.isEmpty());
    EXPECT_TRUE(msg.ExtraHeaders.isEmpty());
    EXPECT_FALSE(msg.Date.isValid());
    EXPECT_EQ(msg.Priority, MessagePriority::Normal);
    ASSERT_EQ(msg.MessageParts.size(), 1);
    const TIdAttachment &part = msg.MessageParts[0];
    EXPECT_EQ(part.StoredPathName, "/work/folder/tmp.jpg");
    EXPECT_EQ(part.ContentType, "image/jpeg");
    EXPECT_EQ(part.ContentTransfer, "base64");
    EXPECT_EQ(part.FileName, "06-05-12_14-03-597.jpg");
    EXPECT_TRUE(part.ContentID.isEmpty());

    // The attachment keeps the name's last part only, in ISO-2022-JP; the work folder may lack its slash.
    mail.PictureName = QString::fromUtf8("Recent/写真.jpg");
    const TIdMessage other = BuildPictureMessage(mail, QStringLiteral("/work/folder"));
    EXPECT_EQ(other.MessageParts[0].FileName, Iso2022Jp::fromText(QString::fromUtf8("写真.jpg")));
    EXPECT_EQ(other.MessageParts[0].StoredPathName, "/work/folder/tmp.jpg");
}

TEST(Composition, RefusesTextsThatWouldBreakTheHeader)
{
    PictureMail mail;
    mail.FromAddress = QStringLiteral("taro@example.com");
    mail.RecipientAddress = QStringLiteral("hanako@ezweb.ne.jp");
    mail.Subject = QStringLiteral("hi\r\nBcc: someone@example.com");
    try {
        BuildPictureMessage(mail, QDir::tempPath());
        FAIL() << "no failure";
    } catch (const MessageError &e) {
        EXPECT_EQ(e.Message(), QString::fromUtf8("件名に改行を含めることはできません。"));
    }
    mail.Subject.clear();
    mail.RecipientName = QStringLiteral("x\ny");
    EXPECT_THROW(BuildPictureMessage(mail, QDir::tempPath()), MessageError);
}

} // namespace
