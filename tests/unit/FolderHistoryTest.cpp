#include "mainwindow/model/FolderHistory.h"
#include "support/Fifo.h"
#include "common/Sjis.h"
#include "support/FakeShell.h"
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
    ASSERT_TRUE(testfiles::write(
        file(), Sjis::encode("ﾏｲﾄﾞｷｭﾒﾝﾄ/写真\r\n/media/card/DCIM/100ABCDE\r\n\r\n/tmp\n/last")));
    FolderHistory history(work());
    ASSERT_TRUE(history.Load());
    EXPECT_EQ(history.Items(),
              (QStringList {"ﾏｲﾄﾞｷｭﾒﾝﾄ/写真", "/media/card/DCIM/100ABCDE", "", "/tmp", "/last"}));
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

// A history that could not be read is never written back over: the run's folders are not worth the
// file's. A history that would come out larger than the reader takes loses its oldest entries.
TEST_F(FolderHistoryTest, AFileThatWasNotReadIsLeftAsItIsAndTheWriterStaysUnderTheLimit)
{
    QByteArray large = "/tmp\r\n";
    large += QByteArray(FolderHistory::kMaxFileBytes, 'x');
    ASSERT_TRUE(testfiles::write(file(), large));
    FolderHistory history(work());
    EXPECT_FALSE(history.Load());
    EXPECT_EQ(history.Unread(), QStringLiteral("ファイルが大きすぎます（65536 バイトまで）"));
    history.RememberFolder("/home/u/new");
    EXPECT_FALSE(history.Save());
    EXPECT_EQ(testfiles::read(file()), large);

    ASSERT_TRUE(QFile::remove(file()));
    {
        TestFifo fifo(file(), "/tmp\r\n");
        ASSERT_TRUE(fifo.made());
        FolderHistory other(work());
        EXPECT_FALSE(other.Load());
        EXPECT_FALSE(other.Unread().isEmpty());
        EXPECT_FALSE(other.Save());
        EXPECT_TRUE(fifo.stillFifo());
    }

    // Missing is no fault: the first save makes the file.
    FolderHistory fresh(work());
    EXPECT_FALSE(fresh.Load());
    EXPECT_EQ(fresh.Unread(), QString());
    const QString longest = "/" + QString(30000, QChar(u'写'));
    fresh.SetItems({"/newest", longest, "/older", longest});
    ASSERT_TRUE(fresh.Save());
    EXPECT_EQ(testfiles::read(file()), "/newest\r\n" + Sjis::encode(longest) + "\r\n/older\r\n");
    EXPECT_EQ(fresh.Items(), (QStringList {"/newest", longest, "/older"}));
    FolderHistory again(work());
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.Items().size(), 3);
}

class DisplayPathTest : public FolderHistoryTest
{
protected:
    DisplayPathTest()
    {
        shell.documents = "/home/u/Documents";
        shell.desktop = "/home/u/Desktop";
    }
    FakeShell shell;
};

TEST_F(DisplayPathTest, SpecialFoldersBecomeTheirWordsAndBack)
{
    const struct
    {
        QString real;
        QString display;
    } cases[] = {
        {"/home/u/Documents/写真", "ﾏｲﾄﾞｷｭﾒﾝﾄ/写真"},
        {"/home/u/Documents", "ﾏｲﾄﾞｷｭﾒﾝﾄ"},
        {"/home/u/Desktop/new", "ﾃﾞｽｸﾄｯﾌﾟ/new"},
        {"/home/u/Documents2/x", "/home/u/Documents2/x"},
        {"/home/u/documents/x", "/home/u/documents/x"},
        {"/media/card/DCIM/100ABCDE", "/media/card/DCIM/100ABCDE"},
        {"", ""},
    };
    FolderHistory history(work(), &shell);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.real.toStdString());
        EXPECT_EQ(history.ToDisplayPath(c.real), c.display);
        EXPECT_EQ(history.ToRealPath(c.display), c.real);
    }
    // The words count only at the start and in their own letters.
    EXPECT_EQ(history.ToRealPath("/x/ﾏｲﾄﾞｷｭﾒﾝﾄ"), "/x/ﾏｲﾄﾞｷｭﾒﾝﾄ");
    EXPECT_EQ(history.ToRealPath("ﾏｲﾄﾞｷｭﾒﾝﾄ2/a"), "/home/u/Documents2/a");
}

TEST_F(DisplayPathTest, TheDocumentsWordComesFirstForADesktopInsideThem)
{
    shell.desktop = "/home/u/Documents/Desk";
    FolderHistory history(work(), &shell);
    EXPECT_EQ(history.ToDisplayPath("/home/u/Documents/Desk/a"), "ﾏｲﾄﾞｷｭﾒﾝﾄ/Desk/a");
    EXPECT_EQ(history.ToRealPath("ﾏｲﾄﾞｷｭﾒﾝﾄ/Desk/a"), "/home/u/Documents/Desk/a");
    EXPECT_EQ(history.ToRealPath("ﾃﾞｽｸﾄｯﾌﾟ/a"), "/home/u/Documents/Desk/a");
}

TEST_F(DisplayPathTest, UnknownSpecialFoldersMatchNothing)
{
    shell.documents.clear();
    shell.desktop.clear();
    FolderHistory history(work(), &shell);
    EXPECT_EQ(history.ToDisplayPath("/home/u/Documents/a"), "/home/u/Documents/a");
    EXPECT_EQ(history.ToRealPath("ﾏｲﾄﾞｷｭﾒﾝﾄ/a"), "ﾏｲﾄﾞｷｭﾒﾝﾄ/a");
    FolderHistory withoutShell(work());
    EXPECT_EQ(withoutShell.ToDisplayPath("/home/u/Documents/a"), "/home/u/Documents/a");
}

TEST_F(DisplayPathTest, AFolderInTheDocumentsSurvivesTheirMove)
{
    FolderHistory history(work(), &shell);
    history.RememberFolder("/home/u/Documents/写真");
    ASSERT_TRUE(history.Save());
    EXPECT_EQ(testfiles::read(file()), Sjis::encode("ﾏｲﾄﾞｷｭﾒﾝﾄ/写真") + "\r\n");

    shell.documents = "/data/u/文書";
    FolderHistory next(work(), &shell);
    ASSERT_TRUE(next.Load());
    ASSERT_EQ(next.Items(), QStringList {"ﾏｲﾄﾞｷｭﾒﾝﾄ/写真"});
    EXPECT_EQ(next.ToRealPath(next.Items()[0]), "/data/u/文書/写真");
}

TEST_F(DisplayPathTest, RememberingMovesAnEntryOfAnyLetterCaseToTheTop)
{
    FolderHistory history(work(), &shell);
    history.SetItems({"/a", "/media/card/dcim/100abcde", "/b"});

    history.RememberFolder("/media/CARD/DCIM/100ABCDE");
    EXPECT_EQ(history.Items(), (QStringList {"/media/CARD/DCIM/100ABCDE", "/a", "/b"}));

    history.RememberFolder("/home/u/Documents/new");
    EXPECT_EQ(history.Items(), (QStringList {"ﾏｲﾄﾞｷｭﾒﾝﾄ/new", "/media/CARD/DCIM/100ABCDE", "/a", "/b"}));

    // An empty folder box gives an empty entry, once.
    history.RememberFolder("");
    history.RememberFolder("/a");
    history.RememberFolder("");
    EXPECT_EQ(history.Items(), (QStringList {"", "/a", "ﾏｲﾄﾞｷｭﾒﾝﾄ/new", "/media/CARD/DCIM/100ABCDE", "/b"}));
    EXPECT_EQ(history.IndexOf("/MEDIA/card/dcim/100ABCDE"), 3);
    EXPECT_EQ(history.IndexOf("/c"), -1);
}

TEST_F(DisplayPathTest, TwelveRememberedFoldersAreWrittenAsTheTenMostRecent)
{
    FolderHistory history(work(), &shell);
    for (int i = 0; i < 12; ++i)
        history.RememberFolder(QString("/f%1").arg(i));
    EXPECT_EQ(history.Items().size(), 12);
    ASSERT_TRUE(history.Save());

    FolderHistory next(work(), &shell);
    ASSERT_TRUE(next.Load());
    QStringList expected;
    for (int i = 11; i >= 2; --i)
        expected << QString("/f%1").arg(i);
    EXPECT_EQ(next.Items(), expected);
}

} // namespace
