#include "menubar/PieVisualizer.h"

#include "MenubarTestSupport.h"
#include "menubar/views/PieConfigView.h"
#include "platform/core/NotificationCenter.h"
#include "schema/SettingsSchema.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QSlider>
#include <gtest/gtest.h>
#include <limits>

using namespace gaugelet;

namespace {

const QString sizeKey = SettingsSchema::visualizerSize.key(u"viz.pie");
// Deep shades on a light panel, bright ones on a dark panel (4.5:1 on either).
const QColor greenLight(0x15, 0x69, 0x2C);
const QColor yellowLight(0x7A, 0x52, 0x00);
const QColor redLight(0xB3, 0x26, 0x1E);
const QColor redDark(0xFF, 0x8F, 0x85);

StatSnapshot snap(double value, const QString& provider = QStringLiteral("cpu.total"))
{
    StatSnapshot s;
    s.providerId = provider;
    s.value = value;
    s.label = "x";
    return s;
}

void postSizeChange() { NotificationCenter::defaultCenter().post("pie.size.changed.viz.pie"); }

::testing::AssertionResult near(const QColor& actual, const QColor& expected, int tolerance = 2)
{
    if (std::abs(actual.red() - expected.red()) <= tolerance && std::abs(actual.green() - expected.green()) <= tolerance
        && std::abs(actual.blue() - expected.blue()) <= tolerance
        && std::abs(actual.alpha() - expected.alpha()) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual.name(QColor::HexArgb).toStdString() << " is not "
                                         << expected.name(QColor::HexArgb).toStdString();
}

// Points on the ring's centre line of a 20 pt pie at 2×: the ring's centre is
// (10, 12) pt, radius 5.4 pt, line 4.2 pt.
struct Ring {
    QImage image;
    QColor top() const { return test::pixelAt(image, 20, 13); }
    QColor right() const { return test::pixelAt(image, 30, 24); }
    QColor bottom() const { return test::pixelAt(image, 20, 34); }
    QColor left() const { return test::pixelAt(image, 9, 24); }
    QColor centre() const { return test::pixelAt(image, 20, 24); }
};

Ring render(PieVisualizer& pie, double value, Theme theme = Theme::light)
{
    return Ring { pie.makeView(snap(value, QString("p%1").arg(value)), theme)->render(2) };
}

} // namespace

TEST(PieVisualizerDrawing, ArcFillsClockwiseFromTheTopOverTheTrack)
{
    test::ScopedDefaults defaults;
    PieVisualizer pie;
    const Ring ring = render(pie, 0.3);
    ASSERT_EQ(ring.image.size(), QSize(40, 40));
    const QColor track = QColor::fromRgbF(0, 0, 0, 0.45f);
    EXPECT_TRUE(near(ring.top(), greenLight));
    EXPECT_TRUE(near(ring.right(), greenLight));
    EXPECT_TRUE(near(ring.bottom(), track));
    EXPECT_TRUE(near(ring.left(), track));
    EXPECT_EQ(ring.centre().alpha(), 0);
    EXPECT_EQ(test::pixelAt(ring.image, 0, 0).alpha(), 0);
    // The ring sits 2 pt below the middle: nothing in the top 2 pt.
    for (int x = 0; x < 40; ++x)
        EXPECT_EQ(test::pixelAt(ring.image, x, 3).alpha(), 0);
}

TEST(PieVisualizerDrawing, ValueAboveOneIsAFullRedRingBelowZeroOnlyTheTrack)
{
    test::ScopedDefaults defaults;
    PieVisualizer pie;
    const Ring full = render(pie, 1.3);
    for (const QColor& c : { full.top(), full.right(), full.bottom(), full.left() })
        EXPECT_TRUE(near(c, redLight));
    const Ring empty = render(pie, -0.2, Theme::dark);
    const QColor track = QColor::fromRgbF(1, 1, 1, 0.45f);
    for (const QColor& c : { empty.top(), empty.right(), empty.bottom(), empty.left() })
        EXPECT_TRUE(near(c, track));
    const Ring nan = render(pie, std::numeric_limits<double>::quiet_NaN(), Theme::dark);
    EXPECT_TRUE(near(nan.top(), track));
}

TEST(PieVisualizerDrawing, ColourThresholdsAreInclusiveAtTheirLowerBound)
{
    test::ScopedDefaults defaults;
    PieVisualizer pie;
    EXPECT_TRUE(near(render(pie, 0.5999).top(), greenLight));
    EXPECT_TRUE(near(render(pie, 0.6).top(), yellowLight));
    EXPECT_TRUE(near(render(pie, 0.8499).top(), yellowLight));
    EXPECT_TRUE(near(render(pie, 0.85).top(), redLight));
    EXPECT_TRUE(near(render(pie, 0.9, Theme::dark).top(), redDark));
}

TEST(PieVisualizerCache, NearValuesReuseOneRingFartherOnesDrawAgain)
{
    test::ScopedDefaults defaults;
    PieVisualizer pie;
    const auto a = pie.ringImage(snap(0.5), Theme::light);
    EXPECT_EQ(pie.ringImage(snap(0.504), Theme::light), a);
    const auto b = pie.ringImage(snap(0.506), Theme::light);
    EXPECT_NE(b, a);
    EXPECT_EQ(pie.caches().size(), 1);
}

TEST(PieVisualizerCache, ValuesAboveOneShareTheRingOfOne)
{
    test::ScopedDefaults defaults;
    PieVisualizer pie;
    const auto full = pie.ringImage(snap(1.0), Theme::light);
    EXPECT_EQ(pie.ringImage(snap(1.7), Theme::light), full);
    EXPECT_EQ(pie.ringImage(snap(40.0), Theme::light), full);
    EXPECT_EQ(pie.ringImage(snap(std::numeric_limits<double>::infinity()), Theme::light), full);
    const auto empty = pie.ringImage(snap(0.0), Theme::light);
    EXPECT_EQ(pie.ringImage(snap(-3.0), Theme::light), empty);
}

TEST(PieVisualizerCache, KeptRingServesEveryScale)
{
    test::ScopedDefaults defaults;
    PieVisualizer pie;
    const StatSnapshot s = snap(0.3);
    const Ring first = Ring { pie.makeView(s, Theme::light)->render(2) };
    const QImage one = pie.makeView(s, Theme::light)->render(1);
    ASSERT_EQ(one.size(), QSize(20, 20));
    EXPECT_TRUE(near(test::pixelAt(one, 10, 6), greenLight)); // the top at 1×
    const Ring again = Ring { pie.makeView(s, Theme::light)->render(2) };
    EXPECT_EQ(again.image, first.image);
    EXPECT_EQ(pie.caches().size(), 1);
}

TEST(PieVisualizerCache, ThemeSwitchRedrawsWithTheSameValue)
{
    test::ScopedDefaults defaults;
    PieVisualizer pie;
    const auto light = pie.ringImage(snap(0.5), Theme::light);
    const auto dark = pie.ringImage(snap(0.5), Theme::dark);
    EXPECT_NE(light, dark);
    EXPECT_EQ(pie.caches().value("cpu.total").theme, "dark");
}

TEST(PieVisualizerCache, SizeNoticeEmptiesTheCacheForEveryProvider)
{
    test::ScopedDefaults defaults;
    PieVisualizer pie;
    pie.ringImage(snap(0.5, "cpu.total"), Theme::light);
    pie.ringImage(snap(0.5, "gpu.total"), Theme::light);
    ASSERT_EQ(pie.caches().size(), 2);
    defaults->set(sizeKey, 30.0);
    postSizeChange();
    EXPECT_TRUE(pie.caches().isEmpty());
    EXPECT_EQ(pie.cachedSize(), 30);
    EXPECT_EQ(pie.makeView(snap(0.5), Theme::light)->render(2).size(), QSize(60, 60));
}

TEST(PieVisualizerSize, RestoredSizeIsClampedToTheSlidersRange)
{
    test::ScopedDefaults defaults;
    defaults->set(sizeKey, 1e6);
    PieVisualizer pie;
    EXPECT_EQ(pie.cachedSize(), 40);
    EXPECT_EQ(pie.size(), QSizeF(40, 40));
    EXPECT_EQ(pie.makeView(snap(0.5), Theme::light)->render(2).size(), QSize(80, 80));

    defaults->set(sizeKey, 0.0);
    postSizeChange();
    EXPECT_EQ(pie.cachedSize(), 10);
    const QImage small = pie.makeView(snap(0.5), Theme::light)->render(2);
    ASSERT_EQ(small.size(), QSize(20, 20));
    bool ink = false;
    for (int y = 0; y < 20 && !ink; ++y)
        for (int x = 0; x < 20 && !ink; ++x)
            ink = test::pixelAt(small, x, y).alpha() > 0;
    EXPECT_TRUE(ink);

    defaults->set(sizeKey, std::numeric_limits<double>::quiet_NaN());
    postSizeChange();
    EXPECT_EQ(pie.cachedSize(), 20);
    defaults->set(sizeKey, -std::numeric_limits<double>::infinity());
    postSizeChange();
    EXPECT_EQ(pie.cachedSize(), 20);
}

TEST(PieVisualizerRenderKey, TruncatesValueTimesThousandAndIncludesSize)
{
    test::ScopedDefaults defaults;
    PieVisualizer pie;
    EXPECT_EQ(pie.renderKey(snap(0.5)), pie.renderKey(snap(0.5004)));
    EXPECT_NE(pie.renderKey(snap(0.5)), pie.renderKey(snap(0.501)));
    EXPECT_NE(pie.renderKey(snap(0.5, "cpu.total")), pie.renderKey(snap(0.5, "gpu.total")));
    const qint64 before = pie.renderKey(snap(0.5));
    defaults->set(sizeKey, 25.0);
    postSizeChange();
    EXPECT_NE(pie.renderKey(snap(0.5)), before);
}

TEST(PieVisualizerRenderKey, NonFiniteAndHugeValuesGiveFixedKeys)
{
    test::ScopedDefaults defaults;
    PieVisualizer pie;
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(pie.renderKey(snap(nan)), pie.renderKey(snap(nan)));
    EXPECT_EQ(pie.renderKey(snap(nan)), pie.renderKey(snap(0)));
    EXPECT_EQ(pie.renderKey(snap(inf)), pie.renderKey(snap(1e300)));
    EXPECT_EQ(pie.renderKey(snap(-inf)), pie.renderKey(snap(-1e300)));
    EXPECT_NE(pie.renderKey(snap(inf)), pie.renderKey(snap(-inf)));
}

TEST(PieConfigView, ReadsClampedSizeWritesAndPostsOnChange)
{
    test::ScopedDefaults defaults;
    PieVisualizer pie;
    pie.ringImage(snap(0.5), Theme::light);
    defaults->set(sizeKey, 1e6);
    PieConfigView view("viz.pie");
    EXPECT_EQ(view.size(), 40);
    EXPECT_EQ(view.valueLabel()->text(), "40pt");
    EXPECT_EQ(view.slider()->minimum(), 10);
    EXPECT_EQ(view.slider()->maximum(), 40);
    view.slider()->setValue(12);
    EXPECT_EQ(defaults->real(sizeKey), 12.0);
    EXPECT_EQ(pie.cachedSize(), 12);
    EXPECT_TRUE(pie.caches().isEmpty());
}
