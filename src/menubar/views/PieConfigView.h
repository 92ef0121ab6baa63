#pragma once

#include "menubar/views/SizeSliderConfigView.h"

namespace gaugelet {

// The pie's size setting, 10...40 pt.
class PieConfigView : public SizeSliderConfigView {
    Q_OBJECT
public:
    explicit PieConfigView(const QString& visualizerId, QWidget* parent = nullptr);
};

} // namespace gaugelet
