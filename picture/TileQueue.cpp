#include "picture/TileQueue.h"

#include "common/Clock.h"

#include <QMutex>
#include <QThread>
#include <QWaitCondition>

#include <algorithm>
#include <vector>

struct TileQueue::State
{
    struct Slot
    {
        bool done = false;
        std::optional<Bitmap> tile;
    };
    QMutex mutex;
    QWaitCondition ready;
    std::vector<Slot> slots;
    bool stopped = false;
};

TileQueue::TileQueue(QStringList files, Maker maker, int threads, int ahead)
    : m_files(std::move(files))
    , m_maker(std::move(maker))
    , m_state(std::make_shared<State>())
{
    if (threads <= 0)
        threads = std::clamp(QThread::idealThreadCount(), 1, 4);
    m_pool.setMaxThreadCount(threads);
    m_ahead = ahead > 0 ? ahead : 2 * threads;
    m_state->slots.resize(size_t(m_files.size()));
}

TileQueue::~TileQueue()
{
    {
        QMutexLocker lock(&m_state->mutex);
        m_state->stopped = true;
    }
    m_pool.clear();
    m_pool.waitForDone();
}

void TileQueue::startUpTo(int end)
{
    end = std::min(end, int(m_files.size()));
    for (; m_started < end; ++m_started) {
        const int index = m_started;
        m_pool.start([state = m_state, maker = m_maker, path = m_files[index], index] {
            {
                QMutexLocker lock(&state->mutex);
                if (state->stopped)
                    return;
            }
            std::optional<Bitmap> tile = maker(path);
            QMutexLocker lock(&state->mutex);
            state->slots[size_t(index)].tile = std::move(tile);
            state->slots[size_t(index)].done = true;
            state->ready.wakeAll();
        });
    }
}

std::optional<Bitmap> TileQueue::Take(int index, Clock &clock)
{
    if (index < 0 || index >= m_files.size())
        return std::nullopt;
    startUpTo(index + m_ahead);
    State &s = *m_state;
    for (;;) {
        {
            QMutexLocker lock(&s.mutex);
            State::Slot &slot = s.slots[size_t(index)];
            if (!slot.done)
                s.ready.wait(&s.mutex, 10);
            if (slot.done) {
                std::optional<Bitmap> tile = std::move(slot.tile);
                slot.tile.reset();
                return tile;
            }
        }
        clock.Pump();
    }
}
