#include "platform/core/RawValueTable.h"

#include <QSet>

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

namespace {

struct Forecast {
    enum class Sky { clear, overcast };
};

constexpr auto rawValueTable(Forecast::Sky)
{
    return makeRawValueTable<Forecast::Sky>({{Forecast::Sky::clear, u"clear"}, {Forecast::Sky::overcast, u"overcast"}},
                                            Forecast::Sky::clear);
}
inline constexpr auto skyFromRaw = enumFromRaw<Forecast::Sky>;

static_assert(HasRawValueTable<Forecast::Sky>);
static_assert(!HasRawValueTable<Weather>);

} // namespace

TEST(RawValueTable, AnEnumerationThatGivesItsTableGetsNamedFunctions)
{
    EXPECT_EQ(rawValue(Forecast::Sky::overcast), "overcast");
    EXPECT_EQ(skyFromRaw(u"clear"), Forecast::Sky::clear);
    EXPECT_EQ(skyFromRaw(u"Clear"), std::nullopt);
    EXPECT_EQ(rawValueCases<Forecast::Sky>(), (QList<Forecast::Sky>{Forecast::Sky::clear, Forecast::Sky::overcast}));
    EXPECT_EQ((QSet<Forecast::Sky>{Forecast::Sky::clear, Forecast::Sky::overcast, Forecast::Sky::clear}).size(), 2);
}
