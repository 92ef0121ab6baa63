#include "schema/SettingsSchema.h"

#include "support/TestSupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace gaugelet;
using S = SettingsSchema;

namespace {

QString schemaHeader()
{
    QFile file(QStringLiteral(GAUGELET_SOURCE_DIR "/src/schema/SettingsSchema.h"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The typed read of the key's own type.
QVariant typedRead(const SettingKey& key, const Defaults& defaults)
{
    switch (key.type()) {
    case SettingKey::Type::boolean:
        return S::boolean(key, defaults);
    case SettingKey::Type::integer:
        return S::integer(key, defaults);
    case SettingKey::Type::real:
        return S::real(key, defaults);
    case SettingKey::Type::string:
        return S::string(key, defaults);
    default:
        return {};
    }
}

} // namespace

// What the application delegate registers at launch: these nine keys with
// these values and types, and nothing else (the popover's and the tab's other
// keys are read with their own defaults).
TEST(SettingsSchema, LaunchRegistrationIsTheDocumentedTable)
{
    const QVariantMap expected{
        {QStringLiteral("global.fpsLimit"), qint64(15)},
        {QStringLiteral("global.runnerTintEnabled"), false},
        {QStringLiteral("global.runnerTintThreshold"), 0.8},
        {QStringLiteral("global.popupFontSize"), 13.0},
        {QStringLiteral("global.popupTwoColumn"), QStringLiteral("auto")},
        {QStringLiteral("global.spriteYOffset"), 0.0},
        {QStringLiteral("global.statBgEnabled"), false},
        {QStringLiteral("global.statBgHex"), QString()},
        {QStringLiteral("global.statShowMerged"), true},
    };
    test::ScopedDefaults defaults;
    S::registerLaunchDefaults(*defaults.get());
    const QVariantMap registered = defaults->dictionaryRepresentation();
    EXPECT_EQ(registered.keys(), expected.keys());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QVariant value = registered.value(it.key());
        EXPECT_EQ(value, it.value()) << it.key().toStdString();
        EXPECT_EQ(value.typeId(), it.value().typeId()) << it.key().toStdString();
    }
    EXPECT_TRUE(defaults->userValues().isEmpty()) << "registration writes nothing";
}

// Each key is declared once, every declared key is listed, and an empty store
// reads every key as its default through the typed read of its type.
TEST(SettingsSchema, EveryDeclaredKeyIsListedOnceAndReadsItsDefault)
{
    static const QRegularExpression declared(QStringLiteral(R"re(static constexpr SettingKey (\w+) =\s*K::\w+\("([^"]+)")re"));
    QSet<QString> names;
    for (auto m = declared.globalMatch(schemaHeader()); m.hasNext();)
        names.insert(m.next().captured(2));
    ASSERT_GE(names.size(), 30);

    QSet<QString> listed;
    test::ScopedDefaults defaults;
    for (const SettingKey* key : S::keys()) {
        EXPECT_FALSE(listed.contains(key->key())) << key->key().toStdString();
        listed.insert(key->key());
        EXPECT_EQ(S::find(key->key()), key);
        EXPECT_EQ(typedRead(*key, *defaults.get()), key->defaultValue()) << key->key().toStdString();
    }
    EXPECT_EQ(listed, names);
}

// Stored values read leniently as the key's type; anything else reads as the
// key's default.
TEST(SettingsSchema, TypedReadsAreLenient)
{
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const SettingKey& key;
        QVariant stored;
        QVariant read;
    };
    const Case cases[] = {
        {S::fpsLimit, 20, qint64(20)},
        {S::fpsLimit, 20.0, qint64(20)},
        {S::fpsLimit, QStringLiteral("20"), qint64(20)},
        {S::fpsLimit, 20.9, qint64(20)},
        {S::fpsLimit, true, qint64(1)},
        {S::fpsLimit, QStringLiteral("fast"), qint64(0)}, // text without a number is 0, as the platform reads it
        {S::fpsLimit, QByteArray("20"), qint64(15)},
        {S::popupFontSize, 11, 11.0},
        {S::popupFontSize, 11.5, 11.5},
        {S::popupFontSize, nan, 13.0},
        {S::popupFontSize, QStringLiteral("11"), 13.0},
        {S::smoothCharts, false, false},
        {S::smoothCharts, 0, false},
        {S::smoothCharts, 0.0, false},
        {S::statBgEnabled, 2.5, true},
        {S::smoothCharts, QStringLiteral("no"), true},
        {S::statLabelPosition, QStringLiteral("adjacent"), QStringLiteral("adjacent")},
        {S::statLabelPosition, 3, QStringLiteral("trailing")},
    };
    for (const Case& c : cases) {
        test::ScopedDefaults defaults;
        defaults->set(c.key, c.stored);
        const QVariant read = typedRead(c.key, *defaults.get());
        EXPECT_EQ(read, c.read) << c.key.key().toStdString() << " stored " << c.stored.toString().toStdString();
    }
}

// A write stores the value as the key's type, whatever the caller passed.
TEST(SettingsSchema, WritesStoreTheKeysType)
{
    test::ScopedDefaults defaults;
    S::write(S::popupFontSize, 12, *defaults.get());
    S::write(S::fpsLimit, 20.0, *defaults.get());
    S::write(S::smoothCharts, 0, *defaults.get());
    S::write(S::statBgHex, QStringLiteral("#FF0000FF"), *defaults.get());
    EXPECT_EQ(defaults->object(S::popupFontSize), QVariant(12.0));
    EXPECT_EQ(defaults->object(S::popupFontSize).typeId(), QMetaType::Double);
    EXPECT_EQ(defaults->object(S::fpsLimit).typeId(), QMetaType::LongLong);
    EXPECT_EQ(defaults->object(S::smoothCharts), QVariant(false));
    S::write(S::statBgHex, QVariant(), *defaults.get());
    EXPECT_FALSE(defaults->hasUserValue(S::statBgHex)) << "no value removes the key";
}

// Keys built from ids: the family's key, recognition and change groups.
TEST(SettingsSchema, TemplatesBuildAndRecogniseTheirKeys)
{
    EXPECT_EQ(S::providerEnabled.key(u"cpu.total"), QStringLiteral("provider.cpu.total.enabled"));
    EXPECT_EQ(S::visualizerSize.key(u"viz.pie"), QStringLiteral("visualizer.viz.pie.size"));
    EXPECT_EQ(S::visualizerSize.id(u"visualizer.viz.pie.size"), QStringLiteral("viz.pie"));
    EXPECT_FALSE(S::visualizerSize.matches(u"visualizer..size"));
    EXPECT_FALSE(S::providerEnabled.matches(S::memoryShowCached.key()));

    EXPECT_EQ(S::groupsOf(S::tagOverride.key(u"cpu.total")), unsigned(SettingKey::popover | SettingKey::menubar));
    EXPECT_EQ(S::groupsOf(S::providerEnabled.key(u"gpu.total")), unsigned(SettingKey::popover));
    EXPECT_EQ(S::groupsOf(S::pinLabel.key(u"cpu.total::viz.pie.tag.shown")), unsigned(SettingKey::menubar));
    EXPECT_EQ(S::groupsOf(S::statBgHex.key()), unsigned(SettingKey::popover | SettingKey::menubar | SettingKey::themes));
    EXPECT_EQ(S::groupsOf(S::alarms.key()), unsigned(SettingKey::noGroup));
    EXPECT_EQ(S::groupsOf(u"unrelated"), unsigned(SettingKey::noGroup));
}
