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
// the menu bar. Made once per runner visualizer on the main thread; the images
// are decoded on first use (a runner's tile or preview shown), not when the
// runner is installed, and never changed afterwards; shared, main thread only.
class RunnerFrames {
public:
    explicit RunnerFrames(RunnerKind kind);

    const RunnerKind& kind() const { return m_kind; }
    // The loaded images by frame number; absent where loading failed. Frames
    // past the last one found on disk are absent too, and the list ends
    // there, so it never holds more than the kind's frameCount entries, nor
    // more than 4096 (frames numbered beyond that are not loaded).
    const QList<std::optional<QImage>>& cached() const { return loaded().cached; }
    // Each loaded frame as a premultiplied bitmap cropped to the union box of
    // visible pixels (uncropped when no frame has any); same indices as cached().
    const QList<std::optional<QImage>>& croppedCG() const { return loaded().croppedCG; }
    const QStringList& fallbackSymbols() const { return m_fallbackSymbols; }
    // Offset of the sprite's visual centre from its middle, as a fraction of
    // its larger side; positive when the weight lies below the middle.
    double verticalBias() const { return loaded().verticalBias; }
    // Whether the images have been decoded yet.
    bool isLoaded() const { return m_images != nullptr; }

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
    struct Images {
        QList<std::optional<QImage>> cached;
        QList<std::optional<QImage>> croppedCG;
        double verticalBias = 0;
    };
    const Images& loaded() const;

    RunnerKind m_kind;
    mutable std::unique_ptr<const Images> m_images; // decoded on first use
    QStringList m_fallbackSymbols;
};

using RunnerFramesPtr = std::shared_ptr<const RunnerFrames>;

} // namespace gaugelet
