#pragma once

#include "stats/DetailBodyBase.h"

class QHBoxLayout;
class QSpacerItem;

namespace gaugelet {

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
    static inline const QString statBgEnabledKey = QStringLiteral("global.statBgEnabled");
    static inline const QString statBgHexKey = QStringLiteral("global.statBgHex");
    static inline const QString statFgEnabledKey = QStringLiteral("global.statFgEnabled");
    static inline const QString statFgHexKey = QStringLiteral("global.statFgHex");
    static inline const QString statLabelPositionKey = QStringLiteral("global.statLabelPosition");

    NetworkDetailBody(const StatSnapshot& snapshot, const ViewEnvironment& env, QWidget* parent = nullptr);

    // "Wi-Fi", "Ethernet", "VPN", "Bridge", "Other", and "-" for unknown.
    static QString kindLabel(InterfaceKind kind);

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
