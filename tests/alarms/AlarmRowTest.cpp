#include "alarms/views/AlarmRow.h"

#include "AlarmsPaneFixture.h"

using namespace gaugelet;
using namespace gaugelet::test;

namespace {
class AlarmRowView : public AlarmsPane {};
} // namespace

// --- Summary, detail and header ----------------------------------------------------------------------------------------

TEST_F(AlarmRowView, AlarmOnAMissingProviderIsDimmedAndExplained)
{
    open({makeAlarm("gpu.total", 0.5)});
    EXPECT_DOUBLE_EQ(row(0)->contentOpacity(), 0.6);
    EXPECT_EQ(part<QLabel>(row(0), "summary")->text(), "gpu.total \u2265 50%");
    EXPECT_EQ(itemTexts(part<AlarmMenuPicker>(editor(0), "sourcePicker")), (QStringList{"gpu.total (not loaded)", "---", "CPU", "Slow"}));
    EXPECT_TRUE(part<QWidget>(editor(0), "sourceWarning")->isVisibleTo(window.get()));
    EXPECT_EQ(part<QLabel>(part<QWidget>(editor(0), "sourceWarning"), "text")->text(), "Source \u201Cgpu.total\u201D is not loaded. Alarm is disabled.");
    // Choosing a loaded source lifts it.
    choose(part<AlarmMenuPicker>(editor(0), "sourcePicker"), "CPU");
    turn();
    EXPECT_EQ(stored(0).providerId, "cpu.total");
    EXPECT_DOUBLE_EQ(row(0)->contentOpacity(), 1.0);
    EXPECT_FALSE(part<QWidget>(editor(0), "sourceWarning")->isVisibleTo(window.get()));
    settle(*manager);
}

TEST_F(AlarmRowView, SwitchTestAndDeleteWriteOnceEach)
{
    Alarm a = makeAlarm("cpu.total", 0.8, Alarm::Direction::above, 30, /*notify=*/true, 15);
    Alarm b = makeAlarm("cpu.total", 0.5);
    manager = makeManager({a, b});
    manager->attach(registry.get(), nullptr);
    open({});
    part<QToolButton>(row(0), "expandButton")->click(); // not editing: it may fire
    manager->evaluate(snapshotsOf("cpu.total", 0.9));
    turn();
    EXPECT_TRUE(part<QLabel>(row(0), "firingMark")->isVisibleTo(window.get()));
    EXPECT_FALSE(part<QLabel>(row(1), "firingMark")->isVisibleTo(window.get()));
    EXPECT_EQ(part<QLabel>(row(0), "firingMark")->toolTip(), "Currently firing");
    EXPECT_EQ(part<QToolButton>(row(0), "testButton")->toolTip(), "Test sound and notification");
    EXPECT_EQ(part<QToolButton>(row(0), "deleteButton")->toolTip(), "Delete alarm");
    EXPECT_EQ(part<QToolButton>(row(1), "expandButton")->toolTip(), "Collapse");
    EXPECT_EQ(part<QToolButton>(editor(1), "resetSound")->toolTip(), "Reset to the default bundled sound.");

    part<QCheckBox>(row(0), "enabledSwitch")->click();
    EXPECT_EQ(writeCount(), 1);
    EXPECT_FALSE(stored(0).enabled);
    EXPECT_FALSE(manager->firing().contains(a.id));
    turn();
    EXPECT_FALSE(part<QLabel>(row(0), "firingMark")->isVisibleTo(window.get()));

    ASSERT_TRUE(waitUntil([&] { return server->notifications().size() == 1; })); // the firing
    part<QToolButton>(row(0), "testButton")->click();
    ASSERT_TRUE(waitUntil([&] { return server->notifications().size() == 2; }));
    EXPECT_EQ(server->notifications().last().summary, "[TEST] CPU \u2265 80%");
    EXPECT_EQ(writeCount(), 1);

    part<QToolButton>(row(0), "deleteButton")->click();
    EXPECT_EQ(writeCount(), 2);
    EXPECT_EQ(manager->alarms(), QList<Alarm>{b});
    turn();
    ASSERT_EQ(view->rows().size(), 1);
    EXPECT_EQ(row(0)->alarmId(), b.id);
    settle(*manager);
}

