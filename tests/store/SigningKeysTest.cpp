#include "store/SigningKeys.h"

#include "StoreTestSupport.h"

#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

TEST(SigningKeys, BuiltInKeysAreTheReleaseKeysAndDiffer)
{
    const auto store = StoreSigningKey::builtIn();
    const auto catalogue = CatalogueSigningKey::builtIn();
    ASSERT_TRUE(store);
    ASSERT_TRUE(catalogue);
    EXPECT_EQ(store->rawRepresentation().toHex(), QByteArray("5d8b02f8c3cbf7ef798d3abbd4ecd35db2a4a5d9292562b8160d00849ecf73c6"));
    EXPECT_EQ(catalogue->rawRepresentation().toHex(), QByteArray("1dc630d96457fefec9531e0389afd52c84714852ac903ea770ceae4b2f0c36f4"));
    EXPECT_NE(*store, *catalogue);
    EXPECT_EQ(StoreSigningKey::key(), store);
}

TEST(SigningKeys, TestSeamSwapsOnlyTheStoreKeyAndRestoresIt)
{
    {
        ScopedStoreKey scoped(NaclKeyPair::shared());
        EXPECT_EQ(StoreSigningKey::key(), NaclKeyPair::shared().publicKey());
        EXPECT_EQ(CatalogueSigningKey::key(), CatalogueSigningKey::builtIn());
    }
    EXPECT_EQ(StoreSigningKey::key(), StoreSigningKey::builtIn());
}
