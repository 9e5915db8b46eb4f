#include "mail/IdSMTP.h"

#include "common/Sjis.h"
#include "mail/IdException.h"
#include "mail/MessageWriter.h"

namespace {

// Every line of the message is one send on the connection. The body (after the empty line that
// ends the header) is one unit of write work, so its sends are reported as progress.
class DataSink : public LineSink
{
public:
    explicit DataSink(TIdSMTP &smtp)
        : m_smtp(smtp)
    { }

    void WriteLine(const QByteArray &line) override
    {
        m_smtp.WriteLn(line);
        if (!m_inBody && line.isEmpty()) {
            m_inBody = true;
            m_smtp.BeginWork(wmWrite);
        }
    }

    bool InBody() const { return m_inBody; }

private:
    TIdSMTP &m_smtp;
    bool m_inBody = false;
};

} // namespace

void TIdSMTP::SetUseEhlo(bool use)
{
    m_useEhlo = use;
    if (!use)
        m_authenticationType = atNone;
}

void TIdSMTP::SetAuthenticationType(AuthenticationKind type)
{
    m_authenticationType = type;
    if (type != atNone)
        m_useEhlo = true;
}

void TIdSMTP::Connect()
{
    ValueError::Check(HeloName, QStringLiteral("SMTPサーバー名"));
    m_authSchemesSupported.clear();
    m_startTlsOffered = false;
    // A bearer token never travels in clear text, whatever the TLS setting says.
    const TlsMode chosen = UseTLS;
    if (m_authenticationType == atXOAuth2 && UseTLS == TlsMode::None)
        UseTLS = TlsMode::Required;
    try {
        CommandConnection::Connect();
    } catch (...) {
        UseTLS = chosen;
        throw;
    }
    UseTLS = chosen;
}

// Greeting 220, the hello, and STARTTLS when the mode asks for it and the server offers it.
void TIdSMTP::Greet()
{
    GetResponse({220});
    Hello();
    if (UsingTLS() || (UseTLS != TlsMode::Auto && UseTLS != TlsMode::Required))
        return;
    if (!m_startTlsOffered) {
        if (UseTLS == TlsMode::Required || m_authenticationType == atXOAuth2)
            throw TlsError(QStringLiteral("サーバーが暗号化通信（TLS）に対応していません。"));
        return;
    }
    StartTlsStep();
}

// EHLO (any code), and HELO 250 only when EHLO did not give 250.
void TIdSMTP::Hello()
{
    if (m_useEhlo && SendCmd(QStringLiteral("EHLO ") + HeloName) == 250)
        GetAuthTypes();
    else
        SendCmd(QStringLiteral("HELO ") + HeloName, {250});
}

// STARTTLS 220, the handshake, and the hello again: what the server said in clear text is
// forgotten (RFC 3207, 4.2).
void TIdSMTP::StartTlsStep()
{
    if (SendCmd(QStringLiteral("STARTTLS")) != 220)
        throw TlsError(QStringLiteral("サーバーが暗号化通信（TLS）の開始を拒否しました。\n%1 %2")
                           .arg(LastCmdResult().NumericCode)
                           .arg(LastCmdResult().JoinedText()));
    StartTLS();
    m_authSchemesSupported.clear();
    m_startTlsOffered = false;
    Hello();
}

void TIdSMTP::Disconnected() noexcept
{
    m_didAuthenticate = false;
}

// "AUTH LOGIN PLAIN" and the older "AUTH=LOGIN" both name mechanisms.
void TIdSMTP::GetAuthTypes()
{
    for (const QString &line : LastCmdResult().Text) {
        const QString upper = line.toUpper();
        if (upper.section(QLatin1Char(' '), 0, 0) == QLatin1String("STARTTLS"))
            m_startTlsOffered = true;
        if (!upper.startsWith(QLatin1String("AUTH ")) && !upper.startsWith(QLatin1String("AUTH=")))
            continue;
        QString rest = upper.mid(4);
        rest.replace(QLatin1Char('='), QLatin1Char(' '));
        for (const QString &piece : rest.split(QLatin1Char(' '))) {
            if (!m_authSchemesSupported.contains(piece))
                m_authSchemesSupported.append(piece);
        }
    }
}

// LOGIN as always; PLAIN (RFC 4616, with the initial response of RFC 4954) only where TLS is in
// use or may be, for servers that offer no LOGIN. The challenges are never looked at: servers word
// them differently.
bool TIdSMTP::Authenticate()
{
    if (m_authenticationType == atXOAuth2 && !m_didAuthenticate)
        AuthenticateXOAuth2();
    if (m_authenticationType != atLogin || m_didAuthenticate)
        return m_didAuthenticate;
    if (m_authSchemesSupported.contains(QLatin1String("LOGIN"))) {
        SendCmd(QStringLiteral("AUTH LOGIN"), {334});
        SendCmd(QString::fromLatin1(Sjis::encode(Username).toBase64()), {334});
        SendCmd(QString::fromLatin1(Sjis::encode(Password).toBase64()), {235});
        m_didAuthenticate = true;
    } else if (UseTLS != TlsMode::None && m_authSchemesSupported.contains(QLatin1String("PLAIN"))) {
        const QByteArray response = '\0' + Sjis::encode(Username) + '\0' + Sjis::encode(Password);
        SendCmd(QStringLiteral("AUTH PLAIN ") + QString::fromLatin1(response.toBase64()), {235});
        m_didAuthenticate = true;
    }
    return m_didAuthenticate;
}

// The initial response "user=NAME^Aauth=Bearer TOKEN^A^A". A refusal comes as a 334 challenge
// holding a JSON status; the mechanism wants an empty line in answer, then the final reply.
void TIdSMTP::AuthenticateXOAuth2()
{
    if (!UsingTLS())
        throw TlsError(QStringLiteral("サーバーが暗号化通信（TLS）に対応していません。"));
    if (!m_authSchemesSupported.contains(QLatin1String("XOAUTH2")))
        throw EIdException(QStringLiteral("サーバーがOAuth 2.0（XOAUTH2）のサインインに対応していません。"));
    const char separator = '\x01';
    const QByteArray response = "user=" + Username.toUtf8() + separator + "auth=Bearer "
        + AccessToken.toUtf8() + separator + separator;
    if (SendCmd(QStringLiteral("AUTH XOAUTH2 ") + QString::fromLatin1(response.toBase64()), {235, 334})
        == 334) {
        const QString detail
            = QString::fromUtf8(QByteArray::fromBase64(LastCmdResult().JoinedText().toLatin1()));
        SendCmd(QString());
        const TIdRFCReply &reply = LastCmdResult();
        throw TokenRefusedError(reply.NumericCode, reply.JoinedText(), detail);
    }
    m_didAuthenticate = true;
}

void TIdSMTP::WriteRecipients(const QList<TIdEMailAddressItem> &recipients)
{
    for (const TIdEMailAddressItem &r : recipients)
        SendCmd(QStringLiteral("RCPT TO:<%1>").arg(r.Address), {250, 251});
}

void TIdSMTP::Send(TIdMessage &msg)
{
    // A line break in an address would add a command of its own: refuse before the first one.
    ValidateMessage(msg);
    SendCmd(QStringLiteral("RSET"));
    Authenticate();
    SendCmd(QStringLiteral("MAIL FROM:<%1>").arg(msg.From.Address), {250});
    WriteRecipients(msg.Recipients);
    WriteRecipients(msg.CCList);
    WriteRecipients(msg.BccList);
    SendCmd(QStringLiteral("DATA"), {354});
    RefuseEarlyReply();
    msg.SetExtraHeader(QStringLiteral("X-Mailer"), MailAgent);
    DataSink sink(*this);
    try {
        WriteMessage(msg, sink);
    } catch (...) {
        if (sink.InBody())
            EndWork(wmWrite);
        throw;
    }
    if (sink.InBody())
        EndWork(wmWrite);
    RefuseEarlyReply();
    SendCmd(QStringLiteral("."), {250});
}

// Without pipelining the server speaks only when it has had our whole command. A reply already
// waiting (a "250" queued behind "354") answers nothing we sent, so it must not pass for the
// answer to the end of the message.
void TIdSMTP::RefuseEarlyReply()
{
    if (!InputPending())
        return;
    const QStringList lines = GetInternalResponse();
    throw UnexpectedReplyError(QStringLiteral("Reply before the end of the message:\n\"%1\"")
                                   .arg(lines.join(QStringLiteral("\r\n"))));
}
