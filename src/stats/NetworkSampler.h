#pragma once

#include "platform/core/SerialExecutor.h"
#include "platform/kernel/InterfaceKindProbe.h"
#include "platform/kernel/InterfaceReader.h"
#include "platform/kernel/PublicAddressFetcher.h"
#include "platform/kernel/RouteQuery.h"
#include "stats/NetworkSample.h"
#include "stats/MovingAverage.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <functional>
#include <memory>
#include <optional>
#include <qcoro/qcorotask.h>

namespace gaugelet {

// The network statistic's actor: the throughput of the primary interface,
// its kind and addresses, and the machine's public address, with the rates
// averaged over the last five calls.
class NetworkSampler {
public:
    // Where the sampler reads from. Unset members take the machine's own.
    struct Sources {
        SysRoot root = SysRoot::system();
        InterfaceLister lister;                       // default: getifaddrs
        PrimaryInterfaceQuery primary;                // default: netlink, then /proc/net/route
        std::function<double()> clock;                // monotonic seconds; default: MediaClock
        std::unique_ptr<PublicAddressFetcher> fetcher; // default: the public service; main thread
        bool fetchPublicAddress = true;                // false: never look the public address up
    };

    // The actor's isolated state, touched only on the sampler's executor.
    class State {
    public:
        // startFetch is called (on the executor) to look the public address up
        // for an interface; the answer comes back through finishPublicIPFetch.
        State(Sources& sources, std::function<void(const QString&)> startFetch);

        NetworkSample sample();
        // The end of one public-address attempt: the 2xx body, or nothing.
        void finishPublicIPFetch(const QString& interfaceName, const std::optional<QByteArray>& body);

        QString fallbackInterface(const InterfaceTable& fresh) const;
        InterfaceKind interfaceKind(const QString& name);
        const QSet<QString>& wifiInterfaceNames();

        bool publicIPFetchInflight() const { return m_publicIPFetchInflight; }
        const std::optional<QString>& cachedPublicIP() const { return m_cachedPublicIP; }

        static constexpr int ringCapacity = 5;
        static constexpr double wifiNameTTL = 30.0;
        static constexpr int maxPublicIPLength = 64;

    private:
        void refreshPublicIPIfNeeded(const QString& name);

        SysRoot m_root;
        InterfaceLister m_lister;
        PrimaryInterfaceQuery m_primary;
        std::function<double()> m_clock;
        std::function<void(const QString&)> m_startFetch;

        QHash<QString, InterfaceTable::Counters> m_perInterface;
        std::optional<double> m_lastTime; // monotonic seconds of the previous call
        QString m_lastPrimaryName;
        MovingAverage<NetworkSample, ringCapacity> m_ring;
        std::optional<QString> m_cachedPublicIP;
        std::optional<QString> m_cachedPublicIPInterface;
        bool m_publicIPFetchInflight = false;
        QSet<QString> m_cachedWifiNames;
        InterfaceReader::CounterFiles m_counterFiles;
        // Counts the machine's interface listings (none when the list is injected).
        std::shared_ptr<uint64_t> m_listGeneration;
        QString m_factsName;
        InterfaceFacts m_facts;
        uint64_t m_factsGeneration = 0;
        std::optional<double> m_cachedWifiNameAt;
    };

    NetworkSampler();
    explicit NetworkSampler(Sources sources);
    ~NetworkSampler();

    QCoro::Task<NetworkSample> sample();

    // Linux interface naming: the kind of an interface from its name, the
    // Wi-Fi names and what sysfs says about it.
    static InterfaceKind classify(const QString& name, const QSet<QString>& wifiNames, const InterfaceFacts& facts);

private:
    void startFetch(const QString& interfaceName);
    QCoro::Task<> fetchPublicIP(QString interfaceName);

    Sources m_sources;
    std::unique_ptr<QObject> m_context; // main-thread anchor of the background fetch
    State m_state;
    SerialExecutor m_executor{QStringLiteral("dev.gaugelet.sampler.network")};
};

} // namespace gaugelet
