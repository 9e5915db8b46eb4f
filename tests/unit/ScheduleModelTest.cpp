#include "mainwindow/model/ScheduleModel.h"

#include "common/Exception.h"
#include "common/UserData.h"
#include "mainwindow/model/CameraModel.h"
#include "mainwindow/model/MainDialogs.h"
#include "mainwindow/model/PictureSender.h"
#include "picture/Capture.h"
#include "picture/JpegCodec.h"
#include "picture/PictureCanvas.h"
#include "support/Entries.h"
#include "support/FakeCaptureDevice.h"
#include "support/Files.h"
#include "support/ManualClock.h"
#include "support/RecordingSoundPlayer.h"
#include "support/ScriptedPrompt.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>

static void PrintTo(const QRect &r, std::ostream *os)
{
    *os << "(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ")";
}

namespace {

using Start = ScheduleModel::StartMode;

const QString kSmtpError = QStringLiteral("SMTPサーバーに接続できません。設定を確認して下さい。");

// Sends nothing: records each mail with the picture it would carry. A failure shows a message as the
// sending part does.
class RecordingSender : public PictureSender
{
public:
    explicit RecordingSender(Prompt &prompt, QString tmpJpg)
        : m_prompt(prompt)
        , m_tmpJpg(std::move(tmpJpg))
    { }

    std::deque<bool> results; // empty: success
    QList<PictureMail> mails;
    QList<QSize> pictures; // of "tmp.jpg" as it was sent

    bool SendPicture(const PictureMail &mail) override
    {
        mails << mail;
        const auto header = ReadJpegHeader(testfiles::read(m_tmpJpg));
        pictures << (header ? QSize(header->width, header->height) : QSize());
        bool ok = true;
        if (!results.empty()) {
            ok = results.front();
            results.pop_front();
        }
        if (!ok)
            m_prompt.ShowMessageBox(kSmtpError, Msg::IconError, Msg::ButtonsOk);
        return ok;
    }

private:
    Prompt &m_prompt;
    QString m_tmpJpg;
};

class RecordingDialogs : public MainDialogs
{
public:
    std::function<void()> onHide;
    int hidden = 0;
    void HideSendingWindow() override
    {
        ++hidden;
        if (onHide)
            onHide();
    }
};

// The size follows the preset (a user size of 200 x 300).
TMailAddress entry(const QString &name, const QString &address, int preset, int quality,
                   bool serverRoute = false)
{
    static constexpr QSize sizes[] = {{120, 120}, {132, 176}, {240, 320}, {200, 300}};
    return testentries::Entry(name, address, preset, quality, sizes[preset].width(), sizes[preset].height(),
                              serverRoute);
}

class ScheduleModelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        device.drivers = {FakeCaptureDevice::Driver(QStringLiteral("USB Camera"))};
        device.frameIntervalMs = 500; // hours of schedule in few frames
        settings.FromName = QStringLiteral("太郎");
        settings.FromAddress = QStringLiteral("taro@example.com");
        history.Append(entry(QStringLiteral("花子"), QStringLiteral("hanako@docomo.ne.jp"), 0, 1));
        history.Append(entry(QStringLiteral("FTP"), QStringLiteral("ftp@docomo.ne.jp"), 1, 1, true));
        history.Append(entry(QStringLiteral("User"), QStringLiteral("user@ezweb.ne.jp"), 3, 0));
        ASSERT_TRUE(camera.SetUpCamera());
        camera.EnterAutoMode();
        schedule.SetLocale(QLocale(QLocale::Japanese, QLocale::Japan));
        QObject::connect(&schedule, &ScheduleModel::refillRecipientLists, [this] { ++refills; });
        QObject::connect(&schedule, &ScheduleModel::runningChanged, [this](bool on) { running << on; });
        sound.onPlay = [this](const RecordingSoundPlayer::Played &) {
            shotTimes << clock.Elapsed();
        };
    }

    QStringList intervalFiles() const
    {
        return QDir(QDir(work.path()).filePath("Interval")).entryList(QDir::Files, QDir::Name);
    }
    QString tmpJpg() const { return QDir(work.path()).filePath("tmp.jpg"); }

    // Starts with the answers to "start?" (yes) and the Esc hint.
    bool start()
    {
        prompt.Answer(Msg::Yes);
        return schedule.btnAutoStartClick();
    }

    QTemporaryDir work;
    ManualClock clock {QDateTime(QDate(2006, 5, 12), QTime(10, 0, 0))};
    FakeCaptureDevice device {clock};
    PictureCanvas canvas {work.path()};
    RecordingSoundPlayer sound;
    ScriptedPrompt prompt;
    TUserData settings {work.path()};
    TAddressBook history {work.path()};
    RecordingDialogs dialogs;
    RecordingSender sender {prompt, QDir(work.path()).filePath("tmp.jpg")};
    CameraModel camera {work.path(), canvas, &device, sound, "shutter", "tick", prompt, clock};
    ScheduleModel schedule {work.path(), settings, history, canvas, camera, sender, prompt, dialogs, clock};
    int refills = 0;
    QList<bool> running;
    QList<qint64> shotTimes;
};

TEST(ScheduleRules, FirstDelay)
{
    const struct
    {
        Start mode;
        int hour, minute;
        QTime now;
        qint64 delayMs;
    } cases[] = {
        {Start::ClockTime, 10, 5, QTime(10, 5, 30), (23 * 3600 + 59 * 60 + 30) * 1000LL}, // just missed
        {Start::ClockTime, 10, 5, QTime(10, 5, 0), 5000}, // exactly now
        {Start::ClockTime, 10, 5, QTime(10, 5, 0, 900), 5000}, // milliseconds do not count
        {Start::ClockTime, 10, 6, QTime(10, 5, 59), 1000},
        {Start::ClockTime, 0, 10, QTime(23, 50, 0), 20 * 60 * 1000},
        {Start::ClockTime, 9, 0, QTime(10, 0, 0), 23 * 3600 * 1000},
        {Start::ClockTime, 23, 55, QTime(0, 0, 1), (23 * 3600 + 54 * 60 + 59) * 1000LL},
        {Start::Delay, 0, 0, QTime(10, 5, 30), 5000},
        {Start::Delay, 2, 35, QTime(10, 5, 30), (2 * 3600 + 35 * 60) * 1000},
        {Start::Delay, 23, 55, QTime(0, 0, 0), (23 * 3600 + 55 * 60) * 1000LL},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(ScheduleModel::FirstDelayMs(c.mode, c.hour, c.minute, c.now), c.delayMs)
            << c.hour << ":" << c.minute << " at " << c.now.toString().toStdString();
    }
}

TEST(ScheduleRules, PeriodsCaptionAndBody)
{
    const int periods[] = {300000, 600000, 900000, 1800000, 3600000, 7200000, 14400000};
    ASSERT_EQ(ScheduleModel::IntervalItems().size(), 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(ScheduleModel::IntervalMs(i), periods[i]) << i;
    EXPECT_EQ(ScheduleModel::IntervalMs(7), 0);
    EXPECT_EQ(ScheduleModel::IntervalItems().first(), QStringLiteral("　５分"));
    EXPECT_EQ(ScheduleModel::IntervalItems().at(ScheduleModel::DefaultInterval), QStringLiteral("１時間"));
    EXPECT_EQ(ScheduleModel::RunningCaption(QTime(9, 5, 7)), QStringLiteral("タブリン - Next:09:05:07"));
    EXPECT_EQ(ScheduleModel::MailBody(QDateTime(QDate(2006, 5, 12), QTime(9, 5, 7)),
                                      QLocale(QLocale::Japanese, QLocale::Japan)),
              QStringLiteral("2006/05/12 09:05:07"));
}

TEST_F(ScheduleModelTest, HourAndMinuteWrap)
{
    QStringList up, down;
    up << schedule.MinuteText();
    for (int i = 0; i < 12; ++i) {
        schedule.btnMUpClick();
        up << schedule.MinuteText();
    }
    EXPECT_EQ(up, QStringList({"0", "5", "10", "15", "20", "25", "30", "35", "40", "45", "50", "55", "0"}));
    down << schedule.MinuteText();
    for (int i = 0; i < 2; ++i) {
        schedule.btnMDownClick();
        down << schedule.MinuteText();
    }
    EXPECT_EQ(down, QStringList({"0", "55", "50"}));

    schedule.btnHDownClick();
    EXPECT_EQ(schedule.HourText(), QStringLiteral("23"));
    schedule.btnHUpClick();
    EXPECT_EQ(schedule.Hour(), 0);
    schedule.btnHUpClick();
    EXPECT_EQ(schedule.Hour(), 1);
}

TEST_F(ScheduleModelTest, PanelStartsWithItsDefaults)
{
    EXPECT_EQ(schedule.IntervalIndex(), 4);
    EXPECT_EQ(schedule.SizeIndex(), 2);
    EXPECT_EQ(schedule.QualityIndex(), 2);
    EXPECT_TRUE(schedule.PassingTimeHeld());
    EXPECT_FALSE(schedule.StartTimeHeld());
    EXPECT_FALSE(schedule.CaptureOnly());
    EXPECT_FALSE(schedule.StartEnabled());
    schedule.btnStartTimeClick();
    EXPECT_TRUE(schedule.StartTimeHeld());
    EXPECT_FALSE(schedule.PassingTimeHeld());
}

TEST_F(ScheduleModelTest, ChoosingARecipientShowsItAndItsPictureSize)
{
    schedule.cbxAddressAutoChange(0);
    EXPECT_EQ(schedule.ShownName(), QStringLiteral("花子"));
    EXPECT_EQ(schedule.ShownAddress(), QStringLiteral("hanako@docomo.ne.jp"));
    EXPECT_EQ(schedule.SelectedIndex(), 0);
    EXPECT_EQ(schedule.SizeIndex(), 0);
    EXPECT_EQ(schedule.QualityIndex(), 1);
    EXPECT_EQ(canvas.FrameBaseRect(), QRect(8, 48, 242, 242));
    EXPECT_TRUE(schedule.StartEnabled());
    EXPECT_TRUE(prompt.History().isEmpty());

    // The user size is not for Auto mode.
    schedule.cbxNameAutoChange(2);
    EXPECT_EQ(
        prompt.History(),
        QList<ScriptedPrompt::Shown>({ScriptedPrompt::Message(
            "撮影予約モードでは、ユーザー設定による画像サイズは使用出来ません。", Msg::IconExclamation)}));
    EXPECT_EQ(schedule.SizeIndex(), 1);
    EXPECT_EQ(schedule.QualityIndex(), 0);
    EXPECT_EQ(schedule.ShownAddress(), QStringLiteral("user@ezweb.ne.jp"));
    EXPECT_EQ(canvas.FrameBaseRect(), QRect(8, 8, 242, 322));
}

TEST_F(ScheduleModelTest, AServerRouteRecipientIsRefused)
{
    const auto refusal = ScriptedPrompt::Message(
        "撮影予約モードでは、ＦＴＰサーバーを使用する宛先には送信できません。", Msg::IconExclamation);
    schedule.cbxNameAutoChange(0);
    // From the address book the shown recipient stays.
    schedule.RecipientFromAddressBook(entry("Book", "book@docomo.ne.jp", 2, 2, true));
    EXPECT_EQ(prompt.History(), QList<ScriptedPrompt::Shown>({refusal}));
    EXPECT_EQ(schedule.ShownAddress(), QStringLiteral("hanako@docomo.ne.jp"));
    EXPECT_EQ(schedule.SizeIndex(), 0);

    // From the lists both are cleared.
    schedule.cbxAddressAutoChange(1);
    EXPECT_EQ(prompt.History(), QList<ScriptedPrompt::Shown>({refusal, refusal}));
    EXPECT_TRUE(schedule.ShownName().isEmpty());
    EXPECT_TRUE(schedule.ShownAddress().isEmpty());
    EXPECT_EQ(schedule.SelectedIndex(), -1);

    // Nothing is shown now, so a start asks for a recipient.
    prompt.Clear();
    EXPECT_FALSE(start());
    EXPECT_EQ(prompt.Texts(), QStringList({"撮影予約を行いますか？", "宛先を選択して下さい。"}));
    EXPECT_FALSE(schedule.IsRunning());
}

TEST_F(ScheduleModelTest, WithoutAPermanentConnectionOnlyCapturingIsPossible)
{
    settings.Connect = false;
    schedule.EnterAutoMode();
    EXPECT_EQ(prompt.History(),
              QList<ScriptedPrompt::Shown>({ScriptedPrompt::Message(
                  "常時接続でない場合は、撮影のみが可能です", Msg::IconInformation)}));
    EXPECT_TRUE(schedule.CaptureOnly());
    EXPECT_FALSE(schedule.RecipientControlsEnabled());
    EXPECT_TRUE(schedule.StartEnabled());
    schedule.chkNoSendMouseDown(); // disabled
    EXPECT_TRUE(schedule.CaptureOnly());

    settings.Connect = true;
    prompt.Clear();
    schedule.EnterAutoMode();
    EXPECT_TRUE(prompt.History().isEmpty());
    EXPECT_TRUE(schedule.RecipientControlsEnabled());
    // The start button follows capture only while no recipient is shown.
    schedule.lbNoSendMouseDown();
    EXPECT_FALSE(schedule.CaptureOnly());
    EXPECT_FALSE(schedule.StartEnabled());
    schedule.chkNoSendMouseDown();
    EXPECT_TRUE(schedule.StartEnabled());
}

TEST_F(ScheduleModelTest, DecliningTheStartChangesNothing)
{
    schedule.cbxNameAutoChange(0);
    prompt.Answer(Msg::No);
    EXPECT_FALSE(schedule.btnAutoStartClick());
    EXPECT_EQ(prompt.Texts(), QStringList({"撮影予約を行いますか？"}));
    EXPECT_FALSE(schedule.IsRunning());
    EXPECT_EQ(schedule.TimerInterval(), -1);
    EXPECT_TRUE(running.isEmpty());
}

TEST_F(ScheduleModelTest, StartingNarrowsTheWindowAndShowsTheFirstShotsTime)
{
    schedule.cbxNameAutoChange(0); // 120 x 120, middle
    schedule.cbxSizeAutoChange(2);
    schedule.cbxQualityAutoChange(0);
    schedule.btnStartTimeClick();
    schedule.btnHUpClick(); // 1:00
    for (int i = 0; i < 11; ++i)
        schedule.btnHUpClick(); // 12:00
    canvas.SetBackgroundColor(Rgb {1, 2, 3});
    camera.SwitchCamera(false);
    clock.Advance(30 * 1000); // 10:00:30

    ASSERT_TRUE(start());
    EXPECT_EQ(prompt.History(),
              QList<ScriptedPrompt::Shown>(
                  {ScriptedPrompt::Message("撮影予約を行いますか？", Msg::IconQuestion, Msg::ButtonsYesNo),
                   ScriptedPrompt::Message("撮影予約モードを終了させる場合は、ＥＳＣキーを押して下さい。",
                                           Msg::IconInformation)}));
    EXPECT_TRUE(schedule.IsRunning());
    EXPECT_EQ(running, QList<bool>({true}));
    EXPECT_EQ(schedule.Caption(), QStringLiteral("タブリン - Next:12:00:00"));
    EXPECT_EQ(schedule.TimerInterval(), (1 * 3600 + 59 * 60 + 30) * 1000);
    EXPECT_EQ(canvas.BackgroundColor(), (Rgb {255, 255, 255}));
    EXPECT_EQ(canvas.FrameBaseRect(), QRect(8, 8, 242, 322));
    EXPECT_TRUE(camera.CameraOn());
    ASSERT_TRUE(schedule.ScheduleRecipient());
    const TMailAddress &r = *schedule.ScheduleRecipient();
    EXPECT_EQ(r.Address, QStringLiteral("hanako@docomo.ne.jp"));
    EXPECT_EQ(r.Name, QStringLiteral("花子"));
    EXPECT_EQ(r.SizePreset, 2);
    EXPECT_EQ(r.QualityLevel, 0);
    EXPECT_EQ(r.Width, 240);
    EXPECT_EQ(r.Height, 320);
    EXPECT_FALSE(schedule.btnAutoStartClick()); // one schedule at a time
}

TEST_F(ScheduleModelTest, CaptureOnlyStoresAHundredPicturesAndSendsNothing)
{
    schedule.chkNoSendMouseDown();
    schedule.cbxSizeAutoChange(0);
    schedule.cbxIntervalChange(0); // five minutes
    QStringList captions;
    QObject::connect(&schedule, &ScheduleModel::captionChanged, [&](const QString &c) { captions << c; });
    ASSERT_TRUE(start());
    EXPECT_EQ(schedule.ScheduleRecipient()->Address, QStringLiteral("--------@docomo.ne.jp"));
    EXPECT_TRUE(schedule.ScheduleRecipient()->Name.isEmpty());
    prompt.Clear();

    clock.Advance(5000 + 99 * 300000 + 1000);
    EXPECT_FALSE(schedule.IsRunning());
    EXPECT_EQ(schedule.ShotCount(), 100);
    EXPECT_TRUE(sender.mails.isEmpty());
    const QStringList files = intervalFiles();
    ASSERT_EQ(files.size(), 100);
    EXPECT_EQ(files.first(), QStringLiteral("06-05-12_10-00-05.jpg"));
    EXPECT_EQ(files.at(1), QStringLiteral("06-05-12_10-05-05.jpg"));
    EXPECT_EQ(files.last(), QStringLiteral("06-05-12_18-15-05.jpg"));
    const auto header
        = ReadJpegHeader(testfiles::read(QDir(work.path()).filePath("Interval/" + files.first())));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->width, 120);
    EXPECT_EQ(header->height, 120);
    EXPECT_FALSE(QFile::exists(tmpJpg()));
    EXPECT_EQ(shotTimes.size(), 100);
    EXPECT_EQ(shotTimes.first(), 5000);
    EXPECT_EQ(shotTimes.at(1), 305000);

    EXPECT_EQ(prompt.History(),
              QList<ScriptedPrompt::Shown>({ScriptedPrompt::Message(
                  "撮影上限枚数に達しました。撮影予約を終了します。", Msg::IconInformation)}));
    ASSERT_GE(captions.size(), 3);
    EXPECT_EQ(captions.at(0), QStringLiteral("タブリン - Next:10:00:05"));
    EXPECT_EQ(captions.at(1), QStringLiteral("タブリン - Next:10:05:05"));
    EXPECT_EQ(captions.last(), QStringLiteral("タブリン"));
    EXPECT_EQ(running, QList<bool>({true, false}));
    EXPECT_EQ(refills, 1);
    EXPECT_FALSE(schedule.ScheduleRecipient());
    EXPECT_EQ(clock.ActiveTimers(), 1); // the camera's frames; the schedule's timer is stopped
    EXPECT_EQ(canvas.FrameBaseRect(), QRect(8, 48, 242, 242)); // the frame keeps the schedule's size
}

TEST_F(ScheduleModelTest, EachShotMailsThePictureToTheShownRecipient)
{
    schedule.cbxNameAutoChange(0);
    ASSERT_TRUE(start());
    clock.Advance(5000 + 3600000 + 1000);
    ASSERT_EQ(sender.mails.size(), 2);
    const PictureMail &m = sender.mails.first();
    EXPECT_EQ(m.FromName, QStringLiteral("太郎"));
    EXPECT_EQ(m.FromAddress, QStringLiteral("taro@example.com"));
    EXPECT_EQ(m.PictureName, QStringLiteral("06-05-12_10-00-05.jpg"));
    EXPECT_FALSE(m.ServerRoute);
    EXPECT_EQ(m.Body, QStringLiteral("2006/05/12 10:00:05"));
    EXPECT_EQ(m.Subject, QStringLiteral("タブリン－自動撮影"));
    EXPECT_EQ(m.RecipientName, QStringLiteral("花子"));
    EXPECT_EQ(m.RecipientAddress, QStringLiteral("hanako@docomo.ne.jp"));
    EXPECT_EQ(sender.mails.at(1).PictureName, QStringLiteral("06-05-12_11-00-05.jpg"));
    EXPECT_EQ(sender.pictures, QList<QSize>({QSize(120, 120), QSize(120, 120)}));
    EXPECT_EQ(intervalFiles(), QStringList({"06-05-12_10-00-05.jpg", "06-05-12_11-00-05.jpg"}));
    EXPECT_EQ(schedule.Caption(), QStringLiteral("タブリン - Next:12:00:05"));

    // The period is read at every shot.
    schedule.cbxIntervalChange(6);
    clock.Advance(3600000);
    EXPECT_EQ(sender.mails.size(), 3);
    EXPECT_EQ(schedule.TimerInterval(), 14400000);
    EXPECT_EQ(schedule.Caption(), QStringLiteral("タブリン - Next:16:00:05"));

    // Esc asks; No goes on, Yes stops.
    prompt.Clear();
    prompt.Answer(Msg::No);
    schedule.FormKeyPress(QChar(27));
    EXPECT_TRUE(schedule.IsRunning());
    prompt.Answer(Msg::Yes);
    schedule.FormKeyPress(QChar(27));
    EXPECT_FALSE(schedule.IsRunning());
    EXPECT_EQ(prompt.Texts(), QStringList({"中止しますか？", "中止しますか？"}));
    EXPECT_EQ(schedule.Caption(), QStringLiteral("タブリン"));
    EXPECT_EQ(refills, 1);
    clock.Advance(14400000);
    EXPECT_EQ(sender.mails.size(), 3);

    // Esc without a schedule asks nothing.
    schedule.FormKeyPress(QChar(27));
    EXPECT_EQ(prompt.History().size(), 2);
}

TEST_F(ScheduleModelTest, ASendFailureEndsTheScheduleAfterTheSendersMessage)
{
    schedule.cbxNameAutoChange(0);
    ASSERT_TRUE(start());
    prompt.Clear();
    sender.results = {true, false};
    bool runningAtHide = true;
    dialogs.onHide = [&] {
        runningAtHide = schedule.IsRunning();
    };

    clock.Advance(5000 + 3600000 + 1000);
    EXPECT_FALSE(schedule.IsRunning());
    EXPECT_EQ(sender.mails.size(), 2);
    EXPECT_EQ(prompt.History(),
              QList<ScriptedPrompt::Shown>(
                  {ScriptedPrompt::Message(kSmtpError, Msg::IconError),
                   ScriptedPrompt::Message("送信時にエラーが発生したので中止します。", Msg::IconError)}));
    EXPECT_EQ(dialogs.hidden, 1);
    EXPECT_FALSE(runningAtHide);
    EXPECT_EQ(schedule.ShotCount(), 1);
    EXPECT_EQ(intervalFiles(), QStringList({"06-05-12_10-00-05.jpg"})); // not the failed one
    EXPECT_EQ(schedule.Caption(), QStringLiteral("タブリン"));
    EXPECT_EQ(refills, 1);
}

TEST_F(ScheduleModelTest, AnExistingPictureInTheScheduledFolderIsNeverOverwritten)
{
    ASSERT_TRUE(QDir(work.path()).mkpath("Interval"));
    const QString taken = QDir(work.path()).filePath("Interval/06-05-12_10-00-05.jpg");
    ASSERT_TRUE(testfiles::write(taken, "older picture"));
    schedule.chkNoSendMouseDown();
    ASSERT_TRUE(start());
    clock.Advance(5000 + 1000);
    EXPECT_EQ(schedule.ShotCount(), 1);
    EXPECT_EQ(testfiles::read(taken), QByteArray("older picture"));
    EXPECT_FALSE(QFile::exists(tmpJpg()));
    EXPECT_EQ(intervalFiles().size(), 1);
}

TEST_F(ScheduleModelTest, APictureTheScheduledFolderCannotTakeStaysAsTmpJpg)
{
    // A file where the folder belongs: neither the folder nor the copy can be made.
    ASSERT_TRUE(testfiles::write(QDir(work.path()).filePath("Interval"), "not a folder"));
    schedule.chkNoSendMouseDown();
    ASSERT_TRUE(start());
    clock.Advance(5000 + 1000);
    EXPECT_EQ(schedule.ShotCount(), 1);
    EXPECT_TRUE(schedule.IsRunning());
    const auto kept = ReadJpegHeader(testfiles::read(tmpJpg()));
    ASSERT_TRUE(kept);
    EXPECT_EQ(QSize(kept->width, kept->height), QSize(240, 320));
}

TEST_F(ScheduleModelTest, AFailedGrabEndsTheShotButNotTheSchedule)
{
    schedule.chkNoSendMouseDown();
    schedule.cbxIntervalChange(0);
    ASSERT_TRUE(start());
    device.deliverFrames = false;
    try {
        clock.Advance(5000 + TCaptureBase::GrabWaitMs);
        ADD_FAILURE() << "no error";
    } catch (const Exception &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("撮影した画像を読み込めません。"));
    }
    EXPECT_TRUE(schedule.IsRunning());
    EXPECT_EQ(schedule.ShotCount(), 0);
    EXPECT_EQ(schedule.Caption(), QStringLiteral("タブリン - Next:10:00:05"));
    EXPECT_EQ(schedule.TimerInterval(), 300000);
    EXPECT_TRUE(intervalFiles().isEmpty());

    device.deliverFrames = true;
    clock.Advance(300000);
    EXPECT_EQ(schedule.ShotCount(), 1);
    EXPECT_EQ(intervalFiles(), QStringList({"06-05-12_10-05-05.jpg"}));
}

TEST_F(ScheduleModelTest, EscWhileTheGrabWaitsStopsBeforeAnythingIsStored)
{
    schedule.chkNoSendMouseDown();
    ASSERT_TRUE(start());
    device.exposureMs = 0;
    clock.OnPump([&] {
        if (!schedule.IsRunning())
            return;
        prompt.Answer(Msg::Yes);
        schedule.FormKeyPress(QChar(27));
    });
    clock.Advance(5000 + 1000);
    clock.OnPump(nullptr);
    EXPECT_FALSE(schedule.IsRunning());
    EXPECT_EQ(schedule.ShotCount(), 0);
    EXPECT_TRUE(intervalFiles().isEmpty());
    EXPECT_EQ(schedule.Caption(), QStringLiteral("タブリン"));
}

} // namespace
