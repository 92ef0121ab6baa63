#include "store/BundleVerifier.h"
#include "store/SigningKeys.h"

#include "platform/Resources.h"
#include "TestSupport.h"

#include <QDir>
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
