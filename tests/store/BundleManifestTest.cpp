#include "store/BundleManifest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

const char* minimal = R"({
  "schema": 1, "id": "fox", "version": 3, "type": "runner_sprite",
  "displayName": "Fox", "author": "Gaugelet", "releaseDate": "2026-03-01T12:00:00Z",
  "priceCents": 0, "currency": "USD", "assets": []
})";

QJsonObject minimalObject()
{
    return QJsonDocument::fromJson(minimal).object();
}

Result<BundleManifest, BundleManifest::DecodeError> decodeWith(const QString& key, const QJsonValue& value)
{
    QJsonObject o = minimalObject();
    o.insert(key, value);
    return BundleManifest::decode(QJsonDocument(o).toJson());
}

Result<BundleManifest, BundleManifest::DecodeError> decodeWithout(const QString& key)
{
    QJsonObject o = minimalObject();
    o.remove(key);
    return BundleManifest::decode(QJsonDocument(o).toJson());
}

} // namespace

TEST(BundleManifest, DecodesEveryFieldAndPayload)
{
    const auto m = BundleManifest::decode(R"({
      "schema": 1, "id": "pack", "version": 7, "type": "sound_pack", "displayName": "Pack",
      "author": "A", "releaseDate": "2026-03-01T13:30:00.250+01:30", "priceCents": 199, "currency": "EUR",
      "sprite": {"frameCount": 4, "defaultSize": 18.5, "framePrefix": "fox"},
      "sprites": [{"frameCount": 2, "defaultSize": 16, "framePrefix": "hare", "id": "hare", "displayName": "Hare"}],
      "sound": {"entries": [{"id": "ding", "displayName": "Ding", "assetFile": "assets/ding.wav"}]},
      "assets": [{"path": "assets/ding.wav", "sha256": "ab"}]
    })");
    ASSERT_TRUE(m) << m.error().describe().toStdString();
    EXPECT_EQ(m->version, 7);
    EXPECT_EQ(m->type, BundleManifest::BundleType::soundPack);
    EXPECT_EQ(m->priceCents, 199);
    EXPECT_EQ(m->releaseDate, QDateTime(QDate(2026, 3, 1), QTime(12, 0, 0, 250), Qt::UTC));
    ASSERT_TRUE(m->sprite);
    EXPECT_EQ(m->sprite->frameCount, 4);
    EXPECT_DOUBLE_EQ(m->sprite->defaultSize, 18.5);
    EXPECT_FALSE(m->sprite->id);
    ASSERT_TRUE(m->sprites);
    EXPECT_EQ(m->sprites->at(0).id, QStringLiteral("hare"));
    ASSERT_TRUE(m->sound);
    EXPECT_EQ(m->sound->entries.at(0).assetFile, QStringLiteral("assets/ding.wav"));
    EXPECT_EQ(m->assets, (QList<BundleManifest::AssetEntry>{{QStringLiteral("assets/ding.wav"), QStringLiteral("ab")}}));
}

TEST(BundleManifest, EncodedManifestDecodesToTheSameRecord)
{
    auto m = BundleManifest::decode(minimal);
    ASSERT_TRUE(m);
    m->sprite = BundleManifest::SpritePayload{3, 18, QStringLiteral("fox"), QStringLiteral("fox"), std::nullopt};
    m->releaseDate = m->releaseDate.addMSecs(5);
    const auto again = BundleManifest::decode(QJsonDocument(m->toJson()).toJson());
    ASSERT_TRUE(again);
    EXPECT_EQ(*again, *m);
}

TEST(BundleManifest, OptionalPayloadsAbsentOrNullAreAbsent)
{
    const auto plain = BundleManifest::decode(minimal);
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->sprite);
    EXPECT_FALSE(plain->sprites);
    EXPECT_FALSE(plain->sound);
    EXPECT_TRUE(plain->assets.isEmpty());

    const auto nullSprite = decodeWith(QStringLiteral("sprite"), QJsonValue::Null);
    ASSERT_TRUE(nullSprite);
    EXPECT_FALSE(nullSprite->sprite);
}

TEST(BundleManifest, UnknownKeysAreIgnoredAtEveryLevel)
{
    QJsonObject o = minimalObject();
    o.insert(QStringLiteral("extra"), 42);
    o.insert(QStringLiteral("sprite"), QJsonObject{{QStringLiteral("frameCount"), 1}, {QStringLiteral("defaultSize"), 2},
                                                   {QStringLiteral("framePrefix"), QStringLiteral("p")},
                                                   {QStringLiteral("more"), QStringLiteral("x")}});
    const auto m = BundleManifest::decode(QJsonDocument(o).toJson());
    ASSERT_TRUE(m) << m.error().describe().toStdString();
    EXPECT_EQ(m->sprite->framePrefix, QStringLiteral("p"));
}

TEST(BundleManifest, RequiredKeysAndTypesAreEnforced)
{
    for (const char* key : {"schema", "id", "version", "type", "displayName", "author", "releaseDate", "priceCents",
                            "currency", "assets"}) {
        const auto m = decodeWithout(QLatin1String(key));
        ASSERT_FALSE(m) << key;
        EXPECT_EQ(m.error().kind, BundleManifest::DecodeError::Kind::keyNotFound) << key;
        EXPECT_EQ(m.error().codingPath, QLatin1String(key));
    }
    EXPECT_FALSE(decodeWith(QStringLiteral("version"), 1.5));
    EXPECT_TRUE(decodeWith(QStringLiteral("version"), 2.0));
    EXPECT_FALSE(decodeWith(QStringLiteral("id"), 5));
    EXPECT_FALSE(decodeWith(QStringLiteral("priceCents"), QStringLiteral("0")));
    EXPECT_FALSE(decodeWith(QStringLiteral("assets"), QJsonObject{}));
    EXPECT_FALSE(decodeWith(QStringLiteral("schema"), QJsonValue::Null));
    EXPECT_FALSE(decodeWith(QStringLiteral("version"), 1e300));
}

TEST(BundleManifest, TypeMustBeItsRawValue)
{
    const auto m = decodeWith(QStringLiteral("type"), QStringLiteral("runnerSprite"));
    ASSERT_FALSE(m);
    EXPECT_EQ(m.error().codingPath, QStringLiteral("type"));
    EXPECT_TRUE(decodeWith(QStringLiteral("type"), QStringLiteral("sound_pack")));
}

TEST(BundleManifest, FirstWrongKeyInFieldOrderIsNamed)
{
    QJsonObject o = minimalObject();
    o.remove(QStringLiteral("currency"));
    o.insert(QStringLiteral("version"), QStringLiteral("three"));
    const auto m = BundleManifest::decode(QJsonDocument(o).toJson());
    ASSERT_FALSE(m);
    EXPECT_EQ(m.error().codingPath, QStringLiteral("version"));
}

TEST(BundleManifest, NestedErrorsNameTheirPath)
{
    const auto m = decodeWith(QStringLiteral("assets"),
                              QJsonArray{QJsonObject{{QStringLiteral("path"), QStringLiteral("a")}, {QStringLiteral("sha256"), QStringLiteral("x")}},
                                         QJsonObject{{QStringLiteral("path"), QStringLiteral("b")}}});
    ASSERT_FALSE(m);
    EXPECT_EQ(m.error().codingPath, QStringLiteral("assets[1].sha256"));

    const auto sound = decodeWith(QStringLiteral("sound"), QJsonObject{{QStringLiteral("entries"), QJsonArray{QJsonObject{{QStringLiteral("id"), QStringLiteral("x")}}}}});
    ASSERT_FALSE(sound);
    EXPECT_EQ(sound.error().codingPath, QStringLiteral("sound.entries[0].displayName"));
}

TEST(BundleManifest, NotAJsonObjectFails)
{
    EXPECT_FALSE(BundleManifest::decode("[]"));
    EXPECT_FALSE(BundleManifest::decode("{"));
    EXPECT_FALSE(BundleManifest::decode(""));
    EXPECT_FALSE(BundleManifest::decode("{\"id\": \"\xff\xfe\"}"));
}

TEST(BundleManifest, ReleaseDateAcceptsTheTwoInternetForms)
{
    const QDateTime noon(QDate(2026, 3, 1), QTime(12, 0), Qt::UTC);
    EXPECT_EQ(BundleManifest::parseReleaseDate(u"2026-03-01T12:00:00Z"), noon);
    EXPECT_EQ(BundleManifest::parseReleaseDate(u"2026-03-01T12:00:00.000Z"), noon);
    EXPECT_EQ(BundleManifest::parseReleaseDate(u"2026-03-01T13:00:00+01:00"), noon);
    EXPECT_EQ(BundleManifest::parseReleaseDate(u"2026-03-01T11:30:00.5-00:30"), noon.addMSecs(500));
    EXPECT_EQ(BundleManifest::parseReleaseDate(u"2026-03-01T12:00:00.123456789Z"), noon.addMSecs(123));
}

TEST(BundleManifest, WholeSecondWithAndWithoutZeroFractionAreEqual)
{
    const auto a = decodeWith(QStringLiteral("releaseDate"), QStringLiteral("2026-03-01T12:00:00.000Z"));
    const auto b = decodeWith(QStringLiteral("releaseDate"), QStringLiteral("2026-03-01T12:00:00Z"));
    ASSERT_TRUE(a);
    ASSERT_TRUE(b);
    EXPECT_EQ(a->releaseDate, b->releaseDate);
    EXPECT_EQ(*a, *b);
}

TEST(BundleManifest, ReleaseDateRejectsEveryOtherVariant)
{
    for (const char* text : {"2026-03-01", "2026-03-01T12:00:00", "2026-03-01 12:00:00Z", "2026-03-01t12:00:00Z",
                             "2026-03-01T12:00:00z", "2026-03-01T12:00Z", "20260301T120000Z", "2026-03-01T12:00:00+0100",
                             "2026-03-01T12:00:00+01", "2026-02-30T12:00:00Z", "2026-13-01T12:00:00Z",
                             "2026-03-01T24:00:00Z", "2026-03-01T12:60:00Z", "2026-03-01T12:00:60Z",
                             "2026-03-01T12:00:00.Z", "2026-03-01T12:00:00Z ", " 2026-03-01T12:00:00Z",
                             "2026-03-01T12:00:00.1234567890Z", "2026-03-01T12:00:00+24:00", "+2026-03-01T12:00:00Z",
                             "2026-W09-7T12:00:00Z", ""}) {
        EXPECT_FALSE(BundleManifest::parseReleaseDate(QString::fromLatin1(text))) << text;
    }
}

TEST(BundleManifest, UnrecognisedReleaseDateIsDescribed)
{
    const auto m = decodeWith(QStringLiteral("releaseDate"), QStringLiteral("2026-03-01"));
    ASSERT_FALSE(m);
    EXPECT_EQ(m.error().kind, BundleManifest::DecodeError::Kind::dataCorrupted);
    EXPECT_EQ(m.error().codingPath, QStringLiteral("releaseDate"));
    EXPECT_EQ(m.error().describe(), QStringLiteral("unrecognised releaseDate: 2026-03-01"));
}

TEST(BundleManifest, MissingPriceFailsEvenForAFreeBundle)
{
    EXPECT_FALSE(decodeWithout(QStringLiteral("priceCents")));
    EXPECT_FALSE(decodeWithout(QStringLiteral("currency")));
}

TEST(BundleManifest, BundleTypeRawValuesRoundTrip)
{
    for (auto type : {BundleManifest::BundleType::runnerSprite, BundleManifest::BundleType::soundPack})
        EXPECT_EQ(bundleTypeFromRaw(rawValue(type)), type);
    EXPECT_FALSE(bundleTypeFromRaw(u"soundPack"));
}
