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
class TimeoutError : public EIdException
{
public:
    enum Operation { Read, Write };
    explicit TimeoutError(Operation operation)
        : EIdException(operation == Read ? QStringLiteral("Read timed out.")
                                         : QStringLiteral("Write timed out."))
    { }
};

// A reply of more than MaxReplyLines lines: a server that never ends its reply is cut off.
class ReplyLinesExceededError : public EIdException
{
public:
    ReplyLinesExceededError()
        : EIdException(QStringLiteral("Max reply lines exceeded."))
    { }
};

// A reply that breaks the protocol: a malformed reply code, or a reply to something not sent yet.
// The text quotes what the server sent.
class UnexpectedReplyError : public EIdException
{
public:
    using EIdException::EIdException;
};

// A value for a command (a user name, a folder, ...) that holds CR or LF and would add a command
// of its own. Raised before anything is sent; the text names the setting.
class ValueError : public EIdException
{
public:
    explicit ValueError(const QString &setting)
        : EIdException(QStringLiteral("%1に改行を含めることはできません。").arg(setting))
    { }

    // Throws when value holds CR or LF.
    static void Check(const QString &value, const QString &setting)
    {
        if (value.contains(QLatin1Char('\r')) || value.contains(QLatin1Char('\n')))
            throw ValueError(setting);
    }
};

// The server refused an OAuth 2.0 bearer token (expired, revoked, or for another scope): the final
// reply's code and text, and the server's JSON status from its challenge (empty when none came).
class TokenRefusedError : public EIdProtocolReplyError
{
public:
    TokenRefusedError(int replyErrorCode, const QString &text, const QString &detail)
        : EIdProtocolReplyError(replyErrorCode, text)
        , m_detail(detail)
    { }

    const QString &Detail() const { return m_detail; }

private:
    QString m_detail;
};

// A failed TLS handshake, an untrusted server certificate, or a server that offers no TLS where it
// is required. The text says in Japanese what is wrong.
class TlsError : public EIdException
{
public:
    using EIdException::EIdException;
};
