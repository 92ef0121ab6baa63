#pragma once

#include "stats/views/DetailBodyBase.h"

class QHBoxLayout;
class QSpacerItem;

namespace gaugelet {

struct NetworkExtras;
class NetworkRateBlock;
class PopupBreakdownRow;
class PopupLegendItem;
class PopupMirror;
class PopupThroughput;
enum class InterfaceKind;

// The network row's detail: the up and down rates, a minute of throughput
// (flowing lines, or mirrored bars without smooth charts), the peaks, and the
// interface and its addresses.
class NetworkDetailBody : public DetailBodyBase {
    Q_OBJECT
public:
    NetworkDetailBody(const StatSnapshot& snapshot, const ViewEnvironment& env, QWidget* parent = nullptr);

    // "Wi-Fi", "Ethernet", "VPN", "Bridge", "Other", and "-" for unknown.
    static QString kindLabel(InterfaceKind kind);

    // The least rate (bytes per second) the chart scales to its full height:
    // ten times the least the figures show as more than "0 KB/s", so a rate
    // that reads "0 KB/s" draws at under a tenth of the height, and one drawn
    // at half height reads at least "5 KB/s".
    static constexpr double minimumScale = 10'000.0;
    // The value the chart draws at its top edge for the largest rate shown:
    // 1 when nothing moved, else at least `minimumScale`.
    static double chartScale(double largest);
    // The largest up and down rates among the samples the chart shows at a
    // date: with time placement those of the last `window` seconds by time,
    // otherwise all of them.
    struct Peaks {
        double up = 0;
        double down = 0;
    };
    static Peaks shownPeaks(const QList<double>& ups, const QList<double>& downs, const QList<QDateTime>& times,
                            bool timePlaced, double window, const QDateTime& date);

    NetworkRateBlock* upBlock() const { return m_up; }
    NetworkRateBlock* downBlock() const { return m_down; }
    PopupThroughput* throughput() const { return m_throughput; }
    PopupMirror* mirror() const { return m_mirror; }
    PopupLegendItem* peakUp() const { return m_peakUp; }
    PopupLegendItem* peakDown() const { return m_peakDown; }
    PopupBreakdownRow* interfaceRow() const { return m_interface; }
    PopupBreakdownRow* ipv4Row() const { return m_ipv4; }
    PopupBreakdownRow* ipv6Row() const { return m_ipv6; }
    PopupBreakdownRow* publicRow() const { return m_public; }
    // Whether the down figure is pushed to the right edge (trailing).
    bool downIsTrailing() const;

protected:
    void refresh() override;

private:
    // The two rate blocks and where the down figure stands.
    void refreshHeader(const NetworkExtras* extras, const QColor& upTint, const QColor& downTint);
    // Flowing lines with smooth charts, mirrored bars without.
    void refreshChart(const QList<double>& ups, const QList<double>& downs, const QList<QDateTime>& times, bool smooth,
                      double magnitude, const QColor& upTint, const QColor& downTint);
    // The interface, its addresses and the public address.
    void refreshInterface(const NetworkExtras* extras);
    QHBoxLayout* m_header;
    QSpacerItem* m_middleSpacer;
    QSpacerItem* m_endSpacer;
    NetworkRateBlock* m_up;
    NetworkRateBlock* m_down;
    PopupThroughput* m_throughput;
    PopupMirror* m_mirror;
    PopupLegendItem* m_peakUp;
    PopupLegendItem* m_peakDown;
    PopupBreakdownRow* m_interface;
    PopupBreakdownRow* m_ipv4;
    PopupBreakdownRow* m_ipv6;
    PopupBreakdownRow* m_public;
};

} // namespace gaugelet
