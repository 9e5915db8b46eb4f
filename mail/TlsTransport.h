#pragma once

#include "mail/Transport.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

struct ssl_session_st;

// What a TLS client checks: the server's certificate must chain to the system's trust store (or
// to CaFile when given) and name VerifyName, unless its SHA-256 fingerprint is one of Pins.
struct TlsOptions
{
    QString VerifyName; // the host name (or dotted address) the certificate must be for; also SNI
    QString CaFile; // PEM file of trusted authorities; empty: the system's trust store
    QStringList Pins; // SHA-256 fingerprints trusted as they are, whatever their chain, name or dates
};

// A TLS session (TLS 1.2 or newer) over another transport: the handshake and every record go
// through the inner transport's waits, so the pump and the deadline work as everywhere else.
// Handshake failures and untrusted certificates are TlsError with a Japanese text. Made by
// MakeTlsTransport, from the implementation the program installed (OpenSSL, which the core does not
// link: the programs load it when the first TLS connection starts).
class TlsTransport : public Transport
{
public:
    // Runs the handshake and checks the certificate. resume: a session of another connection to
    // the same server to resume (an FTP data connection reuses its control connection's).
    virtual void Handshake(const TlsOptions &options, const TransportWait &wait,
                           ssl_session_st *resume = nullptr)
        = 0;
    // The negotiated session, for resumption; owned by this transport.
    virtual ssl_session_st *Session() const = 0;
    // "TLSv1.3" and the like, once the handshake is done.
    virtual QString Protocol() const = 0;
    // No close alert at the close: after a protocol's goodbye it adds nothing, and some servers
    // (Python's asyncio) drop the data that arrives in the same read as the alert.
    virtual void SkipCloseAlert() = 0;

    // The fingerprints in text: 64 hex digits each, with or without colons, separated by blanks,
    // commas or semicolons. Nothing when any of them is malformed.
    static std::optional<QStringList> ParsePins(const QString &text);
};

// Makes a TLS transport over inner, which is connected.
using TlsTransportMaker = std::unique_ptr<TlsTransport> (*)(std::unique_ptr<Transport> inner);
// The implementation for the run; without one every TLS start is refused.
void InstallTlsTransport(TlsTransportMaker maker);
std::unique_ptr<TlsTransport> MakeTlsTransport(std::unique_ptr<Transport> inner);

// Throws the TlsError of a handshake that could not start, with the reason (when there is one)
// below the text.
[[noreturn]] void TlsRefused(const QString &reason);
