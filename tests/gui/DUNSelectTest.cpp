// The dial-up entry chooser.

#include "common/ApplicationTitle.h"
#include "dialogs/DUNSelectUnit.h"
#include "widgets/FlatListBox.h"
#include "widgets/LabeledBmpBtn.h"

#include <QAccessible>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

class DUNSelectTest : public ::testing::Test
{
protected:
    template<class T> T *child(const char *name) { return dialog.findChild<T *>(QLatin1String(name)); }
    int choose(const QStringList &entries, int selected, std::function<void()> user)
    {
        QTimer::singleShot(0, [this, user] {
            shown = dialog.isVisible();
            user();
        });
        return dialog.Choose(entries, selected);
    }
    void click(const char *name)
    {
        QTest::mouseClick(child<TLabeledBmpBtn>(name), Qt::LeftButton, {}, QPoint(10, 10));
    }

    TDUNSelect dialog;
    bool shown = false;
    const QStringList entries {QStringLiteral("isp"), QStringLiteral("mobile"), QStringLiteral("office")};
};

TEST_F(DUNSelectTest, TheSelectedEntryIsChosenWithTheDecideButton)
{
    const int chosen = choose(entries, 0, [this] {
        EXPECT_EQ(child<FlatListBox>("lbxDUN")->Items(), entries);
        EXPECT_EQ(child<FlatListBox>("lbxDUN")->ItemIndex(), 0);
        child<FlatListBox>("lbxDUN")->SetItemIndex(2);
        click("btnOk");
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(chosen, 2);
    EXPECT_EQ(dialog.windowTitle(), ApplicationTitle() + QStringLiteral(" - 接続先の選択"));
    EXPECT_EQ(child<TLabeledBmpBtn>("btnOk")->LabelText(), QStringLiteral("　決定"));
    EXPECT_EQ(child<TLabeledBmpBtn>("btnCancel")->LabelText(), QStringLiteral("中止"));
}

TEST_F(DUNSelectTest, CancelAndEscChooseNothing)
{
    EXPECT_EQ(choose(entries, 1, [this] { click("btnCancel"); }), -1);
    EXPECT_EQ(choose(entries, 1, [this] { QTest::keyClick(&dialog, Qt::Key_Escape); }), -1);
    // Deciding with nothing selected chooses nothing either.
    EXPECT_EQ(choose(entries, -1, [this] { click("btnOk"); }), -1);
}

TEST_F(DUNSelectTest, EnterDecidesLikeTheDecideButton)
{
    bool closedByEnter = false;
    const int chosen = choose(entries, 0, [this, &closedByEnter] {
        QTest::keyClick(child<FlatListBox>("lbxDUN"), Qt::Key_Down);
        QTest::keyClick(child<FlatListBox>("lbxDUN"), Qt::Key_Return);
        closedByEnter = !dialog.isVisible();
        if (!closedByEnter)
            dialog.reject();
    });
    EXPECT_TRUE(closedByEnter);
    EXPECT_EQ(chosen, 1);
}

TEST_F(DUNSelectTest, ControlsAreNamedForScreenReaders)
{
    dialog.Prepare(entries, 0);
    const struct
    {
        const char *object;
        QString name;
    } cases[] = {{"lbxDUN", "接続先"}, {"btnOk", "決定"}, {"btnCancel", "中止"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.object);
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(child<QWidget>(c.object));
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->text(QAccessible::Name), c.name);
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(child<QWidget>("lbxDUN"))->role(), QAccessible::List);
}

} // namespace
