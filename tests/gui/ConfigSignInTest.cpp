// The settings dialog's OAuth 2.0 sign-in against the strict authorization server of the tests,
// with the browser played by a $BROWSER script that follows the redirect: the dialog keeps
// answering while it waits, the state and サインアウト follow, and a cancel ends the wait.

#include "common/Clock.h"
#include "common/UserData.h"
#include "dialogs/AccountUnit.h"
#include "dialogs/ConfigUnit.h"
#include "dialogs/PopupListBoxUnit.h"
#include "mail/OAuthClient.h"
#include "mail/SecretStore.h"
#include "platform/linux/QtOAuthNetwork.h"
#include "platform/null/NullMailAccountStore.h"
#include "support/Files.h"
#include "support/ScriptedPrompt.h"
#include "widgets/FlatComboBox.h"
#include "widgets/FlatEdit.h"
#include "widgets/FlatListBox.h"
#include "widgets/LabeledBmpBtn.h"

#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using S = ScriptedPrompt;

// tests/integration/oauth_server.py in a process of its own.
class AuthorizationProcess
{
public:
    AuthorizationProcess()
    {
        m_process.start("/usr/bin/python3", {testfiles::source("tests/integration/oauth_server.py")});
        if (m_process.waitForReadyRead(20000))
            url = QString::fromUtf8(m_process.readLine().trimmed());
    }
    ~AuthorizationProcess() { Finish(); }
    // Stops the server; what it saw, one line a request.
    QStringList Finish()
    {
        if (m_process.state() == QProcess::NotRunning)
            return m_lines;
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
        m_lines = QString::fromUtf8(m_process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        return m_lines;
    }
    QString url;

private:
    QProcess m_process;
    QStringList m_lines;
};

class ConfigSignInTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(server.url.isEmpty());
        settings.FromName = "Taro";
        settings.FromAddress = "taro@example.com";
        settings.SMTPServer = "127.0.0.1";
        settings.SignInProvider = "custom";
        settings.SignInClientID = "tavrin-test.apps";
        settings.SignInClientSecret = "test-secret";
        settings.SignInAuthorizeUrl = server.url + "/authorize";
        settings.SignInTokenUrl = server.url + "/token";
        settings.SignInDeviceUrl = server.url + "/device";
        settings.SignInScope = "https://mail.example/smtp offline_access";
        dialog.SetSignIn(&client, [this](const QUrl &url) {
            opened = url;
            if (browse)
                QProcess::startDetached(
                    "/usr/bin/python3",
                    {testfiles::source("tests/integration/browser.py"), url.toString(QUrl::FullyEncoded)});
            return true;
        });
        client.TimeoutSeconds = 30;
        qputenv("BROWSER_LOG", work.filePath("browser.log").toUtf8());
        qputenv("no_proxy", "127.0.0.1");
    }

    template<class T> T *child(const char *name)
    {
        T *found = dialog.findChild<T *>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    void pcConfigShow(const char *page)
    {
        child<QTabWidget>("pcConfig")->setCurrentWidget(child<QWidget>(page));
    }
    void click(const char *name)
    {
        QTest::mouseClick(child<QWidget>(name), Qt::LeftButton, {}, QPoint(3, 3));
    }
    QString state() { return child<QLabel>("lbSignInState")->text(); }
    // Picks an item as a user does: the list's button opens the shared list window, a click picks.
    void pick(const char *name, const QString &item)
    {
        auto *list = child<FlatComboBox>(name);
        QTest::mouseClick(list, Qt::LeftButton, {}, list->ButtonRect().center());
        ASSERT_TRUE(popup.IsShowing()) << name;
        FlatListBox *rows = popup.List();
        const QList<QListWidgetItem *> found = rows->findItems(item, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << item.toStdString();
        QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, rows->visualItemRect(found[0]).center());
    }

    AuthorizationProcess server;
    QTemporaryDir work;
    TUserData settings;
    ScriptedPrompt prompt;
    NullMailAccountStore accounts;
    TPopupListBox popup;
    TAccount choice {&popup};
    TConfig dialog {settings, prompt, accounts, &choice, {}, {}};
    QtOAuthNetwork network {SystemClock()};
    FileSecretStore store {FileSecretStore::PathIn(work.path())};
    OAuthClient client {network, store, SystemClock()};
    QUrl opened;
    bool browse = true;
};

TEST_F(ConfigSignInTest, TheBrowserSignInStoresTheTokensAndSignOutForgetsThem)
{
    dialog.Prepare();
    dialog.show();
    EXPECT_EQ(state(), "サインインしていません");
    EXPECT_FALSE(child<TLabeledBmpBtn>("btnSignOut")->isEnabled());
    click("btnSignIn");
    EXPECT_EQ(prompt.History(), QList<S::Shown>({S::Message("サインインしました。", Msg::IconInformation)}));
    EXPECT_TRUE(opened.toString().startsWith(server.url + "/authorize?response_type=code"));
    EXPECT_EQ(state(), "サインイン済み");
    EXPECT_TRUE(child<QRadioButton>("rbOAuth")->isChecked());
    EXPECT_TRUE(child<TLabeledBmpBtn>("btnSignOut")->isEnabled());
    EXPECT_TRUE(child<TLabeledBmpBtn>("btnOK")->isEnabled());
    EXPECT_TRUE(QFile::exists(FileSecretStore::PathIn(work.path())));

    click("btnSignOut");
    EXPECT_EQ(state(), "サインインしていません");
    EXPECT_FALSE(QFile::exists(FileSecretStore::PathIn(work.path())));
    const QStringList seen = server.Finish();
    EXPECT_EQ(seen, QStringList({"grant authorization_code"}));
}

TEST_F(ConfigSignInTest, WhileItWaitsTheDialogAnswersAndTheCancelEndsTheWait)
{
    browse = false; // nobody signs in in the browser
    dialog.Prepare();
    dialog.show();
    bool answered = false;
    QTimer::singleShot(300, &dialog, [&] {
        // The window is alive: the state shows, OK and 中止 wait, the cancel works.
        answered = true;
        EXPECT_EQ(state(), "サインイン中…");
        EXPECT_FALSE(child<TLabeledBmpBtn>("btnOK")->isEnabled());
        EXPECT_FALSE(child<TLabeledBmpBtn>("btnSignIn")->isEnabled());
        EXPECT_TRUE(child<FlatEdit>("edSignInUrl")->text().startsWith(server.url + "/authorize?"));
        click("btnSignInCancel");
    });
    click("btnSignIn");
    EXPECT_TRUE(answered);
    EXPECT_EQ(state(), "サインインしていません");
    EXPECT_TRUE(child<TLabeledBmpBtn>("btnOK")->isEnabled());
    EXPECT_TRUE(prompt.History().isEmpty()); // a cancel the user chose needs no message
}

TEST_F(ConfigSignInTest, AServicePresetFillsTheServerAndSaysHowToSignIn)
{
    dialog.Prepare();
    dialog.show();
    pcConfigShow("tsSignIn");
    pick("cbxServerPreset", "Outlook.com");
    EXPECT_EQ(child<FlatEdit>("edSMTPServer")->text(), "smtp-mail.outlook.com");
    EXPECT_EQ(child<FlatEdit>("edSMTPPort")->text(), "587");
    EXPECT_EQ(child<FlatComboBox>("cbxMailEncryption")->Text(), "必須");
    EXPECT_EQ(child<FlatComboBox>("cbxSignInProvider")->Text(), "Microsoft");
    EXPECT_EQ(child<FlatEdit>("edSignInTokenUrl")->text(),
              "https://login.microsoftonline.com/common/oauth2/v2.0/token");
    EXPECT_TRUE(child<FlatEdit>("edSignInTokenUrl")->isReadOnly());
    EXPECT_TRUE(child<QRadioButton>("rbOAuth")->isChecked());
    EXPECT_EQ(child<QLabel>("lbPresetNote")->text(),
              "パスワードでは送信できません。OAuth 2.0でサインインして下さい。");

    pick("cbxServerPreset", "iCloud");
    EXPECT_EQ(child<FlatEdit>("edSMTPServer")->text(), "smtp.mail.me.com");
    EXPECT_TRUE(child<QRadioButton>("rbSMTPAuth")->isChecked());
    EXPECT_EQ(child<QLabel>("lbPresetNote")->text(),
              "SMTP認証で、Apple IDのアプリ用パスワードを使って下さい。");
}

} // namespace
