// tavrin-tool signin: signs the work folder's settings in to SMTP by OAuth 2.0, in the browser or
// by a code on another device, so that mail and sendrun send with the sign-in from then on.

#include "common/Clock.h"
#include "common/UserData.h"
#include "mail/OAuthClient.h"
#include "platform/linux/ModuleBackends.h"
#include "platform/linux/SystemBrowser.h"
#include "tools/tavrin-tool/Command.h"

#include <cstdio>

namespace {

constexpr int kSignedIn = 0;
constexpr int kFailed = 1; // the provider refused, the time ran out, no server answered
constexpr int kRefused = 2; // nothing was tried: the command line or the settings

int refuse(const QString &message)
{
    Fail(message);
    return kRefused;
}

int run(const QStringList &arguments)
{
    const ToolArgs args(arguments,
                        {"--work", "--provider", "--client-id", "--client-secret", "--authorize-url",
                         "--token-url", "--device-url", "--scope", "--timeout"},
                        {"--device"});
    if (!args.ok())
        return refuse(args.error());
    if (!args.positional().isEmpty())
        return refuse(QStringLiteral("signin takes no arguments besides its options"));
    bool ok = false;
    const int timeout = args.value("--timeout", QStringLiteral("300")).toInt(&ok);
    if (!ok || timeout <= 0 || timeout > 3600)
        return refuse(QStringLiteral("--timeout needs a number of seconds above 0 and at most 3600"));
    QString error;
    const QString work = ToolWorkFolder(args, &error);
    if (work.isEmpty())
        return refuse(error);
    TUserData settings(work);
    if (const QString problem = LoadMailSettings(work, settings); !problem.isEmpty())
        return refuse(problem);

    if (args.has("--provider")) {
        const QString provider = args.value("--provider");
        if (provider != QLatin1String("google") && provider != QLatin1String("microsoft")
            && provider != QLatin1String("custom"))
            return refuse(QStringLiteral("--provider is google, microsoft or custom"));
        settings.SignInProvider = provider;
    }
    const struct
    {
        const char *option;
        QString *field;
    } fields[] = {
        {"--client-id", &settings.SignInClientID},         {"--client-secret", &settings.SignInClientSecret},
        {"--authorize-url", &settings.SignInAuthorizeUrl}, {"--token-url", &settings.SignInTokenUrl},
        {"--device-url", &settings.SignInDeviceUrl},       {"--scope", &settings.SignInScope},
    };
    for (const auto &f : fields) {
        if (args.has(QString::fromLatin1(f.option)))
            *f.field = args.value(QString::fromLatin1(f.option));
    }
    if (settings.SignInProvider.isEmpty())
        return refuse(QStringLiteral("--provider is needed: google, microsoft or custom"));

    Clock &clock = SystemClock();
    const std::unique_ptr<OAuthNetwork> network = MakeModuleOAuthNetwork(clock);
    const std::unique_ptr<SecretStore> store = MakeSecretStore(clock, work);
    OAuthClient client(*network, *store, clock);
    client.TimeoutSeconds = timeout;
    client.ShowUrl = [](const QUrl &url) {
        Print(QStringLiteral("url=") + url.toString(QUrl::FullyEncoded));
        std::fflush(stdout);
    };
    client.OpenBrowser = OpenSystemBrowser;
    client.ShowDeviceCode = [](const QString &url, const QString &code) {
        Print(QStringLiteral("url=") + url);
        Print(QStringLiteral("code=") + code);
        std::fflush(stdout);
    };
    try {
        // The settings are checked before anything goes out.
        OAuthClient::ProviderOf(settings);
        OAuthClient::ClientOf(settings);
    } catch (const SignInError &e) {
        return refuse(e.Message());
    }
    try {
        if (args.has("--device"))
            client.SignInWithDevice(settings);
        else
            client.SignInWithBrowser(settings);
    } catch (const SignInError &e) {
        Fail(e.Message());
        return kFailed;
    }
    settings.UseOAuth = true;
    if (!settings.SaveToWorkFolder())
        return Fail(QStringLiteral("cannot save %1").arg(settings.WorkFilePath()));
    Print(QStringLiteral("signed in to %1 as %2")
              .arg(settings.SMTPServer, settings.UserID.isEmpty() ? settings.FromAddress : settings.UserID));
    return kSignedIn;
}

const bool registered = RegisterCommand(
    {"signin",
     "signin [--work DIR] [--device] [--provider google|microsoft|custom] [--client-id ID] [--client-secret "
     "S] "
     "[--authorize-url URL] [--token-url URL] [--device-url URL] [--scope SCOPE] [--timeout SECONDS]  (signs "
     "the settings in to SMTP by OAuth 2.0)",
     &run,
     "Signs in to the SMTP server of the work folder's settings by OAuth 2.0 and keeps the sign-in in\n"
     "the desktop's keyring (or, where none answers, in tokens.dat in the work folder, readable by its\n"
     "owner only). From then on the settings sign in to SMTP with it (XOAUTH2, over TLS only), and\n"
     "mail, sendrun and the window's send refresh its access token by themselves.\n"
     "\n"
     "By default the browser opens (xdg-open, which honours $BROWSER) at the provider's sign-in page;\n"
     "its address is printed as url=URL too, to open by hand. With --device the tool prints\n"
     "url=URL and code=CODE: open the URL on any device, enter the code, and the tool waits until\n"
     "you have agreed.\n"
     "\n"
     "  --provider P       google, microsoft, or custom with --authorize-url, --token-url,\n"
     "                     --device-url and --scope; kept in the settings\n"
     "  --client-id ID     the client ID registered with the provider (see the README)\n"
     "  --client-secret S  Google's desktop clients come with one\n"
     "  --timeout SECONDS  how long to wait for the sign-in (300 by default)\n"
     "\n"
     "Exit codes: 0 signed in, 1 the sign-in failed (refused, timed out, no answer), 2 nothing was\n"
     "tried (the command line or the settings)."});

} // namespace
