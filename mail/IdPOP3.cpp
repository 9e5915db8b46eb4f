#include "mail/IdPOP3.h"

#include "mail/IdException.h"

void TIdPOP3::Connect()
{
    ValueError::Check(Username, QStringLiteral("ユーザーＩＤ"));
    ValueError::Check(Password, QStringLiteral("パスワード"));
    CommandConnection::Connect();
}

// Greeting +OK; STLS +OK when TLS is required, or in auto mode when CAPA lists it (RFC 2595);
// USER +OK, PASS +OK.
void TIdPOP3::Greet()
{
    m_stlsOffered = false;
    GetResponse({wsOk});
    if (UseTLS == TlsMode::Required && !UsingTLS()) {
        if (SendCmd(QStringLiteral("STLS")) != wsOk)
            throw TlsError(QStringLiteral("サーバーが暗号化通信（TLS）に対応していません。\n%1")
                               .arg(LastCmdResult().JoinedText().trimmed()));
        StartTLS();
    } else if (UseTLS == TlsMode::Auto && !UsingTLS()) {
        m_stlsOffered = Capabilities().contains(QLatin1String("STLS"));
        if (m_stlsOffered) {
            // Offered and then refused: the password is not sent in clear text behind our back.
            if (SendCmd(QStringLiteral("STLS")) != wsOk)
                throw TlsError(QStringLiteral("サーバーが暗号化通信（TLS）の開始を拒否しました。\n%1")
                                   .arg(LastCmdResult().JoinedText().trimmed()));
            StartTLS();
        }
    }
    SendCmd(QStringLiteral("USER ") + Username, {wsOk});
    SendCmd(QStringLiteral("PASS ") + Password, {wsOk});
}

// The first word of every capability line, in capitals; none when the server knows no CAPA.
QStringList TIdPOP3::Capabilities()
{
    m_multiLineReply = true;
    try {
        SendCmd(QStringLiteral("CAPA"));
    } catch (...) {
        m_multiLineReply = false;
        throw;
    }
    m_multiLineReply = false;
    QStringList names;
    if (LastCmdResult().NumericCode != wsOk)
        return names;
    const QStringList &text = LastCmdResult().Text;
    for (qsizetype i = 1; i + 1 < text.size(); ++i)
        names.append(text[i].section(QLatin1Char(' '), 0, 0).toUpper());
    return names;
}

// A status reply is one line (RFC 1939); the +OK of CAPA opens a list that ends with a lone dot.
bool TIdPOP3::EndOfReply(const QStringList &lines) const
{
    if (!m_multiLineReply || !lines.first().startsWith(QLatin1String("+OK"), Qt::CaseInsensitive))
        return true;
    return lines.size() > 1 && lines.last() == QLatin1String(".");
}

void TIdPOP3::ParseReply(const QStringList &lines, TIdRFCReply &reply) const
{
    reply.ParseResponse(lines);
    if (reply.TextCode.compare(QLatin1String("+OK"), Qt::CaseInsensitive) == 0)
        reply.NumericCode = wsOk;
    else if (reply.TextCode.compare(QLatin1String("-ERR"), Qt::CaseInsensitive) == 0)
        reply.NumericCode = wsErr;
    else
        throw EIdException(QStringLiteral("Unrecognized POP3 Response Header:\n\"%1\"")
                               .arg(lines.join(QStringLiteral("\r\n"))));
}
