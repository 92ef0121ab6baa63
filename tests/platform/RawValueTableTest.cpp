#include "platform/core/RawValueTable.h"

#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

enum class Weather { sunny, rainy, foggy };

// "foggy" stands in for a value outside the table, and it is not the first case.
constexpr auto weatherNames = makeRawValueTable<Weather>(
    {{Weather::sunny, u"sunny"}, {Weather::rainy, u"rainy"}, {Weather::foggy, u"fog"}}, Weather::foggy);

} // namespace

TEST(RawValueTable, MapsEveryCaseBothWaysAndNothingElse)
{
    for (Weather w : weatherNames.values())
        EXPECT_EQ(weatherNames.fromRaw(weatherNames.rawValue(w)), w);
    EXPECT_EQ(weatherNames.rawValue(Weather::foggy), "fog");

    for (const char16_t* raw : {u"", u"Sunny", u" sunny", u"sunny ", u"foggy", u"sun"})
        EXPECT_EQ(weatherNames.fromRaw(QStringView(raw)), std::nullopt) << QString::fromUtf16(raw).toStdString();
}

TEST(RawValueTable, ListsCasesInTableOrderAndFallsBackOutsideIt)
{
    EXPECT_EQ(weatherNames.values(), (QList<Weather>{Weather::sunny, Weather::rainy, Weather::foggy}));
    EXPECT_EQ(weatherNames.rawValue(static_cast<Weather>(17)), "fog");

    EXPECT_EQ(weatherNames.fromRawOr(QStringLiteral("rainy"), Weather::sunny), Weather::rainy);
    EXPECT_EQ(weatherNames.fromRawOr(QStringLiteral("Rainy"), Weather::sunny), Weather::sunny);
    EXPECT_EQ(weatherNames.fromRawOr(std::nullopt, Weather::rainy), Weather::rainy);
}
