#include "picture/HeifBoxes.h"

#include "picture/ByteOrder.h"

#include <QByteArray>
#include <QIODevice>

#include <climits>
#include <cstring>
#include <functional>

namespace {

// Configuration boxes are small; more is no configuration.
constexpr qint64 kMaxConfigurationBytes = 64 * 1024;
constexpr int kMaxBoxes = 4096;

// Calls visit(type, content start, content end) for each box in [from, to); false when a header
// does not fit its parent.
bool forEachBox(QIODevice &file, qint64 from, qint64 to, int &budget,
                const std::function<bool(const char *, qint64, qint64)> &visit)
{
    qint64 at = from;
    while (at + 8 <= to) {
        if (--budget < 0 || !file.seek(at))
            return false;
        char head[16];
        if (file.read(head, 8) != 8)
            return false;
        qint64 header = 8;
        quint64 size = ReadOrdered(QByteArrayView(head, 8), 0, 4, true);
        if (size == 1) {
            if (file.read(head + 8, 8) != 8)
                return false;
            size = ReadOrdered(QByteArrayView(head, 16), 8, 8, true);
            header = 16;
        } else if (size == 0) {
            size = quint64(to - at);
        }
        if (size < quint64(header) || size > quint64(to - at))
            return false;
        char type[5] = {};
        std::memcpy(type, head + 4, 4);
        if (!visit(type, at + header, at + qint64(size)))
            return false;
        at += qint64(size);
    }
    return true;
}

// Reads bits of a NAL unit's payload, emulation prevention bytes taken out.
class BitReader
{
public:
    explicit BitReader(QByteArrayView payload)
    {
        int zeros = 0;
        for (const char c : payload) {
            const auto b = uchar(c);
            if (zeros >= 2 && b == 3) {
                zeros = 0;
                continue;
            }
            zeros = b == 0 ? zeros + 1 : 0;
            m_bytes.append(char(b));
        }
    }

    bool ok() const { return m_ok; }

    quint32 bits(int n)
    {
        quint32 v = 0;
        for (int i = 0; i < n; ++i) {
            if (m_at >= qint64(m_bytes.size()) * 8) {
                m_ok = false;
                return 0;
            }
            const int bit = (uchar(m_bytes[qsizetype(m_at / 8)]) >> (7 - m_at % 8)) & 1;
            v = (v << 1) | quint32(bit);
            ++m_at;
        }
        return v;
    }

    // Exp-Golomb, as far as 32 bits.
    quint32 ue()
    {
        int zeros = 0;
        while (bits(1) == 0) {
            if (!m_ok || ++zeros > 31) {
                m_ok = false;
                return 0;
            }
        }
        return zeros == 0 ? 0 : (1u << zeros) - 1 + bits(zeros);
    }

private:
    QByteArray m_bytes;
    qint64 m_at = 0;
    bool m_ok = true;
};

constexpr int kSpsNalType = 33;

// The parameter sets of an HEVC decoder configuration record.
bool readConfiguration(const QByteArray &record, HeifLayout &layout)
{
    const auto *p = reinterpret_cast<const uchar *>(record.constData());
    const qsizetype size = record.size();
    const auto number = [&record](qsizetype at) {
        return qsizetype(ReadOrdered(record, at, 2, true));
    };
    if (size < 23)
        return false;
    qsizetype at = 22;
    const int arrays = p[at++];
    for (int a = 0; a < arrays; ++a) {
        if (at + 3 > size)
            return false;
        const int type = p[at] & 0x3f;
        const int count = int(number(at + 1));
        at += 3;
        for (int n = 0; n < count; ++n) {
            if (at + 2 > size)
                return false;
            const qsizetype length = number(at);
            at += 2;
            if (at + length > size)
                return false;
            if (type == kSpsNalType) {
                const std::optional<QSize> coded = HevcPictureSize(QByteArrayView(record).sliced(at, length));
                if (!coded)
                    return false;
                layout.codedSizes.append(*coded);
            }
            at += length;
        }
    }
    return true;
}

} // namespace

std::optional<QSize> HevcPictureSize(QByteArrayView nal)
{
    if (nal.size() < 3 || ((uchar(nal[0]) >> 1) & 0x3f) != kSpsNalType)
        return std::nullopt;
    BitReader r(nal.sliced(2));
    r.bits(4); // sps_video_parameter_set_id
    const int subLayers = int(r.bits(3)); // sps_max_sub_layers_minus1
    r.bits(1); // sps_temporal_id_nesting_flag
    // profile_tier_level: the general profile (88 bits) and level (8 bits), then the sub-layers'.
    r.bits(32);
    r.bits(32);
    r.bits(24);
    r.bits(8);
    bool profilePresent[8] = {};
    bool levelPresent[8] = {};
    for (int i = 0; i < subLayers; ++i) {
        profilePresent[i] = r.bits(1) != 0;
        levelPresent[i] = r.bits(1) != 0;
    }
    if (subLayers > 0) {
        for (int i = subLayers; i < 8; ++i)
            r.bits(2);
    }
    for (int i = 0; i < subLayers; ++i) {
        if (profilePresent[i]) {
            r.bits(32);
            r.bits(32);
            r.bits(24);
        }
        if (levelPresent[i])
            r.bits(8);
    }
    r.ue(); // sps_seq_parameter_set_id
    if (r.ue() == 3) // chroma_format_idc
        r.bits(1); // separate_colour_plane_flag
    const quint32 width = r.ue();
    const quint32 height = r.ue();
    if (!r.ok() || width > quint32(INT_MAX) || height > quint32(INT_MAX))
        return std::nullopt;
    return QSize(int(width), int(height));
}

HeifLayout ReadHeifLayout(QIODevice &file)
{
    HeifLayout layout;
    int budget = kMaxBoxes;
    const auto configuration = [&](const char *type, qint64 start, qint64 end) {
        if (std::strcmp(type, "hvcC") != 0)
            return true;
        if (end - start > kMaxConfigurationBytes || !file.seek(start)) {
            layout.malformed = true;
            return true;
        }
        const QByteArray record = file.read(end - start);
        if (record.size() != end - start || !readConfiguration(record, layout))
            layout.malformed = true;
        return true;
    };
    const auto properties = [&](const char *type, qint64 start, qint64 end) {
        return std::strcmp(type, "ipco") != 0 || forEachBox(file, start, end, budget, configuration);
    };
    const auto meta = [&](const char *type, qint64 start, qint64 end) {
        return std::strcmp(type, "iprp") != 0 || forEachBox(file, start, end, budget, properties);
    };
    // What follows a broken top-level header is libheif's to refuse; the boxes before it stand.
    forEachBox(file, 0, file.size(), budget, [&](const char *type, qint64 start, qint64 end) {
        if (std::strcmp(type, "mdat") == 0)
            layout.mediaData.append({start, end - start});
        // A full box: version and flags first.
        else if (std::strcmp(type, "meta") == 0 && !forEachBox(file, start + 4, end, budget, meta))
            layout.malformed = true;
        return true;
    });
    return layout;
}
