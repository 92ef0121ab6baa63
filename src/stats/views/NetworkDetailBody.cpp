#include "stats/views/NetworkDetailBody.h"

#include "charts/PopupBreakdownRow.h"
#include "charts/PopupLegendItem.h"
#include "charts/PopupMirror.h"
#include "charts/PopupThroughput.h"
#include "platform/core/Defaults.h"
#include "platform/core/MainThread.h"
#include "platform/core/WallClock.h"
#include "platform/style/DesignStyle.h"
#include "schema/SettingsSchema.h"
#include "stats/ChartMath.h"
#include "stats/Color.h"
#include "stats/InterfaceKind.h"
#include "stats/NetworkExtras.h"
#include "stats/NetworkProvider.h"
#include "stats/Palette.h"
#include "stats/Prefs.h"
#include "stats/StatLabelPosition.h"
#include "stats/views/NetworkRateBlock.h"
#include "views/Divider.h"
#include "views/Spacing.h"

#include <QHBoxLayout>
#include <QSpacerItem>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace gaugelet {

namespace {
QString dashIfEmpty(const std::optional<QString>& text)
{
    return text && !text->isEmpty() ? *text : QStringLiteral("-");
}

// Either chart's input over the two series, their tints and the shared scale.
template <typename Input>
Input chartInput(const QList<double>& ups, const QList<double>& downs, double magnitude, const QColor& upTint,
                 const QColor& downTint)
{
    Input in;
    in.up = ups;
    in.down = downs;
    in.upTint = upTint;
    in.downTint = downTint;
    in.yMagnitude = magnitude;
    in.height = 60;
    return in;
}
} // namespace

NetworkDetailBody::NetworkDetailBody(const StatSnapshot& snapshot, const ViewEnvironment& env, QWidget* parent)
    : DetailBodyBase(snapshot, env,
                     {SettingsSchema::smoothCharts, SettingsSchema::popupFontSize, SettingsSchema::statBgEnabled, SettingsSchema::statBgHex, SettingsSchema::statFgEnabled,
                      SettingsSchema::statFgHex, SettingsSchema::statLabelPosition},
                     parent)
{
    setObjectName(QStringLiteral("NetworkDetailBody"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(Spacing::px(Spacing::Step::ml));

    m_header = new QHBoxLayout;
    m_header->setSpacing(Spacing::px(Spacing::Step::xxl));
    m_up = new NetworkRateBlock(QStringLiteral("↑"), this);
    m_down = new NetworkRateBlock(QStringLiteral("↓"), this);
    m_middleSpacer = new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum);
    m_endSpacer = new QSpacerItem(0, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
    m_header->addWidget(m_up);
    m_header->addItem(m_middleSpacer);
    m_header->addWidget(m_down);
    m_header->addItem(m_endSpacer);
    layout->addLayout(m_header);

    m_throughput = new PopupThroughput(this);
    m_mirror = new PopupMirror(this);
    layout->addWidget(m_throughput);
    layout->addWidget(m_mirror);

    m_peakUp = new PopupLegendItem(tr("Peak ↑"), QColor(), QString(), this);
    m_peakDown = new PopupLegendItem(tr("Peak ↓"), QColor(), QString(), this);
    addLegendRow(layout, m_peakUp, m_peakDown);

    layout->addWidget(new Divider(this));
    m_interface = new PopupBreakdownRow(tr("Interface"), QString(), std::nullopt, 13, nullptr, this);
    m_ipv4 = new PopupBreakdownRow(tr("Local IPv4"), QString(), std::nullopt, 13, nullptr, this);
    m_ipv6 = new PopupBreakdownRow(tr("Local IPv6"), QString(), std::nullopt, 13, nullptr, this);
    m_public = new PopupBreakdownRow(tr("Public IP"), QString(), std::nullopt, 13, nullptr, this);
    for (auto* row : {m_interface, m_ipv4, m_ipv6, m_public})
        layout->addWidget(row);

    refresh();
}

QString NetworkDetailBody::kindLabel(InterfaceKind kind)
{
    switch (kind) {
    case InterfaceKind::wifi: return tr("Wi-Fi");
    case InterfaceKind::ethernet: return tr("Ethernet");
    case InterfaceKind::vpn: return tr("VPN");
    case InterfaceKind::bridge: return tr("Bridge");
    case InterfaceKind::other: return tr("Other");
    case InterfaceKind::unknown: return QStringLiteral("-");
    }
    return QStringLiteral("-");
}

double NetworkDetailBody::chartScale(double largest)
{
    if (!(largest > 0) || !std::isfinite(largest))
        return 1.0;
    return std::max(largest, minimumScale);
}

NetworkDetailBody::Peaks NetworkDetailBody::shownPeaks(const QList<double>& ups, const QList<double>& downs,
                                                       const QList<QDateTime>& times, bool timePlaced,
                                                       double window, const QDateTime& date)
{
    // The flowing chart places samples by time, so one taken more than a
    // window ago is off its left edge even when fewer samples than the
    // window's seconds came since (samples more than a second apart); the
    // mirrored bars show every sample.
    bool byTime = timePlaced && date.isValid() && std::isfinite(window) && window > 0
        && times.size() == ups.size() && times.size() == downs.size();
    Peaks peaks;
    for (qsizetype i = 0; i < std::max(ups.size(), downs.size()); ++i) {
        if (byTime && times[i].isValid() && double(times[i].msecsTo(date)) > window * 1000.0)
            continue;
        if (i < ups.size())
            peaks.up = std::max(peaks.up, ChartMath::finite(ups[i]));
        if (i < downs.size())
            peaks.down = std::max(peaks.down, ChartMath::finite(downs[i]));
    }
    return peaks;
}

bool NetworkDetailBody::downIsTrailing() const
{
    return m_middleSpacer->expandingDirections() & Qt::Horizontal;
}

void NetworkDetailBody::refresh()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const Palette& colours = palette();
    const QColor upTint = colours.accent7;
    const QColor downTint = colours.accent8;
    const NetworkExtras* extras = snapshot().extra<NetworkExtras>(NetworkExtras::key);

    // History, oldest first.
    const bool smooth = SettingsSchema::boolean(SettingsSchema::smoothCharts);
    const QList<HistorySample> history = samples();
    QList<double> ups, downs;
    QList<QDateTime> times;
    ups.reserve(history.size());
    downs.reserve(history.size());
    times.reserve(history.size());
    for (const HistorySample& s : history) {
        ups.append(seriesValue(s.breakdown, u"up"));
        downs.append(seriesValue(s.breakdown, u"down"));
        times.append(s.t);
    }
    const Peaks peaks = shownPeaks(ups, downs, times, smooth, windowSeconds(), WallClock::now());
    const double peakUp = peaks.up;
    const double peakDown = peaks.down;
    const double magnitude = chartScale(std::max(peakUp, peakDown));

    refreshHeader(extras, upTint, downTint);
    refreshChart(ups, downs, times, smooth, magnitude, upTint, downTint);

    m_peakUp->setTint(upTint);
    m_peakUp->setFigure(NetworkProvider::rateText(peakUp));
    m_peakDown->setTint(downTint);
    m_peakDown->setFigure(NetworkProvider::rateText(peakDown));

    refreshInterface(extras);
}

void NetworkDetailBody::refreshHeader(const NetworkExtras* extras, const QColor& upTint, const QColor& downTint)
{
    // Header: the two rates and where the down figure stands.
    const Defaults* defaults = Defaults::standard();
    const bool trailing =
        !defaults || storedStatLabelPosition(*defaults) == StatLabelPosition::trailing;
    const auto storedHex = [defaults](const QString& key) {
        return defaults ? defaults->string(key, QString()) : QString();
    };
    if (trailing != downIsTrailing()) {
        m_middleSpacer->changeSize(0, 0, trailing ? QSizePolicy::Expanding : QSizePolicy::Fixed, QSizePolicy::Minimum);
        m_endSpacer->changeSize(0, 0, trailing ? QSizePolicy::Fixed : QSizePolicy::Expanding, QSizePolicy::Minimum);
        m_header->invalidate();
    }
    std::optional<QColor> foreground;
    if (SettingsSchema::boolean(SettingsSchema::statFgEnabled)) {
        foreground = Color::fromHex(storedHex(SettingsSchema::statFgHex))
                         .value_or(DesignStyle::colour(DesignStyle::Colour::primary, this));
    }
    std::optional<QColor> background;
    if (SettingsSchema::boolean(SettingsSchema::statBgEnabled))
        background = Color::fromHex(storedHex(SettingsSchema::statBgHex)).value_or(QColor(0, 0, 0, 46));
    const struct {
        NetworkRateBlock* block;
        QColor tint;
        double rate;
    } blocks[] = {{m_up, upTint, extras ? extras->upBytesPerSec : 0.0},
                  {m_down, downTint, extras ? extras->downBytesPerSec : 0.0}};
    for (const auto& b : blocks) {
        b.block->setTint(b.tint);
        b.block->setRate(NetworkProvider::rateText(b.rate));
        b.block->setForeground(foreground);
        b.block->setBackground(background);
    }
}

void NetworkDetailBody::refreshChart(const QList<double>& ups, const QList<double>& downs,
                                     const QList<QDateTime>& times, bool smooth, double magnitude, const QColor& upTint,
                                     const QColor& downTint)
{
    // Chart: flowing lines with smooth charts, mirrored bars without.
    if (smooth) {
        auto in = chartInput<PopupThroughput::Input>(ups, downs, magnitude, upTint, downTint);
        in.times = times;
        in.window = windowSeconds();
        m_throughput->setInput(std::move(in));
    } else {
        auto in = chartInput<PopupMirror::Input>(ups, downs, magnitude, upTint, downTint);
        in.barGap = 1;
        m_mirror->setInput(std::move(in));
    }
    m_throughput->setVisible(smooth);
    m_mirror->setVisible(!smooth);
}

void NetworkDetailBody::refreshInterface(const NetworkExtras* extras)
{
    // The interface block.
    const double stored = Prefs::doubleValue(SettingsSchema::popupFontSize, 0);
    const qreal fontSize = stored > 0 ? std::clamp(stored, 9.0, 16.0) : 13.0;
    QString interfaceText = QStringLiteral("-");
    if (extras && !extras->interfaceName.isEmpty())
        interfaceText = kindLabel(extras->interfaceKind) + QStringLiteral(" · ") + extras->interfaceName;
    m_interface->setValue(interfaceText);
    m_ipv4->setValue(dashIfEmpty(extras ? extras->localIPv4 : std::nullopt));
    m_ipv6->setValue(dashIfEmpty(extras ? extras->localIPv6 : std::nullopt));
    m_ipv6->setVisible(extras && extras->localIPv6.has_value());
    m_public->setValue(dashIfEmpty(extras ? extras->publicIP : std::nullopt));
    for (auto* row : {m_interface, m_ipv4, m_ipv6, m_public})
        row->setFontSize(fontSize);
}

} // namespace gaugelet
