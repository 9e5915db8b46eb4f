#include "platform/linux/ModuleBackends.h"

#include "picture/HeifReader.h"
#include "picture/PictureReaders.h"
#include "platform/linux/BackendModules.h"
#include "platform/linux/V4l2Node.h"

#include <mutex>

namespace {

class ModuleHeifReader : public PictureReader
{
public:
    bool CanRead(QByteArrayView head) const override { return IsHeifHead(head); }

    std::optional<Bitmap> Read(QIODevice &file, int tileSide) const override
    {
        // The tile makers ask from several threads at once.
        std::call_once(m_once, [this] {
            if (auto *make = BackendEntry<HeifReaderEntry>(kHeifModule, kHeifReaderEntry))
                m_reader.reset(make());
        });
        return m_reader ? m_reader->Read(file, tileSide) : std::nullopt;
    }

    QStringList NamePatterns() const override { return HeifNamePatterns(); }

private:
    mutable std::once_flag m_once;
    mutable std::unique_ptr<PictureReader> m_reader;
};

class ModuleCaptureDevice : public CaptureDevice
{
public:
    QList<CaptureDriver> Drivers() override
    {
        // Every camera this platform can show has a V4L2 node; without one Qt Multimedia would only
        // be started to say there is none.
        if (!m_real && !HasVideoDeviceNodes())
            return {};
        return real() ? m_real->Drivers() : QList<CaptureDriver> {};
    }
    bool Open(int index) override { return real() && m_real->Open(index); }
    void Close() override
    {
        if (m_real)
            m_real->Close();
    }
    bool IsOpen() const override { return m_real && m_real->IsOpen(); }
    void SetStreaming(bool on) override
    {
        if (m_real)
            m_real->SetStreaming(on);
    }
    bool IsStreaming() const override { return m_real && m_real->IsStreaming(); }
    Bitmap LatestFrame() const override { return m_real ? m_real->LatestFrame() : Bitmap(); }
    QSize ImageSize() const override { return m_real ? m_real->ImageSize() : QSize(); }
    QList<CaptureFormat> Formats() const override { return m_real ? m_real->Formats() : QList<CaptureFormat> {}; }
    int CurrentFormat() const override { return m_real ? m_real->CurrentFormat() : -1; }
    bool SetFormat(int index) override { return m_real && m_real->SetFormat(index); }
    QList<CaptureControl> Controls() const override
    {
        return m_real ? m_real->Controls() : QList<CaptureControl> {};
    }
    bool SetControl(quint32 id, int value) override { return m_real && m_real->SetControl(id, value); }

private:
    CaptureDevice *real()
    {
        if (!m_real && !m_tried) {
            m_tried = true;
            if (auto *make = BackendEntry<CaptureDeviceEntry>(kMediaModule, kCaptureDeviceEntry)) {
                m_real.reset(make());
                connect(m_real.get(), &CaptureDevice::frameArrived, this, &CaptureDevice::frameArrived);
            }
        }
        return m_real.get();
    }

    std::unique_ptr<CaptureDevice> m_real;
    bool m_tried = false;
};

class ModuleSoundPlayer : public SoundPlayer
{
public:
    void PlayAsync(const QByteArray &wav) override
    {
        if (real())
            m_real->PlayAsync(wav);
    }
    void PlayAndWait(const QByteArray &wav) override
    {
        if (real())
            m_real->PlayAndWait(wav);
    }

private:
    SoundPlayer *real()
    {
        if (!m_real && !m_tried) {
            m_tried = true;
            if (auto *make = BackendEntry<SoundPlayerEntry>(kMediaModule, kSoundPlayerEntry))
                m_real.reset(make());
        }
        return m_real.get();
    }

    std::unique_ptr<SoundPlayer> m_real;
    bool m_tried = false;
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
        if (!real())
            return Reply {0, {}, kNoNetwork};
        return m_real->PostForm(url, fields, keepWaiting);
    }
    quint16 ListenLoopback() override { return real() ? m_real->ListenLoopback() : 0; }
    std::optional<QByteArray> NextLoopbackRequest(const std::function<QByteArray(const QByteArray &)> &answer,
                                                  const KeepWaiting &keepWaiting) override
    {
        return real() ? m_real->NextLoopbackRequest(answer, keepWaiting) : std::nullopt;
    }
    void CloseLoopback() override
    {
        if (m_real)
            m_real->CloseLoopback();
    }

private:
    OAuthNetwork *real()
    {
        if (!m_real && !m_tried) {
            m_tried = true;
            if (auto *make = BackendEntry<OAuthNetworkEntry>(kSignInModule, kOAuthNetworkEntry))
                m_real.reset(make(m_clock));
        }
        return m_real.get();
    }

    Clock &m_clock;
    std::unique_ptr<OAuthNetwork> m_real;
    bool m_tried = false;
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
        return real() ? m_real->Read(key) : std::nullopt;
    }
    bool Write(const QString &key, const QByteArray &secret) override
    {
        return real() && m_real->Write(key, secret);
    }
    bool Remove(const QString &key) override { return !real() || m_real->Remove(key); }

private:
    SecretStore *real()
    {
        if (!m_real && !m_tried) {
            m_tried = true;
            if (auto *make = BackendEntry<KeyringEntry>(kSignInModule, kKeyringEntry))
                m_real.reset(make(m_clock));
        }
        return m_real.get();
    }

    Clock &m_clock;
    std::unique_ptr<SecretStore> m_real;
    bool m_tried = false;
};

} // namespace

std::unique_ptr<PictureReader> MakeModuleHeifReader()
{
    return std::make_unique<ModuleHeifReader>();
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
    return std::make_unique<FallbackSecretStore>(std::make_unique<ModuleKeyring>(clock),
                                                 std::make_unique<FileSecretStore>(FileSecretStore::PathIn(workFolder)));
}
