#include "widgets/BmpBtn.h"
#include "widgets/Artwork.h"
#include "widgets/LabeledBmpBtn.h"

#include <QApplication>
#include <QFontInfo>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using Picture = TBmpBtn::Picture;

const QColor kCaption(127, 0, 30);

// The program font every layout assumes; the caption positions below are in its metrics.
TEST(LayoutCaption, SharesTheHeightAmongTheLinesAndCentresEach)
{
    const QFont font = QApplication::font();
    ASSERT_EQ(QFontInfo(font).family(), "IPAPGothic");
    ASSERT_EQ(QFontMetrics(font).height(), 13);

    const struct
    {
        QString text;
        QSize size;
        int offset;
        QList<CaptionLine> lines;
    } cases[] = {
        // gap (40 - 4 - 26) / 3 = 3, step 16, first top (36 - 32) / 2 + 1 + 2 = 5
        {"\\n次へ", {80, 40}, 0, {{"", 40, 5}, {"次へ", 28, 21}}},
        {"\\n次へ", {80, 40}, 1, {{"", 41, 6}, {"次へ", 29, 22}}},
        {"OK", {80, 24}, 0, {{"OK", 31, 5}}},
        {"高さを\\n合わせる", {80, 40}, 0, {{"高さを", 24, 5}, {"合わせる", 17, 21}}},
        // Too many lines for the height: the gap goes negative and truncates toward zero (-23 / 4 = -5).
        {"a\\nb\\nc", {80, 20}, 0, {{"a", 36, -4}, {"b", 36, 4}, {"c", 36, 12}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString() + " offset " + std::to_string(c.offset));
        const QList<CaptionLine> got = LayoutCaption(c.text, c.size, font, c.offset);
        ASSERT_EQ(got.size(), c.lines.size());
        for (qsizetype i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].text, c.lines[i].text) << "line " << i;
            EXPECT_EQ(QPoint(got[i].x, got[i].y), QPoint(c.lines[i].x, c.lines[i].y)) << "line " << i;
        }
    }
}

QImage look(QWidget &w)
{
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QPixmap solid(const QColor &color)
{
    QPixmap p(80, 40);
    p.fill(color);
    return p;
}

// The bounding box of the pixels that differ from the plain background.
QRect inkOf(const QImage &image, const QColor &background)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != background)
                box |= QRect(x, y, 1, 1);
    return box;
}

class LabeledButton : public ::testing::Test
{
protected:
    void SetUp() override
    {
        button.SetStandardPictures(QSize(80, 40));
        button.SetTextColor(kCaption);
        button.show();
    }

    void press() { QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(10, 10)); }
    void release() { QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(10, 10)); }
    void click()
    {
        press();
        release();
    }

    TLabeledBmpBtn button;
    QSignalSpy downs {&button, &TBmpBtn::mouseDown};
    QSignalSpy clicks {&button, &TBmpBtn::clicked};
};

TEST_F(LabeledButton, SizesItselfToItsPictureAndStartsNormal)
{
    EXPECT_EQ(button.size(), QSize(80, 40));
    EXPECT_EQ(button.Shown(), Picture::Normal);
    EXPECT_EQ(button.focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(TLabeledBmpBtn().TextColor(), QColor(128, 0, 128));
    EXPECT_EQ(TLabeledBmpBtn().TextHilite(), QColor(Qt::black));
}

TEST_F(LabeledButton, APlainButtonShowsThePressedLookOnlyWhileTheButtonIsDown)
{
    button.SetLabelText("撮影");
    QList<Picture> seenByHandler;
    QObject::connect(&button, &TBmpBtn::mouseDown, [&] { seenByHandler << button.Shown(); });

    press();
    EXPECT_EQ(button.Shown(), Picture::Down);
    EXPECT_EQ(button.ShownCaptionColor(), QColor(Qt::black));
    EXPECT_EQ(button.PressedOffset(), 1);
    EXPECT_EQ(seenByHandler, QList<Picture> {Picture::Down}); // the look is there before the handler
    release();
    EXPECT_EQ(button.Shown(), Picture::Normal);
    EXPECT_EQ(button.ShownCaptionColor(), kCaption);
    EXPECT_EQ(button.PressedOffset(), 0);
    EXPECT_FALSE(button.Holding());
    EXPECT_EQ(clicks.count(), 1);

    // Released away from the button: no click. The right button does nothing at all.
    press();
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(200, 10));
    EXPECT_EQ(button.Shown(), Picture::Normal);
    QTest::mouseClick(&button, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(downs.count(), 2);
}

TEST_F(LabeledButton, AHoldableButtonWithoutKeepTogglesWithEveryClick)
{
    button.SetLabelText("カメラ 　［切］");
    button.SetLabelHilite("カメラ 　［入］");
    button.SetHold(true);

    press();
    EXPECT_TRUE(button.Holding());
    release();
    EXPECT_EQ(button.Shown(), Picture::Down);
    EXPECT_EQ(button.ShownCaption(), "カメラ 　［入］");
    EXPECT_EQ(button.ShownCaptionColor(), QColor(Qt::black));
    EXPECT_EQ(button.PressedOffset(), 1);

    // The second press releases the hold at once, the look follows at the release.
    press();
    EXPECT_FALSE(button.Holding());
    EXPECT_EQ(button.Shown(), Picture::Down);
    release();
    EXPECT_EQ(button.Shown(), Picture::Normal);
    EXPECT_EQ(button.ShownCaption(), "カメラ 　［切］");
    EXPECT_EQ(button.ShownCaptionColor(), kCaption);
    EXPECT_EQ(button.PressedOffset(), 0);
    EXPECT_EQ(downs.count(), 2);
    EXPECT_EQ(clicks.count(), 2);
}

TEST_F(LabeledButton, AHeldButtonWithKeepStaysPressedUntilTheProgramReleasesIt)
{
    button.SetLabelText("撮影予約");
    button.SetHold(true);
    button.SetHoldingKeep(true);

    click();
    EXPECT_TRUE(button.Holding());
    click();
    click();
    EXPECT_TRUE(button.Holding());
    EXPECT_EQ(button.Shown(), Picture::Down);
    EXPECT_EQ(button.PressedOffset(), 1);
    // The presses on the held button reach no mouse-down handler; the clicks still come.
    EXPECT_EQ(downs.count(), 1);
    EXPECT_EQ(clicks.count(), 3);

    button.SetHolding(false);
    EXPECT_FALSE(button.Holding());
    EXPECT_EQ(button.Shown(), Picture::Normal);
    EXPECT_EQ(button.ShownCaptionColor(), kCaption);

    // Turning Hold off clears the hold and the keep.
    button.SetHolding(true);
    button.SetHold(false);
    EXPECT_FALSE(button.Holding());
    EXPECT_FALSE(button.HoldingKeep());
    EXPECT_EQ(button.Shown(), Picture::Normal);
}

TEST_F(LabeledButton, SetHoldingDoesNothingOnAButtonThatCannotHold)
{
    button.SetLabelText("終了");
    button.SetHolding(true);
    EXPECT_FALSE(button.Holding());
    EXPECT_EQ(button.Shown(), Picture::Normal);
    EXPECT_EQ(button.PressedOffset(), 0);
}

// Plain pictures make every caption pixel stand out from its background.
class PlainPictures : public LabeledButton
{
protected:
    void SetUp() override
    {
        LabeledButton::SetUp();
        button.SetPictureNormal(solid(kNormal));
        button.SetPictureDown(solid(kDown));
        button.SetPictureDisable(solid(kDisable));
    }
    const QColor kNormal {40, 40, 140};
    const QColor kDown {40, 140, 40};
    const QColor kDisable {60, 60, 60};
};

TEST_F(PlainPictures, TheSecondLineCaptionIsDrawnInTheLowerHalf)
{
    button.SetLabelText("\\n次へ");
    const QRect ink = inkOf(look(button), kNormal);
    // 次へ at (28, 21), 24 wide and one 13-pixel line high, with its shadow one pixel further.
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.top(), 21);
    EXPECT_LE(ink.bottom(), 21 + 13);
    EXPECT_GE(ink.left(), 28);
    EXPECT_LE(ink.right(), 28 + 24);
}

TEST_F(PlainPictures, ThePressedCaptionIsTheSameDrawingOnePixelRightAndDown)
{
    button.SetLabelText("次へ");
    button.SetTextHilite(kCaption); // same colours: only the place may differ
    button.SetPictureDown(solid(kNormal));
    button.SetHold(true);
    const QImage normal = look(button);
    button.SetHolding(true);
    const QImage held = look(button);
    ASSERT_FALSE(inkOf(normal, kNormal).isEmpty());
    EXPECT_EQ(inkOf(held, kNormal), inkOf(normal, kNormal).translated(1, 1));
    for (int y = 0; y + 1 < 40; ++y)
        for (int x = 0; x + 1 < 80; ++x)
            ASSERT_EQ(held.pixel(x + 1, y + 1), normal.pixel(x, y)) << x << "," << y;
}

TEST_F(PlainPictures, ADisabledButtonShowsOnlyTheSilverShadow)
{
    button.SetLabelText("カメラ 　［切］");
    button.SetLabelHilite("カメラ 　［入］");
    button.SetHold(true);
    button.SetHolding(true);
    button.SetEnabled(false);
    const QImage disabled = look(button);
    ASSERT_FALSE(inkOf(disabled, kDisable).isEmpty());
    // Every caption pixel is a blend of silver into the grey picture, and the strongest is silver.
    int brightest = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 80; ++x) {
            const QColor c = disabled.pixelColor(x, y);
            ASSERT_TRUE(c.red() == c.green() && c.green() == c.blue()) << x << "," << y;
            ASSERT_LE(c.red(), 192);
            brightest = qMax(brightest, c.red());
        }
    }
    EXPECT_GE(brightest, 180);
}

TEST_F(LabeledButton, ADisabledHeldButtonShowsTheDisabledPictureAndStaysHeld)
{
    button.SetLabelText("カメラ 　［切］");
    button.SetLabelHilite("カメラ 　［入］");
    button.SetHold(true);
    button.SetHolding(true);
    button.SetEnabled(false);
    EXPECT_EQ(button.Shown(), Picture::Disable);
    EXPECT_EQ(button.ShownCaption(), "カメラ 　［入］");
    // The picture under the caption is the disabled one.
    EXPECT_EQ(look(button).pixelColor(40, 2), button.PictureDisable().toImage().pixelColor(40, 2));

    // A disabled button takes no clicks; enabled again it is still held.
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_TRUE(button.Holding());
    button.SetEnabled(true);
    EXPECT_EQ(button.Shown(), Picture::Down);
    EXPECT_EQ(button.ShownCaptionColor(), QColor(Qt::black));
}

TEST(BmpBtn, ShowsItsThreePictures)
{
    TBmpBtn button;
    button.SetStandardPictures(QSize(40, 30));
    button.show();
    EXPECT_EQ(button.size(), QSize(40, 30));
    const auto shows = [&] {
        return look(button).pixelColor(20, 15);
    };
    const auto colourOf = [](const QPixmap &p) {
        return p.toImage().pixelColor(20, 15);
    };
    ASSERT_NE(colourOf(button.PictureNormal()), colourOf(button.PictureDown()));

    EXPECT_EQ(shows(), colourOf(button.PictureNormal()));
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(button.Shown(), Picture::Down);
    EXPECT_EQ(shows(), colourOf(button.PictureDown()));
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(button.Shown(), Picture::Normal);
    button.SetEnabled(false);
    EXPECT_EQ(button.Shown(), Picture::Disable);
    EXPECT_EQ(shows(), colourOf(button.PictureDisable()));
}

} // namespace
