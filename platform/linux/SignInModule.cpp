// The entries of libtavrin-signin.so (see BackendModules.h).

#include "platform/linux/BackendModules.h"
#include "platform/linux/KeychainSecretStore.h"
#include "platform/linux/QtOAuthNetwork.h"

extern "C" Q_DECL_EXPORT OAuthNetwork *tavrin_oauth_network(Clock &clock)
{
    return new QtOAuthNetwork(clock);
}

extern "C" Q_DECL_EXPORT SecretStore *tavrin_keyring(Clock &clock)
{
    return new KeychainSecretStore(clock);
}
