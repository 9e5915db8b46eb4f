#pragma once

#include <QByteArrayView>
#include <QList>
#include <QSize>

#include <optional>
#include <utility>

class QIODevice;

// What the HEIF reader learns of a file from its boxes before libheif reads it. QtCore only.
struct HeifLayout
{
    // Offset and size of the content of each top-level media data box.
    QList<std::pair<qint64, qint64>> mediaData;
    // The picture size of every HEVC sequence parameter set among the items' properties: the
    // decoder allocates by these, whatever size the container states.
    QList<QSize> codedSizes;
    // A parameter set or configuration box that could not be read.
    bool malformed = false;
};

// Reads the box headers and the HEVC configuration boxes; leaves the device's position anywhere.
HeifLayout ReadHeifLayout(QIODevice &file);

// pic_width and pic_height of an HEVC sequence parameter set (NAL unit with its two-byte header);
// nothing when it is no parameter set or ends too early.
std::optional<QSize> HevcPictureSize(QByteArrayView nal);
