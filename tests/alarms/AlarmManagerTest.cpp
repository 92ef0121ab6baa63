#include "alarms/AlarmManager.h"

#include "AlarmFixture.h"
#include "lifecycle/AppLifecycle.h"
#include "platform/desktop/AudioPlayer.h"
#include "platform/desktop/SecurityScopedBookmark.h"
#include "platform/desktop/WorkspaceNotifications.h"
#include "schema/SettingsSchema.h"
#include "stats/RenderClock.h"

#include <QDataStream>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSemaphore>
#include <QSignalSpy>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <cmath>
#include <limits>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

class AlarmManagerPersistence : public AlarmFixture {};
class AlarmManagerEvaluation : public AlarmFixture {};
class AlarmManagerNotifications : public AlarmFixture {};
class AlarmManagerPlayers : public AlarmFixture {};

QList<Alarm> storedAlarms(Defaults* defaults)
{
    auto data = defaults->data(SettingsSchema::alarms);
    if (!data)
        return {};
    auto list = Alarm::decodeList(*data);
    return list ? *list : QList<Alarm>{};
}

std::unique_ptr<WorkspaceNotifications> offlineWorkspace()
{
    return std::make_unique<WorkspaceNotifications>(QDBusConnection(QStringLiteral("none-a")),
                                                    QDBusConnection(QStringLiteral("none-b")));
}

// A mono 16-bit PCM WAV file of silence.
QByteArray silentWav(int rate, int seconds)
{
    const quint32 dataBytes = quint32(rate) * 2u * quint32(seconds);
    QByteArray wav;
    QDataStream out(&wav, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + dataBytes);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(rate) << quint32(rate * 2) << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << dataBytes;
    wav.append(QByteArray(int(dataBytes), '\0'));
    return wav;
}

int fired(QSignalSpy& spy)
{
    return int(spy.count());
}

} // namespace

// --- Persistence -----------------------------------------------------------------

TEST_F(AlarmManagerPersistence, FirstStartSeedsOneSampleAlarm)
{
    AlarmManager manager;
    ASSERT_EQ(manager.alarms().size(), 1);
    const Alarm& a = manager.alarms().first();
    EXPECT_EQ(a.providerId, "cpu.total");
    EXPECT_DOUBLE_EQ(a.threshold, 0.8);
    EXPECT_EQ(a.direction, Alarm::Direction::above);
    EXPECT_DOUBLE_EQ(a.repeatInterval, 30);
    EXPECT_TRUE(a.enabled);
    EXPECT_TRUE(a.notify);
    EXPECT_EQ(a.notifySnoozeMinutes, 15);
    EXPECT_FALSE(a.soundBookmark || a.bundledSoundId);
    EXPECT_EQ(storedAlarms(defaults.get()), manager.alarms());
    EXPECT_EQ(defaults->boolean(SettingsSchema::sampleAlarmSeeded), true);
    EXPECT_EQ(log.count("first-run seed: installed sample alarm cpu.total > 80 %"), 1);
    // The seeded alarm notifies, so permission is asked at construction.
    EXPECT_TRUE(manager.hasAttemptedAuthRequest());
    settle(manager);
}

TEST_F(AlarmManagerPersistence, SeedIsOfferedOnlyOnceEvenAfterDeletion)
{
    {
        AlarmManager first;
        first.setAlarms({});
        settle(first);
    }
    AlarmManager second;
    EXPECT_TRUE(second.alarms().isEmpty());
    settle(second);
}

TEST_F(AlarmManagerPersistence, OlderInstallWithAlarmsKeepsThemAndSkipsTheSample)
{
    const Alarm mine = makeAlarm("memory.total", 0.9);
    defaults->set(SettingsSchema::alarms, *Alarm::encodeList({mine}));
    AlarmManager manager;
    EXPECT_EQ(manager.alarms(), QList<Alarm>{mine});
    EXPECT_EQ(defaults->boolean(SettingsSchema::sampleAlarmSeeded), true);
    EXPECT_EQ(log.count("first-run seed: alarms already populated, skipping sample"), 1);
    settle(manager);
}

TEST_F(AlarmManagerPersistence, RepeatsReadFromTheFileAreRaisedToTheEditorsFloor)
{
    // As a hand-edited file or a backup may hold them.
    QList<Alarm> stored;
    for (double repeat : {0.0, -5.0, 0.25, 1.0, 30.0})
        stored << makeAlarm("cpu.total", 0.8, Alarm::Direction::above, repeat);
    defaults->set(SettingsSchema::alarms, *Alarm::encodeList(stored));
    defaults->set(SettingsSchema::sampleAlarmSeeded, true);
    AlarmManager manager;
    QList<double> repeats;
    for (const Alarm& a : manager.alarms())
        repeats << a.repeatInterval;
    EXPECT_EQ(repeats, (QList<double>{1, 1, 1, 1, 30}));

    // Past the threshold for two seconds of readings every quarter second:
    // an alarm read with no repeat fires once a second, not at every reading.
    QSignalSpy spy(&manager, &AlarmManager::alarmFired);
    for (int i = 0; i < 8; ++i) {
        manager.evaluate(snapshotsOf("cpu.total", 0.9));
        clock.advance(0.25);
    }
    const auto firstAlarm = std::count_if(
        spy.cbegin(), spy.cend(), [&](const QList<QVariant>& args) { return args.at(0).toUuid() == stored[0].id; });
    EXPECT_EQ(firstAlarm, 2);
    settle(manager);
}

TEST_F(AlarmManagerPersistence, UnreadableAlarmsAreKeptAsideBeforeTheFirstWriteReplacesThem)
{
    QJsonObject broken = QJsonDocument::fromJson(*Alarm::encodeList({makeAlarm()})).array().at(0).toObject();
    broken.remove("notifySnoozeMinutes");
    const QByteArray bad = QJsonDocument(QJsonArray{broken}).toJson();
    defaults->set(SettingsSchema::alarms, bad);
    defaults->set(SettingsSchema::sampleAlarmSeeded, true);

    AlarmManager manager;
    EXPECT_TRUE(manager.alarms().isEmpty());
    EXPECT_EQ(log.countPrefix("alarm load failed: "), 1);
    EXPECT_EQ(defaults->data(SettingsSchema::alarms), bad) << "nothing is written until the list changes";
    EXPECT_FALSE(defaults->data(SettingsSchema::unreadableAlarms).has_value());

    const Alarm fresh = makeAlarm();
    manager.setAlarms({fresh});
    EXPECT_EQ(defaults->data(SettingsSchema::unreadableAlarms), bad);
    EXPECT_EQ(storedAlarms(defaults.get()), QList<Alarm>{fresh});
    EXPECT_EQ(log.countPrefix("alarm load: unreadable stored alarms kept under global.alarms.unreadable"), 1);

    manager.setAlarms({});
    EXPECT_EQ(defaults->data(SettingsSchema::unreadableAlarms), bad) << "copied once, never overwritten";
    EXPECT_EQ(log.countPrefix("alarm load: unreadable"), 1);
    settle(manager);
}

TEST_F(AlarmManagerPersistence, UnreadableAlarmsOnFirstStartSurviveTheSeededSample)
{
    const QByteArray bad = "[{\"id\":\"not a uuid\"}]";
    defaults->set(SettingsSchema::alarms, bad);
    AlarmManager manager;
    ASSERT_EQ(manager.alarms().size(), 1) << "the sample is added";
    EXPECT_EQ(defaults->data(SettingsSchema::unreadableAlarms), bad);
    EXPECT_EQ(storedAlarms(defaults.get()), manager.alarms());
    settle(manager);
}

TEST_F(AlarmManagerPersistence, EveryWriteRunsTheHookOnce)
{
    auto manager = makeManager({makeAlarm(), makeAlarm("gpu.total")});
    int writes = 0;
    QObject::connect(defaults.get(), &Defaults::changed, [&](const QString& key) {
        writes += key == SettingsSchema::alarms ? 1 : 0;
    });
    QSignalSpy rebuilt(manager.get(), &AlarmManager::playersRebuilt);
    QList<Alarm> list = manager->alarms();
    list[1].enabled = false;
    manager->setAlarms(list);
    EXPECT_EQ(writes, 1);
    settle(*manager);
    EXPECT_EQ(rebuilt.count(), 1);
    EXPECT_EQ(storedAlarms(defaults.get()).at(1).enabled, false);
}

TEST_F(AlarmManagerPersistence, NonFiniteThresholdIsNotWrittenAndNeverCrashes)
{
    const Alarm good = makeAlarm();
    auto manager = makeManager({good});
    Alarm nan = good;
    nan.threshold = std::numeric_limits<double>::quiet_NaN();
    manager->setAlarms({nan});
    EXPECT_EQ(log.countPrefix("alarm persist failed: "), 1);
    EXPECT_EQ(storedAlarms(defaults.get()), QList<Alarm>{good}) << "the previous stored data stays";

    QSignalSpy spy(manager.get(), &AlarmManager::alarmFired);
    manager->evaluate(snapshotsOf("cpu.total", 0.99));
    EXPECT_EQ(spy.count(), 0) << "a NaN threshold never crosses";
    EXPECT_EQ(manager->notificationTitle(nan, false), "cpu.total \u2265 0%");
    Alarm inf = good;
    inf.threshold = std::numeric_limits<double>::infinity();
    EXPECT_EQ(manager->notificationTitle(inf, false), "cpu.total \u2265 9223372036854775807%");
    inf.threshold = -std::numeric_limits<double>::infinity();
    inf.direction = Alarm::Direction::below;
    EXPECT_EQ(manager->notificationTitle(inf, false), "cpu.total \u2264 -9223372036854775808%");
    settle(*manager);
}

// --- Evaluation ------------------------------------------------------------------

TEST_F(AlarmManagerEvaluation, FiresOnTheFirstCrossingOnlyWhileTheValueStaysHigh)
{
    const Alarm a = makeAlarm();
    auto manager = makeManager({a});
    QSignalSpy spy(manager.get(), &AlarmManager::alarmFired);
    manager->evaluate(snapshotsOf("cpu.total", 0.79));
    EXPECT_EQ(fired(spy), 0);
    EXPECT_FALSE(manager->firing().contains(a.id));
    for (double v : {0.80, 0.85, 0.85}) {
        clock.advance(1);
        manager->evaluate(snapshotsOf("cpu.total", v));
        EXPECT_TRUE(manager->firing().contains(a.id));
    }
    EXPECT_EQ(fired(spy), 1);
}

TEST_F(AlarmManagerEvaluation, GoingBackBelowReArms)
{
    auto manager = makeManager({makeAlarm()});
    QSignalSpy spy(manager.get(), &AlarmManager::alarmFired);
    for (double v : {0.85, 0.5, 0.85}) {
        clock.advance(1);
        manager->evaluate(snapshotsOf("cpu.total", v));
    }
    EXPECT_EQ(fired(spy), 2);
}

TEST_F(AlarmManagerEvaluation, RepeatsAfterTheIntervalWhileStillPast)
{
    auto manager = makeManager({makeAlarm("cpu.total", 0.8, Alarm::Direction::above, 30)});
    QSignalSpy spy(manager.get(), &AlarmManager::alarmFired);
    manager->evaluate(snapshotsOf("cpu.total", 0.9));
    clock.advance(29.5);
    manager->evaluate(snapshotsOf("cpu.total", 0.9));
    EXPECT_EQ(fired(spy), 1);
    clock.advance(0.5);
    manager->evaluate(snapshotsOf("cpu.total", 0.9));
    EXPECT_EQ(fired(spy), 2);

    // A zero interval fires at every flush.
    auto every = makeManager({makeAlarm("gpu.total", 0.5, Alarm::Direction::above, 0)});
    QSignalSpy spy2(every.get(), &AlarmManager::alarmFired);
    for (int i = 0; i < 3; ++i)
        every->evaluate(snapshotsOf("gpu.total", 0.6));
    EXPECT_EQ(spy2.count(), 3);
}

TEST_F(AlarmManagerEvaluation, BelowIsInclusiveAndNaNNeverCrosses)
{
    const Alarm low = makeAlarm("memory.total", 0.2, Alarm::Direction::below);
    auto manager = makeManager({low});
    QSignalSpy spy(manager.get(), &AlarmManager::alarmFired);
    manager->evaluate(snapshotsOf("memory.total", std::nan("")));
    EXPECT_EQ(fired(spy), 0);
    manager->evaluate(snapshotsOf("memory.total", 0.2));
    EXPECT_EQ(fired(spy), 1);
}

TEST_F(AlarmManagerEvaluation, SnoozeSilencesUntilItEndsThenTheRepeatRuleApplies)
{
    const Alarm a = makeAlarm();
    auto manager = makeManager({a});
    QSignalSpy spy(manager.get(), &AlarmManager::alarmFired);
    manager->evaluate(snapshotsOf("cpu.total", 0.9));
    manager->snooze(a.id, 5);
    EXPECT_FALSE(manager->firing().contains(a.id));
    EXPECT_DOUBLE_EQ(manager->snoozedUntil().value(a.id), 1300.0);
    for (int step = 0; step < 29; ++step) { // up to 290 s into the snooze
        clock.advance(10);
        manager->evaluate(snapshotsOf("cpu.total", 0.9));
        ASSERT_FALSE(manager->firing().contains(a.id));
    }
    EXPECT_EQ(fired(spy), 1);
    clock.set(1300.0);
    manager->evaluate(snapshotsOf("cpu.total", 0.9));
    EXPECT_EQ(fired(spy), 2);
    EXPECT_TRUE(manager->firing().contains(a.id));
}

TEST_F(AlarmManagerEvaluation, DroppingBelowEndsASnoozeAndTheNextCrossingFiresAtOnce)
{
    const Alarm a = makeAlarm();
    auto manager = makeManager({a});
    QSignalSpy spy(manager.get(), &AlarmManager::alarmFired);
    manager->evaluate(snapshotsOf("cpu.total", 0.9));
    manager->snooze(a.id, 60);
    clock.advance(1);
    manager->evaluate(snapshotsOf("cpu.total", 0.1));
    EXPECT_FALSE(manager->snoozedUntil().contains(a.id));
    clock.advance(1);
    manager->evaluate(snapshotsOf("cpu.total", 0.9));
    EXPECT_EQ(fired(spy), 2);
}

TEST_F(AlarmManagerEvaluation, HugeSnoozeSaturatesInsteadOfOverflowing)
{
    const Alarm a = makeAlarm();
    auto manager = makeManager({a});
    QSignalSpy spy(manager.get(), &AlarmManager::alarmFired);
    manager->snooze(a.id, std::numeric_limits<qint64>::max());
    EXPECT_GT(manager->snoozedUntil().value(a.id), 1e20);
    clock.advance(1e9);
    manager->evaluate(snapshotsOf("cpu.total", 0.9));
    EXPECT_EQ(fired(spy), 0);
}

TEST_F(AlarmManagerEvaluation, TheAlarmBeingEditedIsNotEvaluated)
{
    const Alarm a = makeAlarm();
    auto manager = makeManager({a});
    QSignalSpy spy(manager.get(), &AlarmManager::alarmFired);
    manager->setEditingAlarmId(a.id);
    manager->evaluate(snapshotsOf("cpu.total", 1.0));
    EXPECT_EQ(fired(spy), 0);
    EXPECT_FALSE(manager->firing().contains(a.id));
    manager->setEditingAlarmId(std::nullopt);
    manager->evaluate(snapshotsOf("cpu.total", 1.0));
    EXPECT_EQ(fired(spy), 1);
}

TEST_F(AlarmManagerEvaluation, DisabledAlarmsAndMissingProvidersAreSkipped)
{
    Alarm off = makeAlarm();
    off.enabled = false;
    const Alarm gpu = makeAlarm("gpu.total");
    auto manager = makeManager({off, gpu});
    QSignalSpy spy(manager.get(), &AlarmManager::alarmFired);
    manager->evaluate(snapshotsOf("cpu.total", 1.0));
    EXPECT_EQ(fired(spy), 0);
    EXPECT_TRUE(manager->firing().isEmpty());
}

TEST_F(AlarmManagerEvaluation, PauseIgnoresFlushesAndResumeTreatsEveryEnabledAlarmAsJustFired)
{
    const Alarm a = makeAlarm("cpu.total", 0.8, Alarm::Direction::above, 30);
    const Alarm b = makeAlarm("gpu.total", 0.5);
    Alarm off = makeAlarm("memory.total");
    off.enabled = false;
    auto manager = makeManager({a, b, off});
    auto workspace = offlineWorkspace();
    RenderClock renderClock;
    AppLifecycle lifecycle(&renderClock, workspace.get());
    StatRegistry registry({});
    manager->attach(&registry, &lifecycle);
    settle(*manager);
    QSignalSpy spy(manager.get(), &AlarmManager::alarmFired);

    manager->evaluate(snapshotsOf("cpu.total", 0.9));
    EXPECT_EQ(fired(spy), 1);
    lifecycle.pause();
    EXPECT_TRUE(manager->isPaused());
    clock.advance(100);
    manager->evaluate(snapshotsOf("cpu.total", 0.9));
    EXPECT_EQ(fired(spy), 1) << "nothing is evaluated while paused";
    EXPECT_TRUE(manager->firing().contains(a.id)) << "firing keeps its members while paused";

    lifecycle.resume();
    EXPECT_TRUE(manager->firing().isEmpty());
    EXPECT_EQ(log.count("alarms re-armed after resume; 2 enabled alarm(s) require fresh cross"), 1);
    EXPECT_DOUBLE_EQ(manager->lastFiredAt().value(b.id), 1100.0);
    clock.advance(29);
    manager->evaluate(snapshotsOf("cpu.total", 0.9));
    EXPECT_EQ(fired(spy), 1) << "still past: waits a full interval from the resume";
    clock.advance(1);
    manager->evaluate(snapshotsOf("cpu.total", 0.9));
    EXPECT_EQ(fired(spy), 2);

    lifecycle.resume(); // resume without a pause is no transition
    EXPECT_EQ(log.countPrefix("alarms re-armed after resume"), 1);
}

TEST_F(AlarmManagerEvaluation, AttachReadsAPausedWatcherWithoutTreatingItAsATransition)
{
    auto manager = makeManager({makeAlarm()});
    auto workspace = offlineWorkspace();
    RenderClock renderClock;
    AppLifecycle lifecycle(&renderClock, workspace.get());
    lifecycle.pause();
    StatRegistry registry({});
    manager->attach(&registry, &lifecycle);
    EXPECT_TRUE(manager->isPaused());
    EXPECT_EQ(log.countPrefix("alarms re-armed"), 0);
    settle(*manager);
}

TEST_F(AlarmManagerEvaluation, SuppressDisablesStoresAndPrunes)
{
    const Alarm a = makeAlarm();
    auto manager = makeManager({a});
    manager->evaluate(snapshotsOf("cpu.total", 0.9));
    manager->snooze(a.id, 5);
    manager->evaluate(snapshotsOf("cpu.total", 0.1));
    manager->evaluate(snapshotsOf("cpu.total", 0.9));
    ASSERT_TRUE(manager->firing().contains(a.id));
    manager->suppress(a.id);
    EXPECT_FALSE(manager->alarms().first().enabled);
    EXPECT_FALSE(storedAlarms(defaults.get()).first().enabled);
    EXPECT_TRUE(manager->firing().isEmpty());
    EXPECT_TRUE(manager->lastFiredAt().isEmpty());
    EXPECT_TRUE(manager->armedSinceCleared().isEmpty());
    manager->suppress(QUuid::createUuid()); // unknown: nothing happens
    settle(*manager);
}

TEST_F(AlarmManagerEvaluation, SnapshotsPublishedByTheRegistryAreEvaluated)
{
    auto cpu = std::make_shared<TestProvider>("cpu.total", "CPU");
    auto mem = std::make_shared<TestProvider>("memory.total", "Memory");
    StatRegistry registry({cpu, mem});
    const Alarm a = makeAlarm("cpu.total", 0.8);
    const Alarm m = makeAlarm("memory.total", 0.3, Alarm::Direction::below);
    auto manager = makeManager({a, m});
    auto workspace = offlineWorkspace();
    RenderClock renderClock;
    AppLifecycle lifecycle(&renderClock, workspace.get());
    manager->attach(&registry, &lifecycle);
    QSignalSpy spy(manager.get(), &AlarmManager::alarmFired);

    cpu->value = 0.95;
    mem->value = 0.5;
    registry.start(nullptr, nullptr, nullptr); // samples both once, publishes one flush
    ASSERT_TRUE(waitUntil([&] { return spy.count() == 1; }));
    EXPECT_EQ(spy.at(0).at(0).value<QUuid>(), a.id);
    EXPECT_EQ(manager->firing(), QSet<QUuid>{a.id});

    clock.advance(1);
    cpu->value = 0.1;
    mem->value = 0.3;
    registry.tick();
    ASSERT_TRUE(waitUntil([&] { return spy.count() == 2; }));
    EXPECT_EQ(spy.at(1).at(0).value<QUuid>(), m.id);
    EXPECT_EQ(manager->firing(), QSet<QUuid>{m.id});
    settle(*manager);
}

TEST_F(AlarmManagerEvaluation, AProvidersFirstReadingAfterAStartIsSkipped)
{
    // The first CPU or network reading measures no interval and reads 0: a
    // `below` alarm must not fire on it at every launch.
    auto cpu = std::make_shared<TestProvider>("cpu.total", "CPU");
    cpu->value = 0.0;
    cpu->firstReading = true;
    StatRegistry registry({cpu});
    const Alarm low = makeAlarm("cpu.total", 0.05, Alarm::Direction::below);
    auto manager = makeManager({low});
    auto workspace = offlineWorkspace();
    RenderClock renderClock;
    AppLifecycle lifecycle(&renderClock, workspace.get());
    manager->attach(&registry, &lifecycle);
    QSignalSpy spy(manager.get(), &AlarmManager::alarmFired);
    QSignalSpy published(&registry, &StatRegistry::snapshotsPublisher);
    registry.start(nullptr, nullptr, nullptr);
    ASSERT_TRUE(waitUntil([&] { return published.count() == 1; }));
    EXPECT_EQ(registry.snapshots().value("cpu.total").value, 0.0); // still published as it is
    EXPECT_EQ(spy.count(), 0);
    EXPECT_TRUE(manager->firing().isEmpty());

    clock.advance(1);
    cpu->firstReading = false;
    registry.tick();
    ASSERT_TRUE(waitUntil([&] { return spy.count() == 1; }));
    EXPECT_EQ(manager->firing(), QSet<QUuid>{low.id});

    // A reset (a later first reading) is skipped too and leaves the state alone.
    StatRegistry::Snapshots reset = snapshotsOf("cpu.total", 0.0);
    reset["cpu.total"].isFirstReading = true;
    clock.advance(100);
    manager->evaluate(reset);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(manager->firing(), QSet<QUuid>{low.id});
    settle(*manager);
}

// --- Notifications and the sound that follows -----------------------------------------------

TEST_F(AlarmManagerNotifications, FiringPostsOneNotificationThenPlaysTheSound200msLater)
{
    auto cpu = std::make_shared<TestProvider>("cpu.total", "CPU");
    StatRegistry registry({cpu});
    const Alarm a = makeAlarm("cpu.total", 0.8, Alarm::Direction::above, 30, /*notify=*/true, 15);
    auto manager = makeManager({a});
    AlarmNotificationDelegate delegate;
    auto workspace = offlineWorkspace();
    RenderClock renderClock;
    AppLifecycle lifecycle(&renderClock, workspace.get());
    manager->attach(&registry, &lifecycle);
    delegate.attach(manager.get());
    settle(*manager);
    ASSERT_TRUE(manager->players().contains(a.id));
    const auto player = manager->players().value(a.id);

    QElapsedTimer timer;
    timer.start();
    manager->evaluate(snapshotsOf("cpu.total", 0.85));
    EXPECT_EQ(player->playRequests(), 0);
    ASSERT_TRUE(waitUntil([&] { return server->notifications().size() == 1; }));
    ASSERT_TRUE(waitUntil([&] { return player->playRequests() == 1; }));
    EXPECT_GE(timer.elapsed(), 195);
    spinFor(50);
    EXPECT_EQ(server->notifications().size(), 1);

    // A copy: the list grows below.
    const auto n = server->notifications().first();
    EXPECT_EQ(n.summary, "CPU \u2265 80%");
    EXPECT_EQ(n.body, "Snooze 15m or dismiss to silence.");
    EXPECT_EQ(n.actions, (QStringList{"ALARM_SUPPRESS", "Suppress", "ALARM_SNOOZE", "Snooze 15m"}));
    EXPECT_EQ(n.hints.value("suppress-sound").toBool(), true);
    EXPECT_NE(center->serverId("alarm." + a.idString()), 0u);

    // A second firing replaces the first notification.
    clock.advance(31);
    manager->evaluate(snapshotsOf("cpu.total", 0.85));
    ASSERT_TRUE(waitUntil([&] { return server->notifications().size() == 2; }));
    EXPECT_EQ(server->notifications().at(1).replacesId, n.returnedId);
}

TEST_F(AlarmManagerNotifications, TitlesBodiesAndIdentifiers)
{
    auto cpu = std::make_shared<TestProvider>("cpu.total", "CPU");
    auto registry = std::make_unique<StatRegistry>(StatRegistry::Providers{cpu});
    Alarm a = makeAlarm("cpu.total", 0.8, Alarm::Direction::above, 30, true, 15);
    auto manager = makeManager();
    auto workspace = offlineWorkspace();
    RenderClock renderClock;
    AppLifecycle lifecycle(&renderClock, workspace.get());
    manager->attach(registry.get(), &lifecycle);

    EXPECT_EQ(manager->notificationTitle(a, false), "CPU \u2265 80%");
    EXPECT_EQ(manager->notificationTitle(a, true), "[TEST] CPU \u2265 80%");
    EXPECT_EQ(AlarmManager::notificationIdentifier(a, false), "alarm." + a.idString());
    EXPECT_EQ(AlarmManager::notificationIdentifier(a, true), "alarm.preview." + a.idString());
    EXPECT_EQ(a.idString(), a.idString().toUpper());
    a.threshold = 0.125;
    a.direction = Alarm::Direction::below;
    EXPECT_EQ(manager->notificationTitle(a, false), "CPU \u2264 13%");
    registry.reset();
    a.threshold = 0.8;
    a.direction = Alarm::Direction::above;
    EXPECT_EQ(manager->notificationTitle(a, false), "cpu.total \u2265 80%");
    EXPECT_EQ(AlarmManager::notificationBody(a), "Snooze 15m or dismiss to silence.");
    settle(*manager);
}

TEST_F(AlarmManagerNotifications, TwoSnoozeLengthsRegisterExactlyTwoCategories)
{
    const Alarm five = makeAlarm("cpu.total", 0.5, Alarm::Direction::above, 30, true, 5);
    const Alarm fifteen = makeAlarm("gpu.total", 0.5, Alarm::Direction::above, 30, true, 15);
    auto manager = makeManager({five, fifteen});
    AlarmNotificationDelegate delegate;
    center->setNotificationCategories({AlarmNotificationDelegate::category(99)}); // left from an earlier run
    delegate.attach(manager.get());
    EXPECT_TRUE(center->notificationCategories().isEmpty());
    StatRegistry::Snapshots both = snapshotsOf("cpu.total", 0.9);
    both.insert(snapshotsOf("gpu.total", 0.9));
    manager->evaluate(both);
    manager->evaluate(both);
    QStringList ids;
    for (const auto& c : center->notificationCategories())
        ids << c.identifier;
    EXPECT_EQ(ids, (QStringList{"ALARM_FIRE_5", "ALARM_FIRE_15"}));
    ASSERT_TRUE(waitUntil([&] { return server->notifications().size() == 2; }));
    settle(*manager);
}

TEST_F(AlarmManagerNotifications, PermissionIsAskedOnceAndOnlyWhenAnAlarmNotifies)
{
    auto manager = makeManager({makeAlarm()});
    for (int i = 0; i < 5; ++i)
        manager->setAlarms({makeAlarm(), makeAlarm("gpu.total")});
    spinFor(50);
    EXPECT_FALSE(manager->hasAttemptedAuthRequest());
    EXPECT_EQ(server->capabilityCalls(), 0);
    QList<Alarm> list = manager->alarms();
    list[0].notify = true;
    manager->setAlarms(list);
    manager->setAlarms(list);
    ASSERT_TRUE(waitUntil([&] { return server->capabilityCalls() == 1; }));
    spinFor(50);
    EXPECT_EQ(server->capabilityCalls(), 1);
    settle(*manager);
}

TEST_F(AlarmManagerNotifications, WithoutANotificationServerFailuresAreLoggedAndTheSoundStillPlays)
{
    PrivateBus empty;
    UserNotificationCenter lonely(empty.connect());
    UserNotificationCenter::setCurrent(&lonely);
    const Alarm a = makeAlarm("cpu.total", 0.8, Alarm::Direction::above, 30, true);
    auto manager = makeManager({a});
    ASSERT_TRUE(waitUntil([&] { return log.countPrefix("notification auth request failed: ") == 1; }));
    StatRegistry registry({});
    auto workspace = offlineWorkspace();
    RenderClock renderClock;
    AppLifecycle lifecycle(&renderClock, workspace.get());
    manager->attach(&registry, &lifecycle);
    settle(*manager);
    const auto player = manager->players().value(a.id);
    ASSERT_TRUE(player);
    manager->evaluate(snapshotsOf("cpu.total", 0.9));
    ASSERT_TRUE(waitUntil([&] { return log.countPrefix("notification post failed for " + a.idString() + ": ") == 1; }));
    ASSERT_TRUE(waitUntil([&] { return player->playRequests() == 1; }));
}

// --- Players ----------------------------------------------------------------------

TEST_F(AlarmManagerPlayers, AttachBuildsThePlayersAgainSoFiringsAreNotSilent)
{
    const Alarm a = makeAlarm();
    auto manager = makeManager({a});
    ASSERT_TRUE(manager->players().contains(a.id)) << "built at construction";
    StatRegistry registry({});
    auto workspace = offlineWorkspace();
    RenderClock renderClock;
    AppLifecycle lifecycle(&renderClock, workspace.get());
    // attach() first detaches (dropping the players), then builds them
    // again; a fast build may already be applied when attach() returns.
    manager->attach(&registry, &lifecycle);
    settle(*manager);
    ASSERT_TRUE(manager->players().contains(a.id));
    manager->evaluate(snapshotsOf("cpu.total", 0.9));
    ASSERT_TRUE(waitUntil([&] { return manager->players().value(a.id)->playRequests() == 1; }));
}

TEST_F(AlarmManagerPlayers, AnUnregisteredSoundIdPlaysTheDefaultSound)
{
    Alarm a = makeAlarm();
    a.bundledSoundId = "no-such-sound";
    Alarm bell = makeAlarm();
    bell.bundledSoundId = "bell-sound";
    auto manager = makeManager({a, bell});
    EXPECT_TRUE(manager->players().value(a.id)->path().endsWith("/Sounds/bird-sound.mp3"));
    EXPECT_TRUE(manager->players().value(bell.id)->path().endsWith("/Sounds/bell-sound.mp3"));
}

TEST_F(AlarmManagerPlayers, EditingOnlyTheThresholdKeepsThePlayerAndDisablingReleasesIt)
{
    const Alarm a = makeAlarm();
    auto manager = makeManager({a});
    const auto before = manager->players().value(a.id);
    ASSERT_TRUE(before);
    QList<Alarm> list = manager->alarms();
    list[0].threshold = 0.5;
    list[0].repeatInterval = 5;
    list[0].notifySnoozeMinutes = 30;
    manager->setAlarms(list);
    settle(*manager);
    EXPECT_EQ(manager->players().value(a.id), before);

    list[0].bundledSoundId = "bell-sound";
    manager->setAlarms(list);
    settle(*manager);
    EXPECT_NE(manager->players().value(a.id), before);

    list[0].enabled = false;
    manager->setAlarms(list);
    settle(*manager);
    EXPECT_FALSE(manager->players().contains(a.id));
    EXPECT_FALSE(manager->lastPlayerSig().contains(a.id));
}

TEST_F(AlarmManagerPlayers, OnlyTheLastOfTwoQuickRebuildsIsApplied)
{
    // The first list's sound takes a while to decode, so its build is still
    // running when the second change starts another.
    QTemporaryDir dir;
    const QString slow = dir.filePath("long.wav");
    writeFile(slow, silentWav(48000, 240));
    Alarm a = makeAlarm();
    a.soundBookmark = SecurityScopedBookmark::bookmarkData(slow);
    Alarm b = makeAlarm("gpu.total");
    b.bundledSoundId = "bell-sound";
    auto manager = makeManager();
    QSignalSpy rebuilt(manager.get(), &AlarmManager::playersRebuilt);
    manager->setAlarms({a});
    manager->setAlarms({b});
    settle(*manager);
    spinFor(300); // the first build ends meanwhile and is dropped
    EXPECT_EQ(rebuilt.count(), 1);
    EXPECT_EQ(manager->players().keys(), QList<QUuid>{b.id});
}

TEST_F(AlarmManagerPlayers, AMissingBookmarkIsLoggedOnceUntilTheSoundChoiceChanges)
{
    QTemporaryDir dir;
    Alarm a = makeAlarm();
    a.soundBookmark = SecurityScopedBookmark::bookmarkData(dir.filePath("gone.mp3"));
    auto manager = makeManager({a});
    const QString line = "alarm " + a.idString() + " sound missing: <bookmark>";
    EXPECT_EQ(log.count(line), 1);
    for (double t : {0.5, 0.6, 0.7}) {
        QList<Alarm> list = manager->alarms();
        list[0].threshold = t;
        manager->setAlarms(list);
        settle(*manager);
    }
    EXPECT_EQ(log.count(line), 1);
    EXPECT_FALSE(manager->players().contains(a.id));

    // The firing still posts its notification and plays nothing.
    manager->evaluate(snapshotsOf("cpu.total", 0.9));
    spinFor(250);

    QList<Alarm> list = manager->alarms();
    list[0].soundBookmark = SecurityScopedBookmark::bookmarkData(dir.filePath("other.mp3"));
    manager->setAlarms(list);
    settle(*manager);
    EXPECT_EQ(log.count(line), 2);
}

TEST_F(AlarmManagerPlayers, ABookmarkedFileThatDoesNotDecodeIsLoggedOncePerSignature)
{
    QTemporaryDir dir;
    const QString damaged = dir.filePath("damaged.mp3");
    writeFile(damaged, QByteArray(2048, '\x5a'));
    Alarm a = makeAlarm();
    a.soundBookmark = SecurityScopedBookmark::bookmarkData(damaged);
    auto manager = makeManager({a});
    const QString prefix = "alarm " + a.idString() + " AudioPlayer init failed: ";
    EXPECT_EQ(log.countPrefix(prefix), 1);
    manager->setAlarms(manager->alarms());
    settle(*manager);
    EXPECT_EQ(log.countPrefix(prefix), 1);
    EXPECT_TRUE(manager->lastLoggedFailureSig().contains(a.id));

    // A working choice clears the failure.
    QList<Alarm> list = manager->alarms();
    list[0].soundBookmark = SecurityScopedBookmark::bookmarkData(QStringLiteral(GAUGELET_SOURCE_DIR "/resources/Sounds/bell-sound.mp3"));
    manager->setAlarms(list);
    settle(*manager);
    EXPECT_TRUE(manager->players().contains(a.id));
    EXPECT_FALSE(manager->lastLoggedFailureSig().contains(a.id));
}

TEST_F(AlarmManagerPlayers, WithNoSoundsAtAllEachAlarmLogsOnceAndFiringsAreSilent)
{
    QTemporaryDir empty;
    ScopedEnv env("GAUGELET_RESOURCES_DIR", empty.path().toUtf8());
    const Alarm a = makeAlarm();
    const Alarm b = makeAlarm("gpu.total");
    auto manager = makeManager({a, b});
    manager->setAlarms(manager->alarms());
    settle(*manager);
    EXPECT_EQ(log.count("alarm " + a.idString() + " sound missing: <bundled>"), 1);
    EXPECT_EQ(log.count("alarm " + b.idString() + " sound missing: <bundled>"), 1);
    EXPECT_TRUE(manager->players().isEmpty());
    manager->evaluate(snapshotsOf("cpu.total", 0.9));
    spinFor(250); // the delayed sound finds no player and does nothing
}

TEST_F(AlarmManagerPlayers, SoundTestWithNotifyOffPlaysAndPostsNothing)
{
    Alarm a = makeAlarm();
    a.notify = false;
    auto manager = makeManager({a});
    manager->preview(a);
    ASSERT_TRUE(manager->scratchTestPlayer());
    EXPECT_EQ(manager->scratchTestPlayer()->playRequests(), 1);
    spinFor(50);
    EXPECT_TRUE(server->notifications().isEmpty());
    EXPECT_TRUE(manager->lastFiredAt().isEmpty()) << "the test never touches the evaluation state";
}

TEST_F(AlarmManagerPlayers, SoundTestWithoutASoundLogsAndPostsNoTestNotification)
{
    QTemporaryDir dir;
    Alarm a = makeAlarm();
    a.notify = true;
    a.soundBookmark = SecurityScopedBookmark::bookmarkData(dir.filePath("gone.mp3"));
    auto manager = makeManager();
    manager->preview(a);
    EXPECT_EQ(log.count("alarm preview " + a.idString() + " sound missing"), 1);
    spinFor(50);
    EXPECT_TRUE(server->notifications().isEmpty());
}

TEST_F(AlarmManagerPlayers, SoundTestWithADamagedFileStillPostsTheTestNotification)
{
    QTemporaryDir dir;
    const QString damaged = dir.filePath("damaged.mp3");
    writeFile(damaged, "nope");
    Alarm a = makeAlarm();
    a.notify = true;
    a.soundBookmark = SecurityScopedBookmark::bookmarkData(damaged);
    auto manager = makeManager();
    manager->preview(a);
    EXPECT_EQ(log.countPrefix("alarm preview " + a.idString() + " AudioPlayer init failed: "), 1);
    ASSERT_TRUE(waitUntil([&] { return server->notifications().size() == 1; }));
    EXPECT_TRUE(server->notifications().first().summary.startsWith("[TEST] "));
    ASSERT_TRUE(waitUntil([&] { return center->serverId("alarm.preview." + a.idString()) != 0; }));
    EXPECT_EQ(center->serverId("alarm.preview." + a.idString()), server->notifications().first().returnedId);
}

TEST_F(AlarmManagerPlayers, AManagerGoneWhileItsBuildWaitsLeavesNothingOfTheBuildBehind)
{
    // A quit while the players are built: the event loop never runs again, so
    // the build's result must go with its worker, not wait for a signal.
    const Alarm a = makeAlarm();
    auto manager = makeManager({a});
    const std::weak_ptr<AudioPlayer> player = manager->players().value(a.id);
    ASSERT_FALSE(player.expired());
    // Every worker is held, so the next build waits for one.
    QThreadPool* pool = QThreadPool::globalInstance();
    QSemaphore held;
    QList<QFuture<void>> holders;
    for (int i = 0; i < pool->maxThreadCount(); ++i)
        holders.append(QtConcurrent::run([&held] { held.acquire(); }));
    Alarm bell = makeAlarm("gpu.total");
    bell.bundledSoundId = "bell-sound";
    manager->setAlarms({a, bell}); // the build takes the players there are
    ASSERT_TRUE(manager->isRebuilding());
    manager.reset();
    held.release(pool->maxThreadCount());
    ASSERT_TRUE(pool->waitForDone(10000));
    holders.clear();
    EXPECT_TRUE(player.expired()) << "the build's result, with the player, is kept by a coroutine never resumed";
}
