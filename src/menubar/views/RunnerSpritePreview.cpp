#include "menubar/views/RunnerSpritePreview.h"

namespace gaugelet {

RunnerPreviewView* RunnerSpritePreview::makeView(QWidget* parent) const
{
    auto* view = new RunnerPreviewView(parent);
    view->schedule(frames, cycleDuration);
    return view;
}

void RunnerSpritePreview::update(RunnerPreviewView* view) const
{
    if (view)
        view->schedule(frames, cycleDuration);
}

} // namespace gaugelet
