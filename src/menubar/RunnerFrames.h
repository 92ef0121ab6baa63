#pragma once

#include "menubar/RunnerKind.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <QStringList>
#include <memory>
#include <optional>

namespace gaugelet {

// A runner kind's frame images, loaded once, every frame cropped to the one
// box that holds the visible pixels of all frames, and the height at which
// the sprite's visual weight sits, so sprites of different packs line up in
// the menu bar. Built once per runner visualizer on the main thread and never
// changed afterwards; shared read-only.
class RunnerFrames {
public:
    explicit RunnerFrames(RunnerKind kind);

    const RunnerKind& kind() const { return m_kind; }
    // The loaded images by frame number; absent where loading failed. Frames
    // past the last one found on disk are absent too, and the list ends
    // there, so it never holds more than the kind's frameCount entries, nor
    // more than 4096 (frames numbered beyond that are not loaded).
    const QList<std::optional<QImage>>& cached() const { return m_cached; }
    // Each loaded frame as a premultiplied bitmap cropped to the union box of
    // visible pixels (uncropped when no frame has any); same indices as cached().
    const QList<std::optional<QImage>>& croppedCG() const { return m_croppedCG; }
    const QStringList& fallbackSymbols() const { return m_fallbackSymbols; }
    // Offset of the sprite's visual centre from its middle, as a fraction of
    // its larger side; positive when the weight lies below the middle.
    double verticalBias() const { return m_verticalBias; }

    // The picture for a frame number: frame n modulo frameCount, else that
    // index's fallback symbol. A blank image for a kind without frames, a
    // negative number, or nothing to draw.
    QImage image(qint64 frameNumber) const;

    // The box of pixels whose alpha is not 0 (x, y from the top-left), none
    // for an empty or fully transparent image.
    static std::optional<QRect> opaqueBox(const QImage& bitmap);
    // The vertical bias of a frame list, as defined above; 0 without weight.
    static double measureVerticalBias(const QList<std::optional<QImage>>& bitmaps);
    // The frames of a kind as stored, by frame number (see cached()).
    static QList<std::optional<QImage>> loadImages(const RunnerKind& kind);

private:
    RunnerKind m_kind;
    QList<std::optional<QImage>> m_cached;
    QList<std::optional<QImage>> m_croppedCG;
    QStringList m_fallbackSymbols;
    double m_verticalBias = 0;
};

using RunnerFramesPtr = std::shared_ptr<const RunnerFrames>;

} // namespace gaugelet
