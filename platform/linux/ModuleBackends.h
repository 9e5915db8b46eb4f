#pragma once

#include "mail/OAuthClient.h"
#include "mail/SecretStore.h"
#include "picture/PictureFile.h"
#include "platform/CaptureDevice.h"
#include "platform/SoundPlayer.h"

#include <memory>

class Clock;

// Stand-ins for the backends that live in modules (platform/linux/BackendModules.h): each opens its
// module when it is first really needed and then hands every call on. Without the module each does
// what the interface says of a machine without the service.

// HEIF files; the module is opened by the first one read (the kind is told by its first bytes).
std::unique_ptr<PictureReader> MakeModuleHeifReader();
// The HEIF reader and Qt's image readers (PNG, WebP, TIFF), installed once for the run.
void InstallPictureReaders();

// TLS from its module, opened by the first TLS connection; installed once for the run.
void InstallModuleTlsTransport();

// The module is opened when a camera is listed on a machine with a video device node, or opened.
std::unique_ptr<CaptureDevice> MakeModuleCaptureDevice();
// Opened by the first sound played.
std::unique_ptr<SoundPlayer> MakeModuleSoundPlayer();

// Opened by the first sign-in request.
std::unique_ptr<OAuthNetwork> MakeModuleOAuthNetwork(Clock &clock);
// The keyring (from its module, opened by the first secret read or written), with the 0600 file in
// the work folder where the keyring does not answer.
std::unique_ptr<SecretStore> MakeSecretStore(Clock &clock, const QString &workFolder);
