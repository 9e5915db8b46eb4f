#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// JPEG files with a hand-made Exif segment that embeds a thumbnail, for the thumbnail tests and the
// fuzzer's seeds.
namespace testexif {

struct Layout
{
    bool bigEndian = false;
    QByteArray thumbnail; // placed inside the segment, as the second directory says
    bool jfifFirst = false; // keep the main picture's JFIF segment in front of the Exif one
    std::optional<quint32> link; // the first directory's link to the second one
    std::optional<quint16> length; // the segment length
    quint16 orientation = 1; // the Orientation tag of the first directory

    Layout &inBigEndian()
    {
        bigEndian = true;
        return *this;
    }
    Layout &withThumbnail(const QByteArray &t)
    {
        thumbnail = t;
        return *this;
    }
    Layout &afterJfif()
    {
        jfifFirst = true;
        return *this;
    }
    Layout &withLink(quint32 l)
    {
        link = l;
        return *this;
    }
    Layout &withLength(quint16 l)
    {
        length = l;
        return *this;
    }
    Layout &withOrientation(quint16 o)
    {
        orientation = o;
        return *this;
    }
};

inline void put(QByteArray &b, quint32 v, int bytes, bool bigEndian)
{
    for (int i = 0; i < bytes; ++i) {
        const int shift = bigEndian ? 8 * (bytes - 1 - i) : 8 * i;
        b.append(char((v >> shift) & 0xFF));
    }
}

// One directory entry: tag, type, count and a value that fits in four bytes.
inline void entry(QByteArray &b, quint16 tag, quint16 type, quint32 count, quint32 value, bool bigEndian)
{
    put(b, tag, 2, bigEndian);
    put(b, type, 2, bigEndian);
    put(b, count, 4, bigEndian);
    if (type == 3) { // SHORT: left-justified in the value field
        put(b, value, 2, bigEndian);
        put(b, 0, 2, bigEndian);
    } else {
        put(b, value, 4, bigEndian);
    }
}

// The TIFF part: header, a first directory of two entries, a second directory that points at the
// thumbnail, then the thumbnail.
inline QByteArray tiff(const Layout &s)
{
    const bool be = s.bigEndian;
    QByteArray t(be ? "MM" : "II");
    put(t, 42, 2, be);
    put(t, 8, 4, be);
    const quint32 second = 8 + 2 + 2 * 12 + 4;
    put(t, 2, 2, be);
    entry(t, 0x0112, 3, 1, s.orientation, be); // Orientation
    entry(t, 0x0131, 2, 4, be ? 0x54617600 : 0x00766154, be); // Software "Tav"
    put(t, s.link.value_or(second), 4, be);
    const quint32 thumbAt = second + 2 + 2 * 12 + 4;
    put(t, 2, 2, be);
    entry(t, 0x0201, 4, 1, thumbAt, be); // JPEGInterchangeFormat
    entry(t, 0x0202, 4, 1, quint32(s.thumbnail.size()), be); // JPEGInterchangeFormatLength
    put(t, 0, 4, be);
    t += s.thumbnail;
    return t;
}

// The main picture (a JPEG that starts with a JFIF segment) with an Exif segment put in front of,
// or after, its JFIF segment.
inline QByteArray build(const QByteArray &mainJpeg, const Layout &s)
{
    const QByteArray body = QByteArray("Exif\0\0", 6) + tiff(s);
    QByteArray app1("\xFF\xE1", 2);
    put(app1, s.length.value_or(quint16(body.size() + 2)), 2, true);
    app1 += body;
    const QByteArray soi = mainJpeg.left(2);
    const QByteArray jfif = mainJpeg.mid(2, 18);
    const QByteArray rest = mainJpeg.mid(20);
    return s.jfifFirst ? soi + jfif + app1 + rest : soi + app1 + rest;
}

} // namespace testexif
