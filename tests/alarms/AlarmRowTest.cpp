#include "alarms/views/AlarmRow.h"

#include "AlarmsPaneFixture.h"

using namespace gaugelet;
using namespace gaugelet::test;

namespace {
class AlarmRowView : public AlarmsPane {};
} // namespace

// --- Summary, detail and header ----------------------------------------------------------------------------------------

TEST_F(AlarmRowView, DurationLabelsTruncateAndSaturate)
{
    const std::pair<double, const char*> cases[] = {
        {0, "0s"},       {10, "10s"},      {59.9, "59s"},   {60, "1m"},
        {90, "1m"},      {300, "5m"},      {3599, "59m"},   {3600, "1h"},
        {5400, "1h"},    {7200, "2h"},     {std::nan(""), "0s"},
        {std::numeric_limits<double>::infinity(), "9223372036854775807h"},
        {1e300, "9223372036854775807h"}, {-5.5, "-5s"},
    };
    for (const auto& [seconds, label] : cases)
        EXPECT_EQ(AlarmRow::durationLabel(seconds), label) << seconds;
}

TEST_F(AlarmRowView, SummaryLinesRoundHalvesAwayFromZero)
{
    const std::pair<double, const char*> cases[] = {
        {0.125, "CPU \u2265 13%"}, {0.124, "CPU \u2265 12%"}, {0.0, "CPU \u2265 0%"}, {1.0, "CPU \u2265 100%"}};
    QList<Alarm> alarms;
    for (const auto& c : cases)
        alarms.append(makeAlarm("cpu.total", c.first));
    Alarm below = makeAlarm("cpu.total", 0.2, Alarm::Direction::below, 30, false, 5);
    alarms.append(below);
    open(alarms);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(row(i)->summaryLabel()->text(), cases[i].second);
    EXPECT_EQ(row(4)->summaryLabel()->text(), "CPU \u2264 20%");
    EXPECT_EQ(row(4)->detailLabel()->text(), "every 30s \u00B7 sound only \u00B7 snooze 5m");
    settle(*manager);
}

TEST_F(AlarmRowView, AlarmOnAMissingProviderIsDimmedAndExplained)
{
    open({makeAlarm("gpu.total", 0.5)});
    EXPECT_DOUBLE_EQ(row(0)->contentOpacity(), 0.6);
    EXPECT_EQ(row(0)->summaryLabel()->text(), "gpu.total \u2265 50%");
    EXPECT_EQ(itemTexts(editor(0)->sourcePicker()), (QStringList{"gpu.total (not loaded)", "---", "CPU", "Slow"}));
    EXPECT_TRUE(editor(0)->sourceWarning()->isVisibleTo(window.get()));
    EXPECT_EQ(editor(0)->sourceWarningText()->text(), "Source \u201Cgpu.total\u201D is not loaded. Alarm is disabled.");
    // Choosing a loaded source lifts it.
    choose(editor(0)->sourcePicker(), "CPU");
    turn();
    EXPECT_EQ(stored(0).providerId, "cpu.total");
    EXPECT_DOUBLE_EQ(row(0)->contentOpacity(), 1.0);
    EXPECT_FALSE(editor(0)->sourceWarning()->isVisibleTo(window.get()));
    settle(*manager);
}

TEST_F(AlarmRowView, SwitchTestAndDeleteWriteOnceEach)
{
    Alarm a = makeAlarm("cpu.total", 0.8, Alarm::Direction::above, 30, /*notify=*/true, 15);
    Alarm b = makeAlarm("cpu.total", 0.5);
    manager = makeManager({a, b});
    manager->attach(registry.get(), nullptr);
    open({});
    row(0)->expandButton()->click(); // not editing: it may fire
    manager->evaluate(snapshotsOf("cpu.total", 0.9));
    turn();
    EXPECT_TRUE(row(0)->firingMark()->isVisibleTo(window.get()));
    EXPECT_FALSE(row(1)->firingMark()->isVisibleTo(window.get()));
    EXPECT_EQ(row(0)->firingMark()->toolTip(), "Currently firing");
    EXPECT_EQ(row(0)->testButton()->toolTip(), "Test sound and notification");
    EXPECT_EQ(row(0)->deleteButton()->toolTip(), "Delete alarm");
    EXPECT_EQ(row(1)->expandButton()->toolTip(), "Collapse");
    EXPECT_EQ(editor(1)->resetButton()->toolTip(), "Reset to the default bundled sound.");

    row(0)->enabledSwitch()->click();
    EXPECT_EQ(writeCount(), 1);
    EXPECT_FALSE(stored(0).enabled);
    EXPECT_FALSE(manager->firing().contains(a.id));
    turn();
    EXPECT_FALSE(row(0)->firingMark()->isVisibleTo(window.get()));

    ASSERT_TRUE(waitUntil([&] { return server->notifications().size() == 1; })); // the firing
    row(0)->testButton()->click();
    ASSERT_TRUE(waitUntil([&] { return server->notifications().size() == 2; }));
    EXPECT_EQ(server->notifications().last().summary, "[TEST] CPU \u2265 80%");
    EXPECT_EQ(writeCount(), 1);

    row(0)->deleteButton()->click();
    EXPECT_EQ(writeCount(), 2);
    EXPECT_EQ(manager->alarms(), QList<Alarm>{b});
    turn();
    ASSERT_EQ(view->rows().size(), 1);
    EXPECT_EQ(row(0)->alarmId(), b.id);
    settle(*manager);
}

