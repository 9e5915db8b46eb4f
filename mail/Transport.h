#pragma once

#include "common/Clock.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

#include <functional>
#include <memory>

// How a transport waits: in slices of at most SliceMs, pumping the clock's events in between (the
// sending window's cancel button and the watchdog run there), and never past deadline. The deadline
// is the socket's own time, which a test's clock cannot move.
struct TransportWait
{
    static constexpr int SliceMs = 50;

    Clock *clock = nullptr; // none pumps nothing
    QDeadlineTimer deadline {QDeadlineTimer::Forever};

    void Pump() const
    {
        if (clock)
            clock->Pump();
    }
    // Milliseconds the next slice may wait: SliceMs, or less when the deadline is nearer.
    int SliceFor() const
    {
        const qint64 left = deadline.remainingTime();
        return left < 0 || left > SliceMs ? SliceMs : int(left);
    }
};

// The byte stream under a protocol connection. The POSIX socket (SocketHandle) is one; a TLS
// layer wraps another; tests script one in process to decide when bytes arrive.
//
// Contract: every wait follows TransportWait. Close() may be called from inside the pump; the
// operation that was waiting then throws EIdConnClosedGracefully. Failures of the system are
// EIdSocketError with Windows Sockets numbers; a connect past its deadline is EIdSocketError 10060,
// any other wait past its deadline TimeoutError.
class Transport
{
public:
    virtual ~Transport() = default;

    // Resolves host unless it is a dotted address and connects to port.
    virtual void Connect(const QString &host, int port, const TransportWait &wait) = 0;
    virtual bool IsOpen() const = 0;
    // Closes the stream, or abandons a connect in progress. Never throws.
    virtual void Close() noexcept = 0;

    // Sends all of data, waiting while the peer does not take it.
    virtual void Send(const char *data, qsizetype size, const TransportWait &wait) = 0;
    // One attempt without waiting, failures ignored: for goodbye lines that must not hold up a close.
    virtual void SendNow(const QByteArray &data) noexcept = 0;

    struct ReceiveResult
    {
        qsizetype count = 0; // 0: the peer closed the connection
        int error = 0; // Windows Sockets number of a failed receive, else 0
    };
    // Waits until something can be read and receives up to size bytes.
    virtual ReceiveResult Receive(char *buffer, qsizetype size, const TransportWait &wait) = 0;
    // True when a Receive would return at once (bytes, an end or an error are waiting).
    virtual bool Readable() = 0;

    // Dotted address of the connected peer.
    virtual const QString &PeerAddress() const = 0;
};

using TransportFactory = std::function<std::unique_ptr<Transport>()>;
