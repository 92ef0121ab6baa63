#include "charts/PopupBandChart.h"

#include "platform/core/AssignIfChanged.h"

#include <cmath>

namespace gaugelet {

namespace {
int pixelsOf(qreal height)
{
    return std::isfinite(height) && height > 0 ? int(std::ceil(height)) : 0;
}
} // namespace

PopupBandChart::PopupBandChart(qreal height, QWidget* parent) : QWidget(parent), m_height(pixelsOf(height))
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(m_height);
}

void PopupBandChart::setBandHeight(qreal height)
{
    if (assignIfChanged(m_height, pixelsOf(height)))
        setFixedHeight(m_height);
}

} // namespace gaugelet
