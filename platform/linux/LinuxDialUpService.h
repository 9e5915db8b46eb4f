#pragma once

#include "platform/DialUpService.h"

#include <QDeadlineTimer>

#include <memory>
#include <optional>

class QProcess;

// Where the dial-up backend finds the system's programs and files; tests point them elsewhere.
struct DialUpSystem
{
    QString nmcli = QStringLiteral("nmcli");
    QString pon = QStringLiteral("pon");
    QString poff = QStringLiteral("poff");
    QString peersFolder = QStringLiteral("/etc/ppp/peers");
    QString netFolder = QStringLiteral("/sys/class/net");
    QString procFolder = QStringLiteral("/proc");
    int commandTimeoutMs = 5000; // a query that takes longer counts as no answer
    int dialTimeoutS = 90; // the longest a dial may take, the user's password entry included
};

// Dial-up on Linux. With NetworkManager running, its connections of the dial-up kinds (mobile
// broadband gsm and cdma, pppoe, bluetooth) through nmcli: "nmcli connection up" dials and the
// desktop's secret agent asks for passwords; "nmcli connection down" hangs up. Without it, pppd's
// peers (/etc/ppp/peers, the default one named "provider") through pon and poff, connected while a
// ppp interface is up. Every command runs in its own process, bounded in time, and waits pump
// events; a command that is missing or does not answer reads as no entries and no connection.
class LinuxDialUpService : public DialUpService
{
public:
    enum class Kind { NetworkManager, Pppd };

    explicit LinuxDialUpService(DialUpSystem system = {});
    ~LinuxDialUpService() override;

    // Which of the two is used, asked once.
    Kind Backend();

    QStringList Entries() override;
    QString DefaultEntry() override;
    QString ActiveConnection() override;
    bool StartDial(const QString &entry) override;
    bool Dialing() override;
    void HangUp(const QString &connection) override;

    // nmcli's terse output: the fields of one line, split at unescaped colons, unescaped.
    static QStringList TerseFields(const QString &line);
    static bool IsDialUpType(const QString &type);

private:
    // Runs a program to its end within the time limit; nothing when it fails, is missing or
    // does not end in time.
    std::optional<QByteArray> run(const QString &program, const QStringList &arguments);
    // name, uuid, type of the connections nmcli lists (active ones only when asked).
    QList<QStringList> nmConnections(bool activeOnly);
    bool pppdRunning() const;

    DialUpSystem m_system;
    std::optional<Kind> m_kind;
    std::unique_ptr<QProcess> m_dialer; // nmcli connection up
    QDeadlineTimer m_pppDeadline; // pon returns at once; pppd dials on its own
    QString m_dialedPeer;
};
