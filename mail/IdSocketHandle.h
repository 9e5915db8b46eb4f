#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// A non-blocking IPv4 TCP socket whose waits never block the caller's event loop: every wait
// (name lookup, connect, readable, writable) polls in slices of at most SliceMs and calls the pump
// in between. Close() may be called from inside the pump; the operation that was waiting then
// fails with EIdConnClosedGracefully. Failures of the system calls throw EIdSocketError with the
// Windows Sockets number. There is no time limit of its own: the system's connect time-out applies.
class TIdSocketHandle
{
public:
    using Pump = std::function<void()>;
    static constexpr int SliceMs = 50;

    TIdSocketHandle() = default;
    ~TIdSocketHandle();
    TIdSocketHandle(const TIdSocketHandle &) = delete;
    TIdSocketHandle &operator=(const TIdSocketHandle &) = delete;

    // Resolves host unless it is a dotted address and connects to its first IPv4 address.
    void Connect(const QString &host, int port, const Pump &pump);
    bool IsOpen() const { return m_fd >= 0; }
    // Closes the socket, or abandons a connect in progress.
    void Close();

    // Sends all of data, waiting while the system's send buffer is full.
    void Send(const char *data, qsizetype size, const Pump &pump);
    // One attempt without waiting, failures ignored: for goodbye lines that must not hold up a close.
    void SendNow(const QByteArray &data) noexcept;

    struct ReceiveResult
    {
        qsizetype count = 0; // 0: the peer closed the connection
        int error = 0; // Windows Sockets number of a failed receive, else 0
    };
    // Waits until something can be read and receives up to size bytes.
    ReceiveResult Receive(char *buffer, qsizetype size, const Pump &pump);

    // Dotted address of the connected peer.
    const QString &PeerAddress() const { return m_peer; }

private:
    unsigned ResolveIPv4(const QString &host, const Pump &pump);
    void Wait(short events, const Pump &pump);
    // Throws when the socket was closed (and maybe opened anew) since generation was taken.
    void CheckStillOurs(unsigned generation) const;

    int m_fd = -1;
    unsigned m_generation = 0; // counts Close() calls, so a wait knows its socket is gone
    QString m_peer;
};
