#include "platform/SoundPlayer.h"
#include "support/Files.h"

#include <QtEndian>

#include <gtest/gtest.h>

namespace {

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray le16(quint16 v)
{
    QByteArray b(2, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray wavFile(quint16 format, quint16 bits, const QByteArray &data, const QByteArray &extraChunk = {})
{
    const QByteArray fmt = "fmt " + le32(16) + le16(format) + le16(1) + le32(8000) + le32(8000 * bits / 8)
        + le16(bits / 8) + le16(bits);
    const QByteArray body = "WAVE" + fmt + extraChunk + "data" + le32(quint32(data.size())) + data;
    return "RIFF" + le32(quint32(body.size())) + body;
}

TEST(Wav, ReadsTheFormatAndSamplesOfAPcmFile)
{
    const auto wav = ParseWav(
        wavFile(1, 16, QByteArray("\x01\x02\x03\x04", 4), "LIST" + le32(3) + QByteArray("abc\0", 4)));
    ASSERT_TRUE(wav);
    EXPECT_EQ(wav->sampleRate, 8000);
    EXPECT_EQ(wav->channels, 1);
    EXPECT_EQ(wav->bitsPerSample, 16);
    EXPECT_EQ(wav->samples, QByteArray("\x01\x02\x03\x04", 4)); // after a padded odd-sized chunk
}

TEST(Wav, RefusesWhatItCannotPlay)
{
    QByteArray good = wavFile(1, 8, "abcd");
    QByteArray lying = good;
    lying.replace(lying.indexOf("data") + 4, 4, le32(0xFFFFFFF0));
    const QByteArray cases[] = {
        QByteArray(),
        "RIFF",
        good.left(good.size() - 2), // data shorter than its chunk says
        lying,
        wavFile(3, 32, "abcd"), // floating point
        wavFile(1, 24, "abcdef"),
        "RIFF" + le32(4) + "AVI ",
    };
    for (const QByteArray &c : cases)
        EXPECT_FALSE(ParseWav(c)) << c.toHex().constData();
    EXPECT_TRUE(ParseWav(good));
}

TEST(Wav, TheShippedSoundsArePlayable)
{
    for (const char *name : {"resources/shutter.wav", "resources/self.wav"}) {
        const auto wav = ParseWav(testfiles::read(testfiles::source(name)));
        ASSERT_TRUE(wav) << name;
        EXPECT_EQ(wav->sampleRate, 22050);
        EXPECT_EQ(wav->channels, 1);
        EXPECT_EQ(wav->bitsPerSample, 16);
        EXPECT_GT(wav->samples.size(), 22050 / 10); // at least a twentieth of a second
    }
}

} // namespace
