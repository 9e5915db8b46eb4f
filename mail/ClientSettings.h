#pragma once

#include "common/UserData.h"
#include "mail/IdFTP.h"
#include "mail/IdPOP3.h"
#include "mail/IdSMTP.h"

// The clients' fields from the settings, in one place for every caller (the send run, scheduled
// mail, the connection test): host, port, credentials, TLS mode and trusted fingerprints.
TlsMode TlsModeOf(EncryptionMode mode);

// How SMTP signs in: XOAUTH2 with UseOAuth, else LOGIN with UseSMTPAuth, else not at all.
AuthenticationKind SmtpAuthenticationOf(const TUserData &settings);

// Host, Port (SmtpPortInUse), HeloName (the server's name, as the program announces it),
// Username (for OAuth the sender address when UserID is empty), Password, AuthenticationType
// (SmtpAuthenticationOf), UseTLS and Pins. The access token is the sign-in's to set.
void ApplySettings(TIdSMTP &smtp, const TUserData &settings);
// Host POPServer, Port 110, the SMTP credentials, UseTLS and Pins.
void ApplySettings(TIdPOP3 &pop, const TUserData &settings);
// Host, Port (the port text as a decimal number), the FTP credentials, UseTLS and Pins. False, with
// the client unchanged, when the port text is not a decimal number.
bool ApplySettings(TIdFTP &ftp, const TUserData &settings);
