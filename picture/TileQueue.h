#pragma once

#include "common/Bitmap.h"

#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <functional>
#include <memory>
#include <optional>

class Clock;

// Makes the tiles of a list of files on a few threads, ahead of the caller, who takes them one by one
// in list order. At most `ahead` tiles are being made or wait to be taken at any time, so a folder of
// large pictures never holds more than that many decodes in memory.
class TileQueue
{
public:
    using Maker = std::function<std::optional<Bitmap>(const QString &path)>;

    // threads 0: as many as the machine has cores, at most 4; ahead 0: twice the threads.
    explicit TileQueue(QStringList files, Maker maker, int threads = 0, int ahead = 0);
    // Starts nothing more and waits for the tiles being made.
    ~TileQueue();
    TileQueue(const TileQueue &) = delete;
    TileQueue &operator=(const TileQueue &) = delete;

    // The tile of files[index], or nothing when the maker gave none. Indexes are taken in increasing
    // order; the clock pumps while the tile is not ready yet.
    std::optional<Bitmap> Take(int index, Clock &clock);

    int Threads() const { return m_pool.maxThreadCount(); }
    int Ahead() const { return m_ahead; }

    struct State; // shared with the threads

private:
    void startUpTo(int end);

    QStringList m_files;
    Maker m_maker;
    int m_ahead = 0;
    int m_started = 0;
    std::shared_ptr<State> m_state;
    QThreadPool m_pool;
};
