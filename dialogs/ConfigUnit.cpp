#include "dialogs/ConfigUnit.h"

#include "common/ApplicationTitle.h"
#include "common/Clock.h"
#include "common/Port.h"
#include "common/Prompt.h"
#include "common/UserData.h"
#include "dialogs/AccountUnit.h"
#include "dialogs/DialogParts.h"
#include "mail/ConnectionCheck.h"
#include "mail/OAuthClient.h"
#include "mail/ServerPresets.h"
#include "mail/TlsTransport.h"
#include "platform/MailAccountStore.h"
#include "widgets/Accessibility.h"
#include "widgets/Artwork.h"
#include "widgets/Binding.h"
#include "widgets/Colors.h"
#include "widgets/DialogKeys.h"
#include "widgets/FlatCheckBox.h"
#include "widgets/FlatComboBox.h"
#include "widgets/FlatEdit.h"
#include "widgets/FlatMemo.h"
#include "widgets/FlatPanel.h"
#include "widgets/LabeledBmpBtn.h"
#include "widgets/WindowPlacement.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QProxyStyle>
#include <QRadioButton>
#include <QTabWidget>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

constexpr int kWidth = 420;
constexpr int kHeight = 424;
constexpr int kFieldLeft = 124; // fields start here; their labels end 4 pixels before
constexpr int kFieldHeight = 18;
constexpr int kRowStep = 26;
// Each wait of a connection test, as long as the watchdog gives a network step when sending.
constexpr int kCheckTimeoutMs = 10000;

// The choices of the encryption lists, in the order of their items.
const EncryptionMode kModes[] = {EncryptionMode::Auto, EncryptionMode::Required, EncryptionMode::None};
const QString kModeTip = QStringLiteral("自動：サーバーが対応していれば暗号化します\n"
                                        "必須：暗号化できないときは接続しません\n"
                                        "なし：暗号化しません");

FlatComboBox *modeList(QWidget *parent, const char *name, QPoint at, QLabel *label,
                       PopupListWindow *listWindow)
{
    auto *list = new FlatComboBox(parent);
    list->setObjectName(QLatin1String(name));
    list->SetItems({QStringLiteral("自動"), QStringLiteral("必須"), QStringLiteral("なし")});
    list->setToolTip(kModeTip);
    list->setGeometry(at.x(), at.y(), 60, kFieldHeight);
    list->SetListWindow(listWindow);
    NameFromLabel(list, label);
    return list;
}

// The program's one drop-down list window, which the account choice was given.
PopupListWindow *listWindowOf(const TAccount *accountChoice)
{
    return accountChoice ? accountChoice->ListWindow() : nullptr;
}

EncryptionMode modeOf(const FlatComboBox *list)
{
    const int i = list->ItemIndex();
    return i >= 0 && i < int(std::size(kModes)) ? kModes[i] : EncryptionMode::Auto;
}

void showMode(FlatComboBox *list, EncryptionMode mode)
{
    for (int i = 0; i < int(std::size(kModes)); ++i)
        if (kModes[i] == mode)
            list->SetItemIndex(i);
}

// The providers of the sign-in list, in the order of its items.
const QString kProviders[]
    = {QStringLiteral("google"), QStringLiteral("microsoft"), QStringLiteral("custom")};

// The SMTP port typed: 0 for an empty field (the port then follows the OP25B box), else 1..65535;
// nothing for any other text.
std::optional<int> portOf(const QString &text)
{
    if (text.trimmed().isEmpty())
        return 0;
    return ParsePort(text);
}

// Password fields show "*" for every character, whatever the platform's style would draw.
class AsteriskStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

FlatPanel *page(QTabWidget *tabs, const char *name, const QString &title)
{
    auto *panel = new FlatPanel;
    panel->setObjectName(QLatin1String(name));
    panel->SetInputFrameColor(Colors::Frame);
    tabs->addTab(panel, title);
    return panel;
}

void colourText(QWidget *w)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Active, QPalette::WindowText, Colors::Text);
    pal.setColor(QPalette::Inactive, QPalette::WindowText, Colors::Text);
    pal.setColor(QPalette::Disabled, QPalette::WindowText, QColor(128, 128, 128));
    w->setPalette(pal);
}

FlatCheckBox *checkBox(QWidget *parent, const char *name, const QString &text, QPoint at)
{
    auto *box = new FlatCheckBox(text, parent);
    box->setObjectName(QLatin1String(name));
    colourText(box);
    box->move(at);
    box->resize(box->sizeHint());
    return box;
}

QRadioButton *radio(QWidget *parent, const char *name, const QString &text, QPoint at)
{
    auto *button = new QRadioButton(text, parent);
    button->setObjectName(QLatin1String(name));
    colourText(button);
    button->move(at);
    button->resize(button->sizeHint());
    return button;
}

} // namespace

TConfig::TConfig(TUserData &settings, Prompt &prompt, const MailAccountStore &accounts,
                 TAccount *accountChoice, CameraDialog formatDialog, CameraDialog sourceDialog,
                 QWidget *parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowCloseButtonHint)
    , m_settings(settings)
    , m_prompt(prompt)
    , m_accounts(accounts)
    , m_accountChoice(accountChoice)
    , m_formatDialog(std::move(formatDialog))
    , m_sourceDialog(std::move(sourceDialog))
{
    setWindowTitle(ApplicationTitle() + QStringLiteral(" - 設定"));
    setWindowIcon(Artwork::ProgramIcon());
    setModal(true);
    setFixedSize(kWidth, kHeight);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Colors::Back);
    setPalette(pal);

    pcConfig = new QTabWidget(this);
    pcConfig->setObjectName(QStringLiteral("pcConfig"));
    pcConfig->setGeometry(6, 6, kWidth - 12, kHeight - 46);
    pcConfig->setDocumentMode(false);
    buildUserPage();
    buildServerPage();
    buildSignInPage();
    buildCameraPage();
    buildInfoPage();
    bindFields();

    btnOK = MakeDialogButton(this, "btnOK", QStringLiteral("OK"), QRect(kWidth - 182, kHeight - 34, 84, 26));
    btnCancel = MakeDialogButton(this, "btnCancel", QStringLiteral("中止"),
                                 QRect(kWidth - 92, kHeight - 34, 84, 26));
    connect(btnOK, &TBmpBtn::clicked, this, &TConfig::btnOKClick);
    connect(btnCancel, &TBmpBtn::clicked, this, &TConfig::btnCancelClick);

    // Without a usable account in the mail client there is nothing to import.
    btnImport->SetEnabled(!m_accounts.Accounts().isEmpty());
    pcConfig->setCurrentWidget(tsUser);
}

void TConfig::buildUserPage()
{
    tsUser = page(pcConfig, "tsUser", QStringLiteral("ユーザー情報"));
    auto *asterisks = new AsteriskStyle;
    asterisks->setParent(this);

    const struct
    {
        QLabel **label;
        FlatEdit **field;
        const char *labelName;
        const char *fieldName;
        QString text;
        QString tip;
        bool inputMethod;
        int width;
    } rows[] = {
        {&lbFromName, &edFromName, "lbFromName", "edFromName", QStringLiteral("名前："),
         QStringLiteral("名前を入力して下さい"), true, 200},
        {&lbFromAddress, &edFromAddress, "lbFromAddress", "edFromAddress", QStringLiteral("メールアドレス："),
         QStringLiteral("メールアドレスを入力して下さい"), false, 200},
        {&lbSMTPServer, &edSMTPServer, "lbSMTPServer", "edSMTPServer", QStringLiteral("SMTPサーバー："),
         QStringLiteral("送信用メールサーバー（SMTP)を入力して下さい"), false, 200},
        {&lbPOPServer, &edPOPServer, "lbPOPServer", "edPOPServer", QStringLiteral("POP3サーバー："),
         QStringLiteral("受信用メールサーバー（ＰＯＰ３)を入力して下さい"), false, 200},
        {&lbUserID, &edUserID, "lbUserID", "edUserID", QStringLiteral("ユーザーＩＤ："),
         QStringLiteral("メールサーバーのアカウント名を入力して下さい"), false, 140},
        {&lbPassWord, &edPassWord, "lbPassWord", "edPassWord", QStringLiteral("パスワード："),
         QStringLiteral("メールサーバーのパスワードを入力して下さい"), false, 140},
    };
    int y = 14;
    for (const auto &r : rows) {
        *r.label = MakeLabel(tsUser, r.labelName, r.text, QPoint(0, y + 2), kFieldLeft - 4);
        *r.field = MakeField(tsUser, r.fieldName, QRect(kFieldLeft, y, r.width, kFieldHeight), *r.label);
        (*r.field)->setToolTip(r.tip);
        (*r.field)->SetInputMethod(r.inputMethod);
        y += kRowStep;
        if (r.field == &edSMTPServer)
            y = buildConnectionRows(y);
    }
    edPassWord->setEchoMode(QLineEdit::Password);
    edPassWord->setStyle(asterisks);

    gbxAuth = new QGroupBox(QStringLiteral("ユーザー認証"), tsUser);
    gbxAuth->setObjectName(QStringLiteral("gbxAuth"));
    colourText(gbxAuth);
    gbxAuth->setGeometry(16, y + 6, 180, 86);
    rbNoAuth = radio(gbxAuth, "rbNoAuth", QStringLiteral("しない"), QPoint(12, 20));
    rbUsePOP3 = radio(gbxAuth, "rbUsePOP3", QStringLiteral("POP before SMTP"), QPoint(12, 41));
    rbSMTPAuth = radio(gbxAuth, "rbSMTPAuth", QStringLiteral("SMTP認証"), QPoint(12, 62));
    rbOAuth = radio(gbxAuth, "rbOAuth", QStringLiteral("OAuth 2.0"), QPoint(96, 62));
    rbOAuth->setToolTip(QStringLiteral("「サインイン」のページでサインインして送信します"));
    rbNoAuth->setChecked(true);
    connect(rbNoAuth, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            rbNoAuthClick();
    });
    connect(rbUsePOP3, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            rbUsePOP3Click();
    });
    connect(rbSMTPAuth, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            rbSMTPAuthClick();
    });
    connect(rbOAuth, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            rbOAuthClick();
    });

    const int right = 216;
    cbxUseOP25B = checkBox(tsUser, "cbxUseOP25B", QStringLiteral("OP25B対策"), QPoint(right, y + 20));
    cbxUseOP25B->setToolTip(QStringLiteral("SMTPポートを587番に変更します"));

    // The box's caption is two labels on two lines; a click on either toggles it.
    cbxAlwaysConnect = checkBox(tsUser, "cbxAlwaysConnect", QString(), QPoint(right, y + 56));
    Label9 = MakeLabel(tsUser, "Label9", QStringLiteral("ダイヤルアップで"), QPoint(right + 18, y + 48));
    Label10 = MakeLabel(tsUser, "Label10", QStringLiteral("接続する"), QPoint(right + 18, y + 64));
    cbxAlwaysConnect->setAccessibleName(Label9->text() + Label10->text());
    for (QLabel *label : {Label9, Label10}) {
        label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(this);
    }

    btnImport = MakeDialogButton(tsUser, "btnImport", QStringLiteral("Thunderbirdから設定をインポート"),
                                 QRect(16, y + 104, 240, 26));
    btnImport->setToolTip(QStringLiteral("Thunderbirdのアカウント設定（標準）を読み込みます"));
    connect(btnImport, &TBmpBtn::clicked, this, &TConfig::btnImportClick);

    btnCheckMail = MakeDialogButton(tsUser, "btnCheckMail", QStringLiteral("接続テスト"),
                                    QRect(266, y + 104, 120, 26));
    btnCheckMail->setToolTip(
        QStringLiteral("サーバーに接続して、暗号化と認証を確かめます（メールは送信しません）"));
    connect(btnCheckMail, &TBmpBtn::clicked, this, &TConfig::btnCheckMailClick);
}

int TConfig::buildConnectionRows(int y)
{
    lbSMTPPort
        = MakeLabel(tsUser, "lbSMTPPort", QStringLiteral("SMTPポート："), QPoint(0, y + 2), kFieldLeft - 4);
    edSMTPPort = MakeField(tsUser, "edSMTPPort", QRect(kFieldLeft, y, 56, kFieldHeight), lbSMTPPort);
    edSMTPPort->SetInputMethod(false);
    edSMTPPort->setMaxLength(5);
    edSMTPPort->setToolTip(QStringLiteral("空欄のときは25番（OP25B対策では587番）を使います"));

    lbMailEncryption = MakeLabel(tsUser, "lbMailEncryption", QStringLiteral("暗号化："), QPoint(200, y + 2));
    cbxMailEncryption
        = modeList(tsUser, "cbxMailEncryption", QPoint(lbMailEncryption->geometry().right() + 5, y),
                   lbMailEncryption, listWindowOf(m_accountChoice));
    y += kRowStep;

    lbFingerprint
        = MakeLabel(tsUser, "lbFingerprint", QStringLiteral("証明書の指紋（SHA-256）："), QPoint(16, y + 2));
    const int left = lbFingerprint->geometry().right() + 5;
    edFingerprint = MakeField(tsUser, "edFingerprint", QRect(left, y, kWidth - 12 - 16 - left, kFieldHeight),
                              lbFingerprint);
    edFingerprint->SetInputMethod(false);
    edFingerprint->setToolTip(
        QStringLiteral("自己署名の証明書を使うサーバーでは、その証明書のSHA-256指紋を入力して下さい"));
    return y + kRowStep;
}

void TConfig::buildServerPage()
{
    tsServer = page(pcConfig, "tsServer", QStringLiteral("FTPサーバー"));
    cbxUseFTP = checkBox(tsServer, "cbxUseFTP", QStringLiteral("ＦＴＰサーバーを使用する"), QPoint(16, 16));
    connect(cbxUseFTP, &QCheckBox::toggled, this, &TConfig::cbxUseFTPClick);

    const struct
    {
        FlatEdit **field;
        const char *fieldName;
        const char *labelName;
        QString text;
        int width;
    } rows[] = {
        {&edFTPHost, "edFTPHost", "lbFTPHost", QStringLiteral("ホスト："), 220},
        {&edFTPPort, "edFTPPort", "lbFTPPort", QStringLiteral("ポート："), 60},
        {&edFTPUserID, "edFTPUserID", "lbFTPUserID", QStringLiteral("ユーザーID："), 140},
        {&edFTPPassword, "edFTPPassword", "lbFTPPassword", QStringLiteral("パスワード："), 140},
        {&edFTPFolder, "edFTPFolder", "lbFTPFolder", QStringLiteral("フォルダ："), 220},
        {&edFTPUrl, "edFTPUrl", "lbFTPUrl", QStringLiteral("ＵＲＬ："), 250},
    };
    int y = 46;
    for (const auto &r : rows) {
        QLabel *label = MakeLabel(tsServer, r.labelName, r.text, QPoint(0, y + 2), kFieldLeft - 4);
        m_ftpLabels << label;
        *r.field = MakeField(tsServer, r.fieldName, QRect(kFieldLeft, y, r.width, kFieldHeight), label);
        (*r.field)->SetInputMethod(false);
        y += kRowStep;
    }
    edFTPPassword->setEchoMode(QLineEdit::Password);
    edFTPPassword->setStyle(edPassWord->style());

    const QRect port = edFTPPort->geometry();
    lbFTPEncryption = MakeLabel(tsServer, "lbFTPEncryption", QStringLiteral("暗号化："),
                                QPoint(port.right() + 17, port.y() + 2));
    m_ftpLabels << lbFTPEncryption;
    cbxFTPEncryption
        = modeList(tsServer, "cbxFTPEncryption", QPoint(lbFTPEncryption->geometry().right() + 5, port.y()),
                   lbFTPEncryption, listWindowOf(m_accountChoice));

    btnCheckFTP = MakeDialogButton(tsServer, "btnCheckFTP", QStringLiteral("接続テスト"),
                                   QRect(kFieldLeft, y + 10, 120, 26));
    btnCheckFTP->setToolTip(QStringLiteral("FTPサーバーに接続して、暗号化とログインを確かめます"));
    connect(btnCheckFTP, &TBmpBtn::clicked, this, &TConfig::btnCheckFTPClick);
    cbxUseFTPClick();
}

void TConfig::buildSignInPage()
{
    tsSignIn = page(pcConfig, "tsSignIn", QStringLiteral("サインイン"));
    int y = 14;
    lbServerPreset = MakeLabel(tsSignIn, "lbServerPreset", QStringLiteral("メールサービス："),
                               QPoint(0, y + 2), kFieldLeft - 4);
    cbxServerPreset = new FlatComboBox(tsSignIn);
    cbxServerPreset->setObjectName(QStringLiteral("cbxServerPreset"));
    QStringList services {QStringLiteral("（選ばない）")};
    for (const ServerPreset &preset : ServerPresets())
        services << preset.Name;
    cbxServerPreset->SetItems(services);
    cbxServerPreset->setGeometry(kFieldLeft, y, 160, kFieldHeight);
    cbxServerPreset->SetListWindow(listWindowOf(m_accountChoice));
    cbxServerPreset->setToolTip(QStringLiteral("選ぶと、SMTPサーバー、ポートと暗号化を設定します"));
    NameFromLabel(cbxServerPreset, lbServerPreset);
    connect(cbxServerPreset, &FlatComboBox::changed, this, &TConfig::cbxServerPresetChange);
    y += kRowStep;
    lbPresetNote = MakeLabel(tsSignIn, "lbPresetNote", QString(), QPoint(16, y));
    lbPresetNote->setWordWrap(true);
    lbPresetNote->setGeometry(16, y, kWidth - 12 - 32, 30);
    y += 36;

    lbSignInProvider = MakeLabel(tsSignIn, "lbSignInProvider", QStringLiteral("認証サーバー："),
                                 QPoint(0, y + 2), kFieldLeft - 4);
    cbxSignInProvider = new FlatComboBox(tsSignIn);
    cbxSignInProvider->setObjectName(QStringLiteral("cbxSignInProvider"));
    cbxSignInProvider->SetItems(
        {QStringLiteral("Google"), QStringLiteral("Microsoft"), QStringLiteral("その他")});
    cbxSignInProvider->setGeometry(kFieldLeft, y, 120, kFieldHeight);
    cbxSignInProvider->SetListWindow(listWindowOf(m_accountChoice));
    NameFromLabel(cbxSignInProvider, lbSignInProvider);
    connect(cbxSignInProvider, &FlatComboBox::changed, this, &TConfig::cbxSignInProviderChange);
    y += kRowStep;

    const struct
    {
        QLabel **label;
        FlatEdit **field;
        const char *labelName;
        const char *fieldName;
        QString text;
        QString tip;
    } rows[] = {
        {&lbSignInClientID, &edSignInClientID, "lbSignInClientID", "edSignInClientID",
         QStringLiteral("クライアントID："),
         QStringLiteral("認証サーバーに登録したクライアントIDを入力して下さい")},
        {&lbSignInClientSecret, &edSignInClientSecret, "lbSignInClientSecret", "edSignInClientSecret",
         QStringLiteral("シークレット："),
         QStringLiteral("Googleのデスクトップ用クライアントでは、そのシークレットを入力して下さい")},
        {&lbSignInAuthorizeUrl, &edSignInAuthorizeUrl, "lbSignInAuthorizeUrl", "edSignInAuthorizeUrl",
         QStringLiteral("認可URL："), QString()},
        {&lbSignInTokenUrl, &edSignInTokenUrl, "lbSignInTokenUrl", "edSignInTokenUrl",
         QStringLiteral("トークンURL："), QString()},
        {&lbSignInDeviceUrl, &edSignInDeviceUrl, "lbSignInDeviceUrl", "edSignInDeviceUrl",
         QStringLiteral("デバイスURL："), QString()},
        {&lbSignInScope, &edSignInScope, "lbSignInScope", "edSignInScope", QStringLiteral("スコープ："),
         QString()},
    };
    for (const auto &r : rows) {
        *r.label = MakeLabel(tsSignIn, r.labelName, r.text, QPoint(0, y + 2), kFieldLeft - 4);
        *r.field = MakeField(tsSignIn, r.fieldName,
                             QRect(kFieldLeft, y, kWidth - 12 - 16 - kFieldLeft, kFieldHeight), *r.label);
        (*r.field)->SetInputMethod(false);
        if (!r.tip.isEmpty())
            (*r.field)->setToolTip(r.tip);
        y += kRowStep;
    }

    lbSignInState = MakeLabel(tsSignIn, "lbSignInState", QString(), QPoint(16, y + 6));
    lbSignInState->setGeometry(16, y + 6, 120, kFieldHeight);
    btnSignIn = MakeDialogButton(tsSignIn, "btnSignIn", QStringLiteral("サインイン"), QRect(140, y, 84, 26));
    btnSignIn->setToolTip(QStringLiteral("ブラウザで認証サーバーにサインインします"));
    btnSignOut
        = MakeDialogButton(tsSignIn, "btnSignOut", QStringLiteral("サインアウト"), QRect(230, y, 84, 26));
    btnSignOut->setToolTip(QStringLiteral("保存したサインインを削除します"));
    btnSignInCancel
        = MakeDialogButton(tsSignIn, "btnSignInCancel", QStringLiteral("取り消し"), QRect(320, y, 64, 26));
    btnSignInCancel->setToolTip(QStringLiteral("サインインの待機をやめます"));
    connect(btnSignIn, &TBmpBtn::clicked, this, &TConfig::btnSignInClick);
    connect(btnSignOut, &TBmpBtn::clicked, this, &TConfig::btnSignOutClick);
    connect(btnSignInCancel, &TBmpBtn::clicked, this, &TConfig::btnSignInCancelClick);
    y += 34;
    lbSignInUrl
        = MakeLabel(tsSignIn, "lbSignInUrl",
                    QStringLiteral("ブラウザが開かないときは、このURLを開いて下さい："), QPoint(16, y));
    y += 18;
    edSignInUrl
        = MakeField(tsSignIn, "edSignInUrl", QRect(16, y, kWidth - 12 - 32, kFieldHeight), lbSignInUrl);
    edSignInUrl->setReadOnly(true);
    edSignInUrl->SetInputMethod(false);
    showSignInState();
}

void TConfig::SetSignIn(OAuthClient *client, std::function<bool(const QUrl &)> openBrowser)
{
    m_signIn = client;
    m_openBrowser = std::move(openBrowser);
    showSignInState();
}

void TConfig::showSignInState()
{
    bool signedIn = false;
    if (m_signIn && edSMTPServer) {
        TUserData settings = m_settings;
        controlsInto(settings);
        signedIn = m_signIn->SignedIn(settings);
    }
    lbSignInState->setText(m_signingIn    ? QStringLiteral("サインイン中…")
                               : signedIn ? QStringLiteral("サインイン済み")
                                          : QStringLiteral("サインインしていません"));
    btnSignIn->SetEnabled(m_signIn && !m_signingIn && !m_checking);
    btnSignOut->SetEnabled(m_signIn && signedIn && !m_signingIn && !m_checking);
    btnSignInCancel->SetEnabled(m_signingIn);
}

void TConfig::cbxSignInProviderChange()
{
    const int i = cbxSignInProvider->ItemIndex();
    const bool custom = i < 0 || kProviders[i] == QLatin1String("custom");
    const std::optional<OAuthProvider> preset = custom ? std::nullopt : OAuthPreset(kProviders[i]);
    // A preset's endpoints are shown as they are; only a custom provider's are typed.
    const struct
    {
        FlatEdit *field;
        QString *value;
        QString text;
    } endpoints[] = {
        {edSignInAuthorizeUrl, &m_form.SignInAuthorizeUrl,
         preset ? preset->AuthorizeUrl : m_settings.SignInAuthorizeUrl},
        {edSignInTokenUrl, &m_form.SignInTokenUrl, preset ? preset->TokenUrl : m_settings.SignInTokenUrl},
        {edSignInDeviceUrl, &m_form.SignInDeviceUrl, preset ? preset->DeviceUrl : m_settings.SignInDeviceUrl},
        {edSignInScope, &m_form.SignInScope, preset ? preset->Scope : m_settings.SignInScope},
    };
    for (const auto &e : endpoints) {
        e.field->setReadOnly(!custom);
        *e.value = e.text;
        TextBinding::Of(e.field)->Show();
        e.field->setCursorPosition(0);
    }
}

void TConfig::cbxServerPresetChange()
{
    const int i = cbxServerPreset->ItemIndex() - 1;
    if (i < 0 || i >= ServerPresets().size()) {
        lbPresetNote->clear();
        return;
    }
    const ServerPreset &preset = ServerPresets().at(i);
    edSMTPServer->setText(preset.Host);
    edSMTPPort->setText(QString::number(preset.Port));
    showMode(cbxMailEncryption, preset.Tls);
    cbxUseOP25B->setChecked(false);
    lbPresetNote->setText(preset.Note);
    if (!preset.SignInProvider.isEmpty()) {
        for (int p = 0; p < int(std::size(kProviders)); ++p) {
            if (kProviders[p] == preset.SignInProvider)
                cbxSignInProvider->SetItemIndex(p);
        }
        cbxSignInProviderChange();
        rbOAuth->setChecked(true);
    } else {
        rbSMTPAuth->setChecked(true);
    }
}

void TConfig::btnSignInClick()
{
    if (!m_signIn || m_signingIn || m_checking)
        return;
    const QPointer<TConfig> self(this);
    TUserData settings = m_settings;
    controlsInto(settings);
    if (settings.SMTPServer.trimmed().isEmpty() || settings.FromAddress.trimmed().isEmpty()) {
        warn(QStringLiteral("メールアドレスとSMTPサーバーを入力してからサインインして下さい。"));
        return;
    }
    m_signingIn = true;
    m_signInCancelled = false;
    setChecking(true);
    m_signIn->Cancelled = [this, self] {
        return !self || m_signInCancelled;
    };
    m_signIn->ShowUrl = [this, self](const QUrl &url) {
        if (self) {
            m_form.SignInUrl = url.toString(QUrl::FullyEncoded);
            m_signInUrlText->Show();
            edSignInUrl->setCursorPosition(0);
        }
    };
    m_signIn->OpenBrowser = m_openBrowser;
    QString failure;
    try {
        m_signIn->SignInWithBrowser(settings);
    } catch (const SignInError &e) {
        failure = e.Message();
    }
    m_signIn->Cancelled = nullptr;
    m_signIn->ShowUrl = nullptr;
    if (!self)
        return;
    m_signingIn = false;
    setChecking(false);
    m_form.SignInUrl.clear();
    m_signInUrlText->Show();
    if (failure.isEmpty()) {
        rbOAuth->setChecked(true);
        showSignInState();
        m_prompt.ShowMessageBox(QStringLiteral("サインインしました。"), Msg::IconInformation, Msg::ButtonsOk);
    } else if (failure != OAuthText::Cancelled()) {
        showSignInState();
        m_prompt.ShowMessageBox(failure, Msg::IconError, Msg::ButtonsOk);
    }
}

void TConfig::btnSignOutClick()
{
    if (!m_signIn || m_signingIn || m_checking)
        return;
    TUserData settings = m_settings;
    controlsInto(settings);
    if (!m_signIn->SignOut(settings))
        warn(QStringLiteral("サインインの情報を削除できません。"));
    showSignInState();
}

void TConfig::btnSignInCancelClick()
{
    m_signInCancelled = true;
}

void TConfig::buildCameraPage()
{
    tsCamera = page(pcConfig, "tsCamera", QStringLiteral("カメラ設定"));
    btnFormat
        = MakeDialogButton(tsCamera, "btnFormat", QStringLiteral("フォーマット"), QRect(16, 16, 120, 26));
    btnFormat->setToolTip(QStringLiteral("カメラのフォーマット設定ダイアログを表示します"));
    btnSource = MakeDialogButton(tsCamera, "btnSource", QStringLiteral("ソース"), QRect(16, 52, 120, 26));
    btnSource->setToolTip(QStringLiteral("カメラのソース設定ダイアログを表示します"));
    connect(btnFormat, &TBmpBtn::clicked, this, &TConfig::btnFormatClick);
    connect(btnSource, &TBmpBtn::clicked, this, &TConfig::btnSourceClick);
}

void TConfig::buildInfoPage()
{
    tsInfo = page(pcConfig, "tsInfo", QStringLiteral("情報"));
    imgLogo = new QLabel(tsInfo);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setGeometry(16, 16, 128, 128);
    imgLogo->setPixmap(Artwork::Logo());
    imgLogo->setAccessibleName(ApplicationTitle());
    lbVersion = MakeLabel(tsInfo, "lbVersion", QStringLiteral("Ver. 2.00"), QPoint(16, 152));
    lbVersion->move(16 + (128 - lbVersion->width()) / 2, 152);

    mmInfo = new FlatMemo(tsInfo);
    mmInfo->setObjectName(QStringLiteral("mmInfo"));
    mmInfo->setGeometry(160, 16, kWidth - 12 - 160 - 20, 260);
    mmInfo->setReadOnly(true);
    mmInfo->setAccessibleName(QStringLiteral("情報"));
    mmInfo->setPlainText(ApplicationTitle()
                         + QStringLiteral(" Ver. 2.00\n"
                                          "携帯電話に写真をメールで送るソフトウェア\n"
                                          "Copyright © Tavrin developers\n\n"
                                          "このソフトウェアは次のライブラリを使用しています。\n\n"
                                          "Qt %1\n"
                                          "Copyright © The Qt Company Ltd.\n"
                                          "GNU Lesser General Public License v3 の下で使用しています。\n\n"
                                          "libjpeg-turbo\n"
                                          "This software is based in part on the work of the "
                                          "Independent JPEG Group.\n")
                               .arg(QString::fromLatin1(qVersion())));
}

void TConfig::bindFields()
{
    const std::pair<FlatEdit *, QString *> fields[] = {
        {edFromName, &m_form.FromName},
        {edFromAddress, &m_form.FromAddress},
        {edSMTPServer, &m_form.SMTPServer},
        {edPOPServer, &m_form.POPServer},
        {edUserID, &m_form.UserID},
        {edPassWord, &m_form.PassWord},
        {edSMTPPort, &m_form.SMTPPort},
        {edFingerprint, &m_form.Fingerprint},
        {edFTPHost, &m_form.Host},
        {edFTPPort, &m_form.Port},
        {edFTPUserID, &m_form.FTPUserID},
        {edFTPPassword, &m_form.FTPPassword},
        {edFTPFolder, &m_form.Folder},
        {edFTPUrl, &m_form.Url},
        {edSignInClientID, &m_form.SignInClientID},
        {edSignInClientSecret, &m_form.SignInClientSecret},
        {edSignInAuthorizeUrl, &m_form.SignInAuthorizeUrl},
        {edSignInTokenUrl, &m_form.SignInTokenUrl},
        {edSignInDeviceUrl, &m_form.SignInDeviceUrl},
        {edSignInScope, &m_form.SignInScope},
    };
    for (const auto &[field, value] : fields)
        TextBinding::Bind(field, value);
    // The address to open by hand while a sign-in waits: shown, not edited.
    m_signInUrlText = TextBinding::Bind(
        edSignInUrl, [this] { return m_form.SignInUrl; }, [](const QString &) {});
    // The information page shows a fixed text.
    TextBinding::Bind(
        mmInfo, [text = mmInfo->toPlainText()] { return text; }, [](const QString &) {});
}

void TConfig::Prepare()
{
    FormShow();
    CentreOver(this, parentWidget());
}

bool TConfig::Execute()
{
    Prepare();
    const QPointer<TConfig> self(this);
    const int result = exec();
    return self && result == QDialog::Accepted;
}

void TConfig::FormShow()
{
    edFromName->setText(m_settings.FromName);
    edFromAddress->setText(m_settings.FromAddress);
    edSMTPServer->setText(m_settings.SMTPServer);
    edPOPServer->setText(m_settings.POPServer);
    edUserID->setText(m_settings.UserID);
    edPassWord->setText(m_settings.PassWord);
    // Both set (a hand-edited file): the later button, SMTP authentication, stays selected.
    if (m_settings.UseOAuth)
        rbOAuth->setChecked(true);
    else if (m_settings.UseSMTPAuth)
        rbSMTPAuth->setChecked(true);
    else if (m_settings.UsePOP3)
        rbUsePOP3->setChecked(true);
    else
        rbNoAuth->setChecked(true);
    if (rbUsePOP3->isChecked())
        rbUsePOP3Click();
    else if (rbSMTPAuth->isChecked())
        rbSMTPAuthClick();
    else if (rbOAuth->isChecked())
        rbOAuthClick();
    else
        rbNoAuthClick();
    cbxAlwaysConnect->setChecked(!m_settings.Connect);
    cbxUseFTP->setChecked(m_settings.UseServer);
    cbxUseFTPClick();
    cbxUseOP25B->setChecked(m_settings.UseOP25B);
    edFTPHost->setText(m_settings.Host);
    edFTPPort->setText(m_settings.Port);
    edFTPUserID->setText(m_settings.FTPUserID);
    edFTPPassword->setText(m_settings.FTPPassword);
    edFTPFolder->setText(m_settings.Folder);
    edFTPUrl->setText(m_settings.Url);
    edSMTPPort->setText(m_settings.SMTPPort > 0 ? QString::number(m_settings.SMTPPort) : QString());
    showMode(cbxMailEncryption, m_settings.MailEncryption);
    showMode(cbxFTPEncryption, m_settings.FTPEncryption);
    edFingerprint->setText(m_settings.Fingerprint);
    edFingerprint->setCursorPosition(0); // the start of a long fingerprint, not its end
    const int provider
        = int(std::find(std::begin(kProviders), std::end(kProviders), m_settings.SignInProvider)
              - std::begin(kProviders));
    cbxSignInProvider->SetItemIndex(provider < int(std::size(kProviders)) ? provider : 0);
    cbxSignInProviderChange();
    edSignInClientID->setText(m_settings.SignInClientID);
    edSignInClientSecret->setText(m_settings.SignInClientSecret);
    cbxServerPreset->SetItemIndex(0);
    lbPresetNote->clear();
    showSignInState();
}

void TConfig::setAuthFields(bool pop3Server, bool userAndPassword)
{
    lbPOPServer->setEnabled(pop3Server);
    edPOPServer->setEnabled(pop3Server);
    for (QWidget *w : std::initializer_list<QWidget *> {lbUserID, edUserID, lbPassWord, edPassWord})
        w->setEnabled(userAndPassword);
}

void TConfig::rbNoAuthClick()
{
    setAuthFields(false, false);
}

void TConfig::rbUsePOP3Click()
{
    setAuthFields(true, true);
}

void TConfig::rbSMTPAuthClick()
{
    setAuthFields(false, true);
}

// The user ID names the account to sign in to (the sender address when empty); no password.
void TConfig::rbOAuthClick()
{
    setAuthFields(false, false);
    lbUserID->setEnabled(true);
    edUserID->setEnabled(true);
}

void TConfig::cbxUseFTPClick()
{
    const bool on = cbxUseFTP->isChecked();
    for (QLabel *label : std::as_const(m_ftpLabels))
        label->setEnabled(on);
    for (FlatEdit *field : {edFTPHost, edFTPPort, edFTPUserID, edFTPPassword, edFTPFolder, edFTPUrl})
        field->setEnabled(on);
    cbxFTPEncryption->setEnabled(on);
    btnCheckFTP->SetEnabled(on && !m_checking);
}

void TConfig::Label9Click()
{
    cbxAlwaysConnect->toggle();
}

bool TConfig::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == Label9 || watched == Label10) && event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        Label9Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TConfig::btnFormatClick()
{
    if (m_formatDialog)
        m_formatDialog();
    activateWindow();
}

void TConfig::btnSourceClick()
{
    if (m_sourceDialog)
        m_sourceDialog();
    activateWindow();
}

void TConfig::btnImportClick()
{
    if (m_prompt.ShowSystemMessageBox(QStringLiteral("設定をインポートしますか？？"), Msg::IconQuestion,
                                      Msg::ButtonsYesNo)
        != Msg::Yes)
        return;
    const QList<MailAccount> accounts = m_accounts.Accounts();
    if (accounts.isEmpty()) {
        m_prompt.ShowSystemMessageBox(QStringLiteral("有効なアカウントが見つかりません。"),
                                      Msg::IconExclamation, Msg::ButtonsOk);
        return;
    }
    int chosen = 0;
    if (accounts.size() > 1) {
        const QPointer<TConfig> self(this);
        chosen = m_accountChoice ? m_accountChoice->Choose(accounts) : -1;
        if (!self || chosen < 0 || chosen >= accounts.size())
            return;
    }
    const MailAccount &a = accounts[chosen];
    edFromName->setText(a.SMTPDisplayName);
    edFromAddress->setText(a.SMTPEmailAddress);
    edSMTPServer->setText(a.SMTPServer);
    edPOPServer->setText(a.POP3Server);
    edUserID->setText(a.SMTPUserName.isEmpty() ? a.POP3UserName : a.SMTPUserName);
    // The client's password is not imported.
    edPassWord->clear();
}

void TConfig::warn(const QString &text)
{
    m_prompt.ShowSystemMessageBox(text, Msg::IconExclamation, Msg::ButtonsOk);
}

bool TConfig::smtpPortUsable()
{
    if (portOf(m_form.SMTPPort))
        return true;
    // The field first, so that it shows behind the warning.
    pcConfig->setCurrentWidget(tsUser);
    edSMTPPort->setFocus();
    edSMTPPort->selectAll();
    warn(QStringLiteral("SMTPポート番号が正しくありません。1～65535の数値を入力するか、空欄にして下さい。"));
    return false;
}

bool TConfig::fingerprintUsable()
{
    if (TlsTransport::ParsePins(m_form.Fingerprint))
        return true;
    pcConfig->setCurrentWidget(tsUser);
    edFingerprint->setFocus();
    edFingerprint->selectAll();
    warn(QStringLiteral(
        "証明書の指紋が正しくありません。SHA-256の指紋（16進数64桁、コロン区切り可）を入力して下さい。"));
    return false;
}

void TConfig::controlsInto(TUserData &s) const
{
    s.FromName = m_form.FromName;
    s.FromAddress = m_form.FromAddress;
    s.SMTPServer = m_form.SMTPServer;
    s.POPServer = m_form.POPServer;
    s.UserID = m_form.UserID;
    s.PassWord = m_form.PassWord;
    s.UsePOP3 = rbUsePOP3->isChecked();
    s.UseSMTPAuth = rbSMTPAuth->isChecked();
    s.UseOAuth = rbOAuth->isChecked();
    const int provider = cbxSignInProvider->ItemIndex();
    s.SignInProvider = provider >= 0 ? kProviders[provider] : QString();
    s.SignInClientID = m_form.SignInClientID.trimmed();
    s.SignInClientSecret = m_form.SignInClientSecret.trimmed();
    // A preset provider's endpoints are its own; only a custom one's are kept.
    if (s.SignInProvider == QLatin1String("custom")) {
        s.SignInAuthorizeUrl = m_form.SignInAuthorizeUrl.trimmed();
        s.SignInTokenUrl = m_form.SignInTokenUrl.trimmed();
        s.SignInDeviceUrl = m_form.SignInDeviceUrl.trimmed();
        s.SignInScope = m_form.SignInScope.trimmed();
    }
    s.Connect = !cbxAlwaysConnect->isChecked();
    s.DedicatedServer = false;
    s.Host = m_form.Host;
    s.Port = m_form.Port;
    s.FTPUserID = m_form.FTPUserID;
    s.FTPPassword = m_form.FTPPassword;
    s.Folder = m_form.Folder;
    s.Url = m_form.Url;
    s.UseServer = cbxUseFTP->isChecked();
    s.UseOP25B = cbxUseOP25B->isChecked();
    s.SMTPPort = portOf(m_form.SMTPPort).value_or(s.SMTPPort);
    s.MailEncryption = modeOf(cbxMailEncryption);
    s.FTPEncryption = modeOf(cbxFTPEncryption);
    s.Fingerprint = m_form.Fingerprint;
}

void TConfig::btnCheckMailClick()
{
    runCheck(false);
}

void TConfig::btnCheckFTPClick()
{
    runCheck(true);
}

void TConfig::runCheck(bool ftp)
{
    if (m_checking)
        return;
    const QPointer<TConfig> self(this);
    // The FTP test does not use the SMTP port.
    if ((!ftp && !smtpPortUsable()) || !self || !fingerprintUsable() || !self)
        return;
    TUserData settings = m_settings;
    controlsInto(settings);
    ConnectionCheckOptions options;
    options.clock = &SystemClock();
    options.timeoutMs = kCheckTimeoutMs;
    if (m_signIn)
        options.accessToken = [this, settings] {
            return m_signIn->AccessToken(settings);
        };
    setChecking(true);
    const ConnectionReport report
        = ftp ? CheckFtpServer(settings, options) : CheckMailServers(settings, options);
    if (!self)
        return;
    setChecking(false);
    m_prompt.ShowMessageBox(report.lines.join(QLatin1Char('\n')),
                            report.ok ? Msg::IconInformation : Msg::IconError, Msg::ButtonsOk);
}

void TConfig::setChecking(bool on)
{
    m_checking = on;
    // While the test waits, events run: nothing may close the dialog or start a second test.
    for (TLabeledBmpBtn *button : {btnOK, btnCancel, btnCheckMail})
        button->SetEnabled(!on);
    cbxUseFTPClick();
    showSignInState();
    if (on)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void TConfig::btnOKClick()
{
    if (m_checking || m_signingIn)
        return;
    const QPointer<TConfig> self(this);
    // A port or fingerprint that cannot be stored keeps the dialog open, the settings untouched.
    if (!smtpPortUsable() || !self || !fingerprintUsable() || !self)
        return;
    TUserData &s = m_settings;
    controlsInto(s);

    const QString userId = QStringLiteral("ユーザーＩＤが未入力です。");
    const QString password = QStringLiteral("パスワードが未入力です。");
    if (s.UsePOP3) {
        if (s.POPServer.isEmpty())
            warn(QStringLiteral("ＰＯＰ３サーバー名が未入力です。"));
        else if (s.UserID.isEmpty())
            warn(userId);
        else if (s.PassWord.isEmpty())
            warn(password);
    }
    if (s.UseSMTPAuth) {
        if (s.UserID.isEmpty())
            warn(userId);
        else if (s.PassWord.isEmpty())
            warn(password);
    }
    bool ftpWarned = false;
    if (s.UseServer) {
        const std::pair<const QString *, QString> ftp[] = {
            {&s.Host, QStringLiteral("FTPホスト名が未入力です。")},
            {&s.Port, QStringLiteral("FTPポート番号が未入力です。")},
            {&s.FTPUserID, QStringLiteral("FTPユーザーIDが未入力です。")},
            {&s.FTPPassword, QStringLiteral("FTPパスワードが未入力です。")},
            {&s.Folder, QStringLiteral("FTPフォルダが未入力です。")},
            {&s.Url, QStringLiteral("FTPアクセス用のURLが未入力です。")},
        };
        for (const auto &[value, message] : ftp) {
            if (value->isEmpty()) {
                warn(message);
                ftpWarned = true;
            }
        }
    }
    if (s.FromName.isEmpty() || s.FromAddress.isEmpty() || s.SMTPServer.isEmpty() || ftpWarned)
        warn(QStringLiteral("ユーザー情報を設定しなければ、メールは送信できません。"));
    // The warnings never keep the dialog open: the values stay as typed.
    if (self)
        accept();
}

void TConfig::btnCancelClick()
{
    reject();
}

void TConfig::reject()
{
    if (m_checking || m_signingIn)
        return;
    const QPointer<TConfig> self(this);
    const int answer = m_prompt.ShowSystemMessageBox(QStringLiteral("中止しますか？"), Msg::IconQuestion,
                                                     Msg::ButtonsYesNo);
    if (self && answer == Msg::Yes)
        QDialog::reject();
}

void TConfig::keyPressEvent(QKeyEvent *event)
{
    // Esc is left to the dialog: its reject asks first.
    if (!TakeDialogKey(event, [this] { btnOKClick(); }))
        QDialog::keyPressEvent(event);
}
