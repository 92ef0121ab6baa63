#include "alarms/AlarmEditorModel.h"

#include "AlarmsPaneFixture.h"

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

// One model per alarm over the pane's manager, registry and sounds, with no
// widget at all.
class AlarmEditorModelTest : public AlarmsPane {
protected:
    void start(const QList<Alarm>& alarms)
    {
        manager = makeManager(alarms);
        writes = std::make_unique<QSignalSpy>(manager.get(), &AlarmManager::alarmsChanged);
        for (const Alarm& a : alarms)
            models.push_back(std::make_unique<AlarmEditorModel>(manager.get(), registry.get(), a.id,
                                                                SoundRegistry::allSounds()));
    }

    void TearDown() override
    {
        models.clear();
        AlarmsPane::TearDown();
    }

    AlarmEditorModel& model(int i) { return *models.at(i); }

    std::vector<std::unique_ptr<AlarmEditorModel>> models;
};

QStringList texts(const QList<AlarmEditorModel::MenuEntry>& entries)
{
    QStringList list;
    for (const auto& entry : entries)
        list << (entry.divider ? QStringLiteral("---") : entry.text);
    return list;
}

} // namespace

TEST_F(AlarmEditorModelTest, DurationLabelsTruncateAndSaturate)
{
    const std::pair<double, const char*> cases[] = {
        {0, "0s"},       {10, "10s"},      {59.9, "59s"},   {60, "1m"},
        {90, "1m"},      {300, "5m"},      {3599, "59m"},   {3600, "1h"},
        {5400, "1h"},    {7200, "2h"},     {std::nan(""), "0s"},
        {std::numeric_limits<double>::infinity(), "9223372036854775807h"},
        {1e300, "9223372036854775807h"}, {-5.5, "-5s"},
    };
    for (const auto& [seconds, label] : cases)
        EXPECT_EQ(AlarmEditorModel::durationLabel(seconds), label) << seconds;
}

TEST_F(AlarmEditorModelTest, SummaryLinesRoundHalvesAwayFromZero)
{
    const std::pair<double, const char*> cases[] = {
        {0.125, "CPU \u2265 13%"}, {0.124, "CPU \u2265 12%"}, {0.0, "CPU \u2265 0%"}, {1.0, "CPU \u2265 100%"}};
    QList<Alarm> alarms;
    for (const auto& c : cases)
        alarms.append(makeAlarm("cpu.total", c.first));
    alarms.append(makeAlarm("cpu.total", 0.2, Alarm::Direction::below, 30, false, 5));
    start(alarms);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(model(i).summaryLine(), cases[i].second);
    EXPECT_EQ(model(4).summaryLine(), "CPU \u2264 20%");
    EXPECT_EQ(model(4).detailLine(), "every 30s \u00B7 sound only \u00B7 snooze 5m");
    EXPECT_EQ(AlarmEditorModel::thresholdText(0.125), "13%");
    settle(*manager);
}

TEST_F(AlarmEditorModelTest, AlarmOnAMissingProviderIsExplainedUntilALoadedSourceIsChosen)
{
    start({makeAlarm("gpu.total", 0.5)});
    EXPECT_FALSE(model(0).providerLoaded());
    EXPECT_EQ(model(0).providerName(), "gpu.total");
    EXPECT_EQ(texts(model(0).sourceEntries()), (QStringList{"gpu.total (not loaded)", "---", "CPU", "Slow"}));
    EXPECT_EQ(model(0).sourceWarning(), "Source \u201Cgpu.total\u201D is not loaded. Alarm is disabled.");
    model(0).chooseSource("cpu.total");
    EXPECT_EQ(stored(0).providerId, "cpu.total");
    EXPECT_TRUE(model(0).providerLoaded());
    EXPECT_EQ(model(0).sourceWarning(), "");
    EXPECT_EQ(texts(model(0).sourceEntries()), (QStringList{"CPU", "Slow"}));
    settle(*manager);
}

TEST_F(AlarmEditorModelTest, SoundMenuWritesExactlyWhatItSays)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("my-chime.wav");
    writeFile(file, "RIFF");
    Alarm a = makeAlarm();
    a.soundBookmark = SecurityScopedBookmark::bookmarkData(file);
    start({a});
    AlarmEditorModel& m = model(0);
    EXPECT_EQ(texts(m.soundEntries()), (QStringList{"Custom: my-chime", "---", "Bell", "Bird", "Marimba"}));
    EXPECT_EQ(m.soundValue(), AlarmEditorModel::customSoundTag);
    EXPECT_FALSE(m.soundWarningShown());

    m.chooseSound(AlarmEditorModel::customSoundTag);
    EXPECT_EQ(writes->count(), 0);

    m.chooseSound("bell-sound");
    EXPECT_EQ(writes->count(), 2);
    EXPECT_FALSE(stored(0).soundBookmark);
    EXPECT_EQ(stored(0).bundledSoundId, QString("bell-sound"));
    EXPECT_EQ(texts(m.soundEntries()), (QStringList{"Bell", "Bird", "Marimba"}));
    EXPECT_EQ(m.soundValue(), "bell-sound");
    EXPECT_TRUE(m.resetShown());

    m.resetSound();
    EXPECT_EQ(writes->count(), 4);
    EXPECT_FALSE(stored(0).soundBookmark);
    EXPECT_FALSE(stored(0).bundledSoundId);
    EXPECT_EQ(m.soundValue(), "bird-sound");
    EXPECT_FALSE(m.resetShown());
    settle(*manager);
}

TEST_F(AlarmEditorModelTest, WithNoSoundsTheMenuOffersOnlyThePlaceholder)
{
    sounds.reset();
    sounds = std::make_unique<SoundsFolder>(QStringList{});
    Alarm a = makeAlarm();
    a.bundledSoundId = "bird-sound";
    start({a});
    EXPECT_EQ(texts(model(0).soundEntries()), QStringList{"(no bundled sounds)"});
    EXPECT_TRUE(model(0).resetShown());
    model(0).chooseSound(AlarmEditorModel::noSoundTag);
    EXPECT_EQ(writes->count(), 2);
    EXPECT_EQ(stored(0).bundledSoundId, QString(""));
    EXPECT_FALSE(stored(0).soundBookmark);
    settle(*manager);
}

TEST_F(AlarmEditorModelTest, SourceChangeRaisesTheRepeatToTheNewFloorButNeverLowersIt)
{
    Alarm fast = makeAlarm("cpu.total", 0.8, Alarm::Direction::above, 10);
    Alarm longer = makeAlarm("slow.total", 0.8, Alarm::Direction::above, 300);
    start({fast, longer});

    model(0).chooseSource("slow.total");
    EXPECT_EQ(writes->count(), 2); // the source, then the raised repeat
    EXPECT_EQ(stored(0).providerId, "slow.total");
    EXPECT_DOUBLE_EQ(stored(0).repeatInterval, 20);

    model(1).chooseSource("cpu.total");
    EXPECT_EQ(writes->count(), 3); // the source only
    EXPECT_EQ(stored(1).providerId, "cpu.total");
    EXPECT_DOUBLE_EQ(stored(1).repeatInterval, 300);
    settle(*manager);
}

TEST_F(AlarmEditorModelTest, TwentySecondSourceOffersOnlyPresetsAtItsFloor)
{
    start({makeAlarm("slow.total", 0.8, Alarm::Direction::above, 10)});
    AlarmEditorModel& m = model(0);
    EXPECT_EQ(texts(m.repeatEntries()),
              (QStringList{"10s (custom)", "---", "30 seconds", "1 minute", "5 minutes", "15 minutes", "1 hour"}));
    EXPECT_DOUBLE_EQ(m.repeatValue(), 10);
    EXPECT_EQ(m.repeatHelp(), "Bounded by the source's refresh rate (20s).");
    // Choosing the custom entry stores at least the floor.
    m.chooseRepeat(10);
    EXPECT_DOUBLE_EQ(stored(0).repeatInterval, 20);
    EXPECT_EQ(texts(m.repeatEntries()).first(), "20s (custom)");
    m.chooseRepeat(300);
    EXPECT_DOUBLE_EQ(stored(0).repeatInterval, 300);
    EXPECT_EQ(texts(m.repeatEntries()), (QStringList{"30 seconds", "1 minute", "5 minutes", "15 minutes", "1 hour"}));
    EXPECT_EQ(writes->count(), 2);
    settle(*manager);
}

TEST_F(AlarmEditorModelTest, APresetAtTheFloorIsOffered)
{
    // A source refreshing every 30 s: "30 seconds" is the shortest repeat left.
    auto halfMinute = std::make_shared<IntervalProvider>("half.total", "Half", 30.0);
    StatRegistry halfRegistry(StatRegistry::Providers{halfMinute});
    start({makeAlarm("half.total", 0.8, Alarm::Direction::above, 30)});
    AlarmEditorModel m(manager.get(), &halfRegistry, stored(0).id, SoundRegistry::allSounds());
    EXPECT_EQ(texts(m.repeatEntries()), (QStringList{"30 seconds", "1 minute", "5 minutes", "15 minutes", "1 hour"}));
    settle(*manager);
}

TEST_F(AlarmEditorModelTest, SnoozeIsAtLeastOneMinuteAndBannerDirectionAndThresholdWriteThrough)
{
    start({makeAlarm("cpu.total", 0.8, Alarm::Direction::above, 30, false, 0)});
    AlarmEditorModel& m = model(0);
    EXPECT_EQ(texts(m.snoozeEntries()), (QStringList{"1 minute", "5 minutes", "15 minutes", "30 minutes", "1 hour"}));
    EXPECT_EQ(m.snoozeValue(), 1);
    m.chooseSnooze(1);
    EXPECT_EQ(stored(0).notifySnoozeMinutes, 1);
    m.chooseSnooze(0);
    EXPECT_EQ(stored(0).notifySnoozeMinutes, 1);
    m.chooseSnooze(60);
    EXPECT_EQ(stored(0).notifySnoozeMinutes, 60);

    m.setNotify(true);
    EXPECT_TRUE(stored(0).notify);
    m.chooseDirection(Alarm::Direction::below);
    EXPECT_EQ(stored(0).direction, Alarm::Direction::below);
    const int before = int(writes->count());
    m.chooseDirection(Alarm::Direction::below); // the selected segment chooses nothing
    EXPECT_EQ(writes->count(), before);

    // Thresholds are stored within 0…1; every move writes.
    for (double t : {0.5, 0.51, 0.52})
        EXPECT_TRUE(m.moveThreshold(t));
    EXPECT_EQ(writes->count(), before + 3);
    EXPECT_DOUBLE_EQ(stored(0).threshold, 0.52);
    m.moveThreshold(1.7);
    EXPECT_DOUBLE_EQ(stored(0).threshold, 1.0);
    m.moveThreshold(std::nan(""));
    EXPECT_DOUBLE_EQ(stored(0).threshold, 0.0);
    settle(*manager);
}

TEST_F(AlarmEditorModelTest, EditingMarkIsTakenByTouchesAndReleasedOnlyByItsOwner)
{
    const Alarm a = makeAlarm();
    const Alarm b = makeAlarm("cpu.total", 0.5);
    start({a, b});
    model(0).takeEditingMark();
    EXPECT_EQ(manager->editingAlarmId(), a.id);
    model(1).chooseSnooze(5);
    EXPECT_EQ(manager->editingAlarmId(), b.id);
    model(0).releaseEditingMark(); // not a's any more
    EXPECT_EQ(manager->editingAlarmId(), b.id);
    model(1).releaseEditingMark();
    EXPECT_EQ(manager->editingAlarmId(), std::nullopt);
    // A deleted alarm takes no mark and writes nothing more.
    model(0).deleteAlarm();
    ASSERT_EQ(manager->alarms().size(), 1);
    EXPECT_EQ(stored(0).id, b.id);
    model(0).takeEditingMark();
    EXPECT_EQ(manager->editingAlarmId(), std::nullopt);
    const int before = int(writes->count());
    EXPECT_FALSE(model(0).moveThreshold(0.3));
    model(0).chooseSound("bell-sound");
    EXPECT_EQ(writes->count(), before);
    EXPECT_TRUE(model(0).sourceEntries().isEmpty());
    settle(*manager);
}
