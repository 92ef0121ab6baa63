// Runner sprites: building the frames of a 10-frame kind (target under 5 ms),
// the visualizer's frame list once built (under 1 µs), and one compositor
// frame with a running sprite and two static tiles at 2× (under 300 µs).

#include "menubar/PieVisualizer.h"
#include "menubar/RunnerFrames.h"
#include "menubar/RunnerKind.h"
#include "menubar/RunnerLayer.h"
#include "menubar/RunnerVisualizer.h"
#include "platform/core/Defaults.h"
#include "platform/statusitem/Layer.h"
#include "platform/statusitem/LayerCompositor.h"
#include "schema/SettingsSchema.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace gaugelet;

namespace {

// A bundle folder with frameCount 96 × 72 frames of a figure that moves a
// little from frame to frame, as the shipped packs are drawn.
struct SpriteFolder {
    QTemporaryDir dir;
    RunnerKind kind;

    explicit SpriteFolder(int frameCount)
    {
        QDir().mkpath(dir.filePath(QStringLiteral("assets")));
        for (int i = 0; i < frameCount; ++i) {
            QImage image(96, 72, QImage::Format_ARGB32);
            image.fill(Qt::transparent);
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(QColor(60, 30, 10), 2.5));
            p.setBrush(QColor(220, 110, 40));
            p.drawEllipse(QRectF(20 + i, 24 - (i % 3), 46, 24));
            p.drawEllipse(QRectF(62 + i, 14 - (i % 3), 18, 16));
            p.drawLine(QPointF(30 + i, 46), QPointF(24 + 2 * i, 64));
            p.drawLine(QPointF(56 + i, 46), QPointF(62 - i, 64));
            p.end();
            image.save(dir.filePath(RunnerKind::framePath(QStringLiteral("bench"), i)), "PNG");
        }
        kind.id = QStringLiteral("bench");
        kind.displayName = QStringLiteral("Bench");
        kind.frameCount = frameCount;
        kind.defaultSize = 22;
        kind.assetPrefix = QStringLiteral("bench");
        kind.assetSource = RunnerKind::Source::directory(dir.path());
        kind.fallbackSymbols = RunnerKind::sharedFallbackSymbols();
    }
};

StatSnapshot cpuSnapshot(double value)
{
    StatSnapshot s;
    s.providerId = QStringLiteral("cpu.total");
    s.badgeText = QStringLiteral("CPU");
    s.value = value;
    return s;
}

void BM_RunnerFramesBuild10Frames(benchmark::State& state)
{
    SpriteFolder folder(10);
    for (auto _ : state) {
        RunnerFrames frames(folder.kind);
        benchmark::DoNotOptimize(frames.verticalBias());
    }
}
BENCHMARK(BM_RunnerFramesBuild10Frames)->Unit(benchmark::kMillisecond);

void BM_RunnerVisualizerFramesCached(benchmark::State& state)
{
    SpriteFolder folder(10);
    RunnerVisualizer runner(folder.kind);
    const StatSnapshot snapshot = cpuSnapshot(0.42);
    runner.frames(Theme::dark, snapshot);
    for (auto _ : state)
        benchmark::DoNotOptimize(runner.frames(Theme::dark, snapshot));
}
BENCHMARK(BM_RunnerVisualizerFramesCached);

void BM_RunnerVisualizerTintedFramesCached(benchmark::State& state)
{
    SpriteFolder folder(10);
    Defaults::standard()->set(SettingsSchema::runnerTintEnabled, true);
    RunnerVisualizer runner(folder.kind);
    const StatSnapshot snapshot = cpuSnapshot(0.95);
    runner.frames(Theme::dark, snapshot);
    for (auto _ : state)
        benchmark::DoNotOptimize(runner.frames(Theme::dark, snapshot));
    Defaults::standard()->remove(SettingsSchema::runnerTintEnabled);
}
BENCHMARK(BM_RunnerVisualizerTintedFramesCached);

// A status row as the controller builds it: a running sprite of 22 points
// and two pies of 20 points, rendered at 2× at a moving media time.
void BM_CompositorFrameSpriteAndTwoTiles2x(benchmark::State& state)
{
    SpriteFolder folder(10);
    RunnerVisualizer runner(folder.kind);
    PieVisualizer pie;
    auto root = Layer::create();
    root->setFrame(QRectF(0, 0, 80, 22));
    LayerCompositor compositor(root);
    auto sprite = RunnerLayer::create();
    sprite->setFrame(QRectF(0, 0, 22, 22));
    root->addSublayer(sprite);
    sprite->apply(runner.frames(Theme::dark, cpuSnapshot(0.6)), runner.cycleDuration(cpuSnapshot(0.6)));
    double x = 28;
    for (double value : {0.3, 0.8}) {
        auto tile = Layer::create();
        StatSnapshot s = cpuSnapshot(value);
        tile->setContents(pie.makeView(s, Theme::dark)->render(2.0));
        tile->setContentsScale(2.0);
        tile->setFrame(QRectF(x, 1, 20, 20));
        root->addSublayer(tile);
        x += 26;
    }
    double t = 1000;
    for (auto _ : state) {
        t += 1.0 / 15;
        const QImage image = compositor.render(QSizeF(80, 22), 2.0, t);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_CompositorFrameSpriteAndTwoTiles2x)->Unit(benchmark::kMicrosecond);

} // namespace
