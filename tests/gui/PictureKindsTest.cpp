#include "mainwindow/MainUnit.h"
#include "mainwindow/model/FileSourceModel.h"
#include "mainwindow/model/ThumbnailSet.h"
#include "picture/ConvertJpeg.h"
#include "picture/JpegCodec.h"
#include "picture/PictureFile.h"
#include "picture/PictureReaders.h"
#include "platform/linux/ModuleBackends.h"
#include "support/Files.h"
#include "support/HeifFiles.h"
#include "support/MainFakes.h"
#include "support/MainWindowFixture.h"
#include "support/Process.h"
#include "widgets/BmpBtn.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QRgb kColours[] = {qRgb(230, 30, 30),  qRgb(30, 200, 30),  qRgb(30, 30, 230),
                         qRgb(230, 230, 30), qRgb(30, 220, 220), qRgb(200, 40, 210)};

// Letter blocks of side `block` ('A' to 'F'), rows separated by '/'; '.' is transparent.
QImage blocks(const QByteArray &layout, int block)
{
    const QList<QByteArray> rows = layout.split('/');
    QImage image(int(rows[0].size()) * block, int(rows.size()) * block, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const char c = rows[y / block][x / block];
            image.setPixel(x, y, c == '.' ? qRgba(0, 0, 0, 0) : kColours[c - 'A']);
        }
    }
    return image;
}

bool near(Rgb got, QRgb want, int tolerance)
{
    return std::abs(got.r - qRed(want)) <= tolerance && std::abs(got.g - qGreen(want)) <= tolerance
        && std::abs(got.b - qBlue(want)) <= tolerance;
}

// Every block's middle pixel against the layout ('.' must show white).
void expectBlocks(const Bitmap &picture, const QByteArray &layout, int block, int tolerance)
{
    const QList<QByteArray> rows = layout.split('/');
    ASSERT_EQ(picture.width(), rows[0].size() * block);
    ASSERT_EQ(picture.height(), rows.size() * block);
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < rows[r].size(); ++c) {
            const char letter = rows[r][c];
            const QRgb want = letter == '.' ? qRgb(255, 255, 255) : kColours[letter - 'A'];
            const Rgb got = picture.pixel(c * block + block / 2, r * block + block / 2);
            EXPECT_TRUE(near(got, want, tolerance))
                << "block " << c << "," << r << ": " << int(got.r) << " " << int(got.g) << " " << int(got.b);
        }
    }
}

QByteArray qtBytes(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(100);
    EXPECT_TRUE(writer.write(image)) << format << ": " << writer.errorString().toStdString();
    return bytes;
}

class PictureKindsTest : public ::testing::Test
{
protected:
    QString file(const QString &name, const QByteArray &bytes) const
    {
        EXPECT_TRUE(testfiles::write(dir.filePath(name), bytes));
        return dir.filePath(name);
    }

    // The upright picture ABC/DEF, with a transparent block where PNG, WebP and TIFF keep it.
    struct Kind
    {
        const char *name;
        QByteArray bytes;
        QByteArray layout;
        int tolerance;
    };
    std::vector<Kind> kinds() const
    {
        const QImage withHole = blocks("AB./DEF", 16);
        return {
            {"a.png", qtBytes(withHole, "png"), "AB./DEF", 0},
            {"b.webp", qtBytes(withHole, "webp"), "AB./DEF", 2},
            {"c.tiff", qtBytes(withHole, "tiff"), "AB./DEF", 0},
            {"d.heic", testheif::encode(blocks("ABC/DEF", 16)), "ABC/DEF", 20},
        };
    }

    QTemporaryDir dir;
};

TEST_F(PictureKindsTest, EachKindLoadsMakesATileAndRendersWithinTheBudget)
{
    for (const Kind &k : kinds()) {
        SCOPED_TRACE(k.name);
        ASSERT_FALSE(k.bytes.isEmpty());
        const QString path = file(k.name, k.bytes);
        const std::optional<Bitmap> picture = ReadPictureFile(path);
        ASSERT_TRUE(picture.has_value());
        expectBlocks(*picture, k.layout, 16, k.tolerance);

        // 48 x 32 in a 64 x 42 box at (0, 11): the first and last block of the bottom row.
        const std::optional<Bitmap> tile = TConvertJpeg::MakeThumbnail(path);
        ASSERT_TRUE(tile.has_value());
        EXPECT_TRUE(near(tile->pixel(10, 42), kColours[3], k.tolerance + 4));
        EXPECT_TRUE(near(tile->pixel(53, 42), kColours[5], k.tolerance + 4));
        EXPECT_EQ(tile->pixel(0, 0), (Rgb {128, 128, 128}));

        const QString out = dir.filePath("out.jpg");
        const testproc::ProcessRun render = testproc::RunTool(
            {"render", path, out, "--address", "taro@docomo.ne.jp", "--preset", "2", "--quality", "1"});
        ASSERT_EQ(render.exitCode, 0) << render.err.constData();
        EXPECT_TRUE(render.out.startsWith("frame=240x320 placement=0,80,240,160 ")) << render.out.constData();
        EXPECT_LE(QFileInfo(out).size(), 8000);
        const std::optional<Bitmap> sent = DecodeJpeg(testfiles::read(out));
        ASSERT_TRUE(sent.has_value());
        EXPECT_EQ(sent->width(), 240);
        EXPECT_EQ(sent->height(), 320);
        // The picture's first block, 80 pixels wide and high on the frame.
        EXPECT_TRUE(near(sent->pixel(40, 120), kColours[0], k.tolerance + 12));

        const testproc::ProcessRun load = testproc::RunTool({"load", path, dir.filePath("out.bmp")});
        ASSERT_EQ(load.exitCode, 0) << load.err.constData();
        EXPECT_EQ(load.out, "width=48 height=32\n");
    }
}

TEST_F(PictureKindsTest, BrokenAndTruncatedFilesOfEachKindFailCleanly)
{
    for (const Kind &k : kinds()) {
        SCOPED_TRACE(k.name);
        const QByteArray garbage = k.bytes.left(16) + QByteArray(400, '\x5A');
        for (const QByteArray &bad : {k.bytes.left(k.bytes.size() / 2), k.bytes.left(24), garbage}) {
            const QString path = file(k.name, bad);
            EXPECT_FALSE(ReadPictureFile(path).has_value()) << bad.size();
            EXPECT_FALSE(TConvertJpeg::MakeThumbnail(path).has_value()) << bad.size();
        }
        const QString path = file(k.name, garbage);
        const testproc::ProcessRun render
            = testproc::RunTool({"render", path, dir.filePath("x.jpg"), "--address", "a@example.com",
                                 "--preset", "2", "--quality", "2"});
        EXPECT_EQ(render.exitCode, 1);
        EXPECT_TRUE(render.err.contains("cannot read the picture")) << render.err.constData();
    }
}

TEST_F(PictureKindsTest, HeifIsTurnedByItsContainerOnceAndItsThumbnailMakesTheTile)
{
    // How the container stores the upright ABC/DEF under each of its turns and mirrors.
    const struct
    {
        heif_orientation orientation;
        const char *stored;
    } cases[] = {
        {heif_orientation_normal, "ABC/DEF"},
        {heif_orientation_flip_horizontally, "CBA/FED"},
        {heif_orientation_rotate_180, "FED/CBA"},
        {heif_orientation_flip_vertically, "DEF/ABC"},
        {heif_orientation_rotate_90_cw_then_flip_horizontally, "AD/BE/CF"},
        {heif_orientation_rotate_90_cw, "CF/BE/AD"},
        {heif_orientation_rotate_90_cw_then_flip_vertically, "FC/EB/DA"},
        {heif_orientation_rotate_270_cw, "DA/EB/FC"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stored);
        testheif::Options options;
        options.orientation = c.orientation;
        options.exifSaysTurnRight = true;
        const QByteArray bytes = testheif::encode(blocks(c.stored, 32), options);
        ASSERT_FALSE(bytes.isEmpty());
        const std::optional<Bitmap> picture = ReadPictureFile(file("p.heic", bytes));
        ASSERT_TRUE(picture.has_value());
        expectBlocks(*picture, "ABC/DEF", 32, 20);
    }

    // A thumbnail of another colour than the picture shows that the tile comes from it.
    testheif::Options options;
    options.thumbnailSide = 96;
    options.thumbnailPicture = blocks("BBB/BBB", 40);
    options.orientation = heif_orientation_rotate_90_cw;
    const QString path = file("t.heic", testheif::encode(blocks("CF/BE/AD", 64), options));
    const std::optional<Bitmap> picture = ReadPictureFile(path);
    ASSERT_TRUE(picture.has_value());
    expectBlocks(*picture, "ABC/DEF", 64, 20);
    const std::optional<Bitmap> fromThumbnail = ReadThumbnailPicture(path, TConvertJpeg::ThumbnailSide);
    ASSERT_TRUE(fromThumbnail.has_value());
    EXPECT_LE(qMax(fromThumbnail->width(), fromThumbnail->height()), 96);
    EXPECT_TRUE(
        near(fromThumbnail->pixel(fromThumbnail->width() / 2, fromThumbnail->height() / 2), kColours[1], 20));
    const std::optional<Bitmap> tile = TConvertJpeg::MakeThumbnail(path);
    ASSERT_TRUE(tile.has_value());
    EXPECT_TRUE(near(tile->pixel(32, 32), kColours[1], 20));
}

class PictureKindsWindowTest : public MainWindowFixture
{
};

TEST_F(PictureKindsWindowTest, AHeifPhotoOpenedByTheOpenDialogReachesThePictureStep)
{
    const QByteArray bytes = testheif::encode(blocks("CF/BE/AD", 64), [] {
        testheif::Options o;
        o.orientation = heif_orientation_rotate_90_cw;
        return o;
    }());
    ASSERT_FALSE(bytes.isEmpty());
    ASSERT_TRUE(testfiles::write(work.filePath("IMG_0001.HEIC"), bytes));
    dialogs.pictureToOpen = work.filePath("IMG_0001.HEIC");
    FakeCamera camera;
    FakeSchedule schedule;
    FakeSendRunner sender;
    makeMain([&](MainModel &model) {
        model.SetCamera(&camera);
        model.SetSchedule(&schedule);
        model.SetSendRunner(&sender);
    });
    showMain();
    auto *open = child<TBmpBtn>("btnOpenDialog");
    ASSERT_TRUE(open->isVisible());
    QTest::mouseClick(open, Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_TRUE(child("pnlPictureConfig")->isVisible());
    EXPECT_TRUE(child("btnMailCreate")->isEnabled());
    EXPECT_TRUE(prompt.Texts().isEmpty());
}

TEST_F(PictureKindsWindowTest, DropsTakeTheNewKindsByNameAndStillRefuseJpeg)
{
    const QByteArray heic = testheif::encode(blocks("ABC/DEF", 16));
    ASSERT_TRUE(testfiles::write(work.filePath("IMG_0002.HEIC"), heic));
    ASSERT_TRUE(testfiles::write(work.filePath("a.png"), qtBytes(blocks("AB./DEF", 16), "png")));
    ASSERT_TRUE(testfiles::write(work.filePath("b.jpeg"), *JpegEncoder().encode(Bitmap(8, 8), 90)));
    // A PNG named like HEIF: the name lets it in, its bytes say what it is.
    ASSERT_TRUE(testfiles::write(work.filePath("c.heif"), qtBytes(blocks("AB./DEF", 16), "png")));
    ASSERT_TRUE(testfiles::write(work.filePath("d.webp"), "not a picture"));
    FakeCamera camera;
    FakeSchedule schedule;
    FakeSendRunner sender;
    TMain &w = makeMain([&](MainModel &model) {
        model.SetCamera(&camera);
        model.SetSchedule(&schedule);
        model.SetSendRunner(&sender);
    });
    showMain();
    const struct
    {
        const char *name;
        QString message;
    } cases[] = {
        {"IMG_0002.HEIC", ""},
        {"a.png", ""},
        {"c.heif", ""},
        {"b.jpeg", "BMP/JPGファイル以外のファイルは編集できません。"},
        {"d.webp", "このファイルの画像は扱えません：\n " + work.filePath("d.webp")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        prompt.Clear();
        w.Model().FileSource().HandleDroppedFiles({work.filePath(c.name)});
        EXPECT_EQ(prompt.Texts(), c.message.isEmpty() ? QStringList() : QStringList {c.message});
        EXPECT_EQ(child("pnlPictureConfig")->isVisible(), c.message.isEmpty());
        // Back to the picture sources for the next drop.
        if (c.message.isEmpty())
            QTest::mouseClick(child("btnBack"), Qt::LeftButton, {}, QPoint(4, 4));
        ASSERT_TRUE(child("pnlFileMode")->isVisible());
    }
}

TEST_F(PictureKindsTest, FoldersListTheNewKindsAfterJpgJpegAndBmp)
{
    EXPECT_EQ(PictureReaderPatterns(),
              (QStringList {"*.heic", "*.heif", "*.png", "*.webp", "*.tif", "*.tiff"}));
    for (const char *name : {"z.jpg", "y.bmp", "IMG_0002.HEIC", "IMG_0001.heic", "a.png", "b.WEBP", "c.tiff",
                             "d.TIF", "e.gif", "f.jpeg"})
        file(name, "x");
    QStringList shown;
    for (const QString &n : ThumbnailSet::ListPictures(dir.path()))
        shown << QFileInfo(n).fileName();
    EXPECT_EQ(shown,
              (QStringList {"z.jpg", "f.jpeg", "y.bmp", "IMG_0001.heic", "IMG_0002.HEIC", "a.png", "b.WEBP",
                            "d.TIF", "c.tiff"}));
}

} // namespace
