// tavrin-tool's mail commands, run as a user runs them.

#include "mail/Composition.h"
#include "mail/Iso2022Jp.h"
#include "mail/MessageWriter.h"

#include "support/Files.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

struct ToolRun
{
    int code = -1;
    QByteArray out;
    QByteArray err;
};

ToolRun runTool(const QStringList &args)
{
    QProcess tool;
    tool.start(testfiles::binary(QStringLiteral("tavrin-tool")), args);
    tool.waitForFinished(30000);
    return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1, tool.readAllStandardOutput(),
            tool.readAllStandardError()};
}

struct WireSink : TLineSink
{
    QByteArray data;
    void WriteLine(const QByteArray &line) override { data += line + "\r\n"; }
};

class MailTool : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString file(const QString &name, const QByteArray &content)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(testfiles::write(path, content));
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(MailTool, MessageWritesWhatTheProgramWouldSend)
{
    const QString body = file(QStringLiteral("body.txt"), "こんにちは\n.dot\nｶﾞｯﾂ\n");
    const QString picture = file(QStringLiteral("pic.jpg"), QByteArray(100, '\x7f'));
    const ToolRun run
        = runTool({"message", "--from-name", "太郎", "--from", "taro@example.com", "--to-name", "Ha \"x\"",
                   "--to", "h@docomo.ne.jp", "--subject", "テスト test", "--body-file", body, "--attach",
                   picture, "--name", "写真.jpg", "--date", "2006-01-07T12:34:56+09:00"});
    ASSERT_EQ(run.code, 0) << run.err.constData();

    TIdMessage msg;
    msg.From = {QString::fromUtf8("太郎"), QStringLiteral("taro@example.com")};
    msg.Recipients = {{QStringLiteral("Ha \"x\""), QStringLiteral("h@docomo.ne.jp")}};
    msg.Subject = QString::fromUtf8("テスト test");
    msg.Body = BodyLines(QString::fromUtf8("こんにちは\n.dot\nｶﾞｯﾂ\n"));
    msg.Date = QDateTime(QDate(2006, 1, 7), QTime(12, 34, 56), QTimeZone(9 * 3600));
    TIdAttachment part(picture);
    part.FileName = Iso2022Jp::fromText(QString::fromUtf8("写真.jpg"));
    msg.MessageParts = {part};
    WireSink expected;
    WriteMessage(msg, expected);
    EXPECT_EQ(run.out, expected.data);
    // The texts as the program holds them: the half-width kana went out full width.
    EXPECT_TRUE(run.out.contains("\r\n\x1b$B%,%C%D\x1b(B\r\n"));
    EXPECT_TRUE(run.out.contains("\r\n..dot\r\n"));
    EXPECT_TRUE(run.out.startsWith("From: =?ISO-2022-JP?B?GyRCQkBPOhsoQg==?= <taro@example.com>\r\n"
                                   "Subject: =?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?= test\r\n"
                                   "To: \"Ha \\\"x\\\"\" <h@docomo.ne.jp>\r\n"));
}

TEST_F(MailTool, MessageRefusesWhatItCannotWrite)
{
    const QString picture = file(QStringLiteral("pic.jpg"), "abc");
    const struct
    {
        const char *what;
        QStringList args;
        QString error;
    } cases[] = {
        {"no sender", {"--to", "a@b"}, "option --from is required"},
        {"no recipient", {"--from", "a@b"}, "option --to is required"},
        {"name without a file",
         {"--from", "a@b", "--to", "c@d", "--name", "x.jpg"},
         "option --name needs --attach"},
        {"unknown option", {"--from", "a@b", "--to", "c@d", "--cc", "e@f"}, "unknown option --cc"},
        {"line break in the subject",
         {"--from", "a@b", "--to", "c@d", "--subject", "a\r\nBcc: e@f"},
         "件名に改行を含めることはできません。"},
        {"missing body file",
         {"--from", "a@b", "--to", "c@d", "--body-file", dir.filePath("none.txt")},
         QStringLiteral("cannot read %1: ").arg(dir.filePath("none.txt"))},
        {"missing attachment",
         {"--from", "a@b", "--to", "c@d", "--attach", dir.filePath("none.jpg")},
         QStringLiteral("ファイル %1 を開けません: ").arg(dir.filePath("none.jpg"))},
        {"bad date",
         {"--from", "a@b", "--to", "c@d", "--date", "yesterday"},
         "--date wants a time such as 2006-01-07T12:34:56+09:00"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const ToolRun run = runTool(QStringList {"message"} + c.args);
        EXPECT_EQ(run.code, 1);
        // The system's own part of a file error ends the line and may be in the user's language.
        EXPECT_TRUE(QString::fromUtf8(run.err).startsWith("tavrin-tool: " + c.error)) << run.err.constData();
        EXPECT_EQ(run.err.count('\n'), 1);
        EXPECT_TRUE(run.out.isEmpty());
    }
}

} // namespace
