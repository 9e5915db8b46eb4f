#pragma once

#include <QDialog>

#include <functional>

class MailAccountStore;
class OAuthClient;
class QUrl;
class Prompt;
class QGroupBox;
class QLabel;
class QRadioButton;
class QTabWidget;
class TAccount;
class FlatCheckBox;
class FlatComboBox;
class FlatEdit;
class FlatMemo;
class TextBinding;
class FlatPanel;
class TLabeledBmpBtn;
class TUserData;

// The settings dialog: sender identity, mail servers and their authentication, dial-up, the FTP
// server of the server route, the camera's dialogs and the program's information, on four pages.
// It edits the settings object: OK copies every control into it, warns about what is missing and
// closes; cancelling (after a question) leaves it as it was. The caller saves the settings file.
// An SMTP port or certificate fingerprint that cannot be used is refused: OK then warns and keeps
// the dialog open with the settings untouched. The two connection tests try the servers with the
// controls' values, pumping events while they wait, and change no setting.
class TConfig : public QDialog
{
    Q_OBJECT
public:
    // The camera's format or source dialog; empty while there is no camera.
    using CameraDialog = std::function<void()>;

    // accountChoice is shown when the import finds several accounts. The dialog is centred over
    // its parent (the main window).
    TConfig(TUserData &settings, Prompt &prompt, const MailAccountStore &accounts, TAccount *accountChoice,
            CameraDialog formatDialog, CameraDialog sourceDialog, QWidget *parent = nullptr);

    // Shows the dialog modally, filled from the settings. True when it was closed with OK: the
    // settings then hold what the controls showed.
    bool Execute();
    // Fills the controls from the settings and centres the dialog, without showing it.
    void Prepare();

    // Esc, 中止 and the close box: asks before the dialog closes.
    void reject() override;
    // The OAuth 2.0 sign-in behind サインイン, サインアウト and the connection test; without it those
    // buttons stay disabled. openBrowser shows the provider's page.
    void SetSignIn(OAuthClient *client, std::function<bool(const QUrl &)> openBrowser);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormShow();
    void rbNoAuthClick();
    void rbUsePOP3Click();
    void rbSMTPAuthClick();
    void rbOAuthClick();
    void cbxServerPresetChange();
    void cbxSignInProviderChange();
    void btnSignInClick();
    void btnSignOutClick();
    void btnSignInCancelClick();
    void showSignInState();
    void buildSignInPage();
    void cbxUseFTPClick();
    void Label9Click();
    void btnFormatClick();
    void btnSourceClick();
    void btnImportClick();
    void btnCheckMailClick();
    void btnCheckFTPClick();
    void btnOKClick();
    void btnCancelClick();

    void buildUserPage();
    // The SMTP port, the mail encryption and the fingerprint rows from y; returns the next row's y.
    int buildConnectionRows(int y);
    void buildServerPage();
    void buildCameraPage();
    void buildInfoPage();
    void setAuthFields(bool pop3Server, bool userAndPassword);
    void warn(const QString &text);
    // Each warns, shows the field and returns false when its text cannot be stored.
    bool smtpPortUsable();
    bool fingerprintUsable();
    // The controls' values written into s.
    void controlsInto(TUserData &s) const;
    // Each edit field and the text it holds, kept equal whatever way the text came in.
    void bindFields();
    // Runs a connection test with the controls' values and shows what it found.
    void runCheck(bool ftp);
    void setChecking(bool on);
    bool eventFilter(QObject *watched, QEvent *event) override;

    TUserData &m_settings;
    Prompt &m_prompt;
    const MailAccountStore &m_accounts;
    TAccount *m_accountChoice;
    CameraDialog m_formatDialog;
    CameraDialog m_sourceDialog;

    QTabWidget *pcConfig = nullptr;
    FlatPanel *tsUser = nullptr;
    FlatPanel *tsServer = nullptr;
    FlatPanel *tsCamera = nullptr;
    FlatPanel *tsInfo = nullptr;

    QLabel *lbFromName = nullptr;
    QLabel *lbFromAddress = nullptr;
    QLabel *lbSMTPServer = nullptr;
    QLabel *lbPOPServer = nullptr;
    QLabel *lbUserID = nullptr;
    QLabel *lbPassWord = nullptr;
    FlatEdit *edFromName = nullptr;
    FlatEdit *edFromAddress = nullptr;
    FlatEdit *edSMTPServer = nullptr;
    FlatEdit *edPOPServer = nullptr;
    FlatEdit *edUserID = nullptr;
    FlatEdit *edPassWord = nullptr;
    QGroupBox *gbxAuth = nullptr;
    QRadioButton *rbNoAuth = nullptr;
    QRadioButton *rbUsePOP3 = nullptr;
    QRadioButton *rbSMTPAuth = nullptr;
    QRadioButton *rbOAuth = nullptr;
    FlatCheckBox *cbxUseOP25B = nullptr;
    FlatCheckBox *cbxAlwaysConnect = nullptr;
    QLabel *Label9 = nullptr; // "ダイヤルアップで"
    QLabel *Label10 = nullptr; // "接続する"
    TLabeledBmpBtn *btnImport = nullptr;
    QLabel *lbSMTPPort = nullptr;
    FlatEdit *edSMTPPort = nullptr;
    QLabel *lbMailEncryption = nullptr;
    FlatComboBox *cbxMailEncryption = nullptr;
    QLabel *lbFingerprint = nullptr;
    FlatEdit *edFingerprint = nullptr;
    TLabeledBmpBtn *btnCheckMail = nullptr;

    FlatCheckBox *cbxUseFTP = nullptr;
    QList<QLabel *> m_ftpLabels;
    FlatEdit *edFTPHost = nullptr;
    FlatEdit *edFTPPort = nullptr;
    FlatEdit *edFTPUserID = nullptr;
    FlatEdit *edFTPPassword = nullptr;
    FlatEdit *edFTPFolder = nullptr;
    FlatEdit *edFTPUrl = nullptr;
    QLabel *lbFTPEncryption = nullptr;
    FlatComboBox *cbxFTPEncryption = nullptr;
    TLabeledBmpBtn *btnCheckFTP = nullptr;

    FlatPanel *tsSignIn = nullptr;
    QLabel *lbServerPreset = nullptr;
    FlatComboBox *cbxServerPreset = nullptr;
    QLabel *lbPresetNote = nullptr;
    QLabel *lbSignInProvider = nullptr;
    FlatComboBox *cbxSignInProvider = nullptr;
    QLabel *lbSignInClientID = nullptr;
    FlatEdit *edSignInClientID = nullptr;
    QLabel *lbSignInClientSecret = nullptr;
    FlatEdit *edSignInClientSecret = nullptr;
    QLabel *lbSignInAuthorizeUrl = nullptr;
    FlatEdit *edSignInAuthorizeUrl = nullptr;
    QLabel *lbSignInTokenUrl = nullptr;
    FlatEdit *edSignInTokenUrl = nullptr;
    QLabel *lbSignInDeviceUrl = nullptr;
    FlatEdit *edSignInDeviceUrl = nullptr;
    QLabel *lbSignInScope = nullptr;
    FlatEdit *edSignInScope = nullptr;
    QLabel *lbSignInState = nullptr;
    QLabel *lbSignInUrl = nullptr;
    FlatEdit *edSignInUrl = nullptr;
    TLabeledBmpBtn *btnSignIn = nullptr;
    TLabeledBmpBtn *btnSignOut = nullptr;
    TLabeledBmpBtn *btnSignInCancel = nullptr;
    OAuthClient *m_signIn = nullptr;
    std::function<bool(const QUrl &)> m_openBrowser;
    bool m_signingIn = false; // the browser sign-in waits (and pumps events)
    bool m_signInCancelled = false;
    TLabeledBmpBtn *btnFormat = nullptr;
    TLabeledBmpBtn *btnSource = nullptr;

    QLabel *imgLogo = nullptr;
    QLabel *lbVersion = nullptr;
    FlatMemo *mmInfo = nullptr;

    // What the edit fields hold: what OK saves and the connection tests use.
    struct FormTexts
    {
        QString FromName, FromAddress, SMTPServer, POPServer, UserID, PassWord, SMTPPort, Fingerprint;
        QString Host, Port, FTPUserID, FTPPassword, Folder, Url;
        QString SignInClientID, SignInClientSecret, SignInAuthorizeUrl, SignInTokenUrl, SignInDeviceUrl,
            SignInScope, SignInUrl;
    } m_form;
    TextBinding *m_signInUrlText = nullptr;

    TLabeledBmpBtn *btnOK = nullptr;
    TLabeledBmpBtn *btnCancel = nullptr;

    bool m_checking = false; // a connection test runs (and pumps events)
};
