#include "common/BoundedFile.h"
#include "common/SaveFile.h"
#include "common/ShownText.h"

#include "support/Fifo.h"
#include "support/Files.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class BoundedFileTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString &name) const { return dir.filePath(name); }

    QTemporaryDir dir;
};

TEST_F(BoundedFileTest, ReadsOnlyRegularFilesUpToTheLimit)
{
    ASSERT_TRUE(testfiles::write(path("ten.txt"), "0123456789"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    TestFifo fifo(path("fifo"), "0123456789");
    ASSERT_TRUE(fifo.made());
    const struct
    {
        QString path;
        qint64 limit;
        FileFault fault;
        QByteArray bytes;
    } cases[] = {
        {path("ten.txt"), 10, FileFault::None, "0123456789"},
        {path("ten.txt"), 9, FileFault::TooLarge, ""},
        {path("none.txt"), 10, FileFault::Missing, ""},
        {path("none/x.txt"), 10, FileFault::Missing, ""},
        {path("folder"), 10, FileFault::NotRegular, ""},
        {path("fifo"), 10, FileFault::NotRegular, ""},
        {"/dev/zero", 10, FileFault::NotRegular, ""},
        // Files of /proc give 0 as their size and then more bytes: the limit holds all the same.
        {"/proc/self/maps", 16, FileFault::TooLarge, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const FileRead r = ReadRegularFile(c.path, c.limit);
        EXPECT_EQ(r.fault, c.fault);
        EXPECT_EQ(bool(r), c.fault == FileFault::None);
        EXPECT_EQ(r.bytes, c.bytes);
        EXPECT_EQ(CheckRegularFile(c.path, c.limit), c.path.startsWith("/proc") ? FileFault::None : c.fault);
    }
    EXPECT_TRUE(fifo.stillFifo());
    EXPECT_EQ(ReadRegularFile(path("ten.txt"), 0).fault, FileFault::TooLarge);
    ASSERT_TRUE(testfiles::write(path("empty.txt"), ""));
    const FileRead empty = ReadRegularFile(path("empty.txt"), 0);
    EXPECT_TRUE(empty);
    EXPECT_TRUE(empty.bytes.isEmpty());
}

TEST_F(BoundedFileTest, AFileOpenedForItsPartsKeepsItsName)
{
    ASSERT_TRUE(testfiles::write(path("parts.bin"), "abcdefgh"));
    FileFault fault = FileFault::Unreadable;
    const std::unique_ptr<QFile> file = OpenRegularFile(path("parts.bin"), 8, &fault);
    ASSERT_TRUE(file);
    EXPECT_EQ(fault, FileFault::None);
    EXPECT_EQ(file->fileName(), path("parts.bin"));
    EXPECT_EQ(file->size(), 8);
    ASSERT_TRUE(file->seek(5));
    EXPECT_EQ(file->read(2), "fg");

    TestFifo fifo(path("fifo"), "abcdefgh");
    EXPECT_FALSE(OpenRegularFile(path("fifo"), 8, &fault));
    EXPECT_EQ(fault, FileFault::NotRegular);
    EXPECT_FALSE(OpenRegularFile(path("parts.bin"), 7, &fault));
    EXPECT_EQ(fault, FileFault::TooLarge);
    EXPECT_FALSE(OpenRegularFile(path("none"), 7));
}

TEST_F(BoundedFileTest, OnlyAFileOrNothingMayBeReplaced)
{
    ASSERT_TRUE(testfiles::write(path("old.txt"), "old"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    TestFifo fifo(path("fifo"), QByteArray());
    ASSERT_TRUE(QFile::link(path("old.txt"), path("to-file")));
    ASSERT_TRUE(QFile::link(path("fifo"), path("to-fifo")));
    ASSERT_TRUE(QFile::link("/dev/null", path("to-null")));
    const struct
    {
        QString path;
        bool replaceable;
    } cases[] = {
        {path("new.txt"), true}, {path("old.txt"), true},  {path("to-file"), true}, {path("folder"), false},
        {path("fifo"), false},   {path("to-fifo"), false}, {"/dev/null", false},    {path("to-null"), false},
        {path("none/x"), true}, // missing: the write itself fails
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(IsRegularOrMissing(c.path), c.replaceable);
    }

    EXPECT_TRUE(SaveWholeFile(path("to-file"), "new"));
    EXPECT_EQ(testfiles::read(path("old.txt")), "new");
    EXPECT_FALSE(SaveWholeFile(path("fifo"), "new"));
    EXPECT_FALSE(SaveWholeFile(path("to-fifo"), "new"));
    EXPECT_TRUE(fifo.stillFifo());
    EXPECT_TRUE(QFileInfo(path("to-fifo")).isSymLink());
}

// A working file is never written through a link: one at the path is refused, and the file that is
// written is a new one of ours (the link's target stays as it was).
TEST_F(BoundedFileTest, AWorkingFileIsNotWrittenThroughASymbolicLink)
{
    ASSERT_TRUE(testfiles::write(path("victim"), "precious"));
    ASSERT_TRUE(QFile::link(path("victim"), path("tmp.jpg")));
    ASSERT_TRUE(QFile::link(path("missing"), path("dangling.jpg")));
    for (const QString &link : {path("tmp.jpg"), path("dangling.jpg")}) {
        SCOPED_TRACE(link.toStdString());
        EXPECT_TRUE(IsSymLink(link));
        EXPECT_FALSE(SaveWholeFile(link, "overwritten", FileAccess::NoLinks));
        EXPECT_TRUE(QFileInfo(link).isSymLink());
    }
    EXPECT_EQ(testfiles::read(path("victim")), "precious");
    EXPECT_FALSE(QFile::exists(path("missing")));
    EXPECT_EQ(SymLinkRefusedText(path("tmp.jpg")),
              QStringLiteral("作業ファイル %1 がシンボリックリンクになっているため、書き込みませんでした。\n"
                             "リンクを削除してからやり直して下さい。")
                  .arg(path("tmp.jpg")));

    // A file there is replaced; the new one is the user's alone, and nothing else is left behind.
    ASSERT_TRUE(testfiles::write(path("tmp.bmp"), "old"));
    EXPECT_FALSE(IsSymLink(path("tmp.bmp")));
    EXPECT_TRUE(SaveWholeFile(path("tmp.bmp"), "new", FileAccess::NoLinks));
    EXPECT_EQ(testfiles::read(path("tmp.bmp")), "new");
    EXPECT_TRUE(SaveWholeFile(path("capture.bmp"), "made", FileAccess::NoLinks));
    EXPECT_EQ(QFileInfo(path("capture.bmp")).permissions(),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden).size(), 5);
}

TEST(ShownTextTest, ControlCharactersAreShownAsEscapesAndLongTextsCut)
{
    const struct
    {
        QString text;
        QString escaped;
    } cases[] = {
        {"plain 日本語", "plain 日本語"},
        {"a\rb\nc\td", "a\\rb\\nc\\td"},
        {QString::fromUtf8("\x1b[2J\x1b]0;title\x07"), "\\x1B[2J\\x1B]0;title\\x07"},
        {QString(QChar(0)) + QChar(0x7F) + QChar(0x9B) + QChar(0xA0),
         "\\x00\\x7F\\x9B" + QString(QChar(0xA0))},
    };
    for (const auto &c : cases)
        EXPECT_EQ(EscapeControls(c.text), c.escaped);
    EXPECT_EQ(EscapeControls("a\tb\nc\r", u"\n\t"), "a\tb\nc\\r");

    EXPECT_EQ(Excerpt("short"), "short");
    EXPECT_EQ(Excerpt(QString(40, 'x')), QString(40, 'x'));
    EXPECT_EQ(Excerpt(QString(41, 'x')), QString(40, 'x') + QChar(0x2026));
    EXPECT_EQ(Excerpt("ab\x1b"
                      "cdef",
                      3),
              "ab\\x1B" + QString(QChar(0x2026)));
    // A character outside the basic plane is never cut in half.
    EXPECT_EQ(Excerpt("ab" + QString::fromUtf8("😀") + "c", 3), "ab" + QString(QChar(0x2026)));
}

} // namespace
