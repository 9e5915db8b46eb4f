#pragma once

#include "common/Exception.h"

#include <QString>

// The failure kinds of the protocol clients. Callers tell them apart by type, most specific first:
// EIdConnClosedGracefully, EIdSocketError, EIdProtocolReplyError, then any other EIdException.
class EIdException : public Exception
{
public:
    using Exception::Exception;
};

// The connection is gone: the server closed it and nothing received is left unread, or our own
// side disconnected (also from inside a wait, which is how the sending window cancels).
class EIdConnClosedGracefully : public EIdException
{
public:
    EIdConnClosedGracefully()
        : EIdException(QStringLiteral("Connection Closed Gracefully."))
    { }
};

// A failed name lookup, connect, send or receive, numbered as Windows Sockets numbers them.
class EIdSocketError : public EIdException
{
public:
    explicit EIdSocketError(int lastError);

    int LastError() const noexcept { return m_lastError; }

private:
    int m_lastError;
};

// A reply whose code the step does not accept. Message() is the reply text, lines joined by CR LF.
class EIdProtocolReplyError : public EIdException
{
public:
    EIdProtocolReplyError(int replyErrorCode, const QString &text)
        : EIdException(text)
        , m_replyErrorCode(replyErrorCode)
    { }

    int ReplyErrorCode() const noexcept { return m_replyErrorCode; }

private:
    int m_replyErrorCode;
};

class EIdReadLnMaxLineLengthExceeded : public EIdException
{
public:
    EIdReadLnMaxLineLengthExceeded()
        : EIdException(QStringLiteral("Max line length exceeded."))
    { }
};

// A wait that passed its time limit (ReadTimeout): a reply, or the peer taking what we send.
class EIdTimeout : public EIdException
{
public:
    enum Operation { Read, Write };
    explicit EIdTimeout(Operation operation)
        : EIdException(operation == Read ? QStringLiteral("Read timed out.")
                                         : QStringLiteral("Write timed out."))
    { }
};
