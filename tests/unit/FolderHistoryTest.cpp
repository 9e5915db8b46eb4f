#include "common/Sjis.h"
#include "mainwindow/model/FolderHistory.h"
#include "support/Fifo.h"
#include "support/Files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class FolderHistoryTest : public ::testing::Test
{
protected:
    QString work() const { return dir.path() + '/'; }
    QString file() const { return dir.filePath("Folder.hst"); }
    QTemporaryDir dir;
};

TEST_F(FolderHistoryTest, AMissingFileLeavesTheListEmpty)
{
    FolderHistory history(work());
    EXPECT_FALSE(history.Load());
    EXPECT_TRUE(history.Items().isEmpty());
}

TEST_F(FolderHistoryTest, ReadsCp932LinesMostRecentFirst)
{
    ASSERT_TRUE(testfiles::write(file(), Sjis::encode("ﾏｲﾄﾞｷｭﾒﾝﾄ/写真\r\n/media/card/DCIM/100ABCDE\r\n\r\n/tmp\n/last")));
    FolderHistory history(work());
    ASSERT_TRUE(history.Load());
    EXPECT_EQ(history.Items(), (QStringList {"ﾏｲﾄﾞｷｭﾒﾝﾄ/写真", "/media/card/DCIM/100ABCDE", "", "/tmp", "/last"}));
}

TEST_F(FolderHistoryTest, SavesTheFirstTenLinesEachEndedByCrLf)
{
    FolderHistory history(work());
    QStringList items;
    for (int i = 0; i < 12; ++i)
        items << QString("/f%1").arg(i);
    items[0] = "ﾃﾞｽｸﾄｯﾌﾟ/新しいフォルダ";
    history.SetItems(items);
    ASSERT_TRUE(history.Save());

    QByteArray expected = Sjis::encode("ﾃﾞｽｸﾄｯﾌﾟ/新しいフォルダ") + "\r\n";
    for (int i = 1; i < 10; ++i)
        expected += QString("/f%1\r\n").arg(i).toLatin1();
    EXPECT_EQ(testfiles::read(file()), expected);
    EXPECT_EQ(history.Items().size(), 10);

    FolderHistory again(work());
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.Items(), items.mid(0, 10));
}

TEST_F(FolderHistoryTest, OnlyARegularFileOfAHistorysSizeIsRead)
{
    FolderHistory history(work());
    history.SetItems({"/kept"});
    {
        TestFifo fifo(file(), "/tmp\r\n");
        ASSERT_TRUE(fifo.made());
        EXPECT_FALSE(history.Load());
        EXPECT_TRUE(fifo.stillFifo());
    }
    ASSERT_TRUE(testfiles::write(file(), "/tmp\r\n"));
    ASSERT_TRUE(QFile::resize(file(), FolderHistory::kMaxFileBytes + 1));
    EXPECT_FALSE(history.Load());
    EXPECT_EQ(history.Items(), QStringList {"/kept"});
    ASSERT_TRUE(QFile::resize(file(), FolderHistory::kMaxFileBytes));
    ASSERT_TRUE(history.Load());
    EXPECT_EQ(history.Items().first(), "/tmp");
}

} // namespace
