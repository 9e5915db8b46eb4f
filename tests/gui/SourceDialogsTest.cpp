#include "mainwindow/PictureFileDialogs.h"
#include "platform/linux/LinuxShell.h"
#include "support/Files.h"
#include "support/ManualClock.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>

namespace {

// Runs script on the file dialog once it shows.
void onFileDialog(const std::function<void(QFileDialog *)> &script)
{
    QTimer::singleShot(0, [script] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        EXPECT_NE(dialog, nullptr);
        if (dialog)
            script(dialog);
    });
}

TEST(OpenPictureDialog, OffersThePictureFiltersInEveryLetterCase)
{
    // The three entries of old, then one for each kind the program opens beyond them.
    EXPECT_EQ(PictureOpenDialog::FilterNames(),
              (QStringList {
                  QString::fromUtf8("すべてのファイル (*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)"),
                  QString::fromUtf8("JPEG イメージファイル"), QString::fromUtf8("ビットマップ (*.bmp)"),
                  QString::fromUtf8("HEIF イメージファイル"), QString::fromUtf8("PNG イメージファイル"),
                  QString::fromUtf8("WebP イメージファイル"), QString::fromUtf8("TIFF イメージファイル")}));
    const QStringList filters = PictureOpenDialog::NameFilters();
    ASSERT_EQ(filters.size(), 7);
    EXPECT_EQ(filters[2], QString::fromUtf8("ビットマップ (*.bmp) (*.[bB][mM][pP])"));
    EXPECT_EQ(filters[3], QString::fromUtf8("HEIF イメージファイル (*.[hH][eE][iI][cC] *.[hH][eE][iI][fF])"));
    EXPECT_EQ(filters[6], QString::fromUtf8("TIFF イメージファイル (*.[tT][iI][fF] *.[tT][iI][fF][fF])"));

    QTemporaryDir dir;
    for (const char *name : {"IMG_0001.JPG", "a.jpg", "b.Jpeg", "c.BMP", "d.png", "e.jpg.txt",
                             "IMG_0002.HEIC", "f.webp", "g.TIF"})
        testfiles::write(dir.filePath(name), "x");
    const QStringList patterns {"*.[jJ][pP][gG]",     "*.[jJ][pP][eE][gG]", "*.[bB][mM][pP]",
                                "*.[hH][eE][iI][cC]", "*.[hH][eE][iI][fF]", "*.[pP][nN][gG]",
                                "*.[wW][eE][bB][pP]", "*.[tT][iI][fF]",     "*.[tT][iI][fF][fF]"};
    EXPECT_EQ(filters[0], PictureOpenDialog::FilterNames()[0] + " (" + patterns.join(' ') + ")");
    EXPECT_EQ(QDir(dir.path()).entryList(patterns, QDir::Files | QDir::CaseSensitive, QDir::Name),
              (QStringList {"IMG_0001.JPG", "IMG_0002.HEIC", "a.jpg", "b.Jpeg", "c.BMP", "d.png", "f.webp",
                            "g.TIF"}));
}

TEST(OpenPictureDialog, StartsInTheFolderGivenOrTheOneUsedLast)
{
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("pics"));
    testfiles::write(dir.filePath("pics/a.jpg"), "x");
    PictureOpenDialog open;
    QString started;
    onFileDialog([&](QFileDialog *d) {
        started = d->directory().absolutePath();
        EXPECT_EQ(d->nameFilters(), PictureOpenDialog::NameFilters());
        EXPECT_TRUE(d->testOption(QFileDialog::HideNameFilterDetails));
        d->selectFile(dir.filePath("pics/a.jpg"));
        static_cast<QDialog *>(d)->accept(); // runs the file dialog's own accept
    });
    EXPECT_EQ(open.Execute(dir.filePath("pics")), dir.filePath("pics/a.jpg"));
    EXPECT_EQ(started, dir.filePath("pics"));

    onFileDialog([&](QFileDialog *d) {
        started = d->directory().absolutePath();
        d->reject();
    });
    EXPECT_EQ(open.Execute(QString()), QString());
    EXPECT_EQ(started, dir.filePath("pics"));
}

TEST(BrowseFolder, GivesTheChosenFolderOrNothing)
{
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("a/b"));
    TBrowseFolder browser;
    QString started;
    onFileDialog([&](QFileDialog *d) {
        started = d->directory().absolutePath();
        EXPECT_EQ(d->fileMode(), QFileDialog::Directory);
        EXPECT_EQ(d->windowTitle(), "");
        d->selectFile(dir.filePath("a/b"));
        static_cast<QDialog *>(d)->accept(); // runs the file dialog's own accept
    });
    EXPECT_EQ(browser.Browse(dir.filePath("a")), dir.filePath("a/b"));
    EXPECT_EQ(started, dir.filePath("a"));
    EXPECT_EQ(browser.Folder(), dir.filePath("a/b"));

    onFileDialog([](QFileDialog *d) { d->reject(); });
    EXPECT_FALSE(browser.Browse(dir.filePath("a")).has_value());
    EXPECT_EQ(browser.Folder(), "");
}

TEST(LinuxShell, ReadsTheMountTable)
{
    const QByteArray table
        = "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
          "40 22 8:17 / /media/u/NIKON\\040D90 rw,nosuid shared:7 - vfat /dev/sdb1 rw,fmask=0022\n"
          "41 22 0:44 / /mnt/nas rw - nfs4 server:/export rw\n"
          "broken line\n"
          "42 22 0:45 / /run/media/u/CARD rw master:2 - exfat /dev/mmcblk0p1 rw\n";
    EXPECT_EQ(ParseMountInfo(table),
              (QList<MountEntry> {{"/", "ext4", "/dev/sda1"},
                                  {"/media/u/NIKON D90", "vfat", "/dev/sdb1"},
                                  {"/mnt/nas", "nfs4", "server:/export"},
                                  {"/run/media/u/CARD", "exfat", "/dev/mmcblk0p1"}}));
    const struct
    {
        QString path;
        bool user;
    } points[] = {{"/media/u/CARD", true}, {"/run/media/u/X", true}, {"/mnt/nas", true}, {"/mnt", false},
                  {"/media", false},       {"/mediax/a", false},     {"/home/u", false}, {"/", false}};
    for (const auto &p : points)
        EXPECT_EQ(LinuxShell::IsUserMountPoint(p.path), p.user) << p.path.toStdString();
}

TEST(LinuxShell, AHungMountIsReportedNotReadyWithoutBlocking)
{
    QTemporaryDir dir;
    const QString mountInfo = dir.filePath("mountinfo");
    testfiles::write(mountInfo,
                     "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                     "41 22 0:44 / /mnt/nas rw - nfs4 server:/export rw\n"
                     "40 22 8:17 / /media/u/CARD rw - vfat /dev/sdb1 rw\n"
                     "43 22 8:33 / /srv/stick rw - vfat /dev/sdc1 rw\n");
    // The probe of the network mount never returns until the test ends.
    auto release = std::make_shared<std::timed_mutex>();
    release->lock();
    LinuxShell::Options options;
    options.mountInfo = mountInfo;
    options.timeoutMs = 300;
    options.removableSource = [](const QString &source) {
        return source == "/dev/sdc1";
    };
    options.probe = [release](const QString &path) {
        if (path != "/mnt/nas")
            return true;
        (void)release->try_lock_for(std::chrono::seconds(30));
        return true;
    };
    LinuxShell shell(options);
    ManualClock clock;
    QElapsedTimer timer;
    timer.start();
    const QList<MountedVolume> volumes = shell.MountedVolumes(clock);
    const qint64 took = timer.elapsed();
    release->unlock();
    EXPECT_EQ(volumes,
              (QList<MountedVolume> {
                  {"/media/u/CARD", true, true}, {"/mnt/nas", false, true}, {"/srv/stick", true, true}}));
    EXPECT_GT(clock.Pumps(), 5);
    EXPECT_LT(took, 10000); // bounded by the time limit, not by the hung mount
}

} // namespace
