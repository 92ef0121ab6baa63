#include "stats/views/CPUDetailBody.h"
#include "DetailViewFixture.h"
#include "charts/ChartTimeline.h"
#include "charts/PopupBars.h"
#include "charts/PopupBreakdownRow.h"
#include "charts/PopupLegendItem.h"
#include "charts/PopupRingGrid.h"
#include "schema/SettingsSchema.h"
#include "stats/CPUExtras.h"
#include "stats/CPUProvider.h"
#include "stats/views/CPUDetailBody.h"
#include "stats/views/StatProviderViews.h"
#include "views/Divider.h"

#include <gtest/gtest.h>
#include <limits>

using namespace gaugelet;
using test::series;

namespace {
const QString cpu = QStringLiteral("cpu.total");

StatSnapshot cpuSnapshot(double user, double system, std::optional<CPUExtras> extras = std::nullopt)
{
    QHash<QString, std::any> x;
    if (extras)
        x.insert(CPUExtras::key, *extras);
    return test::DetailViewFixture::snapshot(cpu, {series("user", user), series("system", system), series("idle", 0)},
                                             x);
}

CPUExtras cores(int performance, int efficiency, double value)
{
    CPUExtras e;
    for (int i = 0; i < performance; ++i)
        e.perCore.append(CPUCoreSample{value, CPUCoreKind::performance});
    for (int i = 0; i < efficiency; ++i)
        e.perCore.append(CPUCoreSample{value / 2, CPUCoreKind::efficiency});
    return e;
}
} // namespace

TEST(CPUDetailBody, EmptyHistoryStillShowsTheSnapshotLegend)
{
    test::DetailViewFixture f;
    CPUProvider provider;
    std::unique_ptr<QWidget> widget(StatProviderViews::detailView(provider, cpuSnapshot(12.34, 5.06), f.env, nullptr));
    auto* body = qobject_cast<CPUDetailBody*>(widget.get());
    ASSERT_NE(body, nullptr);
    EXPECT_TRUE(body->bars()->input().buckets.isEmpty());
    EXPECT_TRUE(body->bars()->input().times.isEmpty());
    EXPECT_EQ(body->userLegend()->figure(), "12.3%");
    EXPECT_EQ(body->systemLegend()->figure(), "5.1%");
    EXPECT_EQ(body->userLegend()->tint(), f.theme.palette().accent1);
    EXPECT_EQ(body->systemLegend()->tint(), f.theme.palette().accent2);
    // No per-processor values yet: no divider, no rings, no core rows.
    body->show();
    EXPECT_FALSE(body->coresDivider()->isVisible());
    EXPECT_FALSE(body->ringGrid()->isVisible());
    EXPECT_FALSE(body->performanceRow()->isVisible());
    EXPECT_FALSE(body->efficiencyRow()->isVisible());

    // A missing or non-finite series shows as 0.
    body->setSnapshot(test::DetailViewFixture::snapshot(cpu, {series("user", std::nan(""))}));
    EXPECT_EQ(body->userLegend()->figure(), "0.0%");
    EXPECT_EQ(body->systemLegend()->figure(), "0.0%");
}

TEST(CPUDetailBody, BarsAndRingsComeFromTheHistory)
{
    test::DetailViewFixture f;
    f.record(cpuSnapshot(30, 10, cores(4, 4, 0.5)));
    // A later snapshot without extras keeps the merged per-core record.
    const StatSnapshot latest = f.record(cpuSnapshot(std::numeric_limits<double>::infinity(), 20));
    CPUDetailBody body(latest, f.env);
    body.show();
    const auto& in = body.bars()->input();
    ASSERT_EQ(in.buckets.size(), 2);
    EXPECT_EQ(in.buckets[0], (QList<double>{0.3, 0.1}));
    EXPECT_EQ(in.buckets[1], (QList<double>{0.0, 0.2}));
    EXPECT_EQ(in.times.size(), 2);
    EXPECT_EQ(in.tints, (QList<QColor>{f.theme.palette().accent1, f.theme.palette().accent2}));
    EXPECT_EQ(in.yMax, 1.0);
    EXPECT_EQ(in.window, 60.0);
    EXPECT_EQ(in.height, 60);
    EXPECT_TRUE(in.flowing);

    const auto cells = body.ringGrid()->cores();
    ASSERT_EQ(cells.size(), 8);
    EXPECT_EQ(cells[0].tint, f.theme.palette().accent1);
    EXPECT_EQ(cells[7].tint, f.theme.palette().accent2);
    EXPECT_TRUE(body.coresDivider()->isVisible());
    EXPECT_TRUE(body.performanceRow()->isVisible());
    EXPECT_EQ(body.performanceRow()->value(), "50%");
    EXPECT_EQ(body.efficiencyRow()->value(), "25%");
    EXPECT_EQ(body.performanceRow()->label(), "Performance Cores");
    EXPECT_EQ(body.performanceRow()->dot(), f.theme.palette().accent1);
}

TEST(CPUDetailBody, OnlyPerformanceCoresGetOneRow)
{
    test::DetailViewFixture f;
    CPUExtras e = cores(4, 0, 0.125);
    e.perCore[0].value = std::nan(""); // a glitch counts as 0 in the mean
    const StatSnapshot s = f.record(cpuSnapshot(1, 1, e));
    CPUDetailBody body(s, f.env);
    body.show();
    EXPECT_TRUE(body.performanceRow()->isVisible());
    EXPECT_FALSE(body.efficiencyRow()->isVisible());
    EXPECT_EQ(body.performanceRow()->value(), "9%"); // 0.375 / 4 = 9.375 %
}

TEST(CPUDetailBody, CoreRowFontSizeFollowsThePopupFontSize)
{
    const struct {
        QVariant stored;
        qreal size;
    } cases[] = {{13, 11}, {30, 16}, {10, 9}, {0, 11}, {QVariant(), 11}, {std::nan(""), 11}, {-4, 11}};
    for (const auto& c : cases) {
        test::DetailViewFixture f;
        if (c.stored.isValid())
            f.defaults->set(SettingsSchema::popupFontSize, c.stored);
        const StatSnapshot s = f.record(cpuSnapshot(1, 1, cores(2, 0, 0.5)));
        CPUDetailBody body(s, f.env);
        EXPECT_EQ(body.performanceRow()->fontSize(), c.size) << c.stored.toString().toStdString();
    }
}

TEST(CPUDetailBody, UpdatesInPlaceAndKeepsItsTimerRunning)
{
    test::DetailViewFixture f;
    StatSnapshot s = f.record(cpuSnapshot(10, 5, cores(2, 2, 0.5)));
    CPUDetailBody body(s, f.env);
    body.show();
    PopupBars* bars = body.bars();
    PopupRingGrid* grid = body.ringGrid();
    const int childCount = body.findChildren<QWidget*>().size();
    ASSERT_TRUE(bars->timeline()->isRunning());
    for (int i = 0; i < 3; ++i) {
        s = f.record(cpuSnapshot(20 + i, 5, cores(2, 2, 0.25)));
        body.setSnapshot(s);
        f.settle();
    }
    EXPECT_EQ(body.bars(), bars);
    EXPECT_EQ(body.ringGrid(), grid);
    EXPECT_EQ(body.findChildren<QWidget*>().size(), childCount);
    EXPECT_EQ(bars->timeline()->startCount(), 1);
    EXPECT_EQ(bars->input().buckets.size(), 4);
    EXPECT_EQ(body.userLegend()->figure(), "22.0%");
    EXPECT_EQ(grid->cores()[0].value, 0.25);

    // Smooth charts off: plain bars, and the timer stops.
    f.defaults->set(SettingsSchema::smoothCharts, false);
    f.settle();
    EXPECT_FALSE(bars->input().flowing);
    EXPECT_FALSE(bars->timeline()->isRunning());

    // A new palette recolours in place.
    f.theme.select(QStringLiteral("one.light"));
    f.settle();
    EXPECT_EQ(body.userLegend()->tint(), f.theme.palette().accent1);
    body.hide();
}

TEST(CPUDetailBody, CoresShowTheReadingOfTheHeader)
{
    // The history is a moment ahead of the row's header after each sample:
    // the rings and core means stay with the reading the view was given.
    test::DetailViewFixture f;
    const StatSnapshot shown = f.record(cpuSnapshot(40, 10, cores(4, 0, 0.5)));
    CPUDetailBody body(shown, f.env);
    body.show();
    const StatSnapshot next = f.record(cpuSnapshot(70, 29, cores(4, 0, 0.99)));
    f.settle();
    EXPECT_EQ(body.performanceRow()->value(), "50%");
    EXPECT_EQ(body.ringGrid()->cores()[0].value, 0.5);
    EXPECT_EQ(body.bars()->input().buckets.size(), 2); // the chart takes the new sample at once
    body.setSnapshot(next);
    EXPECT_EQ(body.performanceRow()->value(), "99%");
}
