#include "mainwindow/model/MainModel.h"
#include "common/Exception.h"
#include "common/UserData.h"
#include "mail/AddressBook.h"
#include "mainwindow/model/FileSourceModel.h"
#include "picture/BmpFile.h"
#include "picture/JpegCodec.h"
#include "support/Entries.h"
#include "support/Files.h"
#include "support/MainFakes.h"
#include "support/Pictures.h"
#include "support/ScriptedPrompt.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

using testentries::Entry;

using Mode = MainModel::Mode;
using Pane = MainModel::StepPane;
using S = ScriptedPrompt;

class MainModelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(testfiles::copySounds(dir.path()));
        settings.FromAddress = "me@example.jp";
    }

    QString work() const { return dir.path() + '/'; }
    QString file(const QString &name) const { return dir.filePath(name); }

    void writeBook(const QString &name, const QList<TMailAddress> &entries)
    {
        TAddressBook book(work());
        for (const TMailAddress &e : entries)
            book.Append(e);
        book.Save(name);
    }

    MainModel &make()
    {
        model = std::make_unique<MainModel>(MainModel::Context {work(), settings, prompt, dialogs, [this] {
                                                                    ++pumps;
                                                                }});
        model->SetCamera(&camera);
        model->SetSchedule(&schedule);
        model->SetSendRunner(&sender);
        model->SetDialUp(&dialUp);
        return *model;
    }
    MainModel &created()
    {
        make();
        model->FormCreate();
        return *model;
    }
    QString picture()
    {
        const QString path = file("photo.bmp");
        EXPECT_TRUE(SaveBmpFile(path, testpictures::photo(64, 48)));
        return path;
    }
    // The window in the picture settings step with a picture on the canvas.
    MainModel &atStep1()
    {
        created();
        EXPECT_TRUE(model->Canvas().LoadPicture(picture()));
        model->btnMailCreateClick();
        return *model;
    }
    MainModel &atStep3()
    {
        atStep1();
        model->btnFwdClick();
        model->Recipient().SetAddressText("friend@example.jp");
        model->btnFwdClick();
        return *model;
    }

    QTemporaryDir dir;
    TUserData settings {dir.path() + '/'};
    ScriptedPrompt prompt;
    FakeDialogs dialogs;
    FakeCamera camera;
    FakeSchedule schedule;
    FakeSendRunner sender;
    FakeDialUp dialUp;
    int pumps = 0;
    std::unique_ptr<MainModel> model;
};

// ---- Construction and closing

TEST_F(MainModelTest, ReadsBothSoundsWholeAndFailsNamingAMissingOne)
{
    MainModel &m = make();
    EXPECT_EQ(m.ShutterSound(), testfiles::read(testfiles::source("resources/shutter.wav")));
    EXPECT_EQ(m.SelfTimerSound(), testfiles::read(testfiles::source("resources/self.wav")));

    ASSERT_TRUE(QFile::remove(file("self.wav")));
    try {
        make();
        FAIL() << "built without self.wav";
    } catch (const Exception &e) {
        EXPECT_TRUE(e.Message().contains("self.wav")) << e.Message().toStdString();
    }
}

TEST_F(MainModelTest, VersionTwoZeroAsksOnceAboutTheFtpServerAndClearsTheServerRoutes)
{
    writeBook("Tavrin.ADX", {Entry("A", "a@docomo.ne.jp", 1, 1, 132, 176, true)});
    writeBook("History.ADX", {Entry("A", "a@docomo.ne.jp", 1, 1, 132, 176, true)});
    settings.Major = 2;
    settings.Minor = 0;
    settings.DedicatedServer = true;
    prompt.Answer(Msg::Yes);
    MainModel &m = make();

    ASSERT_EQ(prompt.History().size(), 1);
    EXPECT_EQ(prompt.History().first().kind, S::Kind::SystemMessageBox);
    EXPECT_EQ(prompt.History().first().text,
              "※ＦＴＰサーバーについて※\n\nDoCoMoのメールシステム拡張により、mova（50x/25x/21xシリーズ）に\n"
              "対してＦＴＰサーバーを使用しなくとも画像を送れるようになりました。\n\n"
              "ＦＴＰサーバーを使用しないように設定を変更しますか？\n");
    EXPECT_EQ(prompt.History().first().icon, Msg::IconExclamation);
    EXPECT_EQ(prompt.History().first().buttons, Msg::ButtonsYesNo);
    EXPECT_TRUE(settings.UseServer);
    EXPECT_FALSE(settings.DedicatedServer);
    EXPECT_EQ(settings.Minor, 1);
    EXPECT_FALSE(m.AddressBook().Get(0).ServerRoute);
    EXPECT_FALSE(m.History().Get(0).ServerRoute);
    // The address book file is written at once; the history only at close.
    EXPECT_FALSE(TAddressBook::ReadFile(file("Tavrin.ADX")).first().ServerRoute);
    EXPECT_TRUE(TAddressBook::ReadFile(file("History.ADX")).first().ServerRoute);

    // Answered No: only the version changes.
    TUserData again {QString()};
    again.Major = 2;
    again.Minor = 0;
    ScriptedPrompt no;
    no.Answer(Msg::No);
    MainModel second(MainModel::Context {work(), again, no, dialogs, {}});
    EXPECT_EQ(again.Minor, 1);
    EXPECT_FALSE(again.UseServer);

    // Version 2.1 is not asked.
    ScriptedPrompt quiet;
    MainModel third(MainModel::Context {work(), again, quiet, dialogs, {}});
    EXPECT_TRUE(quiet.History().isEmpty());
}

TEST_F(MainModelTest, FormCreateSetsUpTheCameraTheSentFoldersDropsAndThePort)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("Recent"));
    settings.UseOP25B = true;
    settings.UseServer = true;
    MainModel &m = created();
    EXPECT_EQ(camera.calls, QStringList {"setup"});
    EXPECT_TRUE(m.CameraModesEnabled());
    EXPECT_TRUE(m.OpenRecentEnabled());
    EXPECT_FALSE(m.OpenIntervalEnabled());
    EXPECT_TRUE(m.AcceptDrops());
    EXPECT_EQ(m.SmtpPort(), 587);
    EXPECT_TRUE(m.Recipient().ServerRouteShown());
    EXPECT_TRUE(prompt.History().isEmpty());

    // Without a camera only File mode works, and nothing is said.
    camera.works = false;
    settings.UseOP25B = false;
    MainModel &n = created();
    EXPECT_FALSE(n.CameraModesEnabled());
    EXPECT_EQ(n.SmtpPort(), 25);
    EXPECT_TRUE(prompt.History().isEmpty());
}

TEST_F(MainModelTest, TheWindowIsCentredOnlyForMinusOneMinusOne)
{
    struct Case
    {
        int x, y;
        QPoint expected;
    };
    const Case cases[] = {
        {-1, -1, QPoint(255, 215)}, // (1024 - 514) / 2, (768 - 338) / 2
        {-1, 120, QPoint(-1, 120)},
        {30, -1, QPoint(30, -1)},
        {0, 0, QPoint(0, 0)},
    };
    MainModel &m = make();
    for (const Case &c : cases) {
        settings.x = c.x;
        settings.y = c.y;
        EXPECT_EQ(m.WindowPosition(QSize(1024, 768), QSize(514, 338)), c.expected) << c.x << "," << c.y;
    }
    settings.x = settings.y = -1;
    EXPECT_EQ(m.WindowPosition(QSize(1023, 767), QSize(514, 339)), QPoint(254, 214)); // halves truncated
}

TEST_F(MainModelTest, AFirstShowWithoutSenderAsksForTheSettingsAndSavesEvenAfterACancel)
{
    settings.FromAddress.clear();
    MainModel &m = created();
    QSignalSpy refilled(&m.Recipient(), &RecipientModel::listsRefilled);
    m.FormShow();
    EXPECT_EQ(prompt.History(),
              (QList<S::Shown> {S::SystemMessage("ユーザー設定を行って下さい。", Msg::IconInformation)}));
    EXPECT_EQ(dialogs.configShown, 1);
    EXPECT_TRUE(QFile::exists(file("tav.ini")));
    EXPECT_EQ(dialogs.sendingHides, 1);
    EXPECT_EQ(refilled.count(), 1);

    // Shown again with a sender: no question, no second refill.
    settings.FromAddress = "me@example.jp";
    m.FormShow();
    EXPECT_EQ(dialogs.configShown, 1);
    EXPECT_EQ(refilled.count(), 1);
}

TEST_F(MainModelTest, AnAcceptedFirstRunDialogAppliesThePortAtOnce)
{
    settings.FromAddress.clear();
    MainModel &m = created();
    dialogs.configAccepted = true;
    dialogs.onConfig = [this] {
        settings.FromAddress = "me@example.jp";
        settings.UseOP25B = true;
    };
    m.FormShow();
    EXPECT_EQ(m.SmtpPort(), 587);
}

TEST_F(MainModelTest, ClosingIsRefusedSilentlyWhileAScheduleRunsAndOtherwiseAsked)
{
    MainModel &m = created();
    schedule.running = true;
    EXPECT_FALSE(m.FormCloseQuery());
    EXPECT_TRUE(prompt.History().isEmpty());

    schedule.running = false;
    prompt.Answer(Msg::No);
    prompt.Answer(Msg::Yes);
    EXPECT_FALSE(m.FormCloseQuery());
    EXPECT_TRUE(m.FormCloseQuery());
    EXPECT_EQ(prompt.Texts(), (QStringList {"終了しますか？", "終了しますか？"}));
    EXPECT_EQ(prompt.History().first().icon, Msg::IconQuestion);
}

TEST_F(MainModelTest, ClosingKeepsTenHistoryEntriesAndTenFoldersAndThePlace)
{
    QList<TMailAddress> history;
    for (int i = 0; i < 15; ++i)
        history << Entry(QString("N%1").arg(i), QString("n%1@example.jp").arg(i));
    writeBook("History.ADX", history);
    QByteArray folders;
    for (int i = 0; i < 12; ++i)
        folders += QString("/photos/%1\r\n").arg(i).toLatin1();
    ASSERT_TRUE(testfiles::write(file("Folder.hst"), folders));
    MainModel &m = created();
    ASSERT_EQ(m.History().Count(), 15);
    ASSERT_EQ(m.Folders().Items().size(), 12);

    m.FormClose(QPoint(-1, 120));

    EXPECT_EQ(TAddressBook::ReadFile(file("History.ADX")), history.mid(0, 10));
    QByteArray ten;
    for (int i = 0; i < 10; ++i)
        ten += QString("/photos/%1\r\n").arg(i).toLatin1();
    EXPECT_EQ(testfiles::read(file("Folder.hst")), ten);
    TUserData saved(work());
    ASSERT_TRUE(saved.LoadFromWorkFolder());
    EXPECT_EQ(saved.x, -1);
    EXPECT_EQ(saved.y, 120);
    EXPECT_TRUE(QFile::exists(file("Tavrin.ADX")));
    EXPECT_FALSE(m.AcceptDrops());
}

// A folder history the program could not read is said once at the start and left as it is at the
// end: the folders of this run are not worth the file's.
TEST_F(MainModelTest, AFolderHistoryThatCannotBeReadIsSaidOnceAndNotWrittenBack)
{
    const QByteArray large = "/photos\r\n" + QByteArray(FolderHistory::kMaxFileBytes, 'x');
    ASSERT_TRUE(testfiles::write(file("Folder.hst"), large));
    MainModel &m = created();
    EXPECT_EQ(
        prompt.History(),
        QList {ScriptedPrompt::Message(
            QStringLiteral("フォルダの履歴 %1 を読めません: ファイルが大きすぎます（65536 バイトまで）\n"
                           "このファイルは書き換えずに残します。")
                .arg(file("Folder.hst")),
            Msg::IconExclamation)});
    m.Folders().RememberFolder(dir.path());
    m.FormClose(QPoint(10, 20));
    EXPECT_EQ(testfiles::read(file("Folder.hst")), large);
    EXPECT_EQ(prompt.History().size(), 1);
}

TEST_F(MainModelTest, ClosingAsksAboutTheDialUpConnectionOnlyWithoutAPermanentOne)
{
    struct Case
    {
        bool connect;
        bool connected;
        int answer; // 0: no question expected
        int hangUps;
    };
    const Case cases[] = {
        {true, true, 0, 0},
        {false, false, 0, 0},
        {false, true, Msg::No, 0},
        {false, true, Msg::Yes, 1},
    };
    for (const Case &c : cases) {
        settings.Connect = c.connect;
        dialUp = FakeDialUp();
        dialUp.connected = c.connected;
        prompt.Clear();
        if (c.answer)
            prompt.Answer(c.answer);
        MainModel &m = created();
        m.FormClose(QPoint(0, 0));
        EXPECT_EQ(dialUp.inUse, !c.connect);
        EXPECT_EQ(dialUp.refreshes, 1);
        EXPECT_EQ(dialUp.hangUps, c.hangUps);
        EXPECT_EQ(prompt.Texts(),
                  c.answer ? QStringList {"インターネットとの接続を解除しますか？"} : QStringList {})
            << c.connect << c.connected;
    }
}

// ---- Workflow

TEST_F(MainModelTest, StartsInFileModeWithNextDisabledUntilAPictureExists)
{
    MainModel &m = created();
    EXPECT_EQ(m.CurrentMode(), Mode::File);
    EXPECT_FALSE(m.MailStageShown());
    EXPECT_EQ(m.MailStep(), 0u);
    EXPECT_TRUE(m.ModeMarkerShown());
    EXPECT_FALSE(m.MailCreateEnabled());
    EXPECT_FALSE(m.Canvas().IsEnabled());

    ASSERT_TRUE(m.Canvas().LoadPicture(picture()));
    EXPECT_TRUE(m.MailCreateEnabled());
    // Never disabled again, also in Camera mode before a shot.
    m.btnCameraModeClick();
    EXPECT_TRUE(m.MailCreateEnabled());
}

TEST_F(MainModelTest, NextWithNoSizeSelectedChooses240x320AndHigh)
{
    MainModel &m = atStep1();
    EXPECT_EQ(m.Canvas().Settings().SizePreset(), 2);
    EXPECT_EQ(m.Canvas().Settings().QualityLevel(), 2);
    EXPECT_TRUE(m.MailStageShown());
    EXPECT_EQ(m.MailStep(), 1u);
    EXPECT_EQ(m.CurrentStepPane(), Pane::PictureConfig);
    EXPECT_TRUE(m.Canvas().IsEnabled());
    EXPECT_FALSE(m.ModeMarkerShown());
    EXPECT_FALSE(m.AcceptDrops());
    EXPECT_EQ(m.FwdLabel(), "\\n次へ");
    EXPECT_EQ(m.Canvas().FrameSize(), QSize(240, 320));

    // A size chosen before is kept.
    m.btnBackClick();
    m.Canvas().Settings().SetSizePreset(0);
    m.Canvas().Settings().SetQualityLevel(1);
    m.btnMailCreateClick();
    EXPECT_EQ(m.Canvas().Settings().SizePreset(), 0);
    EXPECT_EQ(m.Canvas().Settings().QualityLevel(), 1);
    EXPECT_EQ(m.Canvas().FrameSize(), QSize(240, 240));
}

TEST_F(MainModelTest, StepsTwoAndThreeAndBackAgain)
{
    MainModel &m = atStep1();
    m.btnFwdClick();
    EXPECT_EQ(m.MailStep(), 2u);
    EXPECT_EQ(m.CurrentStepPane(), Pane::SendTo);
    EXPECT_FALSE(m.Canvas().IsEnabled());
    EXPECT_EQ(m.FwdLabel(), "\\n次へ");

    // Next without an address stays at step 2.
    m.btnFwdClick();
    EXPECT_EQ(m.MailStep(), 2u);
    EXPECT_EQ(prompt.History(),
              (QList<S::Shown> {S::Message("宛先を設定して下さい。", Msg::IconExclamation)}));

    m.Recipient().SetAddressText("friend@example.jp");
    m.btnFwdClick();
    EXPECT_EQ(m.MailStep(), 3u);
    EXPECT_EQ(m.CurrentStepPane(), Pane::EditMail);
    EXPECT_EQ(m.FwdLabel(), "\\n送信");

    // Back to step 2 unticks the server route.
    m.Recipient().chkDoCoMoMouseDown(true);
    prompt.Clear();
    m.btnBackClick();
    EXPECT_EQ(m.MailStep(), 2u);
    EXPECT_FALSE(m.Recipient().ServerRoute());
    m.btnBackClick();
    EXPECT_EQ(m.MailStep(), 1u);
    EXPECT_TRUE(m.Canvas().IsEnabled());
    m.btnBackClick();
    EXPECT_EQ(m.MailStep(), 0u);
    EXPECT_FALSE(m.MailStageShown());
    EXPECT_TRUE(m.ModeMarkerShown());
    EXPECT_TRUE(m.AcceptDrops());
}

TEST_F(MainModelTest, BackFromStepOneEmptiesTheFurtherRecipientsAndAcceptsDropsInCameraMode)
{
    writeBook("Tavrin.ADX", {Entry("A", "a@example.jp"), Entry("B", "b@example.jp", 1, 2, 132, 176)});
    MainModel &m = created();
    m.btnCameraModeClick();
    EXPECT_FALSE(m.AcceptDrops());
    ASSERT_TRUE(m.Canvas().LoadPicture(picture()));
    m.btnMailCreateClick();
    m.btnFwdClick();
    dialogs.chosenAddresses = {0, 1};
    m.Recipient().btnAddressMailClick();
    m.Recipient().btnAddCCClick();
    ASSERT_EQ(m.Recipient().CC().size(), 1);
    m.btnBackClick();
    m.btnBackClick();
    EXPECT_EQ(m.CurrentMode(), Mode::Camera);
    EXPECT_TRUE(m.Recipient().CC().isEmpty());
    EXPECT_TRUE(m.AcceptDrops());
}

TEST_F(MainModelTest, AModeButtonInTheMailStageReturnsToThePictureStageAndNextStartsAtStepOne)
{
    for (const auto mode : {Mode::File, Mode::Camera, Mode::Auto}) {
        for (const int stage : {2, 3}) {
            MainModel &m = atStep3();
            if (stage == 2)
                m.btnBackClick();
            camera.calls.clear();
            switch (mode) {
            case Mode::File:
                m.btnFileModeClick();
                break;
            case Mode::Camera:
                m.btnCameraModeClick();
                break;
            case Mode::Auto:
                m.btnAutoModeClick();
                break;
            }
            EXPECT_FALSE(m.MailStageShown());
            EXPECT_EQ(m.CurrentMode(), mode);
            EXPECT_TRUE(m.ModeMarkerShown());
            EXPECT_EQ(m.MailStep(), unsigned(stage)); // kept until the next Next
            EXPECT_EQ(m.Canvas().FrameSize(), QSize(240, 320));
            if (mode == Mode::Auto)
                continue; // Next there starts a schedule
            m.btnMailCreateClick();
            EXPECT_EQ(m.MailStep(), 1u);
            EXPECT_EQ(m.CurrentStepPane(), Pane::PictureConfig);
        }
    }
}

TEST_F(MainModelTest, CameraModeTurnsTheLiveViewOnAndRefusesDrops)
{
    MainModel &m = created();
    camera.calls.clear();
    m.btnCameraModeClick();
    EXPECT_EQ(camera.calls, QStringList {"camera mode"});
    EXPECT_TRUE(camera.on);
    EXPECT_TRUE(m.PictureBackShown());
    EXPECT_FALSE(m.AcceptDrops());
    EXPECT_TRUE(prompt.History().isEmpty());

    m.btnFileModeClick();
    EXPECT_FALSE(camera.on);
    EXPECT_TRUE(m.AcceptDrops());
    EXPECT_TRUE(m.Canvas().PictureShown());
}

TEST_F(MainModelTest, AFailingCameraLeavesTheModesEnteredAllTheSame)
{
    MainModel &m = created();
    camera.works = false;
    m.btnCameraModeClick();
    EXPECT_EQ(m.CurrentMode(), Mode::Camera);
    EXPECT_TRUE(m.PictureBackShown());
    m.btnAutoModeClick();
    EXPECT_EQ(m.CurrentMode(), Mode::Auto);
    EXPECT_FALSE(camera.on);
}

TEST_F(MainModelTest, AutoModeHidesThePictureAndPreviewsSlowly)
{
    MainModel &m = created();
    camera.calls.clear();
    const int pumped = pumps;
    m.btnAutoModeClick();
    EXPECT_EQ(schedule.entered, 1);
    EXPECT_FALSE(m.Canvas().PictureShown());
    EXPECT_EQ(camera.calls, QStringList {"auto mode"});
    EXPECT_GT(pumps, pumped);
    EXPECT_FALSE(m.AcceptDrops());

    // Next there starts a schedule; declined, nothing changes.
    m.btnMailCreateClick();
    EXPECT_EQ(schedule.starts, 1);
    EXPECT_FALSE(m.MailStageShown());
    EXPECT_EQ(m.MailStep(), 0u);

    // Esc reaches the schedule only while the Auto pane shows.
    m.FormKeyPress(Qt::Key_Escape);
    m.FormKeyPress(Qt::Key_Enter);
    m.btnFileModeClick();
    m.FormKeyPress(Qt::Key_Escape);
    EXPECT_EQ(schedule.escapes, 1);
}

TEST_F(MainModelTest, SendingAsksFirstAndStaysAtStepThreeOnNoOrFailure)
{
    MainModel &m = atStep3();
    prompt.Clear();
    prompt.Answer(Msg::No);
    m.btnFwdClick();
    EXPECT_EQ(prompt.History(),
              (QList<S::Shown> {S::Message("送信しますか？", Msg::IconQuestion, Msg::ButtonsYesNo)}));
    EXPECT_EQ(sender.runs, 0);
    EXPECT_EQ(m.MailStep(), 3u);
    EXPECT_TRUE(m.MailStageShown());

    // The button keeps its send caption while the question and the run are on the screen.
    QString labelAsked;
    prompt.onShow = [&](const S::Shown &) {
        labelAsked = m.FwdLabel();
    };
    bool disabledDuring = false;
    QString labelDuring;
    sender.during = [&] {
        disabledDuring = !m.WindowEnabled();
        labelDuring = m.FwdLabel();
    };
    prompt.Answer(Msg::Yes);
    m.btnFwdClick();
    prompt.onShow = nullptr;
    EXPECT_EQ(sender.runs, 1);
    EXPECT_EQ(labelAsked, "\\n送信");
    EXPECT_EQ(labelDuring, "\\n送信");
    EXPECT_TRUE(disabledDuring);
    EXPECT_TRUE(m.WindowEnabled());
    EXPECT_EQ(m.MailStep(), 3u);
    EXPECT_EQ(m.CurrentStepPane(), Pane::EditMail);
    EXPECT_EQ(dialogs.sendingHides, 0);
}

TEST_F(MainModelTest, ASuccessfulSendReturnsToThePictureStage)
{
    MainModel &m = atStep3();
    ASSERT_TRUE(QDir(dir.path()).mkdir("Interval"));
    m.Canvas().LayoutFrame(120, 120);
    sender.result = true;
    prompt.Answer(Msg::Yes);
    m.btnFwdClick();
    EXPECT_EQ(sender.runs, 1);
    EXPECT_FALSE(m.MailStageShown());
    EXPECT_EQ(m.MailStep(), 4u);
    EXPECT_TRUE(m.ModeMarkerShown());
    EXPECT_FALSE(m.Canvas().IsEnabled());
    EXPECT_EQ(m.Canvas().FrameSize(), QSize(240, 320));
    EXPECT_TRUE(m.AcceptDrops());
    EXPECT_TRUE(m.OpenIntervalEnabled());
    EXPECT_EQ(dialogs.sendingHides, 1);

    m.btnMailCreateClick();
    EXPECT_EQ(m.MailStep(), 1u);
}

TEST_F(MainModelTest, TheSettingsDialogCancelledChangesNothingAndAcceptedSavesAtOnce)
{
    MainModel &m = atStep3();
    const unsigned step = m.MailStep();
    dialogs.onConfig = [this] {
        settings.UseOP25B = true;
        settings.UseServer = true;
    };
    m.btnConfig1Click();
    EXPECT_EQ(dialogs.configShown, 1);
    EXPECT_FALSE(QFile::exists(file("tav.ini")));
    EXPECT_EQ(m.SmtpPort(), 25);
    EXPECT_FALSE(m.Recipient().ServerRouteShown());
    EXPECT_EQ(m.MailStep(), step);

    dialogs.configAccepted = true;
    m.btnConfig1Click();
    TUserData saved(work());
    ASSERT_TRUE(saved.LoadFromWorkFolder());
    EXPECT_TRUE(saved.UseOP25B);
    EXPECT_EQ(m.SmtpPort(), 587);
    EXPECT_TRUE(m.Recipient().ServerRouteShown());
    EXPECT_EQ(m.MailStep(), step);
}

TEST_F(MainModelTest, EveryHandlerHidesThePopupListFirst)
{
    MainModel &m = created();
    const QList<std::function<void()>> handlers = {
        [&] { m.btnFileModeClick(); },   [&] { m.btnCameraModeClick(); }, [&] { m.btnAutoModeClick(); },
        [&] { m.btnMailCreateClick(); }, [&] { m.btnConfig1Click(); },    [&] { m.PanelClick(); },
    };
    for (int i = 0; i < handlers.size(); ++i) {
        const int before = dialogs.popupHides;
        handlers[i]();
        EXPECT_EQ(dialogs.popupHides, before + 1) << "handler " << i;
    }
}

TEST_F(MainModelTest, TheOpenDialogLoadsThePictureAndGoesOnToStepOne)
{
    MainModel &m = created();
    m.FileSource().btnOpenDialogClick(); // cancelled
    EXPECT_FALSE(m.MailStageShown());

    dialogs.pictureToOpen = file("text.jpg");
    ASSERT_TRUE(testfiles::write(dialogs.pictureToOpen, "not a picture"));
    m.FileSource().btnOpenDialogClick();
    EXPECT_EQ(prompt.History(), (QList<S::Shown> {S::Message("画像が読み込めません。", Msg::IconError)}));
    EXPECT_FALSE(m.MailStageShown());

    dialogs.pictureToOpen = picture();
    m.FileSource().btnOpenDialogClick();
    EXPECT_TRUE(m.Canvas().HasPicture());
    EXPECT_EQ(m.MailStep(), 1u);
}

TEST_F(MainModelTest, DroppedFiles)
{
    const std::optional<QByteArray> jpeg = JpegEncoder().encode(testpictures::photo(20, 10), 90);
    ASSERT_TRUE(jpeg);
    ASSERT_TRUE(testfiles::write(file("PHOTO.JPG"), *jpeg));
    ASSERT_TRUE(QFile::copy(testfiles::source("resources/self.wav"), file("sound.jpg"))); // no picture inside
    ASSERT_TRUE(testfiles::write(file("photo.jpeg"), "x"));
    struct Case
    {
        QStringList files;
        S::Shown message; // empty text: none
        bool loaded;
    };
    const QString missing = file("gone.bmp");
    const Case cases[] = {
        {{file("a.bmp"), file("b.bmp")},
         S::Message("複数ファイルのドロップはできません。", Msg::IconExclamation),
         false},
        {{file("photo.jpeg")},
         S::Message("BMP/JPGファイル以外のファイルは編集できません。", Msg::IconExclamation),
         false},
        {{missing}, S::Message("画像ファイルが見つかりません：\n " + missing, Msg::IconError), false},
        {{file("sound.jpg")},
         S::Message("このファイルの画像は扱えません：\n " + file("sound.jpg"), Msg::IconError),
         false},
        {{file("PHOTO.JPG")}, {}, true},
    };
    for (const Case &c : cases) {
        prompt.Clear();
        MainModel &m = created();
        m.FileSource().HandleDroppedFiles(c.files);
        EXPECT_EQ(prompt.History(),
                  c.message.text.isEmpty() ? QList<S::Shown> {} : QList<S::Shown> {c.message})
            << c.files.join(',').toStdString();
        EXPECT_EQ(m.Canvas().HasPicture(), c.loaded);
        EXPECT_EQ(m.MailStep(), c.loaded ? 1u : 0u);
    }

    // While a schedule runs a drop does nothing at all.
    prompt.Clear();
    MainModel &m = created();
    schedule.running = true;
    m.FileSource().HandleDroppedFiles({file("photo.jpeg")});
    EXPECT_TRUE(prompt.History().isEmpty());
}

TEST_F(MainModelTest, TheSubjectHoldsAtMost36BytesOfTheCodePage)
{
    struct Case
    {
        QString typed;
        QString kept;
    };
    const QString kanji18 = QString("件").repeated(18);
    const Case cases[] = {
        {QString("a").repeated(36), QString("a").repeated(36)},
        {QString("a").repeated(37), QString("a").repeated(36)},
        {kanji18, kanji18},
        {kanji18 + "x", kanji18},
        {"a" + QString("件").repeated(18), "a" + QString("件").repeated(17)}, // no half character
        {QString("ｶ").repeated(40), QString("ｶ").repeated(36)}, // half-width kana: one byte each
    };
    for (const Case &c : cases)
        EXPECT_EQ(MainModel::LimitSubject(c.typed), c.kept) << c.typed.toStdString();
    MainModel &m = make();
    m.SetSubject(kanji18 + "abc");
    EXPECT_EQ(m.Subject(), kanji18);
}

} // namespace
