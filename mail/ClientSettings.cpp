#include "mail/ClientSettings.h"

#include "common/Port.h"
#include "mail/TlsTransport.h"

namespace {

// A malformed fingerprint trusts nothing; the settings dialog checks what the user types.
QStringList PinsOf(const TUserData &settings)
{
    return TlsTransport::ParsePins(settings.Fingerprint).value_or(QStringList());
}

} // namespace

TlsMode TlsModeOf(EncryptionMode mode)
{
    switch (mode) {
    case EncryptionMode::Required:
        return TlsMode::Required;
    case EncryptionMode::None:
        return TlsMode::None;
    case EncryptionMode::Auto:
        break;
    }
    return TlsMode::Auto;
}

AuthenticationKind SmtpAuthenticationOf(const TUserData &settings)
{
    if (settings.UseOAuth)
        return atXOAuth2;
    return settings.UseSMTPAuth ? atLogin : atNone;
}

void ApplySettings(TIdSMTP &smtp, const TUserData &settings)
{
    smtp.Host = settings.SMTPServer;
    smtp.Port = settings.SmtpPortInUse();
    smtp.HeloName = settings.SMTPServer;
    smtp.Username = settings.UseOAuth && settings.UserID.isEmpty() ? settings.FromAddress : settings.UserID;
    smtp.Password = settings.PassWord;
    smtp.SetAuthenticationType(SmtpAuthenticationOf(settings));
    smtp.UseTLS = TlsModeOf(settings.MailEncryption);
    smtp.Pins = PinsOf(settings);
}

void ApplySettings(TIdPOP3 &pop, const TUserData &settings)
{
    pop.Host = settings.POPServer;
    pop.Port = 110;
    pop.Username = settings.UserID;
    pop.Password = settings.PassWord;
    pop.UseTLS = TlsModeOf(settings.MailEncryption);
    pop.Pins = PinsOf(settings);
}

bool ApplySettings(TIdFTP &ftp, const TUserData &settings)
{
    const std::optional<int> port = ParsePort(settings.Port);
    if (!port)
        return false;
    ftp.Host = settings.Host;
    ftp.Port = *port;
    ftp.Username = settings.FTPUserID;
    ftp.Password = settings.FTPPassword;
    ftp.UseTLS = TlsModeOf(settings.FTPEncryption);
    ftp.Pins = PinsOf(settings);
    return true;
}
