#include "stats/ThemeStore.h"
#include "schema/SettingsSchema.h"
#include "stats/Color.h"
#include "stats/Palette.h"
#include "stats/Theme.h"

#include "TestSupport.h"
#include "platform/style/Appearance.h"

#include <QSignalSpy>
#include <gtest/gtest.h>
#include <limits>

using namespace gaugelet;

TEST(Color, HexParsingAcceptsSixOrEightDigitsWithOptionalHash)
{
    auto a = Color::fromHex(u"#FAFAFA");
    auto b = Color::fromHex(u"FAFAFA");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(*a, *b);
    EXPECT_EQ(a->alphaF(), 1.0);
    EXPECT_EQ(Color::hexString(*a), "#FAFAFAFF");
    auto half = Color::fromHex(u"#fafafa80");
    ASSERT_TRUE(half);
    EXPECT_NEAR(half->alphaF(), 128.0 / 255.0, 1e-4);
    EXPECT_EQ(Color::hexString(*half), "#FAFAFA80");
    for (auto bad : {u"#FFF", u"#FAFAFAF", u"#GGGGGG", u" FAFAFA", u"##FAFAFA", u"+FAFAF", u""})
        EXPECT_FALSE(Color::fromHex(bad)) << QString::fromUtf16(bad).toStdString();
}

TEST(Color, HexStringIsAlwaysEightDigits)
{
    EXPECT_EQ(Color::hexString(QColor()), "#00000000");
    // Extended-range components are clamped, never formatted as three digits or negative.
    const QColor wide = QColor::fromRgbF(1.5f, -0.25f, 0.5f, 1.0f);
    const QString hex = Color::hexString(wide);
    EXPECT_EQ(hex.size(), 9);
    EXPECT_TRUE(hex.startsWith("#FF00")) << hex.toStdString();
    const QColor nanColor = QColor::fromRgbF(std::numeric_limits<float>::quiet_NaN(), 0, 0, 1);
    EXPECT_EQ(Color::hexString(nanColor).size(), 9);
}

TEST(Palette, SevenBuiltInsParseAndLookUpById)
{
    const auto& all = Palette::builtIns();
    ASSERT_EQ(all.size(), 7);
    EXPECT_EQ(all.first().id, "gum.dark");
    for (const Palette& p : all) {
        for (const QColor& c : {p.bg, p.fg, p.dim, p.accent1, p.accent8})
            EXPECT_TRUE(c.isValid()) << p.id.toStdString();
    }
    EXPECT_EQ(Color::hexString(Palette::byId(u"ayu.mirage")->accent3), "#D4FE7FFF");
    EXPECT_FALSE(Palette::byId(u"solarized"));
    EXPECT_TRUE(Palette::unlistedIds().contains("ayu.light"));
    EXPECT_FALSE(Palette::unlistedIds().contains("gum.dark"));
}

TEST(ThemeStore, ConstructionFallsBackFromStoredToDefaultToFirst)
{
    test::ScopedDefaults defaults;
    EXPECT_EQ(ThemeStore("one.dark").palette().id, "one.dark");
    defaults->set(SettingsSchema::themeId, QString("ayu.mirage"));
    EXPECT_EQ(ThemeStore("one.dark").palette().id, "ayu.mirage");
    defaults->set(SettingsSchema::themeId, QString("no.such"));
    EXPECT_EQ(ThemeStore("gum.dark").palette().name, "Gum Dark");
    EXPECT_EQ(ThemeStore("no.such.either").palette().id, "gum.dark");
    EXPECT_EQ(defaults->string(SettingsSchema::themeId), QString("no.such")); // construction writes nothing
}

TEST(ThemeStore, SelectNotifiesOnRealChangesAndAlwaysWritesKnownIds)
{
    test::ScopedDefaults defaults;
    ThemeStore store("gum.dark");
    QSignalSpy spy(&store, &ThemeStore::paletteChanged);
    store.select("nope");
    EXPECT_EQ(store.palette().id, "gum.dark");
    EXPECT_FALSE(defaults->string(SettingsSchema::themeId));
    store.select("gum.dark");
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(defaults->string(SettingsSchema::themeId), QString("gum.dark"));
    store.select("one.light");
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(defaults->string(SettingsSchema::themeId), QString("one.light"));
}

TEST(Theme, RawValuesAndCurrentAppearance)
{
    EXPECT_EQ(themeFromRaw(u"dark"), Theme::dark);
    EXPECT_EQ(themeFromRaw(u"light"), Theme::light);
    EXPECT_FALSE(themeFromRaw(u"Dark"));
    EXPECT_EQ(rawValue(Theme::dark), "dark");
    Appearance::instance()->setOverrideForTesting(true);
    EXPECT_EQ(currentTheme(), Theme::dark);
    Appearance::instance()->setOverrideForTesting(false);
    EXPECT_EQ(currentTheme(), Theme::light);
    Appearance::instance()->setOverrideForTesting(std::nullopt);
}
