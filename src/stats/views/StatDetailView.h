#pragma once

#include "stats/StatSnapshot.h"

#include <QWidget>

namespace gaugelet {

// What a provider's detailView() returns: the view under the provider's row
// in the popover. The popover builds it once per opening and then hands it
// every newer snapshot; the view updates in place (its history comes from the
// environment's history store), so a publish never rebuilds it.
class StatDetailView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    virtual void setSnapshot(const StatSnapshot& snapshot) = 0;
};

} // namespace gaugelet
