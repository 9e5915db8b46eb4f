#include "mainwindow/FindFolderUnit.h"
#include "mainwindow/LoadingUnit.h"
#include "mainwindow/ThumbnailUnit.h"
#include "support/PictureFiles.h"
#include "support/ScriptedPrompt.h"
#include "widgets/FlatListBox.h"
#include "widgets/FlatProgressBar.h"
#include "widgets/FlatScrollBar.h"
#include "widgets/LabeledBmpBtn.h"

#include <QAccessible>
#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

void click(QWidget *w, QPoint at = QPoint(5, 5))
{
    QTest::mouseClick(w, Qt::LeftButton, {}, at);
}

class ThumbnailWindowTest : public ::testing::Test
{
protected:
    ThumbnailWindowTest()
    {
        // Whatever the test script does, a window left open is closed, so no test can hang.
        guard.setSingleShot(true);
        guard.setInterval(20000);
        QObject::connect(&guard, &QTimer::timeout, [this] {
            ADD_FAILURE() << "a window was left open";
            thumbnail.reject();
        });
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    void pictures(int count)
    {
        for (int i = 0; i < count; ++i)
            ASSERT_TRUE(testpictures::writeJpeg(path(QString("p%1.jpg").arg(i, 2, 10, QChar('0'))), 40 + i,
                                                30, Rgb {quint8(20 * i), 120, 60}));
    }
    // Shows the folder and runs script once the grid shows (the loading loop runs the event loop
    // before), then closes the window.
    bool show(const std::function<void()> &script)
    {
        shown = false;
        QTimer poll;
        poll.setInterval(2);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!thumbnail.isVisible())
                return;
            poll.stop();
            shown = true;
            script();
            if (thumbnail.isVisible())
                thumbnail.reject();
        });
        poll.start();
        guard.start();
        const bool ok = thumbnail.ShowForFolder(dir.path());
        guard.stop();
        return ok;
    }

    QTemporaryDir dir;
    ScriptedPrompt prompt;
    TLoadingThumbnail loading;
    TThumbnail thumbnail {prompt, loading};
    QTimer guard;
    bool shown = false;
};

TEST_F(ThumbnailWindowTest, SixColumnsAtTheDesignSizeAndPressesOutsideTheTilesIgnored)
{
    pictures(13);
    QPoint frame0, frame7;
    int columns = 0, gridWidth = 0, gridHeight = 0, range = -1;
    const bool ok = show([&] {
        columns = thumbnail.Grid()->Columns();
        gridWidth = thumbnail.Grid()->width();
        gridHeight = thumbnail.Grid()->height();
        range = thumbnail.ScrollBar()->maximum();
        frame0 = thumbnail.Cursor()->pos();
        // The margins left of and above tile 7 (cell 1, 1), then the tile itself.
        click(thumbnail.Grid(), QPoint(80 + 16, 88 + 40));
        click(thumbnail.Grid(), QPoint(80 + 40, 88 + 8));
        click(thumbnail.Grid(), QPoint(6 * 80 - 1, 3 * 88 - 1)); // beyond the 13th picture
        EXPECT_EQ(thumbnail.Pictures().SelectedIndex(), 0);
        click(thumbnail.Grid(), QPoint(80 + 17, 88 + 9));
        frame7 = thumbnail.Cursor()->pos();
        click(thumbnail.findChild<TLabeledBmpBtn *>("btnOk"));
    });
    EXPECT_TRUE(shown);
    EXPECT_TRUE(ok);
    EXPECT_EQ(thumbnail.ClientArea()->width(), 484);
    EXPECT_EQ(gridWidth, 484);
    EXPECT_EQ(columns, 6);
    EXPECT_EQ(gridHeight, 266); // three rows, but at least as high as the client area
    EXPECT_EQ(range, 0);
    EXPECT_EQ(frame0, QPoint(14, 6));
    EXPECT_EQ(frame7, QPoint(94, 94));
    EXPECT_EQ(thumbnail.SelectedFile(), path("p07.jpg"));
    EXPECT_EQ(thumbnail.windowTitle(), QString::fromUtf8("タブリン - 画像選択"));
}

TEST_F(ThumbnailWindowTest, ScrollsByRowsAndByTheWheelAndNarrowsToOneColumn)
{
    pictures(20);
    show([&] {
        FlatScrollBar *bar = thumbnail.ScrollBar();
        EXPECT_EQ(bar->maximum(), 4 * 88 - 266);
        EXPECT_EQ(bar->singleStep(), 88);
        EXPECT_EQ(bar->pageStep(), 264);
        thumbnail.FormMouseWheel(-120);
        EXPECT_EQ(bar->value(), 86);
        EXPECT_EQ(thumbnail.Grid()->y(), -86);
        EXPECT_EQ(thumbnail.Cursor()->pos(), QPoint(14, 6 - 86));
        QWheelEvent up(QPointF(100, 100), QPointF(100, 100), QPoint(), QPoint(0, 120), Qt::NoButton,
                       Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&thumbnail, &up);
        EXPECT_EQ(bar->value(), 0);

        // Narrower than a cell: still one column, the scroll position back at the top.
        thumbnail.FormMouseWheel(-120);
        thumbnail.resize(100, 300);
        EXPECT_LT(thumbnail.ClientArea()->width(), 80);
        EXPECT_EQ(thumbnail.Grid()->Columns(), 1);
        EXPECT_EQ(bar->value(), 0);
        EXPECT_EQ(bar->maximum(), 20 * 88 - thumbnail.ClientArea()->height());
        click(thumbnail.Grid(), QPoint(20, 3 * 88 + 20));
        EXPECT_EQ(thumbnail.Pictures().SelectedIndex(), 3);
        thumbnail.resize(TThumbnail::kDesignWidth, TThumbnail::kDesignHeight);
        EXPECT_EQ(thumbnail.Grid()->Columns(), 6);
        EXPECT_EQ(thumbnail.Cursor()->pos(), QPoint(3 * 80 + 14, 6));
    });
}

TEST_F(ThumbnailWindowTest, OrderNamesAndTheAccessibleGrid)
{
    testpictures::writeJpeg(path("b.JPG"));
    testpictures::writeJpeg(path("a.jpg"));
    testpictures::writeJpeg(path("c.jpeg"));
    testpictures::writeBmp(path("d.bmp"));
    QAccessibleInterface *grid = nullptr;
    QString second;
    bool secondSelected = false;
    QString ok;
    const bool picked = show([&] {
        grid = QAccessible::queryAccessibleInterface(thumbnail.Grid());
        ASSERT_NE(grid, nullptr);
        EXPECT_EQ(grid->role(), QAccessible::List);
        EXPECT_EQ(grid->text(QAccessible::Name), QString::fromUtf8("画像一覧"));
        ASSERT_EQ(grid->childCount(), 4);
        QAccessibleInterface *item = grid->child(1);
        second = item->text(QAccessible::Name);
        EXPECT_EQ(item->role(), QAccessible::ListItem);
        EXPECT_FALSE(item->state().selected);
        item->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        secondSelected = item->state().selected;
        EXPECT_EQ(grid->indexOfChild(item), 1);
        ok = QAccessible::queryAccessibleInterface(thumbnail.findChild<TLabeledBmpBtn *>("btnOk"))
                 ->text(QAccessible::Name);
        // Enter is OK.
        QTest::keyClick(thumbnail.Grid(), Qt::Key_Right);
        QTest::keyClick(thumbnail.Grid(), Qt::Key_Return);
    });
    EXPECT_TRUE(picked);
    EXPECT_EQ(thumbnail.Pictures().Files(),
              (QStringList {path("a.jpg"), path("b.JPG"), path("c.jpeg"), path("d.bmp")}));
    EXPECT_EQ(second, "b.JPG");
    EXPECT_TRUE(secondSelected);
    EXPECT_EQ(ok, QString::fromUtf8("決定"));
    EXPECT_EQ(thumbnail.SelectedFile(), path("c.jpeg"));
    // Esc is Cancel.
    bool closedByEsc = false;
    EXPECT_FALSE(show([&] {
        QTest::keyClick(thumbnail.Grid(), Qt::Key_Escape);
        closedByEsc = !thumbnail.isVisible();
    }));
    EXPECT_TRUE(closedByEsc);
}

TEST_F(ThumbnailWindowTest, CancellingTheLoadingHalfWayShowsNothingAndScansAnewNextTime)
{
    pictures(6);
    int begun = 0;
    QObject::connect(loading.Progress(), &QProgressBar::valueChanged, [&](int value) {
        if (value == 0)
            ++begun;
        if (value == 2 && begun == 1)
            click(loading.CancelButton());
    });
    bool loadingShown = false;
    QObject::connect(loading.Progress(), &QProgressBar::valueChanged,
                     [&] { loadingShown = loading.isVisible(); });

    EXPECT_FALSE(show([] { ADD_FAILURE() << "the grid showed"; }));
    EXPECT_FALSE(loading.isVisible());
    EXPECT_TRUE(loadingShown);
    EXPECT_EQ(thumbnail.Pictures().Folder(), "");

    // The next run scans again and, not cancelled, shows the grid; the one after reuses it.
    EXPECT_FALSE(show([] {}));
    EXPECT_TRUE(shown);
    EXPECT_EQ(begun, 2);
    EXPECT_EQ(thumbnail.Pictures().Tiles().size(), 6);
    int selected = -1;
    EXPECT_TRUE(show([&] {
        selected = thumbnail.Pictures().SelectedIndex();
        thumbnail.imgCursorDblClick();
    }));
    EXPECT_EQ(begun, 2);
    EXPECT_TRUE(thumbnail.Pictures().Reused());
    EXPECT_EQ(selected, 0);
    EXPECT_TRUE(prompt.History().isEmpty());
}

TEST_F(ThumbnailWindowTest, MessagesOfTheRun)
{
    EXPECT_FALSE(show([] { ADD_FAILURE() << "the grid showed"; }));
    testfiles::write(path("broken.jpg"), "not a picture");
    prompt.Answer(Msg::Yes);
    EXPECT_FALSE(show([] { ADD_FAILURE() << "the grid showed"; }));
    EXPECT_EQ(prompt.Texts(),
              (QStringList {QString::fromUtf8("画像ファイルがありません。"),
                            QString::fromUtf8("読み込みエラー：broken.jpg\nフォルダの読み込みを続けますか？"),
                            QString::fromUtf8("表示可能な画像ファイルがありません。")}));
    EXPECT_FALSE(loading.isVisible());
}

TEST_F(ThumbnailWindowTest, StaysUsableWhileItsOwnerIsDisabled)
{
    pictures(2);
    QWidget owner;
    owner.setGeometry(100, 100, 600, 400);
    owner.show();
    owner.setEnabled(false); // as the folder box does while it runs the picker
    TLoadingThumbnail ownedLoading(&owner);
    TThumbnail picker(prompt, ownedLoading, &owner);
    bool enabled = false, loadingEnabled = false;
    QPoint centre;
    QObject::connect(ownedLoading.Progress(), &QProgressBar::valueChanged,
                     [&] { loadingEnabled = ownedLoading.isEnabled() && ownedLoading.isVisible(); });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!picker.isVisible())
            return;
        poll.stop();
        enabled = picker.isEnabled();
        centre = picker.frameGeometry().center();
        click(picker.findChild<TLabeledBmpBtn *>("btnOk"));
    });
    poll.start(2);
    EXPECT_TRUE(picker.ShowForFolder(dir.path()));
    EXPECT_TRUE(enabled);
    EXPECT_TRUE(loadingEnabled);
    EXPECT_LE((centre - owner.frameGeometry().center()).manhattanLength(), 2);
    EXPECT_EQ(picker.parent(), nullptr);
}

TEST(LoadingThumbnail, ShowsTheTileAndProgressAndTakesACancel)
{
    TLoadingThumbnail loading;
    loading.Begin(5);
    EXPECT_TRUE(loading.isVisible());
    EXPECT_EQ(loading.size(), QSize(184, 80));
    EXPECT_EQ(loading.Progress()->maximum(), 5);
    EXPECT_EQ(loading.Progress()->value(), 0);
    const Bitmap tile = testpictures::plain(64, 64, Rgb {10, 20, 30});
    loading.ShowTile(tile, 3);
    EXPECT_EQ(loading.Progress()->value(), 3);
    EXPECT_EQ(loading.Picture()->pixmap().toImage().pixel(5, 5), qRgb(10, 20, 30));
    EXPECT_FALSE(loading.Cancelled());
    click(loading.CancelButton());
    EXPECT_TRUE(loading.Cancelled());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(loading.CancelButton())->text(QAccessible::Name),
              QString::fromUtf8("中止"));
    loading.End();
    EXPECT_FALSE(loading.isVisible());
    // Showing again clears the flag and the picture.
    loading.Begin(2);
    EXPECT_FALSE(loading.Cancelled());
    EXPECT_TRUE(loading.Picture()->pixmap().isNull());
    loading.End();
}

TEST(FindFolder, OffersTheFoldersWithTheFirstSelected)
{
    TFindFolder window;
    const QStringList folders {"/media/a/DCIM/100ABCDE", "/media/b/DCIM/101CANON"};
    const auto run = [&](const std::function<void()> &script) {
        QTimer::singleShot(0, [&] {
            EXPECT_TRUE(window.isVisible());
            script();
            if (window.isVisible())
                window.reject();
        });
        return window.ChooseDcfFolder(folders);
    };
    EXPECT_EQ(run([&] { click(window.findChild<TLabeledBmpBtn *>("btnOk")); }), folders[0]);
    EXPECT_EQ(run([&] {
                  FlatListBox *list = window.List();
                  EXPECT_EQ(list->Items(), folders);
                  const QRect second = list->visualItemRect(list->item(1));
                  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
                  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second.center());
              }),
              folders[1]);
    EXPECT_EQ(window.FolderFound(), folders[1]);
    EXPECT_FALSE(run([&] { click(window.findChild<TLabeledBmpBtn *>("btnCancel")); }).has_value());
    EXPECT_EQ(window.FolderFound(), "");
    // Enter is OK, Esc is Cancel.
    EXPECT_EQ(run([&] {
                  QTest::keyClick(window.List(), Qt::Key_Down);
                  QTest::keyClick(window.List(), Qt::Key_Return);
              }),
              folders[1]);
    EXPECT_FALSE(run([&] { QTest::keyClick(window.List(), Qt::Key_Escape); }).has_value());
    EXPECT_EQ(window.FolderFound(), "");
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8("タブリン"));
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(window.List());
    EXPECT_EQ(list->text(QAccessible::Name), QString::fromUtf8("ＤＣＦフォルダ"));
}

} // namespace
