#pragma once

#include <QList>
#include <QString>

// One account of the desktop's mail client, as the settings dialog imports it. The seven fields are
// read in this order; an account without an e-mail address is never handed out.
struct MailAccount
{
    QString SMTPDisplayName; // the sender's name
    QString SMTPEmailAddress; // the sender's address
    QString SMTPServer; // outgoing server host
    QString POP3Server; // incoming server host when it is a POP3 server, else empty
    QString SMTPUserName; // outgoing server user name
    QString POP3UserName; // incoming server user name
    QString AccountName; // the name shown when the user chooses among several accounts

    friend bool operator==(const MailAccount &, const MailAccount &) = default;
};

// The mail client's account store, read only.
class MailAccountStore
{
public:
    virtual ~MailAccountStore() = default;
    // The usable accounts of the client's default profile, in the client's order; empty when there
    // is no client, no profile or no account with an e-mail address. Reads the store anew each time.
    virtual QList<MailAccount> Accounts() const = 0;
};
