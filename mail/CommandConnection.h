#pragma once

#include "mail/IdRFCReply.h"
#include "mail/Transport.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

enum WorkMode { wmRead, wmWrite };

struct ssl_session_st;

// When a connection speaks TLS. Auto: from the start on the protocol's TLS port (465, 995, 990),
// elsewhere when the server offers it (SMTP STARTTLS, FTP AUTH TLS, POP3 STLS listed by CAPA);
// Required: as Auto, but a server that offers none is an TlsError before anything else is sent,
// and POP3 asks with STLS at once; Implicit: from the start on any port; None: never.
enum class TlsMode { None, Auto, Required, Implicit };

// The command/reply engine under the SMTP, POP3 and FTP clients: one connection over a Transport
// with its input buffer, the line reader, the reply reader, commands with their accepted reply
// codes, progress in units of work, and the frame every client shares: Connect opens the
// transport and runs the client's Greet() steps; a failure there disconnects and re-raises.
//
// A client supplies its dialogue steps (Greet, and operations of its own built on SendCmd), its
// goodbye line, and what ends and makes up one of its replies (EndOfReply, ParseReply).
//
// Nothing here blocks the caller's event loop: every wait pumps WaitClock in slices (see
// TransportWait), and Disconnect() may be called from inside that pump or a progress handler. The
// operation under way then fails with EIdConnClosedGracefully, as any operation on a closed
// connection does.
class CommandConnection
{
public:
    using WorkBeginEvent = std::function<void(CommandConnection &sender, WorkMode mode, qint64 total)>;
    using WorkEvent = std::function<void(CommandConnection &sender, WorkMode mode, qint64 count)>;
    using WorkEndEvent = std::function<void(CommandConnection &sender, WorkMode mode)>;

    static constexpr qsizetype RecvBufferSize = 32768;

    CommandConnection() = default;
    virtual ~CommandConnection() = default;
    CommandConnection(const CommandConnection &) = delete;
    CommandConnection &operator=(const CommandConnection &) = delete;

    QString Host;
    int Port = 0;
    int MaxLineLength = 16384; // a longer reply line raises EIdReadLnMaxLineLengthExceeded
    int MaxReplyLines = 500; // a longer reply raises ReplyLinesExceededError
    // Milliseconds; 0 waits without limit (the caller's watchdog decides). Bounds each reply as a
    // whole and each wait for the peer to take more of what we send: TimeoutError.
    int ReadTimeout = 0;
    // Milliseconds; 0 leaves it to the system. Bounds the name lookup and connect (socket error
    // 10060), and each TLS handshake (TimeoutError).
    int ConnectTimeout = 0;
    qint64 Tag = 0; // free for the caller

    Clock *WaitClock = nullptr; // pumped between the slices of every wait
    WorkBeginEvent OnWorkBegin;
    WorkEvent OnWork;
    WorkEndEvent OnWorkEnd;
    // Makes the transport of each connect; empty means the POSIX socket.
    TransportFactory MakeTransport;
    TlsMode UseTLS = TlsMode::None;
    QString CaFile; // PEM file of trusted authorities; empty: the system's trust store
    QStringList Pins; // SHA-256 fingerprints ("AB:CD:...") of certificates trusted as they are

    // Connects to Host:Port and runs the client's greeting and login steps. Any failure there
    // first disconnects (with the client's goodbye), then re-raises.
    virtual void Connect();
    // Writes the client's goodbye line without waiting for it, then closes; harmless when not
    // connected. Never throws.
    virtual void Disconnect();
    bool Connected() const { return m_transport && m_transport->IsOpen(); }
    // Dotted address of the server, once connected.
    QString PeerAddress() const { return m_transport ? m_transport->PeerAddress() : QString(); }
    // Whether the connection runs over TLS now, and its protocol ("TLSv1.3").
    bool UsingTLS() const { return m_tls != nullptr; }
    QString TlsProtocol() const;

    // One send of bytes, reported as progress when a write unit is open.
    void Write(const QByteArray &bytes);
    void WriteLn(const QByteArray &line = QByteArray());
    // The next line without its LF and one CR before it.
    QByteArray ReadLn();

    // Reads one reply into LastCmdResult and checks its code; an empty list accepts any code.
    virtual int GetResponse(const QList<int> &accepted);
    int SendCmd(const QString &command, const QList<int> &accepted = {});
    const TIdRFCReply &LastCmdResult() const { return m_lastCmdResult; }

    // Units of work nest; only the outermost begin and end reach the handlers.
    void BeginWork(WorkMode mode, qint64 total = 0);
    void DoWork(WorkMode mode, qint64 count);
    void EndWork(WorkMode mode);

protected:
    // The client's steps between connect and the first operation of its own.
    virtual void Greet() { }
    // The port on which Auto means TLS from the start; 0 for none.
    virtual int ImplicitTlsPort() const { return 0; }
    // Runs the TLS handshake over the open connection (after STARTTLS and its kin, or at once for
    // TLS from the start). Whatever was received before it is dropped: it came in clear text and
    // may have been injected. name: what the certificate must be for (Host when empty).
    void StartTLS(ssl_session_st *resume = nullptr, const QString &name = QString());
    ssl_session_st *TlsSession() const;
    // A line written just before every close of a live connection ("QUIT"); empty for none.
    virtual QByteArray GoodbyeLine() const { return {}; }
    // Called at the end of every Disconnect.
    virtual void Disconnected() noexcept { }
    // True once lines (trimmed and non-empty, as read) hold a whole reply. May throw for a line
    // that no reply of the protocol can hold.
    virtual bool EndOfReply(const QStringList &lines) const;
    // Fills reply from the lines of one whole reply.
    virtual void ParseReply(const QStringList &lines, TIdRFCReply &reply) const;
    // EndOfReply for replies with three-digit codes (RFC 5321, RFC 959): the first line must start
    // with a code; with codeOnEveryLine so must every line, and with the same code. Anything else
    // raises UnexpectedReplyError.
    static bool EndOfCodedReply(const QStringList &lines, bool codeOnEveryLine);

    // Reads the lines of one reply into LastCmdResult and returns them as they came, trimmed.
    QStringList GetInternalResponse();
    void CheckResponse(const QList<int> &accepted) const;
    // True when received bytes wait unread: in the buffer, or readable at once.
    bool InputPending();
    // Drops everything received and not read yet.
    void DiscardInput() { m_inputBuffer.clear(); }
    Transport &CurrentTransport() { return *m_transport; }

private:
    bool ReadFromStack();
    QString ReadReplyLine(int &linesRead);
    TransportWait WaitFor(int timeoutMs) const;

    struct WorkInfo
    {
        int level = 0;
        qint64 position = 0;
    };

    std::unique_ptr<Transport> m_transport;
    class TlsTransport *m_tls = nullptr; // m_transport when it is one
    int m_busy = 0; // operations on the transport under way, so it is not replaced under them
    QByteArray m_inputBuffer;
    QDeadlineTimer m_replyDeadline {QDeadlineTimer::Forever};
    bool m_inReply = false;
    TIdRFCReply m_lastCmdResult;
    WorkInfo m_work[2];
};
