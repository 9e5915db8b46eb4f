#include "platform/linux/LinuxShell.h"

#include "common/Clock.h"

#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QThread>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

namespace {

QString unescape(const QByteArray &field)
{
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const QByteArray digits = field.mid(i + 1, 3);
            bool ok = true;
            for (char c : digits)
                ok = ok && c >= '0' && c <= '7';
            if (ok) {
                out += char(digits.toInt(nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return QFile::decodeName(out);
}

QString cleanFolder(const QString &path)
{
    return path.isEmpty() ? QString() : QDir::cleanPath(path);
}

// What one examination thread reports; shared with the thread, which may outlive the wait.
struct Probe
{
    std::atomic<bool> done {false};
    std::atomic<bool> ready {false};
};

} // namespace

QList<MountEntry> ParseMountInfo(const QByteArray &text)
{
    QList<MountEntry> entries;
    for (const QByteArray &line : text.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        // id parent major:minor root mount-point options [optional...] - type source super-options
        const qsizetype dash = fields.indexOf("-");
        if (fields.size() < 5 || dash < 6 || dash + 2 >= fields.size())
            continue;
        entries.append({unescape(fields[4]), unescape(fields[dash + 1]), unescape(fields[dash + 2])});
    }
    return entries;
}

LinuxShell::LinuxShell()
    : LinuxShell(Options())
{ }

LinuxShell::LinuxShell(Options options)
    : m_options(std::move(options))
{ }

QString LinuxShell::DocumentsFolder() const
{
    return cleanFolder(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

QString LinuxShell::DesktopFolder() const
{
    return cleanFolder(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
}

bool LinuxShell::OpenInFileManager(const QString &folder)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

bool LinuxShell::IsUserMountPoint(const QString &path)
{
    for (const QLatin1String root :
         {QLatin1String("/media"), QLatin1String("/run/media"), QLatin1String("/mnt")}) {
        if (path.startsWith(root) && path.size() > root.size() && path[root.size()] == QLatin1Char('/'))
            return true;
    }
    return false;
}

bool LinuxShell::IsRemovableDevice(const QString &source)
{
    if (!source.startsWith(QLatin1String("/dev/")))
        return false;
    const QString name = QFileInfo(QFileInfo(source).canonicalFilePath()).fileName();
    if (name.isEmpty())
        return false;
    // Built-in card readers often do not call their cards removable.
    if (name.startsWith(QLatin1String("mmcblk")))
        return true;
    // A partition's flag is its disk's: /sys/class/block/sdb1 lies inside .../block/sdb.
    const QString device = QFileInfo(QStringLiteral("/sys/class/block/") + name).canonicalFilePath();
    if (device.isEmpty())
        return false;
    for (const QString &folder : {device, QFileInfo(device).path()}) {
        QFile flag(folder + QStringLiteral("/removable"));
        if (flag.open(QIODevice::ReadOnly))
            return flag.read(1) == "1";
    }
    return false;
}

QList<MountedVolume> LinuxShell::MountedVolumes(Clock &clock)
{
    QFile table(m_options.mountInfo);
    if (!table.open(QIODevice::ReadOnly))
        return {};
    // The kernel makes the table as it is read; it is small and never blocks.
    const QByteArray text = table.readAll();

    const auto removable = m_options.removableSource ? m_options.removableSource : IsRemovableDevice;
    QList<MountedVolume> volumes;
    for (const MountEntry &e : ParseMountInfo(text)) {
        if (!IsUserMountPoint(e.mountPoint) && !removable(e.source))
            continue;
        if (std::any_of(volumes.cbegin(), volumes.cend(),
                        [&](const MountedVolume &v) { return v.path == e.mountPoint; }))
            continue;
        volumes.append({e.mountPoint, false, true});
    }
    std::sort(volumes.begin(), volumes.end(),
              [](const MountedVolume &a, const MountedVolume &b) { return a.path < b.path; });

    const auto probe = m_options.probe ? m_options.probe : [](const QString &path) {
        const QStorageInfo info(path);
        return info.isValid() && info.isReady();
    };
    std::vector<std::shared_ptr<Probe>> probes;
    for (const MountedVolume &v : std::as_const(volumes)) {
        auto state = std::make_shared<Probe>();
        probes.push_back(state);
        // Detached: a thread stuck in the kernel on a dead mount must not hold up the program.
        std::thread([state, probe, path = v.path] {
            state->ready = probe(path);
            state->done = true;
        }).detach();
    }
    // Real time: the probes are real threads, whatever clock the windows run on.
    QElapsedTimer waited;
    waited.start();
    const auto allDone = [&] {
        return std::all_of(probes.cbegin(), probes.cend(), [](const auto &p) { return p->done.load(); });
    };
    while (!allDone() && waited.elapsed() < m_options.timeoutMs) {
        clock.Pump();
        QThread::msleep(10);
    }
    for (size_t i = 0; i < probes.size(); ++i)
        volumes[qsizetype(i)].ready = probes[i]->done && probes[i]->ready;
    return volumes;
}
