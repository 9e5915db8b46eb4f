#pragma once

#include "common/UserData.h"

#include <QStringList>

class Clock;

// The settings dialog's connection test: connects to the servers the settings name, says what
// they offer and whether the login works, and sends no mail. Every wait pumps and is bounded.
struct ConnectionReport
{
    bool ok = false; // every server answered, and every login that the settings use went through
    QStringList lines; // what to show, one finding a line, in Japanese
};

struct ConnectionCheckOptions
{
    Clock *clock = nullptr; // pumped between the slices of every wait
    int timeoutMs = 30000; // for the connect and for each reply
    QString caFile; // trusted authorities; empty: the system's trust store
    std::function<QString()> accessToken; // the sign-in's token, for UseOAuth; throws SignInError
};

// The SMTP server (greeting, hello, TLS as the mode asks, the mechanisms it offers, and the login
// when UseSMTPAuth or UseOAuth is on), then the POP3 server when UsePOP3 is on.
ConnectionReport CheckMailServers(const TUserData &settings, const ConnectionCheckOptions &options = {});
// The FTP server: TLS as the mode asks, and the login.
ConnectionReport CheckFtpServer(const TUserData &settings, const ConnectionCheckOptions &options = {});
