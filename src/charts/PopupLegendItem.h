#pragma once

#include "charts/PopupFigureLine.h"

namespace gaugelet {

// A legend entry of the detail views, in the caption font: a dot of its tint,
// the label in the secondary style and the figure in monospaced digits,
// 4 points apart.
class PopupLegendItem : public PopupFigureLine {
    Q_OBJECT
public:
    PopupLegendItem(const QString& label, const QColor& tint, const QString& figure, QWidget* parent = nullptr);

    void setTint(const QColor& tint);
    QColor tint() const;

protected:
    void applyStyle() override;
};

} // namespace gaugelet
