#include "menubar/views/NumberLabelConfigView.h"

#include "menubar/NumberLabelVisualizer.h"

namespace gaugelet {

NumberLabelConfigView::NumberLabelConfigView(const QString& visualizerId, QWidget* parent)
    : SizeSliderConfigView(
        visualizerId,
        {NumberLabelVisualizer::minimumSize, NumberLabelVisualizer::maximumSize, NumberLabelVisualizer::defaultSize},
        NumberLabelVisualizer::sizeNotificationPrefix, parent)
{
    setToolTip(tr("Number label size in points. Range %1-%2pt; font scales with height.")
                   .arg(int(NumberLabelVisualizer::minimumSize))
                   .arg(int(NumberLabelVisualizer::maximumSize)));
}

} // namespace gaugelet
