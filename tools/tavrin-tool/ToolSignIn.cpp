#include "tools/tavrin-tool/ToolSignIn.h"

#include "common/Clock.h"
#include "common/UserData.h"
#include "mail/MailClients.h"
#include "platform/linux/ModuleBackends.h"

ToolSignIn::ToolSignIn(const QString &workFolder)
    : m_network(MakeModuleOAuthNetwork(SystemClock()))
    , m_store(MakeSecretStore(SystemClock(), workFolder))
    , m_client(*m_network, *m_store, SystemClock())
{ }

QString ToolSignIn::Prepare(MailClients &clients, const TUserData &settings)
{
    if (!settings.UseOAuth)
        return QString();
    try {
        m_client.AccessToken(settings);
    } catch (const SignInError &e) {
        return e.Message();
    }
    clients.AccessToken = [this, &settings] {
        return m_client.AccessToken(settings);
    };
    return QString();
}
