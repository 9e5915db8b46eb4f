// The Thunderbird readers on arbitrary bytes: prefs.js and profiles.ini. Whatever the reader takes
// from a file, written back as statements and read again, must give the same preferences.

#include "platform/PrefsJs.h"
#include "platform/ThunderbirdProfile.h"

#include <cstdlib>

namespace {

QByteArray quoted(const QString &text)
{
    QByteArray out = "\"";
    for (const QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            out += '\\' + QByteArray(1, char(c.unicode()));
        else if (c.unicode() < 0x20 || c.isSurrogate())
            out += "\\u" + QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
        else
            out += QString(c).toUtf8();
    }
    return out + '"';
}

QByteArray statement(const QString &key, const PrefsJs::Value &value)
{
    QByteArray text;
    if (const QString *s = std::get_if<QString>(&value))
        text = quoted(*s);
    else if (const int *i = std::get_if<int>(&value))
        text = QByteArray::number(*i);
    else
        text = std::get<bool>(value) ? "true" : "false";
    return "user_pref(" + quoted(key) + ", " + text + ");\n";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const PrefsJs prefs(bytes);
    if (prefs.Count() > bytes.count("user_pref"))
        std::abort();

    // Written back in the program's form and read again: the same keys and values.
    QByteArray again;
    for (auto it = prefs.Values().cbegin(); it != prefs.Values().cend(); ++it)
        again += statement(it.key(), it.value());
    if (PrefsJs(again).Values() != prefs.Values())
        std::abort();

    for (const MailAccount &a : Thunderbird::Accounts(prefs))
        if (a.SMTPEmailAddress.isEmpty() || a.AccountName.isEmpty())
            std::abort();

    Thunderbird::DefaultProfile(bytes.toByteArray(), QStringLiteral("/home/u/.thunderbird"));
    return 0;
}
