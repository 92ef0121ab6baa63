// Menu-bar tiles: one tile of each visualizer rendered at 2× (target under
// 100 µs each) and the render keys (target under 1 µs).

#include "menubar/NumberLabelVisualizer.h"
#include "menubar/PieVisualizer.h"
#include "menubar/SparklineVisualizer.h"
#include "platform/core/Defaults.h"

#include <QApplication>
#include <array>
#include <benchmark/benchmark.h>
#include <cmath>

using namespace gaugelet;

namespace {

StatSnapshot cpuSnapshot(double value, int second)
{
    StatSnapshot s;
    s.providerId = QStringLiteral("cpu.total");
    s.badgeText = QStringLiteral("CPU");
    s.value = value;
    s.label = QStringLiteral("%1%").arg(int(value * 100));
    s.breakdown = { { "user", "User", value * 70, std::nullopt }, { "system", "System", value * 30, std::nullopt } };
    s.asOf = QDateTime::fromSecsSinceEpoch(1'800'000'000 + second, Qt::UTC);
    return s;
}

StatSnapshot netSnapshot()
{
    StatSnapshot s;
    s.providerId = QStringLiteral("net.total");
    s.badgeText = QStringLiteral("NET");
    s.value = 0.1;
    s.label = QStringLiteral("1.2M");
    s.breakdown = { { "down", "Down", 1.2e6, QString("1.2M") }, { "up", "Up", 8.1e4, QString("81K") } };
    return s;
}

void BM_NumberLabelRender2x(benchmark::State& state)
{
    NumberLabelVisualizer viz;
    const StatSnapshot snapshot = cpuSnapshot(0.42, 0);
    for (auto _ : state) {
        QImage image = viz.makeView(snapshot, Theme::dark)->render(2);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_NumberLabelRender2x);

void BM_NumberLabelDirectionalRender2x(benchmark::State& state)
{
    NumberLabelVisualizer viz;
    const StatSnapshot snapshot = netSnapshot();
    for (auto _ : state) {
        QImage image = viz.makeView(snapshot, Theme::light)->render(2);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_NumberLabelDirectionalRender2x);

// A value tile where the panel's shade is a guess (with its contour), drawn
// at every height the status item offers, its value wandering over twenty
// figures as a busy processor's does: what one second of a static tile costs.
void BM_NumberLabelContouredEveryHeight(benchmark::State& state)
{
    NumberLabelVisualizer viz;
    constexpr std::array<int, 6> pixelSizes{16, 22, 24, 32, 44, 48};
    int second = 0;
    for (auto _ : state) {
        ++second;
        const StatSnapshot snapshot = cpuSnapshot(0.3 + 0.01 * (second % 20), second);
        for (const int pixels : pixelSizes) {
            QImage image = viz.makeView(snapshot, Theme::guessedDark)->render(pixels / 22.0);
            benchmark::DoNotOptimize(image.constBits());
        }
    }
}
BENCHMARK(BM_NumberLabelContouredEveryHeight);

void BM_PieRender2x(benchmark::State& state)
{
    PieVisualizer pie;
    // Alternating values miss the ring cache every time: the full drawing.
    const StatSnapshot a = cpuSnapshot(0.42, 0);
    const StatSnapshot b = cpuSnapshot(0.77, 0);
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        QImage image = pie.makeView(flip ? a : b, Theme::dark)->render(2);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_PieRender2x);

void BM_PieRender2xSameRing(benchmark::State& state)
{
    PieVisualizer pie;
    // A value within 0.005 of the last one: the kept ring is copied.
    const StatSnapshot a = cpuSnapshot(0.420, 0);
    const StatSnapshot b = cpuSnapshot(0.422, 0);
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        QImage image = pie.makeView(flip ? a : b, Theme::dark)->render(2);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_PieRender2xSameRing);

void BM_SparklineRender2x(benchmark::State& state)
{
    SparklineVisualizer viz(QStringLiteral("viz.sparkline"), QStringLiteral("Sparkline"));
    for (int i = 0; i < 48; ++i)
        viz.ingest(cpuSnapshot(0.5 + 0.4 * std::sin(i / 5.0), i));
    const StatSnapshot snapshot = cpuSnapshot(0.5, 47);
    for (auto _ : state) {
        QImage image = viz.makeView(snapshot, Theme::light)->render(2);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_SparklineRender2x);

void BM_NumberLabelRenderKey(benchmark::State& state)
{
    NumberLabelVisualizer viz;
    const StatSnapshot snapshot = cpuSnapshot(0.42, 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(viz.renderKey(snapshot));
}
BENCHMARK(BM_NumberLabelRenderKey);

void BM_PieRenderKey(benchmark::State& state)
{
    PieVisualizer pie;
    const StatSnapshot snapshot = cpuSnapshot(0.42, 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(pie.renderKey(snapshot));
}
BENCHMARK(BM_PieRenderKey);

void BM_SparklineRenderKey(benchmark::State& state)
{
    SparklineVisualizer viz(QStringLiteral("viz.sparkline"), QStringLiteral("Sparkline"));
    const StatSnapshot snapshot = cpuSnapshot(0.42, 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(viz.renderKey(snapshot));
}
BENCHMARK(BM_SparklineRenderKey);

} // namespace
// A contoured value tile at 2x with a value it has never shown.
void BM_NumberLabelContouredNewValue2x(benchmark::State& state)
{
    NumberLabelVisualizer viz;
    int second = 0;
    for (auto _ : state) {
        ++second;
        StatSnapshot snapshot = cpuSnapshot(0.3, second);
        snapshot.label = QString::number(second % 100000);
        QImage image = viz.makeView(snapshot, Theme::guessedDark)->render(2);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_NumberLabelContouredNewValue2x);
