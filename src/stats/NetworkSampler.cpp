#include "stats/NetworkSampler.h"

#include "platform/core/MediaClock.h"
#include "platform/kernel/KernelChangeWatch.h"

#include <QMetaObject>
#include <QPointer>
#include <QStringDecoder>
#include <algorithm>
#include <qcoro/qcorofuture.h>

namespace gaugelet {

namespace {

bool hasAnyPrefix(const QString& name, std::initializer_list<const char*> prefixes)
{
    for (const char* p : prefixes) {
        if (name.startsWith(QLatin1String(p)))
            return true;
    }
    return false;
}

} // namespace

InterfaceKind NetworkSampler::classify(const QString& name, const QSet<QString>& wifiNames, const InterfaceFacts& facts)
{
    if (name.isEmpty())
        return InterfaceKind::unknown;
    if (wifiNames.contains(name) || facts.isWireless || name.startsWith(QLatin1String("wl")))
        return InterfaceKind::wifi;
    if (hasAnyPrefix(name, {"tun", "tap", "wg", "ppp", "utun", "ipsec", "tailscale", "zt"}) || facts.isTunnelType())
        return InterfaceKind::vpn;
    if (hasAnyPrefix(name, {"br", "virbr", "docker", "bridge"}) || facts.isBridge)
        return InterfaceKind::bridge;
    if (hasAnyPrefix(name, {"en", "eth", "em"}) || facts.isPhysicalEther())
        return InterfaceKind::ethernet;
    return InterfaceKind::other;
}

// --- State -----------------------------------------------------------------

NetworkSampler::State::State(Sources& sources, std::function<void(const QString&)> startFetch)
    : m_root(sources.root), m_lister(sources.lister), m_primary(sources.primary), m_clock(sources.clock),
      m_startFetch(std::move(startFetch))
{
    if (!m_lister && !m_primary) {
        // The machine's own list and route: asked again only after the kernel
        // announced a change of a link, an address or a route (or after a
        // failed listing), so a quiet second costs one non-blocking receive.
        auto watch = std::make_shared<KernelChangeWatch>(KernelChangeWatch::interfaces());
        auto entries = std::make_shared<std::optional<std::vector<InterfaceEntry>>>();
        auto primary = std::make_shared<std::optional<QString>>();
        m_listGeneration = std::make_shared<uint64_t>(0);
        const SysRoot root = m_root;
        m_lister = [watch, entries, primary, root, generation = m_listGeneration] {
            if (watch->changed() || !*entries) {
                *entries = InterfaceReader::listSystem();
                *primary = RouteQuery::primaryInterface(root);
                ++*generation;
            }
            return *entries;
        };
        // Read after the list in every sample, so it is as fresh as the list.
        m_primary = [primary] { return *primary; };
    }
    if (!m_lister)
        m_lister = [] { return InterfaceReader::listSystem(); };
    if (!m_primary) {
        const SysRoot root = m_root;
        m_primary = [root] { return RouteQuery::primaryInterface(root); };
    }
    if (!m_clock)
        m_clock = [] { return MediaClock::now(); };
}

const QSet<QString>& NetworkSampler::State::wifiInterfaceNames()
{
    const double now = m_clock();
    if (!m_cachedWifiNameAt || now - *m_cachedWifiNameAt >= wifiNameTTL || now < *m_cachedWifiNameAt) {
        m_cachedWifiNames = InterfaceKindProbe::wifiInterfaces(m_root);
        m_cachedWifiNameAt = now;
    }
    return m_cachedWifiNames;
}

InterfaceKind NetworkSampler::State::interfaceKind(const QString& name)
{
    if (name.isEmpty())
        return InterfaceKind::unknown;
    // What sysfs says of an interface holds while it exists; with the change
    // watch, it is read again only after a link, address or route changed.
    if (!m_listGeneration || m_factsName != name || m_factsGeneration != *m_listGeneration) {
        m_facts = InterfaceKindProbe::facts(m_root, name);
        m_factsName = name;
        m_factsGeneration = m_listGeneration ? *m_listGeneration : 0;
    }
    return classify(name, wifiInterfaceNames(), m_facts);
}

QString NetworkSampler::State::fallbackInterface(const InterfaceTable& fresh) const
{
    QStringList candidates;
    for (auto it = fresh.counters.cbegin(); it != fresh.counters.cend(); ++it) {
        if (fresh.running.contains(it.key()) && fresh.ipv4.contains(it.key()))
            candidates.append(it.key());
    }
    if (candidates.isEmpty()) {
        QStringList names = fresh.counters.keys();
        if (names.isEmpty())
            return QString();
        std::sort(names.begin(), names.end());
        return names.first();
    }
    // The candidate with the most traffic since the previous call (on the
    // first call: the largest counters). Ties keep the earlier candidate.
    QString best;
    double bestTraffic = -1;
    for (const QString& name : candidates) {
        const InterfaceTable::Counters now = fresh.counters.value(name);
        double traffic;
        if (!m_perInterface.isEmpty()) {
            const InterfaceTable::Counters before = m_perInterface.value(name);
            traffic = (now.obytes >= before.obytes ? double(now.obytes - before.obytes) : 0.0)
                + (now.ibytes >= before.ibytes ? double(now.ibytes - before.ibytes) : 0.0);
        } else {
            traffic = double(now.obytes) + double(now.ibytes);
        }
        if (traffic > bestTraffic) {
            best = name;
            bestTraffic = traffic;
        }
    }
    return best;
}

NetworkSample NetworkSampler::State::sample()
{
    const InterfaceTable fresh = InterfaceReader::read(m_root, m_lister, m_counterFiles);
    const double now = m_clock();

    QString name = m_primary().value_or(QString());
    if (name.isEmpty())
        name = fallbackInterface(fresh);

    double up = 0, down = 0;
    bool measured = false;
    auto freshIt = fresh.counters.constFind(name);
    auto previousIt = m_perInterface.constFind(name);
    if (!name.isEmpty() && freshIt != fresh.counters.cend() && previousIt != m_perInterface.cend() && m_lastTime
        && name == m_lastPrimaryName && now - *m_lastTime > 0) {
        const double dt = now - *m_lastTime;
        measured = true;
        // A counter below its previous value (the interface was reset or
        // re-created) gives 0 for that direction in this call.
        if (freshIt->obytes >= previousIt->obytes)
            up = double(freshIt->obytes - previousIt->obytes) / dt;
        if (freshIt->ibytes >= previousIt->ibytes)
            down = double(freshIt->ibytes - previousIt->ibytes) / dt;
    }

    m_perInterface = fresh.counters;
    m_lastTime = now;
    m_lastPrimaryName = name;

    const InterfaceKind kind = interfaceKind(name);
    refreshPublicIPIfNeeded(name);

    NetworkSample s;
    s.upBytesPerSec = up;
    s.downBytesPerSec = down;
    s.interfaceName = name;
    s.interfaceKind = kind;
    if (auto it = fresh.ipv4.constFind(name); it != fresh.ipv4.cend())
        s.localIPv4 = *it;
    if (auto it = fresh.ipv6.constFind(name); it != fresh.ipv6.cend())
        s.localIPv6 = *it;
    s.publicIP = m_cachedPublicIP;

    m_ring.append(s);
    NetworkSample result = m_ring.newestWithMeans(&NetworkSample::upBytesPerSec, &NetworkSample::downBytesPerSec);
    result.isFirstReading = !measured;
    return result;
}

void NetworkSampler::State::refreshPublicIPIfNeeded(const QString& name)
{
    if (name.isEmpty() || m_publicIPFetchInflight || !m_startFetch)
        return;
    if (m_cachedPublicIP && m_cachedPublicIPInterface == name)
        return;
    m_publicIPFetchInflight = true;
    m_startFetch(name);
}

void NetworkSampler::State::finishPublicIPFetch(const QString& interfaceName, const std::optional<QByteArray>& body)
{
    if (body) {
        // A body that is not valid UTF-8 is no address (never shown with
        // replacement characters).
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString text = QString(decoder(*body)).trimmed();
        if (!decoder.hasError() && !text.isEmpty() && text.size() < maxPublicIPLength) {
            m_cachedPublicIP = text;
            m_cachedPublicIPInterface = interfaceName;
        }
    }
    m_publicIPFetchInflight = false;
}

// --- Sampler ---------------------------------------------------------------

NetworkSampler::NetworkSampler() : NetworkSampler(Sources{}) {}

NetworkSampler::NetworkSampler(Sources sources)
    : m_sources(std::move(sources)), m_context(std::make_unique<QObject>()),
      m_state(m_sources, m_sources.fetchPublicAddress
                             ? std::function<void(const QString&)>([this](const QString& n) { startFetch(n); })
                             : std::function<void(const QString&)>())
{
    if (m_sources.fetchPublicAddress && !m_sources.fetcher)
        m_sources.fetcher = std::make_unique<PublicAddressFetcher>();
}

NetworkSampler::~NetworkSampler() = default;

void NetworkSampler::startFetch(const QString& interfaceName)
{
    // Called from inside a sample; the fetch starts on a later turn of the
    // main thread's event loop. The context object is the weak hold: once the
    // sampler is gone, the queued call is dropped.
    QMetaObject::invokeMethod(
        m_context.get(), [this, interfaceName] { fetchPublicIP(interfaceName); }, Qt::QueuedConnection);
}

QCoro::Task<> NetworkSampler::fetchPublicIP(QString interfaceName)
{
    QPointer<QObject> alive = m_context.get();
    PublicAddressFetcher* fetcher = m_sources.fetcher.get();
    std::optional<QByteArray> body;
    if (fetcher) {
        auto result = co_await fetcher->fetch();
        if (!alive)
            co_return;
        // A failed attempt (no answer, a time-out, a status other than 2xx)
        // keeps the previous address and is retried on the next sample.
        if (result)
            body = *result;
    }
    // Back onto the actor.
    m_executor.run([this, interfaceName, body] { m_state.finishPublicIPFetch(interfaceName, body); });
}

QCoro::Task<NetworkSample> NetworkSampler::sample()
{
    co_return co_await m_executor.run([this] { return m_state.sample(); });
}

} // namespace gaugelet
