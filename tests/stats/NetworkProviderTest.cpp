#include "stats/NetworkProvider.h"

#include "TestSupport.h"
#include "stats/NetworkExtras.h"
#include "stats/Palette.h"
#include "stats/views/NetworkConfigView.h"
#include "stats/views/StatProviderViews.h"
#include "views/ViewEnvironment.h"

#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

using namespace gaugelet;

namespace {
std::unique_ptr<NetworkSampler> quietSampler(const QTemporaryDir& dir)
{
    NetworkSampler::Sources s;
    s.root = SysRoot(dir.path());
    s.lister = [] { return std::optional<std::vector<InterfaceEntry>>(); };
    s.primary = [] { return std::optional<QString>(); };
    s.fetchPublicAddress = false;
    return std::make_unique<NetworkSampler>(std::move(s));
}
} // namespace

TEST(NetworkProvider, DescribesItself)
{
    QTemporaryDir dir;
    NetworkProvider p(quietSampler(dir));
    EXPECT_EQ(p.id(), "net.total");
    EXPECT_EQ(p.displayName(), "Network");
    EXPECT_EQ(p.shortName(), "NET");
    EXPECT_EQ(p.refreshInterval(), 1.0);
    EXPECT_EQ(p.softCapBytesPerSec(), 5e7);
    const Palette& palette = Palette::builtIns().first();
    EXPECT_EQ(p.accentColor(palette), palette.accent7);
    EXPECT_EQ(p.excludedVisualizerIds(), QSet<QString>{"viz.pie"});
    EXPECT_TRUE(p.supportsMergedDisplay());
}

TEST(NetworkProvider, RateTextInDecimalUnits)
{
    EXPECT_EQ(NetworkProvider::rateText(-5), "0 KB/s");
    EXPECT_EQ(NetworkProvider::rateText(std::nan("")), "0 KB/s");
    EXPECT_EQ(NetworkProvider::rateText(999), "0 KB/s");
    EXPECT_EQ(NetworkProvider::rateText(1000), "1 KB/s");
    EXPECT_EQ(NetworkProvider::rateText(999499), "999 KB/s");
    EXPECT_EQ(NetworkProvider::rateText(1.5e6), "1.5 MB/s");
    EXPECT_EQ(NetworkProvider::rateText(2e9), "2.00 GB/s");
}

TEST(NetworkProvider, ValueIsTheCombinedRateAgainstTheSoftCap)
{
    NetworkSample s;
    s.upBytesPerSec = 5e6;
    s.downBytesPerSec = 2e7;
    EXPECT_DOUBLE_EQ(NetworkProvider::makeSnapshot(s).value, 0.5);
    EXPECT_EQ(NetworkProvider::makeSnapshot(s).label, "25.0 MB/s");
    s.downBytesPerSec = 5.5e7;
    EXPECT_DOUBLE_EQ(NetworkProvider::makeSnapshot(s).value, 1.0);
}

TEST(NetworkProvider, SeriesCarryRateTextsAndExtrasCarryTheInterface)
{
    test::ManualWallClock clock;
    NetworkSample s{{1500, 2.5e6, "wlan0", InterfaceKind::wifi, "192.0.2.5", std::nullopt, "203.0.113.1"}};
    const StatSnapshot snap = NetworkProvider::makeSnapshot(s);
    ASSERT_EQ(snap.breakdown.size(), 2);
    EXPECT_EQ(snap.breakdown[0], (Series{"up", "Upload", 1500, QString("2 KB/s")}));
    EXPECT_EQ(snap.breakdown[1], (Series{"down", "Download", 2.5e6, QString("2.5 MB/s")}));
    const NetworkExtras* extras = snap.extra<NetworkExtras>("network.snapshot");
    ASSERT_NE(extras, nullptr);
    EXPECT_EQ(*extras, (NetworkExtras{1500, 2.5e6, "wlan0", InterfaceKind::wifi, "192.0.2.5", std::nullopt,
                                      "203.0.113.1"}));
    EXPECT_EQ(snap.asOf, clock.now());
    EXPECT_TRUE(snap.providerId.isEmpty());
}

TEST(NetworkProvider, FailedInterfaceListingGivesAnEmptyUnknownSample)
{
    QTemporaryDir dir;
    NetworkProvider p(quietSampler(dir));
    const StatSnapshot snap = QCoro::waitFor(p.sample());
    EXPECT_EQ(snap.value, 0);
    EXPECT_EQ(snap.label, "0 KB/s");
    const NetworkExtras* extras = snap.extra<NetworkExtras>("network.snapshot");
    ASSERT_NE(extras, nullptr);
    EXPECT_EQ(extras->interfaceName, "");
    EXPECT_EQ(extras->interfaceKind, InterfaceKind::unknown);
    EXPECT_FALSE(extras->localIPv4);
}

TEST(NetworkProvider, ConfigViewIsTheMergedTotalSwitch)
{
    QTemporaryDir dir;
    test::ScopedDefaults defaults;
    NetworkProvider p(quietSampler(dir));
    std::unique_ptr<QWidget> view(StatProviderViews::configView(p, {}, nullptr));
    EXPECT_NE(qobject_cast<NetworkConfigView*>(view.get()), nullptr);
    EXPECT_EQ(rawValue(InterfaceKind::bridge), "bridge");
    EXPECT_EQ(interfaceKindFromRaw(u"vpn"), InterfaceKind::vpn);
    EXPECT_FALSE(interfaceKindFromRaw(u"VPN"));
}
