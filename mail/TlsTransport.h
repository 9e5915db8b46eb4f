#pragma once

#include "mail/Transport.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

struct ssl_ctx_st;
struct ssl_st;
struct ssl_session_st;

// What a TLS client checks: the server's certificate must chain to the system's trust store (or
// to CaFile when given) and name VerifyName, unless its SHA-256 fingerprint is one of Pins.
struct TlsOptions
{
    QString VerifyName; // the host name (or dotted address) the certificate must be for; also SNI
    QString CaFile; // PEM file of trusted authorities; empty: the system's trust store
    QStringList Pins; // SHA-256 fingerprints trusted as they are, whatever their chain, name or dates
};

// A TLS session (TLS 1.2 or newer, OpenSSL) over another transport: the handshake and every
// record go through the inner transport's waits, so the pump and the deadline work as everywhere
// else. Handshake failures and untrusted certificates are TlsError with a Japanese text.
class TlsTransport : public Transport
{
public:
    explicit TlsTransport(std::unique_ptr<Transport> inner);
    ~TlsTransport() override;
    TlsTransport(const TlsTransport &) = delete;
    TlsTransport &operator=(const TlsTransport &) = delete;

    // Runs the handshake and checks the certificate. resume: a session of another connection to
    // the same server to resume (an FTP data connection reuses its control connection's).
    void Handshake(const TlsOptions &options, const TransportWait &wait, ssl_session_st *resume = nullptr);
    // The negotiated session, for resumption; owned by this transport.
    ssl_session_st *Session() const;
    // "TLSv1.3" and the like, once the handshake is done.
    QString Protocol() const;

    // Connect is not used: the inner transport is connected before the handshake.
    void Connect(const QString &host, int port, const TransportWait &wait) override;
    bool IsOpen() const override { return m_inner->IsOpen(); }
    // Sends the close alert without waiting (unless told not to), then closes the inner transport.
    void Close() noexcept override;
    // No close alert at the close: after a protocol's goodbye it adds nothing, and some servers
    // (Python's asyncio) drop the data that arrives in the same read as the alert.
    void SkipCloseAlert() { m_closeAlert = false; }
    void Send(const char *data, qsizetype size, const TransportWait &wait) override;
    void SendNow(const QByteArray &data) noexcept override;
    ReceiveResult Receive(char *buffer, qsizetype size, const TransportWait &wait) override;
    bool Readable() override;
    const QString &PeerAddress() const override { return m_inner->PeerAddress(); }

    // "AB:CD:..." of the SHA-256 of a DER certificate, upper case.
    static QString Fingerprint(const QByteArray &der);
    // The fingerprints in text: 64 hex digits each, with or without colons, separated by blanks,
    // commas or semicolons. Nothing when any of them is malformed.
    static std::optional<QStringList> ParsePins(const QString &text);

private:
    // Moves what OpenSSL has written to the inner transport.
    void Flush(const TransportWait &wait);
    void FlushNow() noexcept;
    // Receives once from the inner transport into OpenSSL; false at the end of the stream.
    bool Fill(const TransportWait &wait);
    // Decrypts what is buffered into m_plain without waiting; false when nothing came.
    bool DecryptBuffered();
    void CheckCertificate(const TlsOptions &options);

    std::unique_ptr<Transport> m_inner;
    ssl_ctx_st *m_ctx = nullptr;
    ssl_st *m_ssl = nullptr;
    QByteArray m_plain; // decrypted, not yet returned
    bool m_peerClosed = false;
    int m_peerError = 0;
    bool m_established = false;
    bool m_closeAlert = true;
    unsigned m_verifyErrors = 0;
};
