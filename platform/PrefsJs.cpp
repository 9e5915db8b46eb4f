#include "platform/PrefsJs.h"

#include <QStringDecoder>

#include <limits>
#include <optional>

namespace {

// A cursor over one line of the file.
class Line
{
public:
    explicit Line(QByteArrayView text)
        : m_text(text)
    { }

    bool atEnd() const { return m_at >= m_text.size(); }

    void skipBlanks()
    {
        while (!atEnd() && (m_text[m_at] == ' ' || m_text[m_at] == '\t' || m_text[m_at] == '\r'))
            ++m_at;
    }

    bool take(char c)
    {
        skipBlanks();
        if (atEnd() || m_text[m_at] != c)
            return false;
        ++m_at;
        return true;
    }

    // A word that is not the start of a longer name.
    bool takeWord(QByteArrayView word)
    {
        skipBlanks();
        if (!m_text.sliced(m_at).startsWith(word))
            return false;
        const qsizetype end = m_at + word.size();
        if (end < m_text.size() && isNameChar(m_text[end]))
            return false;
        m_at = end;
        return true;
    }

    // A string in double or single quotes with the escapes \" \' \\ \n \r \t \xHH and \uHHHH.
    std::optional<QString> takeString()
    {
        skipBlanks();
        if (atEnd() || (m_text[m_at] != '"' && m_text[m_at] != '\''))
            return std::nullopt;
        const char quote = m_text[m_at++];
        QString out;
        qsizetype run = m_at; // start of the plain bytes not yet decoded
        auto flush = [&] {
            // A byte order mark inside a string is text, also right after an escape.
            QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
            out += utf8.decode(m_text.sliced(run, m_at - run));
        };
        while (!atEnd()) {
            const char c = m_text[m_at];
            if (c == quote) {
                flush();
                ++m_at;
                return out;
            }
            if (c != '\\') {
                ++m_at;
                continue;
            }
            flush();
            ++m_at;
            if (atEnd())
                return std::nullopt;
            const char e = m_text[m_at++];
            switch (e) {
            case '"':
            case '\'':
            case '\\':
                out += QLatin1Char(e);
                break;
            case 'n':
                out += QLatin1Char('\n');
                break;
            case 'r':
                out += QLatin1Char('\r');
                break;
            case 't':
                out += QLatin1Char('\t');
                break;
            case 'x':
            case 'u': {
                const std::optional<uint> code = takeHex(e == 'x' ? 2 : 4);
                if (!code)
                    return std::nullopt;
                out += QChar(char16_t(*code));
                break;
            }
            default:
                return std::nullopt;
            }
            run = m_at;
        }
        return std::nullopt; // no closing quote on this line
    }

    // An optionally signed decimal integer of 32 bits, or true or false.
    std::optional<PrefsJs::Value> takeScalar()
    {
        if (takeWord("true"))
            return PrefsJs::Value(true);
        if (takeWord("false"))
            return PrefsJs::Value(false);
        skipBlanks();
        bool negative = false;
        if (!atEnd() && (m_text[m_at] == '-' || m_text[m_at] == '+'))
            negative = m_text[m_at++] == '-';
        const qsizetype digits = m_at;
        qint64 value = 0;
        while (!atEnd() && m_text[m_at] >= '0' && m_text[m_at] <= '9') {
            value = value * 10 + (m_text[m_at++] - '0');
            if (value > qint64(std::numeric_limits<int>::max()) + 1)
                return std::nullopt;
        }
        if (m_at == digits || (!atEnd() && isNameChar(m_text[m_at])))
            return std::nullopt;
        if (negative)
            value = -value;
        if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
            return std::nullopt;
        return PrefsJs::Value(int(value));
    }

private:
    static bool isNameChar(char c)
    {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    }

    std::optional<uint> takeHex(int count)
    {
        if (m_text.size() - m_at < count)
            return std::nullopt;
        uint code = 0;
        for (int i = 0; i < count; ++i) {
            const char c = m_text[m_at++];
            uint digit;
            if (c >= '0' && c <= '9')
                digit = uint(c - '0');
            else if (c >= 'a' && c <= 'f')
                digit = uint(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                digit = uint(c - 'A' + 10);
            else
                return std::nullopt;
            code = code * 16 + digit;
        }
        return code;
    }

    QByteArrayView m_text;
    qsizetype m_at = 0;
};

struct Statement
{
    QString key;
    PrefsJs::Value value;
};

// user_pref("key", value);
std::optional<Statement> takeStatement(Line &line)
{
    if (!line.takeWord("user_pref") || !line.take('('))
        return std::nullopt;
    std::optional<QString> key = line.takeString();
    if (!key || !line.take(','))
        return std::nullopt;
    std::optional<PrefsJs::Value> value;
    if (std::optional<QString> text = line.takeString())
        value = std::move(*text);
    else
        value = line.takeScalar();
    if (!value || !line.take(')') || !line.take(';'))
        return std::nullopt;
    return Statement {std::move(*key), std::move(*value)};
}

} // namespace

PrefsJs::PrefsJs(QByteArrayView text)
{
    qsizetype start = text.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        // The program writes one statement a line; a line may hold more, and parsing stops at the
        // first thing on it that is not one.
        Line line(text.sliced(start, end - start));
        while (std::optional<Statement> s = takeStatement(line))
            m_values.insert(std::move(s->key), std::move(s->value));
        start = end + 1;
    }
}

const PrefsJs::Value *PrefsJs::Find(const QString &key) const
{
    const auto it = m_values.constFind(key);
    return it == m_values.constEnd() ? nullptr : &it.value();
}

QString PrefsJs::String(const QString &key) const
{
    const Value *value = Find(key);
    if (!value)
        return QString();
    const QString *text = std::get_if<QString>(value);
    return text ? *text : QString();
}
