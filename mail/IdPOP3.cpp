#include "mail/IdPOP3.h"

#include "mail/IdException.h"

void TIdPOP3::Connect()
{
    EIdValueError::Check(Username, QStringLiteral("ユーザーＩＤ"));
    EIdValueError::Check(Password, QStringLiteral("パスワード"));
    TIdTCPConnection::Connect();
}

// Greeting +OK, STLS +OK when TLS is required, USER +OK, PASS +OK.
void TIdPOP3::Greet()
{
    GetResponse({wsOk});
    if (UseTLS == TlsMode::Required && !UsingTLS()) {
        if (SendCmd(QStringLiteral("STLS")) != wsOk)
            throw EIdTLSError(QStringLiteral("サーバーが暗号化通信（TLS）に対応していません。\n%1")
                                  .arg(LastCmdResult().JoinedText().trimmed()));
        StartTLS();
    }
    SendCmd(QStringLiteral("USER ") + Username, {wsOk});
    SendCmd(QStringLiteral("PASS ") + Password, {wsOk});
}

// A status reply is one line (RFC 1939).
bool TIdPOP3::EndOfReply(const QStringList &) const
{
    return true;
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
