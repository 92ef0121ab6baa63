#include "menubar/NumberLabelVisualizer.h"

#include "MenubarTestSupport.h"
#include "menubar/views/NumberLabelConfigView.h"
#include "platform/core/NotificationCenter.h"
#include "schema/SettingsSchema.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QSlider>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace gaugelet;

namespace {

const QString sizeKey = SettingsSchema::visualizerSize.key(u"viz.numberLabel");

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
    EXPECT_EQ(viz.size(), QSizeF(22, 22));
}

// Square for either shape, so a panel that fits each tile into a square slot
// shows it unshrunk.
TEST(NumberLabelVisualizerSize, TheTileIsSquareForEitherShape)
{
    test::ScopedDefaults defaults;
    NumberLabelVisualizer viz;
    EXPECT_EQ(viz.size(), QSizeF(22, 22));
    viz.renderKey(netSnapshot());
    EXPECT_EQ(viz.lastShape(), NumberLabelVisualizer::Shape::directional);
    EXPECT_EQ(viz.size(), QSizeF(22, 22));
    defaults->set(sizeKey, 30.0);
    postSizeChange();
    viz.makeView(cpuSnapshot(), Theme::light);
    EXPECT_EQ(viz.lastShape(), NumberLabelVisualizer::Shape::single);
    EXPECT_EQ(viz.size(), QSizeF(30, 30));
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
    defaults->set(SettingsSchema::statBgEnabled, true);
    const qint64 withBg = viz.renderKey(cpuSnapshot());
    EXPECT_NE(withBg, base);
    defaults->set(SettingsSchema::statBgHex, "#FF0000");
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

namespace {

// The colours found in one column of an image, top to bottom.
QList<QColor> column(const QImage& image, int x)
{
    QList<QColor> colours;
    for (int y = 0; y < image.height(); ++y)
        colours.append(test::pixelAt(image, x, y));
    return colours;
}

} // namespace

TEST(NumberLabelVisualizerRender, SingleTileGeometryAndPillColourAtScaleTwo)
{
    test::ScopedDefaults defaults;
    defaults->set(SettingsSchema::statBgEnabled, true);
    defaults->set(SettingsSchema::statBgHex, "#FF0000");
    NumberLabelVisualizer viz;
    const QImage image = viz.makeView(cpuSnapshot(), Theme::dark)->render(2);
    ASSERT_EQ(image.size(), QSize(44, 44));
    EXPECT_EQ(image.devicePixelRatio(), 2);
    // Corners stay clear; the pill's straight part left of the text is red.
    EXPECT_EQ(test::pixelAt(image, 0, 0).alpha(), 0);
    EXPECT_EQ(test::pixelAt(image, 43, 43).alpha(), 0);
    EXPECT_TRUE(column(image, 3).contains(QColor(255, 0, 0)));
}

TEST(NumberLabelVisualizerRender, UnparsableBackgroundGivesThemePill)
{
    test::ScopedDefaults defaults;
    defaults->set(SettingsSchema::statBgEnabled, true);
    defaults->set(SettingsSchema::statBgHex, "#GG0000");
    NumberLabelVisualizer viz;
    auto pillOf = [&](Theme theme) {
        const QList<QColor> colours = column(viz.makeView(cpuSnapshot(), theme)->render(2), 3);
        return *std::max_element(colours.cbegin(), colours.cend(),
                                 [](const QColor& a, const QColor& b) { return a.alpha() < b.alpha(); });
    };
    const QColor dark = pillOf(Theme::dark);
    EXPECT_EQ(dark.rgb() & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_NEAR(dark.alphaF(), 0.32, 0.01);
    const QColor light = pillOf(Theme::light);
    EXPECT_EQ(light.rgb() & 0xFFFFFF, 0u);
    EXPECT_NEAR(light.alphaF(), 0.2, 0.01);
}

TEST(NumberLabelVisualizerRender, NoBackgroundLeavesPillAreaClearAndBadgeAddsInk)
{
    test::ScopedDefaults defaults;
    NumberLabelVisualizer viz;
    const QImage withBadge = viz.makeView(cpuSnapshot(), Theme::light)->render(2);
    for (const QColor& c : column(withBadge, 0))
        EXPECT_EQ(c.alpha(), 0);
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
    const QImage withoutBadge = viz.makeView(cpuSnapshot("42%", ""), Theme::light)->render(2);
    EXPECT_GT(inkRows(withBadge), inkRows(withoutBadge));
}

TEST(NumberLabelVisualizerRender, DirectionalTileIsSquareLeadingAlignedAndFullyInside)
{
    test::ScopedDefaults defaults;
    defaults->set(SettingsSchema::statBgEnabled, true); // never drawn for this shape
    NumberLabelVisualizer viz;
    StatSnapshot net = netSnapshot(std::nullopt, std::nullopt);
    net.breakdown[0].value = 12;
    net.breakdown[1].value = 3;
    const QImage image = viz.makeView(net, Theme::light)->render(2);
    ASSERT_EQ(image.size(), QSize(44, 44));
    int leftmostInk = image.width(), rightmostInk = -1, topInk = image.height(), bottomInk = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (test::pixelAt(image, x, y).alpha() > 0) {
                leftmostInk = std::min(leftmostInk, x);
                rightmostInk = std::max(rightmostInk, x);
                topInk = std::min(topInk, y);
                bottomInk = std::max(bottomInk, y);
            }
    // The arrows start at the leading edge; "12" and "3" leave the trailing
    // edge clear; neither line reaches the top or bottom row (the old
    // two-line tile lost its second line's last rows there).
    EXPECT_LE(leftmostInk, 2);
    EXPECT_LT(rightmostInk, 40);
    EXPECT_GT(topInk, 0);
    EXPECT_LT(bottomInk, 43);
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

TEST(NumberLabelConfigView, EachKnobPositionShowsItsOwnSize)
{
    // A stored size between whole points (a restored backup) reads as the
    // knob's position, not one point below it.
    test::ScopedDefaults defaults;
    NumberLabelVisualizer viz;
    for (const double stored : {22.4, 22.5, 22.6, 12.2, 29.7}) {
        defaults->set(sizeKey, stored);
        NumberLabelConfigView view("viz.numberLabel");
        EXPECT_EQ(view.slider()->value(), std::lround(stored)) << stored;
        EXPECT_EQ(view.valueLabel()->text(), QString::number(view.slider()->value()) + "pt") << stored;
    }
}
