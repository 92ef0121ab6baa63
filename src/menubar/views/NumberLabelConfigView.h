#pragma once

#include "menubar/views/SizeSliderConfigView.h"

namespace gaugelet {

// The number label's size setting, 12...30 pt.
class NumberLabelConfigView : public SizeSliderConfigView {
    Q_OBJECT
public:
    explicit NumberLabelConfigView(const QString& visualizerId, QWidget* parent = nullptr);
};

} // namespace gaugelet
