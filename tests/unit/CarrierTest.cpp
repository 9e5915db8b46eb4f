#include "mail/Carrier.h"
#include "mail/AddressBook.h"

#include <gtest/gtest.h>

namespace {

TEST(Carrier, ClassifiesEveryHandsetDomain)
{
    const struct
    {
        const char *address;
        int carrier;
    } cases[] = {
        {"taro@docomo.ne.jp", 0},
        {"taro@ezweb.ne.jp", 1},
        {"taro@ido.ne.jp", 1},
        {"taro@sub.ezweb.ne.jp", 1},
        {"taro@a.b.ido.ne.jp", 1},
        {"taro@jp-d.ne.jp", 2},
        {"taro@jp-h.ne.jp", 2},
        {"taro@jp-t.ne.jp", 2},
        {"taro@jp-c.ne.jp", 2},
        {"taro@jp-k.ne.jp", 2},
        {"taro@jp-r.ne.jp", 2},
        {"taro@jp-n.ne.jp", 2},
        {"taro@jp-s.ne.jp", 2},
        {"taro@jp-q.ne.jp", 2},
        {"taro@t.vodafone.ne.jp", 2},
        {"taro@k.softbank.ne.jp", 2},
        {"taro@pdx.ne.jp", 3},
        {"taro@di.pdx.ne.jp", 3},
        {"taro@example.com", 4},
        {"", 4},
        // Byte for byte: capitals or a full-width at sign are another carrier's business.
        {"TARO@DOCOMO.NE.JP", 4},
        {"taro@Docomo.ne.jp", 4},
        {"taro＠docomo.ne.jp", 4},
        // Anywhere in the address: a longer domain that begins with a handset domain matches.
        {"taro@docomo.ne.jp.example.org", 0},
        {"taro@jp-d.ne.jpx", 2},
        // The first class in order wins.
        {"taro@ezweb.ne.jp.pdx.ne.jp", 1},
        {"a@docomo.ne.jp@b.ezweb.ne.jp", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.address);
        EXPECT_EQ(CarrierOf(QString::fromUtf8(c.address)), c.carrier);
    }
    const TCarrier carrier;
    EXPECT_EQ(carrier.Patterns(0).size() + carrier.Patterns(1).size() + carrier.Patterns(2).size()
                  + carrier.Patterns(3).size(),
              18);
    EXPECT_EQ(carrier.Patterns(2).first(), "@jp-d.ne.jp");
    EXPECT_EQ(carrier.Patterns(2).last(), ".softbank.ne.jp");
}

TMailAddress entry(const char *address, int preset, int quality)
{
    TMailAddress e;
    e.Address = QString::fromLatin1(address);
    e.SizePreset = static_cast<qint8>(preset);
    e.QualityLevel = static_cast<qint8>(quality);
    return e;
}

TEST(Carrier, GivesTheBudgetOfTheTable)
{
    const char *addresses[5]
        = {"a@docomo.ne.jp", "a@ezweb.ne.jp", "a@jp-t.ne.jp", "a@pdx.ne.jp", "a@example.com"};
    // budget[class][preset][quality] in bytes, presets 0 to 2, then the user size.
    const int budget[5][4][3] = {
        {{2000, 3000, 4000}, {4000, 6000, 8000}, {4000, 8000, 16000}, {4096, 8192, 16384}},
        {{2000, 3000, 4000}, {4000, 6000, 8000}, {4000, 8000, 16000}, {4096, 8192, 16384}},
        {{2000, 3000, 4000}, {2000, 4000, 8000}, {4000, 6000, 8000}, {2048, 4096, 8192}},
        {{20000, 20000, 20000}, {20000, 20000, 20000}, {20000, 20000, 20000}, {4096, 8192, 16384}},
        {{4000, 8000, 16000}, {4000, 8000, 16000}, {4000, 8000, 16000}, {4096, 8192, 16384}},
    };
    for (int c = 0; c < 5; ++c) {
        for (int preset = 0; preset < 4; ++preset) {
            for (int quality = 0; quality < 3; ++quality) {
                SCOPED_TRACE(testing::Message()
                             << addresses[c] << " preset " << preset << " quality " << quality);
                EXPECT_EQ(ByteBudget(entry(addresses[c], preset, quality)), budget[c][preset][quality]);
            }
        }
    }
}

TEST(Carrier, GivesTheBudgetOutsideTheTable)
{
    const struct
    {
        const char *address;
        int preset;
        int quality;
        int budget;
    } cases[] = {
        {"a@ezweb.ne.jp", 5, 1, 0}, // no limit
        {"a@docomo.ne.jp", 1, 3, 0},      {"a@jp-t.ne.jp", -1, 0, 0},    {"a@docomo.ne.jp", 0, -1, 0},
        {"a@example.com", 0, 7, 16000},   {"a@example.com", 9, 0, 4000}, {"a@example.com", 1, -1, 16000},
        {"a@pdx.ne.jp", 9, 9, 20000},     {"a@jp-t.ne.jp", 3, 7, 8192}, // the user size: any other quality
                                                                        // takes the whole base
        {"a@docomo.ne.jp", 3, -2, 16384},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.address << " preset " << c.preset << " quality " << c.quality);
        EXPECT_EQ(ByteBudget(entry(c.address, c.preset, c.quality)), c.budget);
    }
}

} // namespace
