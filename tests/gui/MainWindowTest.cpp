#include "common/UserData.h"
#include "dialogs/PopupListBoxUnit.h"
#include "mail/AddressBook.h"
#include "mainwindow/MainUnit.h"
#include "mainwindow/PictureArea.h"
#include "picture/BmpFile.h"
#include "support/Files.h"
#include "support/MainFakes.h"
#include "support/MainWindowFixture.h"
#include "support/Pictures.h"
#include "support/ScriptedPrompt.h"
#include "widgets/FlatCheckBox.h"
#include "widgets/FlatComboBox.h"
#include "widgets/FlatEdit.h"
#include "widgets/FlatPanel.h"
#include "widgets/LabeledBmpBtn.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

using S = ScriptedPrompt;

class MainWindowTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(MainWindowFixture::SetUp());
        ASSERT_TRUE(SaveBmpFile(work.filePath("photo.bmp"), testpictures::photo(640, 480)));
        dialogs.pictureToOpen = work.filePath("photo.bmp");
    }

    TMain &make()
    {
        return makeMain([this](MainModel &model) {
            model.SetCamera(&camera);
            model.SetSchedule(&schedule);
            model.SetSendRunner(&sender);
        });
    }
    // Made and shown.
    TMain &shown()
    {
        make();
        return showMain();
    }

    void click(const char *name)
    {
        auto *b = child<TBmpBtn>(name);
        ASSERT_TRUE(b->isVisible()) << name;
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(4, 4));
    }
    bool visible(const char *name) const { return child(name)->isVisible(); }
    QString caption(const char *name) const { return child<TLabeledBmpBtn>(name)->ShownCaption(); }

    FakeCamera camera;
    FakeSchedule schedule;
    FakeSendRunner sender;
};

TEST_F(MainWindowTest, TheLayoutOfTheWindow)
{
    TMain &w = shown();
    EXPECT_EQ(w.size(), QSize(514, 338));
    EXPECT_EQ(w.windowTitle(), "タブリン");
    EXPECT_EQ(child("pnlImageBase")->geometry(), QRect(8, 8, 242, 322));
    EXPECT_EQ(child("pnlImageDmy")->geometry(), QRect(1, 1, 240, 320));
    EXPECT_EQ(child("btnFileMode")->geometry(), QRect(264, 8, 80, 26));
    EXPECT_EQ(child("btnCameraMode")->geometry(), QRect(345, 8, 80, 26));
    EXPECT_EQ(child("btnAutoMode")->geometry(), QRect(426, 8, 80, 26));
    EXPECT_EQ(child("pnlCommandPicture")->geometry(), QRect(264, 31, 242, 298));
    EXPECT_EQ(child("pnlCommandMail")->geometry(), QRect(264, 31, 242, 298));
    for (const char *pane :
         {"pnlFileMode", "pnlCameraMode", "pnlAutoMode", "pnlPictureConfig", "pnlSendTo", "pnlEditMail"})
        EXPECT_EQ(child(pane)->geometry(), QRect(0, 0, 242, 233)) << pane;
    EXPECT_EQ(child("imgWaku")->geometry(), QRect(264, 8, 80, 26));
    EXPECT_TRUE(visible("imgWaku"));
    EXPECT_EQ(caption("btnMailCreate"), "\\n次へ");
    EXPECT_EQ(caption("btnBackDmy"), "\\n戻る");
    EXPECT_EQ(caption("btnConfig1"), "設定");
    EXPECT_EQ(caption("btnQuit"), "終了");
    EXPECT_FALSE(child("btnBackDmy")->isEnabled());
    EXPECT_EQ(child("btnMailCreate")->geometry(), child("btnAutoStart")->geometry());
    // The drop-down lists drop the program's popup list from the first show on.
    EXPECT_EQ(child<FlatComboBox>("cbxSizeMail")->ListWindow(), &popup);
    EXPECT_EQ(child<FlatComboBox>("cbxSizeMail")->OwnerWindow(), &w);
}

TEST_F(MainWindowTest, FileModeThroughTheMailStepsAndBackByClicks)
{
    TMain &w = shown();
    EXPECT_TRUE(visible("pnlFileMode"));
    EXPECT_TRUE(visible("btnMailCreate"));
    EXPECT_FALSE(child("btnMailCreate")->isEnabled());
    EXPECT_FALSE(child("pnlImageBase")->isEnabled());
    EXPECT_TRUE(w.acceptDrops());

    click("btnOpenDialog");
    EXPECT_TRUE(visible("pnlCommandMail"));
    EXPECT_FALSE(visible("pnlCommandPicture"));
    EXPECT_TRUE(visible("pnlPictureConfig"));
    EXPECT_FALSE(visible("imgWaku"));
    EXPECT_TRUE(child("pnlImageBase")->isEnabled());
    EXPECT_TRUE(child("pnlImageBase")->hasFocus());
    EXPECT_FALSE(w.acceptDrops());
    EXPECT_EQ(child<FlatComboBox>("cbxSizeMail")->Text(), "240 x 320");
    EXPECT_EQ(child<FlatComboBox>("cbxQualityMail")->Text(), "高");
    EXPECT_EQ(caption("btnFwd"), "\\n次へ");

    click("btnFwd");
    EXPECT_TRUE(visible("pnlSendTo"));
    EXPECT_FALSE(visible("pnlPictureConfig"));
    EXPECT_FALSE(child("pnlImageBase")->isEnabled());
    click("btnFwd");
    EXPECT_EQ(prompt.Texts(), QStringList {"宛先を設定して下さい。"});
    EXPECT_TRUE(visible("pnlSendTo"));

    QTest::keyClicks(child<FlatComboBox>("cbxAddressMail")->lineEdit(), "friend@example.jp");
    click("btnFwd");
    EXPECT_TRUE(visible("pnlEditMail"));
    EXPECT_EQ(caption("btnFwd"), "\\n送信");

    prompt.Clear();
    prompt.Answer(Msg::No);
    click("btnFwd");
    EXPECT_EQ(prompt.Texts(), QStringList {"送信しますか？"});
    EXPECT_TRUE(visible("pnlEditMail"));

    click("btnBack");
    EXPECT_TRUE(visible("pnlSendTo"));
    click("btnBack");
    EXPECT_TRUE(visible("pnlPictureConfig"));
    click("btnBack");
    EXPECT_TRUE(visible("pnlCommandPicture"));
    EXPECT_TRUE(visible("pnlFileMode"));
    EXPECT_TRUE(visible("imgWaku"));
    EXPECT_TRUE(child("btnMailCreate")->isEnabled());
    EXPECT_TRUE(w.acceptDrops());
    // The picture stays on the canvas: Next goes straight back to step 1.
    click("btnMailCreate");
    EXPECT_TRUE(visible("pnlPictureConfig"));
}

TEST_F(MainWindowTest, CameraModeAndBackFromStepOneAcceptsDrops)
{
    TMain &w = shown();
    EXPECT_TRUE(child("btnCameraMode")->isEnabled());
    click("btnCameraMode");
    EXPECT_TRUE(visible("pnlCameraMode"));
    EXPECT_EQ(child("imgWaku")->geometry(), child("btnCameraMode")->geometry());
    EXPECT_FALSE(w.acceptDrops());
    EXPECT_TRUE(main->PictureAreaWidget()->PictureBackShown());

    ASSERT_TRUE(w.Model().Canvas().LoadPicture(work.filePath("photo.bmp")));
    click("btnMailCreate");
    EXPECT_TRUE(visible("pnlPictureConfig"));
    EXPECT_FALSE(main->PictureAreaWidget()->PictureBackShown());
    click("btnBack");
    EXPECT_TRUE(visible("pnlCameraMode"));
    EXPECT_TRUE(w.acceptDrops());
}

TEST_F(MainWindowTest, WithoutACameraOnlyFileModeWorks)
{
    camera.works = false;
    shown();
    EXPECT_FALSE(child("btnCameraMode")->isEnabled());
    EXPECT_FALSE(child("btnAutoMode")->isEnabled());
    EXPECT_TRUE(prompt.History().isEmpty());
}

TEST_F(MainWindowTest, AutoModeShowsItsPaneAndItsOwnNextButton)
{
    shown();
    click("btnAutoMode");
    EXPECT_TRUE(visible("pnlAutoMode"));
    EXPECT_TRUE(visible("btnAutoStart"));
    EXPECT_FALSE(visible("btnMailCreate"));
    EXPECT_EQ(child<FlatComboBox>("cbxInterval")->Text(), "１時間");
    EXPECT_EQ(child<FlatComboBox>("cbxSizeAuto")->Text(), "240 x 320");
    EXPECT_EQ(child<FlatComboBox>("cbxQualityAuto")->Text(), "高");
    EXPECT_TRUE(child<TLabeledBmpBtn>("btnPassingTime")->Holding());
    EXPECT_FALSE(child<TLabeledBmpBtn>("btnStartTime")->Holding());
    click("btnFileMode");
    EXPECT_TRUE(visible("pnlFileMode"));
}

TEST_F(MainWindowTest, ModeButtonsFromStepsTwoAndThreeReturnToThePictureStage)
{
    shown();
    click("btnOpenDialog");
    click("btnFwd");
    click("btnCameraMode");
    EXPECT_TRUE(visible("pnlCameraMode"));
    EXPECT_TRUE(visible("pnlCommandPicture"));
    click("btnMailCreate");
    EXPECT_TRUE(visible("pnlPictureConfig"));
    click("btnFwd");
    QTest::keyClicks(child<FlatComboBox>("cbxAddressMail")->lineEdit(), "a@example.jp");
    click("btnFwd");
    ASSERT_TRUE(visible("pnlEditMail"));
    click("btnFileMode");
    EXPECT_TRUE(visible("pnlFileMode"));
    click("btnMailCreate");
    EXPECT_TRUE(visible("pnlPictureConfig"));
}

TEST_F(MainWindowTest, TheSettingsDialogCancelledChangesNothingAndAcceptedSavesAtOnce)
{
    shown();
    click("btnOpenDialog");
    click("btnFwd");
    EXPECT_FALSE(visible("chkDoCoMo"));
    dialogs.onConfig = [this] {
        settings.UseServer = true;
    };
    click("btnConfig2");
    EXPECT_EQ(dialogs.configShown, 1);
    EXPECT_FALSE(QFile::exists(work.filePath("tav.ini")));
    EXPECT_FALSE(visible("chkDoCoMo"));
    EXPECT_TRUE(visible("pnlSendTo"));

    dialogs.configAccepted = true;
    click("btnConfig2");
    EXPECT_TRUE(QFile::exists(work.filePath("tav.ini")));
    EXPECT_TRUE(visible("chkDoCoMo"));
    EXPECT_TRUE(visible("lbDoCoMo"));
    EXPECT_TRUE(visible("pnlSendTo"));
}

TEST_F(MainWindowTest, TheFirstStartWithoutSettingsAsksForThemAndWritesTheFileEvenAfterACancel)
{
    settings.FromAddress.clear();
    ASSERT_FALSE(QFile::exists(work.filePath("tav.ini")));
    bool windowShownFirst = false;
    prompt.onShow = [&](const S::Shown &) {
        windowShownFirst = main && main->isVisible();
    };
    shown();
    EXPECT_EQ(prompt.History(),
              (QList<S::Shown> {S::SystemMessage("ユーザー設定を行って下さい。", Msg::IconInformation)}));
    EXPECT_TRUE(windowShownFirst);
    EXPECT_EQ(dialogs.configShown, 1);
    EXPECT_TRUE(QFile::exists(work.filePath("tav.ini")));
}

TEST_F(MainWindowTest, TheVersionTwoZeroQuestionComesOnce)
{
    ASSERT_TRUE(testfiles::write(work.filePath("tav.ini"),
                                 "[serial]\r\nMajor=2\r\nMinor=0\r\n[user]\r\nFromAddress=a@b.jp\r\n"));
    ASSERT_TRUE(settings.LoadFromWorkFolder());
    prompt.Answer(Msg::No);
    shown();
    ASSERT_EQ(prompt.History().size(), 1);
    EXPECT_TRUE(prompt.History().first().text.startsWith("※ＦＴＰサーバーについて※"));
    prompt.Clear();
    prompt.Answer(Msg::Yes);
    main->close();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(prompt.Texts(), QStringList {"終了しますか？"});

    TUserData again(workFolder());
    ASSERT_TRUE(again.LoadFromWorkFolder());
    EXPECT_EQ(again.Minor, 1);
    ScriptedPrompt quiet;
    MainModel secondModel(MainModel::Context {workFolder(), again, quiet, dialogs, {}});
    TMain second(MainContext {secondModel, &popup});
    EXPECT_TRUE(quiet.History().isEmpty());
}

TEST_F(MainWindowTest, TheSavedPlaceIsTakenAsItIsUnlessBothAreMinusOne)
{
    settings.x = -1;
    settings.y = 120;
    TMain &w = shown();
    EXPECT_EQ(w.pos(), QPoint(-1, 120));
}

TEST_F(MainWindowTest, ClosingAsksAndKeepsTenOfTheHistoryAndTheFolders)
{
    TAddressBook history(workFolder());
    for (int i = 0; i < 15; ++i) {
        TMailAddress e;
        e.Name = QString("N%1").arg(i);
        e.Address = QString("n%1@example.jp").arg(i);
        history.Append(e);
    }
    history.Save("History.ADX");
    QByteArray folders;
    for (int i = 0; i < 12; ++i)
        folders += QString("/f%1\r\n").arg(i).toLatin1();
    ASSERT_TRUE(testfiles::write(work.filePath("Folder.hst"), folders));
    TMain &w = shown();

    prompt.Answer(Msg::No);
    w.close();
    EXPECT_TRUE(w.isVisible());
    prompt.Answer(Msg::Yes);
    click("btnQuit");
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(TAddressBook::ReadFile(work.filePath("History.ADX")).size(), 10);
    EXPECT_EQ(testfiles::read(work.filePath("Folder.hst")).count("\r\n"), 10);
    EXPECT_TRUE(QFile::exists(work.filePath("tav.ini")));
}

TEST_F(MainWindowTest, ClosingIsRefusedSilentlyWhileAScheduleRuns)
{
    TMain &w = shown();
    schedule.running = true;
    w.close();
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(prompt.History().isEmpty());
}

TEST_F(MainWindowTest, ThePanesThatStartHiddenAreMadeOnceTheWindowHasPaintedOrWhenNeeded)
{
    make();
    EXPECT_NE(main->findChild<QWidget *>("pnlFileMode"), nullptr);
    for (const char *name : {"pnlCameraMode", "pnlAutoMode", "pnlPictureConfig", "pnlSendTo", "pnlEditMail"})
        EXPECT_EQ(main->findChild<QWidget *>(name), nullptr) << name;
    // Needed before the window has painted: made at once.
    main->Model().btnAutoModeClick();
    ASSERT_NE(main->findChild<QWidget *>("pnlAutoMode"), nullptr);
    EXPECT_FALSE(main->findChild<QWidget *>("pnlAutoMode")->isHidden());
    EXPECT_TRUE(main->findChild<QWidget *>("pnlSendTo")->isHidden());
}

TEST_F(MainWindowTest, TheSubjectFieldTakesAtMost36Bytes)
{
    shown();
    auto *subject = child<FlatEdit>("edtSubject");
    // One key press a character, as an input method delivers them.
    for (const QChar c : QString("写真").repeated(10)) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(subject, &press);
    }
    EXPECT_EQ(subject->text(), QString("写真").repeated(9));
    EXPECT_EQ(main->Model().Subject(), QString("写真").repeated(9));
}

TEST_F(MainWindowTest, TheFramedPictureFollowsTheMouseAndTheWheelZoomsOverTheFrameOnly)
{
    TMain &w = shown();
    click("btnOpenDialog");
    PictureCanvas &canvas = w.Model().Canvas();
    const QRect before = canvas.Placement();
    ASSERT_EQ(before, QRect(0, 70, 240, 180));
    QWidget *frame = child("pnlImageDmy");
    QTest::mousePress(frame, Qt::LeftButton, {}, QPoint(100, 100));
    QMouseEvent move(QEvent::MouseMove, QPointF(130, 90), frame->mapToGlobal(QPointF(130, 90)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame, &move);
    QTest::mouseRelease(frame, Qt::LeftButton, {}, QPoint(130, 90));
    EXPECT_EQ(canvas.Placement(), QRect(30, 60, 240, 180));

    const auto wheel = [&](QPoint at, int delta) {
        QWheelEvent event(at, w.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&w, &event);
    };
    wheel(QPoint(300, 300), 120); // over the command area
    EXPECT_EQ(canvas.Placement().width(), 240);
    wheel(QPoint(100, 100), 120); // over the frame: one step of 640 / 100
    EXPECT_EQ(canvas.Placement().width(), 246);
}

TEST_F(MainWindowTest, CaptionLessButtonsAndInputsHaveAccessibleNames)
{
    shown();
    struct Case
    {
        const char *control;
        const char *name;
    };
    const Case cases[] = {
        {"btnFileMode", "ファイル"},
        {"btnCameraMode", "カメラ"},
        {"btnAutoMode", "撮影予約"},
        {"btnZoomUp", "拡大"},
        {"btnZoomDown", "縮小"},
        {"btnResizeByHeight", "高さを合わせる"},
        {"btnResizeByWidth", "幅を合わせる"},
        {"btnFitLeft", "左寄せ"},
        {"btnFitTop", "上寄せ"},
        {"btnFitRight", "右寄せ"},
        {"btnFitBottom", "下寄せ"},
        {"btnCentering", "センタリング"},
        {"btnRotateLeft", "左９０°回転"},
        {"btnRotateRight", "右９０°回転"},
        {"cbxSizeMail", "サイズ"},
        {"cbxQualityMail", "画質"},
        {"cbxNameMail", "名前"},
        {"cbxAddressMail", "アドレス"},
        {"edtSubject", "件名"},
        {"edtBody", "本文"},
        {"lbxCC", "同時に送信する宛先"},
        {"cbxFolder", "フォルダ"},
        {"edtWidthMail", "横 240"},
        {"pnlImageDmy", "送る画像"},
    };
    for (const Case &c : cases) {
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(child(c.control));
        ASSERT_NE(a, nullptr) << c.control;
        EXPECT_EQ(a->text(QAccessible::Name), QString::fromUtf8(c.name)) << c.control;
    }
    EXPECT_EQ(child("btnZoomUp")->toolTip(), "拡大：ホイールかPageUpで微調整");
    EXPECT_EQ(child("btnZoomDown")->toolTip(), "縮小：ホイールかPageDownで微調整");
}

TEST_F(MainWindowTest, AssistiveTechnologyDrivesTheWindowThroughTheActions)
{
    shown();
    struct Case
    {
        const char *control;
        QAccessible::Role role;
    };
    const Case cases[] = {
        {"btnFileMode", QAccessible::PushButton}, {"btnZoomUp", QAccessible::PushButton},
        {"btnMailCreate", QAccessible::PushButton}, {"pnlImageDmy", QAccessible::Graphic},
        {"cbxSizeMail", QAccessible::ComboBox},     {"chkDoCoMo", QAccessible::CheckBox},
        {"edtSubject", QAccessible::EditableText},  {"btnCameraSwitch", QAccessible::CheckBox},
    };
    for (const Case &c : cases) {
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(child(c.control));
        ASSERT_NE(a, nullptr) << c.control;
        EXPECT_EQ(a->role(), c.role) << c.control;
    }
    EXPECT_FALSE(QAccessible::queryAccessibleInterface(child("pnlImageDmy"))->text(QAccessible::Description).isEmpty());
    QAccessibleInterface *next = QAccessible::queryAccessibleInterface(child("btnMailCreate"));
    EXPECT_EQ(next->text(QAccessible::Name), "次へ");
    EXPECT_TRUE(next->state().disabled);

    const auto press = [](QWidget *w) {
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        ASSERT_NE(a->actionInterface(), nullptr);
        a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCoreApplication::processEvents();
    };
    press(child("btnCameraMode"));
    EXPECT_TRUE(visible("pnlCameraMode"));
    press(child("btnFileMode"));
    EXPECT_TRUE(visible("pnlFileMode"));
    press(child("btnOpenDialog"));
    EXPECT_TRUE(visible("pnlPictureConfig"));
    EXPECT_FALSE(QAccessible::queryAccessibleInterface(child("btnFwd"))->state().disabled);
    press(child("btnFwd"));
    EXPECT_TRUE(visible("pnlSendTo"));
}

} // namespace
