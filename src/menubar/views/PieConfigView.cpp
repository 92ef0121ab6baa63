#include "menubar/views/PieConfigView.h"

#include "menubar/PieVisualizer.h"

namespace gaugelet {

PieConfigView::PieConfigView(const QString& visualizerId, QWidget* parent)
    : SizeSliderConfigView(visualizerId,
                           {PieVisualizer::minimumSize, PieVisualizer::maximumSize, PieVisualizer::defaultSize},
                           PieVisualizer::sizeNotificationPrefix, parent)
{
}

} // namespace gaugelet
