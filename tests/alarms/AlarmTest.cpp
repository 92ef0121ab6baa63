#include "alarms/Alarm.h"

#include "AlarmCheck.h"
#include "TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <cmath>
#include <limits>

using namespace gaugelet;

namespace {

const char* kRecord = R"({"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","providerId":"cpu.total","threshold":0.8,
  "direction":"above","repeatInterval":30,"enabled":true,"notify":true,"notifySnoozeMinutes":15})";

QJsonObject record()
{
    return QJsonDocument::fromJson(kRecord).object();
}

QByteArray arrayOf(const QJsonObject& o)
{
    return QJsonDocument(QJsonArray{o}).toJson();
}

} // namespace

TEST(Alarm, DecodesARecordWithoutOptionalKeys)
{
    auto alarm = Alarm::fromJson(record());
    ASSERT_TRUE(alarm.hasValue()) << alarm.error().describe().toStdString();
    EXPECT_EQ(alarm->idString(), "0F8FAD5B-D9CB-469F-A165-70867728950E");
    EXPECT_EQ(alarm->providerId, "cpu.total");
    EXPECT_DOUBLE_EQ(alarm->threshold, 0.8);
    EXPECT_EQ(alarm->direction, Alarm::Direction::above);
    EXPECT_FALSE(alarm->soundBookmark.has_value());
    EXPECT_FALSE(alarm->bundledSoundId.has_value());
    EXPECT_DOUBLE_EQ(alarm->repeatInterval, 30);
    EXPECT_EQ(alarm->notifySnoozeMinutes, 15);
}

TEST(Alarm, WritesBackWithoutAbsentOptionalKeysAndDropsUnknownKeys)
{
    QJsonObject o = record();
    o.insert("colour", "teal");
    auto alarm = Alarm::fromJson(o);
    ASSERT_TRUE(alarm.hasValue());
    auto json = Alarm::toJson(*alarm);
    ASSERT_TRUE(json.hasValue());
    EXPECT_FALSE(json->contains("soundBookmark"));
    EXPECT_FALSE(json->contains("bundledSoundId"));
    EXPECT_FALSE(json->contains("colour"));
    EXPECT_EQ((*json)["id"].toString(), "0F8FAD5B-D9CB-469F-A165-70867728950E");
    EXPECT_EQ(json->keys().size(), 8);
}

TEST(Alarm, RoundTripsOptionalFieldsWithBookmarkAsBase64)
{
    Alarm a;
    a.id = QUuid::createUuid();
    a.providerId = "memory.total";
    a.threshold = 0.25;
    a.direction = Alarm::Direction::below;
    a.soundBookmark = QByteArray("/home/u/\xff sound.mp3", 19);
    a.bundledSoundId = "bell-sound";
    a.repeatInterval = 0;
    a.enabled = false;
    a.notify = false;
    a.notifySnoozeMinutes = 5;
    auto bytes = Alarm::encodeList({a, a});
    ASSERT_TRUE(bytes.hasValue());
    const QJsonArray array = QJsonDocument::fromJson(*bytes).array();
    EXPECT_EQ(array.at(0)["soundBookmark"].toString(), QString::fromLatin1(a.soundBookmark->toBase64()));
    EXPECT_EQ(array.at(0)["direction"].toString(), "below");
    auto back = Alarm::decodeList(*bytes);
    ASSERT_TRUE(back.hasValue());
    ASSERT_EQ(back->size(), 2);
    EXPECT_EQ(back->at(0), a);
}

TEST(Alarm, OneBadRecordRejectsTheWholeArray)
{
    QJsonObject missing = record();
    missing.remove("notifySnoozeMinutes");
    QJsonArray array{record(), missing};
    auto result = Alarm::decodeList(QJsonDocument(array).toJson());
    ASSERT_FALSE(result.hasValue());
    EXPECT_EQ(result.error().kind, Alarm::DecodeError::Kind::missingKey);
    EXPECT_EQ(result.error().key, "notifySnoozeMinutes");
    EXPECT_EQ(result.error().index, 1);
    EXPECT_TRUE(result.error().describe().contains("notifySnoozeMinutes"));
}

TEST(Alarm, RejectsUnknownDirectionWrongTypesAndBadIds)
{
    QJsonObject o = record();
    o["direction"] = "sideways";
    EXPECT_EQ(Alarm::decodeList(arrayOf(o)).error().kind, Alarm::DecodeError::Kind::invalidValue);
    o = record();
    o["enabled"] = 1;
    EXPECT_EQ(Alarm::decodeList(arrayOf(o)).error().kind, Alarm::DecodeError::Kind::wrongType);
    o = record();
    o["threshold"] = "0.8";
    EXPECT_EQ(Alarm::decodeList(arrayOf(o)).error().key, "threshold");
    o = record();
    o["id"] = "{0F8FAD5B-D9CB-469F-A165-70867728950E}";
    EXPECT_EQ(Alarm::decodeList(arrayOf(o)).error().key, "id");
    o = record();
    o["notifySnoozeMinutes"] = 2.5;
    EXPECT_EQ(Alarm::decodeList(arrayOf(o)).error().key, "notifySnoozeMinutes");
    EXPECT_EQ(Alarm::decodeList("not json").error().kind, Alarm::DecodeError::Kind::invalidJson);
    EXPECT_EQ(Alarm::decodeList("{}").error().kind, Alarm::DecodeError::Kind::notAnArray);
}

TEST(Alarm, AcceptsLowerCaseIdsAndEmptyArray)
{
    QJsonObject o = record();
    o["id"] = "0f8fad5b-d9cb-469f-a165-70867728950e";
    auto list = Alarm::decodeList(arrayOf(o));
    ASSERT_TRUE(list.hasValue());
    EXPECT_EQ(list->at(0).idString(), "0F8FAD5B-D9CB-469F-A165-70867728950E");
    auto empty = Alarm::decodeList("[]");
    ASSERT_TRUE(empty.hasValue());
    EXPECT_TRUE(empty->isEmpty());
}

TEST(Alarm, SnoozeMinutesBeyondTheIntegerRangeSaturate)
{
    QJsonObject o = record();
    o["notifySnoozeMinutes"] = 1e30;
    auto list = Alarm::decodeList(arrayOf(o));
    ASSERT_TRUE(list.hasValue());
    EXPECT_EQ(list->at(0).notifySnoozeMinutes, std::numeric_limits<qint64>::max());
    o["notifySnoozeMinutes"] = -1e30;
    EXPECT_EQ(Alarm::decodeList(arrayOf(o))->at(0).notifySnoozeMinutes, std::numeric_limits<qint64>::min());
}

TEST(Alarm, NonFiniteNumbersCannotBeEncoded)
{
    Alarm a = *Alarm::fromJson(record());
    a.threshold = std::numeric_limits<double>::quiet_NaN();
    auto bytes = Alarm::encodeList({a});
    ASSERT_FALSE(bytes.hasValue());
    EXPECT_EQ(bytes.error().key, "threshold");
    a.threshold = 0.5;
    a.repeatInterval = std::numeric_limits<double>::infinity();
    EXPECT_EQ(Alarm::encodeList({a}).error().key, "repeatInterval");
}

TEST(Alarm, SaturatingRoundHalvesAwayFromZeroAndClamps)
{
    EXPECT_EQ(saturatingRound(80.0), 80);
    EXPECT_EQ(saturatingRound(12.5), 13);
    EXPECT_EQ(saturatingRound(-12.5), -13);
    EXPECT_EQ(saturatingRound(std::nan("")), 0);
    EXPECT_EQ(saturatingRound(std::numeric_limits<double>::infinity()), std::numeric_limits<qint64>::max());
    EXPECT_EQ(saturatingRound(-std::numeric_limits<double>::infinity()), std::numeric_limits<qint64>::min());
    EXPECT_EQ(saturatingRound(9.3e18), std::numeric_limits<qint64>::max());
}

TEST(Alarm, DirectionRawValues)
{
    EXPECT_EQ(rawValue(Alarm::Direction::above), "above");
    EXPECT_EQ(directionFromRaw(u"below"), Alarm::Direction::below);
    EXPECT_FALSE(directionFromRaw(u"Above").has_value());
}

TEST(Alarm, FuzzInputsKeepTheFuzzTargetsProperty)
{
    for (const auto& [name, bytes] : test::fuzzInputs(QStringLiteral(GAUGELET_TEST_DATA_DIR "/fuzz"))) {
        EXPECT_EQ(fuzz::checkAlarmList(bytes), QString()) << name.toStdString();
        if (name.startsWith(QLatin1String("seed-"))) {
            EXPECT_TRUE(Alarm::decodeList(bytes)) << name.toStdString();
        }
    }
}
