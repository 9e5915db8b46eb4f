#pragma once

#include "mail/CommandConnection.h"
#include "mail/IdMessage.h"

#include <QStringList>

enum AuthenticationKind { atNone, atLogin, atXOAuth2 };

// SMTP client (RFC 2821) with AUTH LOGIN (RFC 2554), and as UseTLS asks STARTTLS (RFC 3207), TLS
// from the start, and AUTH PLAIN for servers without LOGIN. With atXOAuth2 it signs in with an
// OAuth 2.0 bearer token (SASL XOAUTH2) and only over TLS: a UseTLS of None counts as Required. One
// connection carries one message: Connect (greeting, EHLO or HELO, STARTTLS and the hello again), Send,
// Disconnect (QUIT, reply not read). Failures are the kinds of IdException.h; a failure inside Connect first
// disconnects.
class TIdSMTP : public CommandConnection
{
public:
    TIdSMTP() { Port = 25; }

    QString HeloName; // announced in EHLO and HELO
    QString Username;
    QString Password;
    QString AccessToken; // the bearer token of atXOAuth2
    QString MailAgent; // an "X-Mailer" header when not empty

    bool UseEhlo() const { return m_useEhlo; }
    // Without EHLO there is no way to authenticate, so turning it off also turns off AUTH.
    void SetUseEhlo(bool use);
    AuthenticationKind AuthenticationType() const { return m_authenticationType; }
    // AUTH LOGIN and XOAUTH2 need the EHLO reply, so choosing them turns EHLO on.
    void SetAuthenticationType(AuthenticationKind type);

    // Mechanisms named by the EHLO reply, upper case, gathered anew at every connect.
    const QStringList &AuthSchemesSupported() const { return m_authSchemesSupported; }
    bool DidAuthenticate() const { return m_didAuthenticate; }
    // Whether the last hello offered STARTTLS (before any handshake; forgotten after it).
    bool StartTlsOffered() const { return m_startTlsOffered; }
    // The authentication step of Send, on its own: runs it when chosen, offered and not done yet on
    // this connection, and tells whether the connection has authenticated. XOAUTH2 is never skipped:
    // a connection without TLS raises TlsError and a server without the mechanism EIdException,
    // before the token is sent; a refused token raises TokenRefusedError.
    bool Authenticate();

    // Gathers the advertised mechanisms anew, then connects (greeting, EHLO or HELO). A HeloName
    // with CR or LF raises ValueError before anything is sent.
    void Connect() override;
    // RSET, AUTH LOGIN when chosen, advertised and not done yet, MAIL FROM, RCPT TO, DATA, the
    // message, ".". Sets or removes msg's X-Mailer header first. A message that cannot be written
    // safely throws MessageError before any command, an unreadable attachment FileError after DATA.
    // A reply that comes before the end of the message (after DATA's 354, or while the message is
    // written) raises UnexpectedReplyError, and "." is not sent.
    void Send(TIdMessage &msg);

protected:
    void Greet() override;
    QByteArray GoodbyeLine() const override { return "QUIT"; }
    void Disconnected() noexcept override;
    bool EndOfReply(const QStringList &lines) const override { return EndOfCodedReply(lines, true); }
    int ImplicitTlsPort() const override { return 465; }

private:
    void Hello();
    void StartTlsStep();
    void GetAuthTypes();
    void AuthenticateXOAuth2();
    void WriteRecipients(const QList<TIdEMailAddressItem> &recipients);
    void RefuseEarlyReply();

    bool m_useEhlo = true;
    AuthenticationKind m_authenticationType = atNone;
    QStringList m_authSchemesSupported;
    bool m_didAuthenticate = false;
    bool m_startTlsOffered = false;
};
