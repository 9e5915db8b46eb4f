#include "dialogs/SelectColorUnit.h"
#include "widgets/Artwork.h"
#include "widgets/FlatPanel.h"
#include "widgets/LabeledBmpBtn.h"

#include <QLabel>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(ColourChart, RunsThroughTheHuesFromWhiteToBlackAndFadesIntoGrey)
{
    const QImage chart = Artwork::ColourChart();
    ASSERT_EQ(chart.size(), QSize(192, 192));
    const struct
    {
        QPoint at;
        QRgb rgb;
    } cases[] = {
        {{0, 96}, 0xFF0000}, // red
        {{28, 96}, 0xFF00FF}, // magenta
        {{56, 96}, 0x0000FF}, // blue
        {{84, 96}, 0x00FFFF}, // cyan
        {{112, 96}, 0x00FF00}, // green
        {{140, 96}, 0xFFFF00}, // yellow
        {{191, 96}, 0x808080}, // the grey at the right edge
        {{0, 0}, 0xFFFFFF},    {{100, 0}, 0xFFFFFF},   {{191, 0}, 0xFFFFFF}, // white along the top
        {{0, 191}, 0x000000},  {{100, 191}, 0x000000}, {{191, 191}, 0x000000}, // black along the bottom
        {{0, 48}, 0xFF8080}, // half-way from white to red
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.at.x()) + "," + std::to_string(c.at.y()));
        EXPECT_EQ(chart.pixel(c.at) & 0xFFFFFF, c.rgb);
    }
}

TEST(Colors, ConvertBetweenQColorAndRgbNumbers)
{
    EXPECT_EQ(RgbOf(QColor(0x12, 0x34, 0x56)), 0x123456);
    EXPECT_EQ(ColorFromRgb(0xFF8000), QColor(255, 128, 0));
}

class SelectColorTest : public ::testing::Test
{
protected:
    QLabel *chart() { return dialog.findChild<QLabel *>("imgChart"); }
    FlatPanel *panel(const char *name) { return dialog.findChild<FlatPanel *>(QLatin1String(name)); }
    void click(const char *name)
    {
        QTest::mouseClick(dialog.findChild<TLabeledBmpBtn *>(QLatin1String(name)), Qt::LeftButton, {},
                          QPoint(5, 5));
    }
    int pick(int initial, std::function<void()> script)
    {
        QTimer::singleShot(0, script);
        return dialog.Pick(initial);
    }

    TSelectColor dialog;
};

TEST_F(SelectColorTest, Layout)
{
    EXPECT_EQ(dialog.windowTitle(), "タブリン - 背景色の選択");
    EXPECT_EQ(dialog.size(), QSize(212, 256));
    EXPECT_EQ(panel("pnkChart")->geometry(), QRect(8, 8, 194, 194));
    EXPECT_EQ(chart()->size(), QSize(190, 190));
    EXPECT_EQ(panel("pnlPicker")->geometry(), QRect(8, 204, 96, 17));
    EXPECT_EQ(panel("pnlSelectColor")->geometry(), QRect(105, 204, 96, 17));
    EXPECT_EQ(dialog.findChild<TLabeledBmpBtn *>("btnOk")->LabelText(), "　決定");
    EXPECT_EQ(dialog.findChild<TLabeledBmpBtn *>("btnCancel")->LabelText(), "　中止");
}

TEST_F(SelectColorTest, ThePointerShowsAColourAClickChoosesItAndOkReturnsIt)
{
    int pickerAtStart = 0, selectedAtStart = 0, pickerAfterMove = 0, selectedAfterMove = 0;
    const int rgb = pick(0x336699, [&] {
        pickerAtStart = dialog.PickerColor();
        selectedAtStart = dialog.SelectedColor();
        QTest::mouseMove(chart(), QPoint(56, 96));
        pickerAfterMove = dialog.PickerColor();
        selectedAfterMove = dialog.SelectedColor();
        // Any button chooses; the view's point is read from the chart without rescaling.
        QTest::mouseClick(chart(), Qt::RightButton, {}, QPoint(0, 96));
        click("btnOk");
    });
    EXPECT_EQ(pickerAtStart, 0x336699);
    EXPECT_EQ(selectedAtStart, 0x336699);
    EXPECT_EQ(pickerAfterMove, 0x0000FF);
    EXPECT_EQ(selectedAfterMove, 0x336699);
    EXPECT_EQ(rgb, 0xFF0000);
    EXPECT_EQ(panel("pnlSelectColor")->Color(), QColor(255, 0, 0));
}

TEST_F(SelectColorTest, CancelAfterAClickReturnsMinusOneAndTheNextUseStartsAfresh)
{
    int selectedBeforeCancel = 0;
    EXPECT_EQ(pick(0xFFFFFF,
                   [&] {
                       QTest::mouseClick(chart(), Qt::LeftButton, {}, QPoint(112, 96));
                       selectedBeforeCancel = dialog.SelectedColor();
                       click("btnCancel");
                   }),
              -1);
    EXPECT_EQ(selectedBeforeCancel, 0x00FF00);
    EXPECT_EQ(dialog.SelectedColor(), 0xFFFFFF); // taken back at the cancel

    int selectedAtStart = 0;
    EXPECT_EQ(pick(0x123456,
                   [&] {
                       selectedAtStart = dialog.SelectedColor();
                       QTest::mouseClick(chart(), Qt::LeftButton, {}, QPoint(140, 96));
                       dialog.close(); // the title bar's close
                   }),
              -1);
    EXPECT_EQ(selectedAtStart, 0x123456);

    EXPECT_EQ(pick(0x123456, [&] { click("btnOk"); }), 0x123456);
}

} // namespace
