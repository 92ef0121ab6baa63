#include "menubar/RunnerLayerBridge.h"

#include "menubar/RunnerLabelImage.h"
#include "menubar/TileView.h"
#include "platform/core/MainThread.h"
#include "platform/statusitem/ScreenInfo.h"
#include "platform/statusitem/StatusItem.h"
#include "platform/style/Appearance.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <limits>

namespace gaugelet {

namespace {

double roundHalfAway(double v)
{
    return std::round(v); // halves away from zero
}

} // namespace

const QString RunnerLayerBridge::overflowSegmentKey = QStringLiteral("more");

RunnerLayerBridge::RunnerLayerBridge(StatusItem* statusItem) : m_statusItem(statusItem) {}

RunnerLayerBridge::~RunnerLayerBridge() = default;

Layer::Ptr RunnerLayerBridge::hostLayer() const
{
    if (!m_statusItem || !m_statusItem->button())
        return nullptr;
    return m_statusItem->button()->layer();
}

QColor RunnerLayerBridge::chipColor(bool dark)
{
    QColor color = dark ? QColor(255, 255, 255) : QColor(0, 0, 0);
    color.setAlphaF(dark ? 0.85f : 0.7f);
    return color;
}

QFont RunnerLayerBridge::chipFont()
{
    // The value labels' face in whole pixels (a text layer draws at the
    // compositor's resolution, where only a pixel size means points), rounded
    // up so its digits stay as tall as theirs.
    QFont font = RunnerLabelImage::valueFont();
    font.setPixelSize(int(std::ceil(font.pointSizeF())));
    return font;
}

QFont RunnerLayerBridge::labelFont()
{
    return RunnerLabelImage::font();
}

void RunnerLayerBridge::setStatic(const QString& pinId, const QList<QImage>& pictures,
                                  const std::optional<AnimatedTagSpec>& tag,
                                  const std::optional<AnimatedTagSpec>& value, const QSizeF& size)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const QImage image = pictures.value(0);
    const Layer::Ptr host = hostLayer();
    if (!host)
        return;
    Layer::Ptr layer = staticLayers.value(pinId);
    if (!layer) {
        layer = Layer::create();
        layer->setContentsGravity(ContentsGravity::resizeAspect);
        layer->setMagnificationFilter(ContentsFilter::nearest);
        layer->setMinificationFilter(ContentsFilter::nearest);
        staticLayers.insert(pinId, layer);
        host->addSublayer(layer);
    }
    const auto known = staticContentIds.constFind(pinId);
    if (known == staticContentIds.cend() || *known != image.cacheKey()) {
        layer->setContents(image);
        layer->setContentsRepresentations(pictures.mid(1));
        layer->setContentsScale(image.devicePixelRatio());
        staticContentIds.insert(pinId, image.cacheKey());
    }
    const auto oldSize = staticSizes.constFind(pinId);
    const bool sizeChanged = oldSize == staticSizes.cend() || *oldSize != size;
    staticSizes.insert(pinId, size);
    const bool tagChanged = updateLabel(pinId, tag, tagLayers, tagSpecs, host);
    const bool valueChanged = updateLabel(pinId, value, valueLayers, valueSpecs, host);
    if (sizeChanged || tagChanged || valueChanged)
        layout();
}

bool RunnerLayerBridge::updateLabel(const QString& pinId, const std::optional<AnimatedTagSpec>& label, LayerMap& layerMap,
                                    SpecMap& specMap, const Layer::Ptr& host)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    auto removeLabel = [&] {
        const Layer::Ptr existing = layerMap.value(pinId);
        if (!existing)
            return false;
        existing->removeFromSuperlayer();
        layerMap.remove(pinId);
        specMap.remove(pinId);
        return true;
    };
    if (!label)
        return removeLabel();
    const auto stored = specMap.constFind(pinId);
    if (stored != specMap.cend() && *stored == *label && layerMap.contains(pinId))
        return false;

    const double scale = ScreenInfo::instance()->mainBackingScaleFactor();
    const QImage image = renderLabelImage(*label, scale);
    if (image.isNull())
        return removeLabel();

    Layer::Ptr layer = layerMap.value(pinId);
    if (!layer) {
        layer = Layer::create();
        layer->setContentsGravity(ContentsGravity::resizeAspect);
        layerMap.insert(pinId, layer);
        if (host)
            host->addSublayer(layer);
    }
    // The label drawn for every height a host shows, as a still tile is.
    QList<QImage> drawn;
    for (const int pixels : StatusItem::pixelSizes) {
        const double at = StatusItem::scaleForPixelSize(pixels);
        QImage representation = std::abs(at - scale) < 1e-9 ? image : renderLabelImage(*label, at);
        if (representation.isNull())
            continue;
        representation.setDevicePixelRatio(at);
        drawn.append(representation);
    }
    layer->setContents(image);
    layer->setContentsRepresentations(drawn);
    layer->setContentsScale(scale);
    layer->setBounds(QRectF(0, 0, image.width() / scale, image.height() / scale));
    specMap.insert(pinId, *label);
    return true;
}

QImage RunnerLayerBridge::renderLabelImage(const AnimatedTagSpec& label, double scale)
{
    return RunnerLabelImage::render(label, scale);
}

QImage RunnerLayerBridge::horizontalLabelImage(const AnimatedTagSpec& label, const QFont& font, const QColor& color, double scale)
{
    return RunnerLabelImage::horizontal(label, font, color, scale);
}

QImage RunnerLayerBridge::verticalLabelImage(const AnimatedTagSpec& label, const QFont& font, const QColor& color, double scale)
{
    return RunnerLabelImage::vertical(label, font, color, scale);
}

QStringList RunnerLayerBridge::verticalCharacters(const QString& text)
{
    return RunnerLabelImage::verticalCharacters(text);
}

void RunnerLayerBridge::describe(const QString& pinId, const QString& name, const QString& figure)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const std::pair<QString, QString> description{name, figure};
    auto it = descriptions.find(pinId);
    if (it != descriptions.end() && *it == description)
        return;
    descriptions.insert(pinId, description);
    bool changed = false;
    for (StatusItem::Segment& segment : m_segments) {
        if (segment.key == pinId) {
            segment.name = name;
            segment.figure = figure;
            changed = true;
        }
    }
    if (changed && m_statusItem)
        m_statusItem->setSegments(m_segments);
}

StatusItem::Segment RunnerLayerBridge::namedSegment(const QString& pinId, const QRectF& frame) const
{
    const auto description = descriptions.value(pinId);
    return {pinId, frame, description.first, description.second};
}

QString RunnerLayerBridge::overflowName(int hidden)
{
    return QCoreApplication::translate("RunnerLayerBridge", "%n more tiles", nullptr, hidden);
}

void RunnerLayerBridge::prune(const QSet<QString>& shown)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QSet<QString> ids;
    for (auto it = layers.cbegin(); it != layers.cend(); ++it)
        ids.insert(it.key());
    for (auto it = staticLayers.cbegin(); it != staticLayers.cend(); ++it)
        ids.insert(it.key());
    for (auto it = tagLayers.cbegin(); it != tagLayers.cend(); ++it)
        ids.insert(it.key());
    for (auto it = valueLayers.cbegin(); it != valueLayers.cend(); ++it)
        ids.insert(it.key());
    bool removed = false;
    for (const QString& id : std::as_const(ids)) {
        if (shown.contains(id))
            continue;
        if (auto sprite = layers.take(id)) {
            sprite->apply({}, 0);
            sprite->removeFromSuperlayer();
            removed = true;
        }
        sizes.remove(id);
        descriptions.remove(id);
        spriteYOffsets.remove(id);
        spriteVerticalBiases.remove(id);
        if (auto layer = staticLayers.take(id)) {
            layer->removeFromSuperlayer();
            removed = true;
        }
        staticSizes.remove(id);
        staticContentIds.remove(id);
        if (auto layer = tagLayers.take(id)) {
            layer->removeFromSuperlayer();
            removed = true;
        }
        tagSpecs.remove(id);
        if (auto layer = valueLayers.take(id)) {
            layer->removeFromSuperlayer();
            removed = true;
        }
        valueSpecs.remove(id);
    }
    if (removed)
        layout();
}

void RunnerLayerBridge::setHidden(const QString& pinId, bool hidden)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    for (const Layer::Ptr& layer : {Layer::Ptr(layers.value(pinId)), staticLayers.value(pinId), tagLayers.value(pinId),
                                    valueLayers.value(pinId)})
        if (layer)
            layer->setHidden(hidden);
}

double RunnerLayerBridge::widthBudget(double h) const
{
    std::optional<ScreenFacts> screen;
    if (m_statusItem && m_statusItem->button())
        screen = m_statusItem->button()->windowScreen();
    if (!screen)
        screen = ScreenInfo::instance()->mainScreen();
    if (!screen)
        return std::numeric_limits<double>::max();
    return std::max(screen->frame.width() - reservedForOthers, 2 * h);
}

RunnerLayerBridge::Fit RunnerLayerBridge::fit(double budget, double h, const QStringList& ids) const
{
    return RunnerRowLayout::fit(budget, ids, [&](const QString& id) {
        double s;
        if (staticLayers.contains(id))
            s = staticSizes.contains(id) ? shownStaticSize(staticSizes.value(id), h).width() : h;
        else
            s = sizes.value(id, h);
        return slotWidth(s, id).width;
    });
}

double RunnerLayerBridge::labelX(double core, const Layer& layer, const AnimatedTagSpec& spec)
{
    return RunnerRowLayout::labelX(core, layer.frame().width(), spec);
}

std::optional<RunnerRowLayout::Label> RunnerLayerBridge::labelBox(const QString& pinId, const LayerMap& layerMap,
                                                                 const SpecMap& specMap)
{
    const Layer::Ptr layer = layerMap.value(pinId);
    const auto spec = specMap.constFind(pinId);
    if (!layer || spec == specMap.cend())
        return std::nullopt;
    return RunnerRowLayout::Label{layer->frame().width(), *spec};
}

RunnerLayerBridge::SlotWidth RunnerLayerBridge::slotWidth(double s, const QString& pinId) const
{
    const auto tag = m_yieldingTags.contains(pinId) ? std::nullopt : labelBox(pinId, tagLayers, tagSpecs);
    return RunnerRowLayout::slotWidth(s, tag, labelBox(pinId, valueLayers, valueSpecs));
}

QRectF RunnerLayerBridge::labelFrame(const Layer& layer, const AnimatedTagSpec& spec, double base, double core, double h)
{
    // The label's picture at its own size, or, when it is taller than the
    // row (three stacked characters), scaled down to the row's height.
    QSizeF size = layer.bounds().size();
    if (size.height() > h && size.height() > 0)
        size = QSizeF(size.width() * h / size.height(), h);
    double y = (h - size.height()) / 2;
    if (spec.orientation == TagOrientation::horizontal)
        y += spec.yOffset;
    // Kept inside the row: an offset that would put part of the label above
    // or below the tile stops at the tile's edge.
    y = roundHalfAway(y);
    if (y + size.height() > h)
        y = std::floor(h - size.height());
    y = std::max(y, 0.0);
    const double x = base + RunnerRowLayout::labelX(core, size.width(), spec);
    return QRectF(roundHalfAway(x), y, size.width(), size.height());
}

void RunnerLayerBridge::placeLabels(const QString& pinId, double base, double core, double h)
{
    auto place = [&](const LayerMap& layerMap, const SpecMap& specMap) {
        const Layer::Ptr layer = layerMap.value(pinId);
        const auto spec = specMap.constFind(pinId);
        if (!layer || spec == specMap.cend())
            return;
        const QRectF box = labelFrame(*layer, *spec, base, core, h);
        // A label over its tile is drawn above it (with its halo), so the
        // sprite or ring does not hide the value it stands for.
        layer->setZPosition(spec->position == TagPosition::behind ? 1 : 0);
        layer->setFrame(box);
    };
    place(tagLayers, tagSpecs);
    place(valueLayers, valueSpecs);
}

RunnerRowLayout::SpriteBand RunnerLayerBridge::spriteBand(const QString& pinId, double h) const
{
    std::optional<RunnerRowLayout::EdgeLabel> edges[2];
    int i = 0;
    for (const auto& [layerMap, specMap] : {std::pair{&tagLayers, &tagSpecs}, std::pair{&valueLayers, &valueSpecs}}) {
        std::optional<RunnerRowLayout::EdgeLabel>& edge = edges[i++];
        const Layer::Ptr layer = layerMap->value(pinId);
        const auto spec = specMap->constFind(pinId);
        if (!layer || spec == specMap->cend() || spec->position != TagPosition::behind
            || spec->orientation != TagOrientation::horizontal)
            continue;
        // At an edge: within the point that rounding the label's place to
        // whole points leaves (its rows do not depend on where the slot is).
        const QRectF box = labelFrame(*layer, *spec, 0, 0, h);
        // The sprite may reach into the half point of clear margin a bare
        // label keeps around its contour.
        const double margin = spec->bgHex ? 0 : 0.5;
        if (box.top() < 1 && spec->yOffset < 0)
            edge = RunnerRowLayout::EdgeLabel{true, box.bottom() - margin};
        else if (box.bottom() > h - 1 && spec->yOffset > 0)
            edge = RunnerRowLayout::EdgeLabel{false, box.top() + margin};
    }
    return RunnerRowLayout::spriteBand(h, edges[0], edges[1]);
}

QSizeF RunnerLayerBridge::shownStaticSize(const QSizeF& size, double h)
{
    if (!(size.height() > h) || h <= 0)
        return size;
    return QSizeF(size.width() * h / size.height(), h);
}

double RunnerLayerBridge::layoutStatic(double h, const QString& pinId, double x)
{
    const QSizeF size = shownStaticSize(staticSizes.value(pinId, QSizeF(h, h)), h);
    const double tw = size.width();
    const double th = size.height();
    const SlotWidth slot = slotWidth(tw, pinId);
    const double base = x + slot.overhang;
    const Layer::Ptr layer = staticLayers.value(pinId);
    layer->setZPosition(0);
    layer->setFrame(QRectF(base + (slot.core - tw) / 2, (h - th) / 2, tw, th));
    placeLabels(pinId, base, slot.core, h);
    return x + slot.width + slotGap;
}

double RunnerLayerBridge::layoutOverflowChip(int hidden, double x, double h)
{
    if (!overflowChip) {
        overflowChip = TextLayer::create();
        overflowChip->setFont(chipFont());
        overflowChip->setAlignment(TextLayer::Alignment::center);
        overflowChip->setContentsScale(ScreenInfo::instance()->mainBackingScaleFactor());
        if (const Layer::Ptr host = hostLayer())
            host->addSublayer(overflowChip);
    }
    const QString text = QStringLiteral("+") + QString::number(hidden);
    const QFontMetricsF metrics(chipFont());
    const double tw = std::ceil(metrics.horizontalAdvance(text));
    const double th = std::ceil(metrics.height());
    const bool dark = m_statusItem && m_statusItem->button() ? m_statusItem->button()->isDarkAppearance()
                                                             : Appearance::instance()->isPanelDark();
    // On a panel whose shade is only a guess the chip is drawn opaque, inside
    // a contour of the opposite lightness, as the tiles are.
    const bool guessed = !Appearance::instance()->isPanelShadeKnown();
    QColor color = chipColor(dark);
    if (guessed)
        color.setAlphaF(1.0f);
    overflowChip->setString(text);
    overflowChip->setForegroundColor(color);
    overflowChip->setContour(guessed ? std::optional<QColor>(dark ? QColor(0, 0, 0) : QColor(255, 255, 255))
                                     : std::nullopt,
                             TileView::contourWidth);
    overflowChip->setHidden(false);
    overflowChip->setFrame(QRectF(x, (h - th) / 2, tw + 4, th));
    return tw + 4;
}

QStringList RunnerLayerBridge::rowOrder() const
{
    QStringList order;
    QSet<QString> seen;
    for (const QString& id : std::as_const(pinOrder)) {
        if (!seen.contains(id) && (layers.contains(id) || staticLayers.contains(id))) {
            seen.insert(id);
            order.append(id);
        }
    }
    QStringList strays;
    for (auto it = layers.cbegin(); it != layers.cend(); ++it)
        if (!seen.contains(it.key()))
            strays.append(it.key());
    for (auto it = staticLayers.cbegin(); it != staticLayers.cend(); ++it)
        if (!seen.contains(it.key()) && !layers.contains(it.key()))
            strays.append(it.key());
    std::sort(strays.begin(), strays.end());
    order += strays;
    return order;
}

void RunnerLayerBridge::layout()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!m_statusItem || !m_statusItem->button())
        return;
    ++m_layoutCount;
    double h = m_statusItem->button()->bounds().height();
    if (h <= 0)
        h = ScreenInfo::statusBarThickness;

    const QStringList order = rowOrder();

    // A tag that would squeeze its sprite below the floor gives way: it is
    // neither shown nor counted in its slot's width.
    m_yieldingTags.clear();
    QHash<QString, RunnerRowLayout::SpriteBand> bands;
    for (const QString& id : std::as_const(order)) {
        if (!layers.contains(id))
            continue;
        bands.insert(id, spriteBand(id, h));
        if (!bands.value(id).tagShown)
            m_yieldingTags.insert(id);
    }
    const double budget = widthBudget(h);
    const Fit fitted = fit(budget, h, order);

    for (qsizetype i = fitted.fitting.size(); i < order.size(); ++i)
        setHidden(order.at(i), true);

    double x = 0;
    // Each slot is published as an item of its own, in the row's order.
    QList<StatusItem::Segment> segments;
    for (const QString& id : fitted.fitting) {
        setHidden(id, false);
        if (staticLayers.contains(id)) {
            const double next = layoutStatic(h, id, x);
            segments.append(namedSegment(id, QRectF(x, 0, next - slotGap - x, h)));
            x = next;
            continue;
        }
        const auto sprite = layers.value(id);
        const double s = sizes.value(id, h);
        const SlotWidth slot = slotWidth(s, id);
        const double base = x + slot.overhang;
        const double yOffset = spriteYOffsets.value(id, 0);
        const double bias = spriteVerticalBiases.value(id, 0);
        sprite->setZPosition(0);
        const auto band = bands.value(id).band;
        if (const Layer::Ptr tag = tagLayers.value(id); tag && m_yieldingTags.contains(id))
            tag->setHidden(true);
        if (band)
            sprite->setFrame(QRectF(base + (slot.core - s) / 2, band->first, s, band->second - band->first));
        else
            sprite->setFrame(QRectF(base + (slot.core - s) / 2, yOffset + (h - s) / 2 - s * bias, s, s));
        placeLabels(id, base, slot.core, h);
        segments.append(namedSegment(id, QRectF(x, 0, slot.width, h)));
        x += slot.width + slotGap;
    }

    const double total = x - slotGap;
    double length;
    if (total > 0 && fitted.overflow > 0) {
        const double chip = layoutOverflowChip(fitted.overflow, x, h);
        segments.append({overflowSegmentKey, QRectF(x, 0, chip, h), overflowName(fitted.overflow), QString()});
        length = x + chip;
    } else {
        if (overflowChip)
            overflowChip->setHidden(true);
        length = total;
    }
    m_statusItem->setLength(length > 0 ? length : StatusItem::variableLength);
    m_segments = segments;
    m_statusItem->setSegments(segments);
}

} // namespace gaugelet
