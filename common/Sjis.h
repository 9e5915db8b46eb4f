#pragma once

#include <QByteArray>
#include <QString>

// The one place where text meets the system code page (CP932). Every file and wire format of the
// program goes through here, so byte-level rules see the same bytes everywhere.
namespace Sjis {

// CP932 bytes of text. A character the code page cannot hold becomes "?"; lossy (when given) tells
// whether that happened.
QByteArray encode(const QString &text, bool *lossy = nullptr);

// Text of CP932 bytes. Bytes that form no character become U+001A.
QString decode(const QByteArray &bytes);

// True when every character of text has a CP932 form.
bool fits(const QString &text);

} // namespace Sjis
