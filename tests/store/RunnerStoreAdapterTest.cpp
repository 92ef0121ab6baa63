#include "store/RunnerStoreAdapter.h"

#include "StoreTestSupport.h"
#include "TestSupport.h"
#include "menubar/MenubarController.h"
#include "menubar/NumberLabelVisualizer.h"
#include "menubar/PieVisualizer.h"
#include "menubar/PinManager.h"
#include "menubar/RunnerFrames.h"
#include "menubar/RunnerKind.h"
#include "menubar/RunnerVisualizer.h"
#include "menubar/StatusRowFakes.h"
#include "menubar/TagSpec.h"
#include "menubar/views/RunnerPreviewView.h"
#include "platform/core/Resources.h"
#include "platform/statusitem/ScreenInfo.h"
#include "platform/statusitem/StatusItem.h"
#include "platform/style/Appearance.h"
#include "schema/SettingsSchema.h"
#include "stats/ProviderEnablementStore.h"
#include "stats/RenderClock.h"
#include "store/BundleInstaller.h"
#include "store/BundleVerifier.h"
#include "store/InstalledBundleRegistry.h"
#include "store/SigningKeys.h"
#include "store/ZipReader.h"
#include "store/views/StorePreviewViews.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using namespace gaugelet;
using namespace gaugelet::test;
using Type = BundleManifest::BundleType;
using Payload = BundleManifest::SpritePayload;

namespace {

const QStringList shippedIds{QStringLiteral("fox"), QStringLiteral("hare"), QStringLiteral("piglet")};

QByteArray png(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

BundleManifest runnerPack(const QString& id)
{
    BundleManifest m;
    m.schema = 1;
    m.id = id;
    m.version = 1;
    m.type = Type::runnerSprite;
    m.displayName = id.toUpper();
    return m;
}

Payload sprite(const QString& prefix, qint64 frameCount, std::optional<QString> id = std::nullopt,
               std::optional<QString> name = std::nullopt)
{
    return Payload{frameCount, 22, prefix, std::move(id), std::move(name)};
}

// A bundle folder whose "assets/" holds frameCount small frames.
struct Folder {
    QTemporaryDir dir;
    Folder(const QString& prefix, int frameCount)
    {
        for (int i = 0; i < frameCount; ++i) {
            const QString path = dir.filePath(RunnerKind::framePath(prefix, i));
            QDir().mkpath(QFileInfo(path).absolutePath());
            writeFile(path, png({6, 4}, QColor(40 * i, 120, 200)));
        }
    }
    QString path() const { return dir.path(); }
};

QStringList ids(const VisualizerRegistry& registry)
{
    QStringList list;
    for (const VisualizerPtr& v : registry.visualizers())
        list.append(v->id());
    return list;
}

QByteArray shippedBytes(const QString& id)
{
    return readFile(Resources::path(QStringLiteral("StoreAssets/") + id + QStringLiteral(".gaugebundle")));
}

// The shipped packs installed the way the store installs them: verified with
// the compiled-in store key, written by the installer, made live by the adapter.
struct InstalledShippedPacks {
    InstalledShippedPacks()
    {
        for (const QString& id : shippedIds) {
            auto manifest = installer.installNow(shippedBytes(id));
            if (!manifest) {
                ADD_FAILURE() << id.toStdString() << ": " << manifest.error().describe().toStdString();
                continue;
            }
            manifests.append(*manifest);
            results.append(adapter.install(*manifest, *bundles.folderFor(id)));
        }
    }
    QTemporaryDir root;
    InstalledBundleRegistry bundles{root.filePath(QStringLiteral("Bundles"))};
    BundleInstaller installer{&bundles};
    VisualizerRegistry visualizers;
    RunnerStoreAdapter adapter{{Type::runnerSprite}, &visualizers};
    QList<BundleManifest> manifests;
    QList<std::optional<QString>> results;
};

} // namespace

TEST(RunnerStoreAdapterShipped, TheShippedPacksBecomeRunnerVisualizers)
{
    ScopedDefaults defaults;
    InstalledShippedPacks packs;
    ASSERT_EQ(packs.results.size(), 3);
    EXPECT_EQ(packs.results, (QList<std::optional<QString>>{shippedIds[0], shippedIds[1], shippedIds[2]}));
    EXPECT_EQ(ids(packs.visualizers), (QStringList{QStringLiteral("viz.pie"), QStringLiteral("viz.numberLabel"),
                                                   QStringLiteral("viz.sparkline"), QStringLiteral("viz.runner.fox"),
                                                   QStringLiteral("viz.runner.hare"), QStringLiteral("viz.runner.piglet")}));
    ASSERT_EQ(packs.manifests.size(), 3);
    for (const BundleManifest& manifest : packs.manifests) {
        const QString folder = *packs.bundles.folderFor(manifest.id);
        const QList<RunnerKind> kinds = RunnerStoreAdapter::kinds(manifest, folder);
        ASSERT_EQ(kinds.size(), 1);
        EXPECT_EQ(kinds[0].id, manifest.id);
        EXPECT_EQ(kinds[0].assetPrefix, manifest.id);
        EXPECT_EQ(kinds[0].frameCount, 8);
        EXPECT_EQ(kinds[0].assetSource, RunnerKind::Source::directory(folder));
    }
    for (const QString& id : shippedIds) {
        auto runner = std::dynamic_pointer_cast<RunnerVisualizer>(packs.visualizers.visualizer(QStringLiteral("viz.runner.") + id));
        ASSERT_TRUE(runner) << id.toStdString();
        EXPECT_EQ(runner->kind().frameCount, 8);
        EXPECT_EQ(runner->kind().defaultSize, 22);
        EXPECT_EQ(runner->size(), QSizeF(22, 22));
        StatSnapshot s;
        s.value = 0.5;
        const QList<QImage> frames = runner->frames(Theme::dark, s);
        ASSERT_EQ(frames.size(), 8) << id.toStdString();
        for (const QImage& frame : frames)
            EXPECT_EQ(frame.size(), frames.first().size());
        EXPECT_LT(std::abs(runner->verticalBias()), 0.25) << id.toStdString();
    }
}

TEST(RunnerStoreAdapterShipped, TheShippedPacksPreviewTheirEightFrames)
{
    const QString outDir = QStringLiteral(GAUGELET_BINARY_DIR "/tiles");
    QDir().mkpath(outDir);
    RunnerStoreAdapter adapter({Type::runnerSprite}, nullptr);
    for (const QString& id : shippedIds) {
        auto verified = BundleVerifier::verify(shippedBytes(id), StoreSigningKey::builtIn());
        ASSERT_TRUE(verified) << id.toStdString();
        auto preview = adapter.preview(verified->manifest, verified->files);
        ASSERT_TRUE(preview) << id.toStdString();
        EXPECT_EQ(preview->kind(), QStringLiteral("RunnerSpritePreview"));
        std::unique_ptr<QWidget> widget(StorePreviewViews::makeWidget(*preview));
        auto* view = qobject_cast<RunnerPreviewView*>(widget.get());
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->pendingFrames().size(), 8);
        EXPECT_EQ(view->pendingCycleDuration(), 1.0);
        view->resize(96, 72);
        QCoreApplication::processEvents();
        const QImage picture = view->renderImage(2.0);
        EXPECT_TRUE(RunnerFrames::opaqueBox(picture).has_value()) << id.toStdString();
        EXPECT_TRUE(picture.save(outDir + QStringLiteral("/store-preview-%1@2x.png").arg(id)));
    }
}

TEST(RunnerStoreAdapterInstall, OnlySpritesEntriesWithIdAndNameRegister)
{
    ScopedDefaults defaults;
    VisualizerRegistry registry;
    RunnerStoreAdapter adapter({Type::runnerSprite}, &registry);
    Folder folder(QStringLiteral("a"), 2);
    BundleManifest m = runnerPack(QStringLiteral("duo"));
    m.sprites = QList<Payload>{sprite(QStringLiteral("a"), 2, QStringLiteral("a"), QStringLiteral("A")),
                               sprite(QStringLiteral("b"), 2, QStringLiteral("b"), std::nullopt)};
    EXPECT_EQ(adapter.install(m, folder.path()), QStringLiteral("duo"));
    EXPECT_TRUE(registry.visualizer(u"viz.runner.a"));
    EXPECT_FALSE(registry.visualizer(u"viz.runner.b"));
    EXPECT_EQ(registry.visualizer(u"viz.runner.a")->displayName(), QStringLiteral("A"));

    // A "b" runner from elsewhere goes too: uninstall withdraws every id named.
    BundleManifest other = runnerPack(QStringLiteral("b"));
    other.sprite = sprite(QStringLiteral("a"), 2);
    adapter.install(other, folder.path());
    ASSERT_TRUE(registry.visualizer(u"viz.runner.b"));
    adapter.uninstall(m);
    EXPECT_EQ(ids(registry), (QStringList{QStringLiteral("viz.pie"), QStringLiteral("viz.numberLabel"),
                                          QStringLiteral("viz.sparkline")}));
}

TEST(RunnerStoreAdapterInstall, ASingleSpriteRegistersTheManifestId)
{
    ScopedDefaults defaults;
    VisualizerRegistry registry;
    RunnerStoreAdapter adapter({Type::runnerSprite}, &registry);
    Folder folder(QStringLiteral("cat"), 3);
    BundleManifest m = runnerPack(QStringLiteral("kitty"));
    m.sprite = sprite(QStringLiteral("cat"), 3, QStringLiteral("ignored"), QStringLiteral("Ignored"));
    EXPECT_EQ(adapter.install(m, folder.path()), QStringLiteral("kitty"));
    auto v = registry.visualizer(u"viz.runner.kitty");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->displayName(), QStringLiteral("KITTY"));
    EXPECT_FALSE(registry.visualizer(u"viz.runner.ignored"));
    adapter.uninstall(m);
    EXPECT_FALSE(registry.visualizer(u"viz.runner.kitty"));
}

TEST(RunnerStoreAdapterInstall, InstallingTwiceReplacesInPlace)
{
    ScopedDefaults defaults;
    VisualizerRegistry registry;
    RunnerStoreAdapter adapter({Type::runnerSprite}, &registry);
    Folder folder(QStringLiteral("a"), 2);
    BundleManifest m = runnerPack(QStringLiteral("duo"));
    m.sprites = QList<Payload>{sprite(QStringLiteral("a"), 2, QStringLiteral("a"), QStringLiteral("A")),
                               sprite(QStringLiteral("a"), 2, QStringLiteral("c"), QStringLiteral("C"))};
    adapter.install(m, folder.path());
    BundleManifest later = runnerPack(QStringLiteral("later"));
    later.sprite = sprite(QStringLiteral("a"), 2);
    adapter.install(later, folder.path());
    const VisualizerPtr firstA = registry.visualizer(u"viz.runner.a");
    adapter.install(m, folder.path());
    EXPECT_EQ(ids(registry), (QStringList{QStringLiteral("viz.pie"), QStringLiteral("viz.numberLabel"),
                                          QStringLiteral("viz.sparkline"), QStringLiteral("viz.runner.a"),
                                          QStringLiteral("viz.runner.c"), QStringLiteral("viz.runner.later")}));
    EXPECT_NE(registry.visualizer(u"viz.runner.a"), firstA); // a new visualizer at the old place
}

TEST(RunnerStoreAdapterInstall, AGoneRegistryTakesNothing)
{
    ScopedDefaults defaults;
    auto registry = std::make_unique<VisualizerRegistry>();
    RunnerStoreAdapter adapter({Type::runnerSprite}, registry.get());
    registry.reset();
    Folder folder(QStringLiteral("a"), 1);
    BundleManifest m = runnerPack(QStringLiteral("a"));
    m.sprite = sprite(QStringLiteral("a"), 1);
    EXPECT_EQ(adapter.install(m, folder.path()), std::nullopt);
    adapter.uninstall(m);
}

TEST(RunnerStoreAdapterOtherTypes, ASoundPackIsLeftAlone)
{
    ScopedDefaults defaults;
    VisualizerRegistry registry;
    RunnerStoreAdapter adapter({Type::runnerSprite}, &registry);
    EXPECT_EQ(adapter.supportedTypes(), QSet<Type>{Type::runnerSprite});
    Folder folder(QStringLiteral("fox"), 2);
    BundleManifest m = runnerPack(QStringLiteral("fox"));
    m.sprite = sprite(QStringLiteral("fox"), 2);
    adapter.install(m, folder.path());
    const QStringList before = ids(registry);

    BundleManifest sound = m;
    sound.type = Type::soundPack;
    EXPECT_EQ(adapter.install(sound, folder.path()), std::nullopt);
    adapter.uninstall(sound);
    EXPECT_EQ(ids(registry), before);
    const QHash<QString, QByteArray> files{{QStringLiteral("assets/fox_0.png"), png({4, 4}, Qt::red)}};
    EXPECT_FALSE(adapter.preview(sound, files));
}

TEST(RunnerStoreAdapterSafety, APrefixLeadingOutOfTheBundleRegistersNoKind)
{
    // A pack signed with a test key whose frame prefix climbs out of its
    // folder towards a file that exists there.
    const NaclKeyPair& pair = NaclKeyPair::shared();
    ScopedStoreKey key(pair);
    ScopedDefaults defaults;
    QTemporaryDir root;
    writeFile(root.filePath(QStringLiteral("outside_0.png")), png({8, 8}, Qt::red));
    const Members assets{{QStringLiteral("assets/sly_0.png"), png({8, 8}, Qt::blue)}};
    QJsonObject manifest = manifestObject(QStringLiteral("sly"), assets);
    manifest[QStringLiteral("type")] = QStringLiteral("runner_sprite");
    manifest[QStringLiteral("sprite")] = QJsonObject{{QStringLiteral("frameCount"), 1},
                                                     {QStringLiteral("defaultSize"), 22},
                                                     {QStringLiteral("framePrefix"), QStringLiteral("../../../../outside")}};
    InstalledBundleRegistry bundles(root.filePath(QStringLiteral("Gaugelet/Bundles")));
    BundleInstaller installer(&bundles);
    auto installed = installer.installNow(signedBundle(pair, manifestBytes(manifest), assets));
    ASSERT_TRUE(installed) << installed.error().describe().toStdString();
    ASSERT_TRUE(QFile::exists(*bundles.folderFor(QStringLiteral("sly")) + QStringLiteral("/assets/../../../../outside_0.png")));

    VisualizerRegistry registry;
    RunnerStoreAdapter adapter({Type::runnerSprite}, &registry);
    EXPECT_EQ(adapter.install(*installed, *bundles.folderFor(QStringLiteral("sly"))), std::nullopt);
    EXPECT_FALSE(registry.visualizer(u"viz.runner.sly"));
}

TEST(RunnerStoreAdapterSafety, ThePrefixRuleIsTheArchiveMemberRule)
{
    for (const QString& prefix :
         {QStringLiteral("fox"), QStringLiteral("sub/fox"), QStringLiteral("../fox"), QStringLiteral("/fox"),
          QStringLiteral("a//b"), QStringLiteral("./a"), QStringLiteral("a/./b"), QStringLiteral("a/../b"),
          QStringLiteral(".."), QStringLiteral("a/"), QString(), QString::fromUtf16(u"a\0b", 3), QStringLiteral("x/..y")}) {
        const bool member = bool(ZipReader::validatePath(RunnerKind::framePath(prefix, 0)))
                            && bool(ZipReader::validatePath(RunnerKind::framePath(prefix, 17)));
        EXPECT_EQ(RunnerKind::isSafeAssetPrefix(prefix), member) << prefix.toStdString();
    }
}

TEST(RunnerStoreAdapterPreview, AMissingFrameIsSkipped)
{
    RunnerStoreAdapter adapter({Type::runnerSprite}, nullptr);
    BundleManifest m = runnerPack(QStringLiteral("p"));
    m.sprite = sprite(QStringLiteral("p"), 3);
    const QHash<QString, QByteArray> files{{QStringLiteral("assets/p_2.png"), png({5, 5}, Qt::blue)},
                                           {QStringLiteral("assets/p_0.png"), png({5, 5}, Qt::red)},
                                           {QStringLiteral("assets/p_3.png"), png({5, 5}, Qt::green)},
                                           {QStringLiteral("assets/p_01.png"), png({5, 5}, Qt::green)},
                                           {QStringLiteral("manifest.json"), "{}"}};
    const QList<QImage> frames = RunnerStoreAdapter::previewFrames(*m.sprite, files);
    ASSERT_EQ(frames.size(), 2);
    EXPECT_EQ(frames[0].pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(frames[1].pixelColor(0, 0), QColor(Qt::blue));
    auto preview = adapter.preview(m, files);
    ASSERT_TRUE(preview);
    std::unique_ptr<QWidget> widget(StorePreviewViews::makeWidget(*preview));
    EXPECT_EQ(qobject_cast<RunnerPreviewView*>(widget.get())->pendingFrames().size(), 2);
}

TEST(RunnerStoreAdapterPreview, UndecodableOrNoFramesGiveNoPreview)
{
    RunnerStoreAdapter adapter({Type::runnerSprite}, nullptr);
    BundleManifest m = runnerPack(QStringLiteral("p"));
    m.sprite = sprite(QStringLiteral("p"), 2);
    EXPECT_FALSE(adapter.preview(m, {}));
    EXPECT_FALSE(adapter.preview(m, {{QStringLiteral("assets/p_0.png"), "garbage"}}));
}

TEST(RunnerStoreAdapterPreview, OnlyTheSingleSpriteIsPreviewed)
{
    RunnerStoreAdapter adapter({Type::runnerSprite}, nullptr);
    BundleManifest m = runnerPack(QStringLiteral("p"));
    m.sprites = QList<Payload>{sprite(QStringLiteral("p"), 1, QStringLiteral("p"), QStringLiteral("P"))};
    EXPECT_FALSE(adapter.preview(m, {{QStringLiteral("assets/p_0.png"), png({4, 4}, Qt::red)}}));
}

TEST(RunnerStoreAdapterPreview, AHugeFrameCountWalksTheArchiveInstead)
{
    RunnerStoreAdapter adapter({Type::runnerSprite}, nullptr);
    BundleManifest m = runnerPack(QStringLiteral("p"));
    m.sprite = sprite(QStringLiteral("p"), std::numeric_limits<qint64>::max());
    QHash<QString, QByteArray> files;
    for (int i : {0, 1, 9})
        files.insert(RunnerKind::framePath(QStringLiteral("p"), i), png({4, 4}, QColor(20 * i, 0, 0)));
    QElapsedTimer timer;
    timer.start();
    auto preview = adapter.preview(m, files);
    EXPECT_LT(timer.elapsed(), 1000);
    ASSERT_TRUE(preview);
    const QList<QImage> frames = RunnerStoreAdapter::previewFrames(*m.sprite, files);
    ASSERT_EQ(frames.size(), 3);
    EXPECT_EQ(frames[2].pixelColor(0, 0).red(), 180);
}

TEST(RunnerStoreAdapterPreview, ANegativeFrameCountYieldsNoFrames)
{
    RunnerStoreAdapter adapter({Type::runnerSprite}, nullptr);
    BundleManifest m = runnerPack(QStringLiteral("p"));
    m.sprite = sprite(QStringLiteral("p"), -2);
    EXPECT_FALSE(adapter.preview(m, {{QStringLiteral("assets/p_0.png"), png({4, 4}, Qt::red)}}));
}

// The shipped packs pinned in a status item and composed at idle and at full
// load, written under the build folder for a person to look at.
TEST(RunnerStoreAdapterShipped, WritesAComposedRowAtIdleAndFullLoad)
{
    using namespace gaugelet::test::statusrow;
    ScreenFacts facts;
    facts.frame = QRectF(0, 0, 1920, 1080);
    facts.visibleFrame = facts.frame;
    facts.backingScaleFactor = 2.0;
    ScreenInfo::instance()->setMainScreenForTesting(facts);
    ScopedDefaults defaults;
    defaults->set(SettingsSchema::runnerTintEnabled, true);
    ManualMediaClock media(1000);
    InstalledShippedPacks packs;
    packs.visualizers.add(std::make_shared<NumberLabelVisualizer>());

    const QString cpu = QStringLiteral("cpu.total"), gpu = QStringLiteral("gpu.total"),
                  mem = QStringLiteral("memory.total"), net = QStringLiteral("net.total");
    QHash<QString, std::shared_ptr<SettableProvider>> providers;
    StatRegistry::Providers list;
    for (auto [id, name] : {std::pair{cpu, "CPU"}, std::pair{gpu, "GPU"}, std::pair{mem, "MEM"}, std::pair{net, "NET"}}) {
        auto p = std::make_shared<SettableProvider>(id, QString::fromLatin1(name));
        providers.insert(id, p);
        list.push_back(p);
    }
    StatRegistry registry(list);
    PinManager pins(QList<Pin>{}, PinManager::groupOf(&packs.visualizers));
    const QList<Pin> row{{cpu, QStringLiteral("viz.runner.fox")}, {mem, QStringLiteral("viz.runner.piglet")},
                         {gpu, QStringLiteral("viz.runner.hare")}, {net, QStringLiteral("viz.numberLabel")}};
    for (const Pin& p : row) {
        for (auto ns : {TagSpec::Namespace::tag, TagSpec::Namespace::value}) {
            TagSpec spec;
            spec.shown = true;
            spec.showBg = ns == TagSpec::Namespace::value;
            spec.yOffset = ns == TagSpec::Namespace::tag ? -7 : 7;
            TagSpec::save(spec, p.id(), ns, true);
        }
    }
    pins.setPins(row);
    RenderClock clock;
    ProviderEnablementStore enablement;
    const QString outDir = QStringLiteral(GAUGELET_BINARY_DIR "/menubar-rows");
    QDir().mkpath(outDir);
    QHash<QString, QImage> rows;
    for (auto [bar, backdrop] : {std::pair{"light", QColor(236, 236, 236)}, std::pair{"dark", QColor(40, 40, 44)}}) {
        Appearance::instance()->setOverrideForTesting(QByteArray(bar) == "dark");
        StatusItem item(StatusItem::Presentation::none);
        MenubarController controller(&item, &registry, &packs.visualizers, &pins, &clock, &enablement);
        controller.start();
        for (auto [name, load] : {std::pair{"idle", 0.0}, std::pair{"full", 1.0}}) {
            for (const auto& p : providers)
                p->value = load;
            ASSERT_TRUE(publish(registry, media));
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
            item.compositor()->flush();
            auto fox = controller.runnerBridge().layers.value(row[0].id());
            ASSERT_TRUE(fox) << name;
            EXPECT_NEAR(fox->speed(), load == 0 ? 1 / 1.5 : 10.0, 0.02) << name;
            QImage image = item.compositor()->render(item.size(), 2.0, media.now() + 0.05);
            ASSERT_FALSE(image.isNull());
            EXPECT_EQ(image.height(), 44);
            rows.insert(QString::fromLatin1(name) + u'-' + QString::fromLatin1(bar), image);
            QImage sheet(image.width() + 8, image.height() + 8, QImage::Format_ARGB32_Premultiplied);
            sheet.fill(backdrop);
            QPainter painter(&sheet);
            painter.drawImage(4, 4, image);
            painter.end();
            const QString base = outDir + QStringLiteral("/row-runners-%1-%2").arg(QString::fromLatin1(name), QString::fromLatin1(bar));
            EXPECT_TRUE(sheet.save(base + QStringLiteral("@2x.png")));
            sheet.scaled(sheet.size() * 4, Qt::IgnoreAspectRatio, Qt::FastTransformation).save(base + QStringLiteral("-zoom.png"));
        }
    }
    Appearance::instance()->setOverrideForTesting(std::nullopt);
    // At full load the tint is on: the fox's slot is redder than at idle.
    auto redness = [](const QImage& image, int x0, int x1) {
        double red = 0, green = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = x0; x < x1; ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.alpha() > 200) {
                    red += c.redF();
                    green += c.greenF();
                }
            }
        return red - green;
    };
    for (const char* bar : {"light", "dark"}) {
        const QString b = QString::fromLatin1(bar);
        EXPECT_GT(redness(rows.value(QStringLiteral("full-") + b), 0, 44), redness(rows.value(QStringLiteral("idle-") + b), 0, 44))
            << bar;
    }
    ScreenInfo::instance()->resetOverrideForTesting();
}

TEST(RunnerStoreAdapterKinds, OnlyARunnerSpriteBundleYieldsKinds)
{
    BundleManifest m;
    m.schema = 1;
    m.id = QStringLiteral("pack");
    m.displayName = QStringLiteral("Pack");
    m.author = QStringLiteral("Someone");
    m.sprite = BundleManifest::SpritePayload{6, 22, QStringLiteral("fox"), std::nullopt, std::nullopt};
    m.type = BundleManifest::BundleType::soundPack;
    EXPECT_TRUE(RunnerStoreAdapter::kinds(m, QStringLiteral("/bundles/pack")).isEmpty());
    m.type = BundleManifest::BundleType::runnerSprite;
    const QList<RunnerKind> kinds = RunnerStoreAdapter::kinds(m, QStringLiteral("/bundles/pack"));
    ASSERT_EQ(kinds.size(), 1);
    EXPECT_EQ(kinds[0].id, QStringLiteral("pack"));
    EXPECT_EQ(kinds[0].displayName, QStringLiteral("Pack"));
    EXPECT_EQ(kinds[0].assetPrefix, QStringLiteral("fox"));
}
