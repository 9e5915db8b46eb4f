#include "platform/SoundPlayer.h"

#include <QtEndian>

namespace {

quint32 le32(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}

quint16 le16(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint16>(b.constData() + at);
}

} // namespace

std::optional<WavData> ParseWav(const QByteArray &file)
{
    if (file.size() < 12 || !file.startsWith("RIFF") || file.mid(8, 4) != "WAVE")
        return std::nullopt;
    WavData wav;
    bool haveFormat = false;
    qsizetype at = 12;
    while (at + 8 <= file.size()) {
        const QByteArray id = file.mid(at, 4);
        const quint32 size = le32(file, at + 4);
        const qsizetype body = at + 8;
        if (size > static_cast<quint64>(file.size() - body))
            return std::nullopt;
        if (id == "fmt ") {
            if (size < 16 || le16(file, body) != 1) // 1 = PCM
                return std::nullopt;
            wav.channels = le16(file, body + 2);
            wav.sampleRate = static_cast<int>(le32(file, body + 4));
            wav.bitsPerSample = le16(file, body + 14);
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat)
                return std::nullopt;
            wav.samples = file.mid(body, size);
            if (wav.channels < 1 || wav.sampleRate < 1 || (wav.bitsPerSample != 8 && wav.bitsPerSample != 16))
                return std::nullopt;
            return wav;
        }
        at = body + size + (size & 1); // chunks are padded to even sizes
    }
    return std::nullopt;
}
