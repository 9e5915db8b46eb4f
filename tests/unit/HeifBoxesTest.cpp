#include "picture/HeifBoxes.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace {

// Writes an HEVC bitstream: fixed-width fields and Exp-Golomb numbers, with the emulation
// prevention bytes a real encoder puts in.
class BitWriter
{
public:
    void bits(quint64 value, int n)
    {
        for (int i = n - 1; i >= 0; --i)
            m_bits.push_back(i < 64 && ((value >> i) & 1) != 0);
    }
    void ue(quint32 value)
    {
        const quint64 v = quint64(value) + 1;
        int length = 0;
        while ((v >> length) > 1)
            ++length;
        bits(0, length);
        bits(v, length + 1);
    }
    QByteArray nal(int type) const
    {
        QByteArray raw;
        for (size_t i = 0; i < m_bits.size(); i += 8) {
            uchar b = 0;
            for (size_t j = 0; j < 8; ++j)
                b = uchar(b << 1) | uchar(i + j < m_bits.size() && m_bits[i + j]);
            raw.append(char(b));
        }
        QByteArray out;
        out.append(char(type << 1)).append(char(1));
        int zeros = 0;
        for (const char c : raw) {
            if (zeros >= 2 && uchar(c) <= 3) {
                out.append(char(3));
                zeros = 0;
            }
            out.append(c);
            zeros = c == 0 ? zeros + 1 : 0;
        }
        return out;
    }

private:
    std::vector<bool> m_bits;
};

// A sequence parameter set as far as the picture size. The profile is all zeros, which makes the
// emulation prevention bytes appear.
QByteArray sps(quint32 width, quint32 height, int subLayers = 0, quint32 chroma = 1)
{
    BitWriter w;
    w.bits(0, 4); // vps id
    w.bits(quint64(subLayers), 3);
    w.bits(1, 1);
    w.bits(0, 88); // general profile
    w.bits(93, 8); // general level
    for (int i = 0; i < subLayers; ++i)
        w.bits(i == 0 ? 0b11 : 0b01, 2); // the first sub-layer has a profile and a level
    if (subLayers > 0)
        w.bits(0, 2 * (8 - subLayers));
    for (int i = 0; i < subLayers; ++i) {
        if (i == 0)
            w.bits(0xFFFFFFFFFFull, 88 - 48), w.bits(0, 48);
        w.bits(90, 8);
    }
    w.ue(0); // sps id
    w.ue(chroma);
    if (chroma == 3)
        w.bits(0, 1);
    w.ue(width);
    w.ue(height);
    w.bits(1, 1); // what follows, cut short
    return w.nal(33);
}

TEST(HevcPictureSize, ReadsTheSizeOfTheParameterSet)
{
    const struct
    {
        quint32 width, height;
        int subLayers;
        quint32 chroma;
    } cases[] = {
        {4032, 3024, 0, 1}, {512, 512, 0, 1},   {1, 1, 0, 0},
        {320, 240, 2, 1},   {4000, 3000, 6, 3}, {65535, 40000, 1, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " sub-layers " << c.subLayers);
        EXPECT_EQ(HevcPictureSize(sps(c.width, c.height, c.subLayers, c.chroma)),
                  QSize(int(c.width), int(c.height)));
    }
}

TEST(HevcPictureSize, NothingForOtherUnitsAndShortOnes)
{
    const QByteArray whole = sps(4032, 3024);
    QByteArray vps = whole;
    vps[0] = char(32 << 1);
    EXPECT_EQ(HevcPictureSize(vps), std::nullopt);
    // Cut inside the profile and inside the width.
    EXPECT_EQ(HevcPictureSize(whole.first(8)), std::nullopt);
    EXPECT_EQ(HevcPictureSize(whole.first(whole.size() - 4)), std::nullopt);
    EXPECT_EQ(HevcPictureSize(QByteArray()), std::nullopt);
    // An Exp-Golomb number of more than 32 bits.
    QByteArray zeros = whole.first(16);
    zeros.append(QByteArray(8, '\0'));
    EXPECT_EQ(HevcPictureSize(zeros), std::nullopt);
}

// A box: size, type, content.
QByteArray box(const char *type, const QByteArray &content)
{
    QByteArray out;
    const quint32 size = quint32(content.size() + 8);
    for (int shift : {24, 16, 8, 0})
        out.append(char(size >> shift));
    return out.append(type, 4).append(content);
}

// An HEVC configuration record holding the parameter sets given.
QByteArray hvcC(const QList<QByteArray> &sets)
{
    QByteArray record(22, '\0');
    record[0] = 1;
    record.append(char(1)); // one array
    record.append(char(33)).append(char(0)).append(char(sets.size()));
    for (const QByteArray &s : sets)
        record.append(char(s.size() >> 8)).append(char(s.size())).append(s);
    return box("hvcC", record);
}

HeifLayout layoutOf(QByteArray file)
{
    QBuffer device(&file);
    device.open(QIODevice::ReadOnly);
    return ReadHeifLayout(device);
}

TEST(HeifLayout, FindsTheMediaDataAndEveryCodedSize)
{
    const QByteArray ftyp = box("ftyp", "heic\0\0\0\0mif1heic");
    const QByteArray properties
        = box("iprp",
              box("ipco", hvcC({sps(512, 512)}) + box("ispe", QByteArray(12, '\0')) + hvcC({sps(320, 240)})));
    const QByteArray meta = box("meta", QByteArray(4, '\0') + box("hdlr", QByteArray(20, '\0')) + properties);
    const QByteArray data = box("mdat", QByteArray(1000, 'x'));
    const HeifLayout layout = layoutOf(ftyp + meta + data + box("free", "") + box("mdat", "yy"));
    EXPECT_FALSE(layout.malformed);
    EXPECT_EQ(layout.codedSizes, QList<QSize>({QSize(512, 512), QSize(320, 240)}));
    const qint64 first = ftyp.size() + meta.size() + 8;
    EXPECT_EQ(layout.mediaData,
              (QList<std::pair<qint64, qint64>> {{first, 1000}, {first + 1000 + 8 + 8, 2}}));
}

TEST(HeifLayout, ABrokenConfigurationIsMalformedAndABrokenTailEndsTheBoxes)
{
    const QByteArray ftyp = box("ftyp", "heic\0\0\0\0mif1heic");
    QByteArray shortSet = sps(512, 512);
    shortSet.chop(4);
    const auto withConfiguration = [&](const QByteArray &configuration) {
        return ftyp + box("meta", QByteArray(4, '\0') + box("iprp", box("ipco", configuration)));
    };
    EXPECT_TRUE(layoutOf(withConfiguration(hvcC({shortSet}))).malformed);
    // A record whose parameter set runs past its end.
    QByteArray cut = hvcC({sps(512, 512)});
    cut.chop(3);
    cut[3] = char(cut.size());
    EXPECT_TRUE(layoutOf(withConfiguration(cut)).malformed);
    // A child box larger than the meta box.
    QByteArray meta = box("meta", QByteArray(4, '\0') + box("iprp", QByteArray(40, '\0')));
    meta[15] = char(0x7f);
    EXPECT_TRUE(layoutOf(ftyp + meta).malformed);

    // A top-level header past the end of the file: the boxes before it stand.
    QByteArray tail = box("mdat", "abc");
    tail[3] = char(0x70);
    const HeifLayout layout = layoutOf(ftyp + box("mdat", "zz") + tail);
    EXPECT_FALSE(layout.malformed);
    EXPECT_EQ(layout.mediaData.size(), 1);
}

} // namespace
