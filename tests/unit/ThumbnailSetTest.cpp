#include "mainwindow/model/ThumbnailSet.h"
#include "picture/ConvertJpeg.h"
#include "support/ManualClock.h"
#include "support/PictureFiles.h"
#include "support/ScriptedPrompt.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>

namespace {

const QString kNoPictures = QString::fromUtf8("画像ファイルがありません。");
const QString kNoneShown = QString::fromUtf8("表示可能な画像ファイルがありません。");

QString readError(const QString &name)
{
    return QString::fromUtf8("読み込みエラー：") + name
        + QString::fromUtf8("\nフォルダの読み込みを続けますか？");
}

class Loading : public LoadingView
{
public:
    QStringList log;
    int cancelAfter = -1; // tiles shown before the cancel button is pressed
    int shown = 0;
    void Begin(int count) override { log << QString("begin %1").arg(count); }
    void ShowTile(const Bitmap &tile, int progress) override
    {
        log << QString("tile %1 %2x%3").arg(progress).arg(tile.width()).arg(tile.height());
        ++shown;
    }
    bool Cancelled() const override { return cancelAfter >= 0 && shown >= cancelAfter; }
    void End() override { log << "end"; }
};

class ThumbnailSetTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return dir.filePath(name); }
    void pictures(const QStringList &names)
    {
        for (const QString &name : names) {
            if (name.endsWith(".bmp", Qt::CaseInsensitive))
                ASSERT_TRUE(testpictures::writeBmp(path(name)));
            else
                ASSERT_TRUE(testpictures::writeJpeg(path(name)));
        }
    }
    QTemporaryDir dir;
    ScriptedPrompt prompt;
    Loading loading;
    ManualClock clock;
};

TEST_F(ThumbnailSetTest, ListsJpgThenJpegThenBmpEachSortedIgnoringCase)
{
    pictures({"b.JPG", "d.bmp", "c.jpeg", "a.jpg", "B.bmp"});
    ASSERT_TRUE(testfiles::write(path("notes.txt"), "x"));
    ASSERT_TRUE(testfiles::write(path(".hidden.jpg"), "x"));
    ASSERT_TRUE(QDir().mkpath(path("folder.jpg")));
    EXPECT_EQ(ThumbnailSet::ListPictures(dir.path()),
              (QStringList {path("a.jpg"), path("b.JPG"), path("c.jpeg"), path("B.bmp"), path("d.bmp")}));
}

TEST_F(ThumbnailSetTest, MakesATileForEveryPictureThenReusesThemForTheSameFolder)
{
    pictures({"b.JPG", "a.jpg", "c.jpeg", "d.bmp"});
    ThumbnailSet set(prompt, clock);
    ASSERT_TRUE(set.Prepare(dir.path(), loading));
    EXPECT_EQ(set.Files(), (QStringList {path("a.jpg"), path("b.JPG"), path("c.jpeg"), path("d.bmp")}));
    EXPECT_EQ(
        loading.log,
        (QStringList {"begin 4", "tile 0 64x64", "tile 1 64x64", "tile 2 64x64", "tile 3 64x64", "end"}));
    ASSERT_EQ(set.Tiles().size(), 4);
    EXPECT_EQ(set.Tiles()[3], TConvertJpeg::MakeThumbnail(path("d.bmp")).value());
    EXPECT_EQ(set.SelectedFile(), path("a.jpg"));
    EXPECT_FALSE(set.Reused());
    EXPECT_GE(clock.Pumps(), 4);
    set.Select(2);
    set.Finished();

    // The same folder again: nothing made, the selection back on the first picture.
    loading.log.clear();
    ASSERT_TRUE(testfiles::write(path("e.jpg"), "new"));
    ASSERT_TRUE(set.Prepare(dir.path(), loading));
    EXPECT_TRUE(set.Reused());
    EXPECT_TRUE(loading.log.isEmpty());
    EXPECT_EQ(set.Files().size(), 4);
    EXPECT_EQ(set.SelectedIndex(), 0);
    set.Finished();

    // A rebuild due scans again, once.
    set.MarkRebuildDue();
    ASSERT_TRUE(testfiles::write(path("e.jpg"), "not a picture"));
    prompt.Answer(Msg::Yes);
    ASSERT_TRUE(set.Prepare(dir.path(), loading));
    EXPECT_FALSE(set.Reused());
    EXPECT_EQ(loading.log.first(), "begin 5");
    set.Finished();
    EXPECT_FALSE(set.RebuildDue());
    EXPECT_TRUE(prompt.AllAnswersUsed());
}

TEST_F(ThumbnailSetTest, CancellingHalfWayShowsNothingAndTheNextRunScansAnew)
{
    pictures({"a.jpg", "b.jpg", "c.jpg", "d.jpg"});
    ThumbnailSet set(prompt, clock);
    loading.cancelAfter = 2;
    EXPECT_FALSE(set.Prepare(dir.path(), loading));
    EXPECT_EQ(loading.log, (QStringList {"begin 4", "tile 0 64x64", "tile 1 64x64", "end"}));
    EXPECT_EQ(set.Folder(), "");
    EXPECT_TRUE(prompt.History().isEmpty());

    loading = Loading();
    ASSERT_TRUE(set.Prepare(dir.path(), loading));
    EXPECT_FALSE(set.Reused());
    EXPECT_EQ(loading.log.size(), 6);
    EXPECT_EQ(set.Tiles().size(), 4);
}

TEST_F(ThumbnailSetTest, AFileWithoutATileIsAskedAboutLeftOutOrEndsTheRun)
{
    pictures({"a.jpg", "b.jpg", "c.jpg"});
    ASSERT_TRUE(testfiles::write(path("b.jpg"), "text, not a picture"));

    ThumbnailSet set(prompt, clock);
    prompt.Answer(Msg::Yes);
    ASSERT_TRUE(set.Prepare(dir.path(), loading));
    EXPECT_EQ(prompt.History(),
              QList {ScriptedPrompt::Message(readError("b.jpg"), Msg::IconExclamation, Msg::ButtonsYesNo)});
    EXPECT_EQ(set.Files(), (QStringList {path("a.jpg"), path("c.jpg")}));
    EXPECT_EQ(loading.log, (QStringList {"begin 3", "tile 0 64x64", "tile 2 64x64", "end"}));
    set.Finished();

    // No: the run ends as cancelled, without another message.
    prompt.Clear();
    loading.log.clear();
    set.MarkRebuildDue();
    prompt.Answer(Msg::No);
    EXPECT_FALSE(set.Prepare(dir.path(), loading));
    EXPECT_EQ(prompt.Texts(), QStringList {readError("b.jpg")});
    EXPECT_EQ(loading.log, (QStringList {"begin 3", "tile 0 64x64", "end"}));
    EXPECT_EQ(set.Folder(), "");
}

TEST_F(ThumbnailSetTest, BadFilesAreAskedAboutOneByOneAndNothingElseIsLost)
{
    pictures({"good.jpg"});
    QByteArray jpeg = testfiles::read(path("good.jpg"));
    const struct
    {
        QString name;
        QByteArray bytes;
    } bad[] = {
        {"cut.jpg", jpeg.left(jpeg.size() / 2)},
        {"empty.jpg", QByteArray()},
        {"text.jpg", "This is a text file.\n"},
        {"hostile.bmp",
         QByteArray("BM") + QByteArray(12, '\0') + QByteArray::fromHex("28000000ffffff7fffffff7f01001800")},
        {"gone.jpg", jpeg},
    };
    for (const auto &b : bad)
        ASSERT_TRUE(testfiles::write(path(b.name), b.bytes));
    // A name the file system keeps as bytes that are no UTF-8.
    const QByteArray odd = QFile::encodeName(dir.path()) + "/\xff\xfe.jpg";
    {
        FILE *f = std::fopen(odd.constData(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(jpeg.constData(), 1, size_t(jpeg.size()), f);
        std::fclose(f);
    }

    // gone.jpg disappears after the listing, before its tile is made.
    ThumbnailSet set(prompt, clock, [&](const QString &file) {
        if (file.endsWith("gone.jpg"))
            QFile::remove(file);
        return TConvertJpeg::MakeThumbnail(file);
    });
    for (int i = 0; i < 6; ++i)
        prompt.Answer(Msg::Yes);
    ASSERT_TRUE(set.Prepare(dir.path(), loading));
    EXPECT_EQ(set.Files(), QStringList {path("good.jpg")});
    const QStringList asked = prompt.Texts();
    for (const auto &b : bad)
        EXPECT_TRUE(asked.contains(readError(b.name))) << b.name.toStdString();
    // The odd name is asked about under the name it shows as, not lost quietly.
    EXPECT_TRUE(asked.contains(readError(QFile::decodeName("\xff\xfe.jpg"))));
    EXPECT_EQ(asked.size(), 6);
    ::remove(odd.constData());
}

TEST_F(ThumbnailSetTest, FoldersWithNothingToShow)
{
    ThumbnailSet set(prompt, clock);
    // Not a folder, or no name: no message.
    EXPECT_FALSE(set.Prepare("", loading));
    EXPECT_FALSE(set.Prepare(path("missing"), loading));
    EXPECT_TRUE(prompt.History().isEmpty());

    ASSERT_TRUE(testfiles::write(path("a.txt"), "x"));
    EXPECT_FALSE(set.Prepare(dir.path(), loading));
    EXPECT_EQ(prompt.History(), QList {ScriptedPrompt::Message(kNoPictures, Msg::IconExclamation)});
    EXPECT_TRUE(loading.log.isEmpty());

    // Every file left out.
    prompt.Clear();
    ASSERT_TRUE(testfiles::write(path("a.jpg"), "x"));
    ASSERT_TRUE(testfiles::write(path("b.bmp"), "x"));
    prompt.Answer(Msg::Yes);
    prompt.Answer(Msg::Yes);
    EXPECT_FALSE(set.Prepare(dir.path(), loading));
    EXPECT_EQ(prompt.Texts(), (QStringList {readError("a.jpg"), readError("b.bmp"), kNoneShown}));

    // Pictures added since are found: an empty result is not kept.
    prompt.Clear();
    pictures({"a.jpg"});
    ASSERT_TRUE(testfiles::write(path("b.bmp"), "x"));
    prompt.Answer(Msg::Yes);
    ASSERT_TRUE(set.Prepare(dir.path(), loading));
    EXPECT_EQ(set.Files(), QStringList {path("a.jpg")});
}

TEST(TileQueue, GivesTilesInListOrderWithABoundedNumberAhead)
{
    QStringList files;
    for (int i = 0; i < 24; ++i)
        files << QString::number(i);
    std::atomic<int> running {0};
    std::atomic<int> most {0};
    std::atomic<int> made {0};
    TileQueue queue(
        files,
        [&](const QString &file) -> std::optional<Bitmap> {
            const int now = ++running;
            int seen = most.load();
            while (now > seen && !most.compare_exchange_weak(seen, now)) { }
            // Later files finish first.
            QThread::msleep(file.toInt() % 3 == 0 ? 6 : 1);
            ++made;
            --running;
            if (file.toInt() % 5 == 4)
                return std::nullopt;
            return Bitmap(file.toInt() + 1, 1);
        },
        3, 4);
    EXPECT_EQ(queue.Threads(), 3);
    EXPECT_EQ(queue.Ahead(), 4);
    ManualClock clock;
    for (int i = 0; i < files.size(); ++i) {
        const std::optional<Bitmap> tile = queue.Take(i, clock);
        if (i % 5 == 4) {
            EXPECT_FALSE(tile) << i;
        } else {
            ASSERT_TRUE(tile) << i;
            EXPECT_EQ(tile->width(), i + 1);
        }
        // Never more than four started beyond the one taken.
        EXPECT_LE(made.load(), i + 4);
    }
    EXPECT_LE(most.load(), 3);
    EXPECT_GT(clock.Pumps(), 0);
}

TEST(ThumbnailGridTest, CellsFramesNamesAndPresses)
{
    using namespace ThumbnailGrid;
    EXPECT_EQ(Columns(484), 6);
    EXPECT_EQ(Columns(79), 1);
    EXPECT_EQ(Columns(0), 1);
    EXPECT_EQ(Rows(13, 6), 3);
    EXPECT_EQ(Rows(12, 6), 2);
    EXPECT_EQ(TileOrigin(7, 6), QPoint(96, 96));
    EXPECT_EQ(FrameOrigin(7, 6), QPoint(94, 94));
    EXPECT_EQ(NameOrigin(7, 6, 30), QPoint(113, 164));
    EXPECT_EQ(NameOrigin(0, 6, 100), QPoint(-2, 76));
    EXPECT_EQ(PageStep(300), 264);
    EXPECT_EQ(PageStep(80), 0);

    const struct
    {
        QPoint at;
        int picture;
    } presses[] = {
        {{17, 9}, 0},
        {{16, 40}, -1},
        {{40, 8}, -1},
        {{79, 87}, 0},
        {{80 + 17, 9}, 1},
        {{97, 88 + 9}, 7},
        {{5 * 80 + 20, 88 * 2 + 20}, -1},
        {{6 * 80 + 20, 20}, -1},
        {{2 * 80 + 20, 88 * 2 + 9}, 2 + 12},
    };
    for (const auto &p : presses) {
        SCOPED_TRACE(testing::Message() << p.at.x() << "," << p.at.y());
        EXPECT_EQ(PictureAt(p.at, 6, 15), p.picture);
    }
}

} // namespace
