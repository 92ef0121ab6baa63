#include "menubar/RenderHasher.h"

#include <QString>
#include <gtest/gtest.h>
#include <limits>

using namespace gaugelet;

TEST(RenderHasherIntegers, TruncateTowardsZero)
{
    EXPECT_EQ(RenderHasher::toKeyInteger(504.9), 504);
    EXPECT_EQ(RenderHasher::toKeyInteger(-2.7), -2);
    EXPECT_EQ(RenderHasher::toKeyInteger(0.0), 0);
}

TEST(RenderHasherIntegers, SaturateAndGiveNaNAFixedValue)
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(RenderHasher::toKeyInteger(inf), std::numeric_limits<qint64>::max());
    EXPECT_EQ(RenderHasher::toKeyInteger(1e300), std::numeric_limits<qint64>::max());
    EXPECT_EQ(RenderHasher::toKeyInteger(9223372036854775808.0), std::numeric_limits<qint64>::max());
    EXPECT_EQ(RenderHasher::toKeyInteger(-inf), std::numeric_limits<qint64>::min());
    EXPECT_EQ(RenderHasher::toKeyInteger(-1e300), std::numeric_limits<qint64>::min());
    EXPECT_EQ(RenderHasher::toKeyInteger(-9223372036854775808.0), std::numeric_limits<qint64>::min());
    EXPECT_EQ(RenderHasher::toKeyInteger(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(RenderHasher::toKeyInteger(-std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(RenderHasherKeys, SameInputsSameKeyAndOrderMatters)
{
    auto key = [](QStringView a, QStringView b, qint64 n) {
        return RenderHasher().combine(a).combine(b).combine(n).finalize();
    };
    EXPECT_EQ(key(u"cpu.total", u"42%", 7), key(u"cpu.total", u"42%", 7));
    EXPECT_NE(key(u"cpu.total", u"42%", 7), key(u"42%", u"cpu.total", 7));
    EXPECT_NE(key(u"ab", u"c", 0), key(u"a", u"bc", 0));
    EXPECT_NE(key(u"cpu.total", u"42%", 7), key(u"cpu.total", u"42%", 8));
    EXPECT_NE(RenderHasher().combine(true).finalize(), RenderHasher().combine(false).finalize());
    EXPECT_NE(RenderHasher().combine(u"").finalize(), RenderHasher().finalize());
}

TEST(RenderHasherKeys, EveryCharacterOfAStringCounts)
{
    // Strings of every length up to two words, each differing in one place.
    const QString base = QStringLiteral("abcdefghij");
    for (qsizetype len = 1; len <= base.size(); ++len) {
        const QString s = base.left(len);
        const qint64 key = RenderHasher().combine(s).finalize();
        for (qsizetype i = 0; i < len; ++i) {
            QString t = s;
            t[i] = QChar(u'Z');
            EXPECT_NE(RenderHasher().combine(t).finalize(), key) << len << " " << i;
        }
    }
    EXPECT_NE(RenderHasher().combine(u"\u25B2 1").finalize(), RenderHasher().combine(u"\u25BC 1").finalize());
}

TEST(RenderHasherKeys, ANullStringKeysLikeAnEmptyOne)
{
    // A snapshot's badge text or a missing setting arrives as a null QString,
    // whose view has no buffer; it must key like "" (and read no memory).
    const QString null;
    ASSERT_TRUE(null.isNull());
    ASSERT_EQ(QStringView(null).utf16(), nullptr);
    EXPECT_EQ(RenderHasher().combine(null).finalize(), RenderHasher().combine(u"").finalize());
    EXPECT_EQ(RenderHasher().combine(null).combine(qint64(3)).finalize(),
              RenderHasher().combine(QStringLiteral("")).combine(qint64(3)).finalize());
}
