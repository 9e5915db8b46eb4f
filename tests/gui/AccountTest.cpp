#include "dialogs/AccountUnit.h"
#include "dialogs/PopupListBoxUnit.h"
#include "support/AccessibleNames.h"
#include "widgets/FlatComboBox.h"
#include "widgets/FlatEdit.h"
#include "widgets/LabeledBmpBtn.h"

#include <QAccessible>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const QList<MailAccount> kAccounts {
    {"山田 太郎", "taro@example.jp", "smtp.example.jp", "pop.example.jp", "taro-smtp", "taro", "自宅"},
    {"Taro Yamada", "yamada@example.com", "smtp.example.com", "", "", "yamada", "仕事"},
    {"T", "t@example.net", "smtp.example.net", "pop.example.net", "t", "t", "予備"},
};

class AccountTest : public ::testing::Test
{
protected:
    QStringList shown()
    {
        QStringList out;
        for (const char *name : {"edName", "edAddress", "edSMTPServer", "edPOPServer"})
            out << dialog.findChild<FlatEdit *>(name)->text();
        return out;
    }
    FlatComboBox *list() { return dialog.findChild<FlatComboBox *>("cbxAccount"); }
    int choose(std::function<void()> script)
    {
        QTimer::singleShot(0, [this, script] {
            script();
            if (dialog.isVisible()) {
                ADD_FAILURE() << "the dialog is still open";
                dialog.reject();
            }
        });
        return dialog.Choose(kAccounts);
    }
    void click(const char *name)
    {
        QTest::mouseClick(dialog.findChild<TLabeledBmpBtn *>(name), Qt::LeftButton, {}, QPoint(3, 3));
    }

    TPopupListBox popup;
    TAccount dialog {&popup};
};

TEST_F(AccountTest, ShowsTheSelectedAccountAndYieldsItsPosition)
{
    QStringList names, first, second;
    EXPECT_EQ(choose([&] {
                  names = list()->Items();
                  first = shown();
                  list()->SetText("仕事");
                  second = shown();
                  click("btnOK");
              }),
              1);
    EXPECT_EQ(dialog.windowTitle(), "アカウントの選択");
    EXPECT_EQ(dialog.findChild<QLabel *>("lbAccount")->text(), "使用するアカウントを選択して下さい：");
    EXPECT_EQ(names, QStringList({"自宅", "仕事", "予備"}));
    EXPECT_EQ(first, QStringList({"山田 太郎", "taro@example.jp", "smtp.example.jp", "pop.example.jp"}));
    EXPECT_EQ(second, QStringList({"Taro Yamada", "yamada@example.com", "smtp.example.com", ""}));
    EXPECT_TRUE(dialog.findChild<FlatEdit *>("edName")->isReadOnly());

    // Each use starts again from the first account.
    EXPECT_EQ(choose([&] {
                  first = shown();
                  QTest::keyClick(list(), Qt::Key_Return);
              }),
              0);
    EXPECT_EQ(first[0], "山田 太郎");
}

TEST_F(AccountTest, CancelEscAndTheCloseBoxYieldMinusOne)
{
    EXPECT_EQ(choose([&] {
                  list()->SetText("予備");
                  click("btnCancel");
              }),
              -1);
    EXPECT_EQ(choose([&] { QTest::keyClick(list(), Qt::Key_Escape); }), -1);
    EXPECT_EQ(choose([&] { dialog.close(); }), -1);
}

TEST_F(AccountTest, ControlsAreNamedForScreenReaders)
{
    const testaccess::Control controls[] = {
        {"cbxAccount", QAccessible::ComboBox, "使用するアカウントを選択して下さい"},
        {"edName", QAccessible::EditableText, "名前"},
        {"edPOPServer", QAccessible::EditableText, "POP3サーバー"},
        {"btnOK", QAccessible::PushButton, "OK"},
        {"btnCancel", QAccessible::PushButton, "中止"},
    };
    testaccess::ExpectControls(&dialog, controls);
    // The inputs also read the labels that name them.
    EXPECT_EQ(testaccess::LabelsOf(dialog.findChild<QWidget *>(QStringLiteral("cbxAccount"))),
              QStringList {QStringLiteral("使用するアカウントを選択して下さい：")});
    EXPECT_EQ(testaccess::LabelsOf(dialog.findChild<QWidget *>(QStringLiteral("edName"))),
              QStringList {QStringLiteral("名前：")});
}

} // namespace
