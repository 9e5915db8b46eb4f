#include "mail/OAuthClient.h"

#include "common/Clock.h"
#include "common/UserData.h"
#include "mail/SecretStore.h"

namespace {

QString Unreachable(const OAuthNetwork::Reply &reply)
{
    return QStringLiteral("認証サーバーに接続できません。（%1）").arg(reply.Error);
}

// The page the browser shows after the redirect; the program's window says the rest.
QByteArray Page(const QString &text)
{
    return "<!DOCTYPE html><html lang=\"ja\"><head><meta "
           "charset=\"utf-8\"><title>Tavrin</title></head><body><p>"
        + text.toHtmlEscaped().toUtf8() + "</p></body></html>";
}

} // namespace

OAuthClient::OAuthClient(OAuthNetwork &network, SecretStore &store, Clock &clock)
    : m_network(network)
    , m_store(store)
    , m_clock(clock)
{ }

QString OAuthClient::StoreKey(const TUserData &settings)
{
    const QString user = settings.UserID.isEmpty() ? settings.FromAddress : settings.UserID;
    return QStringLiteral("smtp:%1:%2").arg(settings.SMTPServer, user);
}

OAuthProvider OAuthClient::ProviderOf(const TUserData &settings)
{
    OAuthProvider provider
        = OAuthPreset(settings.SignInProvider)
              .value_or(OAuthProvider {settings.SignInAuthorizeUrl, settings.SignInTokenUrl,
                                       settings.SignInDeviceUrl, settings.SignInScope});
    for (const QString *url : {&provider.AuthorizeUrl, &provider.TokenUrl}) {
        if (!SafeEndpoint(QUrl(*url)))
            throw SignInError(QStringLiteral(
                "認証サーバーのURLが正しくありません（https://で始まるURLを入力して下さい）。"));
    }
    if (!provider.DeviceUrl.isEmpty() && !SafeEndpoint(QUrl(provider.DeviceUrl)))
        throw SignInError(
            QStringLiteral("認証サーバーのURLが正しくありません（https://で始まるURLを入力して下さい）。"));
    return provider;
}

OAuthClientId OAuthClient::ClientOf(const TUserData &settings)
{
    if (settings.SignInClientID.trimmed().isEmpty())
        throw SignInError(QStringLiteral("クライアントIDを入力して下さい。"));
    return {settings.SignInClientID.trimmed(), settings.SignInClientSecret.trimmed()};
}

OAuthNetwork::KeepWaiting OAuthClient::Deadline(qint64 ms) const
{
    const qint64 end = m_clock.Elapsed() + ms;
    return [this, end] {
        if (Cancelled && Cancelled())
            throw SignInError(OAuthText::Cancelled());
        return m_clock.Elapsed() < end;
    };
}

OAuthTokens OAuthClient::RequestTokens(const OAuthProvider &provider, const FormFields &fields)
{
    const OAuthNetwork::Reply reply = m_network.PostForm(QUrl(provider.TokenUrl), fields, Deadline(60000));
    if (reply.Status == 0)
        throw SignInError(Unreachable(reply));
    const TokenResponse response = ParseTokenResponse(reply.Status, reply.Body, m_clock.Now());
    if (response.Tokens)
        return *response.Tokens;
    // RFC 6749 5.2: the grant (code or refresh token) is no longer good.
    if (response.Error == QLatin1String("invalid_grant"))
        throw SignInError(OAuthText::Revoked(), true);
    throw SignInError(QStringLiteral("認証サーバーがサインインを拒否しました。（%1）").arg(response.Error));
}

void OAuthClient::Store(const TUserData &settings, const OAuthTokens &tokens)
{
    if (!m_store.Write(StoreKey(settings), tokens.ToJson()))
        throw SignInError(QStringLiteral("サインインの情報を保存できません。"));
}

void OAuthClient::SignInWithBrowser(const TUserData &settings)
{
    const OAuthProvider provider = ProviderOf(settings);
    const OAuthClientId client = ClientOf(settings);
    const quint16 port = m_network.ListenLoopback();
    if (port == 0)
        throw SignInError(QStringLiteral("サインインの受け口を開けません。"));
    struct Closer
    {
        OAuthNetwork &network;
        ~Closer() { network.CloseLoopback(); }
    } closer {m_network};

    const QString redirectUri = QStringLiteral("http://127.0.0.1:%1/").arg(port);
    const Pkce pkce = Pkce::Make();
    const QByteArray state = RandomState();
    const QUrl url = AuthorizationUrl(provider, client, redirectUri, state, pkce,
                                      settings.UserID.isEmpty() ? settings.FromAddress : settings.UserID);
    if (ShowUrl)
        ShowUrl(url);
    if (OpenBrowser)
        OpenBrowser(url);

    const OAuthNetwork::KeepWaiting keepWaiting = Deadline(qint64(TimeoutSeconds) * 1000);
    std::optional<QString> code;
    std::optional<SignInError> failure;
    // Requests that are not the redirect (a favicon, a stray one without our state) are answered
    // and the wait goes on; the redirect itself ends it, whatever it says.
    while (!code && !failure) {
        const std::optional<QByteArray> target = m_network.NextLoopbackRequest(
            [&](const QByteArray &target) -> QByteArray {
                const QUrl request(QString::fromLatin1(target));
                if (request.path() != QLatin1String("/") || !request.hasQuery())
                    return QByteArray();
                try {
                    code = CodeFromRedirect(target, state);
                    return Page(
                        QStringLiteral("サインインしました。このページを閉じてTavrinに戻って下さい。"));
                } catch (const SignInError &e) {
                    failure = e;
                    return Page(e.Message());
                }
            },
            keepWaiting);
        if (!target)
            throw SignInError(OAuthText::TimedOut());
    }
    if (failure)
        throw *failure;
    OAuthTokens tokens = RequestTokens(provider, CodeTokenRequest(client, *code, redirectUri, pkce));
    if (tokens.RefreshToken.isEmpty())
        throw SignInError(QStringLiteral("認証サーバーが更新用のトークンを返しませんでした。"));
    Store(settings, tokens);
}

void OAuthClient::SignInWithDevice(const TUserData &settings)
{
    const OAuthProvider provider = ProviderOf(settings);
    const OAuthClientId client = ClientOf(settings);
    if (provider.DeviceUrl.isEmpty())
        throw SignInError(QStringLiteral("この認証サーバーはコードによるサインインに対応していません。"));
    const OAuthNetwork::Reply reply
        = m_network.PostForm(QUrl(provider.DeviceUrl), DeviceCodeRequest(client, provider), Deadline(60000));
    if (reply.Status == 0)
        throw SignInError(Unreachable(reply));
    const DeviceAuthorization device = ParseDeviceAuthorization(reply.Status, reply.Body);
    if (ShowDeviceCode)
        ShowDeviceCode(device.VerificationUri, device.UserCode);

    const qint64 end = m_clock.Elapsed() + qint64(std::min(TimeoutSeconds, device.ExpiresInSeconds)) * 1000;
    int interval = device.IntervalSeconds;
    while (true) {
        // RFC 8628 3.5: wait the interval before every poll.
        const OAuthNetwork::KeepWaiting pause = Deadline(qint64(interval) * 1000);
        while (pause())
            m_clock.Pump(50);
        if (m_clock.Elapsed() >= end)
            throw SignInError(OAuthText::TimedOut());
        const OAuthNetwork::Reply poll = m_network.PostForm(
            QUrl(provider.TokenUrl), DeviceTokenRequest(client, device.DeviceCode), Deadline(60000));
        if (poll.Status == 0)
            throw SignInError(Unreachable(poll));
        const TokenResponse response = ParseTokenResponse(poll.Status, poll.Body, m_clock.Now());
        if (response.Tokens) {
            if (response.Tokens->RefreshToken.isEmpty())
                throw SignInError(QStringLiteral("認証サーバーが更新用のトークンを返しませんでした。"));
            Store(settings, *response.Tokens);
            return;
        }
        if (response.Error == QLatin1String("authorization_pending"))
            continue;
        if (response.Error == QLatin1String("slow_down")) {
            interval += response.RetryAfterInterval;
            continue;
        }
        if (response.Error == QLatin1String("access_denied"))
            throw SignInError(QStringLiteral("サインインが拒否されました。"));
        if (response.Error == QLatin1String("expired_token"))
            throw SignInError(OAuthText::TimedOut());
        throw SignInError(
            QStringLiteral("認証サーバーがサインインを拒否しました。（%1）").arg(response.Error));
    }
}

bool OAuthClient::SignOut(const TUserData &settings)
{
    return m_store.Remove(StoreKey(settings));
}

bool OAuthClient::SignedIn(const TUserData &settings)
{
    const std::optional<QByteArray> stored = m_store.Read(StoreKey(settings));
    return stored && OAuthTokens::FromJson(*stored).has_value();
}

QString OAuthClient::AccessToken(const TUserData &settings, bool forceRefresh)
{
    const std::optional<QByteArray> stored = m_store.Read(StoreKey(settings));
    const std::optional<OAuthTokens> tokens = stored ? OAuthTokens::FromJson(*stored) : std::nullopt;
    if (!tokens)
        throw SignInError(OAuthText::NotSignedIn(), true);
    if (!forceRefresh && tokens->Fresh(m_clock.Now()))
        return tokens->AccessToken;
    if (tokens->RefreshToken.isEmpty())
        throw SignInError(OAuthText::Revoked(), true);
    OAuthTokens fresh
        = RequestTokens(ProviderOf(settings), RefreshRequest(ClientOf(settings), tokens->RefreshToken));
    // A provider that does not rotate the refresh token keeps the old one good.
    if (fresh.RefreshToken.isEmpty())
        fresh.RefreshToken = tokens->RefreshToken;
    Store(settings, fresh);
    return fresh.AccessToken;
}
