// Writes the fuzzers' seed corpus: fuzz_seeds ROOT NAME... makes ROOT/NAME for every harness
// fuzz_NAME and fills the folders of the kinds it knows.

#include "mail/AddressBook.h"
#include "picture/BmpFile.h"
#include "picture/JpegCodec.h"
#include "support/BmpBuilder.h"
#include "support/ExifBuilder.h"
#include "support/HeifFiles.h"
#include "support/Pictures.h"
#include "support/ThunderbirdProfiles.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImageWriter>

#include <cstdio>
#include <map>
#include <vector>

namespace {

bool write(const QString &folder, const QString &name, const QByteArray &bytes)
{
    QFile f(folder + QLatin1Char('/') + name);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

quint32 index(int x, int y)
{
    return quint32((x + 2 * y) % 4);
}

std::vector<std::pair<QString, QByteArray>> bitmaps()
{
    using testbmp::Layout;
    using testbmp::packRows;
    std::vector<std::pair<QString, QByteArray>> out;
    const Bitmap photo = testpictures::photo(5, 3);
    out.emplace_back("written24.bmp", WriteBmp(photo));
    out.emplace_back("written15.bmp", WriteBmp(photo, BmpDepth::Bits15));
    std::vector<Rgb> palette(256);
    for (int i = 0; i < 256; ++i)
        palette[size_t(i)] = Rgb {quint8(i), quint8(255 - i), quint8(i * 7)};

    for (const quint32 header : {12u, 40u, 124u}) {
        for (const bool topDown : {false, true}) {
            if (header == 12 && topDown)
                continue;
            Layout s;
            s.headerSize = header;
            s.width = 5;
            s.height = topDown ? -3 : 3;
            s.pixels = packRows(5, 3, 24, topDown, [](int x, int y) { return quint32(x * 40 + y * 7); });
            out.emplace_back(QStringLiteral("rgb24-h%1%2.bmp").arg(header).arg(topDown ? "-top" : ""),
                             testbmp::build(s));
        }
    }
    for (const quint32 header : {40u, 108u}) {
        Layout s;
        s.headerSize = header;
        s.width = 5;
        s.height = 3;
        s.bitCount = 32;
        s.compression = 3;
        s.masks = {0xFF000000, 0x00FF0000, 0x0000FF00};
        s.pixels = packRows(5, 3, 32, false, [](int x, int y) { return quint32(x * 0x01020304 + y); });
        out.emplace_back(QStringLiteral("fields32-h%1.bmp").arg(header), testbmp::build(s));
    }
    for (const bool fields : {false, true}) {
        Layout s;
        s.width = 5;
        s.height = 3;
        s.bitCount = 16;
        s.compression = fields ? 3 : 0;
        s.masks = {0xF800, 0x07E0, 0x001F};
        s.pixels = packRows(5, 3, 16, false, [](int x, int y) { return quint32(x * 3001 + y * 77); });
        out.emplace_back(fields ? "fields16.bmp" : "rgb16.bmp", testbmp::build(s));
    }
    {
        Layout s;
        s.width = 5;
        s.height = 3;
        s.bitCount = 32;
        s.pixels = packRows(5, 3, 32, false, [](int x, int y) { return quint32(x * 0x00102030 + y); });
        out.emplace_back("rgb32.bmp", testbmp::build(s));
    }
    for (const int bits : {1, 4, 8}) {
        for (const quint32 header : {12u, 40u}) {
            Layout s;
            s.headerSize = header;
            s.width = 5;
            s.height = 3;
            s.bitCount = quint16(bits);
            s.palette.assign(palette.begin(), palette.begin() + (1 << bits));
            s.pixels
                = packRows(5, 3, bits, false, [bits](int x, int y) { return index(x, y) % (1u << bits); });
            out.emplace_back(QStringLiteral("palette%1-h%2.bmp").arg(bits).arg(header), testbmp::build(s));
        }
    }
    {
        Layout s;
        s.width = 5;
        s.height = 3;
        s.bitCount = 8;
        s.compression = 1;
        s.palette = palette;
        s.colorsUsed = 256;
        s.pixels = QByteArray::fromHex("0201 000302030100 0000 00020200 0303 0000 0702 0001");
        out.emplace_back("rle8.bmp", testbmp::build(s));
    }
    {
        Layout s;
        s.width = 5;
        s.height = 2;
        s.bitCount = 4;
        s.compression = 2;
        s.palette.assign(palette.begin(), palette.begin() + 16);
        s.pixels = QByteArray::fromHex("0512 0000 0005 30120000 0001");
        out.emplace_back("rle4.bmp", testbmp::build(s));
    }
    return out;
}

std::vector<std::pair<QString, QByteArray>> jpegs()
{
    using testexif::Layout;
    JpegEncoder encoder;
    const QByteArray main = encoder.encode(testpictures::photo(40, 30), 75).value();
    const QByteArray thumb = encoder.encode(testpictures::photo(16, 12, 2), 75).value();
    QByteArray cut = thumb;
    cut.chop(2);
    std::vector<std::pair<QString, QByteArray>> out;
    out.emplace_back("jfif.jpg", main);
    out.emplace_back("exif-ii.jpg", testexif::build(main, Layout().withThumbnail(thumb)));
    out.emplace_back("exif-mm.jpg", testexif::build(main, Layout().withThumbnail(thumb).inBigEndian()));
    out.emplace_back("jfif-exif.jpg", testexif::build(main, Layout().withThumbnail(thumb).afterJfif()));
    out.emplace_back("exif-link-past.jpg",
                     testexif::build(main, Layout().withThumbnail(thumb).withLink(0x7FFFFFFF)));
    out.emplace_back("exif-no-end.jpg", testexif::build(main, Layout().withThumbnail(cut).afterJfif()));
    out.emplace_back("exif-short.jpg", testexif::build(main, Layout().withThumbnail(thumb).withLength(16)));
    return out;
}

std::vector<std::pair<QString, QByteArray>> addressBooks()
{
    TMailAddress a;
    a.Name = QString::fromUtf8("山田 太郎");
    a.Address = QStringLiteral("taro@docomo.ne.jp");
    a.ServerRoute = true;
    a.SizePreset = 2;
    a.QualityLevel = 2;
    a.Width = 240;
    a.Height = 320;
    TMailAddress b;
    b.Address = QStringLiteral("x@ezweb.ne.jp");
    std::vector<std::pair<QString, QByteArray>> out;
    out.emplace_back("two.ADX", TAddressBook::FileBytes({a, b}));
    out.emplace_back("words-and-line-ends.ADX",
                     QByteArray("A\ra\nTrue\r\n3\n0\r240\r\n-5\nB\r\nb\r\nfalse\r\n"
                                "-128\r\n127\r\n2147483647\r\n-2147483648"));
    out.emplace_back("short.ADX", QByteArray("A\r\na\r\n0\r\n1\r\n"));
    out.emplace_back("older.ADR",
                     QByteArray("Old").leftJustified(32) + QByteArray("o@x").leftJustified(48) + "use_ftp\r\n"
                         + QByteArray("Short name\tnot_use_ftp\r\n"));
    return out;
}

std::vector<std::pair<QString, QByteArray>> profiles()
{
    using testthunderbird::Account;
    std::vector<std::pair<QString, QByteArray>> out;
    out.emplace_back("accounts.js",
                     testthunderbird::prefsJs(
                         {Account {"pop3", "山田 太郎", "taro@example.jp", "pop.example.jp", "taro", "自宅",
                                   "smtp.example.jp", "taro"},
                          Account {"imap", "Hanako \"Hana\" Sato", "hanako@example.com", "imap.example.com",
                                   "hanako", "work\\home", "", ""},
                          Account {"nntp", "News", "news@example.jp", "news.example.jp", "", "news", "", ""},
                          Account {"none", "", "", "Local Folders", "nobody", "Local Folders", "", ""}},
                         "smtp.example.com", "hanako"));
    out.emplace_back(
        "escapes.js",
        "user_pref('a', 'single \\' quote');\n"
        "user_pref(\"b\", \"\\x41\\u5c71\\ud83d\\ude00\\n\\r\\t\"); user_pref(\"c\", -2147483648);\n"
        "pref(\"d\", true); // a default\n/* a comment */ user_pref(\"e\", false);\r\n");
    out.emplace_back("profiles.ini",
                     "[Install4F96D1932A9F858E]\nDefault=x.default-release\nLocked=1\n\n"
                     "[Profile1]\nName=old\nIsRelative=0\nPath=/home/u/old\nDefault=1\n\n"
                     "[Profile0]\nName=default-release\nIsRelative=1\nPath=x.default-release\n\n"
                     "[General]\nStartWithLastProfile=1\nVersion=2\n");
    return out;
}

// Exif pictures under each orientation tag, in both byte orders.
std::vector<std::pair<QString, QByteArray>> orientedJpegs()
{
    const QByteArray main = JpegEncoder().encode(testpictures::photo(16, 8), 75).value();
    std::vector<std::pair<QString, QByteArray>> out;
    for (quint16 tag = 1; tag <= 8; ++tag) {
        out.emplace_back(QStringLiteral("ii-%1.jpg").arg(tag),
                         testexif::build(main, testexif::Layout().withOrientation(tag)));
        out.emplace_back(QStringLiteral("mm-%1.jpg").arg(tag),
                         testexif::build(main, testexif::Layout().withOrientation(tag).inBigEndian()));
    }
    return out;
}

// The kinds beyond BMP and JPEG: HEIF turned by its container and with a thumbnail, PNG with
// transparency, WebP and TIFF.
std::vector<std::pair<QString, QByteArray>> otherPictures()
{
    QImage picture(48, 32, QImage::Format_ARGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgba(x * 5, y * 7, 128, x < 8 ? 0 : 255));
    std::vector<std::pair<QString, QByteArray>> out;
    testheif::Options turned;
    turned.orientation = heif_orientation_rotate_90_cw;
    turned.thumbnailSide = 24;
    turned.thumbnailPicture = picture.scaled(40, 27);
    for (const auto &[name, options] :
         {std::pair("turned.heic", turned), std::pair("plain.heic", testheif::Options())}) {
        const QByteArray bytes = testheif::encode(picture, options);
        if (!bytes.isEmpty())
            out.emplace_back(QString::fromLatin1(name), bytes);
    }
    for (const char *format : {"png", "webp", "tiff"}) {
        QByteArray bytes;
        QBuffer device(&bytes);
        device.open(QIODevice::WriteOnly);
        if (QImageWriter(&device, format).write(picture))
            out.emplace_back(QStringLiteral("picture.%1").arg(QLatin1String(format)), bytes);
    }
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fputs("usage: fuzz_seeds ROOT NAME...\n", stderr);
        return 1;
    }
    // The image format plugins are found through the application.
    QCoreApplication app(argc, argv);
    const QString root = QString::fromLocal8Bit(argv[1]);
    const std::map<QString, std::vector<std::pair<QString, QByteArray>>> known = {
        {"bmp", bitmaps()},
        {"exif", jpegs()},
        {"orientation", orientedJpegs()},
        {"addressbook", addressBooks()},
        {"prefs", profiles()},
        {"picture_readers", otherPictures()},
    };
    for (int i = 2; i < argc; ++i) {
        const QString name = QString::fromLocal8Bit(argv[i]);
        const QString folder = root + QLatin1Char('/') + name;
        if (!QDir().mkpath(folder))
            return 1;
        const auto seeds = known.find(name);
        if (seeds == known.end())
            continue; // a harness that brings no seeds starts from nothing
        for (const auto &[file, bytes] : seeds->second)
            if (!write(folder, file, bytes))
                return 1;
    }
    return 0;
}
