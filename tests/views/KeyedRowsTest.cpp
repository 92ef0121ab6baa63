#include "views/KeyedRows.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace gaugelet {
namespace {

QStringList texts(const QList<QLabel*>& rows)
{
    QStringList out;
    for (QLabel* row : rows)
        out.append(row->text());
    return out;
}

TEST(KeyedRows, KeepsWidgetsOfKeptKeysOrdersThemAndRemovesTheRest)
{
    QWidget list;
    auto* layout = new QVBoxLayout(&list);
    KeyedRows<QString, QLabel> rows;
    QStringList created;
    QStringList updated;
    const auto create = [&](const QString& key) {
        created.append(key);
        return new QLabel(key, &list);
    };
    const auto update = [&](QLabel* row, const QString& key) {
        updated.append(key);
        row->setText(key + QStringLiteral("*"));
        return true;
    };

    const QList<QLabel*> first = rows.reconcile({"a", "b", "c"}, create, update);
    KeyedRows<QString, QLabel>::place(layout, first);
    EXPECT_EQ(created, (QStringList{"a", "b", "c"}));
    EXPECT_TRUE(updated.isEmpty()) << "new rows are current when made";
    const QPointer<QLabel> a = rows.row("a");
    const QPointer<QLabel> b = rows.row("b");
    const QPointer<QLabel> c = rows.row("c");

    created.clear();
    const QList<QLabel*> second = rows.reconcile({"c", "d", "a", "c"}, create, update);
    KeyedRows<QString, QLabel>::place(layout, second);
    EXPECT_EQ(created, QStringList{"d"});
    EXPECT_EQ(updated, (QStringList{"c", "a"})) << "kept rows update in place; a repeated key counts once";
    ASSERT_EQ(second.size(), 3);
    EXPECT_EQ(second[0], c.data());
    EXPECT_EQ(second[2], a.data());
    EXPECT_EQ(texts(second), (QStringList{"c*", "d", "a*"}));
    EXPECT_EQ(rows.rows(), second);
    for (int i = 0; i < second.size(); ++i)
        EXPECT_EQ(layout->indexOf(second[i]), i) << "the layout shows the keys' order";

    ASSERT_FALSE(b.isNull());
    EXPECT_TRUE(b->isHidden()) << "a gone row leaves the list at once";
    EXPECT_EQ(rows.row("b"), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(b.isNull()) << "and is deleted";
    EXPECT_FALSE(a.isNull());

    rows.reconcile({}, create, update);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(rows.size(), 0);
    EXPECT_TRUE(a.isNull());
    EXPECT_TRUE(c.isNull());
}

TEST(KeyedRows, ARowThatNoLongerFitsIsReplacedAndRemovalNowDeletesFirst)
{
    QWidget list;
    KeyedRows<int, QLabel> rows(KeyedRows<int, QLabel>::Removal::now);
    QList<int> aliveWhenCreating;
    const auto create = [&](int key) {
        aliveWhenCreating.append(list.findChildren<QLabel*>().size());
        return new QLabel(QString::number(key), &list);
    };
    rows.reconcile({1, 2}, create);
    const QPointer<QLabel> one = rows.row(1);
    const QPointer<QLabel> two = rows.row(2);
    aliveWhenCreating.clear();
    // 2 goes, 1 no longer fits, 3 is new.
    const QList<QLabel*> next = rows.reconcile({3, 1}, create, [](QLabel*, int key) { return key != 1; });
    EXPECT_TRUE(two.isNull()) << "deleted at once, no deferred delete needed";
    EXPECT_TRUE(one.isNull()) << "a row that no longer fits is replaced";
    EXPECT_EQ(aliveWhenCreating, (QList<int>{1, 1})) << "gone rows are deleted before new ones are made";
    ASSERT_EQ(next.size(), 2);
    EXPECT_EQ(next[0]->text(), QStringLiteral("3"));
    EXPECT_EQ(next[1]->text(), QStringLiteral("1"));
}

TEST(KeyedRows, ARowDeletedElsewhereIsMadeAgain)
{
    KeyedRows<int, QLabel> rows;
    int made = 0;
    const auto create = [&](int key) {
        ++made;
        return new QLabel(QString::number(key));
    };
    rows.reconcile({1}, create);
    delete rows.row(1);
    const QList<QLabel*> again = rows.reconcile({1}, create);
    EXPECT_EQ(made, 2);
    ASSERT_EQ(again.size(), 1);
    EXPECT_EQ(again[0]->text(), QStringLiteral("1"));
    delete again[0];
}

} // namespace
} // namespace gaugelet
