#pragma once

// The Store tab over a real coordinator, installer and registry, with a
// development client behind a client that can hold or fail its answers.

#include "store/views/StoreTab.h"
#include "store/StoreTabModel.h"

#include "StoreTestSupport.h"
#include "TestSupport.h"
#include "alarms/SoundRegistry.h"
#include "menubar/views/RunnerPreviewView.h"
#include "menubar/VisualizerRegistry.h"
#include "platform/core/Defaults.h"
#include "store/BundleVerifier.h"
#include "store/views/InstalledBundleRow.h"
#include "store/MockStoreClient.h"
#include "store/RemoteStoreClient.h"
#include "store/RunnerStoreAdapter.h"
#include "store/SigningKeys.h"
#include "store/views/SoundPackPreview.h"
#include "store/SoundStoreAdapter.h"
#include "store/views/StoreActionButton.h"
#include "store/StoreCoordinator.h"
#include "store/views/StoreItemRow.h"
#include "store/views/StoreSymbolView.h"
#include "store/views/StoreWrappingLabel.h"
#include "store/UserDefaultsRemoteCatalogueCache.h"
#include "views/GroupedSection.h"
#include "views/Spinner.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QCoro/QCoroTimer>
#include <gtest/gtest.h>

namespace gaugelet::test {

using Type = BundleManifest::BundleType;

// The eight frames of the fox that ships with the program, so the previews
// in these tests and their screenshots run a real sprite.
inline const Members& foxFrames()
{
    static const Members frames = [] {
        const QByteArray bytes = readFile(QStringLiteral(GAUGELET_SOURCE_DIR "/resources/StoreAssets/fox.gaugebundle"));
        auto verified = BundleVerifier::verify(bytes, StoreSigningKey::builtIn());
        Members out;
        if (!verified || !verified->manifest.sprite)
            return out;
        const auto& sprite = *verified->manifest.sprite;
        for (qint64 i = 0; i < sprite.frameCount; ++i) {
            const QString path = QStringLiteral("assets/%1_%2.png").arg(sprite.framePrefix).arg(i);
            if (verified->files.contains(path))
                out.append({QStringLiteral("assets/fox_%1.png").arg(i), verified->files.value(path)});
        }
        return out;
    }();
    return frames;
}

inline QByteArray bellSound()
{
    return readFile(QStringLiteral(GAUGELET_SOURCE_DIR "/resources/Sounds/bell-sound.mp3"));
}

struct Pack {
    QString id;
    QString name;
    Type type = Type::runnerSprite;
    qint64 price = 0;
    QDateTime release = QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC);
    qint64 version = 1;
    bool withArt = true; // frames or a sound the preview can use
    QString author = QStringLiteral("Gaugelet");
};

inline QByteArray packBytes(const Pack& pack)
{
    Members assets;
    if (pack.type == Type::runnerSprite)
        assets = pack.withArt ? foxFrames() : Members{{"assets/other_0.png", "not a picture"}};
    else
        assets = {{"assets/sound.mp3", pack.withArt ? bellSound() : QByteArray("sound")}};
    QJsonObject m = manifestObject(pack.id, assets);
    m.insert("displayName", pack.name);
    m.insert("author", pack.author);
    m.insert("priceCents", pack.price);
    m.insert("version", pack.version);
    m.insert("releaseDate", pack.release.toString(Qt::ISODate));
    if (pack.type == Type::runnerSprite) {
        m.insert("type", "runner_sprite");
        m.insert("sprite", QJsonObject{{"frameCount", 8}, {"defaultSize", 22}, {"framePrefix", "fox"}});
    } else {
        m.insert("sound", QJsonObject{{"entries", QJsonArray{QJsonObject{
                                                       {"id", pack.id + ".bell"}, {"displayName", pack.name},
                                                       {"assetFile", pack.withArt ? "assets/sound.mp3" : "assets/missing.mp3"}}}}});
    }
    return signedBundle(NaclKeyPair::shared(), manifestBytes(m), assets);
}

// A client in front of the development client that can hold the listing and
// single downloads until the test lets them go, and fail the listing.
class HeldClient : public StoreClient {
public:
    explicit HeldClient(StoreClient* inner) : m_inner(inner) {}

    QCoro::Task<Result<QList<StoreItem>, Error>> listAvailable() override
    {
        ++listCalls;
        while (holdList)
            co_await QCoro::sleepFor(std::chrono::milliseconds(5));
        if (listError)
            co_return fail(*listError);
        co_return co_await m_inner->listAvailable();
    }
    QCoro::Task<Result<QByteArray, Error>> fetchBundle(StoreItem item) override
    {
        while (heldFetches.contains(item.id))
            co_await QCoro::sleepFor(std::chrono::milliseconds(5));
        if (fetchError)
            co_return fail(*fetchError);
        co_return co_await m_inner->fetchBundle(item);
    }

    bool holdList = false;
    QSet<QString> heldFetches;
    std::optional<Error> listError;
    std::optional<Error> fetchError;
    int listCalls = 0;

private:
    StoreClient* m_inner;
};

class StoreTabFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        SoundRegistry::installed().clear();
        QDir().mkpath(shelf());
    }
    void TearDown() override
    {
        window.reset();
        spinFor(10);
        SoundRegistry::installed().clear();
    }

    QString shelf() const { return folders.resources() + QStringLiteral("/shelf"); }
    void putOnShelf(const Pack& pack, const QString& fileName = {})
    {
        writeFile(shelf() + "/" + (fileName.isEmpty() ? pack.id : fileName) + ".gaugebundle", packBytes(pack));
    }
    void preinstall(const Pack& pack) { ASSERT_TRUE(installer.installNow(packBytes(pack))); }

    void makeStore()
    {
        if (!store)
            store = std::make_unique<StoreCoordinator>(&registry, &installer, &client,
                                                       QList<StoreBundleAdapter*>{&runner, &sound});
    }
    // A window the size of the settings window's page, showing the tab.
    StoreTab* openWindow(const QSize& size = {540, 470})
    {
        makeStore();
        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        layout->setContentsMargins(0, 0, 0, 0);
        ViewEnvironment env;
        env.store = store.get();
        env.visualizers = &visualizers;
        tab = new StoreTab(env, window.get());
        layout->addWidget(tab);
        window->resize(size);
        window->show();
        return tab;
    }
    StoreTab* openAndLoad(const QSize& size = {540, 470})
    {
        openWindow(size);
        EXPECT_TRUE(waitUntil([&] { return tab->didLoad(); }));
        spinFor(10);
        return tab;
    }
    // The tab's parts, found by name.
    template <typename T>
    T* part(const char* name) const
    {
        T* found = tab ? tab->findChild<T*>(QString::fromLatin1(name)) : nullptr;
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    // A row's named pieces.
    template <typename T = QLabel>
    static T* part(const QWidget* row, const char* name)
    {
        return row->findChild<T*>(QLatin1String(name));
    }
    GroupedSection* section(const char* name) const { return part<GroupedSection>(name); }
    // The catalogue section's single line, or empty while it lists rows or is hidden.
    QString catalogueLine() const
    {
        GroupedSection* catalogue = section("catalogue");
        auto* line = part<QLabel>("catalogueLine");
        if (catalogue->isHidden() || !catalogue->rows().contains(line))
            return {};
        return line->text();
    }
    // The rows in the order shown.
    template <typename Row>
    QList<Row*> rowsOf(const char* name) const
    {
        QList<Row*> rows;
        for (QWidget* widget : section(name)->rows()) {
            if (auto* row = qobject_cast<Row*>(widget))
                rows.append(row);
        }
        return rows;
    }
    QList<StoreItemRow*> itemRows() const { return rowsOf<StoreItemRow>("catalogue"); }
    QList<InstalledBundleRow*> installedRows() const { return rowsOf<InstalledBundleRow>("installed"); }

    StoreItemRow* rowFor(const QString& id) const
    {
        for (StoreItemRow* row : itemRows())
            if (row->item().id == id)
                return row;
        return nullptr;
    }
    InstalledBundleRow* installedRowFor(const QString& id) const
    {
        for (InstalledBundleRow* row : installedRows())
            if (row->manifest().id == id)
                return row;
        return nullptr;
    }
    QStringList rowIds() const
    {
        QStringList ids;
        for (StoreItemRow* row : itemRows())
            ids.append(row->item().id);
        return ids;
    }
    bool seen(const QString& id) { return defaults->boolean("store.seen." + id).value_or(false); }

    static void screenshot(QWidget* widget, const QString& name)
    {
        QDir().mkpath(QStringLiteral(GAUGELET_BINARY_DIR "/screenshots"));
        spinFor(60); // queued layout passes, the previews' first frames
        EXPECT_TRUE(widget->grab().save(QStringLiteral(GAUGELET_BINARY_DIR "/screenshots/") + name + ".png"));
    }

    ScopedStoreFolders folders;
    ScopedStoreKey storeKey{NaclKeyPair::shared()};
    ScopedDefaults defaults;
    ManualWallClock clock;
    InstalledBundleRegistry registry{folders.bundlesRoot()};
    BundleInstaller installer{&registry};
    VisualizerRegistry visualizers;
    RunnerStoreAdapter runner{{Type::runnerSprite}, &visualizers};
    SoundStoreAdapter sound{{Type::soundPack}};
    MockStoreClient development{shelf()};
    HeldClient client{&development};
    std::unique_ptr<StoreCoordinator> store;
    std::unique_ptr<QWidget> window;
    StoreTab* tab = nullptr;
};


} // namespace gaugelet::test
