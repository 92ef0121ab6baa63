#pragma once

#include "stats/StatLabelPosition.h"
#include "views/ViewEnvironment.h"

#include <QDateTime>
#include <QPointer>
#include <QWidget>

class QHBoxLayout;
class QLabel;
class QVBoxLayout;

namespace gaugelet {

class PinBar;
class Spinner;
class StatDetailView;
class StatProvider;
class ValueChip;

// One statistic in the popover: its name in the provider's accent colour and
// its value chip, then the provider's detail view and the "Pin as:" bar; until
// the first snapshot, the name and a small progress indicator only.
// refresh() brings it up to date in place: the detail view is made once, when
// the first snapshot is there, and afterwards handed each newer snapshot.
class ProviderRow : public QWidget {
    Q_OBJECT
public:
    ProviderRow(StatProvider* provider, const ViewEnvironment& env, QWidget* parent = nullptr);

    StatProvider* provider() const { return m_provider; }
    void refresh();

    // State, for tests and the popover.
    bool hasSnapshot() const { return m_hasSnapshot; }
    ValueChip* chip() const { return m_chip; }
    bool isChipShown() const;
    StatLabelPosition chipPosition() const { return m_position; }
    QLabel* nameLabel() const { return m_name; }
    QWidget* progressIndicator() const;
    QWidget* detailView() const { return m_detail; }
    int detailViewRequests() const { return m_detailRequests; }
    // How many times refresh() ran.
    int refreshCount() const { return m_refreshCount; }
    PinBar* pinBar() const { return m_pinBar; }

    // Whether the chip shows for this provider under the merged-display setting.
    static bool chipShown(const StatProvider& provider, bool hasSnapshot, bool showMerged);

private:
    void placeChip(StatLabelPosition position);

    StatProvider* m_provider;
    ViewEnvironment m_env;
    QVBoxLayout* m_layout = nullptr;
    QHBoxLayout* m_header = nullptr;
    QLabel* m_name = nullptr;
    ValueChip* m_chip = nullptr;
    Spinner* m_progress = nullptr;
    QPointer<QWidget> m_detail;
    StatDetailView* m_detailView = nullptr;
    PinBar* m_pinBar = nullptr;
    bool m_hasSnapshot = false;
    QDateTime m_lastAsOf;
    double m_lastValue = -1;
    StatLabelPosition m_position = StatLabelPosition::trailing;
    int m_detailRequests = 0;
    int m_refreshCount = 0;
};

} // namespace gaugelet
