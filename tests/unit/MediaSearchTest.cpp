#include "mainwindow/model/MediaSearch.h"
#include "support/FakeShell.h"
#include "support/ManualClock.h"
#include "support/ScriptedPrompt.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kNotFound = QString::fromUtf8("ＤＣＦに対応したフォルダが見つかりません");

class Chooser : public DcfFolderChooser
{
public:
    std::optional<QString> answer;
    QList<QStringList> shown;
    std::optional<QString> ChooseDcfFolder(const QStringList &folders) override
    {
        shown << folders;
        return answer;
    }
};

class MediaSearchTest : public ::testing::Test
{
protected:
    QString volume(const QString &name, const QStringList &folders, bool ready = true, bool removable = true)
    {
        const QString root = dir.filePath(name);
        QDir().mkpath(root);
        for (const QString &f : folders)
            QDir().mkpath(root + '/' + f);
        shell.volumes << MountedVolume {root, ready, removable};
        return root;
    }
    MediaSearch search()
    {
        return MediaSearch(shell, prompt, &chooser, program, clock);
    }

    QTemporaryDir dir;
    FakeShell shell;
    ScriptedPrompt prompt;
    Chooser chooser;
    QString program;
    ManualClock clock;
};

TEST(DcfFolder, TheBranchBelowDcimStartsWithANumberOfAtLeast100)
{
    const struct
    {
        QString folder;
        bool dcf;
    } cases[] = {
        {"/m/DCIM/100ABCDE", true},   {"/m/DCIM/100ABCDE/sub", true}, {"/m/DCIM/999", true},
        {"/m/DCIM/1000", true},       {"/m/DCIM/MISC", false},        {"/m/DCIM/MISC/100ABCDE", false},
        {"/m/DCIM/099ABCDE", false},  {"/m/DCIM/10", false},          {"/m/DCIM/1O0ABCDE", false},
        {"/m/DCIM/+99", false},       {"/m/DCIM/１００ABC", false},   {"/m/DCIM", false},
        {"/m/DCIMX/100ABCDE", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.folder.toStdString());
        EXPECT_EQ(MediaSearch::IsDcfFolder("/m/DCIM", c.folder), c.dcf);
    }
}

TEST_F(MediaSearchTest, ACardWithOneCameraFolderGivesItWithoutTheWindow)
{
    const QString card = volume("card", {"DCIM/100ABCDE", "DCIM/MISC"});
    MediaSearch media = search();
    EXPECT_TRUE(media.SearchMedia());
    EXPECT_EQ(media.FolderFound(), card + "/DCIM/100ABCDE");
    EXPECT_TRUE(chooser.shown.isEmpty());
    EXPECT_TRUE(prompt.History().isEmpty());
    EXPECT_GE(clock.Pumps(), 3); // the volume check and every folder collected
}

TEST_F(MediaSearchTest, SeveralFoldersAreOfferedAndTheChoiceTaken)
{
    const QString a = volume("a", {"DCIM/100ABCDE/sub", "DCIM/101FUJI"});
    const QString b = volume("b", {"dcim/102CANON"});
    volume("notready", {"DCIM/103XXXXX"}, false);
    volume("fixed", {"DCIM/104XXXXX"}, true, false);

    chooser.answer = b + "/dcim/102CANON";
    MediaSearch media = search();
    EXPECT_TRUE(media.SearchMedia());
    ASSERT_EQ(chooser.shown.size(), 1);
    EXPECT_EQ(chooser.shown[0],
              (QStringList {a + "/DCIM/100ABCDE", a + "/DCIM/100ABCDE/sub", a + "/DCIM/101FUJI",
                            b + "/dcim/102CANON"}));
    EXPECT_EQ(media.FolderFound(), b + "/dcim/102CANON");

    // OK with nothing selected: true with an empty folder; cancel: false.
    chooser.answer = QString();
    EXPECT_TRUE(media.SearchMedia());
    EXPECT_EQ(media.FolderFound(), "");
    chooser.answer.reset();
    EXPECT_FALSE(media.SearchMedia());
    EXPECT_EQ(media.FolderFound(), "");
    EXPECT_TRUE(prompt.History().isEmpty());
}

TEST_F(MediaSearchTest, NoCameraFolderGivesTheMessage)
{
    volume("card", {"DCIM/MISC", "PRIVATE/100ABCDE"});
    volume("notready", {"DCIM/100ABCDE"}, false);
    MediaSearch media = search();
    EXPECT_FALSE(media.SearchMedia());
    EXPECT_EQ(media.FolderFound(), "");
    EXPECT_EQ(prompt.History(), QList {ScriptedPrompt::Message(kNotFound, Msg::IconExclamation)});
    EXPECT_TRUE(chooser.shown.isEmpty());
}

TEST_F(MediaSearchTest, TheProgramsOwnFolderIsNotSearched)
{
    const QString card = volume("card", {"DCIM/100ABCDE", "DCIM/101PROG/tavrin"});
    program = card + "/DCIM/101PROG/";
    MediaSearch media = search();
    EXPECT_TRUE(media.SearchMedia());
    EXPECT_EQ(media.FolderFound(), card + "/DCIM/100ABCDE");
}

} // namespace
