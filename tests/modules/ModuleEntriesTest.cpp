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

// Where the build puts the modules, as an installation does: ../lib/tavrin from the programs.
QStringList builtModules()
{
    return {QDir::cleanPath(QStringLiteral(TAVRIN_BIN_DIR "/../lib/tavrin"))};
}

QFunctionPointer resolve(const char *module, const char *entry, QString *error)
{
    return ResolveBackendEntryIn(builtModules(), QString::fromLatin1(module), entry, error);
}

TEST(ModuleEntries, EveryEntryResolves)
{
    const struct
    {
        const char *module;
        const char *entry;
    } entries[] = {
        {kHeifModule, kHeifReaderEntry},
        {kMediaModule, kCaptureDeviceEntry},
        {kMediaModule, kSoundPlayerEntry},
        {kSignInModule, kOAuthNetworkEntry},
        {kSignInModule, kKeyringEntry},
    };
    for (const auto &e : entries) {
        QString error;
        EXPECT_NE(resolve(e.module, e.entry, &error), nullptr) << e.module << " " << e.entry << ": "
                                                                << error.toStdString();
        EXPECT_EQ(error, QString()) << e.entry;
    }
}

TEST(ModuleEntries, HeifReaderOfTheModuleReadsAFile)
{
    QString error;
    const auto make = reinterpret_cast<HeifReaderEntry *>(resolve(kHeifModule, kHeifReaderEntry, &error));
    ASSERT_NE(make, nullptr) << error.toStdString();
    const std::unique_ptr<PictureReader> reader(make());
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(qRgb(200, 40, 40));
    QByteArray file = testheif::encode(picture);
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

TEST(ModuleEntries, SignInEntriesMakeTheirObjects)
{
    ManualClock clock;
    QString error;
    const auto network = reinterpret_cast<OAuthNetworkEntry *>(resolve(kSignInModule, kOAuthNetworkEntry, &error));
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
    EXPECT_EQ(error, builtModules().first() + "/libtavrin-heif.so has no tavrin_no_such_entry");
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
