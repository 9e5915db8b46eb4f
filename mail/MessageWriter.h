#pragma once

#include "common/Exception.h"
#include "mail/HeaderEncoding.h"
#include "mail/IdMessage.h"

#include <QByteArray>
#include <QDateTime>

// Receives a message one line at a time, without the line end; the SMTP client sends each line
// at once with its CR LF.
class LineSink
{
public:
    virtual ~LineSink() = default;
    virtual void WriteLine(const QByteArray &line) = 0;
};

// An attachment file that cannot be opened or read while the message is written.
class FileError : public Exception
{
public:
    using Exception::Exception;
};

// A message that cannot be written safely: a line break in a text that goes into a header or an
// SMTP command (it would add a header or a command of its own), or an unsupported part.
class MessageError : public Exception
{
public:
    using Exception::Exception;
};

// Throws MessageError when a name, an address, the subject, an attachment's name or type or an
// extra header holds CR or LF. WriteMessage checks this before its first line; the SMTP client
// should check it before MAIL FROM, which carries the sender's address.
void ValidateMessage(const TIdMessage &msg);

// The largest attachment file sent: far above what any mail server accepts in one message.
inline constexpr qint64 kMaxAttachmentBytes = qint64(64) << 20;

// Writes the header lines, the empty line and the body of msg to sink (everything between DATA
// and the final "."). Throws MessageError (before any line) for a message ValidateMessage refuses,
// and FileError when an attachment file cannot be read: a missing file, one that is not a regular
// file or one larger than kMaxAttachmentBytes before any line, a read error part way. Header texts
// are encoded in charset; the program always uses Japanese. Body lines longer than a mail line may
// be (998 octets) are cut between characters; the attachment's name is quoted with backslashes
// before its double quotes and backslashes.
void WriteMessage(const TIdMessage &msg, LineSink &sink, HeaderCharset charset = HeaderCharset::Japanese);

// "Sat, 7 Jan 2006 12:34:56 +0900": English names, the offset from UTC of that moment.
QByteArray MessageDate(const QDateTime &when);

// The boundaries of the two multipart layouts the writer makes.
inline constexpr char kMixedBoundary[] = "=_MoreStuf_2zzz1234sadvnqw3nerasdf";
inline constexpr char kRelatedBoundary[] = "=_MoreStuf_2relzzzsadvnq1234w3nerasdf";
