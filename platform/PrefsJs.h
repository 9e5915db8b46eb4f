#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QString>

#include <variant>

// The user preferences a Mozilla program keeps in "prefs.js" of its profile: one
// user_pref("key", value); statement a line, the value a string, a 32-bit integer or a boolean.
// The file is JavaScript written by another program, so only those statements are read; comments,
// other statements and anything malformed are passed over, and no input makes reading fail.
class PrefsJs
{
public:
    using Value = std::variant<QString, int, bool>;

    PrefsJs() = default;
    // Reads UTF-8 text; a key set twice keeps its last value, as the program itself does.
    explicit PrefsJs(QByteArrayView text);

    qsizetype Count() const { return m_values.size(); }
    const QHash<QString, Value> &Values() const { return m_values; }
    bool Contains(const QString &key) const { return m_values.contains(key); }
    // Null when the key is not set.
    const Value *Find(const QString &key) const;
    // The string value of key; empty when the key is not set or holds a number or a boolean.
    QString String(const QString &key) const;

private:
    QHash<QString, Value> m_values;
};
