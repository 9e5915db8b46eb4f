#pragma once

#include <QByteArray>
#include <QString>

// Shift_JIS (CP932) to ISO-2022-JP (RFC 1468), the charset of the mail body and headers.
//
// The result starts and ends in ASCII mode, and switches back to ASCII before every byte below 0x80,
// so every line of a converted text ends in ASCII mode. Half-width katakana become their full-width
// forms, a kana followed by a (semi-)voiced mark becoming one character where such a character
// exists. Bytes that form no JIS X 0208 character are dropped: 0x80, 0xA0, 0xFD to 0xFF, a lead byte
// of the user-defined area (0xF0 to 0xFC) with the byte after it, a lead byte with an invalid trail
// byte together with that byte, and a lead byte at the very end.
namespace Iso2022Jp {

inline constexpr char kToJis[] = "\x1b$B";
inline constexpr char kToAscii[] = "\x1b(B";

QByteArray fromSjis(const QByteArray &sjis);

// The CP932 bytes of text, converted.
QByteArray fromText(const QString &text);

} // namespace Iso2022Jp
