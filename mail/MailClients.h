#pragma once

#include "mail/IdFTP.h"
#include "mail/IdPOP3.h"
#include "mail/IdSMTP.h"

#include <functional>

// The three protocol clients of the program, one of each for the run, and the numbers by which the
// sending window names the one in use.
struct MailClients
{
    static constexpr int None = 0;
    static constexpr int Pop3 = 1;
    static constexpr int Smtp = 2;
    static constexpr int Ftp = 3;

    TIdSMTP IdSMTP;
    TIdPOP3 IdPOP3;
    TIdFTP IdFTP;
    // A good OAuth 2.0 access token for the SMTP sign-in, refreshed when needed; throws the
    // sign-in's failure (SignInError). Unset where nobody signs in by OAuth.
    std::function<QString()> AccessToken;

    // The client with that number, or nullptr.
    CommandConnection *Client(int number)
    {
        switch (number) {
        case Pop3:
            return &IdPOP3;
        case Smtp:
            return &IdSMTP;
        case Ftp:
            return &IdFTP;
        default:
            return nullptr;
        }
    }

    // Breaks the connection of the client with that number, so that its blocked operation fails.
    void Disconnect(int number) noexcept
    {
        if (CommandConnection *client = Client(number)) {
            try {
                client->Disconnect();
            } catch (...) {
                // A broken connection is what the caller wants; how it broke does not matter.
            }
        }
    }
};
