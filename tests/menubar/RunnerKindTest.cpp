#include "menubar/RunnerKind.h"

#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

using Payload = RunnerSprites::Sprite;

RunnerSprites runnerManifest(const QString& id = QStringLiteral("pack"))
{
    RunnerSprites m;
    m.bundleId = id;
    m.bundleName = QStringLiteral("Pack");
    return m;
}

Payload payload(const QString& prefix, qint64 frames = 6, double size = 22, std::optional<QString> id = std::nullopt,
                std::optional<QString> name = std::nullopt)
{
    return Payload{frames, size, prefix, std::move(id), std::move(name)};
}

const QString folder = QStringLiteral("/bundles/pack");

} // namespace

TEST(RunnerKindKinds, ASingleSpriteCarriesTheManifestsIdAndName)
{
    RunnerSprites m = runnerManifest(QStringLiteral("fox"));
    m.bundleName = QStringLiteral("Fox");
    m.sprite = payload(QStringLiteral("fox_run"), 8, 24, QStringLiteral("ignored"), QStringLiteral("Ignored"));
    const QList<RunnerKind> kinds = RunnerKind::kinds(m, folder);
    ASSERT_EQ(kinds.size(), 1);
    EXPECT_EQ(kinds[0].id, QStringLiteral("fox"));
    EXPECT_EQ(kinds[0].displayName, QStringLiteral("Fox"));
    EXPECT_EQ(kinds[0].frameCount, 8);
    EXPECT_EQ(kinds[0].defaultSize, 24);
    EXPECT_EQ(kinds[0].assetPrefix, QStringLiteral("fox_run"));
    EXPECT_EQ(kinds[0].assetSource, RunnerKind::Source::directory(folder));
    EXPECT_EQ(kinds[0].fallbackSymbols, (QStringList{QStringLiteral("figure.walk"), QStringLiteral("figure.run")}));
}

TEST(RunnerKindKinds, SpritesEntriesNeedAnIdAndANameAndTakePrecedence)
{
    RunnerSprites m = runnerManifest();
    m.sprite = payload(QStringLiteral("single"));
    m.sprites = QList<Payload>{
        payload(QStringLiteral("a"), 4, 20, QStringLiteral("a"), QStringLiteral("A")),
        payload(QStringLiteral("b"), 4, 20, std::nullopt, QStringLiteral("B")),
        payload(QStringLiteral("c"), 4, 20, QStringLiteral("c"), std::nullopt),
        payload(QStringLiteral("d"), 5, 30, QStringLiteral("d"), QStringLiteral("D")),
    };
    const QList<RunnerKind> kinds = RunnerKind::kinds(m, folder);
    ASSERT_EQ(kinds.size(), 2);
    EXPECT_EQ(kinds[0].id, QStringLiteral("a"));
    EXPECT_EQ(kinds[0].displayName, QStringLiteral("A"));
    EXPECT_EQ(kinds[1].id, QStringLiteral("d"));
    EXPECT_EQ(kinds[1].frameCount, 5);
    EXPECT_EQ(kinds[1].defaultSize, 30);
}

TEST(RunnerKindKinds, AnEmptySpritesListWinsOverTheSingleSprite)
{
    RunnerSprites m = runnerManifest();
    m.sprite = payload(QStringLiteral("single"));
    m.sprites = QList<Payload>{};
    EXPECT_TRUE(RunnerKind::kinds(m, folder).isEmpty());
}

TEST(RunnerKindKinds, ANegativeFrameCountCountsAsNoFrames)
{
    RunnerSprites m = runnerManifest();
    m.sprite = payload(QStringLiteral("fox"), -3);
    const QList<RunnerKind> kinds = RunnerKind::kinds(m, folder);
    ASSERT_EQ(kinds.size(), 1);
    EXPECT_EQ(kinds[0].frameCount, 0);
}

TEST(RunnerKindKinds, APrefixWhoseFramePathsLeaveTheAssetsFolderRegistersNoKind)
{
    for (const QString& bad : {QStringLiteral("../fox"), QStringLiteral("../../../etc/x"), QStringLiteral("/abs"),
                               QStringLiteral("a//b"), QStringLiteral("./fox"), QStringLiteral("a/../b"),
                               QStringLiteral("a/./b"), QString::fromUtf16(u"nul\0/x", 5)}) {
        RunnerSprites single = runnerManifest();
        single.sprite = payload(bad);
        EXPECT_TRUE(RunnerKind::kinds(single, folder).isEmpty()) << bad.toStdString();

        RunnerSprites several = runnerManifest();
        several.sprites = QList<Payload>{payload(bad, 4, 20, QStringLiteral("x"), QStringLiteral("X")),
                                         payload(QStringLiteral("ok"), 4, 20, QStringLiteral("ok"), QStringLiteral("OK"))};
        const QList<RunnerKind> kinds = RunnerKind::kinds(several, folder);
        ASSERT_EQ(kinds.size(), 1) << bad.toStdString();
        EXPECT_EQ(kinds[0].id, QStringLiteral("ok"));
    }
}

TEST(RunnerKindKinds, PrefixesThatStayInsideTheBundleAreKept)
{
    // ".." as the end of a file name, not a path piece; a sub-folder; empty.
    for (const QString& good : {QStringLiteral("fox"), QStringLiteral("sub/fox"), QStringLiteral("fox.."),
                                QStringLiteral("a/"), QString(), QStringLiteral("..."), QStringLiteral("..")}) {
        EXPECT_TRUE(RunnerKind::isSafeAssetPrefix(good)) << good.toStdString();
    }
}

TEST(RunnerKindFrameNames, FramePathsAreDecimalWithoutLeadingZeros)
{
    EXPECT_EQ(RunnerKind::framePath(QStringLiteral("fox"), 0), QStringLiteral("assets/fox_0.png"));
    EXPECT_EQ(RunnerKind::framePath(QStringLiteral("fox"), 12), QStringLiteral("assets/fox_12.png"));
    EXPECT_EQ(RunnerKind::frameAssetName(QStringLiteral("fox"), 3), QStringLiteral("fox_3"));
}

TEST(RunnerKindFrameNames, OnlyPathsFramePathWouldFormGiveAFrameNumber)
{
    const QString fox = QStringLiteral("fox");
    EXPECT_EQ(RunnerKind::frameIndex(u"assets/fox_0.png", fox, 8), 0);
    EXPECT_EQ(RunnerKind::frameIndex(u"assets/fox_7.png", fox, 8), 7);
    EXPECT_EQ(RunnerKind::frameIndex(u"assets/fox_8.png", fox, 8), std::nullopt);
    EXPECT_EQ(RunnerKind::frameIndex(u"assets/fox_07.png", fox, 8), std::nullopt);
    EXPECT_EQ(RunnerKind::frameIndex(u"assets/fox_-1.png", fox, 8), std::nullopt);
    EXPECT_EQ(RunnerKind::frameIndex(u"assets/fox_+1.png", fox, 8), std::nullopt);
    EXPECT_EQ(RunnerKind::frameIndex(u"assets/fox_.png", fox, 8), std::nullopt);
    EXPECT_EQ(RunnerKind::frameIndex(u"assets/fox_1.PNG", fox, 8), std::nullopt);
    EXPECT_EQ(RunnerKind::frameIndex(u"assets/foxy_1.png", fox, 8), std::nullopt);
    EXPECT_EQ(RunnerKind::frameIndex(u"fox_1.png", fox, 8), std::nullopt);
    EXPECT_EQ(RunnerKind::frameIndex(u"assets/fox_1.png", fox, 0), std::nullopt);
    EXPECT_EQ(RunnerKind::frameIndex(u"assets/fox_1.png", fox, -5), std::nullopt);
    // A number too long for the counter is no frame, not an overflow.
    EXPECT_EQ(RunnerKind::frameIndex(u"assets/fox_99999999999999999999.png", fox, std::numeric_limits<qint64>::max()),
              std::nullopt);
    EXPECT_EQ(RunnerKind::frameIndex(u"assets/fox_123456789012.png", fox, std::numeric_limits<qint64>::max()),
              123456789012);
    // A prefix that itself ends in "_1" cannot be mistaken for a frame number.
    EXPECT_EQ(RunnerKind::frameIndex(u"assets/fox_1_2.png", QStringLiteral("fox_1"), 8), 2);
}

