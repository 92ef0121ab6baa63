#include "platform/net/Ed25519PublicKey.h"

#include <gtest/gtest.h>

using namespace gaugelet;

namespace {
// RFC 8032, section 7.1, test 2 (one-byte message 0x72).
const QByteArray publicHex = "3d4017c3e843895a92b70aa74d1b7ebc9c982ccf2ec4968cc0cd55f12af4660c";
const QByteArray message = QByteArray::fromHex("72");
const QByteArray signature = QByteArray::fromHex(
    "92a009a9f0d4cab8720e820b5f642540a2b27b5416503f8fb3762223ebdb69da"
    "085ac1e43e15996e458f3613d0f11d8c387b2eaeb4302aeeb00d291612bb0c00");
} // namespace

TEST(Ed25519PublicKey, VerifiesTheRfc8032Vector)
{
    const auto key = Ed25519PublicKey::fromHex(publicHex);
    ASSERT_TRUE(key);
    EXPECT_TRUE(key->isValidSignature(signature, message));
    EXPECT_EQ(Ed25519PublicKey::fromHex(publicHex.toUpper()), key);
}

TEST(Ed25519PublicKey, RejectsAlteredMessagesAndSignatures)
{
    const auto key = Ed25519PublicKey::fromHex(publicHex);
    ASSERT_TRUE(key);
    EXPECT_FALSE(key->isValidSignature(signature, QByteArray::fromHex("73")));
    QByteArray flipped = signature;
    flipped[10] = char(flipped[10] ^ 0x40);
    EXPECT_FALSE(key->isValidSignature(flipped, message));
    EXPECT_FALSE(key->isValidSignature(signature.left(63), message));
    EXPECT_FALSE(key->isValidSignature(signature + '\0', message));
}

TEST(Ed25519PublicKey, MalformedKeysAreRefused)
{
    EXPECT_FALSE(Ed25519PublicKey::fromRaw(QByteArray(31, 'a')));
    EXPECT_FALSE(Ed25519PublicKey::fromRaw(QByteArray(33, 'a')));
    EXPECT_FALSE(Ed25519PublicKey::fromRaw(QByteArray(32, '\0'))); // a small-order point
    EXPECT_FALSE(Ed25519PublicKey::fromHex(publicHex.left(62) + "zz"));
    EXPECT_FALSE(Ed25519PublicKey::fromHex(publicHex.left(63)));
}
