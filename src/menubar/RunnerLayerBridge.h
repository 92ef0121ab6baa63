#pragma once

#include "menubar/AnimatedTagSpec.h"
#include "menubar/RunnerLayer.h"
#include "menubar/RunnerRowLayout.h"
#include "platform/statusitem/Layer.h"
#include "platform/statusitem/StatusItem.h"
#include "platform/statusitem/TextLayer.h"

#include <QFont>
#include <QHash>
#include <QImage>
#include <QPointer>
#include <QSet>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace gaugelet {

// Owns every layer in the status item's button, per pin id: a static image
// layer or a sprite layer for the tile and up to two label layers (tag and
// value). Lays them out left to right with fixed gaps (RunnerRowLayout), hides
// what does not fit the width the panel can give behind a "+N" chip, and sets
// the item's length and its segments (each slot, then the chip). Label
// pictures come from RunnerLabelImage.
// Main thread only.
class RunnerLayerBridge {
public:
    using LayerMap = QHash<QString, Layer::Ptr>;
    using SpecMap = QHash<QString, AnimatedTagSpec>;

    using SlotWidth = RunnerRowLayout::SlotWidth;
    using Fit = RunnerRowLayout::Fit;

    static constexpr double slotGap = RunnerRowLayout::slotGap;
    static constexpr double chipReserve = RunnerRowLayout::chipReserve;
    static constexpr double reservedForOthers = 240;
    static constexpr double verticalLabelGap = RunnerRowLayout::verticalLabelGap;
    static constexpr double minimumSpriteShare = RunnerRowLayout::minimumSpriteShare;
    // The key of the "+N" chip's segment of the status item.
    static const QString overflowSegmentKey;

    explicit RunnerLayerBridge(StatusItem* statusItem);
    ~RunnerLayerBridge();
    RunnerLayerBridge(const RunnerLayerBridge&) = delete;
    RunnerLayerBridge& operator=(const RunnerLayerBridge&) = delete;

    // A still tile: its picture at the screen's scale (or at another, the
    // first drawn), then the same drawn for other scales (each image's device
    // pixel ratio its scale), which the composition draws instead of
    // resampling the first.
    void setStatic(const QString& pinId, const QList<QImage>& pictures, const std::optional<AnimatedTagSpec>& tag,
                   const std::optional<AnimatedTagSpec>& value, const QSizeF& size);
    // Adds, replaces or removes one label layer; returns whether anything changed.
    bool updateLabel(const QString& pinId, const std::optional<AnimatedTagSpec>& label, LayerMap& layerMap, SpecMap& specMap,
                     const Layer::Ptr& host);
    void prune(const QSet<QString>& shown);
    // What a pin's tile shows ("CPU — Pie") and its current figure ("37%"),
    // for its item's title and tool tip; a change reaches the status item
    // without a new layout.
    void describe(const QString& pinId, const QString& name, const QString& figure);
    // The "+N" chip's name.
    static QString overflowName(int hidden);
    void setHidden(const QString& pinId, bool hidden);
    void layout();

    double widthBudget(double h) const;
    Fit fit(double budget, double h, const QStringList& ids) const;
    SlotWidth slotWidth(double s, const QString& pinId) const;
    static double labelX(double core, const Layer& layer, const AnimatedTagSpec& spec);
    // A static tile's size in a row `h` high: a tile taller than the row (a
    // size setting above the row's height) is scaled to the row's height, its
    // aspect kept, rather than cut at the row's top and bottom.
    static QSizeF shownStaticSize(const QSizeF& size, double h);
    // Where a label layer goes in a slot whose core starts at `base`, in a row
    // `h` high: its x from labelX, its y from the offset, kept inside the row.
    static QRectF labelFrame(const Layer& layer, const AnimatedTagSpec& spec, double base, double core, double h);

    // Label pictures at a scale (RunnerLabelImage); a null image when there is nothing to draw.
    static QImage renderLabelImage(const AnimatedTagSpec& label, double scale);
    static QImage horizontalLabelImage(const AnimatedTagSpec& label, const QFont& font, const QColor& color, double scale);
    static QImage verticalLabelImage(const AnimatedTagSpec& label, const QFont& font, const QColor& color, double scale);
    // The monospaced system font of 8 points in heavy weight.
    static QFont labelFont();
    // The "+N" chip's font: as legible as a value label in a square slot.
    static QFont chipFont();
    // The chip's text colour on a dark or a light panel.
    static QColor chipColor(bool dark);
    // The rows of a vertical label: the whole text below 4 characters, else
    // its first two and "…".
    static QStringList verticalCharacters(const QString& text);

    // The fields, by pin id.
    StatusItem* statusItem() const { return m_statusItem.data(); }
    QHash<QString, std::shared_ptr<RunnerLayer>> layers;
    QHash<QString, double> spriteYOffsets;
    QHash<QString, double> spriteVerticalBiases;
    LayerMap staticLayers;
    QHash<QString, QSizeF> staticSizes;
    QHash<QString, qint64> staticContentIds;
    LayerMap tagLayers;
    SpecMap tagSpecs;
    LayerMap valueLayers;
    SpecMap valueSpecs;
    QHash<QString, double> sizes;
    QStringList pinOrder;
    QHash<QString, std::pair<QString, QString>> descriptions; // name, figure
    std::shared_ptr<TextLayer> overflowChip;

    // How many layout passes ran (diagnostics and tests).
    int layoutCount() const { return m_layoutCount; }

private:
    static std::optional<RunnerRowLayout::Label> labelBox(const QString& pinId, const LayerMap& layerMap,
                                                          const SpecMap& specMap);
    Layer::Ptr hostLayer() const;
    // The last redraw's order, then stray ids in ascending order; each id
    // once, and only ids that have a tile layer.
    QStringList rowOrder() const;
    double layoutStatic(double h, const QString& pinId, double x);
    void placeLabels(const QString& pinId, double base, double core, double h);
    // The rows of a slot `h` high left to a sprite whose horizontal labels
    // over it stand at the row's top or bottom edge (their offsets push them
    // there): such a label takes its band and the sprite is fitted, its
    // aspect kept, into the rest, so the label hides none of it
    // (RunnerRowLayout::spriteBand, which also says when the tag gives way).
    RunnerRowLayout::SpriteBand spriteBand(const QString& pinId, double h) const;
    double layoutOverflowChip(int hidden, double x, double h);
    // A slot's segment of the status item, with the pin's name and figure.
    StatusItem::Segment namedSegment(const QString& pinId, const QRectF& frame) const;

    QPointer<StatusItem> m_statusItem;
    QList<StatusItem::Segment> m_segments; // as last laid out
    QSet<QString> m_yieldingTags;          // tags left out this layout, by pin id
    int m_layoutCount = 0;
};

} // namespace gaugelet
