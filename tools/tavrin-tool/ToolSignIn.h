#pragma once

#include "mail/OAuthClient.h"
#include "mail/SecretStore.h"

#include <memory>

struct MailClients;
class TUserData;

// The OAuth 2.0 sign-in of the work folder for the commands that send: the keyring (or the
// 0600 file) and the token endpoint on QtNetwork, each opened when first needed.
class ToolSignIn
{
public:
    explicit ToolSignIn(const QString &workFolder);

    // For settings that sign in by OAuth: checks that a good access token can be had now (refreshed
    // when about to expire) and gives the clients their source of it for the run. Empty when all is
    // well or the settings do not sign in by OAuth, else the message (which says to sign in again).
    QString Prepare(MailClients &clients, const TUserData &settings);

private:
    std::unique_ptr<OAuthNetwork> m_network;
    std::unique_ptr<SecretStore> m_store;
    OAuthClient m_client;
};
