#pragma once

#include "mail/IdMessage.h"

#include <QByteArray>
#include <QList>
#include <QString>

// RFC 2047 encoded words and RFC 2822 folding for the message headers.

// The character sets a header can be encoded in, by the language of a locale. The program holds all
// its texts in Shift_JIS whatever the locale, so the writer always uses Japanese; the other rows
// encode the text in their own charset.
enum class HeaderCharset {
    Japanese, // "ISO-2022-JP", B, converted from Shift_JIS
    ChineseSimplified, // "GB2312", B
    ChineseTraditional, // "Big5", B
    Korean, // "EUC-KR", B
    Western, // "ISO-8859-1", Q
};

// The characters that, besides controls and 8-bit bytes, make a word of a display name need encoding.
inline constexpr char kAddressSpecials[] = "()<>@,;:\\\".[]";

// A header value with every run of words that needs encoding written as encoded words of at most
// 75 characters, joined by CR LF TAB. A word needs encoding when it holds a control character, an
// 8-bit byte or one of specials. Encoded words never split a character; with ISO-2022-JP each is a
// complete text of its own that starts in ASCII mode and ends in it.
QByteArray EncodeHeader(const QString &text, const QByteArray &specials = QByteArray(),
                        HeaderCharset charset = HeaderCharset::Japanese);

// An address as a header writes it: the bare address when the name is empty, else the name (quoted
// when it is printable ASCII, else encoded) and the address in angle brackets.
QByteArray EncodeAddress(const TIdEMailAddressItem &item, HeaderCharset charset = HeaderCharset::Japanese);

// The lines of one header "Name: value": folded at 78 columns after a blank, tab or comma outside
// double quotes (the continuation starting with a blank), cut at the CR LF already in the value,
// each line stripped of trailing blanks and tabs, empty lines left out.
QList<QByteArray> FoldHeader(const QByteArray &line);
