#include "menubar/RunnerLayerBridge.h"
#include "platform/statusitem/ScreenInfo.h"
#include "platform/statusitem/StatusItem.h"
#include "platform/style/Appearance.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

// A main screen whose width gives the wanted layout budget (width - 240).
struct ScopedScreen {
    explicit ScopedScreen(double budget)
    {
        ScreenFacts facts;
        facts.frame = QRectF(0, 0, budget + RunnerLayerBridge::reservedForOthers, 800);
        facts.visibleFrame = facts.frame;
        facts.backingScaleFactor = 2.0;
        ScreenInfo::instance()->setMainScreenForTesting(facts);
    }
    ~ScopedScreen() { ScreenInfo::instance()->resetOverrideForTesting(); }
};

QImage tileImage(double w, double h)
{
    QImage image(int(w * 2), int(h * 2), QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(30, 120, 200));
    return image;
}

Layer::Ptr labelLayer(double w, double h)
{
    auto layer = Layer::create();
    layer->setBounds(QRectF(0, 0, w, h));
    return layer;
}

AnimatedTagSpec spec(TagPosition position, TagOrientation orientation, double yOffset = 0)
{
    AnimatedTagSpec s;
    s.text = QStringLiteral("CPU");
    s.position = position;
    s.orientation = orientation;
    s.fgHex = QStringLiteral("#FFFFFF");
    s.yOffset = yOffset;
    return s;
}

struct Fixture {
    StatusItem item{StatusItem::Presentation::none};
    RunnerLayerBridge bridge{&item};

    void addStatic(const QString& id, double w, double h = 22)
    {
        bridge.setStatic(id, {tileImage(w, h)}, std::nullopt, std::nullopt, QSizeF(w, h));
    }
};

} // namespace

TEST(RunnerLayerBridge, FitsPinsIntoTheBudgetWithRoomForTheChip)
{
    ScopedScreen screen(1000);
    Fixture f;
    for (const char* id : {"a", "b", "c"})
        f.addStatic(QString::fromLatin1(id), 22);
    const QStringList ids{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    // Running widths 22, 50, 78; tests 48, 76, 78.
    auto fit = f.bridge.fit(80, 22, ids);
    EXPECT_EQ(fit.fitting, ids);
    EXPECT_EQ(fit.overflow, 0);
    fit = f.bridge.fit(75, 22, ids);
    EXPECT_EQ(fit.fitting, QStringList{QStringLiteral("a")});
    EXPECT_EQ(fit.overflow, 2);
    fit = f.bridge.fit(78, 22, ids);
    EXPECT_EQ(fit.overflow, 0);
    // One pin always fits, however narrow the budget.
    fit = f.bridge.fit(1, 22, ids);
    EXPECT_EQ(fit.fitting.size(), 1);
    EXPECT_EQ(f.bridge.fit(1, 22, {QStringLiteral("a")}).overflow, 0);
}

TEST(RunnerLayerBridge, OverflowHidesTheRestBehindAPlusChip)
{
    ScopedScreen screen(75);
    Fixture f;
    f.bridge.pinOrder = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    for (const char* id : {"a", "b", "c"})
        f.addStatic(QString::fromLatin1(id), 22);
    f.bridge.layout();
    EXPECT_FALSE(f.bridge.staticLayers.value(QStringLiteral("a"))->isHidden());
    EXPECT_TRUE(f.bridge.staticLayers.value(QStringLiteral("b"))->isHidden());
    EXPECT_TRUE(f.bridge.staticLayers.value(QStringLiteral("c"))->isHidden());
    ASSERT_TRUE(f.bridge.overflowChip);
    EXPECT_FALSE(f.bridge.overflowChip->isHidden());
    EXPECT_EQ(f.bridge.overflowChip->string(), QStringLiteral("+2"));
    const QRectF chip = f.bridge.overflowChip->frame();
    EXPECT_EQ(chip.x(), 28); // after the first slot and its gap
    EXPECT_DOUBLE_EQ(f.item.length(), 28 + chip.width());
    // Each slot, then the chip, is a segment of the status item of its own.
    using Segment = StatusItem::Segment;
    EXPECT_EQ(f.item.segments(),
              (QList<Segment>{{QStringLiteral("a"), QRectF(0, 0, 22, 22), QString(), QString()},
                              {RunnerLayerBridge::overflowSegmentKey, QRectF(28, 0, chip.width(), 22),
                               RunnerLayerBridge::overflowName(2), QString()}}));

    // Room for all: the chip hides and the length is the tiles' width.
    ScopedScreen wide(1000);
    f.bridge.layout();
    EXPECT_TRUE(f.bridge.overflowChip->isHidden());
    EXPECT_FALSE(f.bridge.staticLayers.value(QStringLiteral("c"))->isHidden());
    EXPECT_DOUBLE_EQ(f.item.length(), 78);
    EXPECT_EQ(f.bridge.staticLayers.value(QStringLiteral("c"))->frame(), QRectF(56, 0, 22, 22));
    EXPECT_EQ(f.item.segments(), (QList<Segment>{{QStringLiteral("a"), QRectF(0, 0, 22, 22), QString(), QString()},
                                                 {QStringLiteral("b"), QRectF(28, 0, 22, 22), QString(), QString()},
                                                 {QStringLiteral("c"), QRectF(56, 0, 22, 22), QString(), QString()}}));

    // A tile's name and figure reach its segment without a new layout, and
    // stay with it through the next.
    const int layouts = f.bridge.layoutCount();
    f.bridge.describe(QStringLiteral("b"), QStringLiteral("B — Pie"), QStringLiteral("7%"));
    EXPECT_EQ(f.item.segments()[1],
              (Segment{QStringLiteral("b"), QRectF(28, 0, 22, 22), QStringLiteral("B — Pie"), QStringLiteral("7%")}));
    EXPECT_EQ(f.bridge.layoutCount(), layouts);
    f.bridge.layout();
    EXPECT_EQ(f.item.segments()[1].figure, QStringLiteral("7%"));
}

TEST(RunnerLayerBridge, ASinglePinWiderThanTheBudgetShowsWithoutAChip)
{
    ScopedScreen screen(10); // budget = max(10, 2 × 22) = 44
    Fixture f;
    f.addStatic(QStringLiteral("wide"), 100, 16);
    EXPECT_DOUBLE_EQ(f.bridge.widthBudget(22), 44);
    EXPECT_FALSE(f.bridge.staticLayers.value(QStringLiteral("wide"))->isHidden());
    EXPECT_FALSE(f.bridge.overflowChip && !f.bridge.overflowChip->isHidden());
    EXPECT_DOUBLE_EQ(f.item.length(), 100);
    EXPECT_EQ(f.bridge.staticLayers.value(QStringLiteral("wide"))->frame(), QRectF(0, 3, 100, 16));
}

TEST(RunnerLayerBridge, NoLaidOutPinsGiveAVariableLengthAndHideTheChip)
{
    ScopedScreen screen(75);
    Fixture f;
    f.bridge.pinOrder = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    for (const char* id : {"a", "b", "c"})
        f.addStatic(QString::fromLatin1(id), 22);
    ASSERT_TRUE(f.bridge.overflowChip && !f.bridge.overflowChip->isHidden());
    f.bridge.prune({});
    EXPECT_TRUE(f.bridge.staticLayers.isEmpty());
    EXPECT_TRUE(f.bridge.staticSizes.isEmpty());
    EXPECT_TRUE(f.bridge.staticContentIds.isEmpty());
    EXPECT_TRUE(f.bridge.overflowChip->isHidden());
    EXPECT_EQ(f.item.length(), StatusItem::variableLength);
    EXPECT_TRUE(f.item.segments().isEmpty());                    // the whole picture (the idle logo) is one item
    EXPECT_EQ(f.item.button()->layer()->sublayers().size(), 1u); // only the hidden chip
}

TEST(RunnerLayerBridge, WithoutAScreenTheBudgetIsUnlimited)
{
    ScreenInfo::instance()->setMainScreenForTesting(std::nullopt);
    Fixture f;
    EXPECT_EQ(f.bridge.widthBudget(22), std::numeric_limits<double>::max());
    ScreenInfo::instance()->resetOverrideForTesting();
}

TEST(RunnerLayerBridge, HorizontalLabelsWidenTheCoreAndVerticalOnesStandBeside)
{
    Fixture f;
    const QString id = QStringLiteral("p");
    f.bridge.tagLayers.insert(id, labelLayer(30, 10));
    f.bridge.tagSpecs.insert(id, spec(TagPosition::behind, TagOrientation::horizontal));
    auto slot = f.bridge.slotWidth(20, id);
    EXPECT_EQ(slot.core, 30);
    EXPECT_EQ(slot.width, 30);
    EXPECT_EQ(slot.overhang, 0);

    f.bridge.tagSpecs.insert(id, spec(TagPosition::leading, TagOrientation::vertical));
    f.bridge.tagLayers.insert(id, labelLayer(8, 30));
    slot = f.bridge.slotWidth(20, id);
    EXPECT_EQ(slot.core, 20);
    EXPECT_EQ(slot.width, 31); // 8 + 3 more on the left
    EXPECT_EQ(slot.overhang, 11);

    f.bridge.tagSpecs.insert(id, spec(TagPosition::trailing, TagOrientation::vertical, 2));
    slot = f.bridge.slotWidth(20, id);
    EXPECT_EQ(slot.width, 20 + 3 + 2 + 8);
    EXPECT_EQ(slot.overhang, 0);
}

TEST(RunnerLayerBridge, SpritesAreCentredInTheirSlotAndLabelsRoundToWholePoints)
{
    Fixture f;
    const QString id = QStringLiteral("sprite");
    auto sprite = RunnerLayer::create();
    f.item.button()->layer()->addSublayer(sprite);
    f.bridge.layers.insert(id, sprite);
    f.bridge.sizes.insert(id, 20);
    f.bridge.tagLayers.insert(id, labelLayer(30, 10));
    f.bridge.tagSpecs.insert(id, spec(TagPosition::behind, TagOrientation::horizontal, 4.5));
    f.bridge.pinOrder = {id};
    f.bridge.layout();
    EXPECT_EQ(sprite->frame(), QRectF(5, 1, 20, 20));
    // y = (22 - 10) / 2 + 4.5 = 10.5 lands on 11; labels over the tile are
    // drawn above it, so the sprite does not hide them.
    EXPECT_EQ(f.bridge.tagLayers.value(id)->frame(), QRectF(0, 11, 30, 10));
    EXPECT_EQ(f.bridge.tagLayers.value(id)->zPosition(), 1);

    // -0.5 would put the label's top above the row: it stops at the edge,
    // and so does one pushed past the bottom.
    f.bridge.tagSpecs.insert(id, spec(TagPosition::behind, TagOrientation::horizontal, -6.5));
    f.bridge.layout();
    EXPECT_EQ(f.bridge.tagLayers.value(id)->frame().y(), 0);
    f.bridge.tagSpecs.insert(id, spec(TagPosition::behind, TagOrientation::horizontal, 10));
    f.bridge.layout();
    EXPECT_EQ(f.bridge.tagLayers.value(id)->frame().y(), 12);
    // A label taller than the row (three stacked rows) is scaled to its height.
    f.bridge.tagLayers.insert(id, labelLayer(8, 33));
    f.bridge.tagSpecs.insert(id, spec(TagPosition::leading, TagOrientation::vertical));
    f.bridge.layout();
    EXPECT_EQ(f.bridge.tagLayers.value(id)->frame().y(), 0);
    EXPECT_EQ(f.bridge.tagLayers.value(id)->frame().height(), 22);
    f.bridge.tagLayers.insert(id, labelLayer(30, 10));
    f.bridge.tagSpecs.insert(id, spec(TagPosition::behind, TagOrientation::horizontal, 4.5));

    // Offset and bias move the sprite vertically.
    f.bridge.spriteYOffsets.insert(id, 2);
    f.bridge.spriteVerticalBiases.insert(id, 0.1);
    f.bridge.layout();
    EXPECT_DOUBLE_EQ(sprite->frame().y(), 2 + 1 - 2);
}

TEST(RunnerLayerBridge, AStaticTileTallerThanTheRowIsScaledToItsHeight)
{
    Fixture f;
    f.addStatic(QStringLiteral("pie"), 40, 40);
    f.addStatic(QStringLiteral("number"), 30, 30);
    f.bridge.pinOrder = {QStringLiteral("pie"), QStringLiteral("number")};
    f.bridge.layout();
    EXPECT_EQ(f.bridge.staticLayers.value(QStringLiteral("pie"))->frame(), QRectF(0, 0, 22, 22));
    EXPECT_EQ(f.bridge.staticLayers.value(QStringLiteral("number"))->frame(), QRectF(28, 0, 22, 22));
    EXPECT_DOUBLE_EQ(f.item.length(), 50);
}

TEST(RunnerLayerBridge, IdsMissingFromTheOrderFollowInAscendingOrder)
{
    ScopedScreen screen(1000);
    Fixture f;
    f.addStatic(QStringLiteral("zeta"), 10);
    f.addStatic(QStringLiteral("alpha"), 10);
    f.addStatic(QStringLiteral("mid"), 10);
    f.bridge.pinOrder = {QStringLiteral("mid"), QStringLiteral("gone")};
    f.bridge.layout();
    EXPECT_EQ(f.bridge.staticLayers.value(QStringLiteral("mid"))->frame().x(), 0);
    EXPECT_EQ(f.bridge.staticLayers.value(QStringLiteral("alpha"))->frame().x(), 16);
    EXPECT_EQ(f.bridge.staticLayers.value(QStringLiteral("zeta"))->frame().x(), 32);
    EXPECT_DOUBLE_EQ(f.item.length(), 42);
}

TEST(RunnerLayerBridge, AnIdNamedTwiceInTheOrderGetsOneSlot)
{
    ScopedScreen screen(1000);
    Fixture f;
    f.addStatic(QStringLiteral("a"), 10);
    f.addStatic(QStringLiteral("b"), 10);
    f.bridge.pinOrder = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("a")};
    f.bridge.layout();
    EXPECT_EQ(f.bridge.staticLayers.value(QStringLiteral("a"))->frame().x(), 0);
    EXPECT_EQ(f.bridge.staticLayers.value(QStringLiteral("b"))->frame().x(), 16);
    EXPECT_DOUBLE_EQ(f.item.length(), 26);
}

TEST(RunnerLayerBridge, SetStaticLaysOutOnlyWhenSizeOrLabelsChange)
{
    ScopedScreen screen(1000);
    Fixture f;
    const QString id = QStringLiteral("p");
    f.addStatic(id, 22);
    const int layouts = f.bridge.layoutCount();
    // New pictures only; the first is the contents, the others are kept for the other heights.
    f.bridge.setStatic(id, {tileImage(22, 22), tileImage(8, 8), tileImage(12, 12)}, std::nullopt, std::nullopt,
                       QSizeF(22, 22));
    EXPECT_EQ(f.bridge.layoutCount(), layouts);
    EXPECT_EQ(f.bridge.staticLayers.value(id)->contentsRepresentations().size(), 2);
    f.bridge.setStatic(id, {tileImage(22, 22)}, spec(TagPosition::behind, TagOrientation::horizontal), std::nullopt,
                       QSizeF(22, 22));
    EXPECT_EQ(f.bridge.layoutCount(), layouts + 1);
    f.bridge.setStatic(id, {tileImage(24, 22)}, spec(TagPosition::behind, TagOrientation::horizontal), std::nullopt,
                       QSizeF(24, 22));
    EXPECT_EQ(f.bridge.layoutCount(), layouts + 2);
}

TEST(RunnerLayerBridge, UpdateLabelRendersOnlyWhenTheSpecChanges)
{
    Fixture f;
    const QString id = QStringLiteral("p");
    const Layer::Ptr host = f.item.button()->layer();
    EXPECT_FALSE(f.bridge.updateLabel(id, std::nullopt, f.bridge.tagLayers, f.bridge.tagSpecs, host));
    const auto label = spec(TagPosition::behind, TagOrientation::horizontal);
    EXPECT_TRUE(f.bridge.updateLabel(id, label, f.bridge.tagLayers, f.bridge.tagSpecs, host));
    const Layer::Ptr layer = f.bridge.tagLayers.value(id);
    ASSERT_TRUE(layer);
    EXPECT_EQ(layer->superlayer(), host.get());
    EXPECT_EQ(layer->contentsScale(), ScreenInfo::instance()->mainBackingScaleFactor());
    EXPECT_DOUBLE_EQ(layer->frame().width(), layer->contents().width() / layer->contentsScale());
    EXPECT_EQ(layer->contentsRepresentations().size(), qsizetype(StatusItem::pixelSizes.size()));
    const qint64 image = layer->contents().cacheKey();
    EXPECT_FALSE(f.bridge.updateLabel(id, label, f.bridge.tagLayers, f.bridge.tagSpecs, host));
    EXPECT_EQ(layer->contents().cacheKey(), image);
    auto other = label;
    other.text = QStringLiteral("GPU");
    EXPECT_TRUE(f.bridge.updateLabel(id, other, f.bridge.tagLayers, f.bridge.tagSpecs, host));
    // Empty text draws nothing: the label goes.
    other.text.clear();
    EXPECT_TRUE(f.bridge.updateLabel(id, other, f.bridge.tagLayers, f.bridge.tagSpecs, host));
    EXPECT_FALSE(f.bridge.tagLayers.contains(id));
    EXPECT_FALSE(f.bridge.tagSpecs.contains(id));
    EXPECT_EQ(layer->superlayer(), nullptr);
}

TEST(RunnerLayerBridge, VerticalLabelsStackAtMostThreeRows)
{
    EXPECT_EQ(RunnerLayerBridge::verticalCharacters(QStringLiteral("CPU")), (QStringList{"C", "P", "U"}));
    EXPECT_EQ(RunnerLayerBridge::verticalCharacters(QStringLiteral("NETWORK")), (QStringList{"N", "E", "…"}));
    EXPECT_TRUE(RunnerLayerBridge::verticalCharacters(QString()).isEmpty());
    // Characters as a person sees them: e + U+0301 is one row, so is a flag
    // (two regional indicators) and an emoji with a skin-tone modifier.
    EXPECT_EQ(RunnerLayerBridge::verticalCharacters(QStringLiteral("e\u0301X")),
              (QStringList{QStringLiteral("e\u0301"), "X"}));
    EXPECT_EQ(RunnerLayerBridge::verticalCharacters(QStringLiteral("\U0001F1E9\U0001F1EAa")),
              (QStringList{QStringLiteral("\U0001F1E9\U0001F1EA"), "a"}));
    EXPECT_EQ(RunnerLayerBridge::verticalCharacters(QStringLiteral("\U0001F44D\U0001F3FDok")),
              (QStringList{QStringLiteral("\U0001F44D\U0001F3FD"), "o", "k"}));
    EXPECT_EQ(RunnerLayerBridge::verticalCharacters(QStringLiteral("Ne\u0301tX")),
              (QStringList{"N", QStringLiteral("e\u0301"), "…"}));

    auto label = spec(TagPosition::leading, TagOrientation::vertical);
    const QImage cpu = RunnerLayerBridge::renderLabelImage(label, 2.0);
    label.text = QStringLiteral("C");
    const QImage one = RunnerLayerBridge::renderLabelImage(label, 2.0);
    ASSERT_FALSE(cpu.isNull());
    ASSERT_FALSE(one.isNull());
    EXPECT_EQ(cpu.height(), one.height() * 3);
    EXPECT_EQ(cpu.width(), one.width());
}

TEST(RunnerLayerBridge, AnUnparsableBackgroundKeepsTheMarginButDrawsNoPlate)
{
    // Beside the tile (no halo): the plate's margin is all that differs in width.
    auto label = spec(TagPosition::leading, TagOrientation::horizontal);
    const QImage bare = RunnerLayerBridge::renderLabelImage(label, 1.0);
    label.bgHex = QStringLiteral("not a colour");
    const QImage padded = RunnerLayerBridge::renderLabelImage(label, 1.0);
    EXPECT_EQ(padded.width(), bare.width() + 4);
    // Bare, only the inked rows; on a plate, the full line.
    EXPECT_GE(padded.height(), bare.height());
    EXPECT_EQ(padded.pixelColor(0, padded.height() / 2).alpha(), 0);
    label.bgHex = QStringLiteral("#FF0000");
    const QImage plate = RunnerLayerBridge::renderLabelImage(label, 1.0);
    EXPECT_EQ(plate.pixelColor(plate.width() / 2, 0).red(), 255); // pill across the top edge's middle
}

TEST(RunnerLayerBridge, PruneRemovesEveryLayerOfPinsNoLongerShown)
{
    ScopedScreen screen(1000);
    Fixture f;
    const Layer::Ptr host = f.item.button()->layer();
    f.addStatic(QStringLiteral("keep"), 20);
    auto sprite = RunnerLayer::create();
    host->addSublayer(sprite);
    QImage frame(4, 4, QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::red);
    sprite->apply({frame}, 1.0);
    f.bridge.layers.insert(QStringLiteral("gone"), sprite);
    f.bridge.sizes.insert(QStringLiteral("gone"), 18);
    f.bridge.spriteYOffsets.insert(QStringLiteral("gone"), 1);
    f.bridge.spriteVerticalBiases.insert(QStringLiteral("gone"), 0.1);
    f.bridge.updateLabel(QStringLiteral("gone"), spec(TagPosition::behind, TagOrientation::horizontal), f.bridge.valueLayers,
                         f.bridge.valueSpecs, host);
    const int layouts = f.bridge.layoutCount();
    f.bridge.prune({QStringLiteral("keep")});
    EXPECT_EQ(f.bridge.layoutCount(), layouts + 1);
    EXPECT_EQ(sprite->superlayer(), nullptr);
    EXPECT_EQ(sprite->animation(RunnerLayer::animationKey), nullptr);
    EXPECT_TRUE(f.bridge.layers.isEmpty());
    EXPECT_TRUE(f.bridge.sizes.isEmpty() && f.bridge.spriteYOffsets.isEmpty() && f.bridge.spriteVerticalBiases.isEmpty());
    EXPECT_TRUE(f.bridge.valueLayers.isEmpty() && f.bridge.valueSpecs.isEmpty());
    EXPECT_TRUE(f.bridge.staticLayers.contains(QStringLiteral("keep")));
    f.bridge.prune({QStringLiteral("keep")});
    EXPECT_EQ(f.bridge.layoutCount(), layouts + 1); // nothing removed, no layout
}

TEST(RunnerLayerBridge, ThePlusChipCarriesAContourWhereThePanelsShadeIsAGuess)
{
    ScopedScreen screen(75);
    const struct {
        bool dark;
        bool known;
    } cases[] = {{true, true}, {false, true}, {true, false}, {false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "dark " << c.dark << ", shade known " << c.known);
        Appearance::instance()->setOverrideForTesting(c.dark, c.known);
        Fixture f;
        f.bridge.pinOrder = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
        for (const char* id : {"a", "b", "c"})
            f.addStatic(QString::fromLatin1(id), 22);
        f.bridge.layout();
        f.item.compositor()->flush();
        ASSERT_TRUE(f.bridge.overflowChip);
        const QRect chip =
            QRectF(f.bridge.overflowChip->frame().topLeft() * 2, f.bridge.overflowChip->frame().size() * 2)
                .toAlignedRect();
        const QImage image = f.item.image2x().copy(chip).convertToFormat(QImage::Format_ARGB32);
        // Opaque ink of the panel's guessed lightness, and of the other.
        int light = 0;
        int dark = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y);
                if (qAlpha(p) == 255 && qGray(p) > 240)
                    ++light;
                if (qAlpha(p) == 255 && qGray(p) < 15)
                    ++dark;
            }
        }
        const int ink = c.dark ? light : dark;
        const int contour = c.dark ? dark : light;
        if (c.known) {
            // Drawn as on the known panel: no contour (and see-through ink).
            EXPECT_EQ(contour, 0);
        } else {
            // Opaque digits inside an opaque contour read on any panel.
            EXPECT_GT(ink, 20);
            EXPECT_GT(contour, ink / 2);
        }
    }
    Appearance::instance()->setOverrideForTesting(std::nullopt);
}

// In a 22-point row the tag gives way to the value and the sprite above it.
TEST(RunnerLayerBridge, ANameTagThatWouldSqueezeTheSpriteGivesWay)
{
    Fixture f;
    const QString id = QStringLiteral("sprite");
    auto sprite = RunnerLayer::create();
    const Layer::Ptr host = f.item.button()->layer();
    f.bridge.layers.insert(id, sprite);
    f.bridge.pinOrder = {id};
    AnimatedTagSpec value = spec(TagPosition::behind, TagOrientation::horizontal, 10);
    value.text = QStringLiteral("42%");
    value.isValue = true;
    f.bridge.updateLabel(id, spec(TagPosition::behind, TagOrientation::horizontal, -10), f.bridge.tagLayers,
                         f.bridge.tagSpecs, host);
    f.bridge.updateLabel(id, value, f.bridge.valueLayers, f.bridge.valueSpecs, host);
    f.bridge.layout();
    EXPECT_TRUE(f.bridge.tagLayers.value(id)->isHidden());
    EXPECT_LE(sprite->frame().bottom(), f.bridge.valueLayers.value(id)->frame().top() + 0.5);
    EXPECT_GE(sprite->frame().height(), RunnerLayerBridge::minimumSpriteShare * 22);
}
