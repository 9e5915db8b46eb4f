// tavrin-tool budget: the carrier class of an address and the byte budget of its pictures.

#include "mail/AddressBook.h"
#include "mail/Carrier.h"
#include "tools/tavrin-tool/Command.h"

namespace {

bool readLevel(const QString &text, qint8 *value)
{
    bool ok = false;
    const int number = text.toInt(&ok, 10);
    if (!ok || number < -128 || number > 127)
        return false;
    *value = static_cast<qint8>(number);
    return true;
}

int run(const QStringList &args)
{
    if (args.size() != 3)
        return Fail(QStringLiteral("budget wants ADDRESS PRESET QUALITY"));
    TMailAddress entry;
    entry.Address = args[0];
    if (!readLevel(args[1], &entry.SizePreset))
        return Fail(QStringLiteral("PRESET must be a whole number from -128 to 127"));
    if (!readLevel(args[2], &entry.QualityLevel))
        return Fail(QStringLiteral("QUALITY must be a whole number from -128 to 127"));
    Print(QStringLiteral("carrier=%1 budget=%2").arg(CarrierOf(entry.Address)).arg(ByteBudget(entry)));
    return 0;
}

const bool registered = RegisterCommand({"budget",
                                         "budget ADDRESS PRESET QUALITY  (carrier class and byte budget; "
                                         "PRESET 0-2 or 3 = user size, QUALITY 0 low, 1 middle, 2 high)",
                                         &run});

} // namespace
