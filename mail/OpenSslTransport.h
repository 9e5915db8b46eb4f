#pragma once

#include "mail/TlsTransport.h"

struct ssl_ctx_st;
struct ssl_st;

// The TLS transport on OpenSSL.
class OpenSslTransport final : public TlsTransport
{
public:
    explicit OpenSslTransport(std::unique_ptr<Transport> inner);
    ~OpenSslTransport() override;
    OpenSslTransport(const OpenSslTransport &) = delete;
    OpenSslTransport &operator=(const OpenSslTransport &) = delete;

    void Handshake(const TlsOptions &options, const TransportWait &wait,
                   ssl_session_st *resume = nullptr) override;
    ssl_session_st *Session() const override;
    QString Protocol() const override;

    // Connect is not used: the inner transport is connected before the handshake.
    void Connect(const QString &host, int port, const TransportWait &wait) override;
    bool IsOpen() const override { return m_inner->IsOpen(); }
    // Sends the close alert without waiting (unless told not to), then closes the inner transport.
    void Close() noexcept override;
    void SkipCloseAlert() override { m_closeAlert = false; }
    void Send(const char *data, qsizetype size, const TransportWait &wait) override;
    void SendNow(const QByteArray &data) noexcept override;
    ReceiveResult Receive(char *buffer, qsizetype size, const TransportWait &wait) override;
    bool Readable() override;
    const QString &PeerAddress() const override { return m_inner->PeerAddress(); }

    // "AB:CD:..." of the SHA-256 of a DER certificate, upper case.
    static QString Fingerprint(const QByteArray &der);

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

// For InstallTlsTransport.
std::unique_ptr<TlsTransport> MakeOpenSslTransport(std::unique_ptr<Transport> inner);
