#pragma once

#include "menubar/views/RunnerPreviewView.h"

#include <QImage>
#include <QList>

class QWidget;

namespace gaugelet {

// A runner animation as a view for windows: the frames to play and the
// seconds of one cycle. makeView creates the widget and schedules the
// values; update schedules them again on an existing one.
struct RunnerSpritePreview {
    QList<QImage> frames;
    double cycleDuration = 1.0;

    RunnerPreviewView* makeView(QWidget* parent = nullptr) const;
    void update(RunnerPreviewView* view) const;
};

} // namespace gaugelet
