#include "store/BundleVerifier.h"
#include "store/SigningKeys.h"

#include "TestSupport.h"
#include "platform/core/Resources.h"
#include "platform/desktop/AudioPlayer.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace gaugelet;

// The runner packs that ship with the program verify with the compiled-in
// store key (not a test key) and describe one 8-frame sprite kind each.
TEST(ShippedBundles, RunnerPacksVerifyWithTheBuiltInStoreKey)
{
    const QDir dir(Resources::path(QStringLiteral("StoreAssets")));
    for (const QString& id : {QStringLiteral("fox"), QStringLiteral("hare"), QStringLiteral("piglet")}) {
        const QByteArray bytes = test::readFile(dir.filePath(id + QStringLiteral(".gaugebundle")));
        ASSERT_FALSE(bytes.isEmpty()) << id.toStdString();
        auto verified = BundleVerifier::verify(bytes, StoreSigningKey::builtIn());
        ASSERT_TRUE(verified) << id.toStdString() << ": " << verified.error().describe().toStdString();
        const BundleManifest& m = verified->manifest;
        EXPECT_EQ(m.id, id);
        EXPECT_EQ(m.type, BundleManifest::BundleType::runnerSprite);
        EXPECT_EQ(m.priceCents, 0);
        ASSERT_TRUE(m.sprite.has_value());
        EXPECT_EQ(m.sprite->frameCount, 8);
        EXPECT_EQ(m.sprite->framePrefix, id);
        EXPECT_EQ(m.assets.size(), 8);
    }
}

// The sound-effects pack verifies with the built-in key and every sound in it
// decodes, so installing it gives three playable alarm sounds.
TEST(ShippedBundles, SoundEffectsPackVerifiesAndEverySoundDecodes)
{
    const QByteArray bytes =
        test::readFile(Resources::path(QStringLiteral("StoreAssets")) + QStringLiteral("/effects.gaugebundle"));
    auto verified = BundleVerifier::verify(bytes, StoreSigningKey::builtIn());
    ASSERT_TRUE(verified) << verified.error().describe().toStdString();
    const BundleManifest& m = verified->manifest;
    EXPECT_EQ(m.id, QStringLiteral("effects"));
    EXPECT_EQ(m.type, BundleManifest::BundleType::soundPack);
    EXPECT_EQ(m.priceCents, 0);
    ASSERT_TRUE(m.sound.has_value());
    ASSERT_EQ(m.sound->entries.size(), 3);
    QTemporaryDir dir;
    for (const auto& entry : m.sound->entries) {
        ASSERT_TRUE(verified->files.contains(entry.assetFile)) << entry.assetFile.toStdString();
        const QString path = dir.filePath(entry.id + QStringLiteral(".mp3"));
        test::writeFile(path, verified->files.value(entry.assetFile));
        auto player = AudioPlayer::create(path);
        ASSERT_TRUE(player) << player.error().describe().toStdString();
        EXPECT_GT((*player)->duration(), 0.2);
        EXPECT_LT((*player)->duration(), 1.0);
    }
}
