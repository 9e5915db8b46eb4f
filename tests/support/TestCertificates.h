#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QString>

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <stdexcept>

// Certificates made in the test with OpenSSL: a certificate authority of our own and server
// certificates it issues (for a name or an address, valid, expired or for another name), and
// self-signed ones. Keys are EC P-256, quick to make.
namespace testcerts {

struct KeyPair
{
    QByteArray certPem;
    QByteArray keyPem;
    QByteArray der;

    // "AB:CD:..." of the SHA-256 of the certificate.
    QString Fingerprint() const
    {
        return QString::fromLatin1(
            QCryptographicHash::hash(der, QCryptographicHash::Sha256).toHex(':').toUpper());
    }
};

namespace detail {

inline EVP_PKEY *NewKey()
{
    EVP_PKEY *key = EVP_EC_gen("P-256");
    if (!key)
        throw std::runtime_error("no key");
    return key;
}

inline void AddExtension(X509 *cert, X509 *issuer, int nid, const char *value)
{
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION *ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
    if (!ext)
        throw std::runtime_error("bad extension");
    X509_add_ext(cert, ext, -1);
    X509_EXTENSION_free(ext);
}

inline QByteArray Pem(int (*write)(BIO *, void *), void *object)
{
    BIO *bio = BIO_new(BIO_s_mem());
    write(bio, object);
    char *data = nullptr;
    const long n = BIO_get_mem_data(bio, &data);
    QByteArray out(data, n);
    BIO_free(bio);
    return out;
}

inline KeyPair Pack(X509 *cert, EVP_PKEY *key)
{
    KeyPair pair;
    pair.certPem = Pem([](BIO *b, void *o) { return PEM_write_bio_X509(b, static_cast<X509 *>(o)); }, cert);
    pair.keyPem = Pem(
        [](BIO *b, void *o) {
            return PEM_write_bio_PrivateKey(b, static_cast<EVP_PKEY *>(o), nullptr, nullptr, 0, nullptr,
                                            nullptr);
        },
        key);
    const int length = i2d_X509(cert, nullptr);
    pair.der.resize(length);
    unsigned char *p = reinterpret_cast<unsigned char *>(pair.der.data());
    i2d_X509(cert, &p);
    return pair;
}

// A certificate for subject, signed by issuerKey (itself when issuer is null), valid from
// fromDays to toDays around now.
inline X509 *Make(const QString &subject, EVP_PKEY *key, X509 *issuer, EVP_PKEY *issuerKey, bool authority,
                  int fromDays, int toDays)
{
    static long serial = 1000;
    X509 *cert = X509_new();
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), ++serial);
    X509_gmtime_adj(X509_getm_notBefore(cert), long(fromDays) * 86400);
    X509_gmtime_adj(X509_getm_notAfter(cert), long(toDays) * 86400);
    X509_set_pubkey(cert, key);
    X509_NAME *name = X509_get_subject_name(cert);
    const QByteArray cn = subject.toUtf8();
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char *>(cn.constData()), -1, -1, 0);
    X509_set_issuer_name(cert, issuer ? X509_get_subject_name(issuer) : name);
    X509 *signer = issuer ? issuer : cert;
    if (authority) {
        AddExtension(cert, signer, NID_basic_constraints, "critical,CA:TRUE");
        AddExtension(cert, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        unsigned char address[16];
        const bool isAddress = ::inet_pton(AF_INET, cn.constData(), address) == 1;
        AddExtension(cert, signer, NID_subject_alt_name, ((isAddress ? "IP:" : "DNS:") + cn).constData());
    }
    X509_sign(cert, issuerKey ? issuerKey : key, EVP_sha256());
    return cert;
}

} // namespace detail

// A certificate authority of the test's own.
class Authority
{
public:
    Authority()
    {
        m_key = detail::NewKey();
        m_cert = detail::Make(QStringLiteral("Tavrin Test CA"), m_key, nullptr, nullptr, true, -1, 30);
        m_pem = detail::Pack(m_cert, m_key).certPem;
    }
    ~Authority()
    {
        X509_free(m_cert);
        EVP_PKEY_free(m_key);
    }
    Authority(const Authority &) = delete;
    Authority &operator=(const Authority &) = delete;

    const QByteArray &CertPem() const { return m_pem; }

    // Writes the authority's certificate as a PEM file.
    bool WriteTo(const QString &path) const
    {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(m_pem) == m_pem.size();
    }

    // A server certificate for name (a host name or a dotted address).
    KeyPair Issue(const QString &name, int fromDays = -1, int toDays = 30) const
    {
        EVP_PKEY *key = detail::NewKey();
        X509 *cert = detail::Make(name, key, m_cert, m_key, false, fromDays, toDays);
        KeyPair pair = detail::Pack(cert, key);
        X509_free(cert);
        EVP_PKEY_free(key);
        return pair;
    }

private:
    EVP_PKEY *m_key = nullptr;
    X509 *m_cert = nullptr;
    QByteArray m_pem;
};

// A server certificate that signs itself.
inline KeyPair SelfSigned(const QString &name)
{
    EVP_PKEY *key = detail::NewKey();
    X509 *cert = detail::Make(name, key, nullptr, nullptr, false, -1, 30);
    KeyPair pair = detail::Pack(cert, key);
    X509_free(cert);
    EVP_PKEY_free(key);
    return pair;
}

} // namespace testcerts
