#include "mail/Carrier.h"

#include "common/Sjis.h"
#include "mail/AddressBook.h"

TCarrier::TCarrier()
    : m_patterns {{
        {"@docomo.ne.jp"},
        {"@ezweb.ne.jp", "@ido.ne.jp", ".ezweb.ne.jp", ".ido.ne.jp"},
        {"@jp-d.ne.jp", "@jp-h.ne.jp", "@jp-t.ne.jp", "@jp-c.ne.jp", "@jp-k.ne.jp", "@jp-r.ne.jp",
         "@jp-n.ne.jp", "@jp-s.ne.jp", "@jp-q.ne.jp", ".vodafone.ne.jp", ".softbank.ne.jp"},
        {"@pdx.ne.jp", ".pdx.ne.jp"},
    }}
{ }

int TCarrier::Classify(const QString &address) const
{
    const QByteArray bytes = Sjis::encode(address);
    for (int c = 0; c < static_cast<int>(m_patterns.size()); ++c) {
        for (const QByteArray &pattern : m_patterns[static_cast<size_t>(c)]) {
            if (bytes.contains(pattern))
                return c;
        }
    }
    return kOtherCarrier;
}

int CarrierOf(const QString &address)
{
    static const TCarrier carrier;
    return carrier.Classify(address);
}

int ByteBudget(const TMailAddress &entry)
{
    const int carrier = CarrierOf(entry.Address);
    const int quality = entry.QualityLevel;
    if (entry.SizePreset == 3) {
        const int base = carrier == kSoftBank ? 8192 : 16384;
        return quality == 0 ? base / 4 : quality == 1 ? base / 2 : base;
    }
    if (carrier == kWillcom)
        return 20000;
    if (carrier == kOtherCarrier)
        return quality == 0 ? 4000 : quality == 1 ? 8000 : 16000;

    // Thousands of bytes by size preset (rows) and quality level (columns).
    static constexpr int kDocomoAu[3][3] = {{2, 3, 4}, {4, 6, 8}, {4, 8, 16}};
    static constexpr int kSoftBankTable[3][3] = {{2, 3, 4}, {2, 4, 8}, {4, 6, 8}};
    if (entry.SizePreset < 0 || entry.SizePreset > 2 || quality < 0 || quality > 2)
        return 0;
    const auto &table = carrier == kSoftBank ? kSoftBankTable : kDocomoAu;
    return table[entry.SizePreset][quality] * 1000;
}
