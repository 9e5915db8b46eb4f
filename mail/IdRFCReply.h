#pragma once

#include <QString>
#include <QStringList>

// One server reply as the reply reader collected it.
struct TIdRFCReply
{
    QString TextCode; // "250", "+OK", "-ERR": the first four characters, trimmed, without a '-'
    int NumericCode = 0; // TextCode as a decimal number, 0 when it is none
    QStringList Text; // the lines after their code

    void Clear() { *this = TIdRFCReply(); }

    // Fills the record from the trimmed, non-empty lines of one reply.
    void ParseResponse(const QStringList &lines);

    // Text joined by CR LF, as a reply error carries it.
    QString JoinedText() const { return Text.join(QStringLiteral("\r\n")); }

    // Removes control characters and blanks at both ends, as the reply reader trims every line.
    static QString Trim(const QString &line);

    // True when line starts with a reply code: exactly three digits, then a blank, a '-' or its end.
    static bool HasCode(const QString &line);
    // True when line, the first of a reply, opens a multi-line reply ("250-...").
    static bool OpensMultiLine(const QString &line);
    // True when line ends the multi-line reply that first opened.
    static bool EndsMultiLine(const QString &first, const QString &line);
};
