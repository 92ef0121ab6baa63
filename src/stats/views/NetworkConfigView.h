#pragma once

#include "views/ViewEnvironment.h"

#include <QWidget>

class QCheckBox;

namespace gaugelet {

// The network statistic's section in the statistics settings: the switch for
// the merged total in the popover header ("global.statShowMerged").
class NetworkConfigView : public QWidget {
    Q_OBJECT
public:
    explicit NetworkConfigView(const ViewEnvironment& env, QWidget* parent = nullptr);

    QCheckBox* mergedSwitch() const { return m_switch; }

private:
    void reload();

    QCheckBox* m_switch = nullptr;
};

} // namespace gaugelet
