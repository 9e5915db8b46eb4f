#include "mail/IdTCPConnection.h"

#include "common/Sjis.h"
#include "mail/IdException.h"
#include "mail/WinsockErrors.h"

void TIdTCPConnection::Connect()
{
    if (Connected())
        throw EIdException(QStringLiteral("Already connected."));
    m_inputBuffer.clear();
    m_lastCmdResult.Clear();
    m_socket.Connect(Host, Port, Pump);
}

void TIdTCPConnection::Disconnect()
{
    m_socket.Close();
    // Whatever was buffered belongs to the dialogue we are leaving; a read blocked in this
    // connection must fail rather than return it.
    m_inputBuffer.clear();
}

void TIdTCPConnection::WriteGoodbye(const QByteArray &line)
{
    m_socket.SendNow(line + "\r\n");
}

void TIdTCPConnection::Write(const QByteArray &bytes)
{
    if (!Connected())
        throw EIdConnClosedGracefully();
    m_socket.Send(bytes.constData(), bytes.size(), Pump);
    DoWork(wmWrite, bytes.size());
}

void TIdTCPConnection::WriteLn(const QByteArray &line)
{
    Write(line + "\r\n");
}

bool TIdTCPConnection::ReadFromStack()
{
    if (!Connected())
        return false;
    char buffer[RecvBufferSize];
    const TIdSocketHandle::ReceiveResult r = m_socket.Receive(buffer, RecvBufferSize, Pump);
    if (r.error != 0) {
        if (r.error != WinsockErrors::WSAECONNABORTED && r.error != WinsockErrors::WSAESHUTDOWN)
            throw EIdSocketError(r.error);
        m_socket.Close();
        if (m_inputBuffer.isEmpty())
            throw EIdSocketError(r.error);
        return false;
    }
    if (r.count == 0) {
        m_socket.Close();
        return false;
    }
    m_inputBuffer.append(buffer, r.count);
    DoWork(wmRead, r.count);
    return true;
}

QByteArray TIdTCPConnection::ReadLn()
{
    for (;;) {
        const qsizetype lf = m_inputBuffer.indexOf('\n');
        if (lf >= 0) {
            qsizetype length = lf;
            if (length > 0 && m_inputBuffer.at(length - 1) == '\r')
                --length;
            if (MaxLineLength > 0 && length > MaxLineLength)
                throw EIdReadLnMaxLineLengthExceeded();
            QByteArray line = m_inputBuffer.left(length);
            m_inputBuffer.remove(0, lf + 1);
            return line;
        }
        // No line end yet, and already more than the longest line and its CR: stop buffering.
        if (MaxLineLength > 0 && m_inputBuffer.size() > qsizetype(MaxLineLength) + 1)
            throw EIdReadLnMaxLineLengthExceeded();
        if (!ReadFromStack()) {
            if (m_inputBuffer.isEmpty())
                throw EIdConnClosedGracefully();
            // The peer closed after a last line without its end: that line is still a line.
            QByteArray line = m_inputBuffer;
            if (line.endsWith('\r'))
                line.chop(1);
            if (MaxLineLength > 0 && line.size() > MaxLineLength)
                throw EIdReadLnMaxLineLengthExceeded();
            m_inputBuffer.clear();
            return line;
        }
    }
}

QString TIdTCPConnection::ReadReplyLine()
{
    for (;;) {
        const QString line = TIdRFCReply::Trim(Sjis::decode(ReadLn()));
        if (!line.isEmpty())
            return line;
    }
}

QStringList TIdTCPConnection::GetInternalResponse()
{
    m_lastCmdResult.Clear();
    QStringList lines {ReadReplyLine()};
    const QString first = lines.first();
    if (TIdRFCReply::OpensMultiLine(first)) {
        for (;;) {
            lines.append(ReadReplyLine());
            if (TIdRFCReply::EndsMultiLine(first, lines.last()))
                break;
        }
    }
    m_lastCmdResult.ParseResponse(lines);
    return lines;
}

void TIdTCPConnection::CheckResponse(const QList<int> &accepted) const
{
    if (!accepted.isEmpty() && !accepted.contains(m_lastCmdResult.NumericCode))
        throw EIdProtocolReplyError(m_lastCmdResult.NumericCode, m_lastCmdResult.JoinedText());
}

int TIdTCPConnection::GetResponse(const QList<int> &accepted)
{
    GetInternalResponse();
    CheckResponse(accepted);
    return m_lastCmdResult.NumericCode;
}

int TIdTCPConnection::SendCmd(const QString &command, const QList<int> &accepted)
{
    WriteLn(Sjis::encode(command));
    return GetResponse(accepted);
}

void TIdTCPConnection::BeginWork(TWorkMode mode, qint64 total)
{
    WorkInfo &w = m_work[mode];
    if (++w.level == 1) {
        w.position = 0;
        if (OnWorkBegin)
            OnWorkBegin(*this, mode, total);
    }
}

void TIdTCPConnection::DoWork(TWorkMode mode, qint64 count)
{
    WorkInfo &w = m_work[mode];
    if (w.level > 0) {
        w.position += count;
        if (OnWork)
            OnWork(*this, mode, w.position);
    }
}

void TIdTCPConnection::EndWork(TWorkMode mode)
{
    WorkInfo &w = m_work[mode];
    if (w.level > 0 && --w.level == 0 && OnWorkEnd)
        OnWorkEnd(*this, mode);
}
