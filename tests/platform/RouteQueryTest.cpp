#include "platform/kernel/RouteQuery.h"

#include "TestSupport.h"

#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <optional>

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

namespace {

// A netlink message of `type` whose payload is `body`, padded to alignment;
// `length` overrides the header's length field.
QByteArray netlinkMessage(quint16 type, const QByteArray& body, std::optional<quint32> length = std::nullopt)
{
    QByteArray out(NLMSG_HDRLEN, '\0');
    auto* h = reinterpret_cast<nlmsghdr*>(out.data());
    h->nlmsg_len = length.value_or(quint32(NLMSG_LENGTH(body.size())));
    h->nlmsg_type = type;
    out += body;
    out.append(QByteArray(int(NLMSG_ALIGN(out.size()) - out.size()), '\0'));
    return out;
}

QByteArray routeAttribute(quint16 type, const QByteArray& data, std::optional<quint16> length = std::nullopt)
{
    rtattr a{};
    a.rta_len = length.value_or(quint16(RTA_LENGTH(data.size())));
    a.rta_type = type;
    QByteArray out(reinterpret_cast<const char*>(&a), sizeof a);
    out += data;
    out.append(QByteArray(int(RTA_ALIGN(out.size()) - out.size()), '\0'));
    return out;
}

QByteArray integer(int value)
{
    return QByteArray(reinterpret_cast<const char*>(&value), sizeof value);
}

QByteArray route(const QByteArray& attributes)
{
    return netlinkMessage(RTM_NEWROUTE, QByteArray(int(NLMSG_ALIGN(sizeof(rtmsg))), '\0') + attributes);
}

} // namespace

TEST(RouteQuery, TheOutputInterfaceOfANetlinkAnswerIsReadWithinItsLengths)
{
    const QByteArray table = routeAttribute(RTA_TABLE, integer(254));
    const QByteArray oif = routeAttribute(RTA_OIF, integer(3));
    const QByteArray error = netlinkMessage(NLMSG_ERROR, integer(-ENETUNREACH) + QByteArray(16, '\0'));
    const QByteArray good = route(table + oif);
    const struct {
        const char* name;
        QByteArray answer;
        std::optional<int> index;
    } cases[] = {
        {"a route", good, 3},
        {"after an error message", error + good, 3},
        {"no route", error, std::nullopt},
        {"empty", QByteArray(), std::nullopt},
        {"truncated message", good.left(good.size() - 4), std::nullopt},
        {"message longer than the answer", netlinkMessage(RTM_NEWROUTE, QByteArray(12, '\0'), 4096), std::nullopt},
        {"zero-length message", netlinkMessage(RTM_NEWROUTE, {}, 0) + good, std::nullopt},
        {"attribute longer than its message", route(table + routeAttribute(RTA_OIF, integer(3), 200)), std::nullopt},
        {"interface attribute without its number", route(routeAttribute(RTA_OIF, {}) + table), std::nullopt},
        {"interface zero, then a real one", route(routeAttribute(RTA_OIF, integer(0)) + oif), 3},
        {"header shorter than a route", netlinkMessage(RTM_NEWROUTE, oif), std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RouteQuery::outputInterfaceIndex(std::string_view(c.answer.constData(), size_t(c.answer.size()))), c.index)
            << c.name;
}
