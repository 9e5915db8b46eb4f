#include "common/IniFile.h"

#include "common/Sjis.h"

#include <QString>

namespace {

bool isSectionLine(const QByteArray &trimmed)
{
    return trimmed.startsWith('[');
}

QByteArray sectionName(const QByteArray &trimmed)
{
    qsizetype close = trimmed.indexOf(']');
    if (close < 0)
        close = trimmed.size();
    return trimmed.mid(1, close - 1).trimmed();
}

// The key of a "key=value" line, or nothing for comments and lines without "=".
std::optional<QByteArray> keyOf(const QByteArray &line)
{
    const QByteArray trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(';'))
        return std::nullopt;
    const qsizetype eq = line.indexOf('=');
    if (eq < 0)
        return std::nullopt;
    return line.left(eq).trimmed();
}

bool sameName(const QByteArray &a, const QByteArray &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QByteArray toCodePage(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return Sjis::encode(QString::fromUtf8(bytes.mid(3)));
    if (bytes.startsWith("\xFF\xFE")) {
        const QByteArray body = bytes.mid(2);
        return Sjis::encode(
            QString::fromUtf16(reinterpret_cast<const char16_t *>(body.constData()), body.size() / 2));
    }
    return bytes;
}

} // namespace

IniFile::IniFile(const QByteArray &raw)
{
    const QByteArray bytes = toCodePage(raw);
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    while (start < n) {
        qsizetype i = start;
        while (i < n && bytes[i] != '\r' && bytes[i] != '\n')
            ++i;
        m_lines.append(bytes.mid(start, i - start));
        if (i < n && bytes[i] == '\r' && i + 1 < n && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
}

IniFile::Range IniFile::findSection(const QByteArray &section) const
{
    Range range;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QByteArray trimmed = m_lines[i].trimmed();
        if (isSectionLine(trimmed) && sameName(sectionName(trimmed), section)) {
            range.header = i;
            break;
        }
    }
    if (range.header < 0)
        return range;
    range.end = range.header + 1;
    while (range.end < m_lines.size() && !isSectionLine(m_lines[range.end].trimmed()))
        ++range.end;
    return range;
}

qsizetype IniFile::findKey(const Range &range, const QByteArray &key) const
{
    if (range.header < 0)
        return -1;
    for (qsizetype i = range.header + 1; i < range.end; ++i) {
        const auto name = keyOf(m_lines[i]);
        if (name && sameName(*name, key))
            return i;
    }
    return -1;
}

std::optional<QByteArray> IniFile::value(const QByteArray &section, const QByteArray &key) const
{
    const qsizetype line = findKey(findSection(section), key);
    if (line < 0)
        return std::nullopt;
    const QByteArray &text = m_lines[line];
    return text.mid(text.indexOf('=') + 1).trimmed();
}

void IniFile::setValue(const QByteArray &section, const QByteArray &key, const QByteArray &value)
{
    const QByteArray line = key + '=' + value;
    const Range range = findSection(section);
    if (range.header < 0) {
        m_lines.append('[' + section + ']');
        m_lines.append(line);
        return;
    }
    const qsizetype existing = findKey(range, key);
    if (existing >= 0) {
        m_lines[existing] = line;
        return;
    }
    // After the section's last non-blank line, so that a blank line before the next section stays.
    qsizetype at = range.end;
    while (at > range.header + 1 && m_lines[at - 1].trimmed().isEmpty())
        --at;
    m_lines.insert(at, line);
}

QByteArray IniFile::toBytes() const
{
    QByteArray out;
    for (const QByteArray &line : m_lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}
