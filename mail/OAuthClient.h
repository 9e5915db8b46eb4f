#pragma once

#include "mail/OAuth.h"

#include <functional>
#include <memory>

class Clock;
class SecretStore;
class TUserData;

// The network under the sign-in: a form POST to a token endpoint and a loopback HTTP listener for
// the redirect. Every wait runs the event loop and ends when keepWaiting says so, so a window
// stays answering and its cancel works. The program's backend uses QtNetwork; tests use their own.
class OAuthNetwork
{
public:
    struct Reply
    {
        int Status = 0; // the HTTP status; 0 when no answer came
        QByteArray Body;
        QString Error; // why no answer came, for the message
    };
    using KeepWaiting = std::function<bool()>;

    virtual ~OAuthNetwork() = default;

    virtual Reply PostForm(const QUrl &url, const FormFields &fields, const KeepWaiting &keepWaiting) = 0;
    // Listens on 127.0.0.1 on a free port, which it returns; 0 when it cannot.
    virtual quint16 ListenLoopback() = 0;
    // The request target ("/?code=...") of the next GET to the loopback port, which answer() turns
    // into the page the browser shows; nothing when keepWaiting said stop.
    virtual std::optional<QByteArray>
    NextLoopbackRequest(const std::function<QByteArray(const QByteArray &)> &answer,
                        const KeepWaiting &keepWaiting)
        = 0;
    virtual void CloseLoopback() = 0;
};

// Signs in, refreshes and keeps the tokens for the SMTP sign-in of the settings. The refresh token
// lives in the SecretStore under the server and user's key, never in the settings file.
class OAuthClient
{
public:
    OAuthClient(OAuthNetwork &network, SecretStore &store, Clock &clock);

    // Opens the URL in the user's browser; false when no browser could be started.
    std::function<bool(const QUrl &)> OpenBrowser;
    // Shows the authorization URL (to copy by hand) before the browser opens.
    std::function<void(const QUrl &)> ShowUrl;
    // Shows the device grant's URL and code while it waits for the user.
    std::function<void(const QString &url, const QString &code)> ShowDeviceCode;
    // Asked between waits: true ends the sign-in with OAuthText::Cancelled().
    std::function<bool()> Cancelled;
    int TimeoutSeconds = 300;

    // The browser flow (code grant with PKCE over a loopback redirect), then the tokens are stored.
    // Throws SignInError with the user's message.
    void SignInWithBrowser(const TUserData &settings);
    // The device grant, polling at the server's interval.
    void SignInWithDevice(const TUserData &settings);
    // Forgets the stored tokens. False when the store could not remove them.
    bool SignOut(const TUserData &settings);
    bool SignedIn(const TUserData &settings);
    // A good access token for the SMTP sign-in: the stored one, or a new one from the refresh
    // token (stored anew) when it is about to expire or forceRefresh is set. Throws SignInError;
    // Revoked() when only a new sign-in helps.
    QString AccessToken(const TUserData &settings, bool forceRefresh = false);

    // The store's key: one sign-in per SMTP server and user.
    static QString StoreKey(const TUserData &settings);
    // The provider and client of the settings. Throws SignInError when an endpoint is missing or
    // not https (a loopback http endpoint is allowed) or the client ID is empty.
    static OAuthProvider ProviderOf(const TUserData &settings);
    static OAuthClientId ClientOf(const TUserData &settings);

private:
    OAuthNetwork::KeepWaiting Deadline(qint64 ms) const;
    OAuthTokens RequestTokens(const OAuthProvider &provider, const FormFields &fields);
    void Store(const TUserData &settings, const OAuthTokens &tokens);

    OAuthNetwork &m_network;
    SecretStore &m_store;
    Clock &m_clock;
};
