#include "stats/NetworkSampler.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <net/if.h>
#include <netinet/in.h>

using namespace gaugelet;

namespace {

constexpr unsigned upRunning = IFF_UP | IFF_RUNNING;

// A fake machine: interface entries (as getifaddrs would list them), sysfs
// counters under a temporary root, a primary-interface answer and a clock.
class FakeNet {
public:
    FakeNet() : root(dir.path()) {}

    void iface(const QString& name, const char* ipv4, unsigned flags = upRunning, const char* ipv6 = nullptr)
    {
        InterfaceEntry e;
        e.name = name;
        e.flags = flags;
        e.hasAddress = true;
        e.address.ss_family = AF_PACKET;
        entries.push_back(e);
        if (ipv4) {
            e.address = {};
            auto* sin = reinterpret_cast<sockaddr_in*>(&e.address);
            sin->sin_family = AF_INET;
            inet_pton(AF_INET, ipv4, &sin->sin_addr);
            entries.push_back(e);
        }
        if (ipv6) {
            e.address = {};
            auto* sin6 = reinterpret_cast<sockaddr_in6*>(&e.address);
            sin6->sin6_family = AF_INET6;
            sin6->sin6_scope_id = 3;
            inet_pton(AF_INET6, ipv6, &sin6->sin6_addr);
            entries.push_back(e);
        }
        counters(name, 0, 0);
    }
    void counters(const QString& name, uint64_t tx, uint64_t rx)
    {
        const QString base = dir.filePath(QStringLiteral("sys/class/net/%1/statistics/").arg(name));
        test::writeFile(base + "tx_bytes", QByteArray::number(tx) + "\n");
        test::writeFile(base + "rx_bytes", QByteArray::number(rx) + "\n");
    }
    void sysfs(const QString& name, const char* relative, const QByteArray& contents = "")
    {
        test::writeFile(dir.filePath(QStringLiteral("sys/class/net/%1/%2").arg(name, QLatin1String(relative))),
                        contents);
    }

    NetworkSampler::Sources sources(bool publicAddress = false)
    {
        NetworkSampler::Sources s;
        s.root = root;
        s.lister = [this] { return std::optional<std::vector<InterfaceEntry>>(entries); };
        s.primary = [this] { return primary; };
        s.clock = [this] { return now; };
        s.fetchPublicAddress = publicAddress;
        return s;
    }

    QTemporaryDir dir;
    SysRoot root;
    std::vector<InterfaceEntry> entries;
    std::optional<QString> primary;
    double now = 100.0;
};

// Drives a State directly with a recorded fetch request.
struct StateHarness {
    explicit StateHarness(FakeNet& net) : sources(net.sources()), state(sources, [this](const QString& n) {
        fetchRequests.append(n);
    })
    {
    }
    NetworkSampler::Sources sources;
    QStringList fetchRequests;
    NetworkSampler::State state;
};

} // namespace

TEST(NetworkSampler, FirstCallReportsZeroThenRatesOfThePrimaryInterface)
{
    FakeNet net;
    net.iface("eth0", "192.0.2.10");
    net.primary = "eth0";
    net.counters("eth0", 1000, 5000);
    StateHarness h(net);
    NetworkSample s = h.state.sample();
    EXPECT_EQ(s.upBytesPerSec, 0);
    EXPECT_EQ(s.downBytesPerSec, 0);
    EXPECT_TRUE(s.isFirstReading);
    EXPECT_EQ(s.interfaceName, "eth0");
    EXPECT_EQ(s.localIPv4, std::optional<QString>("192.0.2.10"));
    EXPECT_FALSE(s.localIPv6);

    net.now += 2.0;
    net.counters("eth0", 3000, 9000);
    s = h.state.sample();
    EXPECT_DOUBLE_EQ(s.upBytesPerSec, (0 + 1000) / 2.0);   // mean of 0 and 1000 B/s
    EXPECT_FALSE(s.isFirstReading);
    EXPECT_DOUBLE_EQ(s.downBytesPerSec, (0 + 2000) / 2.0);
}

TEST(NetworkSampler, ThirdCallIsTheMeanOfThreeSamplesIncludingTheFirstZero)
{
    FakeNet net;
    net.iface("eth0", "192.0.2.10");
    net.primary = "eth0";
    StateHarness h(net);
    (void)h.state.sample();
    net.now += 1;
    net.counters("eth0", 300, 0);
    (void)h.state.sample();
    net.now += 1;
    net.counters("eth0", 900, 0);
    EXPECT_DOUBLE_EQ(h.state.sample().upBytesPerSec, (0 + 300 + 600) / 3.0);
}

TEST(NetworkSampler, SixtyFourBitCountersDoNotWrapAtFourGigabytes)
{
    // At 1 Gbit/s a 32-bit counter wraps every 34 s; the 64-bit sysfs
    // counters carry on past 2^32.
    FakeNet net;
    net.iface("eth0", "192.0.2.10");
    net.primary = "eth0";
    net.counters("eth0", 4294967000ull, 4294967000ull);
    StateHarness h(net);
    (void)h.state.sample();
    net.now += 1;
    net.counters("eth0", 4294967000ull + 125000000ull, 4294967000ull + 1000ull);
    const NetworkSample s = h.state.sample();
    EXPECT_DOUBLE_EQ(s.upBytesPerSec, 125000000.0 / 2);
    EXPECT_DOUBLE_EQ(s.downBytesPerSec, 1000.0 / 2);
}

TEST(NetworkSampler, CounterDropGivesZeroForThatDirectionOnly)
{
    FakeNet net;
    net.iface("eth0", "192.0.2.10");
    net.primary = "eth0";
    net.counters("eth0", 10000, 10000);
    StateHarness h(net);
    (void)h.state.sample();
    net.now += 1;
    net.counters("eth0", 50, 12000);
    const NetworkSample s = h.state.sample();
    EXPECT_EQ(s.upBytesPerSec, 0);
    EXPECT_DOUBLE_EQ(s.downBytesPerSec, 2000.0 / 2);
}

TEST(NetworkSampler, RateElapsedTimeIsMonotonicNotWallClock)
{
    test::ManualMediaClock media(500);
    test::ManualWallClock wall;
    FakeNet net;
    net.iface("eth0", "192.0.2.10");
    net.primary = "eth0";
    NetworkSampler::Sources sources = net.sources();
    sources.clock = {}; // the default: the monotonic media clock
    NetworkSampler::State state(sources, {});
    (void)state.sample();
    wall.advanceSecs(-3600); // the wall clock is stepped back an hour
    media.advance(1.0);
    net.counters("eth0", 4000, 0);
    EXPECT_DOUBLE_EQ(state.sample().upBytesPerSec, 4000.0 / 2);
}

TEST(NetworkSampler, PrimaryInterfaceChangeStartsOverAtZero)
{
    FakeNet net;
    net.iface("eth0", "192.0.2.10");
    net.iface("wlan0", "198.51.100.4");
    net.primary = "eth0";
    StateHarness h(net);
    (void)h.state.sample();
    net.now += 1;
    net.primary = "wlan0";
    net.counters("wlan0", 5000, 5000);
    const NetworkSample s = h.state.sample();
    EXPECT_EQ(s.interfaceName, "wlan0");
    EXPECT_EQ(s.upBytesPerSec, 0);
    EXPECT_TRUE(s.isFirstReading);
}

TEST(NetworkSampler, FallbackPicksTheBusiestRunningInterfaceWithIPv4)
{
    FakeNet net;
    net.iface("eth0", "192.0.2.10");
    net.iface("eth1", "192.0.2.11");
    net.iface("eth2", nullptr);           // no IPv4
    net.iface("eth3", "192.0.2.13", IFF_UP); // not running
    net.counters("eth0", 100, 100);
    net.counters("eth1", 500, 500);
    net.counters("eth2", 99999, 99999);
    net.counters("eth3", 99999, 99999);
    StateHarness h(net);
    EXPECT_EQ(h.state.sample().interfaceName, "eth1"); // first call: largest counters
    net.now += 1;
    net.counters("eth0", 10100, 100); // eth0 moved 10000 bytes
    net.counters("eth1", 600, 600);   // eth1 moved 200
    EXPECT_EQ(h.state.sample().interfaceName, "eth0");
}

TEST(NetworkSampler, FallbackWithoutCandidatesIsTheAlphabeticallyFirst)
{
    FakeNet net;
    net.iface("eth1", nullptr);
    net.iface("eth0", nullptr);
    StateHarness h(net);
    EXPECT_EQ(h.state.sample().interfaceName, "eth0");

    FakeNet none;
    StateHarness empty(none);
    const NetworkSample s = empty.state.sample();
    EXPECT_EQ(s.interfaceName, "");
    EXPECT_EQ(s.interfaceKind, InterfaceKind::unknown);
    EXPECT_TRUE(empty.fetchRequests.isEmpty());
}

TEST(NetworkSampler, AddressesOfThePrimaryInterfaceWithoutScope)
{
    FakeNet net;
    net.iface("eth0", "192.0.2.10", upRunning, "fe80::1");
    net.primary = "eth0";
    StateHarness h(net);
    const NetworkSample s = h.state.sample();
    EXPECT_EQ(s.localIPv6, std::optional<QString>("fe80::1"));
}

TEST(NetworkSampler, InterfaceKinds)
{
    const QSet<QString> wifi{QStringLiteral("en0")};
    auto kind = [&](const char* name, InterfaceFacts f = {}) {
        return NetworkSampler::classify(QString::fromLatin1(name), wifi, f);
    };
    EXPECT_EQ(kind(""), InterfaceKind::unknown);
    EXPECT_EQ(kind("en0"), InterfaceKind::wifi); // Wi-Fi by the wireless set, not the "en" prefix
    EXPECT_EQ(kind("wlp2s0"), InterfaceKind::wifi);
    EXPECT_EQ(kind("utun3"), InterfaceKind::vpn);
    EXPECT_EQ(kind("wg0"), InterfaceKind::vpn);
    EXPECT_EQ(kind("tailscale0"), InterfaceKind::vpn);
    EXPECT_EQ(kind("docker0"), InterfaceKind::bridge);
    EXPECT_EQ(kind("virbr0"), InterfaceKind::bridge);
    EXPECT_EQ(kind("enp3s0"), InterfaceKind::ethernet);
    EXPECT_EQ(kind("eth0"), InterfaceKind::ethernet);
    EXPECT_EQ(kind("veth12"), InterfaceKind::other);

    InterfaceFacts tunnel;
    tunnel.arphrdType = 65534; // ARPHRD_NONE: a tun device named freely
    EXPECT_EQ(kind("corpvpn", tunnel), InterfaceKind::vpn);
    InterfaceFacts bridge;
    bridge.isBridge = true;
    EXPECT_EQ(kind("lan", bridge), InterfaceKind::bridge);
    InterfaceFacts nic;
    nic.arphrdType = 1;
    nic.hasDevice = true;
    EXPECT_EQ(kind("lan0", nic), InterfaceKind::ethernet);
    InterfaceFacts virtualEther;
    virtualEther.arphrdType = 1;
    EXPECT_EQ(kind("lan1", virtualEther), InterfaceKind::other);
}

TEST(NetworkSampler, KindComesFromTheSysfsTree)
{
    FakeNet net;
    net.iface("eth0", "192.0.2.10");
    net.sysfs("eth0", "phy80211/name", "phy0\n"); // a Wi-Fi card named eth0
    net.iface("tun7", "10.8.0.2");
    net.sysfs("tun7", "type", "65534\n");
    StateHarness h(net);
    net.primary = "eth0";
    EXPECT_EQ(h.state.sample().interfaceKind, InterfaceKind::wifi);
    net.primary = "tun7";
    EXPECT_EQ(h.state.sample().interfaceKind, InterfaceKind::vpn); // a VPN even as the primary interface
}

TEST(NetworkSampler, PublicAddressFailedAttemptIsRetriedAndKeepsThePreviousValue)
{
    FakeNet net;
    net.iface("eth0", "192.0.2.10");
    net.primary = "eth0";
    StateHarness h(net);
    (void)h.state.sample();
    ASSERT_EQ(h.fetchRequests, QStringList{"eth0"});
    (void)h.state.sample();
    EXPECT_EQ(h.fetchRequests.size(), 1); // one in flight at most

    h.state.finishPublicIPFetch("eth0", std::nullopt); // non-2xx, time-out, ...
    EXPECT_FALSE(h.state.sample().publicIP);
    EXPECT_EQ(h.fetchRequests.size(), 2); // retried on the next sample

    h.state.finishPublicIPFetch("eth0", QByteArray("  203.0.113.7\r\n"));
    EXPECT_EQ(h.state.sample().publicIP, std::optional<QString>("203.0.113.7"));
    EXPECT_EQ(h.fetchRequests.size(), 2); // not repeated while the interface stays

    net.primary = std::nullopt; // eth0 is still found by the fallback
    (void)h.state.sample();
    EXPECT_EQ(h.fetchRequests.size(), 2);
}

TEST(NetworkSampler, PublicAddressAnswersThatFailTheChecksAreIgnored)
{
    FakeNet net;
    net.iface("eth0", "192.0.2.10");
    net.primary = "eth0";
    StateHarness h(net);
    (void)h.state.sample();
    h.state.finishPublicIPFetch("eth0", QByteArray("203.0.113.7"));
    EXPECT_EQ(h.state.cachedPublicIP(), std::optional<QString>("203.0.113.7"));

    net.iface("wlan0", "198.51.100.4");
    net.primary = "wlan0";
    (void)h.state.sample();
    ASSERT_EQ(h.fetchRequests.last(), "wlan0");
    h.state.finishPublicIPFetch("wlan0", QByteArray(64, 'a'));
    EXPECT_EQ(h.state.cachedPublicIP(), std::optional<QString>("203.0.113.7")); // kept
    (void)h.state.sample();
    h.state.finishPublicIPFetch("wlan0", QByteArray(" \n\t "));
    EXPECT_EQ(h.state.cachedPublicIP(), std::optional<QString>("203.0.113.7"));
    (void)h.state.sample();
    h.state.finishPublicIPFetch("wlan0", QByteArray("198.51.100.\xff\xfe"));
    EXPECT_EQ(h.state.cachedPublicIP(), std::optional<QString>("203.0.113.7")); // not UTF-8
    (void)h.state.sample();
    h.state.finishPublicIPFetch("wlan0", QByteArray(63, '1'));
    EXPECT_EQ(h.state.cachedPublicIP(), std::optional<QString>(QString(63, u'1')));
}

namespace {
// A local public-address service: answers with the queued status and body.
class AddressService : public QObject {
public:
    AddressService()
    {
        server.listen(QHostAddress::LocalHost, 0);
        connect(&server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    if (!socket->readAll().contains("\r\n\r\n"))
                        return;
                    ++requests;
                    if (silent)
                        return; // keeps the connection open and never answers
                    const auto [status, body] =
                        replies.isEmpty() ? std::pair<int, QByteArray>(500, "") : replies.takeFirst();
                    socket->write("HTTP/1.1 " + QByteArray::number(status) + " X\r\nContent-Length: "
                                  + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
                    socket->disconnectFromHost();
                });
            }
        });
    }
    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(server.serverPort())); }
    QTcpServer server;
    QList<std::pair<int, QByteArray>> replies;
    int requests = 0;
    bool silent = false;
};

// Counts its lookups that ran to their end (returned, or destroyed with
// their frame).
class TrackingFetcher : public PublicAddressFetcher {
public:
    TrackingFetcher(QUrl url, std::shared_ptr<int> ended) : PublicAddressFetcher(std::move(url)), m_ended(std::move(ended)) {}
    QCoro::Task<Result<QByteArray, FetchError>> fetch() override
    {
        struct Ended {
            std::shared_ptr<int> count;
            ~Ended() { ++*count; }
        } ended{m_ended};
        co_return co_await PublicAddressFetcher::fetch();
    }

private:
    std::shared_ptr<int> m_ended;
};
} // namespace

TEST(NetworkSampler, ErrorPageIsNeverShownAsThePublicAddress)
{
    AddressService service;
    service.replies = {{503, "error code: 1015"}, {200, "203.0.113.9\n"}};
    FakeNet net;
    net.iface("eth0", "192.0.2.10");
    net.primary = "eth0";
    NetworkSampler::Sources sources = net.sources(true);
    sources.fetcher = std::make_unique<PublicAddressFetcher>(service.url());
    NetworkSampler sampler(std::move(sources));

    auto sampleOnce = [&] {
        std::optional<NetworkSample> got = QCoro::waitFor(sampler.sample());
        return got.value_or(NetworkSample{});
    };

    EXPECT_FALSE(sampleOnce().publicIP);
    ASSERT_TRUE(test::waitUntil([&] { return service.requests == 1; }));
    // Sampling goes on: once the failed attempt has ended (however long its
    // answer takes to arrive), the next sample starts a retry. The 503 page
    // is never taken meanwhile.
    ASSERT_TRUE(test::waitUntil([&] {
        EXPECT_NE(sampleOnce().publicIP, std::optional<QString>("error code: 1015"));
        return service.requests == 2;
    }));
    std::optional<QString> publicIP;
    ASSERT_TRUE(test::waitUntil([&] {
        publicIP = sampleOnce().publicIP;
        return publicIP.has_value();
    }));
    EXPECT_EQ(*publicIP, "203.0.113.9");
    (void)sampleOnce();
    EXPECT_EQ(service.requests, 2);
}

TEST(NetworkSampler, DestroyedDuringALookupEndsTheLookup)
{
    AddressService service;
    service.silent = true;
    FakeNet net;
    net.iface("eth0", "192.0.2.10");
    net.primary = "eth0";
    auto ended = std::make_shared<int>(0);
    {
        NetworkSampler::Sources sources = net.sources(true);
        sources.fetcher = std::make_unique<TrackingFetcher>(service.url(), ended);
        NetworkSampler sampler(std::move(sources));
        (void)QCoro::waitFor(sampler.sample());
        // The service holds the request; the sampler goes before any answer.
        ASSERT_TRUE(test::waitUntil([&] { return service.requests == 1; }));
        EXPECT_EQ(*ended, 0);
    }
    test::spinFor(100);
    EXPECT_EQ(*ended, 1);
}

TEST(NetworkSampler, RealMachineCountersAndPrimaryInterface)
{
    NetworkSampler::Sources sources;
    sources.fetchPublicAddress = false; // no traffic beyond this machine
    NetworkSampler::State state(sources, {});
    const NetworkSample s = state.sample();

    const QString ip = QStandardPaths::findExecutable(QStringLiteral("ip"));
    if (ip.isEmpty())
        GTEST_SKIP() << "the ip tool is not installed";
    QProcess p;
    p.start(ip, {QStringLiteral("route"), QStringLiteral("show"), QStringLiteral("default")});
    ASSERT_TRUE(p.waitForFinished(5000));
    const QStringList words = QString::fromUtf8(p.readAllStandardOutput()).simplified().split(u' ');
    const qsizetype dev = words.indexOf(QStringLiteral("dev"));
    if (dev < 0 || dev + 1 >= words.size())
        GTEST_SKIP() << "no default route";
    EXPECT_EQ(s.interfaceName, words[dev + 1]);

    // The counters the sampler uses are the sysfs statistics.
    const InterfaceTable t = InterfaceReader::read(SysRoot::system(), [] { return InterfaceReader::listSystem(); });
    ASSERT_TRUE(t.counters.contains(s.interfaceName));
    QFile tx(QStringLiteral("/sys/class/net/%1/statistics/tx_bytes").arg(s.interfaceName));
    ASSERT_TRUE(tx.open(QIODevice::ReadOnly));
    const qulonglong txNow = tx.readAll().trimmed().toULongLong();
    EXPECT_LE(t.counters[s.interfaceName].obytes, txNow);
    EXPECT_LE(txNow - t.counters[s.interfaceName].obytes, 1'000'000u);
}
