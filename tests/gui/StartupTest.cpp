#include "app/Startup.h"
#include "app/Application.h"
#include "app/SplashUnit.h"
#include "dialogs/MsgBoxUnit.h"
#include "mainwindow/MainUnit.h"
#include "support/Entries.h"
#include "support/FileSizeLimit.h"
#include "support/Files.h"
#include "widgets/LabeledBmpBtn.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLockFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <optional>

namespace {

TMain *mainWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *main = qobject_cast<TMain *>(w))
            return main;
    return nullptr;
}

Application &app()
{
    return *static_cast<Application *>(QCoreApplication::instance());
}

// Answers the message on the screen, if any: No in the platform's box, the first button in ours.
// Its first line goes to asked.
bool answerMessage(QStringList &asked)
{
    if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
        asked << box->text().section(QLatin1Char('\n'), 0, 0);
        box->button(QMessageBox::No)->click();
        return true;
    }
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *box = qobject_cast<TMsgBox *>(w); box && box->isVisible()) {
            asked << box->findChild<QLabel *>("lbText")->text();
            QTest::mouseClick(box->findChild<TLabeledBmpBtn *>("btnOK"), Qt::LeftButton, {}, QPoint(5, 5));
            return true;
        }
    return false;
}

class StartupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(testfiles::copySounds(work.path()));
        ASSERT_TRUE(testfiles::write(work.filePath("tav.ini"), ini));
        app().setErrorReporter([this](const QString &m) { errors << m; });
    }
    void TearDown() override { app().setErrorReporter({}); }

    StartupOptions options()
    {
        StartupOptions o;
        o.workFolder = work.path() + '/';
        o.lockFolder = lock.path();
        o.systemWarning = [this](const QString &text) {
            warnings << text;
        };
        o.splashWaitMs = 100;
        o.platform = PlatformKind::Null;
        return o;
    }

    QStringList workFiles() const { return QDir(work.path()).entryList(QDir::Files, QDir::Name); }

    const QByteArray ini = "[serial]\r\nMajor=2\r\nMinor=0\r\n[user]\r\nFromAddress=me@example.jp\r\n";
    QTemporaryDir work;
    QTemporaryDir lock;
    QStringList warnings;
    QStringList errors;
};

TEST_F(StartupTest, ShowsTheSplashThenTheMainWindowAndEndsWhenItCloses)
{
    QString splashVersion;
    QSize mainSize;
    QString mainTitle;
    bool splashGoneWhenMainShown = false;
    bool lockHeld = false;
    QTimer poll;
    poll.setInterval(5);
    QStringList asked;
    bool closing = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        // The questions on the way: the one-time change of version 2.0 (the platform's box) is
        // answered No, the question at closing Yes.
        if (answerMessage(asked))
            return;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *s = qobject_cast<TSplash *>(w); s && s->isVisible())
                splashVersion = s->VersionText();
        TMain *main = mainWindow();
        if (main && main->isVisible()) {
            mainSize = main->size();
            mainTitle = main->windowTitle();
            splashGoneWhenMainShown = true;
            for (QWidget *w : QApplication::topLevelWidgets())
                if (qobject_cast<TSplash *>(w))
                    splashGoneWhenMainShown = false;
            lockHeld = QFile::exists(QDir(lock.path()).filePath("Tavrin"));
            if (!closing) {
                closing = true;
                // Not from inside this timer: the question at closing needs the timer to answer it.
                QTimer::singleShot(0, main, &QWidget::close);
            }
        }
    });
    poll.start();

    EXPECT_EQ(RunTavrin(app(), options()), 0);
    poll.stop();

    EXPECT_EQ(splashVersion, "Version 2.0"); // the version of the file just loaded
    EXPECT_EQ(mainSize, QSize(514, 338));
    EXPECT_EQ(mainTitle, QString::fromUtf8("タブリン"));
    EXPECT_TRUE(splashGoneWhenMainShown);
    EXPECT_EQ(asked, (QStringList {"※ＦＴＰサーバーについて※", "終了しますか？"}));
    EXPECT_TRUE(lockHeld);
    EXPECT_EQ(mainWindow(), nullptr);
    EXPECT_TRUE(warnings.isEmpty());
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_FALSE(QFile::exists(QDir(lock.path()).filePath("Tavrin"))); // released at the end
}

TEST_F(StartupTest, TerminationSavesWhatClosingSavesWithoutAskingAndEndsNormally)
{
    // An address book the user edits in this run: the session ending must not lose it.
    QStringList asked;
    bool sent = false;
    int signalNumber = 0;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (answerMessage(asked))
            return;
        TMain *main = mainWindow();
        if (!main || !main->isVisible() || sent)
            return;
        sent = true;
        main->Model().AddressBook().Append(testentries::Entry("追加した人", "added@example.jp"));
        ::raise(signalNumber);
    });
    for (const int number : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(number);
        signalNumber = number;
        sent = false;
        asked.clear();
        QFile::remove(work.filePath("Tavrin.ADX"));
        poll.start();
        EXPECT_EQ(RunTavrin(app(), options()), 0);
        poll.stop();
        EXPECT_TRUE(sent);
        EXPECT_FALSE(asked.contains("終了しますか？"));
        EXPECT_EQ(mainWindow(), nullptr);
        const QList<TMailAddress> saved = TAddressBook::ReadFile(work.filePath("Tavrin.ADX"));
        ASSERT_EQ(saved.size(), 1);
        EXPECT_EQ(saved.at(0).Address, "added@example.jp");
        EXPECT_TRUE(QFile::exists(work.filePath("History.ADX")));
        EXPECT_FALSE(QFile::exists(QDir(lock.path()).filePath("Tavrin")));
    }
    // The default actions are back once the run is over.
    struct sigaction now
    {
    };
    ::sigaction(SIGTERM, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
}

// Told to stop with nobody at the screen, a save that fails must not wait for an answer: it is said
// on standard error and the program ends all the same.
TEST_F(StartupTest, TerminationEndsEvenWhenTheSavesFail)
{
    QStringList asked;
    bool sent = false;
    std::optional<FileSizeLimit> full;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (answerMessage(asked))
            return;
        TMain *main = mainWindow();
        if (!main || !main->isVisible() || sent)
            return;
        sent = true;
        main->Model().AddressBook().Append(testentries::Entry("追加した人", "added@example.jp"));
        full.emplace(8); // no file grows past 8 bytes: the book and the settings cannot be written
        ::raise(SIGTERM);
    });
    poll.start();
    EXPECT_EQ(RunTavrin(app(), options()), 0);
    poll.stop();
    ASSERT_TRUE(full && full->Set());
    full->Restore();
    EXPECT_TRUE(sent);
    for (const QString &question : asked)
        EXPECT_FALSE(question.contains("書き込めません")) << question.toStdString();
    EXPECT_EQ(mainWindow(), nullptr);
    EXPECT_FALSE(QFile::exists(work.filePath("Tavrin.ADX")));
    EXPECT_EQ(testfiles::read(work.filePath("tav.ini")), ini);
}

TEST_F(StartupTest, ASecondCopyOnlySaysThatOneIsRunning)
{
    QLockFile first(QDir(lock.path()).filePath("Tavrin"));
    ASSERT_TRUE(first.tryLock(0));
    const QStringList before = workFiles();

    EXPECT_EQ(RunTavrin(app(), options()), 0);

    EXPECT_EQ(warnings, QStringList {QString::fromUtf8("既に起動しています。")});
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_EQ(mainWindow(), nullptr);
    EXPECT_EQ(workFiles(), before);
    EXPECT_EQ(testfiles::read(work.filePath("tav.ini")), ini);
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible()) << w->metaObject()->className();
    EXPECT_TRUE(first.isLocked());
}

TEST_F(StartupTest, AFailureWhileBuildingTheWindowsIsShownAndEndsTheProgram)
{
    ASSERT_TRUE(QFile::remove(work.filePath("self.wav")));

    EXPECT_EQ(RunTavrin(app(), options()), 1);

    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().contains("self.wav")) << errors.first().toStdString();
    EXPECT_EQ(mainWindow(), nullptr);
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible()) << w->metaObject()->className();
    EXPECT_EQ(testfiles::read(work.filePath("tav.ini")), ini);
}

// Answers every message and closes the main window once it shows.
void closeWhenShown(QTimer &poll, QStringList &asked)
{
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&poll, &asked] {
        if (answerMessage(asked))
            return;
        TMain *main = mainWindow();
        if (main && main->isVisible() && !poll.property("closing").toBool()) {
            poll.setProperty("closing", true);
            QTimer::singleShot(0, main, &QWidget::close);
        }
    });
    poll.start();
}

TEST_F(StartupTest, AnInstallationTheUserCannotWriteKeepsItsFilesInTheUsersFolder)
{
    // <prefix>/bin holds the program only; the sounds are in <prefix>/share/tavrin.
    QTemporaryDir prefix;
    const QDir top(prefix.path());
    ASSERT_TRUE(top.mkpath("bin"));
    ASSERT_TRUE(top.mkpath("share/tavrin"));
    for (const char *name : {"shutter.wav", "self.wav"})
        ASSERT_TRUE(QFile::copy(testfiles::source(QString("resources/") + name),
                                top.filePath(QString("share/tavrin/") + name)));
    // The user's own shutter sound stays; the missing one comes from the installation.
    const QString user = top.filePath("home/.local/share/Tavrin");
    ASSERT_TRUE(QDir().mkpath(user));
    ASSERT_TRUE(testfiles::write(user + "/shutter.wav", testfiles::read(work.filePath("self.wav"))));
    ASSERT_TRUE(testfiles::write(
        user + "/tav.ini", "[serial]\r\nMajor=2\r\nMinor=1\r\n[user]\r\nFromAddress=me@example.jp\r\n"));

    // Even where the user may write (as root may in /usr/bin), an installation is not the work folder.
    StartupOptions o = options();
    o.workFolder.clear();
    o.executableFolder = top.filePath("bin");
    o.userFolder = user;
    QTimer poll;
    QStringList asked;
    closeWhenShown(poll, asked);
    EXPECT_EQ(RunTavrin(app(), o), 0);
    poll.stop();

    EXPECT_EQ(asked, QStringList {QString::fromUtf8("終了しますか？")});
    EXPECT_TRUE(QDir(top.filePath("bin")).isEmpty());
    EXPECT_EQ(
        QDir(user).entryList(QDir::Files, QDir::Name),
        (QStringList {"Folder.hst", "History.ADX", "Tavrin.ADX", "self.wav", "shutter.wav", "tav.ini"}));
    EXPECT_EQ(testfiles::read(user + "/self.wav"), testfiles::read(testfiles::source("resources/self.wav")));
    EXPECT_EQ(testfiles::read(user + "/shutter.wav"), testfiles::read(work.filePath("self.wav")));
    EXPECT_TRUE(testfiles::read(user + "/tav.ini").contains("FromAddress=me@example.jp"));
    EXPECT_TRUE(warnings.isEmpty());
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(StartupTest, WithoutAFolderToKeepItsFilesInTheProgramSaysSoAndEnds)
{
    StartupOptions o = options();
    o.workFolder.clear();
    o.executableFolder = lock.path();
    o.userFolder = work.filePath("self.wav/Tavrin"); // a file stands in the way
    o.folderWritable = [](const QString &) {
        return false;
    };
    const QStringList before = workFiles();

    EXPECT_EQ(RunTavrin(app(), o), 1);

    EXPECT_EQ(warnings,
              QStringList {QString::fromUtf8("作業フォルダを作成できません。\n")
                           + work.filePath("self.wav/Tavrin")});
    EXPECT_EQ(mainWindow(), nullptr);
    EXPECT_EQ(workFiles(), before);
}

} // namespace
