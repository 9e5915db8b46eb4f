#pragma once

#include "mail/IdRFCReply.h"
#include "mail/IdSocketHandle.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

enum TWorkMode { wmRead, wmWrite };

// The connection layer under the SMTP, POP3 and FTP clients: one TCP connection with its input
// buffer, a line reader, the reply reader and commands with their accepted reply codes, and
// progress reported in units of work.
//
// Nothing here blocks the caller's event loop: every wait calls Pump in slices (see
// TIdSocketHandle), and Disconnect() may be called from inside Pump or a progress handler. The
// operation under way then fails with EIdConnClosedGracefully, as any operation on a closed
// connection does.
class TIdTCPConnection
{
public:
    using WorkBeginEvent = std::function<void(TIdTCPConnection &sender, TWorkMode mode, qint64 total)>;
    using WorkEvent = std::function<void(TIdTCPConnection &sender, TWorkMode mode, qint64 count)>;
    using WorkEndEvent = std::function<void(TIdTCPConnection &sender, TWorkMode mode)>;

    static constexpr qsizetype RecvBufferSize = 32768;

    TIdTCPConnection() = default;
    virtual ~TIdTCPConnection() = default;
    TIdTCPConnection(const TIdTCPConnection &) = delete;
    TIdTCPConnection &operator=(const TIdTCPConnection &) = delete;

    QString Host;
    int Port = 0;
    int MaxLineLength = 16384; // a longer reply line raises EIdReadLnMaxLineLengthExceeded
    qint64 Tag = 0; // free for the caller

    std::function<void()> Pump; // called between the slices of every wait
    WorkBeginEvent OnWorkBegin;
    WorkEvent OnWork;
    WorkEndEvent OnWorkEnd;

    // Resolves Host and connects to Port; the protocol clients add their greeting and login.
    virtual void Connect();
    // Closes the connection; harmless when not connected. Never throws.
    virtual void Disconnect();
    bool Connected() const { return m_socket.IsOpen(); }
    // Dotted address of the server, once connected.
    const QString &PeerAddress() const { return m_socket.PeerAddress(); }

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
    void BeginWork(TWorkMode mode, qint64 total = 0);
    void DoWork(TWorkMode mode, qint64 count);
    void EndWork(TWorkMode mode);

protected:
    // Reads the lines of one reply into LastCmdResult and returns them as they came, trimmed.
    QStringList GetInternalResponse();
    void CheckResponse(const QList<int> &accepted) const;
    TIdRFCReply &MutableLastCmdResult() { return m_lastCmdResult; }
    // Writes a goodbye line without waiting; used just before the socket is closed.
    void WriteGoodbye(const QByteArray &line);

private:
    bool ReadFromStack();
    QString ReadReplyLine();

    struct WorkInfo
    {
        int level = 0;
        qint64 position = 0;
    };

    TIdSocketHandle m_socket;
    QByteArray m_inputBuffer;
    TIdRFCReply m_lastCmdResult;
    WorkInfo m_work[2];
};
