#include "store/SoundStoreAdapter.h"

#include "TestSupport.h"
#include "alarms/SoundRegistry.h"
#include "platform/core/NotificationCenter.h"
#include "store/PreviewBox.h"
#include "store/views/SoundPackPreview.h"
#include "store/views/StorePreviewViews.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using namespace gaugelet;
using Type = BundleManifest::BundleType;

namespace {

BundleManifest soundPack(const QString& id, const QList<BundleManifest::SoundPayload::Entry>& entries)
{
    BundleManifest m;
    m.schema = 1;
    m.id = id;
    m.version = 1;
    m.type = Type::soundPack;
    m.displayName = id;
    m.sound = BundleManifest::SoundPayload{entries};
    return m;
}

BundleManifest::SoundPayload::Entry entry(const QString& id, const QString& file)
{
    return {id, id.toUpper(), file};
}

struct NoticeCounter {
    int count = 0;
    QObject context;
    NoticeCounter()
    {
        NotificationCenter::defaultCenter().observe(SoundRegistry::didChangeNotification, &context,
                                                    [this](const auto&...) { ++count; });
    }
};

class SoundStoreAdapterTest : public ::testing::Test {
protected:
    void SetUp() override { SoundRegistry::installed().clear(); }
    void TearDown() override { SoundRegistry::installed().clear(); }
    SoundStoreAdapter adapter{{Type::soundPack}};
};

} // namespace

TEST_F(SoundStoreAdapterTest, InstallRegistersPresentSoundsAndSendsOneNoticeEach)
{
    QTemporaryDir dir;
    test::writeFile(dir.filePath("assets/a.mp3"), "a");
    test::writeFile(dir.filePath("assets/c.mp3"), "c");
    NoticeCounter notices;
    const auto m = soundPack("pack", {entry("a", "assets/a.mp3"), entry("b", "assets/b.mp3"), entry("c", "assets/c.mp3")});
    EXPECT_EQ(adapter.install(m, dir.path()), QStringLiteral("pack"));
    EXPECT_EQ(notices.count, 2);
    ASSERT_EQ(SoundRegistry::installed().size(), 2);
    const auto a = SoundRegistry::installed().value("a");
    EXPECT_EQ(a.displayName, QStringLiteral("A"));
    EXPECT_EQ(a.url, QUrl::fromLocalFile(dir.filePath("assets/a.mp3")));
    EXPECT_EQ(a.source, SoundRegistry::Sound::Source::installed("pack"));
    EXPECT_FALSE(SoundRegistry::installed().contains("b"));
}

TEST_F(SoundStoreAdapterTest, AssetNamesLeadingOutOfTheBundleAreSkippedLikeMissingFiles)
{
    QTemporaryDir root;
    const QString bundle = root.filePath("Bundles/pack");
    test::writeFile(bundle + "/assets/ok.mp3", "ok");
    test::writeFile(root.filePath("Bundles/secret.mp3"), "outside");
    test::writeFile(root.filePath("abs.mp3"), "outside");
    const auto m = soundPack("pack", {entry("up", "../secret.mp3"), entry("mid", "assets/../../secret.mp3"),
                                      entry("abs", root.filePath("abs.mp3")), entry("dot", "./assets/ok.mp3"),
                                      entry("ok", "assets/ok.mp3")});
    EXPECT_EQ(adapter.install(m, bundle), QStringLiteral("pack"));
    EXPECT_EQ(SoundRegistry::installed().keys(), QList<QString>{"ok"});
}

TEST_F(SoundStoreAdapterTest, LastInstalledPackWinsASharedIdAndUninstallRemovesOnlyItsOwn)
{
    QTemporaryDir one, two;
    test::writeFile(one.filePath("ding.mp3"), "1");
    test::writeFile(one.filePath("own.mp3"), "1");
    test::writeFile(two.filePath("ding.mp3"), "2");
    const auto first = soundPack("one", {entry("ding", "ding.mp3"), entry("own", "own.mp3")});
    const auto second = soundPack("two", {entry("ding", "ding.mp3")});
    adapter.install(first, one.path());
    adapter.install(second, two.path());
    EXPECT_EQ(SoundRegistry::installed().value("ding").source, SoundRegistry::Sound::Source::installed("two"));

    adapter.uninstall(first);
    EXPECT_FALSE(SoundRegistry::installed().contains("own"));
    EXPECT_TRUE(SoundRegistry::installed().contains("ding"));
    adapter.uninstall(second);
    EXPECT_TRUE(SoundRegistry::installed().isEmpty());
}

TEST_F(SoundStoreAdapterTest, EmptyPackStillAnswersItsIdButOtherKindsAnswerNothing)
{
    QTemporaryDir dir;
    EXPECT_EQ(adapter.install(soundPack("empty", {}), dir.path()), QStringLiteral("empty"));

    BundleManifest runner = soundPack("runner", {entry("x", "x.mp3")});
    runner.type = Type::runnerSprite;
    test::writeFile(dir.filePath("x.mp3"), "x");
    EXPECT_EQ(adapter.install(runner, dir.path()), std::nullopt);
    EXPECT_EQ(adapter.preview(runner, {{"x.mp3", "x"}}), std::nullopt);
    BundleManifest noPayload = soundPack("np", {});
    noPayload.sound.reset();
    EXPECT_EQ(adapter.install(noPayload, dir.path()), std::nullopt);

    SoundRegistry::registerInstalled({"x", "X", QUrl::fromLocalFile(dir.filePath("x.mp3")),
                                      SoundRegistry::Sound::Source::installed("runner")});
    adapter.uninstall(runner);
    EXPECT_TRUE(SoundRegistry::installed().contains("x"));
}

TEST_F(SoundStoreAdapterTest, PreviewNeedsTheFirstEntrysFileExactly)
{
    const auto m = soundPack("pack", {entry("a", "assets/a.mp3"), entry("b", "assets/b.mp3")});
    EXPECT_EQ(adapter.preview(m, {}), std::nullopt);
    EXPECT_EQ(adapter.preview(m, {{"assets/b.mp3", "b"}}), std::nullopt);
    EXPECT_EQ(adapter.preview(soundPack("none", {}), {{"assets/a.mp3", "a"}}), std::nullopt);

    auto preview = adapter.preview(m, {{"assets/a.mp3", "bytes-a"}, {"assets/b.mp3", "b"}});
    ASSERT_TRUE(preview.has_value());
    EXPECT_EQ(preview->kind(), QStringLiteral("SoundPackPreview"));
    std::unique_ptr<QWidget> widget(StorePreviewViews::makeWidget(*preview));
    auto* view = qobject_cast<SoundPackPreview*>(widget.get());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->displayName(), QStringLiteral("A"));
    EXPECT_EQ(view->audioBytes(), QByteArray("bytes-a"));
    EXPECT_EQ(view->accessibleName(), QStringLiteral("Preview A"));
    EXPECT_EQ(view->toolTip(), QStringLiteral("<qt>Preview A</qt>"));
    EXPECT_FALSE(view->box()->isPlaying());
    EXPECT_EQ(view->box()->player(), nullptr);
    EXPECT_EQ(view->symbolName(), QStringLiteral("play.fill"));
}
