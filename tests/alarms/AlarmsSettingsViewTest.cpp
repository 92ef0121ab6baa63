#include "alarms/views/AlarmsSettingsView.h"

#include "AlarmsPaneFixture.h"
#include "schema/SettingsSchema.h"

#include <QPointer>

using namespace gaugelet;
using namespace gaugelet::test;

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
    const auto storedBefore = defaults->data(SettingsSchema::alarms);
    QSignalSpy defaultsWrites(defaults.get(), &Defaults::changed);

    for (int i = 0; i < 3; ++i) {
        Q_EMIT registry->snapshotsPublisher(snapshotsOf("cpu.total", 0.5));
        turn();
    }
    EXPECT_EQ(writeCount(), 0);
    EXPECT_EQ(defaultsWrites.count(), 0);
    EXPECT_EQ(manager->alarms(), before);
    EXPECT_EQ(defaults->data(SettingsSchema::alarms), storedBefore);

    // What the controls show: the nearest they can, clamped where needed.
    ASSERT_EQ(view->rows().size(), 3);
    EXPECT_EQ(part<QSlider>(editor(0), "thresholdSlider")->value(), 1235);
    EXPECT_EQ(part<QLabel>(editor(0), "thresholdText")->text(), "12%");
    EXPECT_TRUE(part<QPushButton>(editor(0), "below")->isChecked());
    EXPECT_EQ(part<AlarmMenuPicker>(editor(0), "repeatPicker")->currentText(), "45s (custom)");
    EXPECT_EQ(part<AlarmMenuPicker>(editor(0), "snoozePicker")->currentText(), "10 min (custom)");
    EXPECT_EQ(part<AlarmMenuPicker>(editor(0), "soundPicker")->currentText(), "Bird"); // the default stands in for a removed sound
    EXPECT_FALSE(part<QWidget>(editor(0), "soundWarning")->isVisibleTo(window.get()));
    EXPECT_TRUE(part<QToolButton>(editor(0), "resetSound")->isVisibleTo(window.get()));

    EXPECT_EQ(part<QSlider>(editor(1), "thresholdSlider")->value(), AlarmRowEditor::sliderScale);
    EXPECT_EQ(part<QLabel>(editor(1), "thresholdText")->text(), "170%");
    EXPECT_EQ(part<AlarmMenuPicker>(editor(1), "repeatPicker")->currentText(), "0s (custom)");
    EXPECT_EQ(part<AlarmMenuPicker>(editor(1), "snoozePicker")->currentText(), "1 minute");
    EXPECT_EQ(part<AlarmMenuPicker>(editor(1), "soundPicker")->currentText(), "Custom: missing");
    EXPECT_EQ(itemTexts(part<AlarmMenuPicker>(editor(1), "soundPicker")), (QStringList{"Custom: missing", "---", "Bell", "Bird", "Marimba"}));
    EXPECT_TRUE(part<QWidget>(editor(1), "soundWarning")->isVisibleTo(window.get()));

    EXPECT_EQ(part<QSlider>(editor(2), "thresholdSlider")->value(), 0);
    EXPECT_EQ(part<AlarmMenuPicker>(editor(2), "repeatPicker")->currentText(), "9223372036854775807h (custom)");
    EXPECT_EQ(part<AlarmMenuPicker>(editor(2), "snoozePicker")->currentText(), "100000 min (custom)");
    EXPECT_EQ(part<AlarmMenuPicker>(editor(2), "sourcePicker")->currentText(), "nope.total (not loaded)");
    settle(*manager);
}

// --- Add button and count line ------------------------------------------------------------

// The cap's rules and texts: AlarmsPaneModelTest.
TEST_F(AlarmsPane, AddButtonAndCountLineFollowTheList)
{
    open(alarmsOn("cpu.total", 12));
    EXPECT_FALSE(part<QToolButton>(view, "addButton")->isEnabled());
    EXPECT_EQ(part<QLabel>(view, "countLine")->text(), "12 of 10 alarms configured.");
    EXPECT_EQ(view->rows().size(), 12);
    EXPECT_FALSE(part<QWidget>(view, "emptyState")->isVisibleTo(window.get()));
    window.reset();
    settle(*manager);

    // Adding the tenth closes the cap.
    manager.reset();
    manager = makeManager(alarmsOn("cpu.total", 9));
    open({});
    part<QToolButton>(view, "addButton")->click();
    turn();
    EXPECT_EQ(writeCount(), 1);
    EXPECT_EQ(manager->alarms().size(), 10);
    EXPECT_EQ(view->rows().size(), 10);
    EXPECT_FALSE(part<QToolButton>(view, "addButton")->isEnabled());
    EXPECT_EQ(part<QToolButton>(view, "addButton")->toolTip(), "Soft cap reached (10). Delete one to add another.");
    EXPECT_EQ(part<QLabel>(view, "countLine")->text(), "10 of 10 alarms configured.");
    settle(*manager);
}

TEST_F(AlarmsPane, WithoutProvidersTheAddButtonIsDisabled)
{
    registry = std::make_unique<StatRegistry>(StatRegistry::Providers{});
    open({});
    EXPECT_FALSE(part<QToolButton>(view, "addButton")->isEnabled());
    EXPECT_EQ(writeCount(), 0);
    settle(*manager);
}

TEST_F(AlarmsPane, EmptyStateTexts)
{
    open({});
    const QStringList texts = [&] {
        QStringList out;
        for (QLabel* label : part<QWidget>(view, "emptyState")->findChildren<QLabel*>())
            out << label->text();
        return out;
    }();
    EXPECT_TRUE(texts.contains("No alarms configured"));
    EXPECT_TRUE(texts.contains("Tap \u201CAdd alarm\u201D to get notified when a stat crosses a threshold."));
    EXPECT_EQ(part<QLabel>(view, "bannerText")->text(),
              "Alarms with an expanded row are paused while you\u2019re editing them. They arm again as soon as you "
              "collapse the row or close this window.");
    settle(*manager);
}

// The new alarm's values: AlarmsPaneModelTest.
TEST_F(AlarmsPane, TheAddButtonAddsAnExpandedRow)
{
    open({});
    part<QToolButton>(view, "addButton")->click();
    turn();
    ASSERT_EQ(manager->alarms().size(), 1);
    ASSERT_EQ(view->rows().size(), 1);
    EXPECT_TRUE(row(0)->isExpanded());
    EXPECT_FALSE(part<QWidget>(view, "emptyState")->isVisibleTo(window.get()));
    // A 1 s source: all six presets, 10 seconds selected, no custom entry.
    EXPECT_EQ(itemTexts(part<AlarmMenuPicker>(editor(0), "repeatPicker")),
              (QStringList{"10 seconds", "30 seconds", "1 minute", "5 minutes", "15 minutes", "1 hour"}));
    EXPECT_EQ(part<AlarmMenuPicker>(editor(0), "repeatPicker")->currentText(), "10 seconds");
    EXPECT_EQ(part<QLabel>(row(0), "summary")->text(), "CPU \u2265 80%");
    EXPECT_EQ(part<QLabel>(row(0), "detail")->text(), "every 10s \u00B7 banner on \u00B7 snooze 15m");
    settle(*manager);
}

// --- Sounds changing ------------------------------------------------------------------------------

TEST_F(AlarmsPane, BurstOfSoundNoticesRebuildsOnceWithRowsExpanded)
{
    const Alarm a = makeAlarm();
    const Alarm b = makeAlarm();
    open({a, b});
    part<QToolButton>(row(0), "expandButton")->click();
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
    EXPECT_EQ(itemTexts(part<AlarmMenuPicker>(editor(0), "soundPicker")),
              (QStringList{"Bell", "Bird", "Marimba", "Pack A", "Pack B", "Pack C"}));
    EXPECT_FALSE(part<AlarmMenuPicker>(editor(0), "soundPicker")->itemIcon(3).isNull()); // installed: a star
    EXPECT_TRUE(part<AlarmMenuPicker>(editor(0), "soundPicker")->itemIcon(0).isNull());
    EXPECT_EQ(manager->editingAlarmId(), b.id);
    EXPECT_EQ(writeCount(), 0);

    // The once-a-second publishes leave the menus (and an open popup) alone.
    QSignalSpy reset(part<AlarmMenuPicker>(editor(0), "soundPicker")->model(), &QAbstractItemModel::modelReset);
    QSignalSpy removed(part<AlarmMenuPicker>(editor(0), "soundPicker")->model(), &QAbstractItemModel::rowsRemoved);
    for (int i = 0; i < 3; ++i) {
        Q_EMIT registry->snapshotsPublisher(snapshotsOf("cpu.total", 0.5));
        turn();
    }
    EXPECT_EQ(reset.count() + removed.count(), 0);
    EXPECT_EQ(view->rebuildCount(), 1);

    SoundRegistry::unregisterPack("pack");
    turn();
    EXPECT_EQ(view->rebuildCount(), 2);
    EXPECT_EQ(itemTexts(part<AlarmMenuPicker>(editor(0), "soundPicker")), (QStringList{"Bell", "Bird", "Marimba"}));
    settle(*manager);
}

TEST_F(AlarmsPane, TheOldEditorsGoingAfterARebuildLeaveTheNewEditingMark)
{
    const Alarm a = makeAlarm();
    open({a});
    ASSERT_EQ(manager->editingAlarmId(), a.id);
    const QPointer<AlarmRowEditor> old = editor(0);
    SoundRegistry::registerInstalled({"pack-a", "Pack A", QUrl::fromLocalFile("/x/pack-a.mp3"),
                                      SoundRegistry::Sound::Source::installed("pack")});
    turn();
    ASSERT_EQ(view->rebuildCount(), 1);
    // A real event loop: whatever the rebuild left for later is done now.
    spinFor(20);
    EXPECT_TRUE(old.isNull());
    ASSERT_EQ(view->rows().size(), 1);
    EXPECT_TRUE(part<QSlider>(editor(0), "thresholdSlider")->isVisible());
    EXPECT_EQ(manager->editingAlarmId(), a.id) << "the new editor's mark stays";
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
    part<QToolButton>(view, "addButton")->click();
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
    part<QToolButton>(row(0), "expandButton")->click();
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
    EXPECT_TRUE(part<QLabel>(row(0), "firingMark")->isVisibleTo(window.get()));
    registry->stop();
    settle(*manager);
}

// --- Screenshots ------------------------------------------------------------------------------------

namespace {

QPalette screenshotPalette(bool dark)
{
    if (dark)
        return darkPalette();
    QPalette p = QApplication::style()->standardPalette();
    p.setColor(QPalette::Highlight, QColor(0, 122, 255));
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
            defaults->remove(SettingsSchema::alarms);
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
            part<QToolButton>(row(1), "expandButton")->click();
            part<QToolButton>(row(2), "expandButton")->click();
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
                part<QToolButton>(r, "expandButton")->click();
        });
    }
    QApplication::setPalette(previous);
}
