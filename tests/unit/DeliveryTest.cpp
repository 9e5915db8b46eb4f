// Send runs and single picture mails against loopback servers of our own, with the windows, the
// user and the clock played by fakes.

#include "mail/Delivery.h"
#include "common/Prompt.h"
#include "common/UserData.h"
#include "mail/AddressBook.h"
#include "mail/DialUp.h"
#include "mail/MailClients.h"
#include "support/Entries.h"
#include "support/FakeClock.h"
#include "support/FakeDialUpService.h"
#include "support/FakeSendingWindow.h"
#include "support/Files.h"
#include "support/ScriptedPrompt.h"
#include "support/ScriptedServer.h"
#include "support/SmtpStub.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>

namespace {

using testentries::Entry;

const QString kSent = QStringLiteral("送信しました。");
const QString kFailed = QStringLiteral("送信に失敗しました。");
const QString kCancelled = QStringLiteral("送信を中止しました。");
const QString kAddQuestion = QStringLiteral("宛先をアドレス帳に追加しますか？");
const QString kHangUpQuestion = QStringLiteral("接続を解除しますか？");
const QString kSmtpClosed = QStringLiteral("SMTPサーバーに接続できません。設定を確認して下さい。");
const QString kSmtpStatuses[] = {QStringLiteral("SMTPサーバーに接続しています…"),
                                 QStringLiteral("メール送信中…"), QStringLiteral("送信完了．")};

// The main window as a send run sees it. Its render writes a "picture" that names the recipient.
class FakeHost : public SendRunHost
{
public:
    explicit FakeHost(const QString &work)
        : book(work)
        , history(work)
        , m_work(work)
    { }

    TMailAddress PaneEntry() const override { return pane; }
    int FurtherRecipientCount() const override { return int(further.size()); }
    TMailAddress *FurtherRecipient(int index) override { return further.at(index); }
    QString SubjectText() const override { return subject; }
    QString BodyText() const override { return body; }
    TMailAddress *CurrentRecipient() const override { return current; }
    void SetCurrentRecipient(TMailAddress *e) override { current = e; }
    void RenderPicture(const TMailAddress &recipient) override
    {
        rendered
            << QStringLiteral("%1 %2x%3").arg(recipient.Address).arg(recipient.Width).arg(recipient.Height);
        if (renderFails)
            throw Exception(QStringLiteral("tmp.bmp を書けません。"));
        ASSERT_TRUE(testfiles::write(QDir(m_work).filePath(QStringLiteral("tmp.jpg")), Picture(recipient)));
    }
    TAddressBook &AddressBook() override { return book; }
    TAddressBook &History() override { return history; }
    void RefillRecipientLists() override { ++refills; }
    void HidePopupList() override { ++popupHides; }

    static QByteArray Picture(const TMailAddress &to)
    {
        QByteArray bytes = "\xff\xd8 picture for " + to.Address.toUtf8() + ' ';
        bytes += QByteArray(to.Width * 2 - bytes.size(), 'x');
        return bytes;
    }

    TMailAddress pane;
    QList<TMailAddress *> further;
    QString subject = QStringLiteral("写真");
    QString body = QStringLiteral("どうぞ");
    TMailAddress *current = nullptr;
    bool renderFails = false;
    TAddressBook book;
    TAddressBook history;
    QStringList rendered;
    int refills = 0;
    int popupHides = 0;

private:
    QString m_work;
};

class RecordingEnd : public ProgramEnd
{
public:
    explicit RecordingEnd(QStringList &events, std::function<void()> save)
        : m_events(events)
        , m_save(std::move(save))
    { }
    void SaveEverything() override
    {
        m_events << QStringLiteral("save");
        m_save();
    }
    void Quit() override { m_events << QStringLiteral("quit"); }

private:
    QStringList &m_events;
    std::function<void()> m_save;
};

// The attachment of a message as the server received it.
QByteArray Attachment(const QByteArray &data)
{
    const qsizetype name = data.indexOf("filename=\"");
    const qsizetype start = data.indexOf("\r\n\r\n", name) + 4;
    const qsizetype end = data.indexOf("\r\n\r\n", start);
    return QByteArray::fromBase64(data.mid(start, end - start).replace("\r\n", ""));
}

QByteArray AttachmentName(const QByteArray &data)
{
    const qsizetype at = data.indexOf("filename=\"") + 10;
    return data.mid(at, data.indexOf('"', at) - at);
}

class DeliveryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        settings.FromName = QStringLiteral("山田太郎");
        settings.FromAddress = QStringLiteral("taro@example.com");
        settings.SMTPServer = QStringLiteral("127.0.0.1");
        // The scripted servers play the clear-text dialogues; TLS has tests of its own.
        settings.MailEncryption = EncryptionMode::None;
        settings.FTPEncryption = EncryptionMode::None;
        settings.POPServer = QStringLiteral("127.0.0.1");
        settings.UserID = QStringLiteral("taro");
        settings.PassWord = QStringLiteral("secret");
        settings.Connect = true;
        host.pane = Entry(QStringLiteral("花子"), QStringLiteral("hanako@example.jp"));
        prompt.onShow = [this](const ScriptedPrompt::Shown &s) {
            events << s.text;
        };
    }

    // Made on first use, with the dial-up service as the test has set it up by then.
    Delivery &delivery()
    {
        if (!m_delivery) {
            m_dialUp = std::make_unique<TDialUp>(dialUpService, clock);
            const auto draw = [this](int, int) {
                const int r = draws.front();
                draws.pop_front();
                return r;
            };
            m_delivery = std::make_unique<Delivery>(
                DeliveryParts {work, settings, clients, window, prompt, clock, end, m_dialUp.get(), draw});
        }
        return *m_delivery;
    }

    QString path(const QString &name) const { return QDir(work).filePath(name); }
    QStringList recent() const { return QDir(path(QStringLiteral("Recent"))).entryList(QDir::Files); }

    QTemporaryDir dir;
    QString work = dir.path() + QLatin1Char('/');
    TUserData settings;
    MailClients clients;
    FakeSendingWindow window {clients};
    ScriptedPrompt prompt;
    FakeClock clock;
    QStringList events;
    FakeHost host {work};
    RecordingEnd end {events, [this] {
                          host.book.Save(QStringLiteral("Tavrin.ADX"));
                      }};
    FakeDialUpService dialUpService;
    std::deque<int> draws {7, 123, 9, 45, 600};

private:
    std::unique_ptr<TDialUp> m_dialUp;
    std::unique_ptr<Delivery> m_delivery;
};

TEST_F(DeliveryTest, EveryRecipientGetsAMessageWithItsOwnPictureAndName)
{
    SmtpStub smtp;
    smtp.Start();
    clients.IdSMTP.Port = smtp.Port();
    host.book.Append(Entry(QStringLiteral("次郎"), QStringLiteral("jiro@example.jp"), 1, 2, 132, 176));
    host.book.Append(Entry(QStringLiteral("三郎"), QStringLiteral("saburo@example.jp"), 3, 2, 180, 240));
    host.further = {&host.book.Get(0), &host.book.Get(1)};
    prompt.Answer(Msg::Yes);

    EXPECT_TRUE(delivery().SendRun(host));

    EXPECT_EQ(
        host.rendered,
        QStringList({"hanako@example.jp 240x320", "jiro@example.jp 132x176", "saburo@example.jp 180x240"}));
    const QList<SmtpStub::Mail> mails = smtp.Mails();
    ASSERT_EQ(mails.size(), 3);
    const QByteArray names[]
        = {"06-05-12_14-03-597.jpg", "06-05-12_14-03-59123.jpg", "06-05-12_14-03-599.jpg"};
    const TMailAddress *to[] = {&host.pane, &host.book.Get(0), &host.book.Get(1)};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(mails[i].from, "taro@example.com");
        EXPECT_EQ(mails[i].to, QList<QByteArray> {to[i]->Address.toUtf8()});
        EXPECT_EQ(AttachmentName(mails[i].data), names[i]);
        EXPECT_EQ(Attachment(mails[i].data), FakeHost::Picture(*to[i]));
    }
    EXPECT_EQ(smtp.Connections(), 3);

    // The last recipient's picture is kept under its name; the pane's recipient joins the history
    // and, typed by hand, the address book.
    EXPECT_EQ(events, QStringList({kSent, kAddQuestion}));
    EXPECT_EQ(recent(), QStringList {"06-05-12_14-03-599.jpg"});
    EXPECT_EQ(testfiles::read(path("Recent/06-05-12_14-03-599.jpg")), FakeHost::Picture(host.book.Get(1)));
    EXPECT_FALSE(QFile::exists(path("tmp.jpg")));
    ASSERT_EQ(host.history.Count(), 1);
    EXPECT_EQ(host.history.Get(0), host.pane);
    ASSERT_EQ(host.book.Count(), 3);
    EXPECT_EQ(host.book.Get(2), host.pane);
    EXPECT_EQ(host.refills, 1);
    EXPECT_EQ(host.popupHides, 1);
    EXPECT_EQ(host.current, nullptr);
    EXPECT_TRUE(delivery().FirstMessage());
    EXPECT_FALSE(window.showing);
}

TEST_F(DeliveryTest, OneMessageShowsItsStepsPausesAndProgressUpToTheTag)
{
    SmtpStub smtp;
    smtp.Start();
    clients.IdSMTP.Port = smtp.Port();
    host.pane = Entry(QString(), QStringLiteral("hanako@example.jp"), 2, 2, 3000, 320); // a 6000-byte picture
    prompt.Answer(Msg::Yes);

    EXPECT_TRUE(delivery().SendRun(host));

    EXPECT_EQ(window.statuses, QStringList(std::begin(kSmtpStatuses), std::end(kSmtpStatuses)));
    EXPECT_EQ(window.activeClients, QList<int> {MailClients::Smtp});
    EXPECT_EQ(window.active, MailClients::None);
    // 0..100 when the window shows, then the message's unit of work up to one and a half times 6000.
    EXPECT_EQ(window.ranges, (QList<QPair<int, int>> {{0, 100}, {0, 9000}}));
    EXPECT_EQ(clients.IdSMTP.Tag, 9000);
    EXPECT_EQ(window.position, 9000);
    EXPECT_EQ(clock.pauses, QList<int>({250, 500, 250, 250}));
    // Typed by hand without a name: kept as "No Name".
    ASSERT_EQ(host.book.Count(), 1);
    EXPECT_EQ(host.book.Get(0).Name, QStringLiteral("No Name"));
    EXPECT_EQ(host.history.Get(0).Name, QString());
}

TEST_F(DeliveryTest, TheFirstRefusalEndsTheRunWithNothingKeptOrRemembered)
{
    SmtpStub smtp;
    smtp.Refuse("jiro@example.jp", "550 5.1.1 unknown user");
    smtp.Start();
    clients.IdSMTP.Port = smtp.Port();
    host.book.Append(Entry(QStringLiteral("次郎"), QStringLiteral("jiro@example.jp")));
    host.book.Append(Entry(QStringLiteral("三郎"), QStringLiteral("saburo@example.jp")));
    host.further = {&host.book.Get(0), &host.book.Get(1)};

    EXPECT_FALSE(delivery().SendRun(host));

    EXPECT_EQ(events,
              QStringList(
                  {QStringLiteral("[550] サーバーがメールを拒否しました。設定を確認して下さい。"), kFailed}));
    EXPECT_EQ(smtp.Mails().size(), 1);
    EXPECT_EQ(smtp.Connections(), 2); // the third recipient is not tried
    EXPECT_EQ(host.rendered.size(), 2);
    EXPECT_FALSE(QDir(path("Recent")).exists());
    EXPECT_TRUE(QFile::exists(path("tmp.jpg")));
    EXPECT_EQ(host.history.Count(), 0);
    EXPECT_EQ(host.book.Count(), 2);
    EXPECT_EQ(host.refills, 0);
    // The refused recipient stays current, so that a new attempt does not offer to add anybody.
    EXPECT_EQ(host.current, &host.book.Get(0));
    EXPECT_TRUE(delivery().FirstMessage());
}

TEST_F(DeliveryTest, AFailedPaneRecipientStaysCurrentAndANewRunDoesNotAskToAddIt)
{
    SmtpStub refusing;
    refusing.Refuse("hanako@example.jp", "550 no");
    refusing.Start();
    clients.IdSMTP.Port = refusing.Port();
    EXPECT_FALSE(delivery().SendRun(host));
    ASSERT_NE(host.current, nullptr);
    EXPECT_EQ(*host.current, host.pane);

    SmtpStub smtp;
    smtp.Start();
    clients.IdSMTP.Port = smtp.Port();
    events.clear();
    EXPECT_TRUE(delivery().SendRun(host));
    EXPECT_EQ(events, QStringList {kSent});
    EXPECT_EQ(host.book.Count(), 0);
    EXPECT_EQ(host.history.Count(), 1);
}

// The mail is out: a copy that fails says so after the success, and keeps the picture as tmp.jpg.
TEST_F(DeliveryTest, APictureTheSentFolderCannotTakeStaysAsTmpJpgAndIsSaid)
{
    const QString notKept = QStringLiteral("送信した画像を送信済みフォルダ %1 に保存できませんでした。\n"
                                           "ディスクの空きを確かめて下さい。画像は %2 に残してあります。")
                                .arg(path("Recent"), path("tmp.jpg"));
    const struct
    {
        const char *name;
        std::function<void()> prepare;
    } cases[] = {
        // Something that is no picture has the picture's name (that of the first run).
        {"a folder of the picture's name",
         [this] {
             ASSERT_TRUE(QDir(work).mkpath(QStringLiteral("Recent/06-05-12_14-03-597.jpg")));
         }},
        // Neither the folder nor the copy can be made.
        {"a file where the folder belongs",
         [this] {
             ASSERT_TRUE(testfiles::write(path("Recent"), "not a folder"));
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path("Recent"));
        QDir(path("Recent")).removeRecursively();
        events.clear();
        c.prepare();
        SmtpStub smtp;
        smtp.Start();
        clients.IdSMTP.Port = smtp.Port();
        host.current = &host.pane; // picked, so no question

        EXPECT_TRUE(delivery().SendRun(host));

        EXPECT_EQ(events, (QStringList {kSent, notKept}));
        EXPECT_EQ(testfiles::read(path("tmp.jpg")), FakeHost::Picture(host.pane));
    }
}

TEST_F(DeliveryTest, APictureOfTheSameNameInTheSentFolderStaysAsItWas)
{
    SmtpStub smtp;
    smtp.Start();
    clients.IdSMTP.Port = smtp.Port();
    host.current = &host.pane; // picked, so no question
    ASSERT_TRUE(QDir(work).mkpath(QStringLiteral("Recent")));
    ASSERT_TRUE(testfiles::write(path("Recent/06-05-12_14-03-597.jpg"), "older picture"));

    EXPECT_TRUE(delivery().SendRun(host));

    EXPECT_EQ(events, QStringList {kSent});
    EXPECT_EQ(testfiles::read(path("Recent/06-05-12_14-03-597.jpg")), "older picture");
    EXPECT_FALSE(QFile::exists(path("tmp.jpg")));
}

TEST_F(DeliveryTest, ARenderThatFailsGoesToTheErrorBoxAndTheRunFails)
{
    SmtpStub smtp;
    smtp.Start();
    clients.IdSMTP.Port = smtp.Port();
    host.renderFails = true;

    EXPECT_FALSE(delivery().SendRun(host));

    ASSERT_EQ(prompt.History().size(), 2);
    EXPECT_EQ(prompt.History()[0],
              ScriptedPrompt::SystemMessage(QStringLiteral("tmp.bmp を書けません。"), Msg::IconError));
    EXPECT_EQ(prompt.History()[1], ScriptedPrompt::Message(kFailed, Msg::IconError));
    EXPECT_EQ(smtp.Connections(), 0);
}

TEST_F(DeliveryTest, AServerRouteRecipientIsUploadedFirstAndGetsTheLink)
{
    QTemporaryDir ftpDir;
    ScriptedServer ftp;
    ftp.FtpLogin().FtpUpload();
    ftp.Start();
    SmtpStub smtp;
    smtp.Start();
    clients.IdSMTP.Port = smtp.Port();
    settings.Host = QStringLiteral("127.0.0.1");
    settings.Port = QString::number(ftp.Port());
    settings.FTPUserID = QStringLiteral("hanako");
    settings.FTPPassword = QStringLiteral("pw");
    settings.Folder = QStringLiteral("/pictures");
    settings.Url = QStringLiteral("http://example.jp/p/");
    host.pane.ServerRoute = true;
    host.current = &host.pane;

    EXPECT_TRUE(delivery().SendRun(host));

    EXPECT_EQ(ftp.Error(), QString());
    EXPECT_EQ(ftp.Received(),
              "USER hanako\r\nPASS pw\r\nTYPE I\r\nSYST\r\nCWD /pictures\r\nPASV\r\n"
              "STOR 06-05-12_14-03-597.jpg\r\n");
    EXPECT_EQ(ftp.DataReceived(), FakeHost::Picture(host.pane));
    ASSERT_EQ(smtp.Mails().size(), 1);
    const QByteArray data = smtp.Mails()[0].data;
    EXPECT_TRUE(data.contains("\r\nhttp://example.jp/p/06-05-12_14-03-597.jpg\r\n")) << data.toStdString();
    EXPECT_EQ(Attachment(data), FakeHost::Picture(host.pane));
    EXPECT_EQ(window.statuses,
              QStringList({"FTPサーバーに接続しています…", "FTPサーバー接続完了．", "アップロード中…",
                           "アップロード完了．", kSmtpStatuses[0], kSmtpStatuses[1], kSmtpStatuses[2]}));
    EXPECT_EQ(window.activeClients, QList<int>({MailClients::Ftp, MailClients::Smtp}));
    EXPECT_EQ(clock.pauses, QList<int>({250, 250, 500, 250, 250, 250, 500, 250, 250}));
    EXPECT_EQ(events, QStringList {kSent});
}

TEST_F(DeliveryTest, AnFtpPortThatIsNoNumberStopsBeforeAnyConnection)
{
    settings.Port = QStringLiteral("21a");
    host.pane.ServerRoute = true;

    EXPECT_FALSE(delivery().SendRun(host));

    ASSERT_EQ(prompt.History().size(), 2);
    EXPECT_EQ(prompt.History()[0],
              ScriptedPrompt::SystemMessage(
                  QStringLiteral("FTPサーバーのポート番号「21a」が正しくありません。"), Msg::IconError));
    EXPECT_EQ(prompt.History()[1].text, kFailed);
    EXPECT_FALSE(window.showing);
    EXPECT_FALSE(delivery().Watchdog().IsActive());
}

TEST_F(DeliveryTest, PopBeforeSmtpLogsInOnceARunAndAgainForAScheduledMail)
{
    ScriptedServer pop;
    pop.Send("+OK POP3 ready\r\n")
        .ReadLine()
        .Send("+OK\r\n")
        .ReadLine()
        .Send("+OK Logged in.\r\n")
        .ReadLine();
    pop.Start();
    SmtpStub smtp;
    smtp.Start();
    clients.IdSMTP.Port = smtp.Port();
    clients.IdPOP3.Port = pop.Port();
    settings.UsePOP3 = true;
    host.book.Append(Entry(QStringLiteral("次郎"), QStringLiteral("jiro@example.jp")));
    host.book.Append(Entry(QStringLiteral("三郎"), QStringLiteral("saburo@example.jp")));
    host.further = {&host.book.Get(0), &host.book.Get(1)};
    host.current = &host.pane;

    EXPECT_TRUE(delivery().SendRun(host));
    EXPECT_EQ(pop.Error(), QString());
    EXPECT_EQ(pop.Received(), "USER taro\r\nPASS secret\r\nQUIT\r\n");
    EXPECT_EQ(smtp.Mails().size(), 3);
    EXPECT_EQ(window.statuses.mid(0, 3),
              QStringList({"POP3サーバーに接続しています…", "POP3認証中…", "POP3認証完了．"}));
    EXPECT_EQ(window.statuses.count(QStringLiteral("POP3認証完了．")), 1);

    // Outside a run every mail is a first one.
    ScriptedServer pop2;
    pop2.Send("+OK POP3 ready\r\n")
        .ReadLine()
        .Send("+OK\r\n")
        .ReadLine()
        .Send("+OK Logged in.\r\n")
        .ReadLine();
    pop2.Start();
    clients.IdPOP3.Port = pop2.Port();
    ASSERT_TRUE(testfiles::write(path("tmp.jpg"), "\xff\xd8 scheduled"));
    PictureMail mail;
    mail.FromAddress = settings.FromAddress;
    mail.PictureName = QStringLiteral("06-05-12_15-00-00.jpg");
    mail.Subject = QStringLiteral("タブリン－自動撮影");
    mail.RecipientAddress = QStringLiteral("hanako@example.jp");
    EXPECT_TRUE(delivery().SendPicture(mail));
    EXPECT_EQ(pop2.Received(), "USER taro\r\nPASS secret\r\nQUIT\r\n");
    EXPECT_EQ(smtp.Mails().size(), 4);
}

// Cancel while the server keeps silent after the message: the SMTP step's message for the broken
// connection, then the run's.
TEST_F(DeliveryTest, CancelWhileTheServerStallsBreaksTheConnection)
{
    SmtpStub smtp;
    smtp.SetStall(SmtpStub::Stall::AfterData);
    smtp.Start();
    clients.IdSMTP.Port = smtp.Port();
    host.book.Append(Entry(QStringLiteral("次郎"), QStringLiteral("jiro@example.jp")));
    host.further = {&host.book.Get(0)};
    int waiting = 0;
    clock.onPump = [&] {
        // The user presses cancel a while after the message went.
        if (window.statuses.endsWith(kSmtpStatuses[1]) && window.position == window.ProgressMaximum()
            && ++waiting == 20 && window.showing)
            window.Cancel();
    };

    EXPECT_FALSE(delivery().SendRun(host));

    EXPECT_EQ(waiting, 20);
    EXPECT_EQ(events, QStringList({kSmtpClosed, kCancelled}));
    EXPECT_EQ(smtp.Connections(), 1);
    EXPECT_FALSE(clients.IdSMTP.Connected());
    EXPECT_EQ(window.active, MailClients::None);
    EXPECT_EQ(host.history.Count(), 0);
    EXPECT_FALSE(QDir(path("Recent")).exists());
}

// A greeting that never comes: the watchdog saves what closing would save, tells the user, ends
// the program and breaks the step off; the run shows nothing more.
TEST_F(DeliveryTest, TheWatchdogSavesTellsAndEndsWhenTheServerStalls)
{
    SmtpStub smtp;
    smtp.SetStall(SmtpStub::Stall::Greeting);
    smtp.Start();
    clients.IdSMTP.Port = smtp.Port();
    host.book.Append(Entry(QStringLiteral("次郎"), QStringLiteral("jiro@example.jp")));
    bool stopped = false;
    delivery().StopIntervalTimer = [&] {
        stopped = true;
    };
    delivery().SetTimeOutIntervals(300, 600);
    // Every pump of the silent wait stands for 50 ms on the watchdog's clock.
    clock.onPump = [&] {
        clock.Advance(50);
    };

    EXPECT_FALSE(delivery().SendRun(host));

    EXPECT_EQ(events,
              QStringList({"save", "タイムアウトエラー：ネットワークから応答がありません。",
                           "プログラムを続行できません。", "quit"}));
    EXPECT_TRUE(delivery().Ending());
    EXPECT_GT(clock.pumps, 3); // the window kept living while the server was silent
    ASSERT_EQ(TAddressBook::ReadFile(path("Tavrin.ADX")).size(), 1);
    EXPECT_EQ(TAddressBook::ReadFile(path("Tavrin.ADX"))[0].Address, QStringLiteral("jiro@example.jp"));
    EXPECT_FALSE(clients.IdSMTP.Connected());
    EXPECT_FALSE(delivery().Watchdog().IsActive());
    EXPECT_EQ(host.history.Count(), 0);
    // Nothing is sent once the program ends.
    PictureMail mail;
    EXPECT_FALSE(delivery().SendPicture(mail));
    EXPECT_FALSE(delivery().SendRun(host));
    EXPECT_EQ(smtp.Connections(), 1);
    EXPECT_EQ(events.size(), 4);
}

// Servers that misbehave on the wire: each ends in its step's message and the run's, and nothing
// counts as sent.
TEST_F(DeliveryTest, BadInputOnTheWireEndsTheRunWithTheStepsMessage)
{
    RefusingPort nobody;
    const QByteArray pasvElsewhere = QByteArray("227 Entering Passive Mode (127,0,0,2,")
        + QByteArray::number(nobody.Port() / 256) + ',' + QByteArray::number(nobody.Port() % 256) + ")\r\n";
    const struct
    {
        const char *what;
        bool ftp;
        std::function<void(ScriptedServer &)> script;
        QString message;
    } cases[] = {
        {"an endless line", false, [](ScriptedServer &s) { s.Send(QByteArray(40000, 'x')); },
         "SMTPエラー：\nMax line length exceeded."},
        {"a reply without its line end, then a close", false,
         [](ScriptedServer &s) { s.Send("220 ready").Close(); }, kSmtpClosed},
        {"a close in the middle of the message", false,
         [](ScriptedServer &s) {
             s.Send("220 ready\r\n");
             for (const char *reply : {"250 ok", "250 ok", "250 ok", "250 ok", "354 go ahead"})
                 s.ReadLine().Send(QByteArray(reply) + "\r\n");
             s.ReadUntil("Content-Type").Close();
         },
         kSmtpClosed},
        {"a passive reply naming another host", true,
         [&](ScriptedServer &s) {
             s.Send("220 FTP ready\r\n");
             for (const char *reply :
                  {"230 Logged in", "200 Type set to I", "215 UNIX Type: L8", "250 CWD ok"})
                 s.ReadLine().Send(QByteArray(reply) + "\r\n");
             s.ReadLine().Send(pasvElsewhere).ReadLine();
         },
         "ソケットエラー：10061"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        events.clear();
        ScriptedServer server;
        c.script(server);
        server.Start();
        SmtpStub smtp;
        smtp.Start();
        clients.IdSMTP.Port = c.ftp ? smtp.Port() : server.Port();
        settings.Host = QStringLiteral("127.0.0.1");
        settings.Port = QString::number(server.Port());
        settings.Folder = QStringLiteral("/pictures");
        settings.Url = QStringLiteral("http://example.jp/p/");
        host.pane.ServerRoute = c.ftp;
        host.current = &host.pane;

        EXPECT_FALSE(delivery().SendRun(host));

        EXPECT_EQ(events, QStringList({c.message, kFailed}));
        EXPECT_EQ(server.Error(), QString());
        EXPECT_EQ(smtp.Connections(), 0);
        EXPECT_FALSE(window.showing);
        EXPECT_FALSE(delivery().Watchdog().IsActive());
        EXPECT_EQ(host.history.Count(), 0);
        EXPECT_FALSE(QDir(path("Recent")).exists());
    }
}

TEST_F(DeliveryTest, WithoutDialUpEntriesTheRunEndsAtOnceWithItsOneMessage)
{
    settings.Connect = false;
    EXPECT_FALSE(delivery().SendRun(host));
    EXPECT_EQ(events, QStringList {"ダイヤルアップネットワークに接続設定がありません。"});
    EXPECT_EQ(delivery().Watchdog().Interval(), 30000);
    EXPECT_TRUE(delivery().FirstMessage());
    EXPECT_TRUE(dialUpService.dialed.isEmpty());
}

TEST_F(DeliveryTest, ADialThatFailsEndsTheRunWithoutTheReport)
{
    dialUpService.entries = {QStringLiteral("isp")};
    dialUpService.dialConnects = false;
    settings.Connect = false;

    EXPECT_FALSE(delivery().SendRun(host));
    EXPECT_EQ(events, QStringList {"インターネットに接続できません。"});
    EXPECT_EQ(dialUpService.dialed, QStringList {"isp"});
}

// After a send over dial-up with the connection still up: the report, the hang-up question, then
// the address book question for a recipient typed by hand.
TEST_F(DeliveryTest, AfterADialUpSendTheQuestionsComeInOrder)
{
    SmtpStub smtp;
    smtp.Start();
    clients.IdSMTP.Port = smtp.Port();
    dialUpService.entries = {QStringLiteral("isp"), QStringLiteral("mobile")};
    dialUpService.connection = QStringLiteral("conn-other"); // up already, to whatever entry
    settings.Connect = false;
    prompt.Answer(Msg::Yes);
    prompt.Answer(Msg::No);

    EXPECT_TRUE(delivery().SendRun(host));

    EXPECT_EQ(events, QStringList({kSent, kHangUpQuestion, kAddQuestion}));
    EXPECT_EQ(prompt.History()[1],
              ScriptedPrompt::Message(kHangUpQuestion, Msg::IconQuestion, Msg::ButtonsYesNo));
    EXPECT_TRUE(dialUpService.dialed.isEmpty());
    EXPECT_EQ(dialUpService.hungUp, QStringList {"conn-other"});
    EXPECT_EQ(delivery().Watchdog().Interval(), 30000);
    EXPECT_EQ(host.book.Count(), 0);
}

} // namespace
