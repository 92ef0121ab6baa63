#pragma once

class QWidget;

namespace gaugelet {

class Visualizer;

// The widgets a visualizer is shown with, kept apart from the visualizer
// (which only draws tiles): its settings view, placed in the settings window.
class VisualizerViews {
public:
    // The visualizer's settings view; nullptr for a visualizer without one.
    static QWidget* makeConfigView(const Visualizer& visualizer, QWidget* parent = nullptr);
};

} // namespace gaugelet
