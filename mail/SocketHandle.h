#pragma once

#include "mail/Transport.h"

#include <QByteArray>
#include <QString>

// The POSIX transport: a non-blocking IPv4 TCP socket whose waits poll in slices and pump (see
// TransportWait). The system's own connect time-out applies besides the wait's deadline.
class SocketHandle : public Transport
{
public:
    SocketHandle() = default;
    ~SocketHandle() override;
    SocketHandle(const SocketHandle &) = delete;
    SocketHandle &operator=(const SocketHandle &) = delete;

    // Connects to the first IPv4 address of host.
    void Connect(const QString &host, int port, const TransportWait &wait) override;
    bool IsOpen() const override { return m_fd >= 0; }
    void Close() noexcept override;

    void Send(const char *data, qsizetype size, const TransportWait &wait) override;
    void SendNow(const QByteArray &data) noexcept override;
    ReceiveResult Receive(char *buffer, qsizetype size, const TransportWait &wait) override;
    bool Readable() override;

    const QString &PeerAddress() const override { return m_peer; }

private:
    unsigned ResolveIPv4(const QString &host, const TransportWait &wait);
    // False when the deadline passed first.
    bool Wait(short events, const TransportWait &wait);
    // Throws when the socket was closed (and maybe opened anew) since generation was taken.
    void CheckStillOurs(unsigned generation) const;

    int m_fd = -1;
    unsigned m_generation = 0; // counts Close() calls, so a wait knows its socket is gone
    QString m_peer;
    QDeadlineTimer m_pumpDue; // the next pump, even while bytes keep arriving
};
