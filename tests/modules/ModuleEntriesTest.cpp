// Every entry of every module opens from a program that links none of the backends itself, as the
// programs do; the entries' objects work on the program's own core; and a module or entry that is not
// there is missed with a reason.
//
// A process of its own: the GUI tests link the backends statically, and a module's copy of them
// beside the program's is a second definition of each.

#include "mail/OAuthClient.h"
#include "mail/SecretStore.h"
#include "picture/PictureFile.h"
#include "platform/linux/BackendModules.h"
#include "support/Files.h"
#include "support/HeifFiles.h"
#include "support/ManualClock.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QFunctionPointer resolve(const char *module, const char *entry, QString *error)
{
    return ResolveBackendEntryIn({testfiles::builtModules()}, QString::fromLatin1(module), entry, error);
}

// The HEIF reader the module makes; null, with the reason in error, when its entry is missing.
std::unique_ptr<PictureReader> heifReaderOfTheModule(QString *error)
{
    const auto make = reinterpret_cast<HeifReaderEntry *>(resolve(kHeifModule, kHeifReaderEntry, error));
    return std::unique_ptr<PictureReader>(make ? make() : nullptr);
}

TEST(ModuleEntries, EveryEntryResolves)
{
    const struct
    {
        const char *module;
        const char *entry;
    } entries[] = {
        {kHeifModule, kHeifReaderEntry},   {kMediaModule, kCaptureDeviceEntry},
        {kMediaModule, kSoundPlayerEntry}, {kSignInModule, kOAuthNetworkEntry},
        {kSignInModule, kKeyringEntry},    {kTlsModule, kTlsTransportEntry},
    };
    for (const auto &e : entries) {
        QString error;
        EXPECT_NE(resolve(e.module, e.entry, &error), nullptr)
            << e.module << " " << e.entry << ": " << error.toStdString();
        EXPECT_EQ(error, QString()) << e.entry;
    }
}

TEST(ModuleEntries, HeifReaderOfTheModuleReadsAFile)
{
    QString error;
    const std::unique_ptr<PictureReader> reader = heifReaderOfTheModule(&error);
    ASSERT_NE(reader, nullptr) << error.toStdString();
    QByteArray file = testheif::smallRed();
    EXPECT_TRUE(reader->CanRead(file.first(32)));
    EXPECT_EQ(reader->NamePatterns(), QStringList({"*.heic", "*.heif"}));

    QBuffer device(&file);
    ASSERT_TRUE(device.open(QIODevice::ReadOnly));
    const std::optional<Bitmap> read = reader->Read(device, 0);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->width(), 40);
    EXPECT_EQ(read->height(), 30);
    // The encoder's colours come back within its loss.
    const Rgb centre = read->pixel(20, 15);
    EXPECT_NEAR(centre.r, 200, 8);
    EXPECT_NEAR(centre.g, 40, 8);
    EXPECT_NEAR(centre.b, 40, 8);
}

// Counts what is read through it.
class CountingBuffer : public QBuffer
{
public:
    using QBuffer::QBuffer;
    qint64 bytesRead = 0;

protected:
    qint64 readData(char *data, qint64 size) override
    {
        const qint64 n = QBuffer::readData(data, size);
        bytesRead += qMax<qint64>(n, 0);
        return n;
    }
};

TEST(ModuleEntries, AHeifTileFromTheThumbnailReadsNoneOfThePicturesData)
{
    QString error;
    const std::unique_ptr<PictureReader> reader = heifReaderOfTheModule(&error);
    ASSERT_NE(reader, nullptr) << error.toStdString();

    // Noise, so that the picture's data is large beside the thumbnail's; the thumbnail is of one
    // colour, which tells it from the picture.
    QImage noise(640, 480, QImage::Format_RGB32);
    quint32 seed = 7;
    for (int y = 0; y < noise.height(); ++y) {
        for (int x = 0; x < noise.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            noise.setPixel(x, y, seed >> 8);
        }
    }
    testheif::Options options;
    options.thumbnailSide = 96;
    options.thumbnailPicture = QImage(120, 90, QImage::Format_RGB32);
    options.thumbnailPicture.fill(qRgb(30, 200, 30));
    QByteArray file = testheif::encode(noise, options);
    ASSERT_GT(file.size(), 100000);

    CountingBuffer tileRead(&file);
    ASSERT_TRUE(tileRead.open(QIODevice::ReadOnly));
    const std::optional<Bitmap> tile = reader->Read(tileRead, 64);
    ASSERT_TRUE(tile);
    EXPECT_EQ(tile->width(), 96);
    EXPECT_EQ(tile->height(), 72);
    EXPECT_NEAR(tile->pixel(48, 36).g, 200, 8);
    EXPECT_NEAR(tile->pixel(48, 36).r, 30, 8);
    EXPECT_LT(tileRead.bytesRead, 20000) << "of " << file.size();

    // The picture itself still comes whole, and from its own bytes.
    CountingBuffer pictureRead(&file);
    ASSERT_TRUE(pictureRead.open(QIODevice::ReadOnly));
    const std::optional<Bitmap> picture = reader->Read(pictureRead, 0);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width(), 640);
    EXPECT_EQ(picture->height(), 480);
    EXPECT_GT(pictureRead.bytesRead, file.size() - 20000);
    const QRgb corner = noise.pixel(5, 5);
    const Rgb got = picture->pixel(5, 5);
    EXPECT_NEAR(got.r, qRed(corner), 64);
    EXPECT_NEAR(got.g, qGreen(corner), 64);
}

TEST(ModuleEntries, SignInEntriesMakeTheirObjects)
{
    ManualClock clock;
    QString error;
    const auto network
        = reinterpret_cast<OAuthNetworkEntry *>(resolve(kSignInModule, kOAuthNetworkEntry, &error));
    const auto keyring = reinterpret_cast<KeyringEntry *>(resolve(kSignInModule, kKeyringEntry, &error));
    ASSERT_NE(network, nullptr) << error.toStdString();
    ASSERT_NE(keyring, nullptr) << error.toStdString();
    EXPECT_NE(std::unique_ptr<OAuthNetwork>(network(clock)), nullptr);
    EXPECT_NE(std::unique_ptr<SecretStore>(keyring(clock)), nullptr);
}

TEST(ModuleEntries, MissingModuleOrEntrySaysWhy)
{
    QTemporaryDir empty;
    QString error;
    EXPECT_EQ(ResolveBackendEntryIn({empty.path()}, QStringLiteral("tavrin-heif"), kHeifReaderEntry, &error),
              nullptr);
    EXPECT_EQ(error, "libtavrin-heif.so is in none of " + empty.path());

    // Not a shared object at all.
    QTemporaryDir broken;
    testfiles::write(broken.filePath(QStringLiteral("libtavrin-heif.so")), QByteArray("not an ELF file"));
    EXPECT_EQ(ResolveBackendEntryIn({broken.path()}, QStringLiteral("tavrin-heif"), kHeifReaderEntry, &error),
              nullptr);
    EXPECT_TRUE(error.startsWith("Cannot load library")) << error.toStdString();
    EXPECT_TRUE(error.contains(broken.filePath(QStringLiteral("libtavrin-heif.so")))) << error.toStdString();

    // The module is there, the entry is not.
    EXPECT_EQ(resolve(kHeifModule, "tavrin_no_such_entry", &error), nullptr);
    EXPECT_EQ(error, testfiles::builtModules() + "/libtavrin-heif.so has no tavrin_no_such_entry");
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
