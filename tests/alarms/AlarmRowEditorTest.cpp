#include "alarms/views/AlarmRowEditor.h"

#include "AlarmsPaneFixture.h"

#include <QScrollBar>
#include <QWheelEvent>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {
class AlarmRowEditorView : public AlarmsPane {};
} // namespace

// --- Editor writes (the rules behind them: AlarmEditorModelTest) ------------------------------

TEST_F(AlarmRowEditorView, SnoozeBannerDirectionAndThresholdControlsWriteThrough)
{
    open({makeAlarm("cpu.total", 0.8, Alarm::Direction::above, 30, false, 0)});
    AlarmRowEditor* e = editor(0);
    EXPECT_EQ(itemTexts(part<AlarmMenuPicker>(e, "snoozePicker")),
              (QStringList{"1 minute", "5 minutes", "15 minutes", "30 minutes", "1 hour"}));
    choose(part<AlarmMenuPicker>(e, "snoozePicker"), "1 minute");
    EXPECT_EQ(stored(0).notifySnoozeMinutes, 1);
    choose(part<AlarmMenuPicker>(e, "snoozePicker"), "1 hour");
    EXPECT_EQ(stored(0).notifySnoozeMinutes, 60);

    part<QCheckBox>(e, "notifySwitch")->click();
    EXPECT_TRUE(stored(0).notify);
    part<QPushButton>(e, "below")->click();
    EXPECT_EQ(stored(0).direction, Alarm::Direction::below);
    const int before = writeCount();
    part<QPushButton>(e, "below")->click(); // the selected segment chooses nothing
    EXPECT_EQ(writeCount(), before);

    // A drag writes every intermediate value; its end adds nothing.
    QSlider* slider = part<QSlider>(e, "thresholdSlider");
    slider->setSliderDown(true);
    for (int pos : {5000, 5100, 5200})
        slider->setSliderPosition(pos);
    EXPECT_EQ(writeCount(), before + 3);
    EXPECT_DOUBLE_EQ(stored(0).threshold, 0.52);
    EXPECT_EQ(part<QLabel>(e, "thresholdText")->text(), "52%");
    slider->setSliderDown(false);
    turn();
    EXPECT_EQ(writeCount(), before + 3);
    EXPECT_EQ(part<QLabel>(row(0), "summary")->text(), "CPU \u2264 52%");
    settle(*manager);
}

TEST_F(AlarmRowEditorView, ThresholdDragRebuildsNoPlayerButASoundChoiceDoes)
{
    sounds.reset(); // the shipped sounds, which decode
    open({makeAlarm()});
    settle(*manager);
    const auto player = manager->players().value(stored(0).id);
    ASSERT_TRUE(player);
    QSlider* slider = part<QSlider>(editor(0), "thresholdSlider");
    slider->setSliderDown(true);
    for (int pos = 1000; pos < 2000; pos += 100) {
        slider->setSliderPosition(pos);
        EXPECT_FALSE(manager->isRebuilding()) << pos;
    }
    slider->setSliderDown(false);
    EXPECT_EQ(writeCount(), 10);
    EXPECT_EQ(manager->players().value(stored(0).id), player);
    choose(part<AlarmMenuPicker>(editor(0), "soundPicker"), "Bell");
    EXPECT_TRUE(manager->isRebuilding() || manager->players().value(stored(0).id) != player);
    settle(*manager);
    EXPECT_TRUE(manager->players().value(stored(0).id)->path().endsWith("/Sounds/bell-sound.mp3"));
}

// The wheel over an unfocused slider scrolls the pane instead.
TEST_F(AlarmRowEditorView, AWheelOverTheThresholdSliderScrollsThePaneAndChangesNothing)
{
    open(alarmsOn("cpu.total", 4));
    QSlider* slider = part<QSlider>(editor(0), "thresholdSlider");
    QScrollBar* scroll = view->findChild<QScrollArea*>()->verticalScrollBar();
    ASSERT_GT(scroll->maximum(), 0);
    ASSERT_FALSE(slider->hasFocus());
    const int position = slider->value();
    const QPointF centre(slider->width() / 2.0, slider->height() / 2.0);
    for (int delta : {-120, 120, -360}) {
        const int before = scroll->value();
        QWheelEvent wheel(centre, slider->mapToGlobal(centre), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(slider, &wheel);
        if (delta < 0) {
            EXPECT_GT(scroll->value(), before) << delta;
        } else {
            EXPECT_LT(scroll->value(), before) << delta;
        }
    }
    EXPECT_EQ(slider->value(), position);
    EXPECT_DOUBLE_EQ(stored(0).threshold, 0.5);
    EXPECT_EQ(writeCount(), 0);
    settle(*manager);
}

// --- Editing mark -------------------------------------------------------------------------------

TEST_F(AlarmRowEditorView, EditingMarkFollowsTheSliderAndTheUsersTouch)
{
    const Alarm a = makeAlarm();
    const Alarm b = makeAlarm("cpu.total", 0.5);
    open({a, b}, /*show=*/false);
    EXPECT_EQ(manager->editingAlarmId(), std::nullopt); // built but not on screen
    window->show();
    turn();
    EXPECT_EQ(manager->editingAlarmId(), b.id); // the last slider to come on screen

    // Touching a's controls gives a the mark.
    part<QSlider>(editor(0), "thresholdSlider")->setSliderDown(true);
    part<QSlider>(editor(0), "thresholdSlider")->setSliderDown(false);
    EXPECT_EQ(manager->editingAlarmId(), a.id);
    choose(part<AlarmMenuPicker>(editor(1), "snoozePicker"), "5 minutes");
    EXPECT_EQ(manager->editingAlarmId(), b.id);
    part<QCheckBox>(row(0), "enabledSwitch")->click();
    EXPECT_EQ(manager->editingAlarmId(), a.id);
    choose(part<AlarmMenuPicker>(editor(1), "repeatPicker"), "1 minute");
    EXPECT_EQ(manager->editingAlarmId(), b.id);

    // Collapsing another row leaves the mark alone; collapsing its own clears it.
    part<QToolButton>(row(0), "expandButton")->click();
    EXPECT_EQ(manager->editingAlarmId(), b.id);
    part<QToolButton>(row(1), "expandButton")->click();
    EXPECT_EQ(manager->editingAlarmId(), std::nullopt);
    EXPECT_EQ(part<QToolButton>(row(1), "expandButton")->toolTip(), "Expand");
    part<QToolButton>(row(0), "expandButton")->click();
    EXPECT_EQ(manager->editingAlarmId(), a.id);
    EXPECT_EQ(part<QToolButton>(row(0), "expandButton")->toolTip(), "Collapse");

    // Minimising is not a collapse; restoring takes nothing from another row.
    window->setWindowState(Qt::WindowMinimized);
    turn();
    EXPECT_EQ(manager->editingAlarmId(), a.id);
    window->setWindowState(Qt::WindowNoState);
    window->show();
    turn();
    EXPECT_EQ(manager->editingAlarmId(), a.id);

    // Closing the window never leaves an alarm silenced.
    window->close();
    EXPECT_EQ(manager->editingAlarmId(), std::nullopt);
    window->show();
    turn();
    EXPECT_EQ(manager->editingAlarmId(), a.id);
    window.reset();
    EXPECT_EQ(manager->editingAlarmId(), std::nullopt);
    settle(*manager);
}

TEST_F(AlarmRowEditorView, DeletingTheMarkedAlarmClearsTheMark)
{
    const Alarm a = makeAlarm();
    open({a});
    EXPECT_EQ(manager->editingAlarmId(), a.id);
    part<QToolButton>(row(0), "deleteButton")->click();
    turn();
    EXPECT_TRUE(view->rows().isEmpty());
    EXPECT_EQ(manager->editingAlarmId(), std::nullopt);
    // A pane destroyed while shown clears it too.
    const Alarm b = makeAlarm();
    manager->setAlarms({b});
    turn();
    EXPECT_EQ(manager->editingAlarmId(), b.id);
    delete view;
    EXPECT_EQ(manager->editingAlarmId(), std::nullopt);
    settle(*manager);
}

TEST_F(AlarmRowEditorView, MarkedAlarmDoesNotFireWhileItsThresholdIsDragged)
{
    const Alarm a = makeAlarm("cpu.total", 0.9, Alarm::Direction::above, 30, true);
    open({a});
    QSignalSpy fired(manager.get(), &AlarmManager::alarmFired);
    QSlider* slider = part<QSlider>(editor(0), "thresholdSlider");
    slider->setSliderDown(true);
    slider->setSliderPosition(3000); // below the value
    manager->evaluate(snapshotsOf("cpu.total", 0.5));
    slider->setSliderDown(false);
    EXPECT_EQ(fired.count(), 0);
    part<QToolButton>(row(0), "expandButton")->click();
    manager->evaluate(snapshotsOf("cpu.total", 0.5));
    EXPECT_EQ(fired.count(), 1);
    settle(*manager);
}
