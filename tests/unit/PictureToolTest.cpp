#include "picture/BmpFile.h"
#include "picture/ConvertJpeg.h"
#include "picture/JpegCodec.h"
#include "support/BmpBuilder.h"
#include "support/ExifBuilder.h"
#include "support/Fifo.h"
#include "support/Files.h"
#include "support/Pictures.h"
#include "support/Process.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

using Outcome = testproc::ProcessRun;
using testproc::RunProcess;
using testproc::RunTool;

class PictureToolTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return dir.filePath(name); }

    // cjpeg's file for the bitmap at one quality.
    QByteArray cjpeg(const QString &bmp, int quality)
    {
        const Outcome r
            = RunProcess("cjpeg", {"-quality", QString::number(quality), "-dct", "int", "-baseline", bmp});
        EXPECT_EQ(r.exitCode, 0) << r.err.constData();
        return r.out;
    }

    QTemporaryDir dir;
};

TEST_F(PictureToolTest, ConvertWritesWhatCjpegWritesAtTheFirstQualityThatFits)
{
    Bitmap frame = testpictures::photo(240, 320, 7);
    frame.dotsPerMeterX = 3780; // cjpeg carries the resolution into the JFIF density
    frame.dotsPerMeterY = 3780;
    const QString bmp = path("frame.bmp");
    ASSERT_TRUE(SaveBmpFile(bmp, frame));
    std::map<int, QByteArray> reference;
    for (int q = 100; q >= 0; q -= 2)
        reference[q] = cjpeg(bmp, q);

    const std::vector<qint64> budgets = {0,
                                         reference[100].size(),
                                         reference[90].size(),
                                         reference[64].size() + 1,
                                         (reference[20].size() + reference[18].size()) / 2,
                                         reference[2].size(),
                                         reference[2].size() - 1,
                                         1};
    for (const qint64 budget : budgets) {
        SCOPED_TRACE(budget);
        int expected = 100;
        int passes = 1;
        if (budget > 0) {
            while (expected > 0 && reference[expected].size() > budget) {
                expected -= 2;
                ++passes;
            }
        }
        const Outcome r = RunTool({"convert", bmp, path("out.jpg"), "--budget", QString::number(budget)});
        ASSERT_EQ(r.exitCode, 0) << r.err.constData();
        EXPECT_EQ(r.out,
                  QStringLiteral("quality=%1 size=%2 passes=%3\n")
                      .arg(expected)
                      .arg(reference[expected].size())
                      .arg(passes)
                      .toUtf8());
        EXPECT_EQ(testfiles::read(path("out.jpg")), reference[expected]);
    }
}

TEST_F(PictureToolTest, ConvertScalesWhenARectangleIsGiven)
{
    const QString bmp = path("frame.bmp");
    ASSERT_TRUE(SaveBmpFile(bmp, testpictures::photo(240, 320)));
    const Outcome dst = RunTool({"convert", bmp, path("a.jpg"), "--dst", "120,160"});
    ASSERT_EQ(dst.exitCode, 0) << dst.err.constData();
    const Outcome both = RunTool({"convert", bmp, path("b.jpg"), "--src", "0,0,240,320", "--dst", "120,160"});
    ASSERT_EQ(both.exitCode, 0) << both.err.constData();
    EXPECT_EQ(testfiles::read(path("a.jpg")), testfiles::read(path("b.jpg")));
    const std::optional<Bitmap> a = TConvertJpeg::LoadJpegFile(path("a.jpg"));
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(a->width(), 120);
    EXPECT_EQ(a->height(), 160);

    // A source rectangle alone keeps its own size.
    ASSERT_EQ(RunTool({"convert", bmp, path("c.jpg"), "--src", "10,20,110,220"}).exitCode, 0);
    const std::optional<Bitmap> c = TConvertJpeg::LoadJpegFile(path("c.jpg"));
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(c->width(), 100);
    EXPECT_EQ(c->height(), 200);
}

TEST_F(PictureToolTest, ConvertRefusesBadArgumentsAndFilesOnStderr)
{
    const QString bmp = path("frame.bmp");
    ASSERT_TRUE(SaveBmpFile(bmp, testpictures::photo(24, 32)));
    const struct
    {
        QStringList args;
        QByteArray err;
    } cases[] = {
        {{"convert", bmp}, "tavrin-tool: convert needs IN.bmp and OUT.jpg\n"},
        {{"convert", bmp, path("o.jpg"), "--budget", "-1"},
         "tavrin-tool: --budget needs a byte count of 0 or more\n"},
        {{"convert", bmp, path("o.jpg"), "--src", "1,2,3"},
         "tavrin-tool: --src needs LEFT,TOP,RIGHT,BOTTOM\n"},
        {{"convert", bmp, path("o.jpg"), "--dst", "0,5"},
         "tavrin-tool: --dst needs WIDTH,HEIGHT, both above 0\n"},
        {{"convert", bmp, path("o.jpg"), "--src", "0,0,25,32"},
         ("tavrin-tool: 変換する範囲が画像に収まりません：" + bmp + "\n").toUtf8()},
        {{"convert", path("none.bmp"), path("o.jpg")},
         ("tavrin-tool: ビットマップファイルを読み込めません：" + path("none.bmp") + "\n").toUtf8()},
        {{"convert", bmp, path("no/o.jpg")},
         ("tavrin-tool: JPEGファイルを書き込めません：" + path("no/o.jpg") + "\n").toUtf8()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Outcome r = RunTool(c.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, c.err);
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST_F(PictureToolTest, ThumbAndLoadWriteWhatTheCoreReads)
{
    JpegEncoder encoder;
    const QByteArray main = encoder.encode(testpictures::photo(160, 120), 90).value();
    const QByteArray thumb = encoder.encode(testpictures::photo(40, 30, 2), 90).value();
    const QString jpeg = path("photo.jpg");
    ASSERT_TRUE(
        testfiles::write(jpeg, testexif::build(main, testexif::Layout().inBigEndian().withThumbnail(thumb))));

    ASSERT_EQ(RunTool({"thumb", jpeg, path("tile.bmp")}).exitCode, 0);
    const QByteArray tileFile = testfiles::read(path("tile.bmp"));
    EXPECT_EQ(tileFile.mid(28, 2).toHex(), "1800"); // 24 bits per pixel
    EXPECT_EQ(LoadBmpFile(path("tile.bmp")), TConvertJpeg::MakeThumbnail(jpeg));

    const Outcome load = RunTool({"load", jpeg, path("photo.bmp")});
    ASSERT_EQ(load.exitCode, 0) << load.err.constData();
    EXPECT_EQ(load.out, "width=160 height=120\n");
    EXPECT_EQ(LoadBmpFile(path("photo.bmp")), TConvertJpeg::LoadJpegFile(jpeg));

    // A bitmap is read as one, whatever its name.
    ASSERT_TRUE(SaveBmpFile(path("frame.jpg"), testpictures::photo(5, 3), BmpDepth::Bits15));
    const Outcome bitmap = RunTool({"load", path("frame.jpg"), path("frame.bmp")});
    ASSERT_EQ(bitmap.exitCode, 0) << bitmap.err.constData();
    EXPECT_EQ(bitmap.out, "width=5 height=3\n");
    EXPECT_EQ(LoadBmpFile(path("frame.bmp")), LoadBmpFile(path("frame.jpg")));

    ASSERT_TRUE(testfiles::write(path("bad.jpg"), main.left(100)));
    const Outcome bad = RunTool({"load", path("bad.jpg"), path("x.bmp")});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.err, ("tavrin-tool: cannot read " + path("bad.jpg") + " as a picture\n").toUtf8());
    const Outcome noTile = RunTool({"thumb", path("bad.jpg"), path("x.bmp")});
    EXPECT_EQ(noTile.exitCode, 1);
    EXPECT_EQ(noTile.err, ("tavrin-tool: cannot make a thumbnail of " + path("bad.jpg") + "\n").toUtf8());
    EXPECT_FALSE(QFile::exists(path("x.bmp")));
}

TEST_F(PictureToolTest, InputsAndOutputsThatAreNoFilesAreRefusedWithAClearMessage)
{
    const QString bmp = path("frame.bmp");
    ASSERT_TRUE(SaveBmpFile(bmp, testpictures::photo(24, 32)));
    const QString jpeg = path("photo.jpg");
    ASSERT_TRUE(testfiles::write(jpeg, JpegEncoder().encode(testpictures::photo(24, 32), 90).value()));
    const QString big = path("big.bmp");
    ASSERT_TRUE(testfiles::write(big, testfiles::read(bmp)));
    ASSERT_TRUE(QFile::resize(big, kMaxBmpFileBytes + 1));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    // A reader that wrongly opens a FIFO finds a picture in it, and the test fails on its answer.
    std::vector<std::unique_ptr<TestFifo>> fifos;
    const auto fifo = [&](const QString &name, const QByteArray &payload) {
        fifos.push_back(std::make_unique<TestFifo>(path(name), payload));
        EXPECT_TRUE(fifos.back()->made());
        return path(name);
    };
    TestFifo out(path("out.fifo"), QByteArray());
    const QByteArray notRegular = "not a regular file (a device, a FIFO or a folder)\n";
    const auto cannotRead = [&](const QString &p) {
        return "tavrin-tool: cannot read " + p.toUtf8() + ": " + notRegular;
    };
    const auto willNotWrite = [&](const QString &p) {
        return "tavrin-tool: will not write " + p.toUtf8() + ": " + notRegular;
    };
    const QStringList render = {"--address", "a@docomo.ne.jp", "--preset", "0", "--quality", "0"};
    const struct
    {
        QStringList args;
        QByteArray err;
    } cases[] = {
        {{"convert", "/dev/zero", path("o.jpg")}, cannotRead("/dev/zero")},
        {{"convert", fifo("a.fifo", testfiles::read(bmp)), path("o.jpg")}, cannotRead(path("a.fifo"))},
        {{"convert", big, path("o.jpg")},
         "tavrin-tool: cannot read " + big.toUtf8() + ": larger than 401048576 bytes\n"},
        {{"convert", bmp, path("out.fifo")}, willNotWrite(path("out.fifo"))},
        {{"convert", bmp, path("folder")}, willNotWrite(path("folder"))},
        {{"convert", bmp, path("o.jpg"), "--dst", "20000,20000"},
         "tavrin-tool: --dst 20000,20000 is too large: the picture may have at most 100000000 pixels\n"},
        {{"load", "/dev/zero", path("o.bmp")}, cannotRead("/dev/zero")},
        {{"load", fifo("b.fifo", testfiles::read(jpeg)), path("o.bmp")}, cannotRead(path("b.fifo"))},
        {{"load", path("folder"), path("o.bmp")}, cannotRead(path("folder"))},
        {{"load", jpeg, path("out.fifo")}, willNotWrite(path("out.fifo"))},
        {{"thumb", fifo("c.fifo", testfiles::read(jpeg)), path("o.bmp")}, cannotRead(path("c.fifo"))},
        {{"thumb", jpeg, path("out.fifo")}, willNotWrite(path("out.fifo"))},
        {QStringList {"render", fifo("d.fifo", testfiles::read(jpeg)), path("o.jpg")} + render,
         cannotRead(path("d.fifo"))},
        {QStringList {"render", jpeg, path("out.fifo")} + render, willNotWrite(path("out.fifo"))},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Outcome r = RunTool(c.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, c.err);
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_TRUE(out.stillFifo());
    for (const char *name : {"o.jpg", "o.bmp"})
        EXPECT_FALSE(QFile::exists(path(name)));

    // A device node of our own, where the system allows making one: never replaced by a file.
    const QByteArray node = QFile::encodeName(path("null"));
    if (::mknod(node.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        for (const QStringList &args :
             {QStringList {"load", jpeg, path("null")}, QStringList {"convert", bmp, path("null")},
              QStringList {"thumb", jpeg, path("null")}}) {
            SCOPED_TRACE(args.join(' ').toStdString());
            const Outcome r = RunTool(args);
            EXPECT_EQ(r.exitCode, 1);
            EXPECT_EQ(r.err, willNotWrite(path("null")));
            struct stat st = {};
            ASSERT_EQ(::lstat(node.constData(), &st), 0);
            EXPECT_TRUE(S_ISCHR(st.st_mode));
        }
    }
}

TEST_F(PictureToolTest, APictureOfMoreThan100MegapixelsIsRefusedForWhatItIs)
{
    // Run-length data that ends the picture at once, and a flat JPEG: a few hundred kilobytes each.
    testbmp::Layout rle;
    rle.width = 10001;
    rle.height = 10000;
    rle.bitCount = 8;
    rle.compression = 1;
    rle.palette.assign(256, Rgb {});
    rle.pixels = QByteArray::fromHex("0001") + QByteArray(196000, '\0');
    const QString bmp = path("huge.bmp");
    ASSERT_TRUE(testfiles::write(bmp, testbmp::build(rle)));
    const QString jpeg = path("huge.jpg");
    ASSERT_TRUE(testfiles::write(jpeg, testpictures::flatJpeg(10001, 10000)));
    const auto refused = [](const QString &p) {
        return (p + " is a picture of 10001 x 10000 pixels: at most 100000000 pixels are read").toUtf8();
    };
    const struct
    {
        QStringList args;
        QByteArray err;
    } cases[] = {
        {{"convert", bmp, path("o.jpg")}, refused(bmp)},
        {{"convert", bmp, path("o.jpg"), "--dst", "120,160"}, refused(bmp)},
        {{"load", bmp, path("o.bmp")}, refused(bmp)},
        {{"load", jpeg, path("o.bmp")}, refused(jpeg)},
        {{"thumb", jpeg, path("o.bmp")}, refused(jpeg)},
        {{"render", jpeg, path("o.jpg"), "--address", "a@b", "--preset", "0", "--quality", "0"},
         refused(jpeg)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Outcome r = RunTool(c.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, "tavrin-tool: " + c.err + "\n");
    }
}

} // namespace
