#include "menubar/SparklineVisualizer.h"

#include "MenubarTestSupport.h"
#include "menubar/views/VisualizerViews.h"

#include <QLabel>
#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

StatSnapshot snap(double value, int second, const QString& provider = QStringLiteral("cpu.total"))
{
    StatSnapshot s;
    s.providerId = provider;
    s.value = value;
    s.asOf = QDateTime::fromSecsSinceEpoch(1'800'000'000 + second, Qt::UTC);
    return s;
}

bool rowHasInk(const QImage& image, int y)
{
    for (int x = 0; x < image.width(); ++x) {
        if (test::pixelAt(image, x, y).alpha() > 0)
            return true;
    }
    return false;
}

} // namespace

TEST(SparklineVisualizerIngest, SameAsOfTwiceTakesNothingInAndKeepsTheKey)
{
    SparklineVisualizer viz("viz.sparkline", "Sparkline");
    const qint64 first = viz.renderKey(snap(0.2, 0));
    EXPECT_EQ(viz.renderKey(snap(0.9, 0)), first);
    EXPECT_EQ(viz.seq("cpu.total"), 1);
    EXPECT_EQ(viz.ring("cpu.total"), (QList<double> { 0.2 }));
    EXPECT_NE(viz.renderKey(snap(0.9, 1)), first);
    EXPECT_EQ(viz.seq("cpu.total"), 2);
}

TEST(SparklineVisualizerIngest, RingKeepsTheLast48Values)
{
    SparklineVisualizer viz("viz.sparkline", "Sparkline");
    for (int i = 0; i < 50; ++i)
        viz.ingest(snap(i, i));
    const QList<double> ring = viz.ring("cpu.total");
    ASSERT_EQ(ring.size(), 48);
    EXPECT_EQ(ring.first(), 2);
    EXPECT_EQ(ring.last(), 49);
    EXPECT_EQ(viz.seq("cpu.total"), 50);
}

TEST(SparklineVisualizerIngest, ProvidersAreIndependent)
{
    SparklineVisualizer viz("viz.sparkline", "Sparkline");
    viz.ingest(snap(0.1, 0, "cpu.total"));
    viz.ingest(snap(0.2, 0, "gpu.total"));
    viz.ingest(snap(0.3, 1, "gpu.total"));
    EXPECT_EQ(viz.ring("cpu.total"), (QList<double> { 0.1 }));
    EXPECT_EQ(viz.ring("gpu.total"), (QList<double> { 0.2, 0.3 }));
    EXPECT_EQ(viz.seq("gpu.total"), 2);
}

TEST(SparklineVisualizerDrawing, IdenticalValuesDrawAlongTheBottomEdge)
{
    SparklineVisualizer viz("viz.sparkline", "Sparkline");
    for (int i = 0; i < 5; ++i)
        viz.renderKey(snap(0.5, i));
    const QImage image = viz.makeView(snap(0.5, 4), Theme::dark)->render(2);
    ASSERT_EQ(image.size(), QSize(44, 32));
    EXPECT_TRUE(rowHasInk(image, 31));
    EXPECT_FALSE(rowHasInk(image, 16));
    const QColor line = test::pixelAt(image, 22, 31);
    EXPECT_EQ(line.rgb() & 0xFFFFFF, 0xFFFFFFu);
}

TEST(SparklineVisualizerDrawing, NeverKeyedProviderDrawsAFlatLineThroughTheMiddleOverAFill)
{
    SparklineVisualizer viz("viz.sparkline", "Sparkline");
    const QImage image = viz.makeView(snap(0.7, 0, "net.total"), Theme::light)->render(2);
    EXPECT_TRUE(rowHasInk(image, 15));
    EXPECT_TRUE(rowHasInk(image, 16));
    EXPECT_FALSE(rowHasInk(image, 2));
    const QColor line = test::pixelAt(image, 22, 16);
    EXPECT_EQ(line.rgb() & 0xFFFFFF, 0u);
    EXPECT_NEAR(line.alphaF(), 0.8, 0.02);
    // The line is 1.5 points (3 pixels) thick, not a faint hairline,
    int strongRows = 0;
    for (int y = 0; y < image.height(); ++y)
        strongRows += test::pixelAt(image, 22, y).alphaF() > 0.3 ? 1 : 0;
    EXPECT_GE(strongRows, 3);
    // and the area under it takes a light fill of the same colour.
    const QColor fill = test::pixelAt(image, 22, 28);
    EXPECT_EQ(fill.rgb() & 0xFFFFFF, 0u);
    EXPECT_NEAR(fill.alphaF(), 0.8 * SparklineVisualizer::fillOpacity, 0.02);
}

TEST(SparklineVisualizerDrawing, RisingValuesGoFromBottomLeftToTopRight)
{
    SparklineVisualizer viz("viz.sparkline", "Sparkline");
    viz.renderKey(snap(0.1, 0));
    viz.renderKey(snap(0.9, 1));
    const QImage image = viz.makeView(snap(0.9, 1), Theme::light)->render(2);
    EXPECT_GT(test::pixelAt(image, 1, 31).alpha(), 0);
    EXPECT_GT(test::pixelAt(image, 42, 0).alpha(), 0);
    EXPECT_EQ(test::pixelAt(image, 1, 0).alpha(), 0);
    // Under the line only the light fill.
    EXPECT_LT(test::pixelAt(image, 42, 31).alphaF(), 0.3);
}

TEST(SparklineVisualizerInterface, FixedSizeAndCaptionConfigView)
{
    SparklineVisualizer viz("viz.sparkline", "Sparkline");
    EXPECT_EQ(viz.size(), QSizeF(22, 16));
    EXPECT_EQ(viz.chipLabel(), "Sparkline");
    std::unique_ptr<QWidget> view(VisualizerViews::makeConfigView(viz));
    auto* label = qobject_cast<QLabel*>(view.get());
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), "The line advances one point per sample. Density follows the provider's refresh rate.");
    EXPECT_TRUE(label->wordWrap());
}
