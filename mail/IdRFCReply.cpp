#include "mail/IdRFCReply.h"

void TIdRFCReply::ParseResponse(const QStringList &lines)
{
    Clear();
    if (lines.isEmpty())
        return;
    TextCode = Trim(lines.first().left(4));
    if (TextCode.size() == 4 && TextCode.endsWith(QLatin1Char('-')))
        TextCode.chop(1);
    bool ok = false;
    NumericCode = TextCode.toInt(&ok, 10);
    if (!ok)
        NumericCode = 0;
    for (const QString &line : lines) {
        if (!TextCode.isEmpty() && line.startsWith(TextCode, Qt::CaseInsensitive))
            Text.append(line.mid(4));
        else
            Text.append(Trim(line)); // a continuation without the code is taken whole
    }
}

bool TIdRFCReply::HasCode(const QString &line)
{
    if (line.size() < 3)
        return false;
    for (qsizetype i = 0; i < 3; ++i) {
        const char16_t c = line.at(i).unicode();
        if (c < u'0' || c > u'9')
            return false;
    }
    return line.size() == 3 || line.at(3) == QLatin1Char(' ') || line.at(3) == QLatin1Char('-');
}

bool TIdRFCReply::OpensMultiLine(const QString &line)
{
    return line.size() > 3 && line.at(3) == QLatin1Char('-');
}

bool TIdRFCReply::EndsMultiLine(const QString &first, const QString &line)
{
    if (line.size() < 4)
        return true;
    const QString terminator = first.left(3) + QLatin1Char(' ');
    return line.left(4).compare(terminator, Qt::CaseInsensitive) == 0;
}

QString TIdRFCReply::Trim(const QString &line)
{
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && line.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && line.at(end - 1).unicode() <= 0x20)
        --end;
    return line.mid(begin, end - begin);
}
