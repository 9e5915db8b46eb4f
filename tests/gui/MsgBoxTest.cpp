#include "common/Prompt.h"
#include "dialogs/MsgBoxUnit.h"
#include "dialogs/UiPrompt.h"
#include "widgets/LabeledBmpBtn.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// What the box looked like while it showed.
struct Seen
{
    QSize size;
    QString text;
    QRect textRect;
    QString okLabel;
    QString cancelLabel;
    bool cancelShown = false;
    QRect ok;
    QRect cancel;
    QRect wallPaperR;
    QStringList icons; // the icons showing
    QRect frame; // the outer rectangle, window frame included
};

class MsgBoxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        box.SetBeep([this](int icon) { beeps << icon; });
    }

    template<class T> T *child(const char *name)
    {
        T *w = box.findChild<T *>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    Seen look()
    {
        Seen s;
        s.size = box.size();
        auto *text = child<QLabel>("lbText");
        s.text = text->text();
        s.textRect = text->geometry();
        auto *ok = child<TLabeledBmpBtn>("btnOK");
        auto *cancel = child<TLabeledBmpBtn>("btnCancel");
        s.okLabel = ok->LabelText();
        s.cancelLabel = cancel->LabelText();
        s.cancelShown = cancel->isVisible();
        s.ok = ok->geometry();
        s.cancel = cancel->geometry();
        s.wallPaperR = child<QLabel>("imgWallPaperR")->geometry();
        for (const char *name : {"imgI", "imgQ", "imgE", "imgS"})
            if (child<QLabel>(name)->isVisible())
                s.icons << name;
        s.frame = box.frameGeometry();
        return s;
    }

    QStringList iconsShowing()
    {
        QStringList out;
        for (const char *name : {"imgI", "imgQ", "imgE", "imgS"})
            if (child<QLabel>(name)->isVisible())
                out << name;
        return out;
    }

    // Shows the box, records its look, runs `meanwhile`, then clicks the named button.
    int run(const QString &text, int icon, int buttons, const char *answer,
            std::function<void()> meanwhile = {})
    {
        QTimer::singleShot(0, [=, this] {
            seen = look();
            if (meanwhile)
                meanwhile();
            QTest::mouseClick(child<TLabeledBmpBtn>(answer), Qt::LeftButton, {}, QPoint(10, 10));
        });
        return box.Execute(text, icon, buttons);
    }

    TMsgBox box;
    QList<int> beeps;
    Seen seen;
};

TEST_F(MsgBoxTest, AYesNoQuestionThenAnOkMessage)
{
    EXPECT_EQ(run("送信しますか？", Msg::IconQuestion, Msg::ButtonsYesNo, "btnOK"), Msg::Yes);
    EXPECT_EQ(seen.okLabel, "はい");
    EXPECT_EQ(seen.cancelLabel, "いいえ");
    EXPECT_TRUE(seen.cancelShown);
    EXPECT_EQ(seen.icons, QStringList {"imgQ"});

    EXPECT_EQ(run("送信しますか？", Msg::IconQuestion, Msg::ButtonsYesNo, "btnCancel"), Msg::No);

    EXPECT_EQ(run("送信しました。", Msg::IconInformation, Msg::ButtonsOk, "btnOK"), Msg::Ok);
    EXPECT_EQ(seen.okLabel, "OK");
    EXPECT_FALSE(seen.cancelShown);
    EXPECT_EQ(seen.icons, QStringList {"imgI"});
    EXPECT_EQ(beeps, (QList<int> {32, 32, 64}));
    EXPECT_FALSE(box.isVisible());
}

TEST_F(MsgBoxTest, TheFirstButtonsLabelDecidesTheCodes)
{
    EXPECT_EQ(run("中止しますか？", Msg::IconQuestion, Msg::ButtonsOkCancel, "btnCancel"), Msg::Cancel);
    EXPECT_EQ(seen.okLabel, "OK");
    EXPECT_EQ(seen.cancelLabel, "キャンセル");
    EXPECT_TRUE(seen.cancelShown);

    // Any other button set keeps the labels of the use before, and so their codes.
    EXPECT_EQ(run("?", Msg::IconQuestion, 3, "btnOK"), Msg::Ok);
    EXPECT_TRUE(seen.cancelShown);
    ASSERT_EQ(run("?", Msg::IconQuestion, Msg::ButtonsYesNo, "btnOK"), Msg::Yes);
    EXPECT_EQ(run("?", Msg::IconNone, 2, "btnCancel"), Msg::No);
    EXPECT_EQ(seen.okLabel, "はい");
    EXPECT_EQ(seen.cancelLabel, "いいえ");
    EXPECT_TRUE(seen.icons.isEmpty());
    ASSERT_EQ(run("!", Msg::IconNone, Msg::ButtonsOk, "btnOK"), Msg::Ok);
    EXPECT_EQ(run("!", Msg::IconNone, 99, "btnOK"), Msg::Ok);
    EXPECT_FALSE(seen.cancelShown);
}

TEST_F(MsgBoxTest, IconsByKindAllHiddenAfterwards)
{
    const struct
    {
        int kind;
        QStringList icons;
    } cases[] = {{16, {"imgS"}}, {32, {"imgQ"}}, {48, {"imgE"}}, {64, {"imgI"}}, {0, {}}, {17, {}}, {-1, {}}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.kind);
        run("icon", c.kind, Msg::ButtonsOk, "btnOK");
        EXPECT_EQ(seen.icons, c.icons);
        EXPECT_TRUE(iconsShowing().isEmpty());
        EXPECT_EQ(beeps.takeLast(), c.kind);
    }
}

TEST_F(MsgBoxTest, WidthIs193OrTheTextsRightEdgePlus16)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const struct
    {
        QString text;
        int buttons;
        int textWidth;
        int width;
        int okLeft;
        int cancelLeft;
    } cases[] = {
        {"送信", Msg::ButtonsOk, 24, 193, 56, -1},
        {"送信", Msg::ButtonsYesNo, 24, 193, 14, 96},
        // 11 kanji: 42 + 132 + 16 = 190 stays at 193; 12 kanji: 42 + 144 + 16 = 202.
        {"漢字漢字漢字漢字漢字漢", Msg::ButtonsOk, 132, 193, 56, -1},
        {"漢字漢字漢字漢字漢字漢字", Msg::ButtonsOk, 144, 202, 61, -1},
        {"漢字漢字漢字漢字漢字漢字", Msg::ButtonsOkCancel, 144, 202, 19, 101},
        {"漢字漢字漢字漢字漢字漢字漢", Msg::ButtonsYesNo, 156, 214, 25, 107},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        run(c.text, Msg::IconExclamation, c.buttons, "btnOK");
        EXPECT_EQ(seen.textRect, QRect(42, 24, c.textWidth, 13));
        EXPECT_EQ(seen.size, QSize(c.width, 96));
        EXPECT_EQ(seen.ok, QRect(c.okLeft, 66, 80, 24));
        EXPECT_EQ(seen.cancelShown, c.cancelLeft >= 0);
        if (c.cancelLeft >= 0) {
            EXPECT_EQ(seen.cancel, QRect(c.cancelLeft, 66, 80, 24));
        }
        // The right-hand decoration keeps to the right edge.
        EXPECT_EQ(seen.wallPaperR, QRect(c.width - 154, 0, 154, 96));
        // Centred on the screen by the outer size, halves truncated.
        EXPECT_EQ(seen.frame.topLeft(),
                  QPoint(screen.x() + (screen.width() - seen.frame.width()) / 2,
                         screen.y() + (screen.height() - seen.frame.height()) / 2));
    }
}

TEST_F(MsgBoxTest, LongTextsShowOnOneLineAndLineBreaksAreKept)
{
    run("画像ファイルが見つかりません：\r\n /home/taro/写真/a.jpg", Msg::IconError, Msg::ButtonsOk, "btnOK");
    EXPECT_EQ(seen.text, "画像ファイルが見つかりません：\n /home/taro/写真/a.jpg");
    EXPECT_EQ(seen.textRect.height(), 26);
    EXPECT_EQ(seen.size.height(), 96);
    EXPECT_EQ(seen.size.width(), 42 + seen.textRect.width() + 16);
    EXPECT_EQ(seen.ok.top(), 66);

    // Three lines would reach the buttons: the box grows and the buttons move down.
    run("SMTPエラー：\nSocket Error # 10061\r\nConnection refused.", Msg::IconError, Msg::ButtonsOk, "btnOK");
    EXPECT_EQ(seen.textRect, QRect(42, 24, seen.textRect.width(), 39));
    EXPECT_EQ(seen.size.height(), 99);
    EXPECT_EQ(seen.ok.top(), 69);
    EXPECT_GE(seen.ok.top() - (seen.textRect.bottom() + 1), 6);
}

TEST_F(MsgBoxTest, ALineWiderThanTheScreenWrapsAtTheScreensWidth)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // A connection test's report of an untrusted certificate: one line with its fingerprint.
    QString fingerprint;
    for (int i = 0; i < 32; ++i)
        fingerprint
            += (i ? ":" : "") + QStringLiteral("%1").arg(i * 7 % 256, 2, 16, QLatin1Char('0')).toUpper();
    const QString line
        = "SMTPサーバー 127.0.0.1（ポート 465）\n失敗：サーバーの証明書を信頼できません（発行元を確認できま"
          "せん）。 証明書のSHA-256指紋："
        + fingerprint;
    ASSERT_GT(QFontMetrics(QApplication::font()).horizontalAdvance(line), screen.width());
    run(line, Msg::IconError, Msg::ButtonsOk, "btnOK");
    EXPECT_EQ(seen.text, line);
    EXPECT_GE(seen.frame.left(), screen.left());
    EXPECT_LE(seen.frame.right(), screen.right());
    // Wrapped: more lines than the two it has, each 13 pixels, and the buttons below them.
    EXPECT_GE(seen.textRect.height(), 3 * 13);
    EXPECT_EQ(seen.textRect.height() % 13, 0);
    EXPECT_GE(seen.ok.top() - (seen.textRect.bottom() + 1), 6);

    // The next, short message is one line again.
    run("送信", Msg::IconExclamation, Msg::ButtonsOk, "btnOK");
    EXPECT_EQ(seen.textRect, QRect(42, 24, 24, 13));
    EXPECT_EQ(seen.size, QSize(193, 96));
}

TEST_F(MsgBoxTest, OnlyItsButtonsCloseIt)
{
    bool refused = false;
    const int code = run("送信しますか？", Msg::IconQuestion, Msg::ButtonsYesNo, "btnCancel", [&] {
        EXPECT_FALSE(box.close());
        // What the window manager sends for Alt+F4, the title bar and the window menu.
        QCloseEvent close;
        close.setAccepted(true);
        QCoreApplication::sendEvent(&box, &close);
        EXPECT_FALSE(close.isAccepted());
        // The keys do not answer it either.
        QTest::keyClick(&box, Qt::Key_Escape);
        QTest::keyClick(&box, Qt::Key_Return);
        QTest::keyClick(&box, Qt::Key_Space);
        box.reject();
        refused = box.isVisible();
    });
    EXPECT_TRUE(refused);
    EXPECT_EQ(code, Msg::No);

    // A later use is closed by its button as before.
    EXPECT_EQ(run("完了", Msg::IconInformation, Msg::ButtonsOk, "btnOK"), Msg::Ok);
}

TEST_F(MsgBoxTest, IsAModalWindowAboveTheOthersWithTheProgramsTitle)
{
    EXPECT_EQ(box.windowTitle(), "タブリン");
    EXPECT_TRUE(box.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(box.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_EQ(box.size(), QSize(282, 96)); // as created, before the first use
    Qt::WindowModality modality = Qt::NonModal;
    run("?", Msg::IconQuestion, Msg::ButtonsOk, "btnOK", [&] { modality = box.windowModality(); });
    EXPECT_EQ(modality, Qt::ApplicationModal);
}

TEST_F(MsgBoxTest, ThePromptUsesTheProgramsBox)
{
    UiPrompt prompt(&box);
    QTimer::singleShot(0, [this] {
        seen = look();
        QTest::mouseClick(child<TLabeledBmpBtn>("btnCancel"), Qt::LeftButton, {}, QPoint(5, 5));
    });
    const int code = prompt.ShowMessageBox("保存しますか？", Msg::IconQuestion, Msg::ButtonsYesNo);
    EXPECT_EQ(code, Msg::No);
    EXPECT_EQ(seen.text, "保存しますか？");
}

TEST_F(MsgBoxTest, AMessageWhileTheBoxShowsGoesToThePlatformsBox)
{
    UiPrompt prompt(&box);
    QString second;
    int secondCode = 0;
    QTimer::singleShot(0, [&] {
        // A timer of the program has its own message now.
        QTimer::singleShot(10, [&] {
            auto *system = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            ASSERT_NE(system, nullptr);
            second = system->text();
            system->button(QMessageBox::Yes)->click();
        });
        secondCode = prompt.ShowMessageBox("時間切れです。", Msg::IconQuestion, Msg::ButtonsYesNo);
        QTest::mouseClick(child<TLabeledBmpBtn>("btnOK"), Qt::LeftButton, {}, QPoint(5, 5));
    });
    const int first = prompt.ShowMessageBox("送信しますか？", Msg::IconQuestion, Msg::ButtonsYesNo);
    EXPECT_EQ(second, "時間切れです。");
    EXPECT_EQ(secondCode, Msg::Yes);
    EXPECT_EQ(first, Msg::Yes);
}

} // namespace
