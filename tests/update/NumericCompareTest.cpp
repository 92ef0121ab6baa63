#include "update/NumericCompare.h"

#include <gtest/gtest.h>

using namespace gaugelet;

TEST(NumericCompare, DigitRunsCompareByValue)
{
    EXPECT_LT(numericCompare(u"1.9", u"1.10"), 0);
    EXPECT_GT(numericCompare(u"1.10", u"1.9"), 0);
    EXPECT_EQ(numericCompare(u"1.10", u"1.10"), 0);
    EXPECT_LT(numericCompare(u"2.0", u"10.0"), 0);
    EXPECT_EQ(numericCompare(u"1.01", u"1.1"), 0);
}

TEST(NumericCompare, OtherCharactersCompareOneByOneAndShorterIsFirst)
{
    EXPECT_LT(numericCompare(u"1.0", u"1.0.1"), 0);
    EXPECT_LT(numericCompare(u"1.0", u"1.0.0"), 0);
    EXPECT_LT(numericCompare(u"1.0a", u"1.0b"), 0);
    EXPECT_LT(numericCompare(u"", u"0"), 0);
    EXPECT_EQ(numericCompare(u"", u""), 0);
    EXPECT_GT(numericCompare(u"1.0-beta", u"1.0"), 0);
}

TEST(NumericCompare, LongDigitRunsDoNotOverflow)
{
    EXPECT_LT(numericCompare(u"1.99999999999999999999999", u"1.100000000000000000000000"), 0);
    EXPECT_EQ(numericCompare(u"000000000000000000000000042", u"42"), 0);
}
