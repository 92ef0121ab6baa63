// Settings window timings: opening the window, and loading settings backups.

#include "app/LazySettings.h"
#include "platform/core/Defaults.h"
#include "platform/core/PropertyList.h"
#include "schema/SettingsSchema.h"
#include "settings/SettingsView.h"
#include "settings/general/ConfigBackup.h"
#include "update/SparkleUpdater.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <memory>

#include <benchmark/benchmark.h>

using namespace gaugelet;

namespace {

// Opening the settings window: the window, the tab view and the General tab
// built, laid out and painted once.
void BM_SettingsWindowOpen(benchmark::State& state)
{
    SparkleUpdater updater;
    ViewEnvironment env;
    env.updater = &updater;
    QImage frame(SettingsView::smallestWidth, SettingsView::smallestHeight, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        LazySettings settings(env);
        settings.show();
        settings.window()->render(&frame);
        benchmark::DoNotOptimize(frame.constBits());
        state.PauseTiming();
        settings.window()->close();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SettingsWindowOpen)->Unit(benchmark::kMillisecond);

// A backup of about the given size: the usual settings, then filler keys.
QByteArray backupOfSize(qsizetype target)
{
    QVariantMap values{
        {SettingsSchema::pinnedSlots, QByteArray(R"([{"providerId":"cpu.total","visualizerId":"viz.runner.fox"}])")},
        {SettingsSchema::themeId, "one.dark"},
        {SettingsSchema::fpsLimit, 30},
        {SettingsSchema::alarms, QByteArray(R"([{"id":"a","providerId":"cpu.total","threshold":0.8}])")},
        {SettingsSchema::providerEnabled.key(u"net.total"), false},
        {SettingsSchema::visualizerSize.key(u"viz.pie"), 24.0},
        {SettingsSchema::tagOverride.key(u"cpu.total"), "PROC"},
    };
    QVariantMap root{{"version", 1}, {"exportedAt", QDateTime::currentDateTimeUtc()}, {"appVersion", "1.0"}};
    int i = 0;
    for (;;) {
        root["values"] = values;
        const QByteArray xml = PropertyList::toXml(root);
        if (xml.size() >= target)
            return xml;
        // Per-provider and store-newness keys of every type, as a long-used
        // setup collects; in big steps while far from the size.
        const int step = xml.size() < target * 9 / 10 ? int((target - xml.size()) / 80) + 8 : 8;
        for (int k = 0; k < step; ++k, ++i) {
            switch (i % 4) {
            case 0: values.insert(SettingsSchema::storeSeen.key(u"item.%1").arg(i), true); break;
            case 1: values.insert(QStringLiteral("provider.p%1.total.showCached").arg(i), false); break;
            case 2: values.insert(SettingsSchema::visualizerSize.key(u"viz.runner.k%1").arg(i), 20.0 + i % 20); break;
            default: values.insert(QStringLiteral("global.note%1").arg(i), QStringLiteral("value %1").arg(i)); break;
            }
        }
    }
}

void importBackup(benchmark::State& state, qsizetype size)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.gaugeletbackup");
    const QByteArray bytes = backupOfSize(size);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    file.close();
    // Each load replaces a store that holds other values (a fresh one with
    // the usual settings), as a real load does.
    qsizetype keys = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto defaults = std::make_unique<Defaults>(); // in memory
        defaults->set(SettingsSchema::themeId, "gum.light");
        defaults->set(SettingsSchema::pinnedSlots, QByteArray("[]"));
        defaults->set(SettingsSchema::providerEnabled.key(u"cpu.total"), true);
        state.ResumeTiming();
        auto result = ConfigBackup::importFrom(path, *defaults);
        if (!result)
            state.SkipWithError("import failed");
        state.PauseTiming();
        keys = defaults->userValues().size();
        defaults.reset();
        state.ResumeTiming();
    }
    state.counters["bytes"] = double(bytes.size());
    state.counters["keys"] = double(keys);
}

void BM_ConfigBackupImport9KB(benchmark::State& state) { importBackup(state, 9 * 1024); }
BENCHMARK(BM_ConfigBackupImport9KB)->Unit(benchmark::kMicrosecond);

void BM_ConfigBackupImport870KB(benchmark::State& state) { importBackup(state, 870 * 1024); }
BENCHMARK(BM_ConfigBackupImport870KB)->Unit(benchmark::kMillisecond);

} // namespace

namespace {
void BM_PropertyListParse870KB(benchmark::State& state)
{
    const QByteArray bytes = backupOfSize(870 * 1024);
    for (auto _ : state)
        benchmark::DoNotOptimize(PropertyList::fromData(bytes));
}
BENCHMARK(BM_PropertyListParse870KB)->Unit(benchmark::kMillisecond);
}
