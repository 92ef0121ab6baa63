// Costs of the popover's charts and detail views: one flowing-chart frame,
// the four detail views redrawing while shown (as a share of one
// core), and painting the four detail views once.
#include "charts/PopupBars.h"
#include "charts/PopupThroughput.h"
#include "stats/CPUExtras.h"
#include "stats/MemoryExtras.h"
#include "stats/NetworkExtras.h"
#include "stats/NetworkProvider.h"
#include "stats/StatHistoryStore.h"
#include "stats/ThemeStore.h"
#include "stats/views/CPUDetailBody.h"
#include "stats/views/GPUDetailBody.h"
#include "stats/views/MemoryDetailBody.h"
#include "stats/views/NetworkDetailBody.h"
#include "views/ViewEnvironment.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>
#include <benchmark/benchmark.h>
#include <cmath>
#include <ctime>
#include <memory>

using namespace gaugelet;

namespace {

constexpr int kWidth = 352;
constexpr uint64_t GiB = 1024ull * 1024 * 1024;

double processCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

Series series(const char* id, double v)
{
    return Series{QString::fromLatin1(id), QString::fromLatin1(id), v, std::nullopt};
}

StatSnapshot sampleOf(const QString& id, int i, const QDateTime& t)
{
    StatSnapshot s;
    s.providerId = id;
    s.asOf = t;
    if (id == ProviderIds::cpu) {
        const double user = 25 + 15 * std::sin(i / 6.0);
        const double system = 8 + 4 * std::cos(i / 4.0);
        s.breakdown = {series("user", user), series("system", system), series("idle", 100 - user - system)};
        CPUExtras e{user, system, 100 - user - system, {}};
        for (int c = 0; c < 16; ++c)
            e.perCore.append({std::fmod(0.1 + 0.37 * c + 0.01 * i, 1.0),
                              c < 12 ? CPUCoreKind::performance : CPUCoreKind::efficiency});
        s.extras.insert(CPUExtras::key, e);
    } else if (id == ProviderIds::gpu) {
        s.breakdown = {series("device", 30 + 20 * std::sin(i / 5.0)), series("renderer", 15)};
    } else if (id == ProviderIds::memory) {
        MemoryExtras m;
        m.appBytes = 6 * GiB;
        m.wiredBytes = 2 * GiB;
        m.compressedBytes = GiB / 2;
        m.cachedBytes = 4 * GiB + uint64_t(i) * 1024;
        m.totalBytes = 16 * GiB;
        s.extras.insert(MemoryExtras::key, m);
    } else {
        const double up = 2e5 + 1e5 * std::sin(i / 3.0), down = 1.2e6 + 8e5 * std::cos(i / 5.0);
        s.breakdown = {series("up", up), series("down", down)};
        NetworkExtras n{up, down, QStringLiteral("wlp3s0"), InterfaceKind::wifi, QStringLiteral("192.168.1.23"),
                        QStringLiteral("fe80::1"), QStringLiteral("203.0.113.7")};
        s.extras.insert(NetworkExtras::key, n);
    }
    s.label = QStringLiteral("42%");
    return s;
}

// The open popover's column: the four detail views over a minute of history.
struct Column {
    StatHistoryStore history;
    ThemeStore theme{QStringLiteral("gum.dark")};
    ViewEnvironment env;
    QWidget host;
    QList<StatDetailView*> views;
    int tick = 0;

    Column()
    {
        env.history = &history;
        env.theme = &theme;
        const QDateTime now = QDateTime::currentDateTimeUtc();
        for (int i = 0; i < 60; ++i) {
            for (const QString& id : {ProviderIds::cpu, ProviderIds::gpu, ProviderIds::memory, ProviderIds::network})
                history.record(sampleOf(id, i, now.addSecs(i - 59)));
        }
        auto* layout = new QVBoxLayout(&host);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(12);
        views = {new CPUDetailBody(sampleOf(ProviderIds::cpu, 59, now), env, &host),
                 new GPUDetailBody(sampleOf(ProviderIds::gpu, 59, now), env, &host),
                 new MemoryDetailBody(sampleOf(ProviderIds::memory, 59, now), env, &host),
                 new NetworkDetailBody(sampleOf(ProviderIds::network, 59, now), env, &host)};
        for (auto* v : views)
            layout->addWidget(v);
        host.setFixedWidth(kWidth);
        host.resize(kWidth, layout->totalHeightForWidth(kWidth));
    }

    // One publish: a new sample recorded and handed to every view.
    void publish()
    {
        const QDateTime now = QDateTime::currentDateTimeUtc();
        ++tick;
        const QString ids[] = {ProviderIds::cpu, ProviderIds::gpu, ProviderIds::memory, ProviderIds::network};
        for (int k = 0; k < 4; ++k) {
            const StatSnapshot s = sampleOf(ids[k], 60 + tick, now);
            history.record(s);
            views[k]->setSnapshot(s);
        }
    }
};

void BM_FlowingChartFrame(benchmark::State& state)
{
    PopupBars::Input in;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < 60; ++i) {
        in.buckets.append({0.25 + 0.15 * std::sin(i / 6.0), 0.08 + 0.04 * std::cos(i / 4.0)});
        in.times.append(now.addSecs(i - 59));
    }
    in.tints = {QColor(0x4A, 0x87, 0xFF), QColor(0xFF, 0x7C, 0xCB)};
    in.flowing = true;
    QImage image(kWidth * 2, 120, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    for (auto _ : state) {
        image.fill(Qt::transparent);
        QPainter p(&image);
        ChartShape::paint(p, PopupBars::shapes(in, QSizeF(kWidth, 60), now));
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_FlowingChartFrame)->Unit(benchmark::kMicrosecond);

void BM_ThroughputChartFrame(benchmark::State& state)
{
    PopupThroughput::Input in;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < 60; ++i) {
        in.up.append(2e5 + 1e5 * std::sin(i / 3.0));
        in.down.append(1.2e6 + 8e5 * std::cos(i / 5.0));
        in.times.append(now.addSecs(i - 59));
    }
    in.upTint = QColor(0x0E, 0xA5, 0xE9);
    in.downTint = QColor(0x22, 0xD3, 0xEE);
    in.yMagnitude = 2e6;
    QImage image(kWidth * 2, 120, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    for (auto _ : state) {
        image.fill(Qt::transparent);
        QPainter p(&image);
        ChartShape::paint(p, PopupThroughput::shapes(in, QSizeF(kWidth, 60), now));
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_ThroughputChartFrame)->Unit(benchmark::kMicrosecond);

// The four views shown for five seconds with a publish every second; the
// share of one core the process spends (counter core_percent).
void BM_FourDetailViewsShown(benchmark::State& state)
{
    Column column;
    column.host.show();
    QCoreApplication::processEvents();
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        const double cpu0 = processCpuSeconds();
        QElapsedTimer timer;
        timer.start();
        QEventLoop loop;
        QTimer publisher;
        QObject::connect(&publisher, &QTimer::timeout, &loop, [&] { column.publish(); });
        publisher.start(1000);
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
        cpu += processCpuSeconds() - cpu0;
        wall += double(timer.nsecsElapsed()) * 1e-9;
    }
    state.counters["core_percent"] = wall > 0 ? cpu / wall * 100 : 0;
    column.host.hide();
}
BENCHMARK(BM_FourDetailViewsShown)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_PaintFourDetailViewsOnce(benchmark::State& state)
{
    Column column;
    column.host.show();
    QCoreApplication::processEvents();
    QImage image(column.host.size() * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    for (auto _ : state) {
        image.fill(Qt::black);
        column.host.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        benchmark::DoNotOptimize(image.constBits());
    }
    column.host.hide();
}
BENCHMARK(BM_PaintFourDetailViewsOnce)->Unit(benchmark::kMillisecond);

} // namespace
