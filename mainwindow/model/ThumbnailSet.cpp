#include "mainwindow/model/ThumbnailSet.h"

#include "common/Clock.h"
#include "common/Prompt.h"
#include "mainwindow/model/FileFind.h"
#include "picture/ConvertJpeg.h"
#include "picture/PictureFile.h"

#include <QFileInfo>

ThumbnailSet::ThumbnailSet(Prompt &prompt, Clock &clock, Maker maker, int threads)
    : m_prompt(prompt)
    , m_clock(clock)
    , m_maker(maker ? std::move(maker) : Maker(&TConvertJpeg::MakeThumbnail))
    , m_threads(threads)
{ }

const QString &ThumbnailSet::NoPicturesMessage()
{
    static const QString text = QStringLiteral("画像ファイルがありません。");
    return text;
}

const QString &ThumbnailSet::NoDisplayableMessage()
{
    static const QString text = QStringLiteral("表示可能な画像ファイルがありません。");
    return text;
}

QString ThumbnailSet::ReadErrorQuestion(const QString &path)
{
    return QStringLiteral("読み込みエラー：") + QFileInfo(path).fileName()
        + QStringLiteral("\nフォルダの読み込みを続けますか？");
}

QStringList ThumbnailSet::ListPictures(const QString &folder)
{
    QStringList files;
    // The installed kinds beyond BMP and JPEG come after the three of old, in the same way.
    QStringList masks {QStringLiteral("*.jpg"), QStringLiteral("*.jpeg"), QStringLiteral("*.bmp")};
    masks << PictureReaderPatterns();
    for (const QString &mask : std::as_const(masks)) {
        TFileFind find;
        find.Folder = folder;
        find.Mask = mask;
        find.FullPath = true;
        find.Search();
        files << find.Results;
    }
    return files;
}

void ThumbnailSet::Select(int index)
{
    if (index >= 0 && index < m_files.size())
        m_selected = index;
}

QString ThumbnailSet::SelectedFile() const
{
    return m_selected >= 0 && m_selected < m_files.size() ? m_files[m_selected] : QString();
}

void ThumbnailSet::forget()
{
    // Without a kept folder the next run scans again, whatever it is asked for.
    m_folder.clear();
    m_files.clear();
    m_tiles.clear();
    m_selected = -1;
}

bool ThumbnailSet::Prepare(const QString &folder, LoadingView &loading)
{
    // Folder names differ in letter case alone on this platform: only the very same name reuses.
    const bool reuse = !m_folder.isEmpty() && folder == m_folder && !m_rebuildDue;
    m_reused = false;
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir() || !info.isExecutable()) {
        forget();
        return false;
    }
    m_folder = folder;
    if (!reuse) {
        m_files = ListPictures(folder);
        m_tiles.clear();
        if (m_files.isEmpty()) {
            forget();
            m_prompt.ShowMessageBox(NoPicturesMessage(), Msg::IconExclamation, Msg::ButtonsOk);
            return false;
        }
        if (!makeTiles(loading)) {
            forget();
            Finished();
            return false;
        }
        if (m_files.isEmpty()) {
            forget();
            m_prompt.ShowMessageBox(NoDisplayableMessage(), Msg::IconExclamation, Msg::ButtonsOk);
            return false;
        }
    }
    m_reused = reuse;
    m_selected = 0;
    return true;
}

void ThumbnailSet::Finished()
{
    m_rebuildDue = false;
}

bool ThumbnailSet::makeTiles(LoadingView &loading)
{
    const QStringList listed = m_files;
    QStringList kept;
    bool cancelled = false;
    loading.Begin(int(listed.size()));
    {
        TileQueue queue(listed, m_maker, m_threads);
        for (int i = 0; i < listed.size(); ++i) {
            std::optional<Bitmap> tile = queue.Take(i, m_clock);
            if (tile) {
                kept << listed[i];
                m_tiles << *tile;
                loading.ShowTile(*tile, i);
                if (loading.Cancelled()) {
                    cancelled = true;
                    break;
                }
                m_clock.Pump();
            } else if (m_prompt.ShowMessageBox(ReadErrorQuestion(listed[i]), Msg::IconExclamation,
                                               Msg::ButtonsYesNo)
                       != Msg::Yes) {
                cancelled = true;
                break;
            }
        }
    }
    loading.End();
    m_files = kept;
    return !cancelled;
}
