#include "common/UserData.h"
#include "dialogs/AccountUnit.h"
#include "dialogs/ConfigUnit.h"
#include "dialogs/PopupListBoxUnit.h"
#include "platform/linux/ThunderbirdAccountStore.h"
#include "support/AccessibleNames.h"
#include "support/ScriptedPrompt.h"
#include "support/ScriptedServer.h"
#include "support/TestCertificates.h"
#include "support/ThunderbirdProfiles.h"
#include "widgets/FlatCheckBox.h"
#include "widgets/FlatComboBox.h"
#include "widgets/FlatEdit.h"
#include "widgets/FlatListBox.h"
#include "widgets/FlatMemo.h"
#include "widgets/LabeledBmpBtn.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

using testthunderbird::Account;

const QString kCancelQuestion = QString::fromUtf8("中止しますか？");
const QString kImportQuestion = QString::fromUtf8("設定をインポートしますか？？");
const QString kUserInfo = QString::fromUtf8("ユーザー情報を設定しなければ、メールは送信できません。");

ScriptedPrompt::Shown question(const QString &text)
{
    return ScriptedPrompt::SystemMessage(text, Msg::IconQuestion, Msg::ButtonsYesNo);
}

ScriptedPrompt::Shown warning(const QString &text)
{
    return ScriptedPrompt::SystemMessage(text, Msg::IconExclamation);
}

class ConfigTest : public ::testing::Test
{
protected:
    // The dialog reads the mail accounts when it is made: write a profile first.
    TConfig &dialog()
    {
        if (!m_dialog)
            m_dialog = std::make_unique<TConfig>(
                settings, prompt, store, &choice, [this] { ++formats; }, [this] { ++sources; });
        return *m_dialog;
    }
    template<class T> T *child(const char *name)
    {
        T *found = dialog().findChild<T *>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    FlatEdit *edit(const char *name) { return child<FlatEdit>(name); }
    QString text(const char *name) { return edit(name)->text(); }
    void type(const char *name, const QString &value)
    {
        edit(name)->clear();
        edit(name)->insert(value);
    }
    void click(QWidget *w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(3, 3)); }
    void click(const char *name) { click(child<QWidget>(name)); }
    void choose(const char *radio) { child<QRadioButton>(radio)->click(); }
    // Picks an item as a user does: the list's button opens the shared list window, a click picks.
    void pick(const char *name, const QString &item)
    {
        auto *list = child<FlatComboBox>(name);
        QTest::mouseClick(list, Qt::LeftButton, {}, list->ButtonRect().center());
        ASSERT_TRUE(popup.IsShowing()) << name;
        QListWidget *rows = popup.List();
        const QList<QListWidgetItem *> found = rows->findItems(item, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << item.toStdString();
        QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, rows->visualItemRect(found[0]).center());
        EXPECT_FALSE(popup.IsShowing());
        EXPECT_EQ(list->Text(), item);
    }
    bool open() { return dialog().isVisible(); }

    // Shows the dialog and runs script while it shows; a dialog the script left open is closed as
    // cancelled, and that fails the test.
    bool execute(std::function<void()> script)
    {
        QTimer::singleShot(0, [this, script] {
            // A user works in the dialog once it is the active window.
            EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog()));
            script();
            if (dialog().isVisible()) {
                ADD_FAILURE() << "the dialog is still open";
                dialog().QDialog::reject();
            }
        });
        return dialog().Execute();
    }

    void fillUser()
    {
        settings.FromName = "山田 太郎";
        settings.FromAddress = "taro@example.jp";
        settings.SMTPServer = "smtp.example.jp";
    }

    QTemporaryDir home;
    ThunderbirdAccountStore store {home.path()};
    TUserData settings;
    ScriptedPrompt prompt;
    TPopupListBox popup;
    TAccount choice {&popup};
    int formats = 0;
    int sources = 0;

private:
    std::unique_ptr<TConfig> m_dialog;
};

TEST_F(ConfigTest, FivePagesWithTheirControlsLabelsAndTips)
{
    EXPECT_EQ(dialog().windowTitle(), "タブリン - 設定");
    auto *pages = child<QTabWidget>("pcConfig");
    ASSERT_EQ(pages->count(), 5);
    EXPECT_EQ(pages->tabText(0), "ユーザー情報");
    EXPECT_EQ(pages->tabText(1), "FTPサーバー");
    EXPECT_EQ(pages->tabText(2), "サインイン");
    EXPECT_EQ(pages->tabText(3), "カメラ設定");
    EXPECT_EQ(pages->tabText(4), "情報");
    EXPECT_EQ(pages->currentIndex(), 0);

    const struct
    {
        const char *field;
        const char *label;
        QString labelText;
        QString tip;
        bool inputMethod;
    } user[] = {
        {"edFromName", "lbFromName", "名前：", "名前を入力して下さい", true},
        {"edFromAddress", "lbFromAddress", "メールアドレス：", "メールアドレスを入力して下さい", false},
        {"edSMTPServer", "lbSMTPServer", "SMTPサーバー：", "送信用メールサーバー（SMTP)を入力して下さい",
         false},
        {"edPOPServer", "lbPOPServer", "POP3サーバー：", "受信用メールサーバー（ＰＯＰ３)を入力して下さい",
         false},
        {"edUserID", "lbUserID", "ユーザーＩＤ：", "メールサーバーのアカウント名を入力して下さい", false},
        {"edPassWord", "lbPassWord", "パスワード：", "メールサーバーのパスワードを入力して下さい", false},
    };
    for (const auto &u : user) {
        SCOPED_TRACE(u.field);
        EXPECT_EQ(child<QLabel>(u.label)->text(), u.labelText);
        EXPECT_EQ(edit(u.field)->toolTip(), u.tip);
        EXPECT_EQ(edit(u.field)->testAttribute(Qt::WA_InputMethodEnabled), u.inputMethod);
    }
    EXPECT_EQ(edit("edPassWord")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(edit("edPassWord")
                  ->style()
                  ->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, edit("edPassWord")),
              '*');
    EXPECT_EQ(edit("edFTPPassword")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(child<QGroupBox>("gbxAuth")->title(), "ユーザー認証");
    EXPECT_EQ(child<QRadioButton>("rbNoAuth")->text(), "しない");
    EXPECT_EQ(child<QRadioButton>("rbUsePOP3")->text(), "POP before SMTP");
    EXPECT_EQ(child<QRadioButton>("rbSMTPAuth")->text(), "SMTP認証");
    EXPECT_EQ(child<FlatCheckBox>("cbxUseOP25B")->text(), "OP25B対策");
    EXPECT_EQ(child<FlatCheckBox>("cbxUseOP25B")->toolTip(), "SMTPポートを587番に変更します");
    EXPECT_EQ(child<QLabel>("Label9")->text(), "ダイヤルアップで");
    EXPECT_EQ(child<QLabel>("Label10")->text(), "接続する");
    EXPECT_EQ(child<TLabeledBmpBtn>("btnImport")->LabelText(), "Thunderbirdから設定をインポート");
    EXPECT_EQ(child<TLabeledBmpBtn>("btnImport")->toolTip(),
              "Thunderbirdのアカウント設定（標準）を読み込みます");
    EXPECT_EQ(child<QLabel>("lbSMTPPort")->text(), "SMTPポート：");
    EXPECT_EQ(child<QLabel>("lbMailEncryption")->text(), "暗号化：");
    EXPECT_EQ(child<QLabel>("lbFingerprint")->text(), "証明書の指紋（SHA-256）：");
    EXPECT_EQ(child<TLabeledBmpBtn>("btnCheckMail")->LabelText(), "接続テスト");
    EXPECT_EQ(child<TLabeledBmpBtn>("btnCheckFTP")->LabelText(), "接続テスト");
    for (const char *name : {"cbxMailEncryption", "cbxFTPEncryption"}) {
        EXPECT_EQ(child<FlatComboBox>(name)->Items(), QStringList({"自動", "必須", "なし"})) << name;
    }
    EXPECT_EQ(child<QLabel>("lbFTPEncryption")->text(), "暗号化：");
    // The new rows fit on their pages.
    for (const char *name : {"edFingerprint", "btnCheckMail", "btnCheckFTP", "cbxMailEncryption"}) {
        QWidget *w = child<QWidget>(name);
        EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry())) << name;
    }

    EXPECT_EQ(child<FlatCheckBox>("cbxUseFTP")->text(), "ＦＴＰサーバーを使用する");
    const char *const ftpLabels[][2]
        = {{"lbFTPHost", "ホスト："},         {"lbFTPPort", "ポート："},     {"lbFTPUserID", "ユーザーID："},
           {"lbFTPPassword", "パスワード："}, {"lbFTPFolder", "フォルダ："}, {"lbFTPUrl", "ＵＲＬ："}};
    for (const auto &l : ftpLabels)
        EXPECT_EQ(child<QLabel>(l[0])->text(), QString::fromUtf8(l[1]));

    EXPECT_EQ(child<TLabeledBmpBtn>("btnFormat")->LabelText(), "フォーマット");
    EXPECT_EQ(child<TLabeledBmpBtn>("btnFormat")->toolTip(),
              "カメラのフォーマット設定ダイアログを表示します");
    EXPECT_EQ(child<TLabeledBmpBtn>("btnSource")->LabelText(), "ソース");
    EXPECT_EQ(child<TLabeledBmpBtn>("btnSource")->toolTip(), "カメラのソース設定ダイアログを表示します");

    EXPECT_EQ(child<QLabel>("lbVersion")->text(), "Ver. 2.00");
    EXPECT_EQ(child<QLabel>("imgLogo")->pixmap().size(), QSize(128, 128));
    EXPECT_TRUE(child<FlatMemo>("mmInfo")->isReadOnly());
    EXPECT_TRUE(child<FlatMemo>("mmInfo")->toPlainText().startsWith("タブリン Ver. 2.00\n"));
    EXPECT_EQ(child<TLabeledBmpBtn>("btnOK")->LabelText(), "OK");
    EXPECT_EQ(child<TLabeledBmpBtn>("btnCancel")->LabelText(), "中止");
}

TEST_F(ConfigTest, ControlsAreNamedForScreenReaders)
{
    const testaccess::Control controls[] = {
        {"edFromName", QAccessible::EditableText, "名前"},
        {"edFromAddress", QAccessible::EditableText, "メールアドレス"},
        {"edPassWord", QAccessible::EditableText, "パスワード"},
        {"edFTPUrl", QAccessible::EditableText, "ＵＲＬ"},
        {"rbUsePOP3", QAccessible::RadioButton, "POP before SMTP"},
        {"cbxUseOP25B", QAccessible::CheckBox, "OP25B対策"},
        {"cbxAlwaysConnect", QAccessible::CheckBox, "ダイヤルアップで接続する"},
        {"cbxUseFTP", QAccessible::CheckBox, "ＦＴＰサーバーを使用する"},
        {"edSMTPPort", QAccessible::EditableText, "SMTPポート"},
        {"cbxMailEncryption", QAccessible::ComboBox, "暗号化"},
        {"edFingerprint", QAccessible::EditableText, "証明書の指紋（SHA-256）"},
        {"cbxFTPEncryption", QAccessible::ComboBox, "暗号化"},
        {"btnCheckMail", QAccessible::PushButton, "接続テスト"},
        {"btnCheckFTP", QAccessible::PushButton, "接続テスト"},
    };
    testaccess::ExpectControls(&dialog(), controls);
    // Each field also reads the label that names it.
    EXPECT_EQ(testaccess::LabelsOf(child<FlatEdit>("edFromName")), QStringList {"名前："});
    EXPECT_EQ(testaccess::LabelsOf(child<FlatEdit>("edSMTPPort")), QStringList {"SMTPポート："});
    EXPECT_EQ(testaccess::LabelsOf(child<FlatEdit>("edFTPUrl")), QStringList {"ＵＲＬ："});
    // The picture buttons by their captions.
    for (const char *name : {"btnOK", "btnCancel", "btnImport", "btnFormat"}) {
        auto *b = child<TLabeledBmpBtn>(name);
        EXPECT_EQ(QAccessible::queryAccessibleInterface(b)->text(QAccessible::Name), b->LabelText());
    }
}

TEST_F(ConfigTest, ShowingFillsEveryControlFromTheSettings)
{
    settings.FromName = "名前";
    settings.FromAddress = "a@example.jp";
    settings.SMTPServer = "smtp.example.jp";
    settings.POPServer = "pop.example.jp";
    settings.UserID = "user";
    settings.PassWord = "secret";
    settings.UseSMTPAuth = true;
    settings.Connect = false;
    settings.UseServer = true;
    settings.UseOP25B = true;
    settings.Host = "ftp.example.jp";
    settings.Port = "21";
    settings.FTPUserID = "ftpuser";
    settings.FTPPassword = "ftppass";
    settings.Folder = "/www/pic";
    settings.Url = "http://www.example.jp/pic/";
    dialog().Prepare();
    const char *const fields[][2] = {
        {"edFromName", "名前"},
        {"edFromAddress", "a@example.jp"},
        {"edSMTPServer", "smtp.example.jp"},
        {"edPOPServer", "pop.example.jp"},
        {"edUserID", "user"},
        {"edPassWord", "secret"},
        {"edFTPHost", "ftp.example.jp"},
        {"edFTPPort", "21"},
        {"edFTPUserID", "ftpuser"},
        {"edFTPPassword", "ftppass"},
        {"edFTPFolder", "/www/pic"},
        {"edFTPUrl", "http://www.example.jp/pic/"},
    };
    for (const auto &f : fields)
        EXPECT_EQ(text(f[0]), QString::fromUtf8(f[1])) << f[0];
    EXPECT_TRUE(child<QRadioButton>("rbSMTPAuth")->isChecked());
    EXPECT_TRUE(child<FlatCheckBox>("cbxAlwaysConnect")->isChecked());
    EXPECT_TRUE(child<FlatCheckBox>("cbxUseFTP")->isChecked());
    EXPECT_TRUE(child<FlatCheckBox>("cbxUseOP25B")->isChecked());
    EXPECT_TRUE(edit("edFTPHost")->isEnabled());

    settings.UseSMTPAuth = false;
    settings.Connect = true;
    settings.UseServer = false;
    dialog().Prepare();
    EXPECT_TRUE(child<QRadioButton>("rbNoAuth")->isChecked());
    EXPECT_FALSE(child<FlatCheckBox>("cbxAlwaysConnect")->isChecked());
    EXPECT_FALSE(child<FlatCheckBox>("cbxUseFTP")->isChecked());
    settings.UsePOP3 = true;
    dialog().Prepare();
    EXPECT_TRUE(child<QRadioButton>("rbUsePOP3")->isChecked());
}

TEST_F(ConfigTest, TheAuthenticationChoiceEnablesTheFieldsItNeeds)
{
    const struct
    {
        const char *radio;
        bool popServer;
        bool userAndPassword;
    } cases[] = {
        {"rbUsePOP3", true, true},
        {"rbSMTPAuth", false, true},
        {"rbNoAuth", false, false},
    };
    dialog().Prepare();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.radio);
        choose(c.radio);
        EXPECT_EQ(edit("edPOPServer")->isEnabled(), c.popServer);
        EXPECT_EQ(child<QLabel>("lbPOPServer")->isEnabled(), c.popServer);
        for (const char *name : {"edUserID", "lbUserID", "edPassWord", "lbPassWord"})
            EXPECT_EQ(child<QWidget>(name)->isEnabled(), c.userAndPassword) << name;
        EXPECT_TRUE(edit("edSMTPServer")->isEnabled());
    }
}

TEST_F(ConfigTest, TheFtpBoxEnablesTheSixFieldsAndTheirLabels)
{
    dialog().Prepare();
    const char *const names[]
        = {"edFTPHost",   "edFTPPort", "edFTPUserID",     "edFTPPassword",    "edFTPFolder",
           "edFTPUrl",    "lbFTPHost", "lbFTPPort",       "lbFTPUserID",      "lbFTPPassword",
           "lbFTPFolder", "lbFTPUrl",  "lbFTPEncryption", "cbxFTPEncryption", "btnCheckFTP"};
    for (const bool on : {true, false}) {
        click("cbxUseFTP");
        EXPECT_EQ(child<FlatCheckBox>("cbxUseFTP")->isChecked(), on);
        for (const char *name : names)
            EXPECT_EQ(child<QWidget>(name)->isEnabled(), on) << name;
    }
}

TEST_F(ConfigTest, EitherDialUpLabelTogglesTheBox)
{
    dialog().Prepare();
    auto *box = child<FlatCheckBox>("cbxAlwaysConnect");
    click("Label9");
    EXPECT_TRUE(box->isChecked());
    click("Label10");
    EXPECT_FALSE(box->isChecked());
    click("Label10");
    EXPECT_TRUE(box->isChecked());
}

TEST_F(ConfigTest, CancelThenNoKeepsTheEditsAndCancelThenYesKeepsTheSettings)
{
    fillUser();
    const TUserData before = settings;
    prompt.Answer(Msg::No);
    prompt.Answer(Msg::Yes);
    bool stayed = false;
    QString name, smtp;
    const bool accepted = execute([&] {
        type("edFromName", "別の名前");
        choose("rbSMTPAuth");
        click("cbxUseFTP");
        click("btnCancel");
        stayed = open();
        name = text("edFromName");
        smtp = child<QRadioButton>("rbSMTPAuth")->isChecked() ? "auth" : "";
        click("btnCancel");
    });
    EXPECT_FALSE(accepted);
    EXPECT_TRUE(stayed);
    EXPECT_EQ(name, "別の名前");
    EXPECT_EQ(smtp, "auth");
    EXPECT_EQ(prompt.History(), QList({question(kCancelQuestion), question(kCancelQuestion)}));
    EXPECT_EQ(settings.FromName, before.FromName);
    EXPECT_FALSE(settings.UseSMTPAuth);
    EXPECT_FALSE(settings.UseServer);
}

TEST_F(ConfigTest, EscAndTheCloseBoxAskTheSameQuestion)
{
    prompt.Answer(Msg::No);
    prompt.Answer(Msg::Yes);
    prompt.Answer(Msg::Yes);
    bool stayed = false;
    EXPECT_FALSE(execute([&] {
        QTest::keyClick(edit("edFromName"), Qt::Key_Escape);
        stayed = open();
        QTest::keyClick(edit("edFromName"), Qt::Key_Escape);
    }));
    EXPECT_TRUE(stayed);
    EXPECT_FALSE(execute([&] { dialog().close(); }));
    EXPECT_EQ(prompt.History().size(), 3);
    EXPECT_TRUE(prompt.AllAnswersUsed());
}

TEST_F(ConfigTest, OkCopiesEveryControlIntoTheSettings)
{
    settings.DedicatedServer = true;
    EXPECT_TRUE(execute([&] {
        const char *const fields[][2] = {
            {"edFromName", " 山田 "},
            {"edFromAddress", "taro@example.jp"},
            {"edSMTPServer", "smtp.example.jp"},
            {"edPOPServer", "pop.example.jp"},
            {"edUserID", "taro"},
            {"edPassWord", "p@ss"},
            {"edFTPHost", "ftp.example.jp"},
            {"edFTPPort", "2121x"},
            {"edFTPUserID", "ftpuser"},
            {"edFTPPassword", "ftppass"},
            {"edFTPFolder", "pic"},
            {"edFTPUrl", "http://example.jp/"},
        };
        for (const auto &f : fields)
            type(f[0], QString::fromUtf8(f[1]));
        choose("rbUsePOP3");
        click("cbxUseFTP");
        click("cbxUseOP25B");
        click("Label9");
        click("btnOK");
    }));
    EXPECT_TRUE(prompt.History().isEmpty());
    EXPECT_EQ(settings.FromName, " 山田 "); // stored as typed
    EXPECT_EQ(settings.FromAddress, "taro@example.jp");
    EXPECT_EQ(settings.SMTPServer, "smtp.example.jp");
    EXPECT_EQ(settings.POPServer, "pop.example.jp");
    EXPECT_EQ(settings.UserID, "taro");
    EXPECT_EQ(settings.PassWord, "p@ss");
    EXPECT_TRUE(settings.UsePOP3);
    EXPECT_FALSE(settings.UseSMTPAuth);
    EXPECT_FALSE(settings.Connect);
    EXPECT_FALSE(settings.DedicatedServer);
    EXPECT_EQ(settings.Host, "ftp.example.jp");
    EXPECT_EQ(settings.Port, "2121x");
    EXPECT_EQ(settings.FTPUserID, "ftpuser");
    EXPECT_EQ(settings.FTPPassword, "ftppass");
    EXPECT_EQ(settings.Folder, "pic");
    EXPECT_EQ(settings.Url, "http://example.jp/");
    EXPECT_TRUE(settings.UseServer);
    EXPECT_TRUE(settings.UseOP25B);

    // Enter does what OK does.
    EXPECT_TRUE(execute([&] {
        type("edFromName", "Enter");
        QTest::keyClick(edit("edFromName"), Qt::Key_Return);
    }));
    EXPECT_EQ(settings.FromName, "Enter");
}

TEST_F(ConfigTest, OkWarnsAboutWhatIsMissingInOrderAndClosesAnyway)
{
    const QString pop3 = "ＰＯＰ３サーバー名が未入力です。";
    const QString userId = "ユーザーＩＤが未入力です。";
    const QString password = "パスワードが未入力です。";
    const QStringList ftp
        = {"FTPホスト名が未入力です。",   "FTPポート番号が未入力です。", "FTPユーザーIDが未入力です。",
           "FTPパスワードが未入力です。", "FTPフォルダが未入力です。",   "FTPアクセス用のURLが未入力です。"};
    const struct
    {
        const char *what;
        std::function<void(TUserData &)> set;
        QStringList warnings;
    } cases[] = {
        {"SMTP authentication without a password",
         [](TUserData &s) {
             s.UseSMTPAuth = true;
             s.UserID = "taro";
         },
         {password}},
        {"SMTP authentication without either: the first only",
         [](TUserData &s) { s.UseSMTPAuth = true; },
         {userId}},
        {"POP before SMTP without anything: the first only", [](TUserData &s) { s.UsePOP3 = true; }, {pop3}},
        {"POP before SMTP without a password",
         [](TUserData &s) {
             s.UsePOP3 = true;
             s.POPServer = "pop";
             s.UserID = "taro";
         },
         {password}},
        {"the FTP box ticked and six empty fields", [](TUserData &s) { s.UseServer = true; },
         ftp + QStringList {kUserInfo}},
        {"the FTP box ticked and only the URL missing",
         [](TUserData &s) {
             s.UseServer = true;
             s.Host = "h";
             s.Port = "21";
             s.FTPUserID = "u";
             s.FTPPassword = "p";
             s.Folder = "f";
         },
         {ftp.last(), kUserInfo}},
        {"the FTP fields filled while the box is off", [](TUserData &s) { s.UseServer = false; }, {}},
        {"no SMTP server", [](TUserData &s) { s.SMTPServer.clear(); }, {kUserInfo}},
        {"no name, with SMTP authentication missing its user",
         [](TUserData &s) {
             s.FromName.clear();
             s.UseSMTPAuth = true;
             s.PassWord = "p";
         },
         {userId, kUserInfo}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        settings = TUserData();
        fillUser();
        c.set(settings);
        prompt.Clear();
        EXPECT_TRUE(execute([&] { click("btnOK"); }));
        QList<ScriptedPrompt::Shown> expected;
        for (const QString &w : c.warnings)
            expected << warning(w);
        EXPECT_EQ(prompt.History(), expected);
    }
    // The empty password was stored.
    settings = TUserData();
    fillUser();
    settings.UseSMTPAuth = true;
    settings.UserID = "taro";
    settings.PassWord = "old";
    prompt.Clear();
    EXPECT_TRUE(execute([&] {
        edit("edPassWord")->clear();
        click("btnOK");
    }));
    EXPECT_EQ(prompt.History(), QList {warning(password)});
    EXPECT_EQ(settings.PassWord, "");
}

TEST_F(ConfigTest, ACancelledChoiceIsNotThereWhenTheDialogOpensAgain)
{
    prompt.Answer(Msg::Yes);
    EXPECT_FALSE(execute([&] {
        choose("rbUsePOP3");
        click("btnCancel");
    }));
    bool noAuth = false;
    bool popEnabled = true, userEnabled = true, passwordEnabled = true;
    prompt.Answer(Msg::Yes);
    EXPECT_FALSE(execute([&] {
        noAuth = child<QRadioButton>("rbNoAuth")->isChecked();
        popEnabled = edit("edPOPServer")->isEnabled();
        userEnabled = edit("edUserID")->isEnabled();
        passwordEnabled = edit("edPassWord")->isEnabled();
        click("btnCancel");
    }));
    EXPECT_TRUE(noAuth);
    EXPECT_FALSE(popEnabled);
    EXPECT_FALSE(userEnabled);
    EXPECT_FALSE(passwordEnabled);
    EXPECT_FALSE(settings.UsePOP3);
}

TEST_F(ConfigTest, TheCameraButtonsOpenTheCamerasDialogs)
{
    dialog().Prepare();
    click("btnFormat");
    click("btnFormat");
    click("btnSource");
    EXPECT_EQ(formats, 2);
    EXPECT_EQ(sources, 1);

    // Without a camera they do nothing.
    TConfig bare(settings, prompt, store, &choice, {}, {});
    QTest::mouseClick(bare.findChild<TLabeledBmpBtn *>("btnFormat"), Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseClick(bare.findChild<TLabeledBmpBtn *>("btnSource"), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_TRUE(prompt.History().isEmpty());
}

// The import from a Thunderbird profile.

const Account kNews {"nntp", "Taro", "taro@example.jp", "news.example.jp", "", "news.example.jp", "", ""};
const Account kFeeds {"rss", "", "", "Feeds", "nobody", "Blogs & News Feeds", "", ""};
const Account kHome {"pop3", "山田 太郎", "taro@example.jp", "pop.example.jp",
                     "taro", "自宅",      "smtp.example.jp", "taro-smtp"};
const Account kWork {"imap",
                     "Taro \"T\" Yamada",
                     "yamada@example.com",
                     "imap.example.com",
                     "yamada",
                     "仕事",
                     "smtp.example.com",
                     ""};

TEST_F(ConfigTest, ImportWithOneUsableAccountFillsTheFieldsWithoutAChoice)
{
    testthunderbird::writeProfile(home.path(), testthunderbird::prefsJs({kNews, kHome, kFeeds}));
    settings.PassWord = "old password";
    settings.UseSMTPAuth = true;
    settings.Connect = false;
    settings.Host = "ftp.example.jp";
    prompt.Answer(Msg::Yes);
    bool choiceShown = false;
    EXPECT_TRUE(execute([&] {
        EXPECT_TRUE(child<TLabeledBmpBtn>("btnImport")->isEnabled());
        click("btnImport");
        choiceShown = choice.isVisible();
        click("btnOK");
    }));
    EXPECT_FALSE(choiceShown);
    // SMTP authentication stays chosen, and the cleared password is missing.
    EXPECT_EQ(prompt.History(),
              QList({question(kImportQuestion), warning(QString::fromUtf8("パスワードが未入力です。"))}));
    EXPECT_EQ(settings.FromName, "山田 太郎");
    EXPECT_EQ(settings.FromAddress, "taro@example.jp");
    EXPECT_EQ(settings.SMTPServer, "smtp.example.jp");
    EXPECT_EQ(settings.POPServer, "pop.example.jp");
    EXPECT_EQ(settings.UserID, "taro-smtp");
    EXPECT_EQ(settings.PassWord, ""); // the client's password is not imported
    // What the import does not touch stays.
    EXPECT_TRUE(settings.UseSMTPAuth);
    EXPECT_FALSE(settings.Connect);
    EXPECT_EQ(settings.Host, "ftp.example.jp");
}

TEST_F(ConfigTest, ImportWithTwoAccountsLetsTheUserChoose)
{
    testthunderbird::writeProfile(home.path(), testthunderbird::prefsJs({kHome, kNews, kWork}));
    prompt.Answer(Msg::Yes);
    QStringList names;
    QString shownName, shownServer;
    EXPECT_TRUE(execute([&] {
        // A timer, not a posted call: posted from a handler, it would run before the choice's loop.
        QTimer::singleShot(10, [&] {
            auto *list = choice.findChild<FlatComboBox *>("cbxAccount");
            names = list->Items();
            list->SetText("仕事");
            shownName = choice.findChild<FlatEdit *>("edName")->text();
            shownServer = choice.findChild<FlatEdit *>("edPOPServer")->text();
            QTest::mouseClick(choice.findChild<TLabeledBmpBtn *>("btnOK"), Qt::LeftButton, {}, QPoint(3, 3));
        });
        click("btnImport");
        click("btnOK");
    }));
    EXPECT_EQ(names, QStringList({"自宅", "仕事"}));
    EXPECT_EQ(shownName, "Taro \"T\" Yamada");
    EXPECT_EQ(shownServer, ""); // an IMAP account has no POP3 server
    EXPECT_EQ(settings.FromName, "Taro \"T\" Yamada");
    EXPECT_EQ(settings.FromAddress, "yamada@example.com");
    EXPECT_EQ(settings.SMTPServer, "smtp.example.com");
    EXPECT_EQ(settings.POPServer, "");
    // No outgoing user name: the incoming one.
    EXPECT_EQ(settings.UserID, "yamada");
}

TEST_F(ConfigTest, ImportCancelledOrRefusedChangesNothing)
{
    testthunderbird::writeProfile(home.path(), testthunderbird::prefsJs({kHome, kWork}));
    settings.FromName = "元の名前";
    settings.PassWord = "kept";
    prompt.Answer(Msg::No); // the import question
    prompt.Answer(Msg::Yes);
    prompt.Answer(Msg::Yes); // the cancel question
    EXPECT_FALSE(execute([&] {
        click("btnImport");
        QTimer::singleShot(10, [&] { QTest::keyClick(&choice, Qt::Key_Escape); });
        click("btnImport");
        EXPECT_EQ(text("edFromName"), "元の名前");
        EXPECT_EQ(text("edPassWord"), "kept");
        click("btnCancel");
    }));
    EXPECT_EQ(prompt.History(),
              QList({question(kImportQuestion), question(kImportQuestion), question(kCancelQuestion)}));
}

TEST_F(ConfigTest, ImportIsOffWithoutAUsableAccountAndWarnsWhenTheAccountsAreGone)
{
    EXPECT_FALSE(child<TLabeledBmpBtn>("btnImport")->isEnabled()); // no Thunderbird at all

    const QString profile
        = testthunderbird::writeProfile(home.path(), testthunderbird::prefsJs({kNews, kFeeds}));
    TConfig onlyNews(settings, prompt, store, &choice, {}, {});
    EXPECT_FALSE(onlyNews.findChild<TLabeledBmpBtn *>("btnImport")->isEnabled());

    testthunderbird::writeProfile(home.path(), testthunderbird::prefsJs({kHome}));
    TConfig usable(settings, prompt, store, &choice, {}, {});
    auto *button = usable.findChild<TLabeledBmpBtn *>("btnImport");
    ASSERT_TRUE(button->isEnabled());
    ASSERT_TRUE(QFile::remove(profile + "/prefs.js"));
    usable.Prepare();
    prompt.Answer(Msg::Yes);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(
        prompt.History(),
        QList({question(kImportQuestion), warning(QString::fromUtf8("有効なアカウントが見つかりません。"))}));
    EXPECT_EQ(usable.findChild<FlatEdit *>("edFromName")->text(), "");
}

// The SMTP port, the encryption modes, the fingerprint and the connection tests.

const QString kPin
    = "3A:F1:09:7C:5B:2E:D4:88:61:0F:AA:93:47:BC:1D:E2:75:06:C8:39:F4:5D:12:AB:6E:90:37:CD:28:E1:4B:7F";
const QString kBadPort = "SMTPポート番号が正しくありません。1～65535の数値を入力するか、空欄にして下さい。";
const QString kBadPin
    = "証明書の指紋が正しくありません。SHA-256の指紋（16進数64桁、コロン区切り可）を入力して下さい。";

TEST_F(ConfigTest, TheConnectionControlsShowTheSettingsFile)
{
    const struct
    {
        const char *what;
        QByteArray file;
        QString port, mail, ftp, fingerprint;
    } cases[] = {
        // The original program's file: its OP25B box does not fill the port field.
        {"a file without our section",
         "[serial]\r\nMajor=2\r\nMinor=1\r\n[user]\r\nSMTPServer=smtp.example.jp\r\nUseOP25B=1\r\n", "",
         "自動", "自動", ""},
        {"a file with our section",
         "[user]\r\nSMTPServer=smtp.example.jp\r\n[connection]\r\nSMTPPort=465\r\nMailTLS=required\r\n"
         "FTPTLS=none\r\nFingerprint="
             + kPin.toLatin1() + "\r\n",
         "465", "必須", "なし", kPin},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("tav.ini");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.file);
        file.close();
        settings = TUserData();
        ASSERT_TRUE(settings.Load(path));
        dialog().Prepare();
        EXPECT_EQ(text("edSMTPPort"), c.port);
        EXPECT_EQ(child<FlatComboBox>("cbxMailEncryption")->Text(), c.mail);
        EXPECT_EQ(child<FlatComboBox>("cbxFTPEncryption")->Text(), c.ftp);
        EXPECT_EQ(text("edFingerprint"), c.fingerprint);
    }
}

TEST_F(ConfigTest, OkStoresThePortTheModesAndTheFingerprint)
{
    const struct
    {
        QString typed;
        int stored;
    } ports[]
        = {{"", 0}, {"25", 25}, {"587", 587}, {"465", 465}, {"1", 1}, {"65535", 65535}, {" 2525 ", 2525}};
    fillUser();
    settings.SMTPPort = 110;
    for (const auto &p : ports) {
        SCOPED_TRACE(p.typed.toStdString());
        EXPECT_TRUE(execute([&] {
            type("edSMTPPort", p.typed);
            click("btnOK");
        }));
        EXPECT_EQ(settings.SMTPPort, p.stored);
    }
    EXPECT_TRUE(prompt.History().isEmpty());

    const QString twoPins = kPin.toLower() + ", " + QString(64, 'b');
    EXPECT_TRUE(execute([&] {
        type("edSMTPPort", "");
        click("cbxUseOP25B");
        pick("cbxMailEncryption", "必須");
        child<QTabWidget>("pcConfig")->setCurrentIndex(1);
        click("cbxUseFTP");
        pick("cbxFTPEncryption", "なし");
        click("cbxUseFTP"); // the mode stays chosen with the box off
        type("edFingerprint", twoPins);
        click("btnOK");
    }));
    EXPECT_EQ(settings.SMTPPort, 0);
    EXPECT_EQ(settings.SmtpPortInUse(), 587); // an empty port follows the OP25B box
    EXPECT_EQ(settings.MailEncryption, EncryptionMode::Required);
    EXPECT_EQ(settings.FTPEncryption, EncryptionMode::None);
    EXPECT_EQ(settings.Fingerprint, twoPins); // as typed

    // Cancelled, the new choices are gone.
    prompt.Answer(Msg::Yes);
    EXPECT_FALSE(execute([&] {
        type("edSMTPPort", "2525");
        pick("cbxMailEncryption", "なし");
        type("edFingerprint", "");
        click("btnCancel");
    }));
    EXPECT_EQ(settings.SMTPPort, 0);
    EXPECT_EQ(settings.MailEncryption, EncryptionMode::Required);
    EXPECT_EQ(settings.Fingerprint, twoPins);
}

TEST_F(ConfigTest, ABadPortOrFingerprintIsRefusedAndTheDialogStaysOpen)
{
    const struct
    {
        const char *field;
        QString typed;
        QString warning;
    } cases[] = {
        {"edSMTPPort", "0", kBadPort},
        {"edSMTPPort", "65536", kBadPort},
        {"edSMTPPort", "99999", kBadPort},
        {"edSMTPPort", "-25", kBadPort},
        {"edSMTPPort", "+25", kBadPort},
        {"edSMTPPort", "25x", kBadPort},
        {"edSMTPPort", "５８７", kBadPort},
        {"edFingerprint", "AB:CD", kBadPin},
        {"edFingerprint", kPin.chopped(1), kBadPin},
        {"edFingerprint", kPin + ":00", kBadPin},
        {"edFingerprint", kPin + " nonsense", kBadPin},
        {"edFingerprint", QString(63, 'a') + "g", kBadPin},
    };
    fillUser();
    const TUserData before = settings;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        prompt.Clear();
        bool stayed = false, onUserPage = false, focused = false;
        const QString good = QString::fromLatin1(c.field) == "edSMTPPort" ? "587" : kPin;
        EXPECT_TRUE(execute([&] {
            type("edFromName", "新しい名前");
            child<QTabWidget>("pcConfig")->setCurrentIndex(1);
            type(c.field, c.typed);
            click("btnOK");
            stayed = open();
            onUserPage = child<QTabWidget>("pcConfig")->currentIndex() == 0;
            focused = QApplication::focusWidget() == edit(c.field);
            // Nothing was stored while the warning showed.
            EXPECT_EQ(settings.FromName, before.FromName);
            type(c.field, good);
            click("btnOK");
        }));
        EXPECT_TRUE(stayed);
        EXPECT_TRUE(onUserPage);
        EXPECT_TRUE(focused);
        EXPECT_EQ(prompt.History(), QList {warning(c.warning)});
        EXPECT_EQ(settings.FromName, "新しい名前");
        settings = before;
    }

    // The connection test refuses them too, before it connects anywhere.
    prompt.Clear();
    dialog().Prepare();
    type("edSMTPPort", "70000");
    click("btnCheckMail");
    type("edSMTPPort", "");
    type("edFingerprint", "xyz");
    click("btnCheckMail");
    click("cbxUseFTP");
    click("btnCheckFTP");
    EXPECT_EQ(prompt.History(), QList({warning(kBadPort), warning(kBadPin), warning(kBadPin)}));
}

class ConfigConnectionTest : public ConfigTest
{
protected:
    ScriptedServer server;
};

TEST_F(ConfigConnectionTest, TheMailTestReportsTlsAndTheLoginWithTheControlsValuesAndSendsNoMail)
{
    const testcerts::KeyPair cert = testcerts::SelfSigned("localhost");
    // A slow greeting: the test pumps events while it waits.
    server.Pause(300).Send("220 mail.example.jp ESMTP\r\n");
    server.Reply("250-mail.example.jp\r\n250 STARTTLS\r\n");
    server.Reply("220 go ahead\r\n").StartTls(cert.certPem, cert.keyPem);
    server.Reply("250-mail.example.jp\r\n250 AUTH LOGIN PLAIN\r\n");
    server.Reply("334 x\r\n");
    server.Reply("334 y\r\n");
    server.Reply("235 ok\r\n");
    server.Start();
    fillUser();
    const TUserData before = settings;
    prompt.Answer(Msg::Yes); // the cancel question at the end

    bool buttonsOffWhileWaiting = false;
    EXPECT_FALSE(execute([&] {
        type("edSMTPServer", "localhost");
        type("edSMTPPort", QString::number(server.Port()));
        pick("cbxMailEncryption", "必須");
        // The self-signed certificate is trusted by its fingerprint alone.
        type("edFingerprint", cert.Fingerprint().toLower());
        choose("rbSMTPAuth");
        type("edUserID", "taro");
        type("edPassWord", "secret");
        QTimer::singleShot(100, [&] {
            buttonsOffWhileWaiting = !child<QWidget>("btnCheckMail")->isEnabled()
                && !child<QWidget>("btnOK")->isEnabled() && !child<QWidget>("btnCancel")->isEnabled();
            // Esc while the test waits does not close the dialog or ask anything.
            QTest::keyClick(edit("edFromName"), Qt::Key_Escape);
        });
        click("btnCheckMail");
        EXPECT_TRUE(open());
        EXPECT_TRUE(child<QWidget>("btnCheckMail")->isEnabled());
        EXPECT_TRUE(child<QWidget>("btnOK")->isEnabled());
        click("btnCancel");
    }));
    EXPECT_TRUE(buttonsOffWhileWaiting);
    EXPECT_EQ(prompt.History(),
              QList({ScriptedPrompt::Message(QStringLiteral("SMTPサーバー localhost（ポート %1）\n"
                                                            "暗号化：TLSv1.3\n"
                                                            "認証方式：LOGIN PLAIN\n"
                                                            "ログイン：成功")
                                                 .arg(server.Port()),
                                             Msg::IconInformation),
                     question(kCancelQuestion)}));
    EXPECT_EQ(server.Received(),
              QByteArray("EHLO localhost\r\nSTARTTLS\r\nEHLO localhost\r\nAUTH LOGIN\r\ndGFybw==\r\n"
                         "c2VjcmV0\r\nQUIT\r\n"));
    EXPECT_EQ(server.Error(), QString());
    // The test changed no setting.
    EXPECT_EQ(settings.SMTPServer, before.SMTPServer);
    EXPECT_EQ(settings.SMTPPort, 0);
    EXPECT_EQ(settings.MailEncryption, EncryptionMode::Auto);
    EXPECT_EQ(settings.Fingerprint, "");
    EXPECT_FALSE(settings.UseSMTPAuth);
}

TEST_F(ConfigConnectionTest, AFailedLoginIsShownWithTheErrorIcon)
{
    server.Send("220 hi\r\n");
    server.Reply("250-mail\r\n250-STARTTLS\r\n250 AUTH LOGIN\r\n");
    server.Reply("334 x\r\n");
    server.Reply("334 y\r\n");
    server.Reply("535 5.7.8 Bad credentials\r\n");
    server.Start();
    settings.SMTPServer = "localhost";
    settings.SMTPPort = server.Port();
    settings.UseSMTPAuth = true;
    settings.UserID = "taro";
    settings.PassWord = "wrong";
    dialog().Prepare();
    child<FlatComboBox>("cbxMailEncryption")->SetText("なし"); // STARTTLS is not used
    click("btnCheckMail");
    EXPECT_EQ(
        prompt.History(),
        QList {ScriptedPrompt::Message(QStringLiteral("SMTPサーバー localhost（ポート %1）\n"
                                                      "暗号化：なし（サーバーはSTARTTLSに対応しています）\n"
                                                      "認証方式：LOGIN\n"
                                                      "失敗：[535] 5.7.8 Bad credentials")
                                           .arg(server.Port()),
                                       Msg::IconError)});
    const QByteArray sent = server.Received();
    EXPECT_EQ(sent, QByteArray("EHLO localhost\r\nAUTH LOGIN\r\ndGFybw==\r\nd3Jvbmc=\r\nQUIT\r\n"));
    EXPECT_FALSE(sent.contains("MAIL FROM"));
}

TEST_F(ConfigConnectionTest, TheFtpTestLogsInWithTheFtpPageValues)
{
    server.Send("220 ftp\r\n");
    server.Reply("331 pass\r\n");
    server.Reply("230 ok\r\n");
    server.Reply("200 ok\r\n");
    server.Reply("215 UNIX\r\n");
    server.Start();
    dialog().Prepare();
    click("cbxUseFTP");
    type("edFTPHost", "127.0.0.1");
    type("edFTPPort", QString::number(server.Port()));
    type("edFTPUserID", "taro");
    type("edFTPPassword", "secret");
    child<FlatComboBox>("cbxFTPEncryption")->SetText("なし");
    type("edSMTPPort", "not a port"); // the FTP test does not use it
    click("btnCheckFTP");
    EXPECT_EQ(prompt.History(),
              QList {ScriptedPrompt::Message(QStringLiteral("FTPサーバー 127.0.0.1（ポート %1）\n"
                                                            "暗号化：なし\n"
                                                            "ログイン：成功")
                                                 .arg(server.Port()),
                                             Msg::IconInformation)});
    EXPECT_EQ(server.Received(), QByteArray("USER taro\r\nPASS secret\r\nTYPE I\r\nSYST\r\n"));
    EXPECT_FALSE(settings.UseServer);
    EXPECT_EQ(settings.FTPEncryption, EncryptionMode::Auto);
}

} // namespace
