#pragma once

#include "common/UserData.h"

#include <QList>
#include <QString>

// Mail services whose SMTP settings the settings dialog fills in: the host, the port and the TLS
// mode from each service's published settings, the OAuth 2.0 provider where the service takes it,
// and what the user needs to know about signing in.
struct ServerPreset
{
    QString Name;
    QString Host;
    int Port = 587;
    EncryptionMode Tls = EncryptionMode::Required;
    QString SignInProvider; // "google", "microsoft", or empty: a password (often an app password)
    QString Note;
};

const QList<ServerPreset> &ServerPresets();
