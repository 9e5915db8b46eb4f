#include "mainwindow/model/FileSourceModel.h"
#include "mainwindow/model/FolderHistory.h"
#include "mainwindow/model/MainDialogs.h"
#include "mainwindow/model/MediaSearch.h"
#include "picture/PictureCanvas.h"
#include "support/FakeShell.h"
#include "support/ManualClock.h"
#include "support/PictureFiles.h"
#include "support/ScriptedPrompt.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kNoFolder = QString::fromUtf8("指定されたフォルダがありません。");
const QString kCannotRead = QString::fromUtf8("画像が読み込めません。");
const QString kFileGone = QString::fromUtf8("ファイルが見つかりません。移動または削除されています。");

// Records what the model does to the main window and its windows, in order.
struct Log
{
    QStringList entries;
    void operator()(const QString &e) { entries << e; }
};

class Dialogs : public MainDialogs
{
public:
    explicit Dialogs(Log &log)
        : m_log(log)
    { }
    QString answer;
    QString OpenPictureDialog(const QString &startFolder) override
    {
        m_log("open dialog " + startFolder);
        return answer;
    }

private:
    Log &m_log;
};

class Thumbnails : public ThumbnailPicker
{
public:
    explicit Thumbnails(Log &log)
        : m_log(log)
    { }
    QString pick; // empty: the user cancels
    bool ShowForFolder(const QString &folder) override
    {
        m_log("thumbnails " + folder);
        return !pick.isEmpty();
    }
    QString SelectedFile() const override { return pick; }
    void MarkRebuildDue() override { m_log("rebuild due"); }

private:
    Log &m_log;
};

class Browser : public FolderBrowser
{
public:
    explicit Browser(Log &log)
        : m_log(log)
    { }
    std::optional<QString> answer;
    std::optional<QString> Browse(const QString &initial) override
    {
        m_log("browse " + initial);
        return answer;
    }

private:
    Log &m_log;
};

class Chooser : public DcfFolderChooser
{
public:
    int shown = 0;
    std::optional<QString> ChooseDcfFolder(const QStringList &) override
    {
        ++shown;
        return std::nullopt;
    }
};

class FileSourceModelTest : public ::testing::Test
{
protected:
    FileSourceModelTest()
    {
        shell.documents = path("docs");
        shell.desktop = path("desk");
        QDir().mkpath(shell.documents + "/pics");
        testpictures::writeJpeg(path("docs/pics/a.jpg"));
        testpictures::writeJpeg(path("PHOTO.JPG"));
        testpictures::writeBmp(path("b.bmp"));
        testfiles::write(path("text.jpg"), "just text\n");
    }
    QString path(const QString &relative) const { return dir.filePath(relative); }
    QString work() const { return dir.path() + "/"; }
    FileSourceModel &model()
    {
        if (!m_model) {
            FileSourceHost host;
            host.Next = [this] {
                log("next");
            };
            host.SwitchCameraOff = [this] {
                log("camera off");
            };
            host.ScheduleRunning = [this] {
                return scheduleRunning;
            };
            host.SetWindowEnabled = [this](bool on) {
                log(on ? "window on" : "window off");
            };
            host.Repaint = [this] {
                log("repaint");
            };
            m_model = std::make_unique<FileSourceModel>(
                work(), history, shell, canvas, prompt,
                FileSourceWindows {&dialogs, &thumbnails, &media, &browser}, host);
        }
        return *m_model;
    }

    QTemporaryDir dir;
    Log log;
    FakeShell shell;
    FolderHistory history {work(), &shell};
    PictureCanvas canvas {work()};
    ScriptedPrompt prompt;
    Dialogs dialogs {log};
    Thumbnails thumbnails {log};
    Browser browser {log};
    Chooser chooser;
    ManualClock clock;
    MediaSearch media {shell, prompt, &chooser, QString(), clock};
    bool scheduleRunning = false;

private:
    std::unique_ptr<FileSourceModel> m_model;
};

TEST_F(FileSourceModelTest, DroppedFiles)
{
    const struct
    {
        QStringList files;
        QString message;
        int icon;
        bool loads;
    } cases[] = {
        {{path("PHOTO.JPG")}, "", 0, true},
        {{path("b.bmp")}, "", 0, true},
        {{path("PHOTO.JPG"), path("b.bmp")},
         "複数ファイルのドロップはできません。",
         Msg::IconExclamation,
         false},
        {{path("photo.jpeg")},
         "BMP/JPGファイル以外のファイルは編集できません。",
         Msg::IconExclamation,
         false},
        {{path("photo")}, "BMP/JPGファイル以外のファイルは編集できません。", Msg::IconExclamation, false},
        {{path("missing.jpg")},
         "画像ファイルが見つかりません：\n " + path("missing.jpg"),
         Msg::IconError,
         false},
        {{path("docs")}, "BMP/JPGファイル以外のファイルは編集できません。", Msg::IconExclamation, false},
        {{path("text.jpg")}, "このファイルの画像は扱えません：\n " + path("text.jpg"), Msg::IconError, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.files.join(' ').toStdString());
        log.entries.clear();
        prompt.Clear();
        model().HandleDroppedFiles(c.files);
        if (c.message.isEmpty())
            EXPECT_TRUE(prompt.History().isEmpty());
        else
            EXPECT_EQ(prompt.History(), QList {ScriptedPrompt::Message(c.message, c.icon)});
        EXPECT_EQ(log.entries.contains("next"), c.loads);
        // Only a file that reached the loader switched the camera off.
        EXPECT_EQ(log.entries.contains("camera off"), c.loads || c.message.startsWith("この"));
    }
    // Drops never change the history.
    EXPECT_TRUE(history.Items().isEmpty());
}

TEST_F(FileSourceModelTest, ADropWhileAScheduleRunsIsIgnored)
{
    scheduleRunning = true;
    model().HandleDroppedFiles({path("PHOTO.JPG"), path("b.bmp")});
    model().HandleDroppedFiles({path("PHOTO.JPG")});
    EXPECT_TRUE(prompt.History().isEmpty());
    EXPECT_TRUE(log.entries.isEmpty());
    EXPECT_FALSE(canvas.HasPicture());
}

TEST_F(FileSourceModelTest, OpenDialogWithAnEmptyFolderBoxRemembersAnEmptyEntry)
{
    dialogs.answer = path("docs/pics/a.jpg");
    model().btnOpenDialogClick();
    EXPECT_EQ(log.entries, (QStringList {"open dialog ", "camera off", "next"}));
    EXPECT_TRUE(canvas.HasPicture());
    EXPECT_EQ(history.Items(), QStringList {""});
    EXPECT_EQ(model().FolderIndex(), 0);
}

TEST_F(FileSourceModelTest, OpenDialogStartsInTheFolderBoxsFolder)
{
    history.SetItems({"/x", "ﾏｲﾄﾞｷｭﾒﾝﾄ/PICS"});
    model().SetFolderText("ﾏｲﾄﾞｷｭﾒﾝﾄ/pics"); // no thumbnails picked: nothing loads
    log.entries.clear();

    dialogs.answer = path("docs/pics/a.jpg");
    model().btnOpenDialogClick();
    EXPECT_EQ(log.entries, (QStringList {"open dialog " + path("docs/pics"), "camera off", "next"}));
    EXPECT_EQ(history.Items(), (QStringList {"ﾏｲﾄﾞｷｭﾒﾝﾄ/pics", "/x"}));
    EXPECT_EQ(model().FolderText(), "ﾏｲﾄﾞｷｭﾒﾝﾄ/pics");

    // A picture that cannot be read; then a cancelled dialog; then a folder that is gone.
    log.entries.clear();
    dialogs.answer = path("text.jpg");
    model().btnOpenDialogClick();
    dialogs.answer.clear();
    model().btnOpenDialogClick();
    EXPECT_EQ(
        log.entries,
        (QStringList {"open dialog " + path("docs/pics"), "camera off", "open dialog " + path("docs/pics")}));
    EXPECT_EQ(prompt.History(), QList {ScriptedPrompt::Message(kCannotRead, Msg::IconError)});

    prompt.Clear();
    log.entries.clear();
    shell.documents = path("moved");
    model().btnOpenDialogClick();
    EXPECT_EQ(prompt.History(), QList {ScriptedPrompt::Message(kNoFolder, Msg::IconExclamation)});
    EXPECT_TRUE(log.entries.isEmpty());
}

TEST_F(FileSourceModelTest, ThumbnailButton)
{
    history.SetItems({"/x"});
    model().SetFolderText("ﾏｲﾄﾞｷｭﾒﾝﾄ/pics");
    log.entries.clear();

    thumbnails.pick = path("docs/pics/a.jpg");
    model().btnOpenThumbnailClick();
    EXPECT_EQ(log.entries, (QStringList {"thumbnails " + path("docs/pics"), "camera off", "next"}));
    EXPECT_EQ(history.Items(), (QStringList {"ﾏｲﾄﾞｷｭﾒﾝﾄ/pics", "/x"}));

    log.entries.clear();
    thumbnails.pick = path("gone.jpg");
    model().btnOpenThumbnailClick();
    EXPECT_EQ(prompt.History(), QList {ScriptedPrompt::Message(kCannotRead, Msg::IconError)});
    EXPECT_FALSE(log.entries.contains("next"));

    prompt.Clear();
    log.entries.clear();
    model().SetFolderText(path("nowhere"));
    model().btnOpenThumbnailClick();
    EXPECT_EQ(prompt.Texts(), (QStringList {kNoFolder, kNoFolder}));
    EXPECT_EQ(log.entries, (QStringList {"window off", "window on"}));
}

TEST_F(FileSourceModelTest, ChoosingAFolderShowsItsThumbnailsAndLoadsThePick)
{
    history.SetItems({"/a", "ﾏｲﾄﾞｷｭﾒﾝﾄ/PICS", "/b"});
    EXPECT_FALSE(model().OpenFolderEnabled());
    thumbnails.pick = path("docs/pics/a.jpg");
    model().cbxFolderSelect(1);
    EXPECT_EQ(log.entries, (QStringList {"window off", "window on"}));
    EXPECT_EQ(prompt.History(), QList {ScriptedPrompt::Message(kNoFolder, Msg::IconExclamation)});
    EXPECT_TRUE(model().OpenFolderEnabled());

    prompt.Clear();
    log.entries.clear();
    model().SetFolderText(path("docs/pics"));
    EXPECT_EQ(log.entries,
              (QStringList {"window off", "thumbnails " + path("docs/pics"), "repaint", "camera off",
                            "window on", "next"}));
    EXPECT_TRUE(canvas.HasPicture());
    // The entry of other letter case moved up and took the spelling used.
    EXPECT_EQ(history.Items(), (QStringList {"ﾏｲﾄﾞｷｭﾒﾝﾄ/pics", "/a", "/b"}));
    EXPECT_EQ(model().FolderIndex(), 0);
    EXPECT_EQ(model().FolderText(), "ﾏｲﾄﾞｷｭﾒﾝﾄ/pics");

    // btnOpenFolder opens the selected item again; a pick deleted meanwhile is reported.
    log.entries.clear();
    QFile::remove(path("docs/pics/a.jpg"));
    model().btnOpenFolderClick();
    EXPECT_EQ(log.entries,
              (QStringList {"window off", "thumbnails " + path("docs/pics"), "repaint", "camera off",
                            "rebuild due", "window on"}));
    EXPECT_EQ(prompt.History(), QList {ScriptedPrompt::Message(kFileGone, Msg::IconExclamation)});
}

TEST_F(FileSourceModelTest, TheSentFolderIsNotRemembered)
{
    QDir().mkpath(path("Recent"));
    testpictures::writeJpeg(path("Recent/sent.jpg"));
    thumbnails.pick = path("Recent/sent.jpg");
    model().btnRecentClick();
    EXPECT_EQ(model().FolderText(), path("Recent"));
    EXPECT_EQ(log.entries.first(), "rebuild due");
    EXPECT_TRUE(log.entries.contains("next"));
    EXPECT_TRUE(history.Items().isEmpty());
    EXPECT_EQ(model().FolderIndex(), -1);
}

TEST_F(FileSourceModelTest, MediaSearchSetsTheCardsCameraFolder)
{
    QDir().mkpath(path("card/DCIM/100ABCDE"));
    QDir().mkpath(path("card/DCIM/MISC"));
    testpictures::writeJpeg(path("card/DCIM/100ABCDE/IMG_0001.JPG"));
    shell.volumes << MountedVolume {path("card"), true, true};
    thumbnails.pick = path("card/DCIM/100ABCDE/IMG_0001.JPG");

    model().btnFindFolderClick();
    EXPECT_EQ(chooser.shown, 0);
    EXPECT_EQ(model().FolderText(), path("card/DCIM/100ABCDE"));
    EXPECT_EQ(log.entries.mid(0, 3),
              (QStringList {"rebuild due", "window off", "thumbnails " + path("card/DCIM/100ABCDE")}));
    EXPECT_EQ(log.entries.last(), "next");
    EXPECT_EQ(history.Items(), QStringList {path("card/DCIM/100ABCDE")});

    // No card: the message, the folder box unchanged.
    shell.volumes.clear();
    log.entries.clear();
    model().btnFindFolderClick();
    EXPECT_EQ(prompt.Texts(), QStringList {"ＤＣＦに対応したフォルダが見つかりません"});
    EXPECT_TRUE(log.entries.isEmpty());
    EXPECT_EQ(model().FolderText(), path("card/DCIM/100ABCDE"));
}

TEST_F(FileSourceModelTest, FolderBrowser)
{
    // Empty folder box: the browser starts in the documents folder.
    model().btnSelectFolderClick();
    EXPECT_EQ(log.entries, QStringList {"browse " + path("docs")});

    log.entries.clear();
    thumbnails.pick = path("docs/pics/a.jpg");
    browser.answer = path("docs/pics");
    model().btnSelectFolderClick();
    EXPECT_EQ(log.entries.mid(0, 3), (QStringList {"browse " + path("docs"), "rebuild due", "window off"}));
    EXPECT_EQ(model().FolderText(), "ﾏｲﾄﾞｷｭﾒﾝﾄ/pics");

    log.entries.clear();
    browser.answer.reset();
    model().btnSelectFolderClick();
    EXPECT_EQ(log.entries, QStringList {"browse " + path("docs/pics")});
    EXPECT_EQ(model().FolderText(), "ﾏｲﾄﾞｷｭﾒﾝﾄ/pics");
}

TEST_F(FileSourceModelTest, FileManagerButtonsNeedTheirFolders)
{
    EXPECT_FALSE(model().RecentFolderExists());
    EXPECT_FALSE(model().IntervalFolderExists());
    model().btnOpenRecentClick();
    model().btnOpenIntervalClick();
    EXPECT_TRUE(shell.opened.isEmpty());

    QDir().mkpath(path("Interval"));
    EXPECT_TRUE(model().IntervalFolderExists());
    model().btnOpenRecentClick();
    model().btnOpenIntervalClick();
    EXPECT_EQ(shell.opened, QStringList {path("Interval")});
    EXPECT_EQ(model().RecentFolder(), path("Recent"));
}

} // namespace
