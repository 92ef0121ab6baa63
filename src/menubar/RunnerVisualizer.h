#pragma once

#include "menubar/RunnerAnimator.h"
#include "menubar/RunnerFrames.h"
#include "menubar/RunnerKind.h"
#include "menubar/Visualizer.h"
#include "menubar/VisualizerSizeSetting.h"
#include "schema/SettingsSchema.h"

#include <QHash>
#include <QList>
#include <memory>
#include <optional>

namespace gaugelet {

// A runner kind as a menu-bar visualizer: a sprite whose frame rate and cycle
// time follow the statistic's load, tinted red at or above a user threshold.
// The controller plays its frames in a runner layer. Every runner visualizer
// is in the group "runner", so a provider has at most one runner pinned. The
// size is a user setting of 20 to 40 points. Frames are cropped once and
// tinted once; later requests return the same image objects. Main thread only.
class RunnerVisualizer : public Visualizer {
public:
    static constexpr double minimumSize = 20.0;
    static constexpr double maximumSize = 40.0;
    static constexpr double defaultTintThreshold = SettingsSchema::runnerTintThreshold.defaultReal();
    static inline const QString idPrefix = QStringLiteral("viz.runner.");
    // Posted with the visualizer id appended when its size setting changes.
    static inline const QString sizeNotificationPrefix = QStringLiteral("runner.size.changed.");

    explicit RunnerVisualizer(RunnerKind kind);

    QString id() const override { return m_id; }
    QString displayName() const override { return m_kind.displayName; }
    QString chipLabel() const override { return m_kind.displayName; }
    QSizeF size() const override { return {m_size.value(), m_size.value()}; }
    bool isAnimated() const override { return true; }
    std::optional<QString> group() const override { return QStringLiteral("runner"); }
    bool bakesOwnNameTag() const override { return false; }

    std::unique_ptr<TileView> makeView(const StatSnapshot& snapshot, Theme theme) override;
    qint64 renderKey(const StatSnapshot& snapshot) override;
    double framesPerSecond(const StatSnapshot& snapshot, int fpsLimit) override;
    QList<QImage> frames(Theme theme, const StatSnapshot& snapshot) override;
    double cycleDuration(const StatSnapshot& snapshot) override;
    double verticalBias() const override { return m_frames->verticalBias(); }

    // The provider's animator, made on first use.
    RunnerAnimator* animator(const QString& providerId);

    const RunnerKind& kind() const { return m_kind; }
    const RunnerFramesPtr& runnerFrames() const { return m_frames; }
    double cachedSize() const { return m_size.value(); }
    // Whether frames() gives tinted frames for this raw value now.
    static bool isTinted(double rawValue);

    // The load as drawn: clamped to 0...1, NaN as 0.
    static double clampedLoad(double value);

private:
    const QList<QImage>& normalFrames();
    const QList<QImage>& tintedFrames();
    // The frames with a contour around the animal (when the panel's shade is
    // guessed), made once per list and colour.
    const QList<QImage>& contouredFrames(bool tinted, const QColor& contour);
    // Each frame on a transparent margin, over its silhouette widened by
    // about `radius` pixels in `colour`.
    static QList<QImage> withContour(const QList<QImage>& frames, const QColor& colour, int radius);

    RunnerKind m_kind;
    QString m_id;
    RunnerFramesPtr m_frames;
    QHash<QString, std::shared_ptr<RunnerAnimator>> m_animators;
    // 20...40, the kind's default size when unset.
    VisualizerSizeSetting m_size;
    std::optional<QList<QImage>> m_tintedFramesCache;
    std::optional<QList<QImage>> m_normalFramesCache;
    // By tinted, then by the contour's colour.
    QHash<std::pair<bool, QRgb>, QList<QImage>> m_contouredFramesCache;
};

} // namespace gaugelet
