#pragma once

#include "common/Bitmap.h"
#include "picture/TileQueue.h"

#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <functional>

class Clock;
class Prompt;

// The loading window as the tile loop sees it.
class LoadingView
{
public:
    virtual ~LoadingView() = default;
    // Shows the window with the progress running from 0 to count, at 0, its picture empty and its
    // cancel flag cleared.
    virtual void Begin(int count) = 0;
    // The tile just made and the progress.
    virtual void ShowTile(const Bitmap &tile, int progress) = 0;
    virtual bool Cancelled() const = 0;
    virtual void End() = 0;
};

// The grid of the thumbnail window: cells of 80 x 88 pixels, a 64 x 64 tile at (16, 8) of each, its
// name below it at y 76, and the 68 x 68 selection frame at (14, 6).
namespace ThumbnailGrid {
inline constexpr int CellWidth = 80;
inline constexpr int CellHeight = 88;
inline constexpr int Tile = 64;
inline constexpr int FrameSide = 68;

// At least one column, however narrow the grid.
inline int Columns(int gridWidth)
{
    return gridWidth / CellWidth > 0 ? gridWidth / CellWidth : 1;
}
inline int Rows(int count, int columns)
{
    return (count + columns - 1) / columns;
}
inline QPoint TileOrigin(int k, int columns)
{
    return QPoint(CellWidth * (k % columns) + 16, CellHeight * (k / columns) + 8);
}
inline QPoint FrameOrigin(int k, int columns)
{
    return QPoint(CellWidth * (k % columns) + 14, CellHeight * (k / columns) + 6);
}
// The left and the top of a name textWidth pixels wide, centred on its tile.
inline QPoint NameOrigin(int k, int columns, int textWidth)
{
    return QPoint(CellWidth * (k % columns) + 8 + (CellWidth - textWidth) / 2,
                  CellHeight * (k / columns) + 76);
}
// The picture under a press on the grid, or -1: the margins left of and above each tile count as
// no picture, as does a cell past the last one.
inline int PictureAt(QPoint p, int columns, int count)
{
    if (p.x() < 0 || p.y() < 0 || p.x() % CellWidth < 17 || p.y() % CellHeight < 9)
        return -1;
    const int column = p.x() / CellWidth;
    if (column >= columns)
        return -1;
    const int k = (p.y() / CellHeight) * columns + column;
    return k < count ? k : -1;
}
// The scroll bar's large step: the most whole rows the visible height holds.
inline int PageStep(int visibleHeight)
{
    return visibleHeight / CellHeight * CellHeight;
}
} // namespace ThumbnailGrid

// What the thumbnail window shows and keeps: the pictures of its last folder and their tiles. The
// pictures are the folder's *.jpg, then *.jpeg, then *.bmp files, each group sorted ignoring letter
// case. The tiles are made on a few threads but shown, counted and questioned in list order.
class ThumbnailSet
{
public:
    using Maker = TileQueue::Maker;

    // The clock pumps while the tiles are made. maker empty: TConvertJpeg::MakeThumbnail. threads 0:
    // as many as the machine has (at most 4).
    ThumbnailSet(Prompt &prompt, Clock &clock, Maker maker = {}, int threads = 0);

    // Everything before the grid shows: the folder's pictures and their tiles, made anew unless the
    // folder is the one kept and no rebuild is due. True when the grid is to show; false after the
    // messages when there is nothing to show or the user cancelled.
    bool Prepare(const QString &folder, LoadingView &loading);
    // After the grid has been shown: the next Prepare needs the same folder again to reuse.
    void Finished();

    void MarkRebuildDue() { m_rebuildDue = true; }
    bool RebuildDue() const { return m_rebuildDue; }
    // Whether the last Prepare showed the kept tiles without making them.
    bool Reused() const { return m_reused; }

    const QString &Folder() const { return m_folder; }
    const QStringList &Files() const { return m_files; }
    const QList<Bitmap> &Tiles() const { return m_tiles; }
    int SelectedIndex() const { return m_selected; }
    void Select(int index);
    QString SelectedFile() const;

    static QStringList ListPictures(const QString &folder);
    static const QString &NoPicturesMessage();
    static const QString &NoDisplayableMessage();
    static QString ReadErrorQuestion(const QString &path);

private:
    bool makeTiles(LoadingView &loading);
    void forget();

    Prompt &m_prompt;
    Clock &m_clock;
    Maker m_maker;
    int m_threads;
    QString m_folder;
    QStringList m_files;
    QList<Bitmap> m_tiles;
    int m_selected = -1;
    bool m_rebuildDue = false;
    bool m_reused = false;
};
