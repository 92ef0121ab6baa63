#include "platform/net/Sha256.h"

#include <gtest/gtest.h>

using namespace gaugelet;

TEST(Sha256, KnownDigestsInLowerCaseHex)
{
    EXPECT_EQ(Sha256::hexDigest(""), QStringLiteral("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"));
    EXPECT_EQ(Sha256::hexDigest("abc"), QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
    EXPECT_EQ(Sha256::digest("abc").size(), 32);
    const QByteArray million(1'000'000, 'a');
    EXPECT_EQ(Sha256::hexDigest(million), QStringLiteral("cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"));
}
