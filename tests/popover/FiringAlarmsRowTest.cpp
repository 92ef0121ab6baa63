#include "popover/FiringAlarmsRow.h"

#include "PopoverFixture.h"

#include <QPushButton>
#include <gtest/gtest.h>
#include <limits>

using namespace gaugelet;
using namespace gaugelet::test;
using namespace gaugelet::test::popover;

TEST(FiringAlarmsRow, LinesNameProviderDirectionAndRoundedThreshold)
{
    PopoverWorld world;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        QString provider;
        double threshold;
        Alarm::Direction direction;
        double value;
        QString line;
    };
    const QList<Case> cases = {
        {QStringLiteral("cpu.total"), 0.8, Alarm::Direction::above, 0.9, QStringLiteral("CPU ≥ 80%")},
        {QStringLiteral("memory.total"), 0.125, Alarm::Direction::below, 0.1, QStringLiteral("Memory ≤ 13%")},
        {QStringLiteral("gpu.total"), 1.0, Alarm::Direction::above, 1.0, QStringLiteral("GPU ≥ 100%")},
        {QStringLiteral("gone.provider"), 0.5, Alarm::Direction::above, 0.6, QStringLiteral("gone.provider ≥ 50%")},
        {QStringLiteral("net.total"), -1e300, Alarm::Direction::above, 0.5,
         QStringLiteral("Network ≥ %1%").arg(std::numeric_limits<qint64>::min())},
    };
    QList<Alarm> list;
    QHash<QString, double> values;
    for (const Case& c : cases) {
        list << alarmOn(c.provider, c.threshold, c.direction);
        values.insert(c.provider, c.value);
    }
    world.fire(list, values);
    FiringAlarmsRow row(world.env());
    ASSERT_EQ(row.lines().size(), cases.size());
    for (int i = 0; i < cases.size(); ++i)
        EXPECT_EQ(row.lines()[i].text, cases[i].line);

    // Thresholds far out of range still give a defined text.
    Alarm huge = alarmOn(QStringLiteral("cpu.total"), 1e300, Alarm::Direction::below);
    Alarm notANumber = alarmOn(QStringLiteral("cpu.total"), nan, Alarm::Direction::below);
    world.fire({huge}, {{QStringLiteral("cpu.total"), 0.5}});
    FiringAlarmsRow hugeRow(world.env());
    ASSERT_EQ(hugeRow.lines().size(), 1);
    EXPECT_EQ(hugeRow.lines()[0].text, QStringLiteral("CPU ≤ %1%").arg(std::numeric_limits<qint64>::max()));
    world.alarms->setAlarms({notANumber});
    EXPECT_TRUE(FiringAlarmsRow::firingAlarms(*world.alarms).isEmpty()) << "a NaN threshold never fires";
}

TEST(FiringAlarmsRow, KeepsTheOrderOfTheAlarmListAndEachAlarmsSnoozeLength)
{
    PopoverWorld world;
    Alarm first = alarmOn(QStringLiteral("cpu.total"), 0.5, Alarm::Direction::above, 15);
    Alarm second = alarmOn(QStringLiteral("memory.total"), 0.5, Alarm::Direction::above, 60);
    Alarm quiet = alarmOn(QStringLiteral("gpu.total"), 0.9, Alarm::Direction::above, 5);
    world.alarms->setAlarms({first, quiet, second});
    // The memory alarm starts firing before the CPU one.
    StatRegistry::Snapshots snapshots;
    StatSnapshot memory;
    memory.providerId = QStringLiteral("memory.total");
    memory.value = 0.9;
    world.alarms->evaluate({{memory.providerId, memory}});
    StatSnapshot cpu;
    cpu.providerId = QStringLiteral("cpu.total");
    cpu.value = 0.9;
    world.alarms->evaluate({{cpu.providerId, cpu}});

    FiringAlarmsRow row(world.env());
    ASSERT_EQ(row.lines().size(), 2);
    EXPECT_EQ(row.lines()[0].alarmId, first.id);
    EXPECT_EQ(row.lines()[1].alarmId, second.id);
    EXPECT_EQ(row.lines()[0].snooze->text(), QStringLiteral("Snooze 15m"));
    EXPECT_EQ(row.lines()[1].snooze->text(), QStringLiteral("Snooze 60m"));
    EXPECT_EQ(row.lines()[0].suppress->text(), QStringLiteral("Suppress"));
    EXPECT_EQ(row.lines()[0].suppress->toolTip(),
              QStringLiteral("Deactivate this alarm. Re-enable from Settings to resume."));

    row.lines()[1].snooze->click();
    EXPECT_FALSE(world.alarms->firing().contains(second.id));
    EXPECT_TRUE(world.alarms->snoozedUntil().contains(second.id));
    EXPECT_NEAR(world.alarms->snoozedUntil().value(second.id) - MediaClock::now(), 60 * 60, 1.0)
        << "the alarm's own snooze length";
    row.lines()[0].suppress->click();
    EXPECT_FALSE(world.alarms->firing().contains(first.id));
    EXPECT_FALSE(world.alarms->alarms()[0].enabled);
}
