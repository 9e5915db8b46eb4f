#pragma once

#include <csignal>
#include <sys/resource.h>

// Files may grow no larger than maxBytes in this process while it holds: a write past that fails
// (SIGXFSZ is ignored) instead of ending the process. The old limit comes back with Restore, or at
// the latest when it goes.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t maxBytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        if (getrlimit(RLIMIT_FSIZE, &m_saved) != 0)
            return;
        rlimit small = m_saved;
        small.rlim_cur = maxBytes;
        m_set = setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit() { Restore(); }

    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool Set() const { return m_set; }
    bool Restore()
    {
        if (!m_set)
            return true;
        m_set = false;
        return setrlimit(RLIMIT_FSIZE, &m_saved) == 0;
    }

private:
    rlimit m_saved {};
    bool m_set = false;
};
