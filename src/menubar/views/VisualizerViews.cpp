#include "menubar/views/VisualizerViews.h"

#include "menubar/NumberLabelVisualizer.h"
#include "menubar/PieVisualizer.h"
#include "menubar/RunnerVisualizer.h"
#include "menubar/SparklineVisualizer.h"
#include "menubar/views/NumberLabelConfigView.h"
#include "menubar/views/PieConfigView.h"
#include "menubar/views/RunnerConfigView.h"
#include "platform/core/MainThread.h"

#include <QCoreApplication>
#include <QLabel>
#include <algorithm>

namespace gaugelet {

namespace {

QWidget* sparklineCaption(QWidget* parent)
{
    auto* caption = new QLabel(
        QCoreApplication::translate("SparklineVisualizer", "The line advances one point per sample. Density follows the provider's refresh rate."), parent);
    caption->setWordWrap(true);
    QFont font = caption->font();
    const double base = font.pointSizeF() > 0 ? font.pointSizeF() : 10.0;
    font.setPointSizeF(std::max(base * 10.0 / 13.0, 7.0));
    caption->setFont(font);
    caption->setForegroundRole(QPalette::PlaceholderText);
    caption->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return caption;
}

} // namespace

QWidget* VisualizerViews::makeConfigView(const Visualizer& visualizer, QWidget* parent)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (const auto* runner = dynamic_cast<const RunnerVisualizer*>(&visualizer))
        return new RunnerConfigView(runner->id(), runner->kind(), parent);
    if (dynamic_cast<const NumberLabelVisualizer*>(&visualizer))
        return new NumberLabelConfigView(visualizer.id(), parent);
    if (dynamic_cast<const PieVisualizer*>(&visualizer))
        return new PieConfigView(visualizer.id(), parent);
    if (dynamic_cast<const SparklineVisualizer*>(&visualizer))
        return sparklineCaption(parent);
    return nullptr;
}

} // namespace gaugelet
