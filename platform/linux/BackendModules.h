#pragma once

#include <QFunctionPointer>
#include <QString>
#include <QStringList>

class CaptureDevice;
class Clock;
class OAuthNetwork;
class PictureReader;
class SecretStore;
class SoundPlayer;
class TlsTransport;
class Transport;

// The backends whose libraries are large (libheif with its codecs; Qt Multimedia; QtNetwork and the
// keyring; OpenSSL) live in modules of their own, opened when first needed: linked into the program they
// would be loaded at every start, and most runs use none of them. A module is one shared object with
// C entry points; it binds to the program's own copy of the core (the executables export their
// symbols) and carries what the program lacks.

// "libtavrin-heif.so": the HEIF picture reader.
inline constexpr char kHeifModule[] = "tavrin-heif";
using HeifReaderEntry = PictureReader *();
inline constexpr char kHeifReaderEntry[] = "tavrin_heif_reader";

// "libtavrin-media.so": the camera and the sound output on Qt Multimedia.
inline constexpr char kMediaModule[] = "tavrin-media";
using CaptureDeviceEntry = CaptureDevice *();
inline constexpr char kCaptureDeviceEntry[] = "tavrin_capture_device";
using SoundPlayerEntry = SoundPlayer *();
inline constexpr char kSoundPlayerEntry[] = "tavrin_sound_player";

// "libtavrin-signin.so": the sign-in's network on QtNetwork and the keyring through qtkeychain.
inline constexpr char kSignInModule[] = "tavrin-signin";
using OAuthNetworkEntry = OAuthNetwork *(Clock &);
inline constexpr char kOAuthNetworkEntry[] = "tavrin_oauth_network";
using KeyringEntry = SecretStore *(Clock &);
inline constexpr char kKeyringEntry[] = "tavrin_keyring";

// "libtavrin-tls.so": TLS on OpenSSL. The entry takes the inner transport and owns it from then on.
inline constexpr char kTlsModule[] = "tavrin-tls";
using TlsTransportEntry = TlsTransport *(Transport *inner);
inline constexpr char kTlsTransportEntry[] = "tavrin_tls_transport";

// Where modules are looked for, in order: the folder of the running program, then ../lib/tavrin
// beside it (an installation, and the build tree).
QStringList BackendModuleFolders();

// The entry point of the module, opened on the first call and kept for the run; null when the
// module or the entry is missing (said once on the log). Callable from any thread.
QFunctionPointer ResolveBackendEntry(const char *module, const char *entry);
// The same in the given folders; why it failed in error.
QFunctionPointer ResolveBackendEntryIn(const QStringList &folders, const QString &module, const char *entry,
                                       QString *error = nullptr);

template <typename Entry>
Entry *BackendEntry(const char *module, const char *entry)
{
    return reinterpret_cast<Entry *>(ResolveBackendEntry(module, entry));
}
