#pragma once

#include "support/Loopback.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <functional>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

// A loopback server of our own for the protocol tests: it accepts one client on 127.0.0.1, plays
// a script of replies, pauses and closes, and records every byte the client sent, so a test can
// assert the client's exact bytes. It plays what real servers will not do on demand (refusals at
// any step, replies split across packets, a close after the greeting, silence).
//
// The script runs on a thread of its own. Every wait is bounded (StepTimeoutMs), so a client that
// does not do what the script expects ends the script with an error instead of hanging the test.
// After the last step the server keeps reading until the client closes the connection.
class ScriptedServer
{
public:
    static constexpr int StepTimeoutMs = 10000;

    ScriptedServer() { m_listen = Listen(&m_port); }

    ~ScriptedServer()
    {
        Join();
        CloseFd(m_listen);
        if (m_ctx)
            SSL_CTX_free(m_ctx);
    }

    ScriptedServer(const ScriptedServer &) = delete;
    ScriptedServer &operator=(const ScriptedServer &) = delete;

    quint16 Port() const { return m_port; }

    // Script steps, added before Start().
    ScriptedServer &Send(const QByteArray &bytes)
    {
        return Add([this, bytes] { return SendClient(bytes); });
    }
    // Runs the server's side of a TLS handshake with the PEM certificate and key; from then on the
    // control connection speaks TLS, and what the client sends is recorded decrypted. A failed
    // handshake ends the script (the client is expected to give up).
    ScriptedServer &StartTls(const QByteArray &certPem, const QByteArray &keyPem)
    {
        return Add([this, certPem, keyPem] {
            // OpenSSL writes with write(), which raises SIGPIPE when the client has gone.
            ::signal(SIGPIPE, SIG_IGN);
            m_ctx = SSL_CTX_new(TLS_server_method());
            BIO *certBio = BIO_new_mem_buf(certPem.constData(), int(certPem.size()));
            X509 *cert = PEM_read_bio_X509(certBio, nullptr, nullptr, nullptr);
            BIO *keyBio = BIO_new_mem_buf(keyPem.constData(), int(keyPem.size()));
            EVP_PKEY *key = PEM_read_bio_PrivateKey(keyBio, nullptr, nullptr, nullptr);
            SSL_CTX_use_certificate(m_ctx, cert);
            SSL_CTX_use_PrivateKey(m_ctx, key);
            X509_free(cert);
            EVP_PKEY_free(key);
            BIO_free(certBio);
            BIO_free(keyBio);
            // Blocking from here, each call bounded like every other wait of the script.
            const timeval limit {StepTimeoutMs / 1000, 0};
            ::setsockopt(m_client, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
            ::setsockopt(m_client, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
            m_ssl = SSL_new(m_ctx);
            SSL_set_fd(m_ssl, m_client);
            if (SSL_accept(m_ssl) != 1) {
                ERR_clear_error();
                return Failed("the TLS handshake failed");
            }
            return true;
        });
    }
    // Waits for the next line (up to LF) from the client.
    ScriptedServer &ReadLine()
    {
        return Add([this] { return ReadPast("\n"); });
    }
    // Waits for the client's next line and answers it.
    ScriptedServer &Reply(const QByteArray &reply) { return ReadLine().Send(reply); }
    // Waits until the client has sent marker after what was read so far.
    ScriptedServer &ReadUntil(const QByteArray &marker)
    {
        return Add([this, marker] { return ReadPast(marker); });
    }
    ScriptedServer &Pause(int ms)
    {
        return Add([ms] {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            return true;
        });
    }
    // Sends bytes over and over for ms milliseconds, or until the client stops taking them (it
    // closed, or it read nothing for a second): a peer that keeps talking without saying anything.
    ScriptedServer &Flood(const QByteArray &bytes, int ms)
    {
        return Add([this, bytes, ms] {
            QByteArray chunk;
            while (chunk.size() < 16384)
                chunk += bytes;
            const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
            while (std::chrono::steady_clock::now() < end) {
                if (m_ssl) {
                    if (SSL_write(m_ssl, chunk.constData(), int(chunk.size())) <= 0)
                        break;
                    continue;
                }
                pollfd p {m_client, POLLOUT, 0};
                if (::poll(&p, 1, 1000) <= 0)
                    break;
                if (::send(m_client, chunk.constData(), chunk.size(), MSG_NOSIGNAL | MSG_DONTWAIT) < 0
                    && errno != EAGAIN && errno != EWOULDBLOCK)
                    break;
            }
            ERR_clear_error();
            return true;
        });
    }
    // Closes the connection gracefully: the client gets the end of the stream at once, and what it
    // still sends is recorded until it closes too. (A close with unread input would be a reset.)
    ScriptedServer &Close()
    {
        return Add([this] {
            if (m_ssl)
                SSL_shutdown(m_ssl);
            ::shutdown(m_client, SHUT_WR);
            const bool closed = ReadClientToEnd();
            CloseFd(m_client);
            return closed || Failed("the client did not close the connection");
        });
    }
    // Aborts the connection: the client's next receive fails with a reset.
    ScriptedServer &Reset()
    {
        return Add([this] {
            const linger abort {1, 0};
            ::setsockopt(m_client, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
            CloseFd(m_client);
            return true;
        });
    }
    // An FTP server's greeting and its replies to USER, PASS, TYPE I and SYST.
    ScriptedServer &FtpLogin()
    {
        return Send("220 FTP ready\r\n")
            .Reply("331 Password required\r\n")
            .Reply("230 Logged in\r\n")
            .Reply("200 Type set to I\r\n")
            .Reply("215 UNIX Type: L8\r\n");
    }
    // After the login, an FTP server's part of a whole upload: CWD, PASV and STOR, the data read to
    // its end and the transfer reported complete.
    ScriptedServer &FtpUpload()
    {
        return Reply("250 CWD command successful\r\n")
            .ReadLine()
            .Pasv("227 Entering Passive Mode (127,0,0,1,%1).\r\n")
            .ReadLine()
            .AcceptData()
            .Send("150 Opening BINARY mode data connection\r\n")
            .ReadDataToEnd()
            .Send("226 Transfer complete\r\n");
    }
    // Opens a data listener and sends reply with "%1" replaced by its port as "h,l".
    ScriptedServer &Pasv(const QByteArray &reply)
    {
        return Add([this, reply] {
            quint16 port = 0;
            m_dataListen = Listen(&port);
            if (m_dataListen < 0)
                return Failed("cannot open the data listener");
            QByteArray text = reply;
            text.replace("%1", QByteArray::number(port / 256) + ',' + QByteArray::number(port % 256));
            return SendClient(text);
        });
    }
    ScriptedServer &AcceptData()
    {
        return Add([this] {
            m_data = Accept(m_dataListen);
            if (m_data < 0)
                return Failed("no data connection");
            ++m_dataConnections;
            return true;
        });
    }
    // Reads the data connection until the client closes it.
    ScriptedServer &ReadDataToEnd()
    {
        return Add([this] {
            if (!ReadToEnd(m_data, m_dataReceived))
                return Failed("the data connection was not closed");
            CloseFd(m_data);
            return true;
        });
    }

    void Start()
    {
        m_thread = std::thread([this] { Run(); });
    }

    // Waits until the script has run and the client has closed, then tells what the client sent.
    QByteArray Received()
    {
        Join();
        return m_received;
    }
    QByteArray DataReceived()
    {
        Join();
        return m_dataReceived;
    }
    int DataConnections()
    {
        Join();
        return m_dataConnections;
    }
    // Empty when the script ran to its end.
    QString Error()
    {
        Join();
        return m_error;
    }

private:
    using Step = std::function<bool()>;

    ScriptedServer &Add(Step step)
    {
        m_steps.append(std::move(step));
        return *this;
    }

    void Run()
    {
        m_client = Accept(m_listen);
        if (m_client < 0) {
            m_error = QStringLiteral("no client connected");
            return;
        }
        const int on = 1;
        ::setsockopt(m_client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        bool played = true;
        for (const Step &step : m_steps) {
            if (!step()) {
                played = false;
                break;
            }
        }
        // A script that went wrong closes at once, so that a client waiting for a reply wakes up.
        if (played && m_client >= 0 && !ReadClientToEnd())
            m_error = QStringLiteral("the client did not close the connection");
        if (m_ssl) {
            SSL_free(m_ssl);
            m_ssl = nullptr;
        }
        CloseFd(m_client);
        CloseFd(m_data);
        CloseFd(m_dataListen);
    }

    bool Failed(const char *what)
    {
        m_error = QString::fromLatin1(what);
        return false;
    }

    bool ReadPast(const QByteArray &marker)
    {
        for (;;) {
            const qsizetype at = m_received.indexOf(marker, m_cursor);
            if (at >= 0) {
                m_cursor = at + marker.size();
                return true;
            }
            if (!ReadClientSome())
                return Failed("the client stopped sending before the script expected it");
        }
    }

    void Join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

    bool SendClient(const QByteArray &bytes)
    {
        if (!m_ssl)
            return SendAll(m_client, bytes);
        return bytes.isEmpty() || SSL_write(m_ssl, bytes.constData(), int(bytes.size())) == int(bytes.size());
    }

    // One read from the client, decrypted once TLS runs: false on time-out, close or error.
    bool ReadClientSome()
    {
        if (!m_ssl)
            return ReadSome(m_client, m_received);
        char buffer[65536];
        const int n = SSL_read(m_ssl, buffer, sizeof buffer);
        if (n <= 0) {
            ERR_clear_error();
            return false;
        }
        m_received.append(buffer, n);
        return true;
    }

    // True when the client closed within the time limit.
    bool ReadClientToEnd()
    {
        if (!m_ssl)
            return ReadToEnd(m_client, m_received);
        for (;;) {
            char buffer[65536];
            const int n = SSL_read(m_ssl, buffer, sizeof buffer);
            if (n > 0) {
                m_received.append(buffer, n);
                continue;
            }
            const int error = SSL_get_error(m_ssl, n);
            ERR_clear_error();
            // A close alert, or the end of the stream without one.
            return error == SSL_ERROR_ZERO_RETURN || (error == SSL_ERROR_SYSCALL && errno == 0)
                || (error == SSL_ERROR_SSL);
        }
    }

    static bool WaitReadable(int fd)
    {
        pollfd p {fd, POLLIN, 0};
        int r;
        do {
            r = ::poll(&p, 1, StepTimeoutMs);
        } while (r < 0 && errno == EINTR);
        return r > 0;
    }

    // False on time-out, close or error.
    static bool ReadSome(int fd, QByteArray &into)
    {
        if (fd < 0 || !WaitReadable(fd))
            return false;
        char buffer[65536];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return false;
        into.append(buffer, n);
        return true;
    }

    // True when the peer closed within the time limit.
    static bool ReadToEnd(int fd, QByteArray &into)
    {
        if (fd < 0)
            return false;
        for (;;) {
            if (!WaitReadable(fd))
                return false;
            char buffer[65536];
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n == 0)
                return true;
            if (n < 0)
                return errno == ECONNRESET;
            into.append(buffer, n);
        }
    }

    static bool SendAll(int fd, const QByteArray &bytes)
    {
        qsizetype sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = ::send(fd, bytes.constData() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            sent += n;
        }
        return true;
    }

    static int Listen(quint16 *port) { return LoopbackSocket(port, 4); }

    static int Accept(int listenFd)
    {
        if (listenFd < 0 || !WaitReadable(listenFd))
            return -1;
        return ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    }

    static void CloseFd(int &fd)
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }

    QList<Step> m_steps;
    SSL_CTX *m_ctx = nullptr;
    SSL *m_ssl = nullptr;
    std::thread m_thread;
    int m_listen = -1;
    quint16 m_port = 0;
    int m_client = -1;
    int m_dataListen = -1;
    int m_data = -1;
    int m_dataConnections = 0;
    qsizetype m_cursor = 0;
    QByteArray m_received;
    QByteArray m_dataReceived;
    QString m_error;
};

// A loopback port that is bound but not listening, so a connect to it is refused; it stays
// reserved for as long as the object lives.
class RefusingPort
{
public:
    RefusingPort() { m_fd = LoopbackSocket(&m_port, -1); }
    ~RefusingPort()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    RefusingPort(const RefusingPort &) = delete;
    RefusingPort &operator=(const RefusingPort &) = delete;

    quint16 Port() const { return m_port; }

private:
    int m_fd = -1;
    quint16 m_port = 0;
};
