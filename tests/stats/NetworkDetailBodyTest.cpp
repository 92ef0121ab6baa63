#include "stats/views/NetworkDetailBody.h"
#include "DetailViewFixture.h"
#include "charts/PopupBreakdownRow.h"
#include "charts/PopupLegendItem.h"
#include "charts/PopupMirror.h"
#include "charts/PopupThroughput.h"
#include "platform/style/DesignStyle.h"
#include "schema/SettingsSchema.h"
#include "stats/NetworkExtras.h"
#include "stats/NetworkProvider.h"
#include "stats/views/NetworkDetailBody.h"
#include "stats/views/NetworkRateBlock.h"

#include <QDir>
#include <QImage>
#include <QLabel>
#include <gtest/gtest.h>
#include <limits>

using namespace gaugelet;
using test::series;

namespace {
const QString net = QStringLiteral("net.total");

StatSnapshot netSnapshot(double up, double down, std::optional<NetworkExtras> extras = std::nullopt)
{
    QHash<QString, std::any> x;
    if (extras)
        x.insert(NetworkExtras::key, *extras);
    return test::DetailViewFixture::snapshot(net, {series("up", up), series("down", down)}, x);
}

NetworkExtras wifi(double up, double down)
{
    NetworkExtras e;
    e.upBytesPerSec = up;
    e.downBytesPerSec = down;
    e.interfaceName = QStringLiteral("wlan0");
    e.interfaceKind = InterfaceKind::wifi;
    return e;
}
} // namespace

TEST(NetworkDetailBody, RatesChartAndPeaksFromSnapshotAndHistory)
{
    test::DetailViewFixture f;
    f.record(netSnapshot(2000, 5e6));
    f.record(netSnapshot(std::nan(""), 1e6));
    const StatSnapshot s = f.record(netSnapshot(3e6, 2e6, wifi(3e6, 2e6)));
    NetworkDetailBody body(s, f.env);
    body.show();
    EXPECT_EQ(body.upBlock()->rate(), "3.0 MB/s");
    EXPECT_EQ(body.downBlock()->rate(), "2.0 MB/s");
    EXPECT_EQ(body.upBlock()->arrowLabel()->text(), "↑");
    const auto& in = body.throughput()->input();
    EXPECT_EQ(in.up, (QList<double>{2000, 0, 3e6}));
    EXPECT_EQ(in.down, (QList<double>{5e6, 1e6, 2e6}));
    EXPECT_EQ(in.yMagnitude, 5e6);
    EXPECT_EQ(in.upTint, f.theme.palette().accent7);
    EXPECT_EQ(in.downTint, f.theme.palette().accent8);
    EXPECT_EQ(in.times.size(), 3);
    EXPECT_TRUE(body.throughput()->isVisible());
    EXPECT_FALSE(body.mirror()->isVisible());
    EXPECT_EQ(body.peakUp()->figure(), "3.0 MB/s");
    EXPECT_EQ(body.peakDown()->figure(), "5.0 MB/s");
    EXPECT_EQ(body.peakUp()->label(), "Peak ↑");

    // Smooth charts off: mirrored bars over the same data.
    f.defaults->set(SettingsSchema::smoothCharts, false);
    f.settle();
    EXPECT_FALSE(body.throughput()->isVisible());
    EXPECT_TRUE(body.mirror()->isVisible());
    EXPECT_EQ(body.mirror()->input().up, in.up);
    EXPECT_EQ(body.mirror()->input().yMagnitude, 5e6);
    EXPECT_EQ(body.mirror()->input().barGap, 1);
}

TEST(NetworkDetailBody, EmptyHistoryAndMissingExtras)
{
    test::DetailViewFixture f;
    NetworkDetailBody body(netSnapshot(0, 0), f.env);
    body.show();
    EXPECT_EQ(body.throughput()->input().yMagnitude, 1.0);
    EXPECT_EQ(body.peakUp()->figure(), "0 KB/s");
    EXPECT_EQ(body.upBlock()->rate(), "0 KB/s");
    EXPECT_EQ(body.interfaceRow()->value(), "-");
    EXPECT_EQ(body.ipv4Row()->value(), "-");
    EXPECT_FALSE(body.ipv6Row()->isVisible());
    EXPECT_EQ(body.publicRow()->value(), "-");

    // Infinite rates (a glitch) read as nothing moving.
    NetworkExtras glitch = wifi(std::numeric_limits<double>::infinity(), std::nan(""));
    body.setSnapshot(netSnapshot(0, 0, glitch));
    EXPECT_EQ(body.upBlock()->rate(), "0 KB/s");
    EXPECT_EQ(body.downBlock()->rate(), "0 KB/s");
}

TEST(NetworkDetailBody, AddressRowsAndIPv6OnlyWithAnAddress)
{
    test::DetailViewFixture f;
    NetworkExtras e = wifi(0, 0);
    e.localIPv4 = QStringLiteral("192.168.1.20");
    e.localIPv6 = QStringLiteral("fe80::1");
    e.publicIP = QStringLiteral("203.0.113.9");
    NetworkDetailBody body(netSnapshot(0, 0, e), f.env);
    body.show();
    EXPECT_EQ(body.interfaceRow()->value(), "Wi-Fi · wlan0");
    EXPECT_EQ(body.ipv4Row()->value(), "192.168.1.20");
    EXPECT_TRUE(body.ipv6Row()->isVisible());
    EXPECT_EQ(body.ipv6Row()->value(), "fe80::1");
    EXPECT_EQ(body.publicRow()->value(), "203.0.113.9");

    e.localIPv4.reset();
    e.localIPv6.reset();
    e.publicIP.reset();
    e.interfaceName.clear();
    body.setSnapshot(netSnapshot(0, 0, e));
    EXPECT_FALSE(body.ipv6Row()->isVisible());
    EXPECT_EQ(body.ipv4Row()->value(), "-");
    EXPECT_EQ(body.publicRow()->value(), "-");
    EXPECT_EQ(body.interfaceRow()->value(), "-");

    const struct {
        InterfaceKind kind;
        const char* label;
    } kinds[] = {{InterfaceKind::wifi, "Wi-Fi"}, {InterfaceKind::ethernet, "Ethernet"}, {InterfaceKind::vpn, "VPN"},
                 {InterfaceKind::bridge, "Bridge"}, {InterfaceKind::other, "Other"}, {InterfaceKind::unknown, "-"}};
    for (const auto& k : kinds)
        EXPECT_EQ(NetworkDetailBody::kindLabel(k.kind), k.label);
}

TEST(NetworkDetailBody, RowFontSizeClamps)
{
    const struct {
        QVariant stored;
        qreal size;
    } cases[] = {{20, 16}, {5, 9}, {12, 12}, {0, 13}, {QVariant(), 13}};
    for (const auto& c : cases) {
        test::DetailViewFixture f;
        if (c.stored.isValid())
            f.defaults->set(SettingsSchema::popupFontSize, c.stored);
        NetworkDetailBody body(netSnapshot(0, 0), f.env);
        EXPECT_EQ(body.publicRow()->fontSize(), c.size) << c.stored.toString().toStdString();
    }
}

TEST(NetworkDetailBody, LabelPositionAndChipColoursFollowTheSettings)
{
    test::DetailViewFixture f;
    NetworkDetailBody body(netSnapshot(0, 0), f.env);
    body.resize(352, body.sizeHint().height());
    body.show();
    EXPECT_TRUE(body.downIsTrailing()); // trailing by default
    f.defaults->set(SettingsSchema::statLabelPosition, QStringLiteral("adjacent"));
    f.settle();
    EXPECT_FALSE(body.downIsTrailing());
    f.defaults->set(SettingsSchema::statLabelPosition, QStringLiteral("bogus"));
    f.settle();
    EXPECT_TRUE(body.downIsTrailing());

    EXPECT_FALSE(body.upBlock()->background().has_value());
    f.defaults->set(SettingsSchema::statBgEnabled, true);
    f.defaults->set(SettingsSchema::statBgHex, QString());
    f.settle();
    ASSERT_TRUE(body.upBlock()->background().has_value());
    EXPECT_EQ(*body.upBlock()->background(), QColor(0, 0, 0, 46)); // black at 0.18
    f.defaults->set(SettingsSchema::statBgHex, QStringLiteral("#FF000080"));
    f.settle();
    EXPECT_EQ(body.downBlock()->background()->red(), 255);
    EXPECT_EQ(body.downBlock()->background()->alpha(), 128);

    f.defaults->set(SettingsSchema::statFgEnabled, true);
    f.defaults->set(SettingsSchema::statFgHex, QStringLiteral("nonsense"));
    f.settle();
    EXPECT_EQ(body.upBlock()->rateLabel()->palette().color(QPalette::WindowText),
              DesignStyle::colour(DesignStyle::Colour::primary, &body));
    f.defaults->set(SettingsSchema::statFgHex, QStringLiteral("00FF00"));
    f.settle();
    EXPECT_EQ(body.upBlock()->rateLabel()->palette().color(QPalette::WindowText), QColor(0, 255, 0));
}

TEST(NetworkDetailBody, TheChartsHeightAgreesWithTheFigures)
{
    // An idle line: every figure reads "0 KB/s", and the chart stays low.
    test::DetailViewFixture f;
    f.record(netSnapshot(120, 700));
    const StatSnapshot s = f.record(netSnapshot(80, 650, wifi(80, 650)));
    NetworkDetailBody body(s, f.env);
    EXPECT_EQ(body.peakDown()->figure(), "0 KB/s");
    EXPECT_EQ(body.upBlock()->rateLabel()->text(), "0 KB/s");
    EXPECT_EQ(body.throughput()->input().yMagnitude, NetworkDetailBody::minimumScale);
    // Drawn, the chart keeps to its bottom tenth (a picture for a person too).
    body.resize(340, body.sizeHint().height());
    body.show();
    QCoreApplication::processEvents();
    QImage chart(body.throughput()->size(), QImage::Format_ARGB32_Premultiplied);
    chart.fill(Qt::transparent);
    body.throughput()->render(&chart, {}, {}, QWidget::DrawChildren);
    int inkTop = chart.height();
    for (int y = 0; y < chart.height() && inkTop == chart.height(); ++y) {
        for (int x = 0; x < chart.width(); ++x) {
            if (chart.pixelColor(x, y).alpha() > 0) {
                inkTop = y;
                break;
            }
        }
    }
    EXPECT_GE(inkTop, chart.height() * 0.88);
    EXPECT_LT(inkTop, chart.height()); // something is drawn
    QDir().mkpath(QStringLiteral(GAUGELET_BINARY_DIR "/screenshots"));
    chart.save(QStringLiteral(GAUGELET_BINARY_DIR "/screenshots/network-idle-chart.png"));
    // A rate that reads "0 KB/s" draws at under a tenth of the height; one
    // drawn at half the height or more reads as a rate.
    const double rates[] = {1, 300, 700, 999, 1000, 4999, 5000, 9999, 10e3, 31e3, 5e6};
    for (const double rate : rates) {
        const double height = rate / NetworkDetailBody::chartScale(rate);
        if (NetworkProvider::rateText(rate) == "0 KB/s") {
            EXPECT_LT(height, 0.1) << rate;
        }
        if (height >= 0.5) {
            EXPECT_GE(rate, 5000) << rate;
        }
    }
    const struct {
        double largest, scale;
    } cases[] = {{0, 1}, {std::nan(""), 1}, {300, 10e3}, {10e3, 10e3}, {5e6, 5e6}};
    for (const auto& c : cases)
        EXPECT_EQ(NetworkDetailBody::chartScale(c.largest), c.scale) << c.largest;
}

TEST(NetworkDetailBody, PeaksCoverTheMinuteTheChartShowsByTime)
{
    // Samples more than a second apart (a busy machine): 31 KB/s a little
    // over a minute ago is off the chart's left edge, so it is no peak and
    // sets no scale, though fewer than 60 samples came since.
    test::DetailViewFixture f;
    f.record(netSnapshot(0, 31e3));
    f.clock.advanceSecs(44);
    f.record(netSnapshot(100, 500));
    f.clock.advanceSecs(15);
    const StatSnapshot s = f.record(netSnapshot(20e3, 400, wifi(20e3, 400)));
    f.clock.advanceSecs(0.5); // drawn half a second after the newest sample: the first is 61.5 s old
    NetworkDetailBody body(s, f.env);
    EXPECT_EQ(body.throughput()->input().down.size(), 3); // the chart still gets every sample
    EXPECT_EQ(body.peakDown()->figure(), "0 KB/s");
    EXPECT_EQ(body.peakUp()->figure(), "20 KB/s");
    EXPECT_EQ(body.throughput()->input().yMagnitude, 20e3);
    // The mirrored bars place samples by index and show all three.
    f.defaults->set(SettingsSchema::smoothCharts, false);
    f.settle();
    EXPECT_EQ(body.peakDown()->figure(), "31 KB/s");
    EXPECT_EQ(body.mirror()->input().yMagnitude, 31e3);

    // A sample exactly a window old is at x = 0, still on the chart.
    const QDateTime now = f.clock.now();
    const auto peaks = NetworkDetailBody::shownPeaks({7, 1}, {9, 2}, {now.addSecs(-60), now}, true, 60, now);
    EXPECT_EQ(peaks.up, 7);
    EXPECT_EQ(peaks.down, 9);
    const auto later = NetworkDetailBody::shownPeaks({7, 1}, {9, 2}, {now.addSecs(-60), now}, true, 60,
                                                     now.addMSecs(1));
    EXPECT_EQ(later.up, 1);
    EXPECT_EQ(later.down, 2);
}
