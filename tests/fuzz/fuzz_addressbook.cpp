// The address book readers on arbitrary bytes, the current format and the older fixed-column one.
// What the current reader accepts must write out and read back as the same entries once its texts
// have gone through the code page (a byte that is no CP932 character comes back as a stand-in).

#include "mail/AddressBook.h"

#include <cstdlib>
#include <optional>

namespace {

QList<TMailAddress> parse(const QByteArray &bytes)
{
    return TAddressBook::ParseFile(bytes, QStringLiteral("fuzz.ADX"));
}

bool sameNumbers(const QList<TMailAddress> &a, const QList<TMailAddress> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i].ServerRoute != b[i].ServerRoute || a[i].SizePreset != b[i].SizePreset
            || a[i].QualityLevel != b[i].QualityLevel || a[i].Width != b[i].Width
            || a[i].Height != b[i].Height)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    std::optional<QList<TMailAddress>> first;
    try {
        first = parse(bytes);
    } catch (const AddressBookError &e) {
        // A refusal names a line of the file.
        if (e.Line() < 1 || e.Message().isEmpty())
            std::abort();
    }
    if (first) {
        try {
            const QList<TMailAddress> second = parse(TAddressBook::FileBytes(*first));
            if (!sameNumbers(*first, second) || parse(TAddressBook::FileBytes(second)) != second)
                std::abort();
        } catch (const AddressBookError &) {
            std::abort(); // what the writer wrote, the reader must take
        }
    }

    // Every line of an older file converts, and the converted list is one the reader takes.
    TMailAddressList older;
    older.SetBytes(bytes);
    QList<TMailAddress> converted;
    for (int i = 0; i < older.Count(); ++i)
        converted.append(older.Entry(i));
    try {
        if (!sameNumbers(parse(TAddressBook::FileBytes(converted)), converted))
            std::abort();
    } catch (const AddressBookError &) {
        std::abort();
    }
    return 0;
}
