#include "common/UserData.h"
#include "dialogs/AddressUnit.h"
#include "dialogs/PopupListBoxUnit.h"
#include "mail/AddressBook.h"
#include "support/AccessibleNames.h"
#include "support/Entries.h"
#include "support/ScriptedPrompt.h"
#include "widgets/FlatCheckBox.h"
#include "widgets/FlatComboBox.h"
#include "widgets/FlatEdit.h"
#include "widgets/FlatListBox.h"
#include "widgets/FlatPanel.h"
#include "widgets/LabeledBmpBtn.h"

#include <QAccessible>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const QString kDeleteQuestion = QString::fromUtf8("削除しますか？");
const QString kOverwriteQuestion = QString::fromUtf8("メールアドレスが登録済みです。上書きしますか？");

// By default an entry as TMailAddress starts: 132 x 176, middle quality.
TMailAddress entry(const QString &name, const QString &address, int preset = 1, int width = 132,
                   int height = 176, bool route = false, int quality = 1)
{
    return testentries::Entry(name, address, preset, quality, width, height, route);
}

class AddressTest : public ::testing::Test
{
protected:
    template<class T> T *child(const char *name)
    {
        T *found = dialog.findChild<T *>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    FlatEdit *edit(const char *name) { return child<FlatEdit>(name); }
    FlatListBox *list() { return child<FlatListBox>("lbxAddress"); }
    FlatComboBox *combo(const char *name) { return child<FlatComboBox>(name); }
    TLabeledBmpBtn *button(const char *name) { return child<TLabeledBmpBtn>(name); }
    void click(QWidget *w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(3, 3)); }
    void click(const char *name) { click(child<QWidget>(name)); }
    void type(const char *name, const QString &text)
    {
        edit(name)->clear();
        edit(name)->insert(text);
    }
    QStringList names()
    {
        QStringList out;
        for (int i = 0; i < book.Count(); ++i)
            out << book.Get(i).Name;
        return out;
    }

    // Chooses from the book while script runs; a dialog the script left open fails the test.
    int choose(std::function<void()> script, const QString &newName = QString(),
               const QString &newAddress = QString())
    {
        QTimer::singleShot(0, [this, script] {
            script();
            if (dialog.isVisible()) {
                ADD_FAILURE() << "the dialog is still open";
                dialog.reject();
            }
        });
        return dialog.ChooseEntry(book, newName, newAddress);
    }

    QTemporaryDir work;
    TAddressBook book {work.path() + '/'};
    TUserData settings;
    ScriptedPrompt prompt;
    TPopupListBox popup;
    TAddress dialog {settings, prompt, &popup};
};

TEST_F(AddressTest, AnEmptyBookOffersNothingToEditOrDeleteAndDecidesNothing)
{
    bool editEnabled = true, deleteEnabled = true;
    int rows = -1;
    EXPECT_EQ(choose([&] {
                  rows = list()->count();
                  editEnabled = button("btnEdit")->isEnabled();
                  deleteEnabled = button("btnDelete")->isEnabled();
                  click("btnEdit");
                  click("btnDelete");
                  click("btnOK");
              }),
              -1);
    EXPECT_EQ(rows, 0);
    EXPECT_FALSE(editEnabled);
    EXPECT_FALSE(deleteEnabled);
    EXPECT_TRUE(prompt.History().isEmpty());
    EXPECT_EQ(dialog.windowTitle(), "タブリン - アドレス帳");
    EXPECT_EQ(dialog.size(), QSize(289, 172));
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(AddressTest, ListsTheNamesInOrderAndYieldsTheSelectedPosition)
{
    for (const char *name : {"A", "B", "C"})
        book.Append(entry(name, QString(name).toLower() + "@example.jp"));
    QStringList shown;
    int selected = -1;
    EXPECT_EQ(choose([&] {
                  shown = list()->Items();
                  selected = list()->ItemIndex();
                  list()->SetItemIndex(2);
                  click("btnOK");
              }),
              2);
    EXPECT_EQ(shown, QStringList({"A", "B", "C"}));
    EXPECT_EQ(selected, 0);
    EXPECT_EQ(choose([&] { click("btnCancel"); }), -1);
    EXPECT_EQ(choose([&] { dialog.close(); }), -1);
    EXPECT_EQ(choose([&] { QTest::keyClick(list(), Qt::Key_Escape); }), -1);
    EXPECT_EQ(choose([&] {
                  list()->SetItemIndex(1);
                  QTest::keyClick(list(), Qt::Key_Return);
              }),
              1);
    EXPECT_EQ(book.Count(), 3);
}

TEST_F(AddressTest, NewStartsFromTheRecipientTextsAndAppendsEvenWhenTheDialogIsCancelled)
{
    book.Append(entry("A", "a@example.jp"));
    QString name, address, width, height, preset, quality;
    bool sizeEnabled = true, selectedNew = false;
    EXPECT_EQ(choose(
                  [&] {
                      click("btnNew");
                      EXPECT_TRUE(dialog.InEditMode());
                      name = edit("edtName")->text();
                      address = edit("edtAddress")->text();
                      preset = combo("cbxPictureSize")->Text();
                      quality = combo("cbxQuality")->Text();
                      width = edit("edtWidth")->text();
                      height = edit("edtHeight")->text();
                      sizeEnabled = edit("edtWidth")->isEnabled();
                      combo("cbxQuality")->SetText("低");
                      click("btnEditOK");
                      EXPECT_FALSE(dialog.InEditMode());
                      selectedNew = list()->ItemIndex() == 1;
                      click("btnCancel");
                  },
                  "花子", "Hanako@Example.jp"),
              -1);
    EXPECT_EQ(name, "花子");
    EXPECT_EQ(address, "Hanako@Example.jp");
    EXPECT_EQ(preset, "240 x 320");
    EXPECT_EQ(quality, "高");
    EXPECT_EQ(width, "240");
    EXPECT_EQ(height, "320");
    EXPECT_FALSE(sizeEnabled);
    EXPECT_TRUE(selectedNew);
    ASSERT_EQ(book.Count(), 2);
    EXPECT_EQ(book.Get(1), entry("花子", "Hanako@Example.jp", 2, 240, 320, false, 0));
}

TEST_F(AddressTest, NewWithAnAddressAlreadyThereAsksToOverwrite)
{
    book.Append(entry("A", "a@example.jp"));
    book.Append(entry("B", "b@example.jp", 0, 120, 120));
    book.Append(entry("C", "c@example.jp"));
    const TMailAddress b = book.Get(1);
    const auto newBee = [&] {
        click("btnNew");
        type("edtName", "Bee");
        type("edtAddress", "B@EXAMPLE.JP");
        click("btnEditOK");
        click("btnOK");
    };

    // No: the book stays as it was and the existing entry is selected.
    prompt.Answer(Msg::No);
    EXPECT_EQ(choose(newBee), 1);
    EXPECT_EQ(prompt.History(),
              QList {ScriptedPrompt::Message(kOverwriteQuestion, Msg::IconQuestion, Msg::ButtonsYesNo)});
    EXPECT_EQ(book.Count(), 3);
    EXPECT_EQ(book.Get(1), b);

    // Yes: all seven fields of the existing entry are replaced.
    prompt.Answer(Msg::Yes);
    EXPECT_EQ(choose(newBee), 1);
    EXPECT_EQ(book.Count(), 3);
    EXPECT_EQ(book.Get(1), entry("Bee", "B@EXAMPLE.JP", 2, 240, 320, false, 2));
    EXPECT_EQ(names(), QStringList({"A", "Bee", "C"}));
}

TEST_F(AddressTest, EditingShowsThePresetsSizeAndStoresIt)
{
    book.Append(entry("A", "a@example.jp"));
    book.Append(entry("B", "b@example.jp", 1, 240, 320, false, 2));
    QString width, height, preset, quality;
    EXPECT_EQ(choose([&] {
                  list()->SetItemIndex(1);
                  click("btnEdit");
                  width = edit("edtWidth")->text();
                  height = edit("edtHeight")->text();
                  preset = combo("cbxPictureSize")->Text();
                  quality = combo("cbxQuality")->Text();
                  type("edtName", " B2 ");
                  click("btnEditOK");
                  click("btnOK");
              }),
              1);
    EXPECT_EQ(width, "132");
    EXPECT_EQ(height, "176");
    EXPECT_EQ(preset, "132 x 176");
    EXPECT_EQ(quality, "高");
    EXPECT_EQ(book.Get(1), entry(" B2 ", "b@example.jp", 1, 132, 176, false, 2));

    // Edited into another entry's address: both carry it, without a question.
    EXPECT_EQ(choose([&] {
                  list()->SetItemIndex(1);
                  click("btnEdit");
                  type("edtAddress", "a@example.jp");
                  click("btnEditOK");
                  click("btnOK");
              }),
              1);
    EXPECT_TRUE(prompt.History().isEmpty());
    EXPECT_EQ(book.Get(1).Address, "a@example.jp");
    EXPECT_EQ(book.Find("A@example.jp"), 0);
}

TEST_F(AddressTest, APresetOrQualityOutsideTheListsSurvivesAnEdit)
{
    book.Append(entry("A", "a@example.jp", 7, 200, 210, false, 9));
    EXPECT_EQ(choose([&] {
                  click("btnEdit");
                  type("edtName", "A2");
                  click("btnEditOK");
                  click("btnOK");
              }),
              0);
    EXPECT_EQ(book.Get(0), entry("A2", "a@example.jp", 7, 200, 210, false, 9));
}

TEST_F(AddressTest, AnEmptyNameOrAddressIsRefusedAndTheEditStays)
{
    book.Append(entry("A", "a@example.jp"));
    QStringList left;
    EXPECT_EQ(choose([&] {
                  click("btnEdit");
                  type("edtName", "");
                  click("btnEditOK");
                  left << (dialog.InEditMode() ? "edit" : "list");
                  type("edtName", "X");
                  type("edtAddress", "");
                  click("btnEditOK");
                  left << (dialog.InEditMode() ? "edit" : "list") << edit("edtName")->text();
                  click("btnEditCancel");
                  left << (dialog.InEditMode() ? "edit" : "list");
                  click("btnOK");
              }),
              0);
    EXPECT_EQ(left, QStringList({"edit", "edit", "X", "list"}));
    EXPECT_EQ(prompt.History(),
              QList({ScriptedPrompt::Message("名前が入力されていません。", Msg::IconExclamation),
                     ScriptedPrompt::Message("メールアドレスが入力されていません。", Msg::IconExclamation)}));
    EXPECT_EQ(book.Get(0), entry("A", "a@example.jp")); // the cancelled edit stored nothing
}

TEST_F(AddressTest, DeletingSelectsTheSamePlaceOrTheNewLast)
{
    for (const char *name : {"A", "B", "C"})
        book.Append(entry(name, QString(name) + "@example.jp"));
    prompt.Answer(Msg::No);
    prompt.Answer(Msg::Yes);
    prompt.Answer(Msg::Yes);
    prompt.Answer(Msg::Yes);
    QList<int> selections;
    QStringList shown;
    bool editEnabled = true, deleteEnabled = true;
    EXPECT_EQ(choose([&] {
                  list()->SetItemIndex(2);
                  click("btnDelete"); // No
                  selections << list()->ItemIndex();
                  click("btnDelete"); // the last of three
                  selections << list()->ItemIndex();
                  shown = list()->Items();
                  list()->SetItemIndex(0);
                  click("btnDelete"); // the first of two
                  selections << list()->ItemIndex();
                  click("btnDelete"); // the only one
                  selections << list()->ItemIndex();
                  editEnabled = button("btnEdit")->isEnabled();
                  deleteEnabled = button("btnDelete")->isEnabled();
                  click("btnOK");
              }),
              -1);
    EXPECT_EQ(selections, QList<int>({2, 1, 0, -1}));
    EXPECT_EQ(shown, QStringList({"A", "B"}));
    EXPECT_EQ(book.Count(), 0);
    EXPECT_FALSE(editEnabled);
    EXPECT_FALSE(deleteEnabled);
    EXPECT_EQ(prompt.History().size(), 4);
    EXPECT_EQ(prompt.History().first(),
              ScriptedPrompt::Message(kDeleteQuestion, Msg::IconQuestion, Msg::ButtonsYesNo));
    EXPECT_TRUE(prompt.AllAnswersUsed());
}

TEST_F(AddressTest, TheUserSizeAsksForTheSizeAndOnlyItsFieldsAreEnabled)
{
    book.Append(entry("A", "a@example.jp", 0, 120, 120));
    prompt.AnswerPictureSize(QSize(0, 0));
    prompt.AnswerPictureSize(QSize(200, 300));
    prompt.AnswerPictureSize(QSize(150, 160));
    prompt.AnswerPictureSize(QSize(0, 0));
    struct Look
    {
        bool enabled;
        QColor frame;
        QColor text;
        QString width;
        QString height;
        bool operator==(const Look &) const = default;
    };
    QList<Look> looks;
    auto look = [&] {
        // The frame's top edge, drawn by the panel under the field.
        const QImage frame = child<FlatPanel>("pnlHeightFrame")->grab().toImage();
        looks << Look {edit("edtWidth")->isEnabled() && child<QLabel>("lbHeight")->isEnabled(),
                       frame.pixelColor(frame.width() / 2, 0),
                       edit("edtHeight")->palette().color(QPalette::Active, QPalette::Text),
                       edit("edtWidth")->text(), edit("edtHeight")->text()};
    };
    EXPECT_EQ(
        choose([&] {
            click("btnEdit");
            look();
            combo("cbxPictureSize")->SetText("ユーザー設定"); // cancelled: the values stay, now editable
            look();
            click("edtWidth");
            look();
            click("lbHeight");
            look();
            combo("cbxPictureSize")->SetText("240 x 320");
            look();
            click("edtWidth"); // disabled: nothing asked
            combo("cbxPictureSize")->SetText("ユーザー設定");
            click("btnEditOK");
            click("btnOK");
        }),
        0);
    const QColor purple(128, 0, 128), grey(128, 128, 128), orange(255, 138, 0);
    EXPECT_EQ(looks,
              QList<Look>({{false, grey, grey, "120", "120"},
                           {true, orange, purple, "120", "120"},
                           {true, orange, purple, "200", "300"},
                           {true, orange, purple, "150", "160"},
                           {false, grey, grey, "240", "320"}}));
    EXPECT_EQ(prompt.Texts(), QStringList({"120|120", "120|120", "200|300", "240|320"}));
    EXPECT_TRUE(prompt.AllAnswersUsed());
    EXPECT_EQ(book.Get(0), entry("A", "a@example.jp", 3, 240, 320));
}

TEST_F(AddressTest, AGreyedSizeLabelOrFieldDoesNothingUnderAFixedPreset)
{
    book.Append(entry("A", "a@example.jp", 2, 240, 320));
    // Were anything asked, it would store a user size of 200 x 300 under the preset.
    prompt.AnswerPictureSize(QSize(200, 300));
    EXPECT_EQ(choose([&] {
                  click("btnEdit");
                  ASSERT_FALSE(child<QLabel>("lbWidth")->isEnabled());
                  click("lbWidth");
                  click("lbHeight");
                  click("edtHeight");
                  EXPECT_EQ(edit("edtWidth")->text(), "240");
                  EXPECT_EQ(edit("edtHeight")->text(), "320");
                  click("btnEditOK");
                  click("btnOK");
              }),
              0);
    EXPECT_TRUE(prompt.Texts().isEmpty()) << prompt.Texts().join('|').toStdString();
    EXPECT_EQ(book.Get(0), entry("A", "a@example.jp", 2, 240, 320));
}

TEST_F(AddressTest, TheServerRouteBoxShowsOnlyWithTheFtpSetting)
{
    book.Append(entry("A", "a@example.jp", 1, 132, 176, true));
    settings.UseServer = true;
    bool shown = false, ticked = false, toggled = true;
    EXPECT_EQ(choose([&] {
                  click("btnEdit");
                  shown = child<FlatCheckBox>("chkDoCoMo")->isVisible()
                      && child<QLabel>("lbDoCoMo")->isVisible();
                  ticked = child<FlatCheckBox>("chkDoCoMo")->isChecked();
                  click("lbDoCoMo");
                  toggled = child<FlatCheckBox>("chkDoCoMo")->isChecked();
                  click("lbDoCoMo");
                  click("btnEditOK");
                  click("btnOK");
              }),
              0);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(ticked);
    EXPECT_FALSE(toggled);
    EXPECT_TRUE(book.Get(0).ServerRoute);

    // Off: once the edit panel has shown with the setting off, the hidden box comes unticked and the
    // save clears the route.
    settings.UseServer = false;
    EXPECT_EQ(choose([&] {
                  click("btnEdit");
                  shown = !child<FlatCheckBox>("chkDoCoMo")->isHidden()
                      || !child<QLabel>("lbDoCoMo")->isHidden();
                  click("btnEditCancel");
                  click("btnEdit");
                  ticked = child<FlatCheckBox>("chkDoCoMo")->isChecked();
                  click("btnEditOK");
                  click("btnOK");
              }),
              0);
    EXPECT_FALSE(shown);
    EXPECT_FALSE(ticked);
    EXPECT_FALSE(book.Get(0).ServerRoute);
}

TEST_F(AddressTest, TheDialogAlwaysOpensInListMode)
{
    book.Append(entry("A", "a@example.jp"));
    EXPECT_EQ(choose([&] {
                  click("btnNew");
                  dialog.close();
              }),
              -1);
    bool listShown = false;
    EXPECT_EQ(choose([&] {
                  listShown = !dialog.InEditMode() && list()->isVisible();
                  click("btnOK");
              }),
              0);
    EXPECT_TRUE(listShown);
    EXPECT_EQ(book.Count(), 1);
}

TEST_F(AddressTest, ControlsAreNamedForScreenReaders)
{
    const testaccess::Control controls[] = {
        {"lbxAddress", QAccessible::List, "アドレス帳"},
        {"edtName", QAccessible::EditableText, "名前"},
        {"edtAddress", QAccessible::EditableText, "メールアドレス"},
        {"cbxPictureSize", QAccessible::ComboBox, "画像サイズ"},
        {"edtWidth", QAccessible::EditableText, "横"},
        {"edtHeight", QAccessible::EditableText, "縦"},
        {"cbxQuality", QAccessible::ComboBox, "画像品質"},
        {"chkDoCoMo", QAccessible::CheckBox, "ｉモード、ｉショット（サーバーを使用する）"},
    };
    testaccess::ExpectControls(&dialog, controls);
    // The inputs also read the labels that name them.
    const char *const labelled[][2]
        = {{"edtName", "名前："}, {"cbxPictureSize", "画像サイズ："}, {"cbxQuality", "画像品質："}};
    for (const auto &[input, label] : labelled) {
        EXPECT_EQ(testaccess::LabelsOf(dialog.findChild<QWidget *>(QLatin1String(input))),
                  QStringList {QString::fromUtf8(label)})
            << input;
    }
    // Picture buttons by their captions without the leading blanks.
    const char *const buttons[][2]
        = {{"btnEdit", "編　集"}, {"btnNew", "新　規"},  {"btnDelete", "削　除"},  {"btnCancel", "中止"},
           {"btnOK", "決定"},     {"btnEditOK", "決定"}, {"btnEditCancel", "中止"}};
    for (const auto &b : buttons) {
        EXPECT_EQ(QAccessible::queryAccessibleInterface(button(b[0]))->text(QAccessible::Name),
                  QString::fromUtf8(b[1]))
            << b[0];
    }
    EXPECT_EQ(button("btnCancel")->LabelText(), "　　中止");
    EXPECT_EQ(button("btnEdit")->LabelText(), "編　集");
}

} // namespace
