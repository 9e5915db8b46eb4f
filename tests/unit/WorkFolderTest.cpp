#include "common/WorkFolder.h"
#include "support/Files.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class WorkFolderTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString &relative) const { return dir.filePath(relative); }
    QTemporaryDir dir;
};

TEST_F(WorkFolderTest, TheExecutablesFolderWhenItIsWritableAndNotAnInstallation)
{
    const struct
    {
        const char *name;
        const char *executable; // made under dir, with share/tavrin beside it when installed
        bool installed;
        bool writable;
        bool userFolderBlocked; // a file where the user's folder would be made
        const char *expected; // relative to dir; empty: none
        bool perUser;
    } cases[] = {
        {"a copy unpacked in a writable folder", "portable", false, true, false, "portable/", false},
        {"a copy on a folder the user cannot write", "cd/tavrin", false, false, false, "home/.local/Tavrin/",
         true},
        {"an installation, even where root may write", "usr/bin", true, true, false, "home/.local/Tavrin/",
         true},
        {"an installation the user cannot write", "usr/bin", true, false, false, "home/.local/Tavrin/", true},
        {"no per-user folder can be made", "usr/bin", true, false, true, "", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir root;
        ASSERT_TRUE(root.isValid());
        const QDir top(root.path());
        ASSERT_TRUE(top.mkpath(c.executable));
        if (c.installed) {
            ASSERT_TRUE(top.mkpath("usr/share/tavrin"));
        }
        if (c.userFolderBlocked) {
            ASSERT_TRUE(top.mkpath("home/.local"));
            ASSERT_TRUE(testfiles::write(top.filePath("home/.local/Tavrin"), "not a folder"));
        }
        QStringList asked;
        const WorkFolderChoice choice = ChooseWorkFolder(
            top.filePath(c.executable), top.filePath("home/.local/Tavrin"), [&](const QString &folder) {
                asked << folder;
                return c.writable;
            });
        const QString expected = *c.expected ? top.filePath(c.expected) : QString();
        EXPECT_EQ(choice.folder, expected);
        EXPECT_EQ(choice.perUser, c.perUser);
        if (!expected.isEmpty()) {
            EXPECT_TRUE(QFileInfo(expected).isDir());
        }
        // The user's folder is made only when it is the one chosen.
        EXPECT_EQ(QFileInfo(top.filePath("home/.local/Tavrin")).isDir(), c.perUser && !c.userFolderBlocked);
        if (!c.installed) {
            EXPECT_EQ(asked, QStringList {top.filePath(c.executable)});
        }
    }
}

// The per-user folder holds the settings with the passwords: made by us it is the user's alone; one
// that is there already keeps the mode it has.
TEST_F(WorkFolderTest, APerUserFolderMadeHereIsTheUsersAlone)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QDir top(root.path());
    ASSERT_TRUE(top.mkpath("opt/bin"));
    const auto unwritable = [](const QString &) {
        return false;
    };
    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
        | QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
    const WorkFolderChoice made
        = ChooseWorkFolder(top.filePath("opt/bin"), top.filePath("home/Tavrin"), unwritable);
    ASSERT_EQ(made.folder, top.filePath("home/Tavrin/"));
    EXPECT_EQ(QFileInfo(top.filePath("home/Tavrin")).permissions(), ownerOnly);

    const QFile::Permissions chosen = ownerOnly | QFile::ReadGroup | QFile::ExeGroup;
    ASSERT_TRUE(QFile::setPermissions(top.filePath("home/Tavrin"), chosen));
    ChooseWorkFolder(top.filePath("opt/bin"), top.filePath("home/Tavrin"), unwritable);
    EXPECT_EQ(QFileInfo(top.filePath("home/Tavrin")).permissions(), chosen);
}

TEST_F(WorkFolderTest, FolderWritableAsksTheSystemForTheCurrentUser)
{
    EXPECT_TRUE(FolderWritable(dir.path()));
    EXPECT_FALSE(FolderWritable(path("missing")));
    ASSERT_TRUE(testfiles::write(path("file"), "x"));
    EXPECT_FALSE(FolderWritable(path("file"))); // no folder to make files in
}

TEST_F(WorkFolderTest, TheInstalledDataFolderIsShareTavrinBesideBin)
{
    EXPECT_EQ(InstalledDataFolder("/usr/bin"), "/usr/share/tavrin/");
    EXPECT_EQ(InstalledDataFolder("/opt/tavrin/bin/"), "/opt/tavrin/share/tavrin/");
}

TEST_F(WorkFolderTest, TheUserDataFolderFollowsXdgDataHome)
{
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(path("data")));
    const QString folder = UserDataFolder();
    if (saved.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", saved);
    EXPECT_EQ(folder, path("data") + "/Tavrin/");
}

TEST_F(WorkFolderTest, MissingWorkFilesAreCopiedFromTheFirstFolderThatHasThem)
{
    const QDir top(dir.path());
    for (const char *folder : {"work", "beside", "share"})
        ASSERT_TRUE(top.mkpath(folder));
    ASSERT_TRUE(testfiles::write(path("work/self.wav"), "the user's own"));
    ASSERT_TRUE(testfiles::write(path("beside/self.wav"), "beside self"));
    ASSERT_TRUE(testfiles::write(path("share/shutter.wav"), "shared shutter"));
    ASSERT_TRUE(testfiles::write(path("share/self.wav"), "shared self"));
    ASSERT_TRUE(top.mkpath("beside/click.wav")); // a folder is no file to copy

    const QStringList missing = ProvideWorkFiles(
        path("work"), {"shutter.wav", "self.wav", "click.wav", "none.wav"}, {path("beside"), path("share")});

    EXPECT_EQ(missing, (QStringList {"click.wav", "none.wav"}));
    EXPECT_EQ(testfiles::read(path("work/shutter.wav")), "shared shutter");
    EXPECT_EQ(testfiles::read(path("work/self.wav")), "the user's own");
    EXPECT_FALSE(QFileInfo::exists(path("work/none.wav")));
}

} // namespace
