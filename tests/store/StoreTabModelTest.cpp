#include "store/StoreTabModel.h"

#include "StoreTabFixture.h"

#include <QSignalSpy>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

// The model over the fixture's coordinator, with no tab on screen.
class StoreTabModelTest : public StoreTabFixture {
protected:
    std::unique_ptr<StoreTabModel> makeModel()
    {
        makeStore();
        return std::make_unique<StoreTabModel>(store.get());
    }
    // Loads and waits for the refresh to return.
    void loadAndWait(StoreTabModel& model, bool shown = true)
    {
        const int before = client.listCalls;
        model.load([shown] { return shown; });
        ASSERT_TRUE(waitUntil([&] { return client.listCalls > before && !model.isLoading(); }));
    }
};

} // namespace

TEST_F(StoreTabModelTest, TheCatalogueRefreshesOnceAndNeverTwiceAtOnce)
{
    putOnShelf({.id = "fox", .name = "Fox"});
    auto model = makeModel();
    client.holdList = true;
    model->load([] { return true; });
    EXPECT_TRUE(model->isLoading());
    EXPECT_FALSE(model->didLoad());
    model->load([] { return true; });
    spinFor(20);
    EXPECT_EQ(client.listCalls, 1);
    client.holdList = false;
    ASSERT_TRUE(waitUntil([&] { return model->didLoad(); }));
    EXPECT_FALSE(model->isLoading());
    model->load([] { return true; });
    spinFor(20);
    EXPECT_EQ(client.listCalls, 1);
}

TEST_F(StoreTabModelTest, TheFirstLoadDrawsWhatIsNewThenMarksEveryListedItemSeen)
{
    putOnShelf({.id = "fox", .name = "Fox", .release = clock.now().addDays(-2)});
    putOnShelf({.id = "hare", .name = "Hare", .release = clock.now().addDays(-30)});
    const Pack owl{.id = "owl", .name = "Owl", .release = clock.now().addDays(-1)};
    putOnShelf(owl);
    preinstall(owl);
    auto model = makeModel();
    QStringList newWhenDrawn;
    QObject::connect(model.get(), &StoreTabModel::rowsBeforeMarks, [&] {
        EXPECT_FALSE(model->didLoad());
        for (const StoreItem& item : model->catalogue().items)
            if (store->isNew(item))
                newWhenDrawn << item.id;
    });
    QSignalSpy loaded(model.get(), &StoreTabModel::loaded);
    loadAndWait(*model);
    EXPECT_EQ(newWhenDrawn, QStringList{"fox"});
    EXPECT_EQ(loaded.count(), 1);
    EXPECT_TRUE(model->didLoad());
    // Installed items are marked seen as well.
    for (const char* id : {"fox", "hare", "owl"})
        EXPECT_TRUE(seen(id)) << id;
    EXPECT_FALSE(store->isNew(model->catalogue().items.first()));
}

TEST_F(StoreTabModelTest, NothingIsMarkedSeenWhenTheTabIsClosedOrGoneBeforeTheRefreshReturns)
{
    putOnShelf({.id = "fox", .name = "Fox"});
    auto model = makeModel();
    QSignalSpy drawn(model.get(), &StoreTabModel::rowsBeforeMarks);
    loadAndWait(*model, /*shown=*/false);
    spinFor(20);
    EXPECT_FALSE(model->didLoad());
    EXPECT_FALSE(model->isLoading());
    EXPECT_EQ(drawn.count(), 0);
    EXPECT_FALSE(seen("fox"));

    auto gone = makeModel();
    client.holdList = true;
    gone->load([] { return true; });
    spinFor(20);
    gone.reset();
    client.holdList = false;
    ASSERT_TRUE(waitUntil([&] { return client.listCalls == 2 && store->available().size() == 1; }));
    spinFor(20);
    EXPECT_FALSE(seen("fox"));
}

TEST_F(StoreTabModelTest, AnEmptyCatalogueShowsOnlyOnceLoaded)
{
    auto model = makeModel();
    auto catalogue = model->catalogue();
    EXPECT_FALSE(catalogue.shown); // before the first refresh returns
    loadAndWait(*model);
    catalogue = model->catalogue();
    EXPECT_TRUE(catalogue.shown);
    EXPECT_EQ(catalogue.header, "");
    EXPECT_EQ(catalogue.line, "No bundles available right now.");
    EXPECT_TRUE(model->installed().isEmpty());
}

TEST_F(StoreTabModelTest, TheCatalogueListsWhatIsNotInstalledOrIsAllCaughtUp)
{
    const Pack fox{.id = "fox", .name = "Fox", .price = 0};
    const Pack chimes{.id = "chimes", .name = "Chimes", .type = Type::soundPack, .price = 199, .version = 3};
    putOnShelf(fox);
    putOnShelf(chimes);
    preinstall(fox);
    auto second = makeModel();
    EXPECT_EQ(second->catalogue().shown, false);
    loadAndWait(*second);
    auto catalogue = second->catalogue();
    EXPECT_EQ(catalogue.header, "Available");
    EXPECT_EQ(catalogue.line, "");
    ASSERT_EQ(catalogue.items.size(), 1);
    EXPECT_EQ(catalogue.items[0].id, "chimes");

    preinstall(chimes);
    catalogue = second->catalogue();
    EXPECT_EQ(catalogue.header, "Available");
    EXPECT_EQ(catalogue.line, "All caught up: every Store bundle is installed.");
    EXPECT_TRUE(catalogue.items.isEmpty());
    EXPECT_EQ(second->installed().size(), 2);
}

TEST_F(StoreTabModelTest, AFailedRefreshLeavesItsErrorBesideTheEmptyCatalogue)
{
    client.listError = StoreClient::Error{"transport(\"offline\")", {}};
    auto model = makeModel();
    EXPECT_EQ(model->error(), std::nullopt);
    loadAndWait(*model);
    EXPECT_EQ(model->catalogue().line, "No bundles available right now.");
    EXPECT_EQ(model->error(), QString("catalogue: transport(\"offline\")"));
}

TEST_F(StoreTabModelTest, ACatalogueListingAnIdTwiceListsItOnceAndLogsItOnce)
{
    putOnShelf({.id = "fox", .name = "Fox newer", .release = clock.now().addDays(-1)}, "fox-a");
    putOnShelf({.id = "fox", .name = "Fox older", .release = clock.now().addDays(-5)}, "fox-b");
    auto model = makeModel();
    LogCapture log;
    loadAndWait(*model);
    ASSERT_EQ(store->available().size(), 2);
    QStringList duplicates;
    EXPECT_EQ(StoreTabModel::uniqueItems(store->available(), &duplicates).size(), 1);
    EXPECT_EQ(duplicates, QStringList{"fox"});
    const auto catalogue = model->catalogue();
    ASSERT_EQ(catalogue.items.size(), 1);
    EXPECT_EQ(catalogue.items[0].displayName, "Fox newer");
    model->catalogue();
    EXPECT_EQ(log.lines().filter("catalogue lists fox more than once").size(), 1);
}
