#pragma once

#include "app/Exception.h"
#include "mail/IdMessage.h"

#include <QByteArray>

// Receives a message one line at a time, without the line end; the SMTP client sends each line
// at once with its CR LF.
class TLineSink
{
public:
    virtual ~TLineSink() = default;
    virtual void WriteLine(const QByteArray &line) = 0;
};

// An attachment file that cannot be opened or read while the message is written.
class EFileError : public Exception
{
public:
    using Exception::Exception;
};

// Writes the header lines, the empty line and the body of msg to sink (everything between DATA
// and the final "."). Throws EFileError when an attachment file cannot be read.
void WriteMessage(const TIdMessage &msg, TLineSink &sink);
