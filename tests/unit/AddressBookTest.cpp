#include "mail/AddressBook.h"
#include "common/Sjis.h"

#include "support/Fifo.h"
#include "support/FileSizeLimit.h"
#include "support/Files.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TMailAddress person(const char *name, const char *address)
{
    TMailAddress e;
    e.Name = QString::fromUtf8(name);
    e.Address = QString::fromUtf8(address);
    return e;
}

QList<TMailAddress> contentOf(const TAddressBook &book)
{
    QList<TMailAddress> list;
    for (int i = 0; i < book.Count(); ++i)
        list.append(book.Get(i));
    return list;
}

QStringList addressesOf(const TAddressBook &book)
{
    QStringList list;
    for (int i = 0; i < book.Count(); ++i)
        list.append(book.Get(i).Address);
    return list;
}

QByteArray lines(const QList<QByteArray> &list)
{
    QByteArray bytes;
    for (const QByteArray &line : list)
        bytes += line + "\r\n";
    return bytes;
}

class AddressBook : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString &name) const { return dir.filePath(name); }
    void write(const QString &name, const QByteArray &bytes)
    {
        ASSERT_TRUE(testfiles::write(path(name), bytes));
    }
    QByteArray read(const QString &name) const { return testfiles::read(path(name)); }

    // The failure of loading name: its message, file and line.
    AddressBookError loadFailure(TAddressBook &book, const QString &name)
    {
        try {
            book.Load(name);
        } catch (const AddressBookError &e) {
            return e;
        }
        ADD_FAILURE() << "the load did not fail";
        return AddressBookError(QString(), QString());
    }

    QTemporaryDir dir;
    const QString book = QStringLiteral("Tavrin.ADX");
};

TEST_F(AddressBook, WritesSevenLinesAnEntryAndReadsThemBack)
{
    TMailAddress abc = person("ABC", "abc1");
    abc.ServerRoute = true;
    abc.SizePreset = 2;
    abc.QualityLevel = 2;
    abc.Width = 240;
    abc.Height = 320;
    TMailAddress japanese = person("山田 花子", "hanako@docomo.ne.jp");
    TMailAddress nameless = person("", "x@example.com");

    TAddressBook list(dir.path());
    list.Append(abc);
    list.Append(japanese);
    list.Append(nameless);
    list.Save(book);
    EXPECT_EQ(read(book),
              lines({"ABC",
                     "abc1",
                     "-1",
                     "2",
                     "2",
                     "240",
                     "320", //
                     Sjis::encode(japanese.Name),
                     "hanako@docomo.ne.jp",
                     "0",
                     "1",
                     "1",
                     "132",
                     "176", //
                     "",
                     "x@example.com",
                     "0",
                     "1",
                     "1",
                     "132",
                     "176"}));

    TAddressBook loaded(dir.path());
    EXPECT_EQ(loaded.Load(book), 3);
    EXPECT_EQ(contentOf(loaded), (QList<TMailAddress> {abc, japanese, nameless}));
}

TEST_F(AddressBook, AnEmptyListIsAnEmptyFile)
{
    TAddressBook list(dir.path());
    list.Append(person("A", "a"));
    EXPECT_EQ(list.Remove(0), 0);
    list.Save(book);
    EXPECT_TRUE(QFile::exists(path(book)));
    EXPECT_EQ(read(book), QByteArray());

    TAddressBook loaded(dir.path());
    loaded.Append(person("old", "old"));
    EXPECT_EQ(loaded.Load(book), 0);
    EXPECT_EQ(loaded.Count(), 0);
    // A missing file is an empty list too.
    loaded.Append(person("old", "old"));
    EXPECT_EQ(loaded.Load(QStringLiteral("History.ADX")), 0);
    EXPECT_EQ(loaded.Count(), 0);
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("History.ADX"))));
}

TEST_F(AddressBook, ReadsEveryKindOfLineEnd)
{
    write(book,
          "A\r\na\r-1\n1\r\n0\n120\r120\r\n"
          "B\nb\n0\n2\n2\n240\n320"); // the last line has no end
    TAddressBook list(dir.path());
    ASSERT_EQ(list.Load(book), 2);
    TMailAddress a = person("A", "a");
    a.ServerRoute = true;
    a.QualityLevel = 0;
    a.Width = 120;
    a.Height = 120;
    TMailAddress b = person("B", "b");
    b.SizePreset = 2;
    b.QualityLevel = 2;
    b.Width = 240;
    b.Height = 320;
    EXPECT_EQ(contentOf(list), (QList<TMailAddress> {a, b}));
}

TEST_F(AddressBook, ReadsTheServerRouteAsANumberOrAWord)
{
    const struct
    {
        const char *line;
        bool route;
    } cases[] = {
        {"1", true},    {"5", true},      {"-1", true},     {"+3", true}, {"007", true},
        {"True", true}, {"true", true},   {"TRUE", true},   {"0", false}, {"-0", false},
        {"000", false}, {"False", false}, {"fAlSe", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        write(book, lines({"A", "a", c.line, "1", "1", "132", "176"}));
        TAddressBook list(dir.path());
        ASSERT_EQ(list.Load(book), 1);
        EXPECT_EQ(list.Get(0).ServerRoute, c.route);
    }
}

TEST_F(AddressBook, KeepsValuesOutsideTheListedOnes)
{
    const QByteArray file = lines(
        {"A", "a", "0", "7", "-1", "0", "-5", "B", "b", "0", "-128", "127", "2147483647", "-2147483648"});
    write(book, file);
    TAddressBook list(dir.path());
    ASSERT_EQ(list.Load(book), 2);
    EXPECT_EQ(list.Get(0).SizePreset, 7);
    EXPECT_EQ(list.Get(0).QualityLevel, -1);
    EXPECT_EQ(list.Get(1).SizePreset, -128);
    EXPECT_EQ(list.Get(1).Height, INT32_MIN);
    list.Save(QStringLiteral("copy.ADX"));
    EXPECT_EQ(read(QStringLiteral("copy.ADX")), file);
}

TEST_F(AddressBook, FourteenLinesAreTwoEntriesAndFifteenFail)
{
    QList<QByteArray> fourteen;
    for (int i = 0; i < 2; ++i)
        fourteen += {"N", "a", "0", "1", "1", "132", "176"};
    write(book, lines(fourteen));
    TAddressBook list(dir.path());
    EXPECT_EQ(list.Load(book), 2);

    write(book, lines(fourteen) + "N\r\n");
    list.Append(person("kept", "kept"));
    const AddressBookError e = loadFailure(list, book);
    EXPECT_EQ(e.Line(), 15);
    EXPECT_EQ(e.FileName(), path(book));
    EXPECT_EQ(e.Message(),
              QStringLiteral("アドレス帳 %1 の 15 行目からの項目が途中で終わっています（1件は7行です）。")
                  .arg(path(book)));
    // Nothing changes: neither the list nor the file.
    EXPECT_EQ(addressesOf(list), (QStringList {"a", "a", "kept"}));
    EXPECT_EQ(read(book), lines(fourteen) + "N\r\n");
}

TEST_F(AddressBook, SaysWhichLineCannotBeRead)
{
    const struct
    {
        QList<QByteArray> file;
        int line;
        const char *message;
    } cases[] = {
        {{"A", "a", "yes", "1", "1", "132", "176"}, 3, "「yes」は数値または True/False"},
        {{"A", "a", "", "1", "1", "132", "176"}, 3, "「」は数値または True/False"},
        {{"A", "a", " 1", "1", "1", "132", "176"}, 3, "「 1」は数値または True/False"},
        {{"A", "a", "0", "1", "1", "132", "176", "B", "b", "0", "one", "1", "132", "176"},
         11,
         "「one」は-128 から 127 の整数"},
        {{"A", "a", "0", "1", "300", "132", "176"}, 5, "「300」は-128 から 127 の整数"},
        {{"A", "a", "0", "1", "1", "1.5", "176"}, 6, "「1.5」は整数"},
        {{"A", "a", "0", "1", "1", "132", "2147483648"}, 7, "「2147483648」は整数"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        write(book, lines(c.file));
        TAddressBook list(dir.path());
        const AddressBookError e = loadFailure(list, book);
        EXPECT_EQ(e.Line(), c.line);
        EXPECT_EQ(e.Message(),
                  QStringLiteral("アドレス帳 %1 の %2 行目を読み込めません: ").arg(path(book)).arg(c.line)
                      + QString::fromUtf8(c.message) + QStringLiteral("ではありません。"));
        EXPECT_EQ(list.Count(), 0);
    }
}

TEST_F(AddressBook, QuotesOnlyAShortPieceOfALineItCannotRead)
{
    // Forty characters of the line, the escape character shown as such.
    write(book, lines({"A", "a", "\x1b[31m" + QByteArray(100, 'y'), "1", "1", "132", "176"}));
    TAddressBook list(dir.path());
    const AddressBookError e = loadFailure(list, book);
    EXPECT_EQ(e.Line(), 3);
    EXPECT_EQ(e.Message(),
              QStringLiteral("アドレス帳 %1 の 3 行目を読み込めません: 「\\x1B[31m%2…」は数値または "
                             "True/Falseではありません。")
                  .arg(path(book), QString(35, 'y')));
}

TEST_F(AddressBook, ReadsOnlyRegularFilesOfAnAddressBooksSize)
{
    const QByteArray entry = lines({"A", "a", "0", "1", "1", "132", "176"});
    write("Big.ADX", entry);
    ASSERT_TRUE(QFile::resize(path("Big.ADX"), TAddressBook::kMaxFileBytes + 1));
    ASSERT_TRUE(QDir(dir.path()).mkdir("Folder.ADX"));
    TestFifo fifo(path("Fifo.ADX"), entry);
    TestFifo older(path("Older.ADR"), QByteArray("Old").leftJustified(32) + "o@x");
    ASSERT_TRUE(fifo.made() && older.made());
    const QString notRegular
        = QStringLiteral("通常のファイルではありません（デバイス、FIFO、フォルダーなど）");
    const struct
    {
        QString name;
        QString file;
        QString reason;
    } cases[] = {
        {"Big.ADX", path("Big.ADX"), QStringLiteral("ファイルが大きすぎます（4194304 バイトまで）")},
        {"Folder.ADX", path("Folder.ADX"), notRegular},
        {"Fifo.ADX", path("Fifo.ADX"), notRegular},
        {"Older.ADX", path("Older.ADR"), notRegular},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        TAddressBook list(dir.path());
        list.Append(person("Kept", "kept"));
        const AddressBookError e = loadFailure(list, c.name);
        EXPECT_EQ(e.Message(), QStringLiteral("アドレス帳 %1 を読めません: %2").arg(c.file, c.reason));
        EXPECT_EQ(e.FileName(), c.file);
        EXPECT_EQ(list.Count(), 1);
    }
    EXPECT_TRUE(fifo.stillFifo());
    EXPECT_TRUE(older.stillFifo());
    EXPECT_FALSE(QFile::exists(path("Older.ADX")));
    try {
        TAddressBook::ReadFile("/dev/zero");
        ADD_FAILURE() << "no failure";
    } catch (const AddressBookError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("アドレス帳 /dev/zero を読めません: ") + notRegular);
    }
}

TEST_F(AddressBook, ASaveThatCannotWriteFailsAndNamesTheFile)
{
    TAddressBook list(dir.filePath(QStringLiteral("missing-folder")));
    list.Append(person("A", "a"));
    try {
        list.Save(book);
        FAIL() << "no failure";
    } catch (const AddressBookError &e) {
        const QString file = dir.filePath(QStringLiteral("missing-folder/Tavrin.ADX"));
        EXPECT_EQ(e.Message(), QStringLiteral("アドレス帳 %1 に書き込めません。").arg(file));
        EXPECT_EQ(e.FileName(), file);
    }
}

TEST_F(AddressBook, FindsTheFirstAddressWithoutRegardToCase)
{
    TAddressBook list(dir.path());
    list.Append(person("A", "abc1"));
    list.Append(person("B", "ABC1"));
    list.Append(person("C", "ｍａｉｌ@example.com"));
    EXPECT_EQ(list.Find(QStringLiteral("ABC1")), 0);
    EXPECT_EQ(list.Find(QStringLiteral("abc1")), 0);
    EXPECT_EQ(list.Find(QString::fromUtf8("ＭＡＩＬ@EXAMPLE.COM")), 2);
    EXPECT_EQ(list.Find(QStringLiteral("abc")), -1);
    EXPECT_EQ(list.Find(QString()), -1);
}

TEST_F(AddressBook, InsertsMovesAndRemovesByPosition)
{
    TAddressBook list(dir.path());
    EXPECT_EQ(list.Append(person("", "a")), 1);
    EXPECT_EQ(list.Append(person("", "c")), 2);
    EXPECT_EQ(list.Insert(person("", "b"), 1), 3);
    EXPECT_EQ(list.Insert(person("", "d"), 3), 4);
    EXPECT_EQ(addressesOf(list), (QStringList {"a", "b", "c", "d"}));
    list.Move(0, 2);
    EXPECT_EQ(addressesOf(list), (QStringList {"b", "c", "a", "d"}));
    list.Move(3, 0);
    EXPECT_EQ(addressesOf(list), (QStringList {"d", "b", "c", "a"}));
    EXPECT_EQ(list.Remove(1), 3);
    EXPECT_EQ(addressesOf(list), (QStringList {"d", "c", "a"}));
    EXPECT_THROW(list.Get(3), std::out_of_range);
    EXPECT_THROW(list.Insert(person("", "x"), 4), std::out_of_range);
    EXPECT_THROW(list.Move(0, 3), std::out_of_range);
    EXPECT_THROW(list.Remove(-1), std::out_of_range);
}

TEST_F(AddressBook, AnEntryHandedOutStaysTheListsAndStaysValid)
{
    TAddressBook list(dir.path());
    list.Append(person("first", "first@example.com"));
    TMailAddress &first = list.Get(0);
    for (int i = 0; i < 1000; ++i)
        list.Insert(person("", "x"), 0);
    first.Width = 240; // edited in place, as the address book window does
    EXPECT_EQ(list.Get(1000).Name, "first");
    EXPECT_EQ(list.Get(1000).Width, 240);
    // Append and Insert store copies.
    TMailAddress given = person("given", "g");
    list.Append(given);
    given.Name = QStringLiteral("changed");
    EXPECT_EQ(list.Get(list.Count() - 1).Name, "given");
}

TEST_F(AddressBook, RemembersTheLastRecipientFirst)
{
    TAddressBook history(dir.path());
    history.Append(person("A", "a@x"));
    history.Append(person("B", "b@x"));
    history.Append(person("C", "c@x"));
    history.RememberRecipient(person("D", "d@x"));
    EXPECT_EQ(addressesOf(history), (QStringList {"d@x", "a@x", "b@x", "c@x"}));

    TMailAddress b = person("B again", "B@X");
    b.ServerRoute = true;
    b.SizePreset = 3;
    b.Width = 200;
    history.RememberRecipient(b);
    EXPECT_EQ(addressesOf(history), (QStringList {"B@X", "d@x", "a@x", "c@x"}));
    EXPECT_EQ(history.Get(0), b);
}

TEST_F(AddressBook, TheHistoryKeepsItsTenMostRecent)
{
    TAddressBook history(dir.path());
    for (int i = 0; i < 12; ++i)
        history.Append(person("", QByteArray::number(i)));
    history.TrimTo(TAddressBook::kHistoryLimit);
    EXPECT_EQ(addressesOf(history), (QStringList {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}));
    history.Save(QStringLiteral("History.ADX"));
    TAddressBook loaded(dir.path());
    EXPECT_EQ(loaded.Load(QStringLiteral("History.ADX")), 10);
    history.TrimTo(TAddressBook::kHistoryLimit);
    EXPECT_EQ(history.Count(), 10);
}

// An older fixed-column line: the name padded to 32 bytes, the address to 48, then the flag word.
QByteArray olderLine(const QByteArray &name, const QByteArray &address, const QByteArray &flag)
{
    return name.leftJustified(32, ' ') + address.leftJustified(48, ' ') + flag;
}

TEST_F(AddressBook, ConvertsAnOlderFileOnce)
{
    const QByteArray name32 = "Name That Fills All 32 Columns!!";
    const QByteArray address48 = "a.forty-eight-character.address@docomo.ne.jp.xyz";
    ASSERT_EQ(name32.size(), 32);
    ASSERT_EQ(address48.size(), 48);
    const QByteArray japanese = Sjis::encode(QString::fromUtf8("山田 花子"));
    write(QStringLiteral("Tavrin.ADR"),
          olderLine(name32, address48, "USE_FTP") + "\r\n"
              + olderLine(japanese, "h@ezweb.ne.jp", "not_use_ftp") + "\r\n" + "\t Short \x01\r\n"
              + olderLine(" pad ", " b@x ", " use_ftp \t"));

    TAddressBook list(dir.path());
    ASSERT_EQ(list.Load(book), 4);
    TMailAddress first = person("", "");
    first.Name = QString::fromLatin1(name32);
    first.Address = QString::fromLatin1(address48);
    first.ServerRoute = true;
    TMailAddress second = person("山田 花子", "h@ezweb.ne.jp");
    TMailAddress third = person("Short", "");
    TMailAddress fourth = person("pad", "b@x");
    fourth.ServerRoute = true;
    EXPECT_EQ(contentOf(list), (QList<TMailAddress> {first, second, third, fourth}));

    EXPECT_FALSE(QFile::exists(path(QStringLiteral("Tavrin.ADR"))));
    EXPECT_EQ(read(book), TAddressBook::FileBytes({first, second, third, fourth}));
    EXPECT_EQ(read(book).left(46), name32 + "\r\n" + address48.left(12));

    // Once converted, the next load reads the new file alone.
    list.Get(0).Name = QStringLiteral("Edited");
    list.Save(book);
    TAddressBook again(dir.path());
    ASSERT_EQ(again.Load(book), 4);
    EXPECT_EQ(again.Get(0).Name, "Edited");
}

// Beside a current book the older file is neither converted over it nor deleted: the entries made
// since the conversion would be lost, and the older ones with the deleted file.
TEST_F(AddressBook, AnOlderFileBesideTheCurrentOneLeavesBothAsTheyAre)
{
    const QByteArray older = olderLine("Older", "o@x", "use_ftp") + "\r\n";
    const QByteArray current = lines({"Newer", "n@example.com", "0", "1", "1", "132", "176"});
    for (const char *name : {"Tavrin", "History"}) {
        SCOPED_TRACE(name);
        const QString adr = QString::fromLatin1(name) + ".ADR";
        const QString adx = QString::fromLatin1(name) + ".ADX";
        write(adr, older);
        write(adx, current);
        TAddressBook list(dir.path());
        ASSERT_EQ(list.Load(adx), 1);
        EXPECT_EQ(list.Get(0), person("Newer", "n@example.com"));
        EXPECT_EQ(read(adx), current);
        EXPECT_EQ(read(adr), older);
    }
}

TEST_F(AddressBook, TheOlderHistoryConvertsIntoTheHistory)
{
    write(QStringLiteral("History.ADR"), olderLine("Recent", "r@pdx.ne.jp", "not_use_ftp") + "\r\n");
    write(book, lines({"Book", "book@example.com", "0", "1", "1", "132", "176"}));
    const QByteArray bookBefore = read(book);

    TAddressBook history(dir.path());
    ASSERT_EQ(history.Load(QStringLiteral("History.ADX")), 1);
    EXPECT_EQ(history.Get(0), person("Recent", "r@pdx.ne.jp"));
    EXPECT_EQ(read(QStringLiteral("History.ADX")),
              lines({"Recent", "r@pdx.ne.jp", "0", "1", "1", "132", "176"}));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("History.ADR"))));
    EXPECT_EQ(read(book), bookBefore);
}

TEST_F(AddressBook, AConversionThatCannotWriteKeepsTheOlderFile)
{
    const QByteArray older = olderLine("Older", "o@x", "use_ftp") + "\r\n";
    write(QStringLiteral("Tavrin.ADR"), older);
    TAddressBook list(dir.path());
    list.Append(person("kept", "kept"));
    FileSizeLimit full(8); // a disk that takes no more than 8 bytes a file
    ASSERT_TRUE(full.Set());
    const AddressBookError e = loadFailure(list, book);
    full.Restore();
    EXPECT_EQ(e.Message(), QStringLiteral("アドレス帳 %1 に書き込めません。").arg(path(book)));
    EXPECT_EQ(read(QStringLiteral("Tavrin.ADR")), older);
    EXPECT_FALSE(QFile::exists(path(book)));
    EXPECT_EQ(addressesOf(list), QStringList {"kept"});
}

// The reader takes lines ended by a lone LF, the writer ends each with CR LF: a book read just under
// the limit would be written above it, and the next start could not read it.
TEST_F(AddressBook, ABookThatWouldNotReadBackIsNotSavedAndTheOldFileStays)
{
    const QByteArray entry = "N\nn@example.com\n0\n1\n1\n132\n176\n";
    QByteArray file;
    while (file.size() + entry.size() <= TAddressBook::kMaxFileBytes)
        file += entry;
    write(book, file);
    TAddressBook list(dir.path());
    ASSERT_GT(list.Load(book), 0);
    try {
        list.Save(book);
        ADD_FAILURE() << "saved";
    } catch (const AddressBookError &e) {
        EXPECT_EQ(e.Message(),
                  QStringLiteral("アドレス帳 %1 は大きすぎるため保存できません。").arg(path(book)));
    }
    EXPECT_EQ(read(book), file);
    // Each entry takes 46 bytes as written.
    while (qint64(list.Count()) * 46 > TAddressBook::kMaxFileBytes)
        list.Remove(list.Count() - 1);
    list.Save(book);
    EXPECT_EQ(TAddressBook::ReadFile(path(book)).size(), list.Count());
}

TEST_F(AddressBook, ReadsTheFileAloneWithoutConverting)
{
    write(QStringLiteral("Tavrin.ADR"), olderLine("Older", "o@x", "use_ftp") + "\r\n");
    write(book, lines({"A", "a", "0", "1", "1", "132", "176"}));
    EXPECT_EQ(TAddressBook::ReadFile(path(book)), (QList<TMailAddress> {person("A", "a")}));
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("Tavrin.ADR"))));

    TMailAddressList older;
    ASSERT_TRUE(older.Load(path(QStringLiteral("Tavrin.ADR"))));
    ASSERT_EQ(older.Count(), 1);
    EXPECT_EQ(older.Name(0), "Older");
    EXPECT_EQ(older.Address(0), "o@x");
    EXPECT_EQ(older.Flag(0), "use_ftp");
    EXPECT_FALSE(older.Load(path(QStringLiteral("none.ADR"))));
    EXPECT_EQ(older.Count(), 0);
}

} // namespace
