#include "stats/StatHistoryStore.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

StatSnapshot snap(const QString& id, double value, int second = 0)
{
    StatSnapshot s;
    s.providerId = id;
    s.value = value;
    s.asOf = QDateTime::fromSecsSinceEpoch(1'700'000'000 + second, Qt::UTC);
    return s;
}

} // namespace

TEST(StatHistoryStore, SnapshotWithoutProviderIdIsIgnored)
{
    StatHistoryStore store;
    store.record(snap("", 0.5));
    EXPECT_TRUE(store.slices().isEmpty());
}

TEST(StatHistoryStore, RingKeepsTheLastSixtyOldestFirst)
{
    StatHistoryStore store;
    for (int i = 0; i < 3; ++i)
        store.record(snap("cpu.total", i, i));
    ASSERT_EQ(store.slice("cpu.total")->samples().size(), 3);
    EXPECT_EQ(store.slice("cpu.total")->samples().first().value, 0);

    for (int i = 3; i < 61; ++i)
        store.record(snap("cpu.total", i, i));
    const auto samples = store.slice("cpu.total")->samples();
    ASSERT_EQ(samples.size(), 60);
    EXPECT_EQ(samples.first().value, 1); // the first record is gone
    EXPECT_EQ(samples.last().value, 60);
    for (int i = 1; i < samples.size(); ++i)
        EXPECT_LT(samples[i - 1].t, samples[i].t);
}

TEST(StatHistoryStore, SamplesAreCachedUntilTheNextAppend)
{
    StatHistoryStore store;
    store.record(snap("m", 1));
    ProviderHistorySlice* slice = store.slice("m");
    const QList<HistorySample>* first = &slice->samples();
    EXPECT_EQ(&slice->samples(), first);
    QSignalSpy appended(slice, &ProviderHistorySlice::appended);
    store.record(snap("m", 2, 1));
    EXPECT_EQ(appended.count(), 1);
    EXPECT_EQ(slice->samples().size(), 2);
}

TEST(StatHistoryStore, UnknownProviderGetsAnEmptySlice)
{
    StatHistoryStore store;
    QSignalSpy created(&store, &StatHistoryStore::slicesChanged);
    EXPECT_TRUE(store.slice("never")->samples().isEmpty());
    EXPECT_EQ(created.count(), 1);
    store.slice("never");
    EXPECT_EQ(created.count(), 1);
}

TEST(StatHistoryStore, ExtrasMergeAndKeepEarlierKeys)
{
    StatHistoryStore store;
    StatSnapshot a = snap("n", 0);
    a.extras.insert("a", 1);
    a.extras.insert("b", QString("x"));
    store.record(a);
    StatSnapshot b = snap("n", 0, 1);
    b.extras.insert("a", 2);
    store.record(b);
    const auto& extras = store.slice("n")->extras();
    EXPECT_EQ(std::any_cast<int>(extras.value("a")), 2);
    EXPECT_EQ(std::any_cast<QString>(extras.value("b")), "x");
}

TEST(HistorySample, IdCountsSecondsFromTheReferenceDate)
{
    HistorySample s{QDateTime(QDate(2001, 1, 1), QTime(0, 1, 30), Qt::UTC), 0, {}};
    EXPECT_DOUBLE_EQ(s.id(), 90.0);
}

TEST(Series, EqualityCoversTheDisplayValue)
{
    Series a{"user", "User", 10, std::nullopt};
    Series b = a;
    b.displayValue = "10 %";
    EXPECT_NE(a, b);
    Series c = b;
    c.displayValue = "ten";
    EXPECT_NE(b, c);
    Series z1{"z", "Z", 0.0, std::nullopt};
    Series z2{"z", "Z", -0.0, std::nullopt};
    EXPECT_EQ(z1, z2);
    EXPECT_EQ(qHash(z1), qHash(z2));
}

TEST(StatSnapshot, ExtrasOfAnotherTypeReadAsMissing)
{
    StatSnapshot s;
    EXPECT_EQ(s.extra<int>("cpu.snapshot"), nullptr);
    s.extras.insert("cpu.snapshot", QString("not the record"));
    EXPECT_EQ(s.extra<int>("cpu.snapshot"), nullptr);
    ASSERT_NE(s.extra<QString>("cpu.snapshot"), nullptr);
}
