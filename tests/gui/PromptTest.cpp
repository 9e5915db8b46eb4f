#include "app/Loader.h"
#include "app/WindowRegistry.h"
#include "common/UserData.h"
#include "dialogs/AccountUnit.h"
#include "dialogs/AddressUnit.h"
#include "dialogs/ConfigUnit.h"
#include "dialogs/MsgBoxUnit.h"
#include "dialogs/PopupListBoxUnit.h"
#include "dialogs/SelectColorUnit.h"
#include "dialogs/SendingUnit.h"
#include "dialogs/SetPictureSizeUnit.h"
#include "dialogs/UiPrompt.h"
#include "mail/AddressBook.h"
#include "mainwindow/MainUnit.h"
#include "support/Files.h"
#include "support/ScriptedPrompt.h"
#include "widgets/FlatEdit.h"
#include "widgets/LabeledBmpBtn.h"

#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

void clickLater(QWidget *window, const char *button, std::function<void()> before = {})
{
    QTimer::singleShot(0, [=] {
        if (before)
            before();
        QTest::mouseClick(window->findChild<TLabeledBmpBtn *>(QLatin1String(button)), Qt::LeftButton, {},
                          QPoint(5, 5));
    });
}

// The program's prompt asks through the windows it was given.
TEST(UiPrompt, AsksThroughTheProgramsWindows)
{
    ScriptedPrompt messages; // the picture size dialog's own messages
    TMsgBox box;
    box.SetBeep({});
    TSetPictureSize size(messages);
    TSelectColor color;
    UiPrompt prompt(&box, &size, &color);

    QString shownText;
    clickLater(&box, "btnCancel", [&] { shownText = box.findChild<QLabel *>("lbText")->text(); });
    EXPECT_EQ(prompt.ShowMessageBox("送信しますか？", Msg::IconQuestion, Msg::ButtonsYesNo), Msg::No);
    EXPECT_EQ(shownText, "送信しますか？");

    QString widthField;
    clickLater(&size, "btnOk", [&] { widthField = size.findChild<FlatEdit *>("edtWidth")->text(); });
    EXPECT_EQ(prompt.AskPictureSize("132", "176"), QSize(132, 176));
    EXPECT_EQ(widthField, "132");

    clickLater(&color, "btnCancel");
    EXPECT_EQ(prompt.PickColor(0xFFFFFF), -1);
    clickLater(&color, "btnOk");
    EXPECT_EQ(prompt.PickColor(0x00FF00), 0x00FF00);

    // Without the dialogs there is nothing to ask with: cancelled.
    UiPrompt bare(&box);
    EXPECT_EQ(bare.AskPictureSize("132", "176"), QSize(0, 0));
    EXPECT_EQ(bare.PickColor(0x00FF00), -1);
}

TEST(Windows, CreatedAtStartAndDestroyedAtTheEnd)
{
    QTemporaryDir work;
    ASSERT_TRUE(testfiles::copySounds(work.path()));
    TUserData settings(work.path() + '/');
    PlatformServices services = LoadPlatformServices(PlatformKind::Null);

    auto w = std::make_unique<WindowRegistry>(work.path() + '/', settings, services);
    ASSERT_NE(w->Main, nullptr);
    ASSERT_NE(w->MsgBox, nullptr);
    ASSERT_NE(w->PopupListBox, nullptr);
    ASSERT_NE(w->SetPictureSize, nullptr);
    ASSERT_NE(w->SelectColor, nullptr);
    // The dialogs the main window opens are made when first opened, over it.
    EXPECT_EQ(w->Account, nullptr);
    EXPECT_EQ(w->Config, nullptr);
    EXPECT_EQ(w->Address, nullptr);
    TAddressBook book(work.path() + '/');
    QTimer::singleShot(0, [&] {
        QTest::mouseClick(w->Address->findChild<TLabeledBmpBtn *>("btnCancel"), Qt::LeftButton, {}, QPoint(5, 5));
    });
    EXPECT_EQ(w->ChooseAddress(book, "", ""), std::nullopt);
    ASSERT_NE(w->Address, nullptr);
    EXPECT_EQ(w->Address->parentWidget(), w->Main);
    EXPECT_FALSE(w->Address->isVisible());
    EXPECT_NE(dynamic_cast<UiPrompt *>(&w->UserPrompt()), nullptr);
    // Only the main window is shown by start-up; the others on demand.
    for (QWidget *window : {static_cast<QWidget *>(w->MsgBox), static_cast<QWidget *>(w->PopupListBox),
                            static_cast<QWidget *>(w->SetPictureSize), static_cast<QWidget *>(w->SelectColor)})
        EXPECT_FALSE(window->isVisible()) << window->metaObject()->className();

    // The picture size dialog's messages come through the program's message box.
    w->MsgBox->SetBeep({});
    QString message;
    QTimer::singleShot(0, [&] {
        auto *edit = w->SetPictureSize->findChild<FlatEdit *>("edtWidth");
        edit->setText("999");
        // A timer, not a posted call: a call posted from here would run while the box is still
        // being shown, before its loop runs, and the answer would be lost.
        QTimer::singleShot(10, [&] {
            message = w->MsgBox->findChild<QLabel *>("lbText")->text();
            QTest::mouseClick(w->MsgBox->findChild<TLabeledBmpBtn *>("btnOK"), Qt::LeftButton, {},
                              QPoint(5, 5));
            QTest::mouseClick(w->SetPictureSize->findChild<TLabeledBmpBtn *>("btnCancel"), Qt::LeftButton, {},
                              QPoint(5, 5));
        });
        QTest::mouseClick(w->SetPictureSize->findChild<TLabeledBmpBtn *>("btnOk"), Qt::LeftButton, {},
                          QPoint(5, 5));
    });
    EXPECT_EQ(w->UserPrompt().AskPictureSize(" 240", " 320"), QSize(0, 0));
    EXPECT_EQ(message, "画像の横幅は１２０－２４０ドットの間で指定して下さい。");

    // The sending window centres over the main window, even while another window is active.
    settings.FromAddress = "me@example.jp"; // no first-start settings dialog
    w->Main->move(300, 200);
    w->Main->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w->Main));
    QWidget other;
    other.setGeometry(0, 0, 100, 80);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    w->Sending->ShowWindow();
    const QRect over = w->Main->frameGeometry();
    const QRect sending = w->Sending->frameGeometry();
    EXPECT_EQ(sending.topLeft(), QPoint(over.x() + (over.width() - sending.width()) / 2,
                                        over.y() + (over.height() - sending.height()) / 2));
    w->Sending->HideWindow();
    w->Main->hide();

    QPointer<TMain> main = w->Main;
    QPointer<TMsgBox> box = w->MsgBox;
    w.reset();
    EXPECT_TRUE(main.isNull());
    EXPECT_TRUE(box.isNull());
}

TEST(ScriptedPrompt, RecordsWhatIsShownAndAnswersInOrder)
{
    ScriptedPrompt prompt;
    prompt.Answer(Msg::Yes);
    prompt.Answer(Msg::No);
    prompt.AnswerPictureSize(QSize(130, 200));
    prompt.AnswerColor(0xFF0000);
    QList<ScriptedPrompt::Kind> seenDuring;
    prompt.onShow = [&](const ScriptedPrompt::Shown &s) {
        seenDuring << s.kind;
    };

    EXPECT_EQ(prompt.ShowMessageBox("送信しますか？", Msg::IconQuestion, Msg::ButtonsYesNo), Msg::Yes);
    // OK messages need no answer and use none.
    EXPECT_EQ(prompt.ShowMessageBox("送信しました。", Msg::IconInformation, Msg::ButtonsOk), Msg::Ok);
    EXPECT_EQ(prompt.ShowSystemMessageBox("中止しますか？", Msg::IconQuestion, Msg::ButtonsYesNo), Msg::No);
    EXPECT_EQ(prompt.AskPictureSize(" 240", " 320"), QSize(130, 200));
    EXPECT_EQ(prompt.PickColor(0xFFFFFF), 0xFF0000);
    EXPECT_TRUE(prompt.AllAnswersUsed());

    using S = ScriptedPrompt;
    EXPECT_EQ(prompt.History(),
              (QList<S::Shown> {S::Message("送信しますか？", Msg::IconQuestion, Msg::ButtonsYesNo),
                                S::Message("送信しました。", Msg::IconInformation),
                                S::SystemMessage("中止しますか？", Msg::IconQuestion, Msg::ButtonsYesNo),
                                {S::Kind::PictureSize, " 240| 320", 0, 0},
                                {S::Kind::Color, "ffffff", 0, 0}}));
    EXPECT_EQ(seenDuring.size(), 5);
}

} // namespace
