#include "mainwindow/model/FileFind.h"
#include "support/Files.h"
#include "support/ManualClock.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class FileFindTest : public ::testing::Test
{
protected:
    void file(const QString &relative)
    {
        QDir().mkpath(QFileInfo(path(relative)).path());
        ASSERT_TRUE(testfiles::write(path(relative), "x"));
    }
    void folder(const QString &relative) { ASSERT_TRUE(QDir().mkpath(path(relative))); }
    QString path(const QString &relative) const { return dir.filePath(relative); }
    QTemporaryDir dir;
};

TEST_F(FileFindTest, MatchesTheMaskIgnoringCaseAndSortsIgnoringCase)
{
    for (const char *name :
         {"b.JPG", "a.jpg", "C.Jpg", "c.jpeg", "d.bmp", "e.jpg.txt", ".hidden.jpg", "noext"})
        file(name);
    folder("dir.jpg");

    const struct
    {
        QString mask;
        QStringList found;
    } cases[] = {
        {"*.jpg", {"a.jpg", "b.JPG", "C.Jpg"}},
        {"*.jpeg", {"c.jpeg"}},
        {"?.bmp", {"d.bmp"}},
        {"*.*", {"a.jpg", "b.JPG", "c.jpeg", "C.Jpg", "d.bmp", "e.jpg.txt", "noext"}},
        {"*.gif", {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.mask.toStdString());
        TFileFind find;
        find.Folder = dir.path();
        find.Mask = c.mask;
        find.Search();
        EXPECT_EQ(find.Results, c.found);
    }
}

TEST_F(FileFindTest, FullPathsRecursionAndFolders)
{
    file("a.jpg");
    file("sub/B.jpg");
    file("sub/deeper/c.jpg");
    folder("sub/deeper/empty");

    TFileFind find;
    find.Folder = dir.path();
    find.Mask = "*.jpg";
    find.FullPath = true;
    find.Recursive = true;
    find.Search();
    EXPECT_EQ(find.Results, (QStringList {path("a.jpg"), path("sub/B.jpg"), path("sub/deeper/c.jpg")}));

    TFileFind folders;
    folders.Folder = dir.path();
    folders.Directory = true;
    folders.Recursive = true;
    folders.Search();
    EXPECT_EQ(folders.Results, (QStringList {"deeper", "empty", "sub"}));

    // Hidden and system entries do not exist here.
    TFileFind hidden;
    hidden.Folder = dir.path();
    hidden.Hidden = true;
    hidden.Search();
    EXPECT_TRUE(hidden.Results.isEmpty());
}

TEST_F(FileFindTest, ReadOnlyAsksForFilesThatCannotBeWritten)
{
    file("locked.jpg");
    file("open.jpg");
    QFile::setPermissions(path("locked.jpg"), QFile::ReadOwner | QFile::ReadUser);
    TFileFind find;
    find.Folder = dir.path();
    find.ReadOnly = true;
    find.Search();
    // Root may write anything: then nothing is read-only.
    if (QFileInfo(path("locked.jpg")).isWritable())
        EXPECT_TRUE(find.Results.isEmpty());
    else
        EXPECT_EQ(find.Results, QStringList {"locked.jpg"});
}

TEST_F(FileFindTest, CollectsEveryFolderBelowOnceSkippingTheProgramFolderAndLinks)
{
    folder("DCIM/100ABCDE/inner");
    folder("DCIM/101_FUJI");
    folder("DCIM/MISC");
    folder("tavrin/data");
    folder("tavrin2");
    ASSERT_TRUE(QFile::link(dir.path(), path("DCIM/100ABCDE/loop")));

    ManualClock clock;
    TFileFind find;
    find.ProgramFolder = path("tavrin") + "/";
    find.Waits = &clock;
    QStringList list {path("DCIM/MISC")};
    find.CollectSubfolders(dir.path(), list);
    EXPECT_EQ(list,
              (QStringList {path("DCIM/MISC"), path("DCIM"), path("DCIM/100ABCDE"),
                            path("DCIM/100ABCDE/inner"), path("DCIM/101_FUJI"), path("tavrin2")}));
    EXPECT_EQ(clock.Pumps(), 5);
}

TEST(FileFindPaths, InsideMeansTheFolderOrBelowIt)
{
    EXPECT_TRUE(TFileFind::IsInside("/a/b", "/a/b"));
    EXPECT_TRUE(TFileFind::IsInside("/a/b/c", "/a/b/"));
    EXPECT_FALSE(TFileFind::IsInside("/a/bc", "/a/b"));
    EXPECT_FALSE(TFileFind::IsInside("/A/b/c", "/a/b"));
    EXPECT_FALSE(TFileFind::IsInside("/a/b", ""));
}

} // namespace
