#include "platform/linux/ModuleBackends.h"

#include "mail/TlsTransport.h"
#include "picture/HeifReader.h"
#include "picture/PictureReaders.h"
#include "platform/linux/BackendModules.h"
#include "platform/linux/V4l2Node.h"

#include <mutex>

namespace {

// The backend object a module makes, made by the first call that needs it and kept; null when the
// module or its entry is missing. Made once even when several threads ask at once.
template<typename Interface, typename Entry> class ModuleObject
{
public:
    ModuleObject(const char *module, const char *entry)
        : m_module(module)
        , m_entry(entry)
    { }

    template<typename... Args> Interface *get(Args &...args)
    {
        std::call_once(m_once, [&] {
            if (auto *make = BackendEntry<Entry>(m_module, m_entry))
                m_object.reset(make(args...));
        });
        return m_object.get();
    }
    // Without making it.
    Interface *made() const { return m_object.get(); }

private:
    const char *m_module;
    const char *m_entry;
    std::once_flag m_once;
    std::unique_ptr<Interface> m_object;
};

class ModuleHeifReader : public PictureReader
{
public:
    bool CanRead(QByteArrayView head) const override { return IsHeifHead(head); }

    std::optional<Bitmap> Read(QIODevice &file, int tileSide) const override
    {
        // The tile makers ask from several threads at once.
        PictureReader *reader = m_reader.get();
        return reader ? reader->Read(file, tileSide) : std::nullopt;
    }

    QStringList NamePatterns() const override { return HeifNamePatterns(); }

private:
    mutable ModuleObject<PictureReader, HeifReaderEntry> m_reader {kHeifModule, kHeifReaderEntry};
};

class ModuleCaptureDevice : public CaptureDevice
{
public:
    QList<CaptureDriver> Drivers() override
    {
        // Every camera this platform can show has a V4L2 node; without one Qt Multimedia would only
        // be started to say there is none.
        if (!m_real.made() && !HasVideoDeviceNodes())
            return {};
        return real() ? real()->Drivers() : QList<CaptureDriver> {};
    }
    bool Open(int index) override { return real() && real()->Open(index); }
    void Close() override
    {
        if (made())
            made()->Close();
    }
    bool IsOpen() const override { return made() && made()->IsOpen(); }
    void SetStreaming(bool on) override
    {
        if (made())
            made()->SetStreaming(on);
    }
    bool IsStreaming() const override { return made() && made()->IsStreaming(); }
    Bitmap LatestFrame() const override { return made() ? made()->LatestFrame() : Bitmap(); }
    QSize ImageSize() const override { return made() ? made()->ImageSize() : QSize(); }
    QList<CaptureFormat> Formats() const override
    {
        return made() ? made()->Formats() : QList<CaptureFormat> {};
    }
    int CurrentFormat() const override { return made() ? made()->CurrentFormat() : -1; }
    bool SetFormat(int index) override { return made() && made()->SetFormat(index); }
    QList<CaptureControl> Controls() const override
    {
        return made() ? made()->Controls() : QList<CaptureControl> {};
    }
    bool SetControl(quint32 id, int value) override { return made() && made()->SetControl(id, value); }

private:
    // The camera of the module, its frames announced as this one's.
    CaptureDevice *real()
    {
        const bool fresh = !m_real.made();
        CaptureDevice *device = m_real.get();
        if (fresh && device)
            connect(device, &CaptureDevice::frameArrived, this, &CaptureDevice::frameArrived);
        return device;
    }
    // Before the module is opened no camera is open, so nothing has formats, controls or frames.
    CaptureDevice *made() const { return m_real.made(); }

    ModuleObject<CaptureDevice, CaptureDeviceEntry> m_real {kMediaModule, kCaptureDeviceEntry};
};

class ModuleSoundPlayer : public SoundPlayer
{
public:
    void PlayAsync(const QByteArray &wav) override
    {
        if (SoundPlayer *player = m_real.get())
            player->PlayAsync(wav);
    }
    void PlayAndWait(const QByteArray &wav) override
    {
        if (SoundPlayer *player = m_real.get())
            player->PlayAndWait(wav);
    }

private:
    ModuleObject<SoundPlayer, SoundPlayerEntry> m_real {kMediaModule, kSoundPlayerEntry};
};

const QString kNoNetwork = QStringLiteral("the sign-in's network module is missing");

class ModuleOAuthNetwork : public OAuthNetwork
{
public:
    explicit ModuleOAuthNetwork(Clock &clock)
        : m_clock(clock)
    { }

    Reply PostForm(const QUrl &url, const FormFields &fields, const KeepWaiting &keepWaiting) override
    {
        OAuthNetwork *network = real();
        return network ? network->PostForm(url, fields, keepWaiting) : Reply {0, {}, kNoNetwork};
    }
    quint16 ListenLoopback() override { return real() ? real()->ListenLoopback() : 0; }
    std::optional<QByteArray> NextLoopbackRequest(const std::function<QByteArray(const QByteArray &)> &answer,
                                                  const KeepWaiting &keepWaiting) override
    {
        return real() ? real()->NextLoopbackRequest(answer, keepWaiting) : std::nullopt;
    }
    void CloseLoopback() override
    {
        if (OAuthNetwork *network = m_real.made())
            network->CloseLoopback();
    }

private:
    OAuthNetwork *real() { return m_real.get(m_clock); }

    Clock &m_clock;
    ModuleObject<OAuthNetwork, OAuthNetworkEntry> m_real {kSignInModule, kOAuthNetworkEntry};
};

// Without its module the keyring keeps nothing, so nothing is left in it to remove.
class ModuleKeyring : public SecretStore
{
public:
    explicit ModuleKeyring(Clock &clock)
        : m_clock(clock)
    { }

    std::optional<QByteArray> Read(const QString &key) override
    {
        return real() ? real()->Read(key) : std::nullopt;
    }
    bool Write(const QString &key, const QByteArray &secret) override
    {
        return real() && real()->Write(key, secret);
    }
    bool Remove(const QString &key) override { return !real() || real()->Remove(key); }

private:
    SecretStore *real() { return m_real.get(m_clock); }

    Clock &m_clock;
    ModuleObject<SecretStore, KeyringEntry> m_real {kSignInModule, kKeyringEntry};
};

} // namespace

std::unique_ptr<PictureReader> MakeModuleHeifReader()
{
    return std::make_unique<ModuleHeifReader>();
}

namespace {

std::unique_ptr<TlsTransport> makeModuleTlsTransport(std::unique_ptr<Transport> inner)
{
    const auto make = BackendEntry<TlsTransportEntry>(kTlsModule, kTlsTransportEntry);
    if (!make)
        TlsRefused(QStringLiteral("lib%1.so cannot be opened").arg(QLatin1String(kTlsModule)));
    return std::unique_ptr<TlsTransport>(make(inner.release()));
}

} // namespace

void InstallModuleTlsTransport()
{
    InstallTlsTransport(makeModuleTlsTransport);
}

void InstallPictureReaders()
{
    static std::once_flag once;
    std::call_once(once, [] {
        InstallPictureReader(MakeModuleHeifReader());
        InstallPictureReader(MakeQtImageReader());
    });
}

std::unique_ptr<CaptureDevice> MakeModuleCaptureDevice()
{
    return std::make_unique<ModuleCaptureDevice>();
}

std::unique_ptr<SoundPlayer> MakeModuleSoundPlayer()
{
    return std::make_unique<ModuleSoundPlayer>();
}

std::unique_ptr<OAuthNetwork> MakeModuleOAuthNetwork(Clock &clock)
{
    return std::make_unique<ModuleOAuthNetwork>(clock);
}

std::unique_ptr<SecretStore> MakeSecretStore(Clock &clock, const QString &workFolder)
{
    return std::make_unique<FallbackSecretStore>(
        std::make_unique<ModuleKeyring>(clock),
        std::make_unique<FileSecretStore>(FileSecretStore::PathIn(workFolder)));
}
