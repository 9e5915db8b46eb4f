#include "platform/linux/LinuxDialUpService.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace {

constexpr int WaitSliceMs = 20;
constexpr int PppDialMs = 60000;
constexpr unsigned InterfaceUp = 0x1; // IFF_UP

QString readFirstLine(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(f.readLine()).trimmed();
}

} // namespace

LinuxDialUpService::LinuxDialUpService(DialUpSystem system)
    : m_system(std::move(system))
{ }

LinuxDialUpService::~LinuxDialUpService()
{
    // A dial still running is the system's business now; only our watcher goes.
    if (m_dialer) {
        m_dialer->disconnect();
        if (m_dialer->state() != QProcess::NotRunning) {
            m_dialer->kill();
            m_dialer->waitForFinished(1000);
        }
    }
}

QStringList LinuxDialUpService::TerseFields(const QString &line)
{
    QStringList fields {QString()};
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == QLatin1Char('\\') && i + 1 < line.size()) {
            fields.last() += line.at(++i);
        } else if (c == QLatin1Char(':')) {
            fields.append(QString());
        } else {
            fields.last() += c;
        }
    }
    return fields;
}

bool LinuxDialUpService::IsDialUpType(const QString &type)
{
    return type == QLatin1String("gsm") || type == QLatin1String("cdma") || type == QLatin1String("pppoe")
        || type == QLatin1String("bluetooth");
}

std::optional<QByteArray> LinuxDialUpService::run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    const QDeadlineTimer deadline(m_system.commandTimeoutMs);
    while (process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        pump();
        process.waitForFinished(WaitSliceMs);
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(1000);
        return std::nullopt;
    }
    if (process.error() == QProcess::FailedToStart || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

LinuxDialUpService::Kind LinuxDialUpService::Backend()
{
    if (!m_kind) {
        const std::optional<QByteArray> state = run(m_system.nmcli,
                                                    {QStringLiteral("-t"), QStringLiteral("-f"),
                                                     QStringLiteral("RUNNING"), QStringLiteral("general")});
        m_kind = state && state->trimmed() == "running" ? Kind::NetworkManager : Kind::Pppd;
    }
    return *m_kind;
}

QList<QStringList> LinuxDialUpService::nmConnections(bool activeOnly)
{
    QStringList arguments {QStringLiteral("-t"), QStringLiteral("-f"), QStringLiteral("NAME,UUID,TYPE"),
                           QStringLiteral("connection"), QStringLiteral("show")};
    if (activeOnly)
        arguments << QStringLiteral("--active");
    const std::optional<QByteArray> out = run(m_system.nmcli, arguments);
    QList<QStringList> connections;
    if (!out)
        return connections;
    for (const QByteArray &raw : out->split('\n')) {
        const QStringList fields = TerseFields(QString::fromUtf8(raw));
        if (fields.size() == 3 && !fields[0].isEmpty() && IsDialUpType(fields[2]))
            connections.append(fields);
    }
    return connections;
}

QStringList LinuxDialUpService::Entries()
{
    QStringList entries;
    if (Backend() == Kind::NetworkManager) {
        for (const QStringList &c : nmConnections(false))
            entries.append(c[0]);
        return entries;
    }
    const QDir peers(m_system.peersFolder);
    for (const QString &name : peers.entryList(QDir::Files | QDir::Readable, QDir::Name)) {
        // Editors' backup copies are not peers.
        if (!name.endsWith(QLatin1Char('~')) && !name.startsWith(QLatin1Char('.')))
            entries.append(name);
    }
    return entries;
}

QString LinuxDialUpService::DefaultEntry()
{
    if (Backend() == Kind::NetworkManager)
        return {};
    const QString provider = QStringLiteral("provider");
    return QFileInfo(QDir(m_system.peersFolder).filePath(provider)).isFile() ? provider : QString();
}

QString LinuxDialUpService::ActiveConnection()
{
    if (Backend() == Kind::NetworkManager) {
        const QList<QStringList> active = nmConnections(true);
        return active.isEmpty() ? QString() : active.first().at(1);
    }
    const QDir net(m_system.netFolder);
    for (const QString &name :
         net.entryList({QStringLiteral("ppp*")}, QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name)) {
        bool ok = false;
        const unsigned flags = readFirstLine(net.filePath(name + QStringLiteral("/flags"))).toUInt(&ok, 16);
        if (ok && (flags & InterfaceUp))
            return name;
    }
    return {};
}

bool LinuxDialUpService::StartDial(const QString &entry)
{
    if (Dialing())
        return false;
    if (Backend() == Kind::NetworkManager) {
        m_dialer = std::make_unique<QProcess>();
        m_dialer->setStandardInputFile(QProcess::nullDevice());
        m_dialer->setStandardOutputFile(QProcess::nullDevice());
        m_dialer->setStandardErrorFile(QProcess::nullDevice());
        m_dialer->start(m_system.nmcli,
                        {QStringLiteral("--wait"), QString::number(m_system.dialTimeoutS),
                         QStringLiteral("connection"), QStringLiteral("up"), QStringLiteral("id"), entry});
        if (!m_dialer->waitForStarted(m_system.commandTimeoutMs)) {
            m_dialer.reset();
            return false;
        }
        return true;
    }
    if (!run(m_system.pon, {entry}))
        return false;
    m_dialedPeer = entry;
    m_pppDeadline.setRemainingTime(PppDialMs);
    return true;
}

bool LinuxDialUpService::Dialing()
{
    if (m_dialer) {
        // Let the process report its end.
        m_dialer->waitForFinished(0);
        return m_dialer->state() != QProcess::NotRunning;
    }
    return !m_pppDeadline.hasExpired() && pppdRunning() && ActiveConnection().isEmpty();
}

bool LinuxDialUpService::pppdRunning() const
{
    const QDir proc(m_system.procFolder);
    for (const QString &pid : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (pid.front().isDigit() && readFirstLine(proc.filePath(pid + QStringLiteral("/comm"))) == "pppd")
            return true;
    }
    return false;
}

void LinuxDialUpService::HangUp(const QString &connection)
{
    if (Backend() == Kind::NetworkManager) {
        run(m_system.nmcli,
            {QStringLiteral("connection"), QStringLiteral("down"), QStringLiteral("uuid"), connection});
        return;
    }
    // poff finds the pppd of a peer by its name; without one it stops the only pppd running.
    run(m_system.poff, m_dialedPeer.isEmpty() ? QStringList() : QStringList {m_dialedPeer});
    m_dialedPeer.clear();
    m_pppDeadline = QDeadlineTimer();
}
