#include "app/TerminationSignals.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::array kSignals {SIGTERM, SIGHUP, SIGINT};
volatile std::sig_atomic_t g_writeFd = -1;
std::array<struct sigaction, kSignals.size()> g_previous {};

void onSignal(int number)
{
    // Only what is safe in a handler: one byte naming the signal.
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    if (g_writeFd >= 0) [[maybe_unused]]
        const auto written = ::write(g_writeFd, &byte, 1);
    errno = saved;
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, m_fds) != 0)
        return;
    g_writeFd = m_fds[0];
    m_notifier = std::make_unique<QSocketNotifier>(m_fds[1], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TerminationSignals::readPending);
    struct sigaction action
    {
    };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &action, &g_previous[i]);
}

TerminationSignals::~TerminationSignals()
{
    if (m_fds[0] < 0)
        return;
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &g_previous[i], nullptr);
    g_writeFd = -1;
    m_notifier.reset();
    ::close(m_fds[0]);
    ::close(m_fds[1]);
}

void TerminationSignals::readPending()
{
    unsigned char byte = 0;
    int last = 0;
    while (::read(m_fds[1], &byte, 1) == 1)
        last = byte;
    if (last != 0)
        Q_EMIT requested(last);
}
