// The backends that live in modules: found where the programs look, opened through their entry
// points, and missed cleanly where a copy of a program has no modules beside it.

#include "platform/linux/BackendModules.h"
#include "picture/PictureFile.h"
#include "platform/linux/ModuleBackends.h"
#include "support/Files.h"
#include "support/HeifFiles.h"
#include "support/Process.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(BackendModules, LooksBesideTheProgramThenInLibTavrin)
{
    const QStringList folders = BackendModuleFolders();
    ASSERT_EQ(folders.size(), 2);
    EXPECT_EQ(folders[0], QDir::cleanPath(QStringLiteral(TAVRIN_BIN_DIR)));
    EXPECT_EQ(folders[1], testfiles::builtModules());
}

TEST(BackendModules, HeifStandInKnowsTheKindWithoutItsModuleAndReadsThroughIt)
{
    const std::unique_ptr<PictureReader> reader = MakeModuleHeifReader();
    const QByteArray file = testheif::smallRed();
    EXPECT_TRUE(reader->CanRead(file.first(32)));
    EXPECT_FALSE(reader->CanRead(QByteArrayView("\x89PNG\r\n\x1A\n\0\0\0\0", 12)));
    EXPECT_EQ(reader->NamePatterns(), QStringList({"*.heic", "*.heif"}));

    QByteArray bytes = file;
    QBuffer device(&bytes);
    ASSERT_TRUE(device.open(QIODevice::ReadOnly));
    const std::optional<Bitmap> picture = reader->Read(device, 0);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width(), 40);
    EXPECT_EQ(picture->height(), 30);
}

// A copy of tavrin-tool with no modules beside it: a HEIF file is no picture, said as for any
// other file it cannot read; BMP and JPEG need no module.
TEST(BackendModules, ProgramWithoutModulesRefusesHeifAndReadsTheRest)
{
    QTemporaryDir dir;
    const QString tool = dir.filePath(QStringLiteral("tavrin-tool"));
    ASSERT_TRUE(QFile::copy(testfiles::binary(QStringLiteral("tavrin-tool")), tool));
    const QString heic = dir.filePath(QStringLiteral("a.heic"));
    testfiles::write(heic, testheif::smallRed());

    const testproc::ProcessRun refused = testproc::RunProcess(tool, {"load", heic, dir.filePath("a.bmp")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("cannot read " + heic.toUtf8() + " as a picture"))
        << refused.err.constData();
    EXPECT_TRUE(refused.err.contains("libtavrin-heif.so is in none of")) << refused.err.constData();

    const testproc::ProcessRun read = testproc::RunProcess(testfiles::binary(QStringLiteral("tavrin-tool")),
                                                           {"load", heic, dir.filePath("a.bmp")});
    EXPECT_EQ(read.exitCode, 0) << read.err.constData();
    EXPECT_EQ(read.out, "width=40 height=30\n");
}

} // namespace
