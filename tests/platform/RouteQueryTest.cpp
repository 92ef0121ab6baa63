#include "platform/kernel/RouteQuery.h"

#include "TestSupport.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace gaugelet;

namespace {
const char* header = "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";
}

TEST(RouteQuery, LowestMetricDefaultRouteWins)
{
    const std::string text = std::string(header)
        + "eth0\t0002000A\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0\n" // not a default route
        + "wlan0\t00000000\t0102000A\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
        + "eth0\t00000000\t0100000A\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
        + "tun0\t00000000\t00000000\t0000\t0\t0\t1\t00000000\t0\t0\t0\n"; // not up
    EXPECT_EQ(RouteQuery::parseProcRoute(text), std::optional<QString>("eth0"));
}

TEST(RouteQuery, NoDefaultRouteIsNothing)
{
    EXPECT_FALSE(RouteQuery::parseProcRoute(header));
    EXPECT_FALSE(RouteQuery::parseProcRoute(""));
    EXPECT_FALSE(RouteQuery::parseProcRoute(std::string(header) + "eth0 garbage\n"));
    QTemporaryDir dir;
    EXPECT_FALSE(RouteQuery::procRoutePrimaryInterface(SysRoot(dir.path())));
}

TEST(RouteQuery, ReadsProcNetRouteUnderTheRoot)
{
    QTemporaryDir dir;
    test::writeFile(dir.filePath("proc/net/route"),
                    QByteArray(header) + "enp3s0\t00000000\t0100A8C0\t0003\t0\t0\t20\t00000000\t0\t0\t0\n");
    EXPECT_EQ(RouteQuery::procRoutePrimaryInterface(SysRoot(dir.path())), std::optional<QString>("enp3s0"));
}

TEST(RouteQuery, RealMachinePrimaryEqualsTheRouteToTheInternet)
{
    const QString ip = QStandardPaths::findExecutable(QStringLiteral("ip"));
    if (ip.isEmpty())
        GTEST_SKIP() << "the ip tool is not installed";
    QProcess p;
    p.start(ip, {QStringLiteral("-o"), QStringLiteral("route"), QStringLiteral("get"),
                 QString::fromLatin1(RouteQuery::probeDestination)});
    ASSERT_TRUE(p.waitForFinished(5000));
    const QStringList words = QString::fromUtf8(p.readAllStandardOutput()).simplified().split(u' ');
    const qsizetype dev = words.indexOf(QStringLiteral("dev"));
    const auto primary = RouteQuery::primaryInterface(SysRoot::system());
    if (p.exitCode() != 0 || dev < 0 || dev + 1 >= words.size()) {
        EXPECT_FALSE(RouteQuery::netlinkPrimaryInterface());
        return;
    }
    ASSERT_TRUE(primary);
    EXPECT_EQ(*primary, words[dev + 1]);

    // And the netlink answer agrees with the default route of "ip route".
    QProcess route;
    route.start(ip, {QStringLiteral("route"), QStringLiteral("show"), QStringLiteral("default")});
    ASSERT_TRUE(route.waitForFinished(5000));
    const QString text = QString::fromUtf8(route.readAllStandardOutput());
    if (!text.contains(QStringLiteral("dev ")))
        return;
    EXPECT_TRUE(text.contains(QStringLiteral("dev ") + *primary));
}
