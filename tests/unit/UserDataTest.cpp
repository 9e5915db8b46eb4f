#include "common/UserData.h"
#include "common/Sjis.h"
#include "support/Fifo.h"
#include "support/FileSizeLimit.h"
#include "support/Files.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

class UserDataTest : public ::testing::Test
{
protected:
    QString path() const { return dir.filePath("tav.ini"); }
    void writeIni(const QByteArray &bytes) { ASSERT_TRUE(testfiles::write(path(), bytes)); }
    QByteArray ini() const { return testfiles::read(path()); }

    QTemporaryDir dir;
};

// What a save from scratch writes with the constructor's defaults.
const QByteArray kDefaultFile
    = "[serial]\r\nMajor=2\r\nMinor=1\r\n"
      "[user]\r\nFromName=\r\nFromAddress=\r\nConnect=1\r\nSMTPServer=\r\nUserID=\r\n"
      "POPServer=\r\nPOP3UserID=\r\nUsePOP3=0\r\nUseSMTPAuth=0\r\nUseOP25B=0\r\n"
      "PassWord=\r\nSMTPPassword=\r\ncode=1\r\n"
      "[interval]\r\nStartHour=0\r\nStartMin=0\r\nInterval=4\r\n"
      "[FTP]\r\nTavrin=0\r\nHost=\r\nPort=\r\nUserID=\r\nFolder=\r\nUrl=\r\nUseServer=0\r\n"
      "Password=\r\n"
      "[pos]\r\nx=-1\r\ny=-1\r\n";

TEST_F(UserDataTest, WithoutAFileTheDefaultsStayAndTheFirstSaveWritesThemInOrder)
{
    TUserData s(dir.path());
    EXPECT_FALSE(s.LoadFromWorkFolder());
    EXPECT_TRUE(s.FilePath().isEmpty());
    EXPECT_EQ(s.Major, 2);
    EXPECT_EQ(s.Minor, 1);
    EXPECT_TRUE(s.Connect);
    EXPECT_EQ(s.Interval, 4);
    EXPECT_FALSE(s.StartPass);
    EXPECT_EQ(s.x, -1);
    EXPECT_EQ(s.y, -1);

    ASSERT_TRUE(s.SaveToWorkFolder());
    EXPECT_EQ(s.FilePath(), path());
    EXPECT_EQ(ini(), kDefaultFile);
}

TEST_F(UserDataTest, EveryFieldSurvivesASaveAndALoad)
{
    TUserData a(dir.path());
    a.Major = 3;
    a.Minor = 7;
    a.FromName = QString::fromUtf8("山田 太郎");
    a.FromAddress = "taro@example.jp";
    a.Connect = false;
    a.SMTPServer = "smtp.example.jp";
    a.UserID = "taro";
    a.SMTPPassword = "smtp-pw";
    a.POPServer = "pop.example.jp";
    a.POP3UserID = "taro.pop";
    a.PassWord = "pw";
    a.UsePOP3 = true;
    a.UseSMTPAuth = true;
    a.StartHour = 13;
    a.StartMin = 45;
    a.Interval = 9;
    a.Host = "ftp.example.jp";
    a.Port = "2121";
    a.FTPUserID = "ftpuser";
    a.FTPPassword = "ftp-pw";
    a.Folder = "/pub/pic";
    a.Url = "http://example.jp/pic/";
    a.UseServer = true;
    a.UseOP25B = true;
    a.x = 10;
    a.y = -20;
    ASSERT_TRUE(a.Save(path()));

    TUserData b;
    ASSERT_TRUE(b.Load(path()));
    EXPECT_EQ(b.Major, 3);
    EXPECT_EQ(b.Minor, 7);
    EXPECT_EQ(b.FromName, a.FromName);
    EXPECT_EQ(b.FromAddress, a.FromAddress);
    EXPECT_FALSE(b.Connect);
    EXPECT_EQ(b.SMTPServer, a.SMTPServer);
    EXPECT_EQ(b.UserID, a.UserID);
    EXPECT_EQ(b.SMTPPassword, a.SMTPPassword);
    EXPECT_EQ(b.POPServer, a.POPServer);
    EXPECT_EQ(b.POP3UserID, a.POP3UserID);
    EXPECT_EQ(b.PassWord, a.PassWord);
    EXPECT_TRUE(b.UsePOP3);
    EXPECT_TRUE(b.UseSMTPAuth);
    EXPECT_EQ(b.StartHour, 13);
    EXPECT_EQ(b.StartMin, 45);
    EXPECT_EQ(b.Interval, 9);
    EXPECT_EQ(b.Host, a.Host);
    EXPECT_EQ(b.Port, a.Port);
    EXPECT_EQ(b.FTPUserID, a.FTPUserID);
    EXPECT_EQ(b.FTPPassword, a.FTPPassword);
    EXPECT_EQ(b.Folder, a.Folder);
    EXPECT_EQ(b.Url, a.Url);
    EXPECT_TRUE(b.UseServer);
    EXPECT_TRUE(b.UseOP25B);
    EXPECT_EQ(b.x, 10);
    EXPECT_EQ(b.y, -20);
    EXPECT_EQ(b.FilePath(), path());
    // The file itself holds the name as CP932 and the passwords scrambled.
    EXPECT_TRUE(ini().contains("FromName=" + Sjis::encode(a.FromName) + "\r\n"));
    EXPECT_TRUE(ini().contains("PassWord=8F88\r\n"));
}

TEST_F(UserDataTest, KeysTheFileLacksTakeTheirMissingKeyValues)
{
    writeIni("[serial]\r\nMajor=5\r\n");
    TUserData s;
    s.Connect = true;
    s.Minor = 9;
    s.FromName = "old";
    ASSERT_TRUE(s.Load(path()));
    EXPECT_EQ(s.Major, 5);
    EXPECT_EQ(s.Minor, 0);
    EXPECT_FALSE(s.Connect); // dial-up, unlike the constructor's default
    EXPECT_TRUE(s.FromName.isEmpty());
    EXPECT_TRUE(s.StartPass);
    EXPECT_EQ(s.Interval, 4);
    EXPECT_EQ(s.x, -1);
    EXPECT_EQ(s.y, -1);
}

TEST_F(UserDataTest, PlainPasswordsOfAnOldFileAreReadAsTheyAreAndWrittenBackScrambled)
{
    writeIni("[user]\r\ncode=0\r\nPassWord=abc\r\n[FTP]\r\nPassword=xyz\r\n");
    TUserData s;
    ASSERT_TRUE(s.Load(path()));
    EXPECT_EQ(s.PassWord, "abc");
    EXPECT_EQ(s.SMTPPassword, "abc"); // falls back to "PassWord"
    EXPECT_EQ(s.FTPPassword, "xyz");

    ASSERT_TRUE(s.Save(path()));
    const QByteArray file = ini();
    EXPECT_TRUE(file.contains("[user]\r\ncode=1\r\nPassWord=9E9D9C\r\n")) << file.constData();
    EXPECT_TRUE(file.contains("SMTPPassword=9E9D9C\r\n"));
    EXPECT_TRUE(file.contains("Password=878685\r\n"));
}

TEST_F(UserDataTest, ScrambledSmtpPasswordFallsBackToTheScrambledPassword)
{
    writeIni("[user]\r\ncode=1\r\nPassWord=9E9D9C\r\n");
    TUserData s;
    ASSERT_TRUE(s.Load(path()));
    EXPECT_EQ(s.PassWord, "abc");
    EXPECT_EQ(s.SMTPPassword, "abc");
}

TEST_F(UserDataTest, ShiftJisPasswordsComeBackUnchanged)
{
    const QString password = QString::fromUtf8("パス①ﾜｰﾄﾞ～x");
    TUserData a;
    a.PassWord = password;
    a.SMTPPassword = password + "2";
    a.FTPPassword = password + "3";
    ASSERT_TRUE(a.Save(path()));
    // "パ" is 83 70 in CP932, stored as 7C 8F.
    EXPECT_TRUE(ini().contains("PassWord=7C8F"));

    TUserData b;
    ASSERT_TRUE(b.Load(path()));
    EXPECT_EQ(b.PassWord, password);
    EXPECT_EQ(b.SMTPPassword, password + "2");
    EXPECT_EQ(b.FTPPassword, password + "3");
}

// Bytes that are not valid CP932 do not survive a decode and encode: a value nobody changed goes
// back into the file as it was read; a value the user edits is written as the new text.
TEST_F(UserDataTest, ValuesThatAreNotValidShiftJisAreWrittenBackAsReadUntilChanged)
{
    // 82 alone is a lead byte without its trail byte; 80 and A0 are no characters of CP932.
    const QByteArray userId = "taro\x82";
    const QByteArray fromName = "\x80name\xA0";
    const QByteArray password = "pa\x82\x80ss\xFF";
    const QByteArray file = "[user]\r\nFromName=" + fromName + "\r\nUserID=" + userId + "\r\nPassWord="
        + TUserData::Scramble(password) + "\r\nSMTPPassword=" + TUserData::Scramble(password + "2")
        + "\r\ncode=1\r\n[FTP]\r\nPassword=" + TUserData::Scramble("\x81") + "\r\nHost=h\x81\r\n";
    writeIni(file);
    TUserData s;
    ASSERT_TRUE(s.Load(path()));
    ASSERT_TRUE(s.Save(path()));
    const QByteArray saved = ini();
    EXPECT_TRUE(saved.contains("\r\nUserID=" + userId + "\r\n")) << saved.constData();
    EXPECT_TRUE(saved.contains("\r\nPOP3UserID=" + userId + "\r\n"));
    EXPECT_TRUE(saved.contains("\r\nFromName=" + fromName + "\r\n"));
    EXPECT_TRUE(saved.contains("\r\nPassWord=" + TUserData::Scramble(password) + "\r\n"));
    EXPECT_TRUE(saved.contains("\r\nSMTPPassword=" + TUserData::Scramble(password + "2") + "\r\n"));
    EXPECT_TRUE(saved.contains("\r\nPassword=" + TUserData::Scramble("\x81") + "\r\n"));
    EXPECT_TRUE(saved.contains("\r\nHost=h\x81\r\n"));

    // Changed values are written as they now stand; the others stay as read.
    s.UserID = QStringLiteral("jiro");
    s.PassWord = QStringLiteral("新しい");
    ASSERT_TRUE(s.Save(path()));
    const QByteArray changed = ini();
    EXPECT_TRUE(changed.contains("\r\nUserID=jiro\r\n"));
    EXPECT_TRUE(changed.contains("\r\nPassWord=" + TUserData::Scramble(Sjis::encode(s.PassWord)) + "\r\n"));
    EXPECT_TRUE(changed.contains("\r\nPOP3UserID=" + userId + "\r\n"));
    EXPECT_TRUE(changed.contains("\r\nSMTPPassword=" + TUserData::Scramble(password + "2") + "\r\n"));

    // An unscrambled old file's password is kept byte for byte too (and written scrambled).
    writeIni("[user]\r\nPassWord=x\x82\r\n");
    TUserData old;
    ASSERT_TRUE(old.Load(path()));
    ASSERT_TRUE(old.Save(path()));
    EXPECT_TRUE(ini().contains("\r\nPassWord=" + TUserData::Scramble("x\x82") + "\r\n"));
}

// The file holds the password (scrambled, which anyone can undo): a new one is the user's alone, and
// one whose mode the user set keeps it.
TEST_F(UserDataTest, ANewSettingsFileIsTheOwnersAloneAndAnExistingOneKeepsItsMode)
{
    TUserData s;
    s.PassWord = QStringLiteral("secret");
    ASSERT_TRUE(s.Save(path()));
    EXPECT_EQ(QFileInfo(path()).permissions(),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    const QFile::Permissions chosen
        = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(path(), chosen));
    ASSERT_TRUE(s.Save(path()));
    EXPECT_EQ(QFileInfo(path()).permissions(), chosen);
}

// The next start must be able to read what a save wrote: a file that would come out larger than the
// reader's limit is not written, and the old one stays.
TEST_F(UserDataTest, ASaveThatWouldNotReadBackIsRefusedAndTheOldFileStays)
{
    const QByteArray comment = "; " + QByteArray(TUserData::kMaxFileBytes - 600, 'c') + "\r\n";
    writeIni(comment);
    TUserData s;
    ASSERT_TRUE(s.Load(path()));
    s.FromName = QString(400, QChar(u'x'));
    EXPECT_FALSE(s.Save(path()));
    EXPECT_EQ(ini(), comment);
    s.FromName.clear();
    EXPECT_TRUE(s.Save(path()));
    EXPECT_LE(QFileInfo(path()).size(), TUserData::kMaxFileBytes);
}

TEST(UserDataScramble, EachByteBecomesTwoHexDigitsOf255MinusIt)
{
    EXPECT_EQ(TUserData::Scramble("abc"), "9E9D9C");
    EXPECT_EQ(TUserData::Scramble(""), "");
    EXPECT_EQ(TUserData::Scramble(QByteArray("\x00\xff\x0f", 3)), "FF00F0");
}

TEST(UserDataScramble, UnscrambleTakesPairsOfHexDigitsAndRefusesAnythingElse)
{
    struct Case
    {
        QByteArray in;
        std::optional<QByteArray> out;
    };
    const Case cases[] = {
        {"9E9D9C", QByteArray("abc")},
        {"9e9d9c", QByteArray("abc")},
        {"", QByteArray()},
        {"FF00", QByteArray("\x00\xff", 2)},
        {"9E9", std::nullopt}, // odd length
        {"9G", std::nullopt}, // not hex
        {"9E 9D", std::nullopt},
        {"-1", std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(TUserData::Unscramble(c.in), c.out) << c.in.constData();
}

TEST_F(UserDataTest, AnUnusablePasswordValueLoadsItsMissingKeyValue)
{
    writeIni("[user]\r\ncode=1\r\nPassWord=9E9\r\nSMTPPassword=ZZ\r\n[FTP]\r\nPassword=9E9D9G\r\n");
    TUserData s;
    s.PassWord = "before";
    ASSERT_TRUE(s.Load(path()));
    EXPECT_EQ(s.PassWord, "");
    EXPECT_EQ(s.SMTPPassword, "");
    EXPECT_EQ(s.FTPPassword, "");

    writeIni("[user]\r\ncode=1\r\nPassWord=9E9D9C\r\nSMTPPassword=odd\r\n");
    ASSERT_TRUE(s.Load(path()));
    EXPECT_EQ(s.SMTPPassword, "abc"); // an unusable value takes the password's, as a missing one does
}

TEST_F(UserDataTest, TheDedicatedServerFlagIsFalseAfterEveryLoad)
{
    writeIni("[FTP]\r\nTavrin=1\r\n");
    TUserData s;
    s.DedicatedServer = true;
    ASSERT_TRUE(s.Load(path()));
    EXPECT_FALSE(s.DedicatedServer);
    // It is still written from memory.
    s.DedicatedServer = true;
    ASSERT_TRUE(s.Save(path()));
    EXPECT_TRUE(ini().contains("[FTP]\r\nTavrin=1\r\n"));
}

TEST_F(UserDataTest, Pop3UserIdFallsBackToUserIdAndTheNextSaveWritesIt)
{
    writeIni("[user]\r\nUserID=taro\r\n");
    TUserData s;
    ASSERT_TRUE(s.Load(path()));
    EXPECT_EQ(s.POP3UserID, "taro");
    ASSERT_TRUE(s.Save(path()));
    EXPECT_TRUE(ini().contains("POP3UserID=taro\r\n"));

    writeIni("[user]\r\nUserID=taro\r\nPOP3UserID=\r\n");
    ASSERT_TRUE(s.Load(path()));
    EXPECT_EQ(s.POP3UserID, ""); // present but empty is not missing
}

TEST_F(UserDataTest, StartPassIsReadButNeverWritten)
{
    writeIni("[interval]\r\nStartPass=0\r\nStartHour=7\r\n");
    TUserData s;
    ASSERT_TRUE(s.Load(path()));
    EXPECT_FALSE(s.StartPass);
    s.StartPass = true;
    ASSERT_TRUE(s.Save(path()));
    EXPECT_TRUE(ini().contains("[interval]\r\nStartPass=0\r\nStartHour=7\r\nStartMin=0\r\nInterval=4\r\n"))
        << ini().constData();

    writeIni("[interval]\r\nStartHour=7\r\n");
    ASSERT_TRUE(s.Load(path()));
    EXPECT_TRUE(s.StartPass);
    ASSERT_TRUE(s.Save(path()));
    EXPECT_FALSE(ini().contains("StartPass"));
}

TEST_F(UserDataTest, KeysAndSectionsItDoesNotKnowStayInPlace)
{
    writeIni("; written by hand\r\n"
             "[serial]\r\nMajor=2\r\nMinor=0\r\nBuild=77\r\n"
             "\r\n"
             "[other]\r\nkey = some value\r\nnot a key line\r\n"
             "\r\n"
             "[user]\r\nFromName=Taro\r\nExtra=\x82\xa0\r\n");
    TUserData s;
    ASSERT_TRUE(s.Load(path()));
    EXPECT_EQ(s.FromName, "Taro");
    ASSERT_TRUE(s.Save(path()));
    EXPECT_EQ(
        ini(),
        QByteArray("; written by hand\r\n"
                   "[serial]\r\nMajor=2\r\nMinor=0\r\nBuild=77\r\n"
                   "\r\n"
                   "[other]\r\nkey = some value\r\nnot a key line\r\n"
                   "\r\n"
                   "[user]\r\nFromName=Taro\r\nExtra=\x82\xa0\r\n"
                   "FromAddress=\r\nConnect=0\r\nSMTPServer=\r\nUserID=\r\nPOPServer=\r\nPOP3UserID=\r\n"
                   "UsePOP3=0\r\nUseSMTPAuth=0\r\nUseOP25B=0\r\nPassWord=\r\nSMTPPassword=\r\ncode=1\r\n"
                   "[interval]\r\nStartHour=0\r\nStartMin=0\r\nInterval=4\r\n"
                   "[FTP]\r\nTavrin=0\r\nHost=\r\nPort=\r\nUserID=\r\nFolder=\r\nUrl=\r\nUseServer=0\r\n"
                   "Password=\r\n"
                   "[pos]\r\nx=-1\r\ny=-1\r\n"));
}

TEST_F(UserDataTest, BadLinesAndValuesLoadTheMissingKeyValues)
{
    writeIni("garbage without equals\n"
             "=no key\n"
             "[serial\n" // unclosed section header still names the section
             "Major=abc\n"
             "Minor=12px\n"
             "[user]\n"
             "Connect=yes\n"
             "UsePOP3=-1\n"
             "UseSMTPAuth=2147483648\n"
             "  FromName  =  Taro  \n"
             "fromaddress=taro@example.jp\n"
             "FromAddress=second@example.jp\n"
             "[pos]\n"
             "x=\n"
             "y=+42\n");
    TUserData s;
    ASSERT_TRUE(s.Load(path()));
    EXPECT_EQ(s.Major, 2);
    EXPECT_EQ(s.Minor, 0);
    EXPECT_FALSE(s.Connect);
    EXPECT_TRUE(s.UsePOP3); // any number other than 0
    EXPECT_FALSE(s.UseSMTPAuth); // out of range: not a number
    EXPECT_EQ(s.FromName, "Taro");
    EXPECT_EQ(s.FromAddress, "taro@example.jp"); // names ignore case; the first one counts
    EXPECT_EQ(s.x, -1);
    EXPECT_EQ(s.y, 42);
}

TEST_F(UserDataTest, LineEndingsAndByteOrderMarksAreAllRead)
{
    const QByteArray name = Sjis::encode(QString::fromUtf8("太郎"));
    const struct
    {
        const char *what;
        QByteArray bytes;
    } cases[] = {
        {"CR LF", "[user]\r\nFromName=" + name + "\r\nUserID=u\r\n"},
        {"LF", "[user]\nFromName=" + name + "\nUserID=u"},
        {"CR", "[user]\rFromName=" + name + "\rUserID=u\r"},
        {"UTF-8 BOM",
         "\xEF\xBB\xBF[user]\r\nFromName=" + QString::fromUtf8("太郎").toUtf8() + "\r\nUserID=u\r\n"},
    };
    for (const auto &c : cases) {
        writeIni(c.bytes);
        TUserData s;
        ASSERT_TRUE(s.Load(path())) << c.what;
        EXPECT_EQ(s.FromName, QString::fromUtf8("太郎")) << c.what;
        EXPECT_EQ(s.UserID, "u") << c.what;
    }
    // The save writes the program's own format: CP932, CR LF, no byte order mark.
    TUserData s;
    ASSERT_TRUE(s.Load(path()));
    ASSERT_TRUE(s.Save(path()));
    EXPECT_TRUE(ini().startsWith("[user]\r\nFromName=" + name + "\r\n"));
}

TEST_F(UserDataTest, AnEmptyFileLoadsLikeOneWithoutKeys)
{
    writeIni("");
    TUserData s;
    ASSERT_TRUE(s.Load(path()));
    EXPECT_FALSE(s.Connect);
    EXPECT_EQ(s.Minor, 0);
}

TEST_F(UserDataTest, LineBreaksInAValueCannotStartANewKey)
{
    TUserData s;
    s.FromName = "Taro\r\nConnect=0";
    ASSERT_TRUE(s.Save(path()));
    TUserData t;
    ASSERT_TRUE(t.Load(path()));
    EXPECT_EQ(t.FromName, "TaroConnect=0");
    EXPECT_TRUE(t.Connect);
}

TEST_F(UserDataTest, SavingIntoAFolderThatIsGoneFails)
{
    TUserData s(dir.filePath("gone"));
    EXPECT_FALSE(s.SaveToWorkFolder());
    EXPECT_FALSE(QFile::exists(dir.filePath("gone/tav.ini")));
    EXPECT_FALSE(s.LoadFromWorkFolder());
}

TEST_F(UserDataTest, SavingOverAFolderOfThatNameFails)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("tav.ini"));
    TUserData s(dir.path());
    EXPECT_FALSE(s.SaveToWorkFolder());
    EXPECT_FALSE(s.LoadFromWorkFolder());
}

TEST_F(UserDataTest, AFailedWriteLeavesTheOldFileAsItWas)
{
    const QByteArray old = "[user]\r\nFromName=old\r\n";
    writeIni(old);
    TUserData s(dir.path());
    s.FromName = QString(4096, QLatin1Char('x'));

    // Files may grow no larger than 1 KiB in this process for the moment: the write fails.
    FileSizeLimit limit(1024);
    ASSERT_TRUE(limit.Set());
    const bool saved_ok = s.SaveToWorkFolder();
    ASSERT_TRUE(limit.Restore());

    EXPECT_FALSE(saved_ok);
    EXPECT_EQ(ini(), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList {"tav.ini"}); // no temporary left
}

TEST_F(UserDataTest, ASettingsFileThatIsNoFileOrTooLargeIsNeitherReadNorReplaced)
{
    const QByteArray settings = "[user]\r\nFromName=file\r\n";
    for (const bool fifo : {true, false}) {
        SCOPED_TRACE(fifo ? "FIFO" : "too large");
        std::optional<TestFifo> pipe;
        if (fifo) {
            pipe.emplace(path(), settings);
            ASSERT_TRUE(pipe->made());
        } else {
            writeIni(settings);
            ASSERT_TRUE(QFile::resize(path(), TUserData::kMaxFileBytes + 1));
        }
        TUserData s(dir.path());
        s.FromName = "kept";
        EXPECT_FALSE(s.LoadFromWorkFolder());
        EXPECT_EQ(s.FromName, "kept");
        EXPECT_FALSE(s.SaveToWorkFolder());
        if (fifo) {
            EXPECT_TRUE(pipe->stillFifo());
        } else {
            EXPECT_EQ(QFileInfo(path()).size(), TUserData::kMaxFileBytes + 1);
            EXPECT_TRUE(ini().startsWith(settings));
            ASSERT_TRUE(QFile::remove(path()));
        }
    }
}

} // namespace

namespace {

TEST_F(UserDataTest, ConnectionSettingsLiveInASectionOfTheirOwnAfterTheOriginalKeys)
{
    TUserData s(dir.path());
    EXPECT_EQ(s.SMTPPort, 0);
    EXPECT_EQ(s.MailEncryption, EncryptionMode::Auto);
    EXPECT_EQ(s.FTPEncryption, EncryptionMode::Auto);
    s.SMTPPort = 465;
    s.MailEncryption = EncryptionMode::Required;
    s.FTPEncryption = EncryptionMode::None;
    s.Fingerprint = QStringLiteral("AB:CD");
    ASSERT_TRUE(s.SaveToWorkFolder());
    EXPECT_EQ(ini(),
              kDefaultFile
                  + "[connection]\r\nSMTPPort=465\r\nMailTLS=required\r\nFTPTLS=none\r\n"
                    "Fingerprint=AB:CD\r\n");

    TUserData back(dir.path());
    ASSERT_TRUE(back.LoadFromWorkFolder());
    EXPECT_EQ(back.SMTPPort, 465);
    EXPECT_EQ(back.MailEncryption, EncryptionMode::Required);
    EXPECT_EQ(back.FTPEncryption, EncryptionMode::None);
    EXPECT_EQ(back.Fingerprint, QStringLiteral("AB:CD"));

    // Back at the defaults, the section stays and says so.
    back.SMTPPort = 0;
    back.MailEncryption = back.FTPEncryption = EncryptionMode::Auto;
    back.Fingerprint.clear();
    ASSERT_TRUE(back.SaveToWorkFolder());
    EXPECT_EQ(ini(),
              kDefaultFile + "[connection]\r\nSMTPPort=0\r\nMailTLS=auto\r\nFTPTLS=auto\r\nFingerprint=\r\n");
}

TEST_F(UserDataTest, TheOriginalProgramsFileReadsAsAutoWithThePortFromOp25b)
{
    const struct
    {
        QByteArray file;
        int port;
        EncryptionMode mail;
    } cases[] = {
        {"[user]\r\nUseOP25B=1\r\n", 587, EncryptionMode::Auto},
        {"[user]\r\nUseOP25B=0\r\n", 25, EncryptionMode::Auto},
        {"[user]\r\nUseOP25B=1\r\n[connection]\r\nSMTPPort=465\r\nMailTLS=none\r\n", 465,
         EncryptionMode::None},
        {"[connection]\r\nSMTPPort=99999\r\nMailTLS=sometimes\r\n", 25, EncryptionMode::Auto},
        {"[connection]\r\nSMTPPort=x\r\nMailTLS= Required \r\n", 25, EncryptionMode::Required},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file.constData());
        writeIni(c.file);
        TUserData s;
        ASSERT_TRUE(s.Load(path()));
        EXPECT_EQ(s.SmtpPortInUse(), c.port);
        EXPECT_EQ(s.MailEncryption, c.mail);
        EXPECT_EQ(s.FTPEncryption, EncryptionMode::Auto);
    }
}

} // namespace
