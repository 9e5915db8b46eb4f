#include "platform/linux/V4l2Node.h"

#include <QFile>
#include <QHash>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int xioctl(int fd, unsigned long request, void *arg)
{
    int r;
    do {
        r = ioctl(fd, request, arg);
    } while (r == -1 && errno == EINTR);
    return r;
}

// The interface is Japanese; the driver's own (English) name is kept for controls not listed here.
QString controlName(quint32 id, const char *driverName)
{
    static const QHash<quint32, QString> names {
        {V4L2_CID_BRIGHTNESS, QStringLiteral("明るさ")},
        {V4L2_CID_CONTRAST, QStringLiteral("コントラスト")},
        {V4L2_CID_SATURATION, QStringLiteral("彩度")},
        {V4L2_CID_HUE, QStringLiteral("色相")},
        {V4L2_CID_AUTO_WHITE_BALANCE, QStringLiteral("ホワイトバランス自動")},
        {V4L2_CID_WHITE_BALANCE_TEMPERATURE, QStringLiteral("色温度")},
        {V4L2_CID_GAMMA, QStringLiteral("ガンマ")},
        {V4L2_CID_GAIN, QStringLiteral("ゲイン")},
        {V4L2_CID_POWER_LINE_FREQUENCY, QStringLiteral("電源周波数")},
        {V4L2_CID_SHARPNESS, QStringLiteral("シャープネス")},
        {V4L2_CID_BACKLIGHT_COMPENSATION, QStringLiteral("逆光補正")},
        {V4L2_CID_HFLIP, QStringLiteral("左右反転")},
        {V4L2_CID_VFLIP, QStringLiteral("上下反転")},
        {V4L2_CID_EXPOSURE_AUTO, QStringLiteral("露出")},
        {V4L2_CID_EXPOSURE_ABSOLUTE, QStringLiteral("露出時間")},
        {V4L2_CID_EXPOSURE_AUTO_PRIORITY, QStringLiteral("フレームレートより露出を優先")},
        {V4L2_CID_FOCUS_AUTO, QStringLiteral("オートフォーカス")},
        {V4L2_CID_FOCUS_ABSOLUTE, QStringLiteral("フォーカス")},
        {V4L2_CID_ZOOM_ABSOLUTE, QStringLiteral("ズーム")},
        {V4L2_CID_PAN_ABSOLUTE, QStringLiteral("パン")},
        {V4L2_CID_TILT_ABSOLUTE, QStringLiteral("チルト")},
    };
    return names.value(id, QString::fromUtf8(driverName));
}

QString menuItemName(quint32 id, int value, const char *driverName)
{
    if (id == V4L2_CID_POWER_LINE_FREQUENCY) {
        static const QString items[] = {QStringLiteral("無効"), QStringLiteral("50 Hz"),
                                        QStringLiteral("60 Hz"), QStringLiteral("自動")};
        if (value >= 0 && value < 4)
            return items[value];
    }
    if (id == V4L2_CID_EXPOSURE_AUTO) {
        static const QString items[] = {QStringLiteral("自動"), QStringLiteral("手動"),
                                        QStringLiteral("シャッター優先"), QStringLiteral("絞り優先")};
        if (value >= 0 && value < 4)
            return items[value];
    }
    return QString::fromUtf8(driverName);
}

} // namespace

V4l2Node::V4l2Node(const QString &path)
{
    if (path.startsWith(QLatin1String("/dev/")))
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
}

V4l2Node::~V4l2Node()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString V4l2Node::DriverVersion() const
{
    v4l2_capability cap {};
    if (m_fd < 0 || xioctl(m_fd, VIDIOC_QUERYCAP, &cap) != 0)
        return QString();
    const quint32 v = cap.version;
    return QStringLiteral("%1 %2.%3.%4")
        .arg(QString::fromUtf8(reinterpret_cast<const char *>(cap.driver)))
        .arg(v >> 16)
        .arg((v >> 8) & 0xff)
        .arg(v & 0xff);
}

QList<CaptureControl> V4l2Node::Controls() const
{
    QList<CaptureControl> out;
    if (m_fd < 0)
        return out;
    v4l2_queryctrl q {};
    q.id = V4L2_CTRL_FLAG_NEXT_CTRL;
    while (xioctl(m_fd, VIDIOC_QUERYCTRL, &q) == 0) {
        const quint32 next = q.id | V4L2_CTRL_FLAG_NEXT_CTRL;
        const bool usable = !(q.flags & V4L2_CTRL_FLAG_DISABLED)
            && (q.type == V4L2_CTRL_TYPE_INTEGER || q.type == V4L2_CTRL_TYPE_BOOLEAN
                || q.type == V4L2_CTRL_TYPE_MENU || q.type == V4L2_CTRL_TYPE_INTEGER_MENU);
        if (usable) {
            CaptureControl c;
            c.id = q.id;
            c.name = controlName(q.id, reinterpret_cast<const char *>(q.name));
            c.kind = q.type == V4L2_CTRL_TYPE_BOOLEAN ? CaptureControl::Kind::Boolean
                : q.type == V4L2_CTRL_TYPE_INTEGER    ? CaptureControl::Kind::Integer
                                                      : CaptureControl::Kind::Menu;
            c.minimum = q.minimum;
            c.maximum = q.maximum;
            c.step = std::max(1, int(q.step));
            c.defaultValue = q.default_value;
            c.enabled
                = !(q.flags & (V4L2_CTRL_FLAG_INACTIVE | V4L2_CTRL_FLAG_READ_ONLY | V4L2_CTRL_FLAG_GRABBED));
            v4l2_control value {};
            value.id = q.id;
            c.value = xioctl(m_fd, VIDIOC_G_CTRL, &value) == 0 ? value.value : q.default_value;
            if (c.kind == CaptureControl::Kind::Menu) {
                for (int i = q.minimum; i <= q.maximum; ++i) {
                    v4l2_querymenu m {};
                    m.id = q.id;
                    m.index = quint32(i);
                    if (xioctl(m_fd, VIDIOC_QUERYMENU, &m) != 0)
                        continue; // menus may have holes
                    const QString name = q.type == V4L2_CTRL_TYPE_MENU
                        ? menuItemName(q.id, i, reinterpret_cast<const char *>(m.name))
                        : QString::number(m.value);
                    c.menu.append({i, name});
                }
            }
            out << c;
        }
        q = v4l2_queryctrl {};
        q.id = next;
    }
    return out;
}

bool V4l2Node::SetControl(quint32 id, int value)
{
    if (m_fd < 0)
        return false;
    v4l2_control c {};
    c.id = id;
    c.value = value;
    return xioctl(m_fd, VIDIOC_S_CTRL, &c) == 0;
}

bool HasVideoDeviceNodes(const char *folder)
{
    // Asked at start: a prefix test per entry of /dev and a look only at the video nodes, in place of
    // a pattern match and a status of every entry.
    DIR *dev = ::opendir(folder);
    if (!dev)
        return false;
    bool found = false;
    while (const dirent *entry = ::readdir(dev)) {
        if (std::strncmp(entry->d_name, "video", 5) != 0)
            continue;
        const std::string path = std::string(folder) + '/' + entry->d_name;
        struct stat node
        {
        };
        if (::stat(path.c_str(), &node) == 0 && (S_ISCHR(node.st_mode) || S_ISREG(node.st_mode))
            && ::access(path.c_str(), R_OK) == 0) {
            found = true;
            break;
        }
    }
    ::closedir(dev);
    return found;
}
