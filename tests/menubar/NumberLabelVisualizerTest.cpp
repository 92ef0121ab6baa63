#include "menubar/NumberLabelVisualizer.h"

#include "MenubarTestSupport.h"
#include "menubar/NumberLabelConfigView.h"
#include "platform/core/NotificationCenter.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QSlider>
#include <gtest/gtest.h>
#include <limits>

using namespace gaugelet;

namespace {

const QString sizeKey = QStringLiteral("visualizer.viz.numberLabel.size");

StatSnapshot cpuSnapshot(const QString& label = QStringLiteral("42%"), const QString& badge = QStringLiteral("CPU"))
{
    StatSnapshot s;
    s.providerId = "cpu.total";
    s.badgeText = badge;
    s.value = 0.42;
    s.label = label;
    s.breakdown = { { "user", "User", 30, std::nullopt }, { "system", "System", 12, std::nullopt } };
    return s;
}

StatSnapshot netSnapshot(std::optional<QString> down = QStringLiteral("1.2M"), std::optional<QString> up = QStringLiteral("80K"))
{
    StatSnapshot s;
    s.providerId = "net.total";
    s.badgeText = "NET";
    s.value = 0.1;
    s.label = "1.2M";
    s.breakdown = { { "down", "Down", 1.2e6, down }, { "up", "Up", 8e4, up } };
    return s;
}

void postSizeChange() { NotificationCenter::defaultCenter().post("number.size.changed.viz.numberLabel"); }

} // namespace

TEST(NumberLabelVisualizerSize, StoredSizeIsClampedAndAbsentIsTheRegisteredDefault)
{
    test::ScopedDefaults defaults;
    NumberLabelVisualizer viz;
    EXPECT_EQ(viz.cachedSize(), 22);
    EXPECT_EQ(defaults->real(sizeKey), 22); // registered
    EXPECT_FALSE(defaults->hasUserValue(sizeKey));
    defaults->set(sizeKey, 50.0);
    postSizeChange();
    EXPECT_EQ(viz.cachedSize(), 30);
    defaults->set(sizeKey, 4.0);
    postSizeChange();
    EXPECT_EQ(viz.cachedSize(), 12);
}

TEST(NumberLabelVisualizerSize, NonFiniteStoredSizeFallsBackToDefault)
{
    test::ScopedDefaults defaults;
    defaults->set(sizeKey, std::numeric_limits<double>::quiet_NaN());
    NumberLabelVisualizer viz;
    EXPECT_EQ(viz.cachedSize(), 22);
    defaults->set(sizeKey, std::numeric_limits<double>::infinity());
    postSizeChange();
    EXPECT_EQ(viz.cachedSize(), 22);
    EXPECT_EQ(viz.size(), QSizeF(40, 22));
}

TEST(NumberLabelVisualizerSize, WidthFollowsTheShapeLastKeyedAndStartsSingle)
{
    test::ScopedDefaults defaults;
    NumberLabelVisualizer viz;
    EXPECT_EQ(viz.size(), QSizeF(40, 22)); // ceil(22 × 1.78)
    viz.renderKey(netSnapshot());
    EXPECT_EQ(viz.size(), QSizeF(62, 22)); // ceil(22 × 2.8)
    viz.makeView(cpuSnapshot(), Theme::light);
    EXPECT_EQ(viz.size(), QSizeF(40, 22));
}

TEST(NumberLabelVisualizerShape, ExactlyUpAndDownIsDirectional)
{
    EXPECT_EQ(NumberLabelVisualizer::shapeOf(netSnapshot()), NumberLabelVisualizer::Shape::directional);
    StatSnapshot three = netSnapshot();
    three.breakdown.append({ "total", "Total", 1, std::nullopt });
    EXPECT_EQ(NumberLabelVisualizer::shapeOf(three), NumberLabelVisualizer::Shape::single);
    StatSnapshot twiceUp = netSnapshot();
    twiceUp.breakdown[0].id = "up";
    EXPECT_EQ(NumberLabelVisualizer::shapeOf(twiceUp), NumberLabelVisualizer::Shape::single);
    EXPECT_EQ(NumberLabelVisualizer::shapeOf(cpuSnapshot()), NumberLabelVisualizer::Shape::single);
}

TEST(NumberLabelVisualizerShape, DirectionalTextUsesDisplayValueElseRoundedValue)
{
    EXPECT_EQ(NumberLabelVisualizer::directionalText({ "up", "Up", 1234.56, std::nullopt }), "1235");
    EXPECT_EQ(NumberLabelVisualizer::directionalText({ "up", "Up", 1234.56, QString("1.2K") }), "1.2K");
}

TEST(NumberLabelVisualizerRenderKey, ChangesWithEveryPictureInput)
{
    test::ScopedDefaults defaults;
    NumberLabelVisualizer viz;
    const qint64 base = viz.renderKey(cpuSnapshot());
    EXPECT_EQ(viz.renderKey(cpuSnapshot()), base);
    EXPECT_NE(viz.renderKey(cpuSnapshot("43%")), base);
    EXPECT_NE(viz.renderKey(cpuSnapshot("42%", "")), base);
    defaults->set("global.statBgEnabled", true);
    const qint64 withBg = viz.renderKey(cpuSnapshot());
    EXPECT_NE(withBg, base);
    defaults->set("global.statBgHex", "#FF0000");
    EXPECT_NE(viz.renderKey(cpuSnapshot()), withBg);
    defaults->set(sizeKey, 26.0);
    postSizeChange();
    EXPECT_NE(viz.renderKey(cpuSnapshot()), withBg);
}

TEST(NumberLabelVisualizerRenderKey, DirectionalValueWithoutDisplayTextStillChangesTheKey)
{
    test::ScopedDefaults defaults;
    NumberLabelVisualizer viz;
    StatSnapshot a = netSnapshot(std::nullopt, std::nullopt);
    StatSnapshot b = a;
    b.breakdown[0].value = 2.5e6;
    EXPECT_NE(viz.renderKey(a), viz.renderKey(b));
    // The badge is not drawn on a directional tile, so it is not keyed.
    StatSnapshot c = a;
    c.badgeText = "OTHER";
    EXPECT_EQ(viz.renderKey(a), viz.renderKey(c));
}

TEST(NumberLabelVisualizerRender, SingleTileGeometryAndPillColourAtScaleTwo)
{
    test::ScopedDefaults defaults;
    defaults->set("global.statBgEnabled", true);
    defaults->set("global.statBgHex", "#FF0000");
    NumberLabelVisualizer viz;
    const QImage image = viz.makeView(cpuSnapshot(), Theme::dark)->render(2);
    ASSERT_EQ(image.size(), QSize(80, 44));
    EXPECT_EQ(image.devicePixelRatio(), 2);
    // Corners stay clear; the pill's straight part left of the text is red.
    EXPECT_EQ(test::pixelAt(image, 0, 0).alpha(), 0);
    EXPECT_EQ(test::pixelAt(image, 79, 43).alpha(), 0);
    const QColor pill = test::pixelAt(image, 14, 31);
    EXPECT_EQ(pill, QColor(255, 0, 0));
}

TEST(NumberLabelVisualizerRender, UnparsableBackgroundGivesThemePill)
{
    test::ScopedDefaults defaults;
    defaults->set("global.statBgEnabled", true);
    defaults->set("global.statBgHex", "#GG0000");
    NumberLabelVisualizer viz;
    const QColor dark = test::pixelAt(viz.makeView(cpuSnapshot(), Theme::dark)->render(2), 14, 31);
    EXPECT_EQ(dark.rgb() & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_NEAR(dark.alphaF(), 0.32, 0.01);
    const QColor light = test::pixelAt(viz.makeView(cpuSnapshot(), Theme::light)->render(2), 14, 31);
    EXPECT_EQ(light.rgb() & 0xFFFFFF, 0u);
    EXPECT_NEAR(light.alphaF(), 0.2, 0.01);
}

TEST(NumberLabelVisualizerRender, NoBackgroundLeavesPillAreaClearAndBadgeAddsInk)
{
    test::ScopedDefaults defaults;
    NumberLabelVisualizer viz;
    const QImage withBadge = viz.makeView(cpuSnapshot(), Theme::light)->render(1);
    EXPECT_EQ(test::pixelAt(withBadge, 3, 15).alpha(), 0);
    auto inkRows = [](const QImage& image) {
        int rows = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (test::pixelAt(image, x, y).alpha() > 0) {
                    ++rows;
                    break;
                }
            }
        }
        return rows;
    };
    const QImage withoutBadge = viz.makeView(cpuSnapshot("42%", ""), Theme::light)->render(1);
    EXPECT_GT(inkRows(withBadge), inkRows(withoutBadge));
}

TEST(NumberLabelVisualizerRender, DirectionalTileIsWideAndLeadingAligned)
{
    test::ScopedDefaults defaults;
    defaults->set("global.statBgEnabled", true); // never drawn for this shape
    NumberLabelVisualizer viz;
    StatSnapshot net = netSnapshot(std::nullopt, std::nullopt);
    net.breakdown[0].value = 12;
    net.breakdown[1].value = 3;
    const QImage image = viz.makeView(net, Theme::light)->render(2);
    ASSERT_EQ(image.size(), QSize(124, 44));
    int rightmostInk = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (test::pixelAt(image, x, y).alpha() > 0)
                rightmostInk = std::max(rightmostInk, x);
    EXPECT_GT(rightmostInk, 0);
    EXPECT_LT(rightmostInk, 62); // "▼ 12" and "▲ 3" are leading aligned; the rest is clear
    EXPECT_EQ(test::pixelAt(image, 123, 22).alpha(), 0);
}

TEST(NumberLabelConfigView, ReadsClampedSizeAndWritesAndPostsOnChange)
{
    test::ScopedDefaults defaults;
    NumberLabelVisualizer viz;
    defaults->set(sizeKey, 50.0);
    NumberLabelConfigView view("viz.numberLabel");
    EXPECT_EQ(view.size(), 30);
    EXPECT_EQ(view.valueLabel()->text(), "30pt");
    EXPECT_EQ(view.slider()->minimum(), 12);
    EXPECT_EQ(view.slider()->maximum(), 30);
    EXPECT_EQ(view.toolTip(), "Number label size in points. Range 12-30pt; font scales with height.");
    EXPECT_EQ(defaults->real(sizeKey), 50.0); // reading does not write

    view.slider()->setValue(18);
    EXPECT_EQ(defaults->real(sizeKey), 18.0);
    EXPECT_EQ(view.valueLabel()->text(), "18pt");
    EXPECT_EQ(viz.cachedSize(), 18); // the notice reached the visualizer
}
