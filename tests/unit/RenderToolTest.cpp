#include "picture/BmpFile.h"
#include "picture/JpegCodec.h"
#include "support/Files.h"
#include "support/Pictures.h"
#include "support/Process.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Outcome
{
    int exitCode = -1;
    QString out;
    QString err;
};

Outcome tool(const QStringList &args)
{
    const testproc::ProcessRun run = testproc::RunTool(QStringList {"render"} + args);
    return {run.exitCode, QString::fromUtf8(run.out), QString::fromUtf8(run.err)};
}

class RenderToolTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(work.isValid());
        ASSERT_TRUE(
            testfiles::write(path("photo.jpg"), *JpegEncoder().encode(testpictures::photo(800, 600), 92)));
        ASSERT_TRUE(SaveBmpFile(path("plain.bmp"), testpictures::plain(64, 48, Rgb {10, 200, 30})));
    }

    QString path(const QString &name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    QTemporaryDir work;
};

TEST_F(RenderToolTest, FramesAndWritesThePictureForTheRecipient)
{
    const struct
    {
        const char *name;
        QStringList args;
        QString frame; // and the placement
        int width, height, budget;
    } cases[] = {
        {"120 x 120, zoomed, aligned and dragged",
         {"--preset", "0", "--quality", "2", "--ops", "zoom:10,left,move:-5,7,drop"},
         "frame=240x240 placement=-5,47,320,240",
         120,
         120,
         4000},
        {"240 x 320 as loaded",
         {"--preset", "2", "--quality", "1"},
         "frame=240x320 placement=0,70,240,180",
         240,
         320,
         8000},
        {"user size, fitted, turned, dropped off the left",
         {"--preset", "3", "--quality", "0", "--size", "200,150", "--ops",
          "fit-height,rotate-right,center,move:-400,0,drop"},
         // 180 x 240 fitted to the 240 x 180 frame, turned about (120, 160) to 180 x 240, centred at
         // (30, -30), dragged to -370 and snapped back to the left edge.
         "frame=240x180 placement=0,-30,180,240",
         200,
         150,
         4096},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString out = path("out.jpg");
        const Outcome r
            = tool(QStringList {path("photo.jpg"), out, "--address", "taro@docomo.ne.jp"} + c.args);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QStringList fields = r.out.trimmed().split(' ');
        ASSERT_EQ(fields.size(), 4) << r.out.toStdString();
        EXPECT_EQ(fields[0] + ' ' + fields[1], c.frame);
        const int quality = fields[2].mid(8).toInt();
        EXPECT_TRUE(fields[2].startsWith("quality=")) << r.out.toStdString();
        EXPECT_GT(quality, 0);
        EXPECT_EQ(fields[3], QStringLiteral("size=%1").arg(QFileInfo(out).size()));
        EXPECT_LE(QFileInfo(out).size(), c.budget);
        const std::optional<Bitmap> picture = DecodeJpeg(testfiles::read(out));
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->width(), c.width);
        EXPECT_EQ(picture->height(), c.height);
    }
}

TEST_F(RenderToolTest, LeavesTmpBmpInTheWorkFolderForTheWillcomClass)
{
    const QString bmp = work.filePath("tmp.bmp");
    Outcome r
        = tool({path("plain.bmp"), path("a.jpg"), "--address", "taro@pdx.ne.jp", "--preset", "1", "--quality",
                "2", "--background", "FF0080", "--ops", "fit-height,right", "--work", work.path()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    // 64 x 48 fitted to 320 high is 426 wide; against the right edge it starts at 240 - 426.
    EXPECT_TRUE(r.out.startsWith("frame=240x320 placement=-186,0,426,320 quality=100 size="))
        << r.out.toStdString();
    const std::optional<Bitmap> frame = LoadBmpFile(bmp);
    ASSERT_TRUE(frame);
    EXPECT_EQ(*frame, testpictures::plain(240, 320, Rgb {10, 200, 30}));

    // Another class takes it away; the background shows where the picture does not reach.
    r = tool({path("plain.bmp"), path("b.jpg"), "--address", "taro@example.com", "--preset", "2", "--quality",
              "2", "--background", "ff0080", "--ops", "move:0,-250", "--work", work.path()});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("frame=240x320 placement=0,-180,240,180 ")) << r.out.toStdString();
    EXPECT_FALSE(QFileInfo::exists(bmp));
    const std::optional<Bitmap> picture = DecodeJpeg(testfiles::read(path("b.jpg")));
    ASSERT_TRUE(picture);
    const Rgb corner = picture->pixel(120, 160);
    EXPECT_NEAR(corner.r, 255, 3);
    EXPECT_NEAR(corner.g, 0, 3);
    EXPECT_NEAR(corner.b, 128, 3);
}

TEST_F(RenderToolTest, RefusesBadArgumentsWithAMessage)
{
    const QString in = path("photo.jpg");
    const QString out = path("never.jpg");
    const QStringList base {in, out, "--address", "a@example.com"};
    const struct
    {
        QStringList args;
        const char *message;
    } cases[] = {
        {{in, out, "--preset", "2", "--quality", "2"}, "render needs --address, --preset and --quality"},
        {base + QStringList {"--preset", "4", "--quality", "2"}, "--preset must be"},
        {base + QStringList {"--preset", "2", "--quality", "high"}, "--quality must be"},
        {base + QStringList {"--preset", "3", "--quality", "2"}, "--size W,H goes with --preset 3"},
        {base + QStringList {"--preset", "2", "--quality", "2", "--size", "200,150"}, "--size W,H goes with"},
        {base + QStringList {"--preset", "3", "--quality", "2", "--size", "241,150"}, "--size needs W,H"},
        {base + QStringList {"--preset", "2", "--quality", "2", "--background", "12345G"},
         "--background needs"},
        {base + QStringList {"--preset", "2", "--quality", "2", "--ops", "zoom:10,spin"},
         "unknown operation: spin"},
        {base + QStringList {"--preset", "2", "--quality", "2", "--ops", "move:5"}, "move needs DX,DY"},
        {base + QStringList {"--preset", "2", "--quality", "2", "--ops", "zoom:x"},
         "zoom needs a whole number"},
        {{path("photo.JPG.bmp"), out, "--address", "a@example.com", "--preset", "2", "--quality", "2"},
         "cannot read the picture"},
        {{in, out, "--address", "a@example.com", "--preset", "2", "--quality", "2", "--work",
          path("no/such")},
         "ビットマップファイルを書き込めません"},
    };
    ASSERT_TRUE(QFile::copy(in, path("photo.JPG.bmp")));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Outcome r = tool(c.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(out));
    }
}

} // namespace
