#pragma once

#include "support/Loopback.h"

#include <QByteArray>
#include <QList>
#include <QMap>

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

// A loopback SMTP server for the send run's tests: it serves one client after the other with a
// plain dialogue (greeting, EHLO, RSET, MAIL, RCPT, DATA, QUIT), keeps every message it accepted,
// refuses the recipients it is told to, and can fall silent at the greeting or after the message
// (for cancel and the watchdog). Every wait is bounded; the destructor stops it.
class SmtpStub
{
public:
    enum class Stall { None, Greeting, AfterData };

    struct Mail
    {
        QByteArray from;
        QList<QByteArray> to;
        QByteArray data; // as sent, dot-stuffing included, without the final "."
    };

    SmtpStub() { m_listen = LoopbackSocket(&m_port, 8); }
    ~SmtpStub()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_listen >= 0)
            ::close(m_listen);
    }
    SmtpStub(const SmtpStub &) = delete;
    SmtpStub &operator=(const SmtpStub &) = delete;

    quint16 Port() const { return m_port; }

    // Before Start: the reply to RCPT TO for that address, such as "550 5.1.1 unknown user".
    void Refuse(const QByteArray &address, const QByteArray &reply) { m_refusals.insert(address, reply); }
    void SetStall(Stall stall) { m_stall = stall; }
    void Start()
    {
        m_thread = std::thread([this] { run(); });
    }

    QList<Mail> Mails() const
    {
        std::lock_guard lock(m_mutex);
        return m_mails;
    }
    int Connections() const { return m_connections; }

private:
    static constexpr int SliceMs = 50;
    static constexpr int IdleLimitMs = 20000;

    void run()
    {
        while (!m_stop) {
            pollfd p {m_listen, POLLIN, 0};
            if (::poll(&p, 1, SliceMs) <= 0)
                continue;
            const int client = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                continue;
            ++m_connections;
            serve(client);
            ::close(client);
        }
    }

    // False when the client went, the stub stops or the client stays silent too long.
    bool readLine(int fd, QByteArray &buffer, QByteArray &line)
    {
        int idle = 0;
        for (;;) {
            const qsizetype lf = buffer.indexOf('\n');
            if (lf >= 0) {
                line = buffer.left(lf);
                if (line.endsWith('\r'))
                    line.chop(1);
                buffer.remove(0, lf + 1);
                return true;
            }
            if (m_stop || idle > IdleLimitMs)
                return false;
            pollfd p {fd, POLLIN, 0};
            if (::poll(&p, 1, SliceMs) <= 0) {
                idle += SliceMs;
                continue;
            }
            char chunk[65536];
            const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
            if (n <= 0)
                return false;
            buffer.append(chunk, n);
            idle = 0;
        }
    }

    static void say(int fd, const QByteArray &reply)
    {
        const QByteArray bytes = reply + "\r\n";
        ::send(fd, bytes.constData(), bytes.size(), MSG_NOSIGNAL);
    }

    // Reads until the client closes (or the stub stops).
    void silence(int fd)
    {
        QByteArray buffer, line;
        while (readLine(fd, buffer, line)) { }
    }

    void serve(int fd)
    {
        if (m_stall == Stall::Greeting)
            return silence(fd);
        say(fd, "220 stub ESMTP");
        QByteArray buffer, line;
        Mail mail;
        while (readLine(fd, buffer, line)) {
            const QByteArray verb = line.left(4).toUpper();
            if (verb == "EHLO") {
                say(fd, "250-stub");
                say(fd, "250 HELP");
            } else if (verb == "HELO" || verb == "RSET") {
                mail = Mail();
                say(fd, "250 OK");
            } else if (verb == "MAIL") {
                mail.from = between(line);
                say(fd, "250 OK");
            } else if (verb == "RCPT") {
                const QByteArray to = between(line);
                if (m_refusals.contains(to)) {
                    say(fd, m_refusals.value(to));
                } else {
                    mail.to.append(to);
                    say(fd, "250 OK");
                }
            } else if (verb == "DATA") {
                say(fd, "354 go ahead");
                QByteArray data;
                while (readLine(fd, buffer, line) && line != ".")
                    data += line + "\r\n";
                if (line != ".")
                    return;
                if (m_stall == Stall::AfterData)
                    return silence(fd);
                mail.data = data;
                {
                    std::lock_guard lock(m_mutex);
                    m_mails.append(mail);
                }
                say(fd, "250 queued");
            } else if (verb == "QUIT") {
                say(fd, "221 bye");
                return;
            } else {
                say(fd, "500 unknown command");
            }
        }
    }

    static QByteArray between(const QByteArray &line)
    {
        const qsizetype open = line.indexOf('<'), close = line.lastIndexOf('>');
        return open >= 0 && close > open ? line.mid(open + 1, close - open - 1) : QByteArray();
    }

    int m_listen = -1;
    quint16 m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop {false};
    std::atomic<int> m_connections {0};
    Stall m_stall = Stall::None;
    QMap<QByteArray, QByteArray> m_refusals;
    mutable std::mutex m_mutex;
    QList<Mail> m_mails;
};
