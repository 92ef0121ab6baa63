#include "platform/core/Publish.h"

#include <QObject>
#include <QStringList>

#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

// A publisher of one list with every notice, and one without a change notice.
class Shelf : public QObject {
    Q_OBJECT
public:
    QStringList items;
    void setItems(QStringList list) { publish(this, items, std::move(list), &Shelf::itemsWillChange, &Shelf::itemsChanged); }
    bool setItemsIfChanged(QStringList list)
    {
        return publishIfChanged(this, items, std::move(list), &Shelf::itemsWillChange, &Shelf::itemsChanged);
    }
Q_SIGNALS:
    void objectWillChange();
    void itemsWillChange(const QStringList& newItems);
    void itemsChanged();
};

class Dial : public QObject {
    Q_OBJECT
public:
    int value = 0;
    bool setValue(int v) { return publishIfChanged(this, value, v, &Dial::valueChanged); }
Q_SIGNALS:
    void valueChanged(int value);
};

} // namespace

TEST(Publish, NoticesComeBeforeTheStoreAndChangedAfterIt)
{
    Shelf shelf;
    QStringList log;
    QObject::connect(&shelf, &Shelf::objectWillChange, [&] { log << "object:" + shelf.items.join(','); });
    QObject::connect(&shelf, &Shelf::itemsWillChange,
                     [&](const QStringList& next) { log << "will:" + shelf.items.join(',') + "->" + next.join(','); });
    QObject::connect(&shelf, &Shelf::itemsChanged, [&] { log << "changed:" + shelf.items.join(','); });

    shelf.setItems({"a"});
    shelf.setItems({"a"}); // unconditional: notices again
    EXPECT_EQ(log, (QStringList{"object:", "will:->a", "changed:a", "object:a", "will:a->a", "changed:a"}));

    log.clear();
    EXPECT_FALSE(shelf.setItemsIfChanged({"a"}));
    EXPECT_TRUE(log.isEmpty());
    EXPECT_TRUE(shelf.setItemsIfChanged({"a", "b"}));
    EXPECT_EQ(log, (QStringList{"object:a", "will:a->a,b", "changed:a,b"}));
}

TEST(Publish, ChangedSignalsWithAnArgumentGetTheNewValue)
{
    Dial dial;
    QList<int> seen;
    QObject::connect(&dial, &Dial::valueChanged, [&](int v) { seen << v << dial.value; });
    EXPECT_TRUE(dial.setValue(3));
    EXPECT_FALSE(dial.setValue(3));
    EXPECT_EQ(seen, (QList<int>{3, 3}));
}

#include "PublishTest.moc"
