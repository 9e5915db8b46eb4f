// tavrin-tool's mail commands, run as a user runs them.

#include "common/UserData.h"
#include "mail/Composition.h"
#include "mail/Iso2022Jp.h"
#include "mail/MessageWriter.h"
#include "picture/BmpFile.h"

#include "support/Fifo.h"
#include "support/Files.h"
#include "support/Process.h"
#include "support/ScriptedServer.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

using ToolRun = testproc::ProcessRun;
using testproc::RunTool;

struct WireSink : LineSink
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
        = RunTool({"message", "--from-name", "太郎", "--from", "taro@example.com", "--to-name", "Ha \"x\"",
                   "--to", "h@docomo.ne.jp", "--subject", "テスト test", "--body-file", body, "--attach",
                   picture, "--name", "写真.jpg", "--date", "2006-01-07T12:34:56+09:00"});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();

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
        const ToolRun run = RunTool(QStringList {"message"} + c.args);
        EXPECT_EQ(run.exitCode, 1);
        // The system's own part of a file error ends the line and may be in the user's language.
        EXPECT_TRUE(QString::fromUtf8(run.err).startsWith("tavrin-tool: " + c.error)) << run.err.constData();
        EXPECT_EQ(run.err.count('\n'), 1);
        EXPECT_TRUE(run.out.isEmpty());
    }
}

TEST_F(MailTool, BudgetPrintsCarrierAndBudget)
{
    const struct
    {
        QStringList args;
        const char *out;
    } cases[] = {
        {{"taro@docomo.ne.jp", "2", "2"}, "carrier=0 budget=16000\n"},
        {{"taro@jp-t.ne.jp", "2", "2"}, "carrier=2 budget=8000\n"},
        {{"taro@pdx.ne.jp", "1", "0"}, "carrier=3 budget=20000\n"},
        {{"taro@example.com", "1", "1"}, "carrier=4 budget=8000\n"},
        {{"taro@jp-t.ne.jp", "3", "0"}, "carrier=2 budget=2048\n"},
        {{"taro@ezweb.ne.jp", "5", "1"}, "carrier=1 budget=0\n"},
        {{"TARO@DOCOMO.NE.JP", "0", "7"}, "carrier=4 budget=16000\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.out);
        const ToolRun run = RunTool(QStringList {"budget"} + c.args);
        EXPECT_EQ(run.exitCode, 0) << run.err.constData();
        EXPECT_EQ(run.out, c.out);
    }
    const ToolRun bad = RunTool({"budget", "a@b", "x", "1"});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.err, "tavrin-tool: PRESET must be a whole number from -128 to 127\n");
    EXPECT_EQ(RunTool({"budget", "a@b", "1", "300"}).exitCode, 1);
    EXPECT_EQ(RunTool({"budget", "a@b", "1"}).exitCode, 1);
}

TEST_F(MailTool, AdxCheckPrintsTheEntriesOrTheLoadError)
{
    const QString book = file(QStringLiteral("Tavrin.ADX"),
                              "ABC\r\nabc1\r\n-1\r\n2\r\n2\r\n240\r\n320\r\n"
                              "\r\nx@docomo.ne.jp\r\nFalse\r\n1\r\n1\r\n132\r\n176");
    ToolRun run = RunTool({"adx-check", book});
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(run.out,
              "ABC\tabc1\troute=server\tpreset=2\tquality=2\t240x320\n"
              "\tx@docomo.ne.jp\troute=attachment\tpreset=1\tquality=1\t132x176\n");

    const QString broken = file(QStringLiteral("broken.ADX"), "A\r\na\r\nmaybe\r\n1\r\n1\r\n132\r\n176\r\n");
    run = RunTool({"adx-check", broken});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(QString::fromUtf8(run.err),
              QStringLiteral("tavrin-tool: アドレス帳 %1 の 3 行目を読み込めません: 「maybe」は数値または "
                             "True/Falseではありません。\n")
                  .arg(broken));
    EXPECT_TRUE(run.out.isEmpty());

    // An older file is shown as it would convert, and stays.
    const QString older
        = file(QStringLiteral("Tavrin.ADR"),
               QByteArray("Old").leftJustified(32) + QByteArray("o@x").leftJustified(48) + "use_ftp\r\n");
    run = RunTool({"adx-check", older});
    EXPECT_EQ(run.out, "Old\to@x\troute=server\tpreset=1\tquality=1\t132x176\n");
    EXPECT_TRUE(QFile::exists(older));

    run = RunTool({"adx-check", dir.filePath("none.ADX")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(QString::fromUtf8(run.err),
              QStringLiteral("tavrin-tool: %1 does not exist\n").arg(dir.filePath("none.ADX")));
}

TEST_F(MailTool, FilesThatAreNoFilesAreRefused)
{
    const QString book = QStringLiteral("A\r\na\r\n0\r\n1\r\n1\r\n132\r\n176\r\n");
    TestFifo adx(dir.filePath("fifo.ADX"), book.toUtf8());
    TestFifo body(dir.filePath("body.fifo"), "hello");
    TestFifo picture(dir.filePath("pic.fifo"), "abc");
    const QString notRegular
        = QStringLiteral("通常のファイルではありません（デバイス、FIFO、フォルダーなど）");
    const struct
    {
        QStringList args;
        QString err;
    } cases[] = {
        {{"adx-check", "/dev/zero"}, "アドレス帳 /dev/zero を読めません: " + notRegular},
        {{"adx-check", dir.filePath("fifo.ADX")},
         "アドレス帳 " + dir.filePath("fifo.ADX") + " を読めません: " + notRegular},
        {{"message", "--from", "a@b", "--to", "c@d", "--body-file", "/dev/zero"},
         "cannot read /dev/zero: not a regular file (a device, a FIFO or a folder)"},
        {{"message", "--from", "a@b", "--to", "c@d", "--body-file", dir.filePath("body.fifo")},
         "cannot read " + dir.filePath("body.fifo") + ": not a regular file (a device, a FIFO or a folder)"},
        {{"message", "--from", "a@b", "--to", "c@d", "--attach", dir.filePath("pic.fifo")},
         "ファイル " + dir.filePath("pic.fifo") + " を開けません: " + notRegular},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const ToolRun run = RunTool(c.args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(QString::fromUtf8(run.err), "tavrin-tool: " + c.err + "\n");
        EXPECT_TRUE(run.out.isEmpty());
    }
}

TEST_F(MailTool, SendRunRefusesABodyFileThatIsNoFile)
{
    TUserData settings(dir.path());
    settings.SMTPServer = QStringLiteral("127.0.0.1");
    settings.FromAddress = QStringLiteral("a@b");
    ASSERT_TRUE(settings.Save(dir.filePath("tav.ini")));
    const QString picture = file(QStringLiteral("pic.bmp"), WriteBmp(Bitmap(64, 48)));
    TestFifo body(dir.filePath("body.fifo"), "hello");
    const ToolRun run = RunTool({"sendrun", "--work", dir.path(), "--picture", picture, "--to",
                                 "c@docomo.ne.jp", "--preset", "1", "--quality", "1", "--smtp-port", "1",
                                 "--no-pauses", "--body-file", dir.filePath("body.fifo")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(QString::fromUtf8(run.err),
              "tavrin-tool: cannot read " + dir.filePath("body.fifo")
                  + ": not a regular file (a device, a FIFO or a folder)\n");
    EXPECT_TRUE(run.out.isEmpty()) << run.out.constData();
}

TEST_F(MailTool, NoControlCharacterReachesTheTerminalRaw)
{
    // An entry whose name holds a tab and a terminal's escape, and a line that cannot be read.
    const QString book
        = file(QStringLiteral("Tavrin.ADX"), "A\tB\x1b[2J\r\na@b\r\n0\r\n1\r\n1\r\n132\r\n176\r\n");
    ToolRun run = RunTool({"adx-check", book});
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(run.out, "A\\tB\\x1B[2J\ta@b\troute=attachment\tpreset=1\tquality=1\t132x176\n");

    const QString broken
        = file(QStringLiteral("broken.ADX"),
               "A\r\na\r\n\x1b]0;owned\x07" + QByteArray(60, 'z') + "\r\n1\r\n1\r\n132\r\n176\r\n");
    run = RunTool({"adx-check", broken});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(
        QString::fromUtf8(run.err),
        QStringLiteral(
            "tavrin-tool: アドレス帳 %1 の 3 行目を読み込めません: 「\\x1B]0;owned\\x07%2…」は数値または "
            "True/Falseではありません。\n")
            .arg(broken, QString(30, 'z')));

    // The message itself goes out as it is sent, except on a terminal.
    const QStringList message = {"message", "--from", "a@b", "--to", "c@d", "--subject", "件名"};
    const QByteArray body = "\x1b$B4A;z\x1b(B";
    const QString bodyFile = file(QStringLiteral("body.txt"), "漢字");
    run = RunTool(message + QStringList {"--body-file", bodyFile});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_TRUE(run.out.contains("\r\n" + body + "\r\n"));
    QStringList quoted;
    for (const QString &a : message + QStringList {"--body-file", bodyFile})
        quoted << "'" + a + "'";
    const ToolRun terminal = testproc::RunProcess(
        "script", {"-qec", testfiles::binary("tavrin-tool") + ' ' + quoted.join(' '), "/dev/null"});
    ASSERT_EQ(terminal.exitCode, 0) << terminal.err.constData();
    EXPECT_TRUE(terminal.out.contains("\\x1B$B4A;z\\x1B(B")) << terminal.out.constData();
    EXPECT_FALSE(terminal.out.contains('\x1b'));
}

} // namespace

namespace {

TEST_F(MailTool, SendAndUploadNeverWaitForEver)
{
    const QString picture = file(QStringLiteral("pic.jpg"), "abc");
    QByteArray endless;
    for (int i = 0; i < 2000; ++i)
        endless += "220-welcome, welcome, welcome\r\n";
    const struct
    {
        const char *what;
        const char *command;
        QByteArray greeting; // empty: the server never speaks
        QByteArray out;
    } cases[] = {
        {"send to a server that never greets", "send", "", "EIdTimeout\nRead timed out.\n"},
        {"upload to a server that never greets", "upload", "", "EIdTimeout\nRead timed out.\n"},
        {"send to an endless greeting", "send", endless, "EIdMaxReplyLinesExceeded\nMax reply lines exceeded.\n"},
        {"upload to an endless greeting", "upload", endless,
         "EIdMaxReplyLinesExceeded\nMax reply lines exceeded.\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedServer server;
        if (!c.greeting.isEmpty())
            server.Send(c.greeting);
        server.Start();
        const QString port = QString::number(server.Port());
        const QStringList args = QString::fromLatin1(c.command) == QLatin1String("send")
            ? QStringList {"send", "--host", "127.0.0.1", "--port", port, "--timeout", "0.3", "--from", "a@b",
                           "--to", "c@d"}
            : QStringList {"upload", "--host", "127.0.0.1", "--port", port, "--timeout", "0.3", picture};
        const ToolRun run = RunTool(args);
        EXPECT_EQ(run.exitCode, 1) << run.err.constData();
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(server.Error(), QString());
    }
}

TEST_F(MailTool, APortIsANumberFrom1To65535)
{
    const struct
    {
        QStringList args;
        QByteArray err;
    } cases[] = {
        {{"send", "--host", "127.0.0.1", "--port", "0", "--from", "a@b", "--to", "c@d"},
         "tavrin-tool: --port needs a port number from 1 to 65535\n"},
        {{"send", "--host", "127.0.0.1", "--pop-host", "127.0.0.1", "--pop-port", "65536", "--from", "a@b", "--to",
          "c@d"},
         "tavrin-tool: --pop-port needs a port number from 1 to 65535\n"},
        {{"upload", "--host", "127.0.0.1", "--port", "21a", "x.jpg"},
         "tavrin-tool: --port needs a port number from 1 to 65535\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const ToolRun run = RunTool(c.args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, c.err);
    }
}

// A server that sends blank lines as fast as it can: every wait still ends, at the reply's line limit.
TEST_F(MailTool, AFloodOfBlankLinesEndsEveryWait)
{
    const QString picture = file(QStringLiteral("pic.jpg"), "abc");
    RefusingPort smtp; // never reached: the POP3 login comes first
    const QString smtpPort = QString::number(smtp.Port());
    const struct
    {
        const char *what;
        QByteArray before; // what the server says before the flood
        QStringList args; // "PORT" stands for the flooding server's port
    } cases[] = {
        {"send",
         "",
         {"send", "--host", "127.0.0.1", "--port", "PORT", "--timeout", "3", "--from", "a@b", "--to", "c@d"}},
        {"send after the greeting",
         "220 hi\r\n",
         {"send", "--host", "127.0.0.1", "--port", "PORT", "--timeout", "3", "--from", "a@b", "--to", "c@d"}},
        {"upload", "", {"upload", "--host", "127.0.0.1", "--port", "PORT", "--timeout", "3", picture}},
        {"the POP3 login",
         "+OK ready\r\n",
         {"send", "--host", "127.0.0.1", "--port", smtpPort, "--user", "u", "--password", "p", "--pop-host",
          "127.0.0.1", "--pop-port", "PORT", "--timeout", "3", "--from", "a@b", "--to", "c@d"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedServer server;
        if (!c.before.isEmpty())
            server.Send(c.before);
        server.Flood("\r\n", ScriptedServer::StepTimeoutMs);
        server.Start();
        QStringList args = c.args;
        args.replaceInStrings(QRegularExpression("^PORT$"), QString::number(server.Port()));
        const ToolRun run = RunTool(args);
        EXPECT_EQ(run.exitCode, 1) << run.err.constData();
        EXPECT_EQ(run.out, "EIdMaxReplyLinesExceeded\nMax reply lines exceeded.\n");
    }
}

TEST_F(MailTool, TheTimeoutIsSecondsAboveZero)
{
    for (const char *value : {"0", "-1", "abc", "86401"}) {
        SCOPED_TRACE(value);
        const ToolRun run = RunTool({"upload", "--host", "127.0.0.1", "--timeout", value, "x.jpg"});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, "tavrin-tool: --timeout needs a number of seconds above 0 and at most 86400\n");
    }
}

TEST_F(MailTool, ALineBreakInAValueForACommandIsRefusedBeforeAnyConnection)
{
    const QString picture = file(QStringLiteral("pic.jpg"), "abc");
    // A refusing port: had the tool connected, it would say so.
    RefusingPort port;
    const QString p = QString::number(port.Port());
    const struct
    {
        QStringList args;
        QString text;
    } cases[] = {
        {{"send", "--host", "127.0.0.1", "--port", p, "--helo", "me\r\nRSET", "--from", "a@b", "--to", "c@d"},
         "SMTPサーバー名に改行を含めることはできません。"},
        {{"send", "--host", "127.0.0.1", "--port", p, "--user", "u\r\nDELE 1", "--password", "w", "--pop-host",
          "127.0.0.1", "--pop-port", p, "--from", "a@b", "--to", "c@d"},
         "ユーザーＩＤに改行を含めることはできません。"},
        {{"upload", "--host", "127.0.0.1", "--port", p, "--user", "u", "--password", "w\nDELE x", picture},
         "FTPパスワードに改行を含めることはできません。"},
        {{"upload", "--host", "127.0.0.1", "--port", p, "--folder", "up\r\nRMD up", picture},
         "FTPフォルダに改行を含めることはできません。"},
        {{"upload", "--host", "127.0.0.1", "--port", p, "--name", "a.jpg\r\nDELE b.jpg", picture},
         "FTPファイル名に改行を含めることはできません。"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const ToolRun run = RunTool(c.args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(QString::fromUtf8(run.out), QStringLiteral("EIdException\n") + c.text + QLatin1Char('\n'));
    }
}

} // namespace
