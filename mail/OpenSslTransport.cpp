#include "mail/OpenSslTransport.h"

#include "mail/IdException.h"

#include <QCryptographicHash>

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

namespace {

enum VerifyError : unsigned {
    Untrusted = 1,
    Expired = 2,
    NotYetValid = 4,
    NameMismatch = 8,
};

QString OpenSslReason()
{
    QString reason;
    while (const unsigned long e = ERR_get_error()) {
        if (const char *text = ERR_reason_error_string(e))
            reason = QString::fromLatin1(text); // the last is the outermost
    }
    return reason;
}

// Every verification failure is noted and the handshake goes on; the certificate is judged once
// it is over, when a pinned fingerprint may still vouch for it.
int NoteVerifyError(int ok, X509_STORE_CTX *store)
{
    if (ok)
        return 1;
    SSL *ssl = static_cast<SSL *>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
    auto *errors = static_cast<unsigned *>(SSL_get_app_data(ssl));
    switch (X509_STORE_CTX_get_error(store)) {
    case X509_V_ERR_CERT_HAS_EXPIRED:
        *errors |= Expired;
        break;
    case X509_V_ERR_CERT_NOT_YET_VALID:
        *errors |= NotYetValid;
        break;
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
        *errors |= NameMismatch;
        break;
    default:
        *errors |= Untrusted;
        break;
    }
    return 1;
}

bool IsAddress(const QByteArray &host)
{
    unsigned char buffer[16];
    return ::inet_pton(AF_INET, host.constData(), buffer) == 1
        || ::inet_pton(AF_INET6, host.constData(), buffer) == 1;
}

} // namespace

OpenSslTransport::OpenSslTransport(std::unique_ptr<Transport> inner)
    : m_inner(std::move(inner))
{ }

OpenSslTransport::~OpenSslTransport()
{
    if (m_ssl)
        SSL_free(m_ssl);
    if (m_ctx)
        SSL_CTX_free(m_ctx);
}

void OpenSslTransport::Connect(const QString &, int, const TransportWait &)
{
    throw EIdException(QStringLiteral("A TLS transport connects through its inner transport."));
}

void OpenSslTransport::Handshake(const TlsOptions &options, const TransportWait &wait, ssl_session_st *resume)
{
    ERR_clear_error();
    m_ctx = SSL_CTX_new(TLS_client_method());
    if (!m_ctx)
        TlsRefused(OpenSslReason());
    SSL_CTX_set_min_proto_version(m_ctx, TLS1_2_VERSION);
    if (options.CaFile.isEmpty()) {
        SSL_CTX_set_default_verify_paths(m_ctx);
    } else if (SSL_CTX_load_verify_locations(m_ctx, options.CaFile.toLocal8Bit().constData(), nullptr) != 1) {
        ERR_clear_error();
        throw TlsError(QStringLiteral("証明書ファイル「%1」を読み込めません。").arg(options.CaFile));
    }
    m_ssl = SSL_new(m_ctx);
    if (!m_ssl)
        TlsRefused(OpenSslReason());
    BIO *in = BIO_new(BIO_s_mem());
    BIO *out = BIO_new(BIO_s_mem());
    BIO_set_mem_eof_return(in, -1); // an empty buffer means "wait for more", not the end
    SSL_set_bio(m_ssl, in, out);
    SSL_set_connect_state(m_ssl);
    SSL_set_app_data(m_ssl, &m_verifyErrors);
    SSL_set_verify(m_ssl, SSL_VERIFY_PEER, NoteVerifyError);

    const QByteArray name = options.VerifyName.toUtf8();
    if (IsAddress(name)) {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(m_ssl), name.constData());
    } else {
        SSL_set_tlsext_host_name(m_ssl, name.constData());
        SSL_set1_host(m_ssl, name.constData());
    }
    if (resume)
        SSL_set_session(m_ssl, resume);

    for (;;) {
        const int r = SSL_do_handshake(m_ssl);
        Flush(wait);
        if (r == 1)
            break;
        const int error = SSL_get_error(m_ssl, r);
        if (error == SSL_ERROR_WANT_READ) {
            if (!Fill(wait)) {
                if (m_peerError != 0)
                    throw EIdSocketError(m_peerError);
                TlsRefused(QStringLiteral("connection closed"));
            }
        } else if (error != SSL_ERROR_WANT_WRITE) {
            TlsRefused(OpenSslReason());
        }
    }
    CheckCertificate(options);
    m_established = true;
}

void OpenSslTransport::CheckCertificate(const TlsOptions &options)
{
    X509 *certificate = SSL_get1_peer_certificate(m_ssl);
    if (!certificate)
        throw TlsError(QStringLiteral("サーバーが証明書を示しません。"));
    const int length = i2d_X509(certificate, nullptr);
    QByteArray der(length > 0 ? length : 0, Qt::Uninitialized);
    unsigned char *p = reinterpret_cast<unsigned char *>(der.data());
    i2d_X509(certificate, &p);
    X509_free(certificate);

    if (m_verifyErrors == 0 && SSL_get_verify_result(m_ssl) == X509_V_OK)
        return;
    const QString fingerprint = Fingerprint(der);
    if (options.Pins.contains(fingerprint, Qt::CaseInsensitive))
        return;
    if (m_verifyErrors & Untrusted || m_verifyErrors == 0)
        throw TlsError(QStringLiteral("サーバーの証明書を信頼できません（発行元を確認できません）。\n"
                                      "証明書のSHA-256指紋：%1")
                           .arg(fingerprint));
    if (m_verifyErrors & Expired)
        throw TlsError(QStringLiteral("サーバーの証明書の有効期限が切れています。"));
    if (m_verifyErrors & NotYetValid)
        throw TlsError(QStringLiteral("サーバーの証明書はまだ有効になっていません。"));
    throw TlsError(QStringLiteral("サーバーの証明書は「%1」のものではありません。").arg(options.VerifyName));
}

ssl_session_st *OpenSslTransport::Session() const
{
    return m_ssl ? SSL_get_session(m_ssl) : nullptr;
}

QString OpenSslTransport::Protocol() const
{
    return m_ssl ? QString::fromLatin1(SSL_get_version(m_ssl)) : QString();
}

void OpenSslTransport::Flush(const TransportWait &wait)
{
    BIO *out = SSL_get_wbio(m_ssl);
    char buffer[16384];
    while (BIO_ctrl_pending(out) > 0) {
        const int n = BIO_read(out, buffer, sizeof buffer);
        if (n <= 0)
            break;
        m_inner->Send(buffer, n, wait);
    }
}

void OpenSslTransport::FlushNow() noexcept
{
    BIO *out = SSL_get_wbio(m_ssl);
    QByteArray pending;
    char buffer[16384];
    while (BIO_ctrl_pending(out) > 0) {
        const int n = BIO_read(out, buffer, sizeof buffer);
        if (n <= 0)
            break;
        pending.append(buffer, n);
    }
    if (!pending.isEmpty())
        m_inner->SendNow(pending);
}

bool OpenSslTransport::Fill(const TransportWait &wait)
{
    char buffer[32768];
    const ReceiveResult r = m_inner->Receive(buffer, sizeof buffer, wait);
    if (r.error != 0) {
        m_peerError = r.error;
        return false;
    }
    if (r.count == 0) {
        m_peerClosed = true;
        return false;
    }
    BIO_write(SSL_get_rbio(m_ssl), buffer, int(r.count));
    return true;
}

bool OpenSslTransport::DecryptBuffered()
{
    bool any = false;
    char buffer[16384];
    for (;;) {
        const int n = SSL_read(m_ssl, buffer, sizeof buffer);
        if (n > 0) {
            m_plain.append(buffer, n);
            any = true;
            continue;
        }
        const int error = SSL_get_error(m_ssl, n);
        if (error == SSL_ERROR_ZERO_RETURN) {
            m_peerClosed = true;
            return any;
        }
        if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) {
            FlushNow(); // a key update may want an answer
            return any;
        }
        const QString reason = OpenSslReason();
        throw TlsError(QStringLiteral("暗号化通信（TLS）でエラーが発生しました。\n(%1)").arg(reason));
    }
}

void OpenSslTransport::Close() noexcept
{
    if (m_established && m_closeAlert && m_inner->IsOpen()) {
        SSL_shutdown(m_ssl);
        FlushNow();
        ERR_clear_error();
    }
    m_established = false;
    m_inner->Close();
}

void OpenSslTransport::Send(const char *data, qsizetype size, const TransportWait &wait)
{
    if (!m_established || !m_inner->IsOpen())
        throw EIdConnClosedGracefully();
    qsizetype written = 0;
    while (written < size) {
        const int n = SSL_write(m_ssl, data + written, int(std::min<qsizetype>(size - written, 1 << 30)));
        Flush(wait);
        if (n > 0) {
            written += n;
            continue;
        }
        const int error = SSL_get_error(m_ssl, n);
        if (error == SSL_ERROR_WANT_READ) {
            if (!Fill(wait))
                throw EIdConnClosedGracefully();
        } else if (error != SSL_ERROR_WANT_WRITE) {
            throw TlsError(
                QStringLiteral("暗号化通信（TLS）でエラーが発生しました。\n(%1)").arg(OpenSslReason()));
        }
    }
}

void OpenSslTransport::SendNow(const QByteArray &data) noexcept
{
    if (!m_established || !m_inner->IsOpen())
        return;
    if (SSL_write(m_ssl, data.constData(), int(data.size())) > 0)
        FlushNow();
    ERR_clear_error();
}

Transport::ReceiveResult OpenSslTransport::Receive(char *buffer, qsizetype size, const TransportWait &wait)
{
    for (;;) {
        if (!m_inner->IsOpen())
            throw EIdConnClosedGracefully();
        if (!m_plain.isEmpty()) {
            const qsizetype n = std::min(size, m_plain.size());
            std::copy_n(m_plain.constData(), n, buffer);
            m_plain.remove(0, n);
            return {n, 0};
        }
        if (m_peerError != 0)
            return {0, m_peerError};
        if (m_peerClosed)
            return {0, 0};
        if (!DecryptBuffered() && !m_peerClosed)
            Fill(wait);
    }
}

bool OpenSslTransport::Readable()
{
    if (!m_plain.isEmpty() || m_peerClosed || m_peerError != 0)
        return true;
    // Records that carry no data (a session ticket) must not count: decrypt what is there.
    while (!DecryptBuffered() && !m_peerClosed && m_peerError == 0 && m_inner->Readable())
        Fill(TransportWait());
    return !m_plain.isEmpty() || m_peerClosed || m_peerError != 0;
}

QString OpenSslTransport::Fingerprint(const QByteArray &der)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(der, QCryptographicHash::Sha256).toHex(':').toUpper());
}

std::unique_ptr<TlsTransport> MakeOpenSslTransport(std::unique_ptr<Transport> inner)
{
    return std::make_unique<OpenSslTransport>(std::move(inner));
}
