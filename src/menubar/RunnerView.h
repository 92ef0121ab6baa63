#pragma once

#include "menubar/RunnerAnimator.h"
#include "menubar/RunnerFrames.h"
#include "menubar/TileView.h"

#include <QPointer>

namespace gaugelet {

// One frame of a runner as a square tile: the image of the animator's
// current frame, scaled without interpolation to fit size × size points,
// centred. The frame is read when the tile is painted, so a later frame
// change shows on the next paint.
class RunnerView : public TileView {
public:
    RunnerView(RunnerAnimator* animator, RunnerFramesPtr frames, double size);

    RunnerAnimator* animator() const { return m_animator.data(); }
    const RunnerFramesPtr& frames() const { return m_frames; }
    QSizeF size() const override { return {m_size, m_size}; }
    void paint(QPainter& painter) const override;

    // The image painted now.
    QImage currentImage() const;

private:
    QPointer<RunnerAnimator> m_animator;
    RunnerFramesPtr m_frames;
    double m_size;
};

} // namespace gaugelet
