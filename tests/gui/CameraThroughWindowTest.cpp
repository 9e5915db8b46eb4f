// The camera and scheduled capture through the real main window and its Camera and Auto panes, with
// a camera stand-in and a clock the test moves.
#include "common/UserData.h"
#include "dialogs/PopupListBoxUnit.h"
#include "mainwindow/MainUnit.h"
#include "mainwindow/model/CameraModel.h"
#include "mainwindow/model/ScheduleModel.h"
#include "support/FakeCaptureDevice.h"
#include "support/Files.h"
#include "support/MainFakes.h"
#include "support/MainWindowFixture.h"
#include "support/ManualClock.h"
#include "support/ScriptedPrompt.h"
#include "widgets/FlatCheckBox.h"
#include "widgets/LabeledBmpBtn.h"

#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

using S = ScriptedPrompt;

class CameraThroughWindowTest : public MainWindowFixture
{
protected:
    TMain &make(FakeCaptureDevice *device)
    {
        if (device)
            device->drivers = {FakeCaptureDevice::Driver(QStringLiteral("USB Camera"))};
        MainModel::Services services;
        services.camera = device;
        services.clock = &clock;
        makeMain({}, services);
        return showMain();
    }
    void click(const char *name)
    {
        auto *b = child<TBmpBtn>(name);
        ASSERT_TRUE(b->isVisible() && b->isEnabled()) << name;
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(4, 4));
    }
    // Lets the camera stand-in deliver frames for ms of the test's clock.
    void run(int ms)
    {
        for (int t = 0; t < ms; t += 20) {
            clock.Advance(20);
            QCoreApplication::processEvents();
        }
    }

    ManualClock clock;
};

TEST_F(CameraThroughWindowTest, WithoutACameraCameraAndAutoModeStayDisabledSilently)
{
    make(nullptr);
    EXPECT_FALSE(child("btnCameraMode")->isEnabled());
    EXPECT_FALSE(child("btnAutoMode")->isEnabled());
    EXPECT_TRUE(prompt.History().isEmpty());
}

TEST_F(CameraThroughWindowTest, TheShutterPutsAStillOnTheCanvasAndNextGoesOn)
{
    FakeCaptureDevice camera(clock);
    make(&camera);
    ASSERT_TRUE(child("btnCameraMode")->isEnabled());
    EXPECT_FALSE(child("btnMailCreate")->isEnabled());
    click("btnCameraMode");
    EXPECT_TRUE(child("pnlCameraMode")->isVisible());
    EXPECT_TRUE(child<TLabeledBmpBtn>("btnCameraSwitch")->Holding());
    // A 320 x 240 camera fitted by width: 240 x 180 in the middle of the 240 x 320 frame.
    EXPECT_EQ(child("pnlCameraImage")->geometry(), QRect(0, 70, 240, 180));
    EXPECT_TRUE(child("pnlCameraImage")->isVisible());
    run(1500);

    click("btnShutter");
    run(1500);
    EXPECT_TRUE(main->Model().Canvas().HasPicture());
    EXPECT_EQ(main->Model().Canvas().Placement(), QRect(0, 70, 240, 180));
    EXPECT_FALSE(child("pnlCameraImage")->isVisible());
    EXPECT_FALSE(child<TLabeledBmpBtn>("btnCameraSwitch")->Holding());
    EXPECT_FALSE(child("btnShutter")->isEnabled());
    EXPECT_TRUE(child("btnMailCreate")->isEnabled());
    EXPECT_TRUE(QFile::exists(work.filePath("capture.bmp")));
    click("btnMailCreate");
    EXPECT_TRUE(child("pnlPictureConfig")->isVisible());
}

TEST_F(CameraThroughWindowTest, ACaptureOnlyScheduleStoresPicturesUntilEscEndsIt)
{
    settings.Connect = false; // only capturing is possible
    FakeCaptureDevice camera(clock);
    TMain &w = make(&camera);
    click("btnAutoMode");
    EXPECT_EQ(prompt.Texts(), QStringList {"常時接続でない場合は、撮影のみが可能です"});
    EXPECT_TRUE(child<FlatCheckBox>("chkNoSend")->isChecked());
    EXPECT_FALSE(child("cbxNameAuto")->isEnabled());
    ASSERT_TRUE(child("btnAutoStart")->isEnabled());

    prompt.Clear();
    prompt.Answer(Msg::Yes);
    click("btnAutoStart");
    EXPECT_EQ(prompt.Texts(),
              (QStringList {"撮影予約を行いますか？",
                            "撮影予約モードを終了させる場合は、ＥＳＣキーを押して下さい。"}));
    EXPECT_EQ(w.width(), 258); // only the picture area
    EXPECT_TRUE(w.windowTitle().startsWith("タブリン - Next:")) << w.windowTitle().toStdString();

    run(5000 + 2500); // the first shot comes after 5 s with 0:00 as the delay
    const QStringList stored = QDir(work.filePath("Interval")).entryList(QDir::Files);
    EXPECT_EQ(stored.size(), 1);
    EXPECT_EQ(main->Model().SchedulePart().ShotCount(), 1);

    prompt.Clear();
    prompt.Answer(Msg::Yes);
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
    QApplication::sendEvent(&w, &esc);
    EXPECT_EQ(prompt.Texts(), QStringList {"中止しますか？"});
    EXPECT_EQ(w.width(), 514);
    EXPECT_EQ(w.windowTitle(), "タブリン");
    EXPECT_FALSE(main->Model().SchedulePart().IsRunning());
}

} // namespace
