#include "mail/IdPOP3.h"

#include "mail/IdException.h"

void TIdPOP3::Connect()
{
    TIdTCPConnection::Connect();
    try {
        GetResponse({wsOk});
        SendCmd(QStringLiteral("USER ") + Username, {wsOk});
        SendCmd(QStringLiteral("PASS ") + Password, {wsOk});
    } catch (...) {
        Disconnect();
        throw;
    }
}

void TIdPOP3::Disconnect()
{
    if (Connected())
        WriteGoodbye("QUIT");
    TIdTCPConnection::Disconnect();
}

int TIdPOP3::GetResponse(const QList<int> &accepted)
{
    const QStringList lines = GetInternalResponse();
    TIdRFCReply &reply = MutableLastCmdResult();
    if (reply.TextCode.compare(QLatin1String("+OK"), Qt::CaseInsensitive) == 0)
        reply.NumericCode = wsOk;
    else if (reply.TextCode.compare(QLatin1String("-ERR"), Qt::CaseInsensitive) == 0)
        reply.NumericCode = wsErr;
    else
        throw EIdException(QStringLiteral("Unrecognized POP3 Response Header:\n\"%1\"")
                               .arg(lines.join(QStringLiteral("\r\n"))));
    CheckResponse(accepted);
    return reply.NumericCode;
}
