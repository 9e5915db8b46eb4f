#include "common/Port.h"

std::optional<int> ParsePort(const QString &text)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 5)
        return std::nullopt;
    int port = 0;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        port = port * 10 + (c.unicode() - '0');
    }
    if (port < 1 || port > 65535)
        return std::nullopt;
    return port;
}
