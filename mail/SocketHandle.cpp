#include "mail/SocketHandle.h"

#include "mail/IdException.h"
#include "mail/WinsockErrors.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

// A name lookup runs on a short-lived thread of its own, since getaddrinfo() cannot be polled.
// The caller may give up on it (a cancel during the lookup); the thread then finishes alone.
struct Lookup
{
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    int gaiError = 0;
    int error = 0;
    in_addr address {};
};

void RunLookup(const std::shared_ptr<Lookup> &lookup, const QByteArray &name)
{
    addrinfo hints {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *result = nullptr;
    const int gai = ::getaddrinfo(name.constData(), nullptr, &hints, &result);
    const int error = errno;
    std::lock_guard<std::mutex> lock(lookup->mutex);
    lookup->gaiError = gai;
    lookup->error = error;
    if (gai == 0 && result)
        lookup->address = reinterpret_cast<const sockaddr_in *>(result->ai_addr)->sin_addr;
    else if (gai == 0)
        lookup->gaiError = EAI_NONAME;
    if (result)
        ::freeaddrinfo(result);
    lookup->finished = true;
    lookup->done.notify_all();
}

} // namespace

SocketHandle::~SocketHandle()
{
    Close();
}

void SocketHandle::CheckStillOurs(unsigned generation) const
{
    if (m_generation != generation || m_fd < 0)
        throw EIdConnClosedGracefully();
}

unsigned SocketHandle::ResolveIPv4(const QString &host, const TransportWait &wait)
{
    const QByteArray name = host.toUtf8();
    in_addr dotted {};
    if (::inet_pton(AF_INET, name.constData(), &dotted) == 1)
        return dotted.s_addr;

    const unsigned generation = m_generation;
    auto lookup = std::make_shared<Lookup>();
    try {
        std::thread(RunLookup, lookup, name).detach();
    } catch (const std::system_error &) {
        RunLookup(lookup, name); // no thread to be had: look it up in place
    }
    std::unique_lock<std::mutex> lock(lookup->mutex);
    while (!lookup->done.wait_for(lock, std::chrono::milliseconds(wait.SliceFor()),
                                  [&] { return lookup->finished; })) {
        if (wait.deadline.hasExpired())
            throw EIdSocketError(WinsockErrors::WSAETIMEDOUT);
        lock.unlock();
        wait.Pump();
        if (m_generation != generation)
            throw EIdConnClosedGracefully(); // given up from inside the pump
        lock.lock();
    }
    if (lookup->gaiError != 0)
        throw EIdSocketError(WinsockErrors::FromAddrInfo(lookup->gaiError, lookup->error));
    return lookup->address.s_addr;
}

void SocketHandle::Connect(const QString &host, int port, const TransportWait &wait)
{
    Close();
    m_peer.clear();
    m_pumpDue.setRemainingTime(TransportWait::SliceMs);
    try {
        if (port <= 0 || port > 65535)
            throw EIdSocketError(10049); // as Windows answers a connect to no port
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = ResolveIPv4(host, wait);

        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (m_fd < 0)
            throw EIdSocketError(WinsockErrors::FromErrno(errno));
        // Every write is one line that must leave at once; Nagle would hold each line back for the
        // peer's delayed acknowledgement.
        const int on = 1;
        ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        if (::connect(m_fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
            if (errno != EINPROGRESS)
                throw EIdSocketError(WinsockErrors::FromErrno(errno));
            if (!Wait(POLLOUT, wait))
                throw EIdSocketError(WinsockErrors::WSAETIMEDOUT);
            int error = 0;
            socklen_t length = sizeof error;
            if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
                error = errno;
            if (error != 0)
                throw EIdSocketError(WinsockErrors::FromErrno(error));
        }
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
        m_peer = QString::fromLatin1(text);
    } catch (...) {
        Close();
        throw;
    }
}

void SocketHandle::Close() noexcept
{
    ++m_generation;
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool SocketHandle::Wait(short events, const TransportWait &wait)
{
    const unsigned generation = m_generation;
    for (;;) {
        CheckStillOurs(generation);
        pollfd p {m_fd, events, 0};
        const int ready = ::poll(&p, 1, wait.SliceFor());
        if (ready < 0 && errno != EINTR)
            throw EIdSocketError(WinsockErrors::FromErrno(errno));
        // Looked at whether or not something came: a peer that never stops sending must hold off
        // neither the deadline nor the pump (the cancel button and the watchdog).
        if (wait.deadline.hasExpired())
            return false;
        if (ready > 0 && !m_pumpDue.hasExpired())
            return true;
        m_pumpDue.setRemainingTime(TransportWait::SliceMs);
        wait.Pump();
        if (ready > 0) {
            CheckStillOurs(generation);
            return true;
        }
    }
}

void SocketHandle::Send(const char *data, qsizetype size, const TransportWait &wait)
{
    qsizetype sent = 0;
    while (sent < size) {
        if (m_fd < 0)
            throw EIdConnClosedGracefully();
        const ssize_t n = ::send(m_fd, data + sent, static_cast<size_t>(size - sent), MSG_NOSIGNAL);
        if (n >= 0) {
            sent += n;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (!Wait(POLLOUT, wait))
                throw TimeoutError(TimeoutError::Write);
        } else if (errno != EINTR) {
            throw EIdSocketError(WinsockErrors::FromErrno(errno));
        }
    }
}

void SocketHandle::SendNow(const QByteArray &data) noexcept
{
    if (m_fd >= 0)
        (void)::send(m_fd, data.constData(), static_cast<size_t>(data.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
}

Transport::ReceiveResult SocketHandle::Receive(char *buffer, qsizetype size, const TransportWait &wait)
{
    for (;;) {
        if (!Wait(POLLIN, wait))
            throw TimeoutError(TimeoutError::Read);
        const ssize_t n = ::recv(m_fd, buffer, static_cast<size_t>(size), 0);
        if (n >= 0)
            return {n, 0};
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return {0, WinsockErrors::FromErrno(errno)};
    }
}

bool SocketHandle::Readable()
{
    if (m_fd < 0)
        return false;
    pollfd p {m_fd, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0;
}
