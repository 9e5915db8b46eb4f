#include "dialogs/PopupListBoxUnit.h"
#include "widgets/FlatComboBox.h"
#include "widgets/FlatListBox.h"
#include "widgets/FlatPanel.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QStringList numbered(int n)
{
    QStringList out;
    for (int i = 1; i <= n; ++i)
        out << QStringLiteral("項目 %1").arg(i);
    return out;
}

class PopupListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        owner.resize(300, 200);
        pane.setGeometry(10, 10, 280, 180);
        list.setGeometry(20, 30, 120, 17);
        list.SetOwnerWindow(&owner);
        list.SetListWindow(&popup);
        owner.show();
        owner.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
    }
    void TearDown() override { popup.hide(); }

    void pressButton() { QTest::mouseClick(&list, Qt::LeftButton, {}, list.ButtonRect().center()); }
    QRect row(int i) { return popup.List()->visualItemRect(popup.List()->item(i)); }

    QWidget owner;
    FlatPanel pane {&owner};
    FlatComboBox list {&pane};
    TPopupListBox popup;
    QSignalSpy changes {&list, &FlatComboBox::changed};
};

TEST_F(PopupListTest, ThreeItemsDropDownAThreeRowListAtTheBottomLeftOnePixelUp)
{
    list.SetItems({"低", "中", "高"});
    ASSERT_EQ(list.ItemIndex(), -1);
    pressButton();

    ASSERT_TRUE(popup.isVisible());
    EXPECT_EQ(popup.OwnerList(), &list);
    // (0, 17 - 1) of the list in the owner window: 10 + 20, 10 + 30 + 16.
    EXPECT_EQ(popup.ClientPos(), QPoint(30, 56));
    EXPECT_EQ(popup.pos(), owner.mapToGlobal(QPoint(30, 56)));
    EXPECT_EQ(popup.List()->ItemHeight(), 14);
    EXPECT_EQ(popup.size(), QSize(120, 3 * 14 + 2));
    EXPECT_EQ(popup.List()->geometry(), QRect(0, 0, 120, 44));
    EXPECT_EQ(popup.List()->Items(), (QStringList {"低", "中", "高"}));
    // Nothing was selected: the first item is, in both.
    EXPECT_EQ(list.ItemIndex(), 0);
    EXPECT_EQ(popup.List()->ItemIndex(), 0);
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(PopupListTest, TwelveItemsDropDownAFiveRowListShowingTheSelection)
{
    list.SetItems(numbered(12));
    list.SetItemIndex(7);
    pressButton();
    ASSERT_TRUE(popup.isVisible());
    EXPECT_EQ(popup.size(), QSize(120, 5 * 14 + 2));
    EXPECT_EQ(popup.List()->count(), 12);
    EXPECT_EQ(popup.List()->ItemIndex(), 7);

    // Four items still fit without scrolling, five make the five-row list too.
    popup.hide();
    list.SetItems(numbered(4));
    pressButton();
    EXPECT_EQ(popup.height(), 4 * 14 + 2);
    popup.hide();
    list.SetItems(numbered(5));
    pressButton();
    EXPECT_EQ(popup.height(), 5 * 14 + 2);
}

TEST_F(PopupListTest, TheButtonClosesTheListWhenItShowsAndAnEmptyListDropsNothing)
{
    list.SetItems({"120 x 120", "132 x 176"});
    pressButton();
    ASSERT_TRUE(popup.isVisible());
    pressButton();
    EXPECT_FALSE(popup.isVisible());
    pressButton();
    EXPECT_TRUE(popup.isVisible());
    popup.hide();

    list.SetItems({});
    pressButton();
    EXPECT_FALSE(popup.isVisible());
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(PopupListTest, TheButtonTogglesTheListAlsoThroughTheWindowSystem)
{
    // Sent to the window as the window system would, the press reaches the popup first.
    list.SetItems({"120 x 120", "132 x 176"});
    const QPoint button = list.mapTo(&owner, list.ButtonRect().center());
    QTest::mouseClick(owner.windowHandle(), Qt::LeftButton, {}, button);
    ASSERT_TRUE(popup.isVisible());
    QTest::mouseClick(owner.windowHandle(), Qt::LeftButton, {}, button);
    EXPECT_FALSE(popup.isVisible());
    QTest::mouseClick(owner.windowHandle(), Qt::LeftButton, {}, button);
    EXPECT_TRUE(popup.isVisible());
    // A press elsewhere in the window only closes it.
    QTest::mouseClick(owner.windowHandle(), Qt::LeftButton, {}, QPoint(250, 150));
    EXPECT_FALSE(popup.isVisible());
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(PopupListTest, AClickOnAnItemSetsTheListsTextRunsItsChangeAndHides)
{
    list.SetItems({"120 x 120", "132 x 176", "240 x 320", "ユーザー設定"});
    QString textInHandler;
    bool popupHiddenInHandler = false;
    QObject::connect(&list, &FlatComboBox::changed, [&] {
        textInHandler = list.Text();
        popupHiddenInHandler = !popup.isVisible();
    });
    pressButton();
    ASSERT_TRUE(popup.isVisible());
    QTest::mouseClick(popup.List()->viewport(), Qt::LeftButton, {}, row(2).center());

    EXPECT_FALSE(popup.isVisible());
    EXPECT_EQ(list.ItemIndex(), 2);
    EXPECT_EQ(list.Text(), "240 x 320");
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(textInHandler, "240 x 320");
    EXPECT_TRUE(popupHiddenInHandler);
    EXPECT_EQ(list.Items(), (QStringList {"120 x 120", "132 x 176", "240 x 320", "ユーザー設定"}));
    // The keyboard goes to the list's parent control.
    EXPECT_EQ(QApplication::focusWidget(), &pane);
}

TEST_F(PopupListTest, MovingTheSelectionWithTheKeysPicksAtOnce)
{
    list.SetItems(numbered(8));
    list.SetItemIndex(3);
    pressButton();
    QTest::keyClick(popup.List(), Qt::Key_Down);
    EXPECT_FALSE(popup.isVisible());
    EXPECT_EQ(list.ItemIndex(), 4);
    EXPECT_EQ(list.Text(), "項目 5");
    EXPECT_EQ(changes.count(), 1);

    // Escape only hides it.
    pressButton();
    QTest::keyClick(popup.List(), Qt::Key_Escape);
    EXPECT_FALSE(popup.isVisible());
    EXPECT_EQ(list.ItemIndex(), 4);
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(PopupListTest, AClickElsewhereHidesItWithoutAPick)
{
    list.SetItems(numbered(3));
    pressButton();
    ASSERT_TRUE(popup.isVisible());
    QTest::mouseClick(&popup, Qt::LeftButton, {}, QPoint(-50, -50));
    EXPECT_FALSE(popup.isVisible());
    EXPECT_EQ(changes.count(), 0);
}

TEST_F(PopupListTest, AnItemTextThatComesTwiceKeepsThePickedPosition)
{
    // The recipient lists hold one item per history entry; two entries may share a name.
    list.setEditable(true);
    list.SetItems({"山田", "佐藤", "山田"});
    pressButton();
    QTest::mouseClick(popup.List()->viewport(), Qt::LeftButton, {}, row(2).center());
    EXPECT_EQ(list.ItemIndex(), 2);
    EXPECT_EQ(list.Text(), "山田");
}

TEST_F(PopupListTest, TheChangeHandlerRunsForSetTextButNotForTypingOrSetItemIndex)
{
    list.setEditable(true);
    list.SetItems({"taro@example.jp", "hanako@example.jp"});
    list.SetItemIndex(1);
    EXPECT_EQ(changes.count(), 0);
    list.lineEdit()->clear();
    QTest::keyClicks(list.lineEdit(), "jiro@");
    EXPECT_EQ(list.Text(), "jiro@");
    EXPECT_EQ(changes.count(), 0);

    list.SetText("hanako@example.jp");
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(list.ItemIndex(), 1);
    list.SetText("someone@else.jp");
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(list.ItemIndex(), -1);
    EXPECT_EQ(list.Text(), "someone@else.jp");

    // A list that cannot be edited selects the item of the text, or none.
    FlatComboBox fixed;
    fixed.SetItems({"低", "中", "高"});
    fixed.SetText("中");
    EXPECT_EQ(fixed.ItemIndex(), 1);
    fixed.SetText("特上");
    EXPECT_EQ(fixed.ItemIndex(), -1);
}

TEST_F(PopupListTest, HideListHidesItWithoutAPick)
{
    PopupListWindow &window = popup;
    window.HideList(); // not showing: nothing happens
    list.SetItems(numbered(2));
    pressButton();
    ASSERT_TRUE(window.IsShowing());
    window.HideList();
    EXPECT_FALSE(popup.isVisible());
    EXPECT_EQ(changes.count(), 0);
}

} // namespace
