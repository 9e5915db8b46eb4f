#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

// A settings file of "[section]" and "key=value" lines, kept as the raw bytes of its lines so that
// everything the program does not touch (other keys, comments, odd lines) is written back as it was.
// Section and key names match without regard to ASCII case; spaces around names and values are
// ignored; the first of duplicate sections or keys counts.
class IniFile
{
public:
    IniFile() = default;
    // Lines may end in CR LF, LF or CR. A UTF-8 or UTF-16 byte order mark converts the text to CP932.
    explicit IniFile(const QByteArray &bytes);

    std::optional<QByteArray> value(const QByteArray &section, const QByteArray &key) const;

    // Replaces the key's value in place, or adds the key at the end of its section, or adds the
    // section at the end of the file.
    void setValue(const QByteArray &section, const QByteArray &key, const QByteArray &value);

    // The whole file, every line ending in CR LF.
    QByteArray toBytes() const;

private:
    struct Range
    {
        qsizetype header = -1; // line index of "[section]", -1 when absent
        qsizetype end = 0; // one past the section's last line
    };
    Range findSection(const QByteArray &section) const;
    qsizetype findKey(const Range &range, const QByteArray &key) const;

    QList<QByteArray> m_lines;
};
