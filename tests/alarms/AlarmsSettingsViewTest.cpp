#include "alarms/AlarmsSettingsView.h"

#include "AlarmFixture.h"
#include "alarms/AlarmMenuPicker.h"
#include "alarms/AlarmRow.h"
#include "alarms/AlarmRowEditor.h"
#include "app/lifecycle/AppLifecycle.h"
#include "platform/AudioPlayer.h"
#include "platform/NotificationCenter.h"
#include "platform/SecurityScopedBookmark.h"
#include "platform/ViewEnvironment.h"
#include "platform/WorkspaceNotifications.h"
#include "stats/RenderClock.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QSlider>
#include <QStyleFactory>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

// A test provider with a refresh interval of the test's choosing.
class IntervalProvider : public TestProvider {
public:
    IntervalProvider(QString id, QString name, double interval)
        : TestProvider(std::move(id), std::move(name)), m_interval(interval)
    {
    }
    double refreshInterval() const override { return m_interval; }

private:
    double m_interval;
};

// A resources folder whose "Sounds" holds the given built-in sounds.
class SoundsFolder {
public:
    explicit SoundsFolder(const QStringList& stems) : m_env("GAUGELET_RESOURCES_DIR", m_dir.path().toUtf8())
    {
        QDir(m_dir.path()).mkpath("Sounds");
        for (const QString& stem : stems)
            writeFile(m_dir.filePath("Sounds/" + stem + ".mp3"), "x");
    }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    ScopedEnv m_env;
};

QStringList itemTexts(const QComboBox* picker)
{
    QStringList texts;
    for (int i = 0; i < picker->count(); ++i)
        texts << (picker->itemData(i).isValid() ? picker->itemText(i) : QStringLiteral("---"));
    return texts;
}

// What the user does to a menu: choose the entry with this text.
void choose(AlarmMenuPicker* picker, const QString& text)
{
    const int index = picker->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    Q_EMIT picker->activated(index);
}

class AlarmsPane : public AlarmFixture {
protected:
    void SetUp() override
    {
        AlarmFixture::SetUp();
        sounds = std::make_unique<SoundsFolder>(QStringList{"bird-sound", "bell-sound", "marimba-sound"});
        cpu = std::make_shared<IntervalProvider>("cpu.total", "CPU", 1.0);
        slow = std::make_shared<IntervalProvider>("slow.total", "Slow", 20.0);
        registry = std::make_unique<StatRegistry>(StatRegistry::Providers{cpu, slow});
    }

    void TearDown() override
    {
        window.reset();
        manager.reset();
        registry.reset();
        AlarmFixture::TearDown();
    }

    // Opens the pane in a window of the settings window's size.
    AlarmsSettingsView* open(const QList<Alarm>& alarms, bool show = true)
    {
        if (!manager)
            manager = makeManager(alarms);
        writes = std::make_unique<QSignalSpy>(manager.get(), &AlarmManager::alarmsChanged);
        window = std::make_unique<QWidget>();
        window->resize(540, 520);
        auto* layout = new QVBoxLayout(window.get());
        layout->setContentsMargins(0, 0, 0, 0);
        ViewEnvironment env;
        env.registry = registry.get();
        env.alarms = manager.get();
        view = new AlarmsSettingsView(env, window.get());
        layout->addWidget(view);
        if (show)
            window->show();
        QApplication::processEvents();
        return view;
    }

    // Lets queued updates run.
    void turn() { QApplication::processEvents(); }

    int writeCount() const { return int(writes->count()); }

    AlarmRow* row(int i) const { return view->rows().at(i); }
    AlarmRowEditor* editor(int i) const { return view->rows().at(i)->editor(); }
    Alarm stored(int i) const { return manager->alarms().at(i); }

    std::unique_ptr<SoundsFolder> sounds;
    std::shared_ptr<IntervalProvider> cpu;
    std::shared_ptr<IntervalProvider> slow;
    std::unique_ptr<StatRegistry> registry;
    std::unique_ptr<AlarmManager> manager;
    std::unique_ptr<QWidget> window;
    std::unique_ptr<QSignalSpy> writes;
    AlarmsSettingsView* view = nullptr;
};

QList<Alarm> alarmsOn(const QString& providerId, int count)
{
    QList<Alarm> list;
    for (int i = 0; i < count; ++i)
        list.append(makeAlarm(providerId, 0.5 + 0.01 * i));
    return list;
}

} // namespace

// --- Opening and refreshing never write -------------------------------------------------

TEST_F(AlarmsPane, OpeningAndRegistryPublishesWriteNothingEvenForValuesTheControlsCannotShow)
{
    QTemporaryDir dir;
    Alarm odd = makeAlarm("cpu.total", 0.12345, Alarm::Direction::below, 45, true, 10);
    odd.bundledSoundId = "removed-pack-sound";
    Alarm gone = makeAlarm("cpu.total", 1.7, Alarm::Direction::above, -5, false, 0);
    gone.soundBookmark = SecurityScopedBookmark::bookmarkData(dir.filePath("moved.wav"));
    Alarm huge = makeAlarm("nope.total", -0.5, Alarm::Direction::above, 1e300, true, 100000);
    open({odd, gone, huge});
    const QList<Alarm> before = manager->alarms();
    const auto storedBefore = defaults->data(AlarmManager::alarmsKey);
    QSignalSpy defaultsWrites(defaults.get(), &Defaults::changed);

    for (int i = 0; i < 3; ++i) {
        Q_EMIT registry->snapshotsPublisher(snapshotsOf("cpu.total", 0.5));
        turn();
    }
    EXPECT_EQ(writeCount(), 0);
    EXPECT_EQ(defaultsWrites.count(), 0);
    EXPECT_EQ(manager->alarms(), before);
    EXPECT_EQ(defaults->data(AlarmManager::alarmsKey), storedBefore);

    // What the controls show: the nearest they can, clamped where needed.
    ASSERT_EQ(view->rows().size(), 3);
    EXPECT_EQ(editor(0)->thresholdSlider()->value(), 1235);
    EXPECT_EQ(editor(0)->thresholdText()->text(), "12%");
    EXPECT_TRUE(editor(0)->belowButton()->isChecked());
    EXPECT_EQ(editor(0)->repeatPicker()->currentText(), "45s (custom)");
    EXPECT_EQ(editor(0)->snoozePicker()->currentText(), "10 min (custom)");
    EXPECT_EQ(editor(0)->soundPicker()->currentText(), "Bird"); // the default stands in for a removed sound
    EXPECT_FALSE(editor(0)->soundWarning()->isVisibleTo(window.get()));
    EXPECT_TRUE(editor(0)->resetButton()->isVisibleTo(window.get()));

    EXPECT_EQ(editor(1)->thresholdSlider()->value(), AlarmRowEditor::sliderScale);
    EXPECT_EQ(editor(1)->thresholdText()->text(), "170%");
    EXPECT_EQ(editor(1)->repeatPicker()->currentText(), "0s (custom)");
    EXPECT_EQ(editor(1)->snoozePicker()->currentText(), "1 minute");
    EXPECT_EQ(editor(1)->soundPicker()->currentText(), "Custom: missing");
    EXPECT_EQ(itemTexts(editor(1)->soundPicker()), (QStringList{"Custom: missing", "---", "Bell", "Bird", "Marimba"}));
    EXPECT_TRUE(editor(1)->soundWarning()->isVisibleTo(window.get()));

    EXPECT_EQ(editor(2)->thresholdSlider()->value(), 0);
    EXPECT_EQ(editor(2)->repeatPicker()->currentText(), "9223372036854775807h (custom)");
    EXPECT_EQ(editor(2)->snoozePicker()->currentText(), "100000 min (custom)");
    EXPECT_EQ(editor(2)->sourcePicker()->currentText(), "nope.total (not loaded)");
    settle(*manager);
}

// --- Add button and count line ------------------------------------------------------------

TEST_F(AlarmsPane, AddButtonRespectsTheSoftCapAndTheCountLineDoesNot)
{
    struct Case {
        int alarms;
        bool enabled;
        const char* help;
        const char* count;
    };
    const Case cases[] = {
        {0, true, "Add a threshold alarm.", "0 of 10 alarms configured."},
        {9, true, "Add a threshold alarm.", "9 of 10 alarms configured."},
        {10, false, "Soft cap reached (10). Delete one to add another.", "10 of 10 alarms configured."},
        {12, false, "Soft cap reached (10). Delete one to add another.", "12 of 10 alarms configured."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.alarms);
        manager.reset();
        manager = makeManager(alarmsOn("cpu.total", c.alarms));
        open({});
        EXPECT_EQ(view->addButton()->isEnabled(), c.enabled);
        EXPECT_EQ(view->addButton()->toolTip(), c.help);
        EXPECT_EQ(view->countLine()->text(), c.count);
        EXPECT_EQ(view->rows().size(), c.alarms);
        EXPECT_EQ(view->emptyState()->isVisibleTo(window.get()), c.alarms == 0);
        EXPECT_EQ(writeCount(), 0);
        window.reset();
        settle(*manager);
    }

    // Adding the tenth closes the cap.
    manager.reset();
    manager = makeManager(alarmsOn("cpu.total", 9));
    open({});
    view->addButton()->click();
    turn();
    EXPECT_EQ(writeCount(), 1);
    EXPECT_EQ(manager->alarms().size(), 10);
    EXPECT_EQ(view->rows().size(), 10);
    EXPECT_FALSE(view->addButton()->isEnabled());
    EXPECT_EQ(view->addButton()->toolTip(), "Soft cap reached (10). Delete one to add another.");
    EXPECT_EQ(view->countLine()->text(), "10 of 10 alarms configured.");
    settle(*manager);
}

TEST_F(AlarmsPane, WithoutProvidersTheAddButtonIsDisabled)
{
    registry = std::make_unique<StatRegistry>(StatRegistry::Providers{});
    open({});
    EXPECT_FALSE(view->addButton()->isEnabled());
    view->addAlarm();
    EXPECT_EQ(writeCount(), 0);
    settle(*manager);
}

TEST_F(AlarmsPane, EmptyStateTexts)
{
    open({});
    const QStringList texts = [&] {
        QStringList out;
        for (QLabel* label : view->emptyState()->findChildren<QLabel*>())
            out << label->text();
        return out;
    }();
    EXPECT_TRUE(texts.contains("No alarms configured"));
    EXPECT_TRUE(texts.contains("Tap \u201CAdd alarm\u201D to get notified when a stat crosses a threshold."));
    EXPECT_EQ(view->bannerText()->text(),
              "Alarms with an expanded row are paused while you\u2019re editing them. They arm again as soon as you "
              "collapse the row or close this window.");
    settle(*manager);
}

TEST_F(AlarmsPane, NewAlarmTakesTheFirstProviderAndItsFloor)
{
    open({});
    view->addButton()->click();
    turn();
    ASSERT_EQ(manager->alarms().size(), 1);
    const Alarm a = stored(0);
    EXPECT_FALSE(a.id.isNull());
    EXPECT_EQ(a.providerId, "cpu.total");
    EXPECT_DOUBLE_EQ(a.threshold, 0.8);
    EXPECT_EQ(a.direction, Alarm::Direction::above);
    EXPECT_DOUBLE_EQ(a.repeatInterval, 10);
    EXPECT_TRUE(a.enabled);
    EXPECT_TRUE(a.notify);
    EXPECT_EQ(a.notifySnoozeMinutes, 15);
    EXPECT_FALSE(a.soundBookmark || a.bundledSoundId);
    ASSERT_EQ(view->rows().size(), 1);
    EXPECT_TRUE(row(0)->isExpanded());
    EXPECT_FALSE(view->emptyState()->isVisibleTo(window.get()));
    // A 1 s source: all six presets, 10 seconds selected, no custom entry.
    EXPECT_EQ(itemTexts(editor(0)->repeatPicker()),
              (QStringList{"10 seconds", "30 seconds", "1 minute", "5 minutes", "15 minutes", "1 hour"}));
    EXPECT_EQ(editor(0)->repeatPicker()->currentText(), "10 seconds");
    EXPECT_EQ(row(0)->summaryLabel()->text(), "CPU \u2265 80%");
    EXPECT_EQ(row(0)->detailLabel()->text(), "every 10s \u00B7 banner on \u00B7 snooze 15m");
    settle(*manager);

    // A slow first provider sets the floor.
    window.reset();
    manager.reset();
    registry = std::make_unique<StatRegistry>(StatRegistry::Providers{slow, cpu});
    open({});
    view->addAlarm();
    EXPECT_DOUBLE_EQ(manager->alarms().last().repeatInterval, 20);
    EXPECT_EQ(manager->alarms().last().providerId, "slow.total");
    settle(*manager);
}

// --- Row ----------------------------------------------------------------------------------------

TEST_F(AlarmsPane, DurationLabelsTruncateAndSaturate)
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

TEST_F(AlarmsPane, SummaryLinesRoundHalvesAwayFromZero)
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

TEST_F(AlarmsPane, AlarmOnAMissingProviderIsDimmedAndExplained)
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

TEST_F(AlarmsPane, SwitchTestAndDeleteWriteOnceEach)
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

// --- Editor writes ----------------------------------------------------------------------------

TEST_F(AlarmsPane, SoundMenuWritesExactlyWhatItSays)
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

TEST_F(AlarmsPane, WithNoSoundsTheMenuOffersOnlyThePlaceholder)
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

TEST_F(AlarmsPane, SourceChangeRaisesTheRepeatToTheNewFloorButNeverLowersIt)
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

TEST_F(AlarmsPane, TwentySecondSourceOffersOnlyPresetsAtItsFloor)
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

TEST_F(AlarmsPane, SnoozeIsAtLeastOneMinuteAndBannerDirectionAndThresholdWriteThrough)
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

TEST_F(AlarmsPane, ThresholdDragRebuildsNoPlayerButASoundChoiceDoes)
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

// --- Editing mark -------------------------------------------------------------------------------

TEST_F(AlarmsPane, EditingMarkFollowsTheSliderAndTheUsersTouch)
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

TEST_F(AlarmsPane, DeletingTheMarkedAlarmClearsTheMark)
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

TEST_F(AlarmsPane, MarkedAlarmDoesNotFireWhileItsThresholdIsDragged)
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

// --- Sounds changing ------------------------------------------------------------------------------

TEST_F(AlarmsPane, BurstOfSoundNoticesRebuildsOnceWithRowsExpanded)
{
    const Alarm a = makeAlarm();
    const Alarm b = makeAlarm();
    open({a, b});
    row(0)->expandButton()->click();
    EXPECT_FALSE(row(0)->isExpanded());
    EXPECT_EQ(view->rebuildCount(), 0);

    // A pack of three sounds posts three notices.
    for (const QString id : {"pack-a", "pack-b", "pack-c"}) {
        SoundRegistry::registerInstalled({id, "Pack " + id.right(1).toUpper(), QUrl::fromLocalFile("/x/" + id + ".mp3"),
                                          SoundRegistry::Sound::Source::installed("pack")});
    }
    EXPECT_EQ(view->soundsRev(), 3);
    turn();
    EXPECT_EQ(view->rebuildCount(), 1);
    ASSERT_EQ(view->rows().size(), 2);
    EXPECT_TRUE(row(0)->isExpanded());
    EXPECT_TRUE(row(1)->isExpanded());
    EXPECT_EQ(itemTexts(editor(0)->soundPicker()),
              (QStringList{"Bell", "Bird", "Marimba", "Pack A", "Pack B", "Pack C"}));
    EXPECT_FALSE(editor(0)->soundPicker()->itemIcon(3).isNull()); // installed: a star
    EXPECT_TRUE(editor(0)->soundPicker()->itemIcon(0).isNull());
    EXPECT_EQ(manager->editingAlarmId(), b.id);
    EXPECT_EQ(writeCount(), 0);

    // The once-a-second publishes leave the menus (and an open popup) alone.
    QSignalSpy reset(editor(0)->soundPicker()->model(), &QAbstractItemModel::modelReset);
    QSignalSpy removed(editor(0)->soundPicker()->model(), &QAbstractItemModel::rowsRemoved);
    for (int i = 0; i < 3; ++i) {
        Q_EMIT registry->snapshotsPublisher(snapshotsOf("cpu.total", 0.5));
        turn();
    }
    EXPECT_EQ(reset.count() + removed.count(), 0);
    EXPECT_EQ(view->rebuildCount(), 1);

    SoundRegistry::unregisterPack("pack");
    turn();
    EXPECT_EQ(view->rebuildCount(), 2);
    EXPECT_EQ(itemTexts(editor(0)->soundPicker()), (QStringList{"Bell", "Bird", "Marimba"}));
    settle(*manager);
}

// --- End to end -----------------------------------------------------------------------------------

TEST_F(AlarmsPane, AlarmAddedInThePaneFiresWhenItsProviderCrossesTheThreshold)
{
    auto workspace = std::make_unique<WorkspaceNotifications>(QDBusConnection(QStringLiteral("none-a")),
                                                              QDBusConnection(QStringLiteral("none-b")));
    RenderClock renderClock;
    AppLifecycle lifecycle(&renderClock, workspace.get());
    manager = makeManager({});
    manager->attach(registry.get(), &lifecycle);
    AlarmNotificationDelegate delegate;
    delegate.attach(manager.get());
    open({});
    view->addButton()->click();
    turn();
    ASSERT_EQ(manager->alarms().size(), 1);
    EXPECT_EQ(manager->editingAlarmId(), manager->alarms().first().id);

    QSignalSpy fired(manager.get(), &AlarmManager::alarmFired);
    cpu->value = 0.95;
    registry->start(nullptr, nullptr, nullptr);
    // While its row is open the new alarm is being edited: nothing fires.
    for (int i = 0; i < 3; ++i) {
        clock.advance(1);
        registry->tick();
        spinFor(300);
    }
    EXPECT_EQ(fired.count(), 0);
    EXPECT_TRUE(server->notifications().isEmpty());

    // Collapsing the row arms it.
    row(0)->expandButton()->click();
    EXPECT_EQ(manager->editingAlarmId(), std::nullopt);
    ASSERT_TRUE(waitUntil([&] {
        clock.advance(1);
        registry->tick();
        spinFor(50);
        return !server->notifications().isEmpty();
    }, 10000));
    EXPECT_EQ(server->notifications().first().summary, "CPU \u2265 80%");
    EXPECT_EQ(server->notifications().first().body, "Snooze 15m or dismiss to silence.");
    turn();
    EXPECT_TRUE(row(0)->firingMark()->isVisibleTo(window.get()));
    registry->stop();
    settle(*manager);
}

// --- Screenshots ------------------------------------------------------------------------------------

namespace {

QPalette screenshotPalette(bool dark)
{
    QPalette p = QApplication::style()->standardPalette();
    if (dark) {
        const QColor window(0x1e, 0x1e, 0x1e), text(0xe8, 0xe8, 0xe8), base(0x2b, 0x2b, 0x2b), button(0x3a, 0x3a, 0x3a);
        for (auto group : {QPalette::Active, QPalette::Inactive}) {
            p.setColor(group, QPalette::Window, window);
            p.setColor(group, QPalette::WindowText, text);
            p.setColor(group, QPalette::Base, base);
            p.setColor(group, QPalette::AlternateBase, button);
            p.setColor(group, QPalette::Text, text);
            p.setColor(group, QPalette::Button, button);
            p.setColor(group, QPalette::ButtonText, text);
            p.setColor(group, QPalette::Light, QColor(0x50, 0x50, 0x50));
            p.setColor(group, QPalette::Midlight, QColor(0x44, 0x44, 0x44));
            p.setColor(group, QPalette::Mid, QColor(0x2e, 0x2e, 0x2e));
            p.setColor(group, QPalette::Dark, QColor(0x18, 0x18, 0x18));
            p.setColor(group, QPalette::Shadow, Qt::black);
            p.setColor(group, QPalette::ToolTipBase, button);
            p.setColor(group, QPalette::ToolTipText, text);
            p.setColor(group, QPalette::PlaceholderText, QColor(0x80, 0x80, 0x80));
        }
        p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x6a, 0x6a, 0x6a));
        p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x6a, 0x6a, 0x6a));
        p.setColor(QPalette::Disabled, QPalette::Text, QColor(0x6a, 0x6a, 0x6a));
        p.setColor(QPalette::Disabled, QPalette::Window, window);
        p.setColor(QPalette::Disabled, QPalette::Button, button);
    }
    p.setColor(QPalette::Highlight, dark ? QColor(10, 132, 255) : QColor(0, 122, 255));
    p.setColor(QPalette::HighlightedText, Qt::white);
    return p;
}

} // namespace

TEST_F(AlarmsPane, Screenshots)
{
    QDir().mkpath(GAUGELET_BINARY_DIR "/screenshots");
    const QPalette previous = QApplication::palette();
    for (const bool dark : {false, true}) {
        QApplication::setPalette(screenshotPalette(dark));
        const QString suffix = dark ? "-dark" : "-light";
        auto shoot = [&](const QList<Alarm>& alarms, const QString& name, const std::function<void()>& arrange) {
            window.reset();
            manager.reset();
            defaults->remove(AlarmManager::alarmsKey);
            manager = makeManager(alarms);
            manager->attach(registry.get(), nullptr);
            open({});
            arrange();
            spinFor(250); // layouts settle and the chevrons finish turning
            const QString path = GAUGELET_BINARY_DIR "/screenshots/" + name + suffix + ".png";
            const QImage image = window->grab().toImage();
            EXPECT_TRUE(image.save(path)) << path.toStdString();
            // Something was drawn: the banner's tint differs from the window.
            EXPECT_NE(image.pixelColor(4, 4), image.pixelColor(4, image.height() - 4));
            settle(*manager);
        };

        shoot({}, "AlarmsPane-empty", [] {});

        QTemporaryDir dir;
        Alarm cpuAlarm = makeAlarm("cpu.total", 0.8, Alarm::Direction::above, 30, true, 15);
        cpuAlarm.bundledSoundId = "bell-sound";
        Alarm slowAlarm = makeAlarm("slow.total", 0.25, Alarm::Direction::below, 300, false, 5);
        Alarm gone = makeAlarm("gpu.total", 0.9, Alarm::Direction::above, 60, true, 30);
        gone.soundBookmark = SecurityScopedBookmark::bookmarkData(dir.filePath("moved.wav"));
        shoot({cpuAlarm, slowAlarm, gone}, "AlarmsPane-three", [&] {
            row(1)->expandButton()->click();
            row(2)->expandButton()->click();
            manager->evaluate(snapshotsOf("cpu.total", 0.9));
        });
        shoot({gone}, "AlarmsPane-warnings", [] {});

        QList<Alarm> twelve;
        const QString ids[] = {"cpu.total", "slow.total"};
        for (int i = 0; i < 12; ++i)
            twelve.append(makeAlarm(ids[i % 2], 0.3 + 0.05 * i, i % 3 ? Alarm::Direction::above : Alarm::Direction::below,
                                    i % 4 ? 30 : 45, i % 2 == 0, 15));
        shoot(twelve, "AlarmsPane-twelve", [&] {
            for (AlarmRow* r : view->rows())
                r->expandButton()->click();
        });
    }
    QApplication::setPalette(previous);
}
