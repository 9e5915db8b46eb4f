#include "widgets/FlatCheckBox.h"
#include "widgets/FlatEdit.h"
#include "widgets/FlatListBox.h"
#include "widgets/FlatMemo.h"
#include "widgets/FlatPanel.h"
#include "widgets/FlatProgressBar.h"

#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

TEST(FlatPanel, DrawsTheFrameOnePixelOutsideEachVisibleInput)
{
    FlatPanel panel;
    panel.resize(120, 60);
    panel.SetColor(QColor(255, 224, 120));
    panel.SetInputFrameColor(QColor(255, 138, 0));
    auto *edit = new FlatEdit(&panel);
    edit->setGeometry(20, 10, 60, 17);
    auto *hidden = new FlatEdit(&panel);
    hidden->setGeometry(20, 40, 60, 17);
    hidden->hide();
    panel.show();

    const QImage image = panel.grab().toImage();
    EXPECT_EQ(FlatPanel::InputFrameRect(edit->geometry()), QRect(19, 9, 62, 19));
    EXPECT_EQ(image.pixelColor(50, 9), QColor(255, 138, 0)); // above the field
    EXPECT_EQ(image.pixelColor(50, 27), QColor(255, 138, 0)); // below it
    EXPECT_EQ(image.pixelColor(19, 18), QColor(255, 138, 0)); // left of it
    EXPECT_EQ(image.pixelColor(50, 8), QColor(255, 224, 120)); // no wider than one pixel
    EXPECT_EQ(image.pixelColor(50, 39), QColor(255, 224, 120)); // none around the hidden field

    // It follows the field.
    edit->move(20, 30);
    const QImage moved = panel.grab().toImage();
    EXPECT_EQ(moved.pixelColor(50, 9), QColor(255, 224, 120));
    EXPECT_EQ(moved.pixelColor(50, 29), QColor(255, 138, 0));
}

TEST(FlatPanel, ReportsClicks)
{
    FlatPanel panel;
    panel.resize(50, 50);
    QSignalSpy clicks(&panel, &FlatPanel::clicked);
    QTest::mouseClick(&panel, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseClick(&panel, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks.count(), 1);
}

TEST(FlatCheckBox, TogglesAtThePressSoTheMouseDownHandlerSeesTheNewState)
{
    FlatCheckBox box;
    box.resize(13, 13);
    QList<bool> seen;
    QObject::connect(&box, &FlatCheckBox::mouseDown, [&] { seen << box.isChecked(); });
    QTest::mousePress(&box, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(box.isChecked());
    QTest::mouseRelease(&box, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(box.isChecked());
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(box.isChecked());
    EXPECT_EQ(seen, (QList<bool> {true, false}));
    box.setFocus();
    QTest::keyClick(&box, Qt::Key_Space);
    EXPECT_TRUE(box.isChecked());
}

TEST(FlatProgressBar, FillsItsInsideInProportion)
{
    FlatProgressBar bar;
    bar.resize(80, 9);
    const struct
    {
        int min, max, value;
        QRect fill;
    } cases[] = {
        {0, 100, 0, {1, 1, 0, 7}}, {0, 100, 60, {1, 1, 46, 7}}, {0, 100, 100, {1, 1, 78, 7}},
        {0, 3, 1, {1, 1, 26, 7}},  {10, 20, 15, {1, 1, 39, 7}}, {0, 0, 0, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.min) + ".." + std::to_string(c.max) + " at " + std::to_string(c.value));
        bar.setRange(c.min, c.max);
        bar.setValue(c.value);
        EXPECT_EQ(bar.BarRect(), c.fill);
    }
}

TEST(FlatEdit, SelectsItsTextOnEntryAndReportsClicksAndWheelTurns)
{
    QWidget window;
    auto *first = new FlatEdit(&window);
    auto *edit = new FlatEdit(&window);
    edit->move(0, 30);
    edit->setText(" 240");
    edit->SetAutoSelect(true);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Tab);
    ASSERT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->selectedText(), " 240");

    QSignalSpy clicks(edit, &FlatEdit::clicked);
    QSignalSpy wheels(edit, &FlatEdit::mouseWheel);
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 1);
    QWheelEvent wheel(QPointF(5, 5), edit->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(edit, &wheel);
    ASSERT_EQ(wheels.count(), 1);
    EXPECT_EQ(wheels.first().first().toInt(), -120);
}

TEST(FlatListBox, RowsHaveItsItemHeightAndWheelTurnsAreReported)
{
    FlatListBox list;
    list.resize(100, 60);
    list.SetItems({"a", "b", "c", "d", "e", "f"});
    list.SetItemHeight(20);
    list.show();
    EXPECT_EQ(list.visualItemRect(list.item(1)).top(), 20);
    EXPECT_EQ(list.visualItemRect(list.item(1)).height(), 20);
    list.SetItemIndex(3);
    EXPECT_EQ(list.ItemIndex(), 3);
    list.SetItemIndex(9);
    EXPECT_EQ(list.ItemIndex(), -1);

    FlatMemo memo;
    QSignalSpy wheels(&memo, &FlatMemo::mouseWheel);
    QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), {}, QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(memo.viewport(), &wheel);
    EXPECT_EQ(wheels.count(), 1);
}

} // namespace
