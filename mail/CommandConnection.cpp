#include "mail/CommandConnection.h"

#include "common/Sjis.h"
#include "mail/IdException.h"
#include "mail/SocketHandle.h"
#include "mail/TlsTransport.h"
#include "mail/WinsockErrors.h"

namespace {

// Counts an operation on the transport for as long as it runs.
class BusyScope
{
public:
    explicit BusyScope(int &count)
        : m_count(count)
    {
        ++m_count;
    }
    ~BusyScope() { --m_count; }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

private:
    int &m_count;
};

} // namespace

TransportWait CommandConnection::WaitFor(int timeoutMs) const
{
    TransportWait wait;
    wait.clock = WaitClock;
    if (timeoutMs > 0)
        wait.deadline = QDeadlineTimer(timeoutMs);
    return wait;
}

void CommandConnection::Connect()
{
    if (Connected())
        throw EIdException(QStringLiteral("Already connected."));
    // A transport still waiting further up the stack (a connect from inside the pump) must
    // outlive its wait.
    if (m_busy > 0)
        throw EIdException(QStringLiteral("Connection in use."));
    m_inputBuffer.clear();
    m_lastCmdResult.Clear();
    m_tls = nullptr;
    m_transport = MakeTransport ? MakeTransport() : std::make_unique<SocketHandle>();
    {
        BusyScope busy(m_busy);
        m_transport->Connect(Host, Port, WaitFor(ConnectTimeout));
    }
    try {
        if (UseTLS == TlsMode::Implicit
            || ((UseTLS == TlsMode::Auto || UseTLS == TlsMode::Required) && Port == ImplicitTlsPort()))
            StartTLS();
        Greet();
    } catch (...) {
        Disconnect();
        throw;
    }
}

void CommandConnection::StartTLS(ssl_session_st *resume, const QString &name)
{
    DiscardInput();
    std::unique_ptr<TlsTransport> tls = MakeTlsTransport(std::move(m_transport));
    m_tls = tls.get();
    m_transport = std::move(tls);
    BusyScope busy(m_busy);
    m_tls->Handshake({name.isEmpty() ? Host : name, CaFile, Pins}, WaitFor(ConnectTimeout), resume);
}

ssl_session_st *CommandConnection::TlsSession() const
{
    return m_tls ? m_tls->Session() : nullptr;
}

QString CommandConnection::TlsProtocol() const
{
    return m_tls ? m_tls->Protocol() : QString();
}

void CommandConnection::Disconnect()
{
    if (Connected()) {
        const QByteArray goodbye = GoodbyeLine();
        if (!goodbye.isEmpty()) {
            m_transport->SendNow(goodbye + "\r\n");
            if (m_tls)
                m_tls->SkipCloseAlert();
        }
    }
    if (m_transport)
        m_transport->Close();
    // Whatever was buffered belongs to the dialogue we are leaving; a read blocked in this
    // connection must fail rather than return it.
    m_inputBuffer.clear();
    Disconnected();
}

void CommandConnection::Write(const QByteArray &bytes)
{
    if (!Connected())
        throw EIdConnClosedGracefully();
    {
        BusyScope busy(m_busy);
        m_transport->Send(bytes.constData(), bytes.size(), WaitFor(ReadTimeout));
    }
    DoWork(wmWrite, bytes.size());
}

void CommandConnection::WriteLn(const QByteArray &line)
{
    Write(line + "\r\n");
}

bool CommandConnection::ReadFromStack()
{
    if (!Connected())
        return false;
    // Looked at before every receive, not only while nothing arrives: a peer that keeps sending
    // must not stretch a reply past its time.
    if (m_inReply && m_replyDeadline.hasExpired())
        throw TimeoutError(TimeoutError::Read);
    char buffer[RecvBufferSize];
    Transport::ReceiveResult r;
    {
        BusyScope busy(m_busy);
        TransportWait wait = WaitFor(m_inReply ? 0 : ReadTimeout);
        if (m_inReply)
            wait.deadline = m_replyDeadline;
        r = m_transport->Receive(buffer, RecvBufferSize, wait);
    }
    if (r.error != 0) {
        if (r.error != WinsockErrors::WSAECONNABORTED && r.error != WinsockErrors::WSAESHUTDOWN)
            throw EIdSocketError(r.error);
        m_transport->Close();
        if (m_inputBuffer.isEmpty())
            throw EIdSocketError(r.error);
        return false;
    }
    if (r.count == 0) {
        m_transport->Close();
        return false;
    }
    m_inputBuffer.append(buffer, r.count);
    DoWork(wmRead, r.count);
    return true;
}

bool CommandConnection::InputPending()
{
    if (!m_inputBuffer.isEmpty())
        return true;
    return Connected() && m_transport->Readable();
}

QByteArray CommandConnection::ReadLn()
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

QString CommandConnection::ReadReplyLine(int &linesRead)
{
    for (;;) {
        // Blank lines are skipped but count against the reply's line limit, so that a flood of
        // them ends as a reply that never ends does.
        if (++linesRead > MaxReplyLines)
            throw ReplyLinesExceededError();
        const QString line = TIdRFCReply::Trim(Sjis::decode(ReadLn()));
        if (!line.isEmpty())
            return line;
    }
}

bool CommandConnection::EndOfReply(const QStringList &lines) const
{
    const QString &first = lines.first();
    if (!TIdRFCReply::OpensMultiLine(first))
        return true;
    return lines.size() > 1 && TIdRFCReply::EndsMultiLine(first, lines.last());
}

bool CommandConnection::EndOfCodedReply(const QStringList &lines, bool codeOnEveryLine)
{
    const QString &first = lines.first();
    const QString &line = lines.last();
    const bool coded = TIdRFCReply::HasCode(line);
    if (lines.size() == 1 || codeOnEveryLine) {
        if (!coded || (lines.size() > 1 && !line.startsWith(first.left(3))))
            throw UnexpectedReplyError(QStringLiteral("Invalid reply code:\n\"%1\"").arg(line));
    }
    if (lines.size() == 1)
        return !TIdRFCReply::OpensMultiLine(first);
    // Between the first and the last line of a multi-line FTP reply any text may stand.
    return coded && line.startsWith(first.left(3)) && !TIdRFCReply::OpensMultiLine(line);
}

void CommandConnection::ParseReply(const QStringList &lines, TIdRFCReply &reply) const
{
    reply.ParseResponse(lines);
}

QStringList CommandConnection::GetInternalResponse()
{
    m_lastCmdResult.Clear();
    // The whole reply shares one time limit, so a server cannot hold us by trickling lines.
    m_replyDeadline = ReadTimeout > 0 ? QDeadlineTimer(ReadTimeout) : QDeadlineTimer(QDeadlineTimer::Forever);
    m_inReply = true;
    QStringList lines;
    int linesRead = 0;
    try {
        for (;;) {
            lines.append(ReadReplyLine(linesRead));
            if (EndOfReply(lines))
                break;
            if (lines.size() >= MaxReplyLines)
                throw ReplyLinesExceededError();
        }
    } catch (...) {
        m_inReply = false;
        throw;
    }
    m_inReply = false;
    ParseReply(lines, m_lastCmdResult);
    return lines;
}

void CommandConnection::CheckResponse(const QList<int> &accepted) const
{
    if (!accepted.isEmpty() && !accepted.contains(m_lastCmdResult.NumericCode))
        throw EIdProtocolReplyError(m_lastCmdResult.NumericCode, m_lastCmdResult.JoinedText());
}

int CommandConnection::GetResponse(const QList<int> &accepted)
{
    GetInternalResponse();
    CheckResponse(accepted);
    return m_lastCmdResult.NumericCode;
}

int CommandConnection::SendCmd(const QString &command, const QList<int> &accepted)
{
    // The clients check their values before anything is sent; this keeps any other one out.
    ValueError::Check(command, QStringLiteral("コマンド"));
    WriteLn(Sjis::encode(command));
    return GetResponse(accepted);
}

void CommandConnection::BeginWork(WorkMode mode, qint64 total)
{
    WorkInfo &w = m_work[mode];
    if (++w.level == 1) {
        w.position = 0;
        if (OnWorkBegin)
            OnWorkBegin(*this, mode, total);
    }
}

void CommandConnection::DoWork(WorkMode mode, qint64 count)
{
    WorkInfo &w = m_work[mode];
    if (w.level > 0) {
        w.position += count;
        if (OnWork)
            OnWork(*this, mode, w.position);
    }
}

void CommandConnection::EndWork(WorkMode mode)
{
    WorkInfo &w = m_work[mode];
    if (w.level > 0 && --w.level == 0 && OnWorkEnd)
        OnWorkEnd(*this, mode);
}
