// tavrin-tool adx-check: the entries of an address book file, or why it cannot be read.

#include "common/ShownText.h"
#include "mail/AddressBook.h"
#include "tools/tavrin-tool/Command.h"

#include <QFile>

namespace {

int run(const QStringList &args)
{
    if (args.size() != 1)
        return Fail(QStringLiteral("adx-check wants FILE"));
    const QString &path = args[0];
    if (!QFile::exists(path))
        return Fail(QStringLiteral("%1 does not exist").arg(path));

    QList<TMailAddress> entries;
    try {
        // An older fixed-column file is shown as it would convert, and left alone.
        if (path.endsWith(QLatin1String("ADR"), Qt::CaseInsensitive)) {
            TMailAddressList older;
            older.Load(path);
            for (int i = 0; i < older.Count(); ++i)
                entries.append(older.Entry(i));
        } else {
            entries = TAddressBook::ReadFile(path);
        }
    } catch (const AddressBookError &e) {
        return Fail(e.Message());
    }
    for (const TMailAddress &e : entries) {
        Print(QStringLiteral("%1\t%2\troute=%3\tpreset=%4\tquality=%5\t%6x%7")
                  .arg(EscapeControls(e.Name), EscapeControls(e.Address),
                       e.ServerRoute ? QStringLiteral("server") : QStringLiteral("attachment"))
                  .arg(e.SizePreset)
                  .arg(e.QualityLevel)
                  .arg(e.Width)
                  .arg(e.Height));
    }
    return 0;
}

const bool registered
    = RegisterCommand({"adx-check",
                       "adx-check FILE  (the entries of an address book file, one a line: name, address, "
                       "route, preset, quality, size; an older .ADR file is shown as it would convert)",
                       &run});

} // namespace
