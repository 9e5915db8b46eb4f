#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <csignal>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

// A FIFO whose writer waits for a reader and hands it payload, then the end of the file. A reader
// that ought to refuse the FIFO but opens it gets the payload (say a valid file of its kind) instead
// of blocking for ever, so the test fails on what the reader returns rather than hanging.
class TestFifo
{
public:
    TestFifo(const QString &path, QByteArray payload)
        : m_path(QFile::encodeName(path))
        , m_payload(std::move(payload))
    {
        std::signal(SIGPIPE, SIG_IGN); // a reader that leaves early must not end the tests
        m_made = ::mkfifo(m_path.constData(), 0600) == 0;
        if (!m_made)
            return;
        m_writer = std::thread([this] {
            const int fd = ::open(m_path.constData(), O_WRONLY | O_CLOEXEC); // waits for a reader
            if (fd < 0)
                return;
            for (qsizetype done = 0; done < m_payload.size();) {
                const ssize_t n = ::write(fd, m_payload.constData() + done, size_t(m_payload.size() - done));
                if (n <= 0)
                    break;
                done += n;
            }
            ::close(fd);
        });
    }

    // Releases a writer nobody read from (opens the FIFO and drains it until the writer is done), then
    // removes the FIFO.
    ~TestFifo()
    {
        if (!m_made)
            return;
        const int fd = ::open(m_path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            char buffer[4096];
            pollfd p {fd, POLLIN, 0};
            while (::poll(&p, 1, 5000) > 0 && ::read(fd, buffer, sizeof buffer) > 0) { }
        }
        m_writer.join();
        if (fd >= 0)
            ::close(fd);
        ::unlink(m_path.constData());
    }

    TestFifo(const TestFifo &) = delete;
    TestFifo &operator=(const TestFifo &) = delete;

    bool made() const { return m_made; }
    // Still a FIFO: nothing replaced it with a file.
    bool stillFifo() const
    {
        struct stat st = {};
        return ::lstat(m_path.constData(), &st) == 0 && S_ISFIFO(st.st_mode);
    }

private:
    QByteArray m_path;
    QByteArray m_payload;
    bool m_made = false;
    std::thread m_writer;
};
