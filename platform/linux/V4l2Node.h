#pragma once

#include "platform/CaptureDevice.h"

#include <QList>
#include <QString>

// A V4L2 device node ("/dev/video0") opened for its picture controls, which Qt Multimedia does not
// expose. The node may be opened beside the stream: V4L2 lets controls change while another file
// handle streams.
class V4l2Node
{
public:
    explicit V4l2Node(const QString &path);
    ~V4l2Node();
    V4l2Node(const V4l2Node &) = delete;
    V4l2Node &operator=(const V4l2Node &) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    // The driver's name and version, "uvcvideo 6.1.76"; empty when the node does not answer.
    QString DriverVersion() const;
    // The integer, boolean and menu controls that are not disabled, with their current values.
    QList<CaptureControl> Controls() const;
    bool SetControl(quint32 id, int value);

private:
    int m_fd = -1;
};

// True when the folder (/dev) has a video device node this user may read: every camera this platform
// can show has one.
bool HasVideoDeviceNodes(const char *folder = "/dev");
