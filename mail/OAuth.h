#pragma once

#include "common/Exception.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

#include <optional>

// OAuth 2.0 for the SMTP sign-in: the provider's endpoints, the authorization code grant with PKCE
// (RFC 6749, RFC 7636) over a loopback redirect (RFC 8252), the device grant (RFC 8628) and the
// refresh of an access token. Only the messages and their parsing live here; the requests go out
// through OAuthNetwork (OAuthClient.h).

// Where a provider signs in. Every URL is https, except a loopback one (a local test server).
struct OAuthProvider
{
    QString AuthorizeUrl;
    QString TokenUrl;
    QString DeviceUrl; // empty: no device grant
    QString Scope; // space-separated
};

// "google" and "microsoft"; nothing for any other name (a custom provider gives its own URLs).
std::optional<OAuthProvider> OAuthPreset(const QString &name);

// Who asks: the client ID the user registered with the provider, and for Google's desktop
// clients its secret (which such a client cannot keep secret, and Google knows it).
struct OAuthClientId
{
    QString Id;
    QString Secret;
};

struct OAuthTokens
{
    QString AccessToken;
    QString RefreshToken;
    QDateTime IssuedAt; // UTC
    QDateTime ExpiresAt; // UTC; invalid when the server did not say

    // Whether the access token is still good at now, with a minute to spare for the send (a
    // quarter of its lifetime for tokens that live less than four minutes).
    bool Fresh(const QDateTime &now) const;
    QByteArray ToJson() const;
    static std::optional<OAuthTokens> FromJson(const QByteArray &json);
};

// A failure of the sign-in, worded for the user. Revoked: the provider no longer honours the
// sign-in (revoked, expired, refused), so only a new sign-in helps.
class SignInError : public Exception
{
public:
    explicit SignInError(const QString &message, bool revoked = false)
        : Exception(message)
        , m_revoked(revoked)
    { }
    bool Revoked() const { return m_revoked; }

private:
    bool m_revoked;
};

namespace OAuthText {
QString Revoked();
QString NotSignedIn();
QString TimedOut();
QString Cancelled();
} // namespace OAuthText

using FormFields = QList<QPair<QString, QString>>;

// The PKCE pair: a verifier of 43 characters from 32 random bytes and its S256 challenge.
struct Pkce
{
    QByteArray Verifier;
    QByteArray Challenge;

    static Pkce Make();
    static QByteArray ChallengeOf(const QByteArray &verifier);
};

// 32 random bytes, base64url without padding: the state of one authorization request.
QByteArray RandomState();

QUrl AuthorizationUrl(const OAuthProvider &provider, const OAuthClientId &client, const QString &redirectUri,
                      const QByteArray &state, const Pkce &pkce, const QString &loginHint = QString());

// What the browser brought back to the loopback redirect: the code, or the failure.
// Throws SignInError when the state is not ours, the provider refused or no code came.
QString CodeFromRedirect(const QByteArray &requestTarget, const QByteArray &expectedState);

FormFields CodeTokenRequest(const OAuthClientId &client, const QString &code, const QString &redirectUri,
                            const Pkce &pkce);
FormFields RefreshRequest(const OAuthClientId &client, const QString &refreshToken);
FormFields DeviceCodeRequest(const OAuthClientId &client, const OAuthProvider &provider);
FormFields DeviceTokenRequest(const OAuthClientId &client, const QString &deviceCode);

// A token endpoint's answer: the tokens, or the error code of RFC 6749 5.2 with its description.
struct TokenResponse
{
    std::optional<OAuthTokens> Tokens;
    QString Error;
    QString ErrorDescription;
    int RetryAfterInterval = 0; // "slow_down": seconds to add to the device grant's interval
};
TokenResponse ParseTokenResponse(int httpStatus, const QByteArray &body, const QDateTime &now);

struct DeviceAuthorization
{
    QString DeviceCode;
    QString UserCode;
    QString VerificationUri;
    int IntervalSeconds = 5;
    int ExpiresInSeconds = 0;
};
// Throws SignInError on an error reply or one without the fields of RFC 8628 3.2. Microsoft's older
// endpoint names the field "verification_url".
DeviceAuthorization ParseDeviceAuthorization(int httpStatus, const QByteArray &body);

// Whether a URL may carry a code or token: https, or http on a loopback address.
bool SafeEndpoint(const QUrl &url);
