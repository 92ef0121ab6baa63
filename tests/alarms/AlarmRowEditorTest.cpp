#include "alarms/views/AlarmRowEditor.h"

#include "AlarmsPaneFixture.h"

#include <QWheelEvent>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {
class AlarmRowEditorView : public AlarmsPane {};
} // namespace

// --- Editor writes ----------------------------------------------------------------------------

TEST_F(AlarmRowEditorView, SoundMenuWritesExactlyWhatItSays)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("my-chime.wav");
    writeFile(file, "RIFF");
    Alarm a = makeAlarm();
    a.soundBookmark = SecurityScopedBookmark::bookmarkData(file);
    open({a});
    AlarmMenuPicker* picker = editor(0)->soundPicker();
    EXPECT_EQ(itemTexts(picker), (QStringList{"Custom: my-chime", "---", "Bell", "Bird", "Marimba"}));
    EXPECT_EQ(picker->currentText(), "Custom: my-chime");
    EXPECT_FALSE(editor(0)->soundWarning()->isVisibleTo(window.get()));

    choose(picker, "Custom: my-chime");
    EXPECT_EQ(writeCount(), 0);

    choose(picker, "Bell");
    EXPECT_EQ(writeCount(), 2);
    EXPECT_FALSE(stored(0).soundBookmark);
    EXPECT_EQ(stored(0).bundledSoundId, QString("bell-sound"));
    turn();
    EXPECT_EQ(itemTexts(picker), (QStringList{"Bell", "Bird", "Marimba"}));
    EXPECT_EQ(picker->currentText(), "Bell");
    EXPECT_TRUE(editor(0)->resetButton()->isVisibleTo(window.get()));

    editor(0)->resetButton()->click();
    EXPECT_EQ(writeCount(), 4);
    EXPECT_FALSE(stored(0).soundBookmark);
    EXPECT_FALSE(stored(0).bundledSoundId);
    turn();
    EXPECT_EQ(picker->currentText(), "Bird");
    EXPECT_FALSE(editor(0)->resetButton()->isVisibleTo(window.get()));
    settle(*manager);
}

TEST_F(AlarmRowEditorView, WithNoSoundsTheMenuOffersOnlyThePlaceholder)
{
    sounds.reset();
    sounds = std::make_unique<SoundsFolder>(QStringList{});
    Alarm a = makeAlarm();
    a.bundledSoundId = "bird-sound";
    open({a});
    AlarmMenuPicker* picker = editor(0)->soundPicker();
    EXPECT_EQ(itemTexts(picker), QStringList{"(no bundled sounds)"});
    EXPECT_TRUE(editor(0)->resetButton()->isVisibleTo(window.get()));
    choose(picker, "(no bundled sounds)");
    EXPECT_EQ(writeCount(), 2);
    EXPECT_EQ(stored(0).bundledSoundId, QString(""));
    EXPECT_FALSE(stored(0).soundBookmark);
    settle(*manager);
}

TEST_F(AlarmRowEditorView, SourceChangeRaisesTheRepeatToTheNewFloorButNeverLowersIt)
{
    Alarm fast = makeAlarm("cpu.total", 0.8, Alarm::Direction::above, 10);
    Alarm longer = makeAlarm("slow.total", 0.8, Alarm::Direction::above, 300);
    open({fast, longer});

    choose(editor(0)->sourcePicker(), "Slow");
    EXPECT_EQ(writeCount(), 2); // the source, then the raised repeat
    EXPECT_EQ(stored(0).providerId, "slow.total");
    EXPECT_DOUBLE_EQ(stored(0).repeatInterval, 20);

    choose(editor(1)->sourcePicker(), "CPU");
    EXPECT_EQ(writeCount(), 3); // the source only
    EXPECT_EQ(stored(1).providerId, "cpu.total");
    EXPECT_DOUBLE_EQ(stored(1).repeatInterval, 300);
    settle(*manager);
}

TEST_F(AlarmRowEditorView, TwentySecondSourceOffersOnlyPresetsAtItsFloor)
{
    open({makeAlarm("slow.total", 0.8, Alarm::Direction::above, 10)});
    AlarmMenuPicker* repeat = editor(0)->repeatPicker();
    EXPECT_EQ(itemTexts(repeat),
              (QStringList{"10s (custom)", "---", "30 seconds", "1 minute", "5 minutes", "15 minutes", "1 hour"}));
    EXPECT_EQ(repeat->currentText(), "10s (custom)");
    EXPECT_EQ(repeat->toolTip(), "Bounded by the source's refresh rate (20s).");
    // Choosing the custom entry stores at least the floor.
    choose(repeat, "10s (custom)");
    EXPECT_DOUBLE_EQ(stored(0).repeatInterval, 20);
    turn();
    EXPECT_EQ(repeat->currentText(), "20s (custom)");
    choose(repeat, "5 minutes");
    EXPECT_DOUBLE_EQ(stored(0).repeatInterval, 300);
    turn();
    EXPECT_EQ(itemTexts(repeat), (QStringList{"30 seconds", "1 minute", "5 minutes", "15 minutes", "1 hour"}));
    EXPECT_EQ(writeCount(), 2);
    settle(*manager);
}

TEST_F(AlarmRowEditorView, SnoozeIsAtLeastOneMinuteAndBannerDirectionAndThresholdWriteThrough)
{
    open({makeAlarm("cpu.total", 0.8, Alarm::Direction::above, 30, false, 0)});
    AlarmRowEditor* e = editor(0);
    EXPECT_EQ(itemTexts(e->snoozePicker()), (QStringList{"1 minute", "5 minutes", "15 minutes", "30 minutes", "1 hour"}));
    choose(e->snoozePicker(), "1 minute");
    EXPECT_EQ(stored(0).notifySnoozeMinutes, 1);
    e->chooseSnooze(0);
    EXPECT_EQ(stored(0).notifySnoozeMinutes, 1);
    choose(e->snoozePicker(), "1 hour");
    EXPECT_EQ(stored(0).notifySnoozeMinutes, 60);

    e->notifySwitch()->click();
    EXPECT_TRUE(stored(0).notify);
    e->belowButton()->click();
    EXPECT_EQ(stored(0).direction, Alarm::Direction::below);
    const int before = writeCount();
    e->belowButton()->click(); // the selected segment chooses nothing
    EXPECT_EQ(writeCount(), before);

    // A drag writes every intermediate value; its end adds nothing.
    QSlider* slider = e->thresholdSlider();
    slider->setSliderDown(true);
    for (int pos : {5000, 5100, 5200})
        slider->setSliderPosition(pos);
    EXPECT_EQ(writeCount(), before + 3);
    EXPECT_DOUBLE_EQ(stored(0).threshold, 0.52);
    EXPECT_EQ(e->thresholdText()->text(), "52%");
    slider->setSliderDown(false);
    turn();
    EXPECT_EQ(writeCount(), before + 3);
    EXPECT_EQ(row(0)->summaryLabel()->text(), "CPU \u2264 52%");
    settle(*manager);
}

TEST_F(AlarmRowEditorView, ThresholdDragRebuildsNoPlayerButASoundChoiceDoes)
{
    sounds.reset(); // the shipped sounds, which decode
    open({makeAlarm()});
    settle(*manager);
    const auto player = manager->players().value(stored(0).id);
    ASSERT_TRUE(player);
    QSlider* slider = editor(0)->thresholdSlider();
    slider->setSliderDown(true);
    for (int pos = 1000; pos < 2000; pos += 100) {
        slider->setSliderPosition(pos);
        EXPECT_FALSE(manager->isRebuilding()) << pos;
    }
    slider->setSliderDown(false);
    EXPECT_EQ(writeCount(), 10);
    EXPECT_EQ(manager->players().value(stored(0).id), player);
    choose(editor(0)->soundPicker(), "Bell");
    EXPECT_TRUE(manager->isRebuilding() || manager->players().value(stored(0).id) != player);
    settle(*manager);
    EXPECT_TRUE(manager->players().value(stored(0).id)->path().endsWith("/Sounds/bell-sound.mp3"));
}

TEST_F(AlarmRowEditorView, AWheelOverTheThresholdSliderChangesNothing)
{
    open({makeAlarm("cpu.total", 0.5)});
    QSlider* slider = editor(0)->thresholdSlider();
    ASSERT_FALSE(slider->hasFocus());
    const int position = slider->value();
    const QPointF centre(slider->width() / 2.0, slider->height() / 2.0);
    for (int delta : {-120, 120, 360}) {
        QWheelEvent wheel(centre, slider->mapToGlobal(centre), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(slider, &wheel);
        EXPECT_FALSE(wheel.isAccepted()) << "left for the pane to scroll";
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
    editor(0)->thresholdSlider()->setSliderDown(true);
    editor(0)->thresholdSlider()->setSliderDown(false);
    EXPECT_EQ(manager->editingAlarmId(), a.id);
    choose(editor(1)->snoozePicker(), "5 minutes");
    EXPECT_EQ(manager->editingAlarmId(), b.id);
    row(0)->enabledSwitch()->click();
    EXPECT_EQ(manager->editingAlarmId(), a.id);
    choose(editor(1)->repeatPicker(), "1 minute");
    EXPECT_EQ(manager->editingAlarmId(), b.id);

    // Collapsing another row leaves the mark alone; collapsing its own clears it.
    row(0)->expandButton()->click();
    EXPECT_EQ(manager->editingAlarmId(), b.id);
    row(1)->expandButton()->click();
    EXPECT_EQ(manager->editingAlarmId(), std::nullopt);
    EXPECT_EQ(row(1)->expandButton()->toolTip(), "Expand");
    row(0)->expandButton()->click();
    EXPECT_EQ(manager->editingAlarmId(), a.id);
    EXPECT_EQ(row(0)->expandButton()->toolTip(), "Collapse");

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
    row(0)->deleteButton()->click();
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
    QSlider* slider = editor(0)->thresholdSlider();
    slider->setSliderDown(true);
    slider->setSliderPosition(3000); // below the value
    manager->evaluate(snapshotsOf("cpu.total", 0.5));
    slider->setSliderDown(false);
    EXPECT_EQ(fired.count(), 0);
    row(0)->expandButton()->click();
    manager->evaluate(snapshotsOf("cpu.total", 0.5));
    EXPECT_EQ(fired.count(), 1);
    settle(*manager);
}
