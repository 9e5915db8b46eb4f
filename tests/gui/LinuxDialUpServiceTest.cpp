// The Linux dial-up backend against stand-ins for nmcli, pon and poff and for the system's folders.

#include "platform/linux/LinuxDialUpService.h"
#include "support/Files.h"
#include "support/ManualClock.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

class LinuxDialUpServiceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        system.nmcli = dir.filePath(QStringLiteral("nmcli"));
        system.pon = dir.filePath(QStringLiteral("pon"));
        system.poff = dir.filePath(QStringLiteral("poff"));
        system.peersFolder = dir.filePath(QStringLiteral("peers"));
        system.netFolder = dir.filePath(QStringLiteral("net"));
        system.procFolder = dir.filePath(QStringLiteral("proc"));
        system.commandTimeoutMs = 2000;
        for (const char *folder : {"peers", "net", "proc"})
            QDir(dir.path()).mkdir(QLatin1String(folder));
    }

    // A program that notes its arguments in calls.log and then runs body.
    void program(const QString &name, const QByteArray &body)
    {
        const QString path = dir.filePath(name);
        ASSERT_TRUE(testfiles::write(path,
                                     "#!/bin/sh\necho \"" + name.toUtf8() + " $*\" >> \""
                                         + dir.filePath(QStringLiteral("calls.log")).toUtf8() + "\"\n"
                                         + body));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QStringList calls() const
    {
        return QString::fromUtf8(testfiles::read(dir.filePath(QStringLiteral("calls.log"))))
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    void file(const QString &relative, const QByteArray &content)
    {
        QDir(dir.path()).mkpath(QFileInfo(dir.filePath(relative)).path());
        ASSERT_TRUE(testfiles::write(dir.filePath(relative), content));
    }

    QTemporaryDir dir;
    DialUpSystem system;
};

// nmcli as NetworkManager answers it in terse mode: colons in names escaped.
const QByteArray kNmcli = R"(case "$*" in
"-t -f RUNNING general") echo running ;;
"-t -f NAME,UUID,TYPE connection show") printf '%s\n' \
    'Wired connection 1:1111:802-3-ethernet' \
    'Docomo\: mopera:2222:gsm' \
    'home-wifi:3333:802-11-wireless' \
    'PPPoE flets:4444:pppoe' \
    'phone DUN:5555:bluetooth' \
    'office vpn:6666:vpn' ;;
"-t -f NAME,UUID,TYPE connection show --active") printf '%s\n' 'home-wifi:3333:802-11-wireless' 'PPPoE flets:4444:pppoe' ;;
*) exit 0 ;;
esac
)";

TEST(LinuxDialUpTerse, FieldsAreSplitAtUnescapedColons)
{
    EXPECT_EQ(LinuxDialUpService::TerseFields(QStringLiteral("Docomo\\: mopera:2222:gsm")),
              QStringList({"Docomo: mopera", "2222", "gsm"}));
    EXPECT_EQ(LinuxDialUpService::TerseFields(QStringLiteral("a\\\\:b")), QStringList({"a\\", "b"}));
    EXPECT_EQ(LinuxDialUpService::TerseFields(QString()), QStringList {QString()});
}

TEST_F(LinuxDialUpServiceTest, NetworkManagerListsItsDialUpConnectionsAndDialsWithNmcli)
{
    program(QStringLiteral("nmcli"), kNmcli);
    ManualClock clock;
    LinuxDialUpService service(system);
    int pumps = 0;
    clock.OnPump([&] { ++pumps; });
    service.SetClock(&clock);

    EXPECT_EQ(service.Backend(), LinuxDialUpService::Kind::NetworkManager);
    EXPECT_EQ(service.Entries(), QStringList({"Docomo: mopera", "PPPoE flets", "phone DUN"}));
    EXPECT_EQ(service.DefaultEntry(), QString());
    EXPECT_EQ(service.ActiveConnection(), QStringLiteral("4444"));

    ASSERT_TRUE(service.StartDial(QStringLiteral("Docomo: mopera")));
    for (int i = 0; i < 200 && service.Dialing(); ++i)
        QThread::msleep(10);
    EXPECT_FALSE(service.Dialing());
    service.HangUp(QStringLiteral("4444"));

    EXPECT_EQ(
        calls(),
        QStringList({"nmcli -t -f RUNNING general", "nmcli -t -f NAME,UUID,TYPE connection show",
                     "nmcli -t -f NAME,UUID,TYPE connection show --active",
                     "nmcli --wait 90 connection up id Docomo: mopera", "nmcli connection down uuid 4444"}));
    EXPECT_GT(pumps, 0);
}

TEST_F(LinuxDialUpServiceTest, ANetworkManagerThatDoesNotAnswerIsNoEntriesNotAHang)
{
    program(QStringLiteral("nmcli"), "exec sleep 30\n");
    system.commandTimeoutMs = 300;
    LinuxDialUpService service(system);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(service.Entries(), QStringList());
    EXPECT_EQ(service.ActiveConnection(), QString());
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(service.Backend(), LinuxDialUpService::Kind::Pppd);
}

TEST_F(LinuxDialUpServiceTest, WithoutNetworkManagerPppdPeersAreDialedWithPonAndPoff)
{
    // No nmcli at all.
    program(QStringLiteral("pon"), "exit 0\n");
    program(QStringLiteral("poff"), "exit 0\n");
    file(QStringLiteral("peers/provider"), "user taro\n");
    file(QStringLiteral("peers/mobile"), "user taro\n");
    file(QStringLiteral("peers/mobile~"), "old\n");
    file(QStringLiteral("net/eth0/flags"), "0x1003\n");
    file(QStringLiteral("net/ppp0/flags"), "0x1090\n"); // down
    LinuxDialUpService service(system);

    EXPECT_EQ(service.Backend(), LinuxDialUpService::Kind::Pppd);
    EXPECT_EQ(service.Entries(), QStringList({"mobile", "provider"}));
    EXPECT_EQ(service.DefaultEntry(), QStringLiteral("provider"));
    EXPECT_EQ(service.ActiveConnection(), QString());

    ASSERT_TRUE(service.StartDial(QStringLiteral("mobile")));
    // pon has returned and no pppd runs: the dial is over.
    EXPECT_FALSE(service.Dialing());
    file(QStringLiteral("net/ppp0/flags"), "0x1091\n");
    EXPECT_EQ(service.ActiveConnection(), QStringLiteral("ppp0"));
    service.HangUp(QStringLiteral("ppp0"));
    EXPECT_EQ(calls(), QStringList({"pon mobile", "poff mobile"}));
}

TEST_F(LinuxDialUpServiceTest, PppdWithoutPeersOrProgramsHasNothingToDial)
{
    LinuxDialUpService service(system);
    EXPECT_EQ(service.Entries(), QStringList());
    EXPECT_EQ(service.DefaultEntry(), QString());
    EXPECT_FALSE(service.StartDial(QStringLiteral("provider")));
    EXPECT_FALSE(service.Dialing());
}

} // namespace
