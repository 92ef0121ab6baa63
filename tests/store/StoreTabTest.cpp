#include "StoreTabFixture.h"
#include "store/views/StoreBadge.h"

#include <QPointer>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {
class StoreTabTest : public StoreTabFixture {};
} // namespace

// Sections

TEST_F(StoreTabTest, BeforeTheFirstRefreshReturnsThereIsNoCatalogueSection)
{
    preinstall({.id = "hare", .name = "Hare", .price = 0});
    putOnShelf({.id = "fox", .name = "Fox"});
    client.holdList = true;
    openWindow();
    spinFor(30);
    EXPECT_TRUE(tab->model()->isLoading());
    EXPECT_FALSE(tab->didLoad());
    EXPECT_TRUE(section("catalogue")->isHidden());
    EXPECT_FALSE(section("installed")->isHidden());
    EXPECT_EQ(section("installed")->header(), "Installed");
    EXPECT_TRUE(section("error")->isHidden());
    EXPECT_FALSE(section("footer")->isHidden());
    EXPECT_EQ(part<QLabel>("footerText")->text(),
              "Bundles are signed off-device. Every install verifies a manifest signature plus per-asset SHA-256 "
              "hashes; nothing lands on disk until both checks pass.");
    EXPECT_EQ(part<QLabel>("footerText")->textFormat(), Qt::PlainText);
    screenshot(window.get(), "store-tab-loading");

    client.holdList = false;
    ASSERT_TRUE(waitUntil([&] { return tab->didLoad(); }));
    EXPECT_EQ(rowIds(), QStringList{"fox"});
    EXPECT_EQ(section("catalogue")->header(), "Available");
}

TEST_F(StoreTabTest, AnEmptyCatalogueSaysSoOnceLoaded)
{
    openAndLoad();
    EXPECT_FALSE(section("catalogue")->isHidden());
    EXPECT_EQ(section("catalogue")->header(), QString());
    EXPECT_EQ(catalogueLine(), "No bundles available right now.");
    EXPECT_TRUE(section("installed")->isHidden());
    EXPECT_TRUE(section("error")->isHidden());
    screenshot(window.get(), "store-tab-empty");
}

TEST_F(StoreTabTest, WhenEverythingIsInstalledTheCatalogueIsAllCaughtUp)
{
    const Pack fox{.id = "fox", .name = "Fox", .price = 0};
    const Pack chimes{.id = "chimes", .name = "Chimes", .type = Type::soundPack, .price = 199, .version = 3};
    putOnShelf(fox);
    putOnShelf(chimes);
    preinstall(fox);
    preinstall(chimes);
    openAndLoad();
    EXPECT_EQ(section("catalogue")->header(), "Available");
    EXPECT_EQ(catalogueLine(), "All caught up: every Store bundle is installed.");
    EXPECT_TRUE(itemRows().isEmpty());
    EXPECT_EQ(installedRows().size(), 2);
    // Installed items are marked seen as well.
    EXPECT_TRUE(seen("fox"));
    EXPECT_TRUE(seen("chimes"));
    screenshot(window.get(), "store-tab-all-caught-up");
}

TEST_F(StoreTabTest, AFailedRefreshShowsItsErrorBesideTheEmptyCatalogue)
{
    client.listError = StoreClient::Error{"transport(\"offline\")", {}};
    openAndLoad();
    EXPECT_EQ(catalogueLine(), "No bundles available right now.");
    ASSERT_FALSE(section("error")->isHidden());
    EXPECT_EQ(part<StoreWrappingLabel>("errorText")->text(), "catalogue: transport(\"offline\")");
}

// A failed install reads as the sentence the download error supplies, light
// and dark, at the common desktop font sizes.
TEST_F(StoreTabTest, AFailedInstallReadsAsASentence)
{
    putOnShelf({.id = "fox", .name = "Fox", .price = 0});
    client.fetchError = StoreClient::Error{
        "bundleDownloadFailed(status: 404)",
        "Couldn't download the bundle (HTTP 404). Check your internet connection and try again."};
    const QPalette light = QApplication::palette();
    for (const int points : {10, 11}) {
        ScopedAppFont font(points);
        for (const bool dark : {false, true}) {
            QApplication::setPalette(dark ? darkPalette() : light);
            openAndLoad();
            ASSERT_NE(rowFor("fox"), nullptr);
            rowFor("fox")->installButton()->click();
            ASSERT_TRUE(waitUntil([&] { return !section("error")->isHidden(); }));
            EXPECT_EQ(part<StoreWrappingLabel>("errorText")->text(), "install fox: Couldn't download the bundle (HTTP 404). Check your "
                                                "internet connection and try again.");
            screenshot(window.get(), QStringLiteral("store-tab-install-error-%1-%2pt").arg(dark ? "dark" : "light").arg(points));
        }
    }
    QApplication::setPalette(light);
}

TEST_F(StoreTabTest, ALongErrorWithoutSpacesWrapsInsideTheWindow)
{
    const QString longError = "https://" + QString(292, QLatin1Char('x'));
    ASSERT_EQ(longError.size(), 300);
    client.listError = StoreClient::Error{longError, {}};
    openAndLoad();
    EXPECT_EQ(window->width(), 540);
    EXPECT_LE(tab->minimumSizeHint().width(), 540);
    StoreWrappingLabel* text = part<StoreWrappingLabel>("errorText");
    EXPECT_EQ(text->text(), "catalogue: " + longError);
    EXPECT_GT(text->lineCount(text->width()), 2);
    const QRect inWindow(text->mapTo(window.get(), QPoint(0, 0)), text->size());
    EXPECT_LE(inWindow.right(), window->width());
    EXPECT_GE(text->height(), text->heightForWidth(text->width()));
    screenshot(window.get(), "store-tab-long-error");
}

// First load and seen marks

TEST_F(StoreTabTest, TheFirstVisitShowsWhatIsNewThenMarksEveryListedItemSeen)
{
    putOnShelf({.id = "fox", .name = "Fox", .release = clock.now().addDays(-2)});
    putOnShelf({.id = "hare", .name = "Hare", .release = clock.now().addDays(-30)});
    openAndLoad();
    EXPECT_EQ(client.listCalls, 1);
    ASSERT_NE(rowFor("fox"), nullptr);
    EXPECT_TRUE(rowFor("fox")->isMarkedNew());
    EXPECT_FALSE(rowFor("hare")->isMarkedNew());
    EXPECT_TRUE(seen("fox"));
    EXPECT_TRUE(seen("hare"));

    // Switching tabs away and back neither reloads nor drops this visit's badges.
    tab->hide();
    tab->show();
    spinFor(20);
    EXPECT_EQ(client.listCalls, 1);
    EXPECT_TRUE(rowFor("fox")->isMarkedNew());
    EXPECT_TRUE(rowFor("fox")->newBadge()->isVisible());

    // The coordinator's next change redraws the rows: the marks now hold.
    rowFor("hare")->installButton()->click();
    ASSERT_TRUE(waitUntil([&] { return installedRowFor("hare") != nullptr; }));
    EXPECT_FALSE(rowFor("fox")->isMarkedNew());
    EXPECT_FALSE(rowFor("fox")->newBadge()->isVisible());

    // The next window refreshes once more and shows nothing as new.
    openAndLoad();
    EXPECT_EQ(client.listCalls, 2);
    EXPECT_FALSE(rowFor("fox")->isMarkedNew());
}

TEST_F(StoreTabTest, ClosingTheWindowDuringTheRefreshWritesNoSeenMarks)
{
    putOnShelf({.id = "fox", .name = "Fox"});
    client.holdList = true;
    openWindow();
    spinFor(20);
    // Closed and deleted, as the settings window does with its content.
    window.reset();
    client.holdList = false;
    ASSERT_TRUE(waitUntil([&] { return store->available().size() == 1; }));
    spinFor(20);
    EXPECT_FALSE(seen("fox"));

    // Closed but not deleted yet when the refresh returns: still no marks.
    client.holdList = true;
    openWindow();
    spinFor(20);
    window->close();
    client.holdList = false;
    spinFor(100);
    EXPECT_FALSE(tab->didLoad());
    EXPECT_FALSE(tab->model()->isLoading());
    EXPECT_FALSE(seen("fox"));
}

TEST_F(StoreTabTest, ClosingTheWindowDuringAnInstallLeavesTheInstallToTheCoordinator)
{
    putOnShelf({.id = "fox", .name = "Fox", .price = 299});
    openAndLoad();
    client.heldFetches = {"fox"};
    rowFor("fox")->installButton()->click();
    spinFor(10);
    window.reset();
    client.heldFetches.clear();
    ASSERT_TRUE(waitUntil([&] { return store->inflightInstallIds().isEmpty(); }));
    EXPECT_EQ(registry.installed().size(), 1);
    EXPECT_NE(visualizers.visualizer(QStringLiteral("viz.runner.fox")), nullptr);
}

// Rows

TEST_F(StoreTabTest, OnlyRowsInFlightShowProgressAndTwoCanRunAtOnce)
{
    putOnShelf({.id = "fox", .name = "Fox", .price = 100, .release = clock.now().addDays(-1)});
    putOnShelf({.id = "chimes", .name = "Chimes", .type = Type::soundPack, .price = 100, .release = clock.now().addDays(-2)});
    putOnShelf({.id = "hare", .name = "Hare", .price = 100, .release = clock.now().addDays(-3)});
    openAndLoad();
    ASSERT_EQ(rowIds(), (QStringList{"fox", "chimes", "hare"}));
    client.heldFetches = {"fox", "chimes"};
    rowFor("fox")->installButton()->click();
    rowFor("chimes")->installButton()->click();
    spinFor(20);
    for (const QString id : {"fox", "chimes"}) {
        StoreItemRow* row = rowFor(id);
        EXPECT_TRUE(row->isInFlight()) << id.toStdString();
        EXPECT_TRUE(row->progressIndicator()->isVisible()) << id.toStdString();
        EXPECT_TRUE(row->progressIndicator()->isSpinning()) << id.toStdString();
        EXPECT_FALSE(row->installButton()->isVisible()) << id.toStdString();
    }
    EXPECT_FALSE(rowFor("hare")->isInFlight());
    EXPECT_TRUE(rowFor("hare")->installButton()->isVisible());
    EXPECT_FALSE(rowFor("hare")->progressIndicator()->isVisible());
    screenshot(window.get(), "store-tab-two-installs");

    // One ends: its row moves to "Installed"; the other keeps its progress.
    client.heldFetches.remove("fox");
    ASSERT_TRUE(waitUntil([&] { return installedRowFor("fox") != nullptr; }));
    EXPECT_EQ(rowFor("fox"), nullptr);
    EXPECT_TRUE(rowFor("chimes")->progressIndicator()->isVisible());
    EXPECT_NE(visualizers.visualizer(QStringLiteral("viz.runner.fox")), nullptr); // live for the pin bars at once
    client.heldFetches.clear();
    ASSERT_TRUE(waitUntil([&] { return installedRowFor("chimes") != nullptr; }));
    EXPECT_EQ(rowIds(), QStringList{"hare"});
    EXPECT_TRUE(SoundRegistry::installed().contains("chimes.bell"));
}

TEST_F(StoreTabTest, PricesVersionsAndRemove)
{
    const Pack paid{.id = "chimes", .name = "Chimes", .type = Type::soundPack, .price = 499, .version = 3};
    putOnShelf({.id = "fox", .name = "Fox", .price = 0});
    putOnShelf({.id = "wolf", .name = "Wolf", .price = 499});
    putOnShelf(paid);
    preinstall({.id = "hare", .name = "Hare", .price = 0, .version = 2});
    preinstall({.id = "owl", .name = "Owl", .price = 0, .version = 4});
    preinstall(paid);
    // Only what the program seeded from its own resources is built in.
    Defaults::standard()->set(SettingsSchema::builtInBundles, QVariantList{QStringLiteral("hare")});
    openAndLoad();

    EXPECT_EQ(part(rowFor("fox"), "price")->text(), "Free");
    EXPECT_EQ(part(rowFor("wolf"), "price")->text(), "4.99 USD");
    StoreItem item;
    item.priceCents = 5;
    item.currency = "EUR";
    EXPECT_EQ(StoreItemRow::priceText(item), "0.05 EUR");
    item.priceCents = 120000;
    EXPECT_EQ(StoreItemRow::priceText(item), "1200.00 EUR");

    InstalledBundleRow* builtIn = installedRowFor("hare");
    ASSERT_NE(builtIn, nullptr);
    EXPECT_EQ(part(builtIn, "verification")->text(), "Free · built-in · signature verified");
    EXPECT_EQ(part<QPushButton>(builtIn, "remove"), nullptr);
    // A free bundle from the store is no built-in one: it shows its version and can go.
    InstalledBundleRow* freeFromStore = installedRowFor("owl");
    ASSERT_NE(freeFromStore, nullptr);
    EXPECT_EQ(part(freeFromStore, "verification")->text(), "v4 · signature verified");
    EXPECT_NE(part<QPushButton>(freeFromStore, "remove"), nullptr);
    InstalledBundleRow* bought = installedRowFor("chimes");
    ASSERT_NE(bought, nullptr);
    EXPECT_EQ(part(bought, "verification")->text(), "v3 · signature verified");
    ASSERT_NE(part<QPushButton>(bought, "remove"), nullptr);
    EXPECT_EQ(part<QPushButton>(bought, "remove")->text(), "Remove");
    EXPECT_EQ(part(bought, "author")->text(), "by Gaugelet");
    EXPECT_EQ(part(bought, "id")->text(), "chimes");

    // Remove acts at once, without a question, and the item can be installed again.
    ASSERT_TRUE(SoundRegistry::installed().contains("chimes.bell"));
    part<QPushButton>(bought, "remove")->click();
    // Gone at once, before any question could have been answered.
    EXPECT_FALSE(QFileInfo(folders.bundlesRoot() + "/chimes").exists());
    EXPECT_FALSE(SoundRegistry::installed().contains("chimes.bell"));
    ASSERT_TRUE(waitUntil([&] { return installedRowFor("chimes") == nullptr; }));
    EXPECT_NE(rowFor("chimes"), nullptr);
    EXPECT_EQ(installedRows().size(), 2);
}

TEST_F(StoreTabTest, CatalogueTextsArePlainAndBadgesFollowTheItem)
{
    const QString adultId = *StoreCoordinator::adultContentIds().begin();
    putOnShelf({.id = "fox", .name = "Fox <i>x</i>", .author = "<b>Ann</b> & co"});
    putOnShelf({.id = adultId, .name = "After Dark"});
    putOnShelf({.id = QString(120, QLatin1Char('w')), .name = QString(200, QLatin1Char('N')), .price = 1999},
               "wide");
    openAndLoad();
    StoreItemRow* fox = rowFor("fox");
    ASSERT_NE(fox, nullptr);
    EXPECT_EQ(part(fox, "name")->text(), "Fox <i>x</i>");
    EXPECT_EQ(part(fox, "name")->textFormat(), Qt::PlainText);
    EXPECT_EQ(part(fox, "author")->text(), "by <b>Ann</b> & co");
    EXPECT_EQ(part(fox, "author")->textFormat(), Qt::PlainText);
    EXPECT_EQ(part(fox, "id")->text(), "fox");
    EXPECT_EQ(part<QWidget>(fox, "adultBadge"), nullptr);

    // A name and id far wider than the window are cut at the row's end; the
    // price and the button stay inside the window.
    StoreItemRow* wide = rowFor(QString(120, QLatin1Char('w')));
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(window->width(), 540);
    const QRect button(wide->installButton()->mapTo(window.get(), QPoint(0, 0)), wide->installButton()->size());
    EXPECT_LE(button.right(), window->width());
    EXPECT_GE(button.left(), window->width() / 2);

    StoreItemRow* adult = rowFor(adultId);
    ASSERT_NE(adult, nullptr);
    ASSERT_NE(part<QWidget>(adult, "adultBadge"), nullptr);
    EXPECT_EQ(part<QWidget>(adult, "adultBadge")->accessibleName(), "Contains adult content, 18 plus");
    EXPECT_EQ(static_cast<StoreBadge*>(part<QWidget>(adult, "adultBadge"))->text(), "18+ NSFW");
    EXPECT_EQ(StoreBadge::adultContentColour(), QColor::fromRgbF(0.94f, 0.33f, 0.41f));
    // The badge is drawn in its colour: its outline carries it.
    QWidget* badgeWidget = part<QWidget>(adult, "adultBadge");
    badgeWidget->resize(badgeWidget->sizeHint());
    const QImage badge = badgeWidget->grab().toImage();
    ASSERT_FALSE(badge.isNull());
    bool inBadgeColour = false;
    for (int y = 0; y < badge.height() && !inBadgeColour; ++y) {
        for (int x = 0; x < badge.width() && !inBadgeColour; ++x) {
            const QColor c = badge.pixelColor(x, y);
            inBadgeColour = c.alphaF() > 0.9 && std::abs(c.redF() - 0.94) < 0.1 && std::abs(c.greenF() - 0.33) < 0.1
                && std::abs(c.blueF() - 0.41) < 0.1;
        }
    }
    EXPECT_TRUE(inBadgeColour);
}

TEST_F(StoreTabTest, RowsShowPreviewsOrTheSymbolOfTheirKind)
{
    putOnShelf({.id = "fox", .name = "Fox", .release = clock.now().addDays(-1)});
    putOnShelf({.id = "chimes", .name = "Chimes", .type = Type::soundPack, .release = clock.now().addDays(-2)});
    putOnShelf({.id = "plain", .name = "Plain", .release = clock.now().addDays(-3), .withArt = false});
    putOnShelf({.id = "quiet", .name = "Quiet", .type = Type::soundPack, .release = clock.now().addDays(-4), .withArt = false});
    openAndLoad();
    EXPECT_NE(qobject_cast<RunnerPreviewView*>(rowFor("fox")->previewWidget()), nullptr);
    EXPECT_NE(qobject_cast<SoundPackPreview*>(rowFor("chimes")->previewWidget()), nullptr);
    ASSERT_NE(rowFor("plain")->placeholder(), nullptr);
    EXPECT_EQ(rowFor("plain")->placeholder()->symbolName(), "figure.run");
    EXPECT_EQ(rowFor("plain")->previewWidget(), nullptr);
    ASSERT_NE(rowFor("quiet")->placeholder(), nullptr);
    EXPECT_EQ(rowFor("quiet")->placeholder()->symbolName(), "speaker.wave.2");
    EXPECT_TRUE(rowFor("fox")->isMarkedNew());
    screenshot(window.get(), "store-tab-available");

    // A second window's rows get widgets of their own from the cached previews.
    // Held weakly: the first window's preview may be gone, and a new widget
    // can then take its address.
    const QPointer<QWidget> first = rowFor("fox")->previewWidget();
    openAndLoad();
    QWidget* second = rowFor("fox")->previewWidget();
    EXPECT_NE(second, nullptr);
    EXPECT_TRUE(first.isNull() || first.data() != second);
}

TEST_F(StoreTabTest, PreviewsRunOnlyWhileTheyCanBeSeen)
{
    for (int i = 0; i < 12; ++i)
        putOnShelf({.id = QStringLiteral("fox%1").arg(i, 2, 10, QLatin1Char('0')), .name = "Fox",
                    .release = clock.now().addSecs(-i)});
    openAndLoad({540, 300});
    auto previewOf = [&](const QString& id) { return qobject_cast<RunnerPreviewView*>(rowFor(id)->previewWidget()); };
    // The previews are read off the main thread: the rows take their full
    // height once every one has arrived, which a loaded machine can delay.
    ASSERT_TRUE(waitUntil([&] {
        return previewOf("fox00") && previewOf("fox11") && previewOf("fox00")->isVisible()
               && !previewOf("fox11")->isVisible();
    }));
    spinFor(30);
    EXPECT_FALSE(previewOf("fox00")->compositor()->isPaused());
    EXPECT_FALSE(previewOf("fox11")->isVisible());
    EXPECT_TRUE(previewOf("fox11")->compositor()->isPaused());

    QScrollBar* bar = part<QScrollArea>("scrollArea")->verticalScrollBar();
    bar->setValue(bar->maximum());
    ASSERT_TRUE(waitUntil([&] { return previewOf("fox11")->isVisible(); }));
    spinFor(30);
    EXPECT_TRUE(previewOf("fox11")->isVisible());
    EXPECT_FALSE(previewOf("fox11")->compositor()->isPaused());
    EXPECT_TRUE(previewOf("fox00")->compositor()->isPaused());

    // Another tab in front: nothing animates.
    tab->hide();
    spinFor(10);
    EXPECT_TRUE(previewOf("fox11")->compositor()->isPaused());
}

TEST_F(StoreTabTest, ACatalogueListingAnIdTwiceShowsItOnceAndLogsIt)
{
    putOnShelf({.id = "fox", .name = "Fox newer", .release = clock.now().addDays(-1)}, "fox-a");
    putOnShelf({.id = "fox", .name = "Fox older", .release = clock.now().addDays(-5)}, "fox-b");
    LogCapture log;
    openAndLoad();
    ASSERT_EQ(store->available().size(), 2);
    EXPECT_EQ(rowIds(), QStringList{"fox"});
    EXPECT_EQ(part(rowFor("fox"), "name")->text(), "Fox newer");
    EXPECT_TRUE(log.contains("catalogue lists fox more than once"));
}

TEST_F(StoreTabTest, AFailedInstallShowsItsErrorAndLeavesNothingInstalled)
{
    // After the listing the file goes away (the download fails), or is
    // replaced by one whose signature no longer matches (the installer refuses it).
    struct Case {
        const char* name;
        std::function<void(const QString& file)> spoil;
    };
    const QList<Case> cases{
        {"download fails", [](const QString& file) { ASSERT_TRUE(QFile::remove(file)); }},
        {"verification fails",
         [](const QString& file) {
             QByteArray bytes = readFile(file);
             const qsizetype at = bytes.indexOf("\"Fox\"");
             ASSERT_GT(at, 0);
             bytes.replace(at, 5, "\"Fix\"");
             writeFile(file, bytes);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store.reset();
        putOnShelf({.id = "fox", .name = "Fox", .price = 100, .withArt = false});
        MockStoreClient shelfClient(shelf());
        HeldClient held(&shelfClient);
        store = std::make_unique<StoreCoordinator>(&registry, &installer, &held, QList<StoreBundleAdapter*>{&runner, &sound});
        openAndLoad();
        ASSERT_NE(rowFor("fox"), nullptr);
        c.spoil(shelf() + "/fox.gaugebundle");
        rowFor("fox")->installButton()->click();
        ASSERT_TRUE(waitUntil([&] { return !section("error")->isHidden() && store->inflightInstallIds().isEmpty(); }));
        EXPECT_TRUE(part<StoreWrappingLabel>("errorText")->text().startsWith("install fox: ")) << part<StoreWrappingLabel>("errorText")->text().toStdString();
        EXPECT_TRUE(registry.installed().isEmpty());
        EXPECT_TRUE(QDir(folders.bundlesRoot()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
        EXPECT_EQ(visualizers.visualizer(QStringLiteral("viz.runner.fox")), nullptr);
        spinFor(10);
        ASSERT_NE(rowFor("fox"), nullptr);
        EXPECT_TRUE(rowFor("fox")->installButton()->isVisible());
        EXPECT_FALSE(rowFor("fox")->isInFlight());
        EXPECT_TRUE(section("installed")->isHidden());
        window.reset();
        store.reset();
    }
}

TEST_F(StoreTabTest, InstallsAndRemovesEndToEndOverHttps)
{
    ScopedDefaults catalogueDefaults;
    QNetworkAccessManager session;
    FakeStoreHost host;
    const Pack fox{.id = "fox", .name = "Fox", .price = 250, .version = 4};
    host.setRoute("/packs/fox.gaugebundle", HttpAnswer{200, packBytes(fox)});
    QJsonObject product = productObject("fox", "runner_sprite", host.url("/packs/fox.gaugebundle").toString());
    host.serveCatalogue(NaclKeyPair::shared(), catalogueBytes({product}));
    RemoteCatalogue* catalogue = host.catalogue(&session, catalogueDefaults.get(), [this] { return clock.now(); });
    RemoteStoreClient remote(StoreAssetCache::defaultCache(), &session, catalogue);
    store = std::make_unique<StoreCoordinator>(&registry, &installer, &remote, QList<StoreBundleAdapter*>{&runner, &sound});
    openAndLoad();
    ASSERT_NE(rowFor("fox"), nullptr);
    EXPECT_NE(qobject_cast<RunnerPreviewView*>(rowFor("fox")->previewWidget()), nullptr);

    rowFor("fox")->installButton()->click();
    ASSERT_TRUE(waitUntil([&] { return installedRowFor("fox") != nullptr; }));
    EXPECT_EQ(store->lastError(), std::nullopt);
    EXPECT_NE(visualizers.visualizer(QStringLiteral("viz.runner.fox")), nullptr);
    EXPECT_EQ(part(installedRowFor("fox"), "verification")->text(), "v4 · signature verified");
    EXPECT_EQ(catalogueLine(), "All caught up: every Store bundle is installed.");

    part<QPushButton>(installedRowFor("fox"), "remove")->click();
    ASSERT_TRUE(waitUntil([&] { return installedRowFor("fox") == nullptr; }));
    EXPECT_EQ(visualizers.visualizer(QStringLiteral("viz.runner.fox")), nullptr);
    EXPECT_NE(rowFor("fox"), nullptr);
    window.reset();
    store.reset();
}

TEST_F(StoreTabTest, ScreenshotsInTheDarkPalette)
{
    struct DarkScope {
        QPalette light = QApplication::palette();
        DarkScope() { QApplication::setPalette(darkPalette()); }
        ~DarkScope() { QApplication::setPalette(light); }
    } dark;
    putOnShelf({.id = "fox", .name = "Fox", .price = 0, .release = clock.now().addDays(-1)});
    putOnShelf({.id = *StoreCoordinator::adultContentIds().begin(), .name = "After Dark", .price = 299});
    putOnShelf({.id = "chimes", .name = "Chimes", .type = Type::soundPack, .price = 499, .version = 3});
    preinstall({.id = "hare", .name = "Hare", .price = 0});
    client.holdList = true;
    openWindow();
    screenshot(window.get(), "store-tab-loading-dark");
    client.holdList = false;
    ASSERT_TRUE(waitUntil([&] { return tab->didLoad(); }));
    client.heldFetches = {"chimes"};
    rowFor("chimes")->installButton()->click();
    screenshot(window.get(), "store-tab-available-dark");
    client.heldFetches.clear();
    ASSERT_TRUE(waitUntil([&] { return installedRowFor("chimes") != nullptr; }));
    for (StoreItemRow* row : itemRows())
        row->installButton()->click();
    ASSERT_TRUE(waitUntil([&] { return itemRows().isEmpty() && store->inflightInstallIds().isEmpty(); }));
    screenshot(window.get(), "store-tab-all-caught-up-dark");
    window.reset();

    ScopedStoreFolders emptyFolders;
    MockStoreClient emptyShelf(emptyFolders.resources() + "/none");
    HeldClient failing(&emptyShelf);
    failing.listError = StoreClient::Error{"https://" + QString(292, QLatin1Char('x')), {}};
    InstalledBundleRegistry emptyRegistry(emptyFolders.bundlesRoot());
    BundleInstaller emptyInstaller(&emptyRegistry);
    StoreCoordinator failingStore(&emptyRegistry, &emptyInstaller, &failing, {&runner, &sound});
    ViewEnvironment env;
    env.store = &failingStore;
    for (const bool withError : {false, true}) {
        failing.listError = withError ? std::optional(StoreClient::Error{"https://" + QString(292, QLatin1Char('x')), {}})
                                      : std::nullopt;
        QWidget host;
        auto* layout = new QVBoxLayout(&host);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* page = new StoreTab(env, &host);
        layout->addWidget(page);
        host.resize(540, 470);
        host.show();
        ASSERT_TRUE(waitUntil([&] { return page->didLoad(); }));
        screenshot(&host, withError ? "store-tab-long-error-dark" : "store-tab-empty-dark");
    }
}

TEST_F(StoreTabTest, TextColoursFollowTheSwitchBetweenLightAndDark)
{
    putOnShelf({.id = "fox", .name = "Fox"});
    openAndLoad();
    QLabel* author = part(rowFor("fox"), "author");
    const QColor lightSecondary = DesignStyle::colour(DesignStyle::Colour::secondary, QApplication::palette());
    EXPECT_EQ(author->palette().color(QPalette::WindowText), lightSecondary);
    const QPalette light = QApplication::palette();
    QApplication::setPalette(darkPalette());
    spinFor(10);
    const QColor darkSecondary = DesignStyle::colour(DesignStyle::Colour::secondary, darkPalette());
    EXPECT_EQ(author->palette().color(QPalette::WindowText), darkSecondary);
    EXPECT_EQ(author->palette().color(QPalette::Window), darkPalette().color(QPalette::Window));
    QApplication::setPalette(light);
    spinFor(10);
    EXPECT_EQ(author->palette().color(QPalette::WindowText), lightSecondary);
}
