#include "mainwindow/model/RecipientModel.h"
#include "common/UserData.h"
#include "mail/AddressBook.h"
#include "picture/PictureCanvas.h"
#include "support/Entries.h"
#include "support/MainFakes.h"
#include "support/ScriptedPrompt.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using testentries::Entry;

using S = ScriptedPrompt;

class RecipientModelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        book.Append(Entry("Taro", "taro@docomo.ne.jp", 2, 2, 240, 320)); // 0
        book.Append(Entry("Hanako", "hanako@ezweb.ne.jp", 1, 2, 132, 176)); // 1
        book.Append(Entry("Jiro", "jiro@example.jp", 0, 2, 120, 120)); // 2
        book.Append(Entry("Saburo", "saburo@example.jp", 2, 2, 240, 320)); // 3
        book.Append(Entry("Server", "server@docomo.ne.jp", 2, 2, 240, 320, true)); // 4
        book.Append(Entry("TARO", "TARO@DOCOMO.NE.JP", 2, 2, 240, 320)); // 5
        history.Append(Entry("Hanako", "hanako@ezweb.ne.jp", 1, 2, 132, 176));
        history.Append(Entry("Server", "server@docomo.ne.jp", 2, 2, 240, 320, true));
        settings.Host = "ftp.example.jp";
        settings.Port = "21";
        settings.FTPUserID = "user";
        settings.FTPPassword = "secret";
        settings.Folder = "pub";
        settings.Url = "http://example.jp/";
        canvas.Settings().SetSizePreset(2);
        canvas.Settings().SetQualityLevel(2);
        canvas.Settings().SetPictureSize(240, 320);
    }

    // Picks Taro from the address book.
    void pickTaro()
    {
        dialogs.chosenAddresses = {0};
        model.btnAddressMailClick();
    }
    void addCC(int index)
    {
        dialogs.chosenAddresses = {index};
        model.btnAddCCClick();
    }
    QStringList ccNames() const
    {
        QStringList names;
        for (const TMailAddress *e : model.CC())
            names << e->Name;
        return names;
    }

    QTemporaryDir dir;
    TAddressBook book {dir.path() + '/'};
    TAddressBook history {dir.path() + '/'};
    TUserData settings {dir.path() + '/'};
    PictureCanvas canvas {dir.path() + '/'};
    ScriptedPrompt prompt;
    FakeDialogs dialogs;
    RecipientModel model {book, history, settings, canvas, prompt, dialogs};
};

TEST_F(RecipientModelTest, APickFromTheAddressBookShowsTheEntry)
{
    pickTaro();
    EXPECT_EQ(model.Current(), &book.Get(0));
    EXPECT_EQ(model.NameText(), "Taro");
    EXPECT_EQ(model.AddressText(), "taro@docomo.ne.jp");
    EXPECT_TRUE(model.AddCCEnabled());
    EXPECT_FALSE(model.DelCCEnabled());

    // A cancelled dialog changes nothing.
    model.btnAddressMailClick();
    EXPECT_EQ(model.Current(), &book.Get(0));
}

TEST_F(RecipientModelTest, APickFromTheHistorySelectsTheHistoryEntry)
{
    model.cbxNameMailChange(0);
    EXPECT_EQ(model.Current(), &history.Get(0));
    EXPECT_EQ(model.AddressText(), "hanako@ezweb.ne.jp");
    EXPECT_TRUE(model.AddCCEnabled());
    model.cbxAddressMailChange(-1);
    EXPECT_EQ(model.Current(), nullptr);
    EXPECT_FALSE(model.AddCCEnabled());
}

TEST_F(RecipientModelTest, AServerRouteRecipientWithoutUrlIsUntickedAndForgotten)
{
    settings.Url.clear();
    dialogs.chosenAddresses = {4};
    model.btnAddressMailClick();
    EXPECT_EQ(prompt.History(),
              (QList<S::Shown> {S::Message("FTPサーバーが設定されていません。設定を確認して下さい。",
                                           Msg::IconExclamation)}));
    EXPECT_FALSE(model.ServerRoute());
    EXPECT_EQ(model.Current(), nullptr);
    EXPECT_EQ(model.NameText(), "");
    EXPECT_EQ(model.AddressText(), "");
    // Still enabled after an address book pick, and then refused.
    EXPECT_TRUE(model.AddCCEnabled());
    prompt.Clear();
    model.btnAddCCClick();
    EXPECT_EQ(prompt.Texts(), QStringList {"アドレス帳に宛先が登録されていないので、追加出来ません。"});
    EXPECT_FALSE(model.AddCCEnabled());

    // Ticked by hand: the check runs without forgetting the recipient.
    pickTaro();
    prompt.Clear();
    model.chkDoCoMoMouseDown(true);
    EXPECT_FALSE(model.ServerRoute());
    EXPECT_EQ(model.Current(), &book.Get(0));
    EXPECT_EQ(prompt.History().size(), 1);
}

TEST_F(RecipientModelTest, WithUseServerOffAServerRoutePickTicksTheHiddenBox)
{
    settings.UseServer = false;
    model.cbxNameMailChange(1);
    EXPECT_TRUE(model.ServerRoute());
    EXPECT_FALSE(model.ServerRouteShown());
    EXPECT_TRUE(prompt.History().isEmpty());
    model.lbDoCoMoClick();
    EXPECT_FALSE(model.ServerRoute());
}

TEST_F(RecipientModelTest, FurtherRecipientsMustShareTheAspectInSinglePrecision)
{
    pickTaro();
    addCC(1); // 132 x 176: 4:3 like 240 x 320
    addCC(2); // 120 x 120
    EXPECT_EQ(ccNames(), QStringList {"Hanako"});
    EXPECT_EQ(prompt.Texts(), QStringList {"宛先の画像縦横比と一致しない為、アドレスを追加できません。"});
    addCC(3);
    EXPECT_EQ(ccNames(), (QStringList {"Hanako", "Saburo"}));
    EXPECT_EQ(model.CCSelected(), 1);
    EXPECT_TRUE(model.DelCCEnabled());
}

TEST_F(RecipientModelTest, AddingRefusals)
{
    pickTaro();
    addCC(3);
    prompt.Clear();
    addCC(3); // the same entry again: nothing, silently
    EXPECT_EQ(ccNames(), QStringList {"Saburo"});
    EXPECT_TRUE(prompt.History().isEmpty());

    addCC(5); // the recipient's own address in capitals
    EXPECT_EQ(prompt.Texts(), QStringList {"宛先と同じアドレスは追加できません。"});

    prompt.Clear();
    model.SetAddressText("someone@else.jp");
    model.btnAddCCClick();
    EXPECT_EQ(prompt.Texts(), QStringList {"宛先が変更されているので、追加出来ません。"});
    EXPECT_TRUE(model.CC().isEmpty());
    EXPECT_FALSE(model.AddCCEnabled());
    EXPECT_FALSE(model.DelCCEnabled());
}

TEST_F(RecipientModelTest, AnEmptyAddressTextWarnsThatTheSizeIsNotSettledAndAdds)
{
    pickTaro();
    model.SetAddressText("");
    // The recipient's address no longer matches the empty text: refused before the aspect test.
    model.btnAddCCClick();
    EXPECT_EQ(prompt.Texts(), QStringList {"宛先が変更されているので、追加出来ません。"});

    // An entry without an address matches the empty text: the warning, then the entry is added
    // whatever its shape.
    book.Append(Entry("NoAddress", "", 2, 2, 240, 320)); // 6
    dialogs.chosenAddresses = {6};
    model.btnAddressMailClick();
    prompt.Clear();
    addCC(2);
    EXPECT_EQ(prompt.Texts(),
              QStringList {"宛先の画像サイズが決まっていない為、\n画像が正常に送られない場合があります。"});
    EXPECT_EQ(ccNames(), QStringList {"Jiro"});
}

TEST_F(RecipientModelTest, DeletingSelectsTheItemAtTheSamePlaceOrTheNewLast)
{
    book.Append(Entry("Shiro", "shiro@example.jp", 2, 2, 240, 320)); // 6
    pickTaro();
    addCC(1);
    addCC(3);
    addCC(6);
    ASSERT_EQ(ccNames(), (QStringList {"Hanako", "Saburo", "Shiro"}));

    model.SetCCSelected(1);
    model.btnDelCCClick();
    EXPECT_EQ(ccNames(), (QStringList {"Hanako", "Shiro"}));
    EXPECT_EQ(model.CCSelected(), 1);

    model.btnDelCCClick(); // the last
    EXPECT_EQ(ccNames(), QStringList {"Hanako"});
    EXPECT_EQ(model.CCSelected(), 0);
    EXPECT_TRUE(model.DelCCEnabled());

    model.SetCCSelected(-1);
    model.btnDelCCClick();
    EXPECT_EQ(prompt.Texts().last(), "削除する宛先が選択されていません。");
    model.SetCCSelected(0);
    model.btnDelCCClick();
    EXPECT_TRUE(model.CC().isEmpty());
    EXPECT_FALSE(model.DelCCEnabled());
    EXPECT_EQ(book.Count(), 7); // the entries stay in the address book
}

TEST_F(RecipientModelTest, NextFindsTheEntryAndAsksWhenThePictureSettingsDiffer)
{
    book.Save("Tavrin.ADX");
    struct Case
    {
        QList<int> answers;
        QStringList texts;
        int qualityAfter;
        bool saved;
    };
    const QString ask
        = "編集時の画像設定とアドレス帳の設定が一致しません。\nアドレス帳を修正してよろしいですか？";
    const Case cases[] = {
        {{Msg::Yes}, {ask}, 2, true},
        {{Msg::No, Msg::Yes}, {ask, "アドレス帳の設定を優先しますか？"}, 1, false},
        {{Msg::No, Msg::No},
         {ask, "アドレス帳の設定を優先しますか？", "編集時の画像設定で送信します。"},
         2,
         false},
    };
    for (const Case &c : cases) {
        book.Get(3).QualityLevel = 1;
        book.Save("Tavrin.ADX");
        prompt.Clear();
        for (int a : c.answers)
            prompt.Answer(a);
        model.SetAddressText("SABURO@example.jp");
        EXPECT_TRUE(model.CheckAtNext());
        EXPECT_EQ(prompt.Texts(), c.texts);
        EXPECT_EQ(model.Current(), &book.Get(3));
        EXPECT_EQ(book.Get(3).QualityLevel, c.qualityAfter);
        EXPECT_EQ(TAddressBook::ReadFile(dir.filePath("Tavrin.ADX")).at(3).QualityLevel, c.saved ? 2 : 1);
    }

    // An address not in the book: no question, no current recipient.
    prompt.Clear();
    model.SetAddressText("new@example.jp");
    EXPECT_TRUE(model.CheckAtNext());
    EXPECT_EQ(model.Current(), nullptr);
    EXPECT_TRUE(prompt.History().isEmpty());
}

TEST_F(RecipientModelTest, NextWithFurtherRecipientsLocksTheSizeAndUserSize)
{
    book.Append(Entry("User", "user@example.jp", 3, 2, 180, 240)); // 6
    model.SetAddressText("user@example.jp");
    canvas.Settings().SetSizePreset(3);
    canvas.Settings().SetPictureSize(180, 240);
    ASSERT_TRUE(model.CheckAtNext());
    EXPECT_TRUE(canvas.Settings().UserSizeEnabled());
    EXPECT_TRUE(model.PictureListsEnabled());

    pickTaro();
    canvas.Settings().SetSizePreset(2);
    canvas.Settings().SetPictureSize(240, 320);
    addCC(3);
    ASSERT_TRUE(model.CheckAtNext());
    EXPECT_FALSE(model.PictureListsEnabled());
    EXPECT_FALSE(canvas.Settings().UserSizeEnabled());
}

} // namespace
