#include "mail/OAuth.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QUrlQuery>

#include <algorithm>

namespace {

QByteArray Base64Url(const QByteArray &bytes)
{
    return bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

QByteArray RandomBytes(int count)
{
    QByteArray bytes(count, Qt::Uninitialized);
    QRandomGenerator::system()->generate(bytes.begin(), bytes.end());
    return bytes;
}

QString BadReply()
{
    return QStringLiteral("認証サーバーの応答が正しくありません。");
}

std::optional<QJsonObject> JsonObjectOf(const QByteArray &body)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    return doc.object();
}

void AddSecret(FormFields &fields, const OAuthClientId &client)
{
    if (!client.Secret.isEmpty())
        fields.append({QStringLiteral("client_secret"), client.Secret});
}

} // namespace

std::optional<OAuthProvider> OAuthPreset(const QString &name)
{
    if (name == QLatin1String("google"))
        return OAuthProvider {QStringLiteral("https://accounts.google.com/o/oauth2/v2/auth"),
                              QStringLiteral("https://oauth2.googleapis.com/token"),
                              QStringLiteral("https://oauth2.googleapis.com/device/code"),
                              QStringLiteral("https://mail.google.com/")};
    if (name == QLatin1String("microsoft"))
        return OAuthProvider {
            QStringLiteral("https://login.microsoftonline.com/common/oauth2/v2.0/authorize"),
            QStringLiteral("https://login.microsoftonline.com/common/oauth2/v2.0/token"),
            QStringLiteral("https://login.microsoftonline.com/common/oauth2/v2.0/devicecode"),
            QStringLiteral("https://outlook.office.com/SMTP.Send offline_access")};
    return std::nullopt;
}

bool OAuthTokens::Fresh(const QDateTime &now) const
{
    if (AccessToken.isEmpty())
        return false;
    if (!ExpiresAt.isValid())
        return true;
    qint64 spareMs = 60000;
    if (IssuedAt.isValid())
        spareMs = std::min(spareMs, IssuedAt.msecsTo(ExpiresAt) / 4);
    return now.toUTC().addMSecs(spareMs) < ExpiresAt;
}

QByteArray OAuthTokens::ToJson() const
{
    QJsonObject o;
    o.insert(QStringLiteral("access_token"), AccessToken);
    o.insert(QStringLiteral("refresh_token"), RefreshToken);
    if (IssuedAt.isValid())
        o.insert(QStringLiteral("issued_at"), IssuedAt.toUTC().toString(Qt::ISODateWithMs));
    if (ExpiresAt.isValid())
        o.insert(QStringLiteral("expires_at"), ExpiresAt.toUTC().toString(Qt::ISODateWithMs));
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<OAuthTokens> OAuthTokens::FromJson(const QByteArray &json)
{
    const std::optional<QJsonObject> o = JsonObjectOf(json);
    if (!o)
        return std::nullopt;
    OAuthTokens tokens;
    tokens.AccessToken = o->value(QLatin1String("access_token")).toString();
    tokens.RefreshToken = o->value(QLatin1String("refresh_token")).toString();
    tokens.IssuedAt
        = QDateTime::fromString(o->value(QLatin1String("issued_at")).toString(), Qt::ISODateWithMs);
    tokens.ExpiresAt
        = QDateTime::fromString(o->value(QLatin1String("expires_at")).toString(), Qt::ISODateWithMs);
    if (tokens.AccessToken.isEmpty() && tokens.RefreshToken.isEmpty())
        return std::nullopt;
    return tokens;
}

namespace OAuthText {
QString Revoked()
{
    return QStringLiteral("サインインの期限が切れたか、取り消されました。サインインし直して下さい。");
}
QString NotSignedIn()
{
    return QStringLiteral("OAuth 2.0でサインインしていません。設定画面でサインインして下さい。");
}
QString TimedOut()
{
    return QStringLiteral("サインインが時間内に終わりませんでした。もう一度サインインして下さい。");
}
QString Cancelled()
{
    return QStringLiteral("サインインを中止しました。");
}
} // namespace OAuthText

Pkce Pkce::Make()
{
    const QByteArray verifier = Base64Url(RandomBytes(32));
    return {verifier, ChallengeOf(verifier)};
}

QByteArray Pkce::ChallengeOf(const QByteArray &verifier)
{
    return Base64Url(QCryptographicHash::hash(verifier, QCryptographicHash::Sha256));
}

QByteArray RandomState()
{
    return Base64Url(RandomBytes(32));
}

QUrl AuthorizationUrl(const OAuthProvider &provider, const OAuthClientId &client, const QString &redirectUri,
                      const QByteArray &state, const Pkce &pkce, const QString &loginHint)
{
    QUrl url(provider.AuthorizeUrl);
    QUrlQuery query(url);
    query.addQueryItem(QStringLiteral("response_type"), QStringLiteral("code"));
    query.addQueryItem(QStringLiteral("client_id"), client.Id);
    query.addQueryItem(QStringLiteral("redirect_uri"), redirectUri);
    query.addQueryItem(QStringLiteral("scope"), provider.Scope);
    query.addQueryItem(QStringLiteral("state"), QString::fromLatin1(state));
    query.addQueryItem(QStringLiteral("code_challenge"), QString::fromLatin1(pkce.Challenge));
    query.addQueryItem(QStringLiteral("code_challenge_method"), QStringLiteral("S256"));
    // Google hands out a refresh token only with offline access asked for.
    query.addQueryItem(QStringLiteral("access_type"), QStringLiteral("offline"));
    query.addQueryItem(QStringLiteral("prompt"), QStringLiteral("consent"));
    if (!loginHint.isEmpty())
        query.addQueryItem(QStringLiteral("login_hint"), loginHint);
    // QUrlQuery leaves "+" and other reserved characters alone; a form-encoded value must not.
    QString encoded;
    for (const auto &[key, value] : query.queryItems(QUrl::FullyDecoded)) {
        if (!encoded.isEmpty())
            encoded += QLatin1Char('&');
        encoded += QString::fromLatin1(QUrl::toPercentEncoding(key) + '=' + QUrl::toPercentEncoding(value));
    }
    url.setQuery(encoded, QUrl::StrictMode);
    return url;
}

QString CodeFromRedirect(const QByteArray &requestTarget, const QByteArray &expectedState)
{
    const QUrl url(QString::fromLatin1(requestTarget));
    const QUrlQuery query(url);
    const QString state = query.queryItemValue(QStringLiteral("state"), QUrl::FullyDecoded);
    if (state.toLatin1() != expectedState || expectedState.isEmpty())
        throw SignInError(QStringLiteral(
            "サインインの応答が、この画面から始めたものではありません。もう一度サインインして下さい。"));
    const QString error = query.queryItemValue(QStringLiteral("error"), QUrl::FullyDecoded);
    if (error == QLatin1String("access_denied"))
        throw SignInError(QStringLiteral("サインインが拒否されました。"));
    if (!error.isEmpty())
        throw SignInError(QStringLiteral("サインインできませんでした。（%1）").arg(error));
    const QString code = query.queryItemValue(QStringLiteral("code"), QUrl::FullyDecoded);
    if (code.isEmpty())
        throw SignInError(BadReply());
    return code;
}

FormFields CodeTokenRequest(const OAuthClientId &client, const QString &code, const QString &redirectUri,
                            const Pkce &pkce)
{
    FormFields fields {{QStringLiteral("grant_type"), QStringLiteral("authorization_code")},
                       {QStringLiteral("code"), code},
                       {QStringLiteral("redirect_uri"), redirectUri},
                       {QStringLiteral("client_id"), client.Id},
                       {QStringLiteral("code_verifier"), QString::fromLatin1(pkce.Verifier)}};
    AddSecret(fields, client);
    return fields;
}

FormFields RefreshRequest(const OAuthClientId &client, const QString &refreshToken)
{
    FormFields fields {{QStringLiteral("grant_type"), QStringLiteral("refresh_token")},
                       {QStringLiteral("refresh_token"), refreshToken},
                       {QStringLiteral("client_id"), client.Id}};
    AddSecret(fields, client);
    return fields;
}

FormFields DeviceCodeRequest(const OAuthClientId &client, const OAuthProvider &provider)
{
    return {{QStringLiteral("client_id"), client.Id}, {QStringLiteral("scope"), provider.Scope}};
}

FormFields DeviceTokenRequest(const OAuthClientId &client, const QString &deviceCode)
{
    FormFields fields {
        {QStringLiteral("grant_type"), QStringLiteral("urn:ietf:params:oauth:grant-type:device_code")},
        {QStringLiteral("device_code"), deviceCode},
        {QStringLiteral("client_id"), client.Id}};
    AddSecret(fields, client);
    return fields;
}

TokenResponse ParseTokenResponse(int httpStatus, const QByteArray &body, const QDateTime &now)
{
    TokenResponse response;
    const std::optional<QJsonObject> o = JsonObjectOf(body);
    if (!o) {
        response.Error = QStringLiteral("invalid_response");
        return response;
    }
    response.Error = o->value(QLatin1String("error")).toString();
    response.ErrorDescription = o->value(QLatin1String("error_description")).toString();
    if (response.Error == QLatin1String("slow_down"))
        response.RetryAfterInterval = 5;
    const QString access = o->value(QLatin1String("access_token")).toString();
    if (httpStatus != 200 || !response.Error.isEmpty() || access.isEmpty()) {
        if (response.Error.isEmpty())
            response.Error = QStringLiteral("invalid_response");
        return response;
    }
    // RFC 6750 bearer tokens only: another type would not sign in over XOAUTH2.
    if (o->value(QLatin1String("token_type")).toString().compare(QLatin1String("bearer"), Qt::CaseInsensitive)
        != 0) {
        response.Error = QStringLiteral("invalid_response");
        return response;
    }
    OAuthTokens tokens;
    tokens.AccessToken = access;
    tokens.RefreshToken = o->value(QLatin1String("refresh_token")).toString();
    const int expiresIn = o->value(QLatin1String("expires_in")).toInt(0);
    tokens.IssuedAt = now.toUTC();
    if (expiresIn > 0)
        tokens.ExpiresAt = now.toUTC().addSecs(expiresIn);
    response.Tokens = tokens;
    return response;
}

DeviceAuthorization ParseDeviceAuthorization(int httpStatus, const QByteArray &body)
{
    const std::optional<QJsonObject> o = JsonObjectOf(body);
    if (!o)
        throw SignInError(BadReply());
    const QString error = o->value(QLatin1String("error")).toString();
    if (httpStatus != 200 || !error.isEmpty())
        throw SignInError(QStringLiteral("認証サーバーがサインインを拒否しました。（%1）")
                              .arg(error.isEmpty() ? QString::number(httpStatus) : error));
    DeviceAuthorization device;
    device.DeviceCode = o->value(QLatin1String("device_code")).toString();
    device.UserCode = o->value(QLatin1String("user_code")).toString();
    device.VerificationUri = o->value(QLatin1String("verification_uri")).toString();
    if (device.VerificationUri.isEmpty())
        device.VerificationUri = o->value(QLatin1String("verification_url")).toString();
    device.IntervalSeconds = std::max(1, o->value(QLatin1String("interval")).toInt(5));
    device.ExpiresInSeconds = o->value(QLatin1String("expires_in")).toInt(0);
    if (device.DeviceCode.isEmpty() || device.UserCode.isEmpty() || device.VerificationUri.isEmpty()
        || device.ExpiresInSeconds <= 0)
        throw SignInError(BadReply());
    return device;
}

bool SafeEndpoint(const QUrl &url)
{
    if (!url.isValid() || url.host().isEmpty())
        return false;
    if (url.scheme() == QLatin1String("https"))
        return true;
    if (url.scheme() != QLatin1String("http"))
        return false;
    const QString host = url.host();
    return host == QLatin1String("localhost") || host == QLatin1String("::1")
        || (host.startsWith(QLatin1String("127.")) && host.count(QLatin1Char('.')) == 3);
}
