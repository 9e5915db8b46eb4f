#pragma once

#include <QString>

#include <exception>

// A failure of a network step, told apart once for the delivery pipeline and for tavrin-tool. The
// kinds are tested most specific first, as the clients raise them (IdException.h), then the
// program's own failures that are not the clients' (a picture file that cannot be read, a message
// that cannot be written safely), then anything else.
struct ClientFailure
{
    enum class Kind {
        ConnClosedGracefully,
        SocketError,
        ProtocolReplyError,
        TokenRefused,
        MaxLineLengthExceeded,
        MaxReplyLinesExceeded,
        Timeout,
        TlsError,
        OtherIdException,
        FileError,
        MessageError,
        OtherException,
        Unknown,
    };

    Kind kind = Kind::Unknown;
    int number = 0; // the socket error number or the reply code
    QString text; // the failure's own text (for a reply: the server's lines joined by CR LF)

    // One of the clients' failure kinds, which the steps map to their messages; anything else goes
    // to the standard error box.
    bool IsClientFailure() const;
    // The kind as scripts see it: "EIdSocketError 10061", "EIdProtocolReplyError 550", ...
    QString KindName() const;
};

ClientFailure ClassifyFailure(std::exception_ptr failure);

// The three network steps of a send.
enum class NetStep { Ftp, Pop3, Smtp };

// The text after "[code] " when the SMTP step fails on a reply with that code.
QString SmtpReplyText(int code);

// The error message the user sees when a step fails with one of the clients' failure kinds.
QString StepFailureMessage(NetStep step, const ClientFailure &failure);
