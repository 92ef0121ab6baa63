#include "platform/core/JsonReader.h"

#include <QJsonDocument>
#include <functional>
#include <limits>

#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

using Kind = JsonReader::Error::Kind;
using Type = JsonReader::Type;

JsonReader document(const char* json)
{
    auto reader = JsonReader::parseObject(QByteArray(json));
    EXPECT_TRUE(reader) << json;
    return reader ? *reader : JsonReader(QJsonObject());
}

} // namespace

TEST(JsonReader, ReadsEachTypeAndOptionalKeysAbsentOrNullAsNone)
{
    JsonReader r = document(R"({"b":true,"d":2.5,"i":-7,"s":"x","n":null})");
    EXPECT_EQ(r.require<bool>("b"), true);
    EXPECT_EQ(r.require<double>("d"), 2.5);
    EXPECT_EQ(r.require<qint64>("i"), -7);
    EXPECT_EQ(r.require<QString>("s"), "x");
    EXPECT_EQ(r.optional<QString>("n"), std::nullopt);
    EXPECT_EQ(r.optional<bool>("absent"), std::nullopt);
    EXPECT_EQ(r.optional<double>("d"), 2.5);
    EXPECT_FALSE(r.failed());
}

TEST(JsonReader, TypeMismatchNamesTheExpectedTypeAndKey)
{
    struct Case {
        const char* json;
        Type expected;
        std::function<void(JsonReader&)> read;
    };
    const Case cases[] = {
        {R"({"k":"true"})", Type::boolean, [](JsonReader& r) { r.require<bool>("k"); }},
        {R"({"k":1})", Type::boolean, [](JsonReader& r) { r.require<bool>("k"); }},
        {R"({"k":0})", Type::boolean, [](JsonReader& r) { r.optional<bool>("k"); }},
        {R"({"k":"1"})", Type::number, [](JsonReader& r) { r.require<double>("k"); }},
        {R"({"k":true})", Type::integer, [](JsonReader& r) { r.require<qint64>("k"); }},
        {R"({"k":5})", Type::string, [](JsonReader& r) { r.require<QString>("k"); }},
        {R"({"k":{}})", Type::string, [](JsonReader& r) { r.optional<QString>("k"); }},
        {R"({"k":[]})", Type::object, [](JsonReader& r) { r.object("k"); }},
        {R"({"k":{}})", Type::array, [](JsonReader& r) { r.array("k"); }},
        {R"({"k":1})", Type::array, [](JsonReader& r) { r.optionalArray("k"); }},
        {R"({"k":"x"})", Type::object, [](JsonReader& r) { r.optionalObject("k"); }},
    };
    for (const Case& c : cases) {
        JsonReader r = document(c.json);
        c.read(r);
        ASSERT_TRUE(r.failed()) << c.json;
        EXPECT_EQ(r.error().kind, Kind::typeMismatch) << c.json;
        EXPECT_EQ(r.error().expected, c.expected) << c.json;
        EXPECT_EQ(r.error().path(), "k") << c.json;
    }
}

TEST(JsonReader, MissingAndNullRequiredKeysAreTold)
{
    JsonReader missing = document(R"({"a":1})");
    EXPECT_EQ(missing.require<QString>("b"), QString());
    ASSERT_TRUE(missing.failed());
    EXPECT_EQ(missing.error().kind, Kind::keyNotFound);
    EXPECT_EQ(missing.error().key, "b");

    JsonReader null = document(R"({"a":null})");
    null.object("a");
    ASSERT_TRUE(null.failed());
    EXPECT_EQ(null.error().kind, Kind::valueNull);
    EXPECT_EQ(null.error().path(), "a");
}

TEST(JsonReader, IntegersAreWholeNumbersThatFit64Bits)
{
    JsonReader r = document(R"({"two":2.0,"big":9007199254740993,"neg":-9223372036854775808})");
    EXPECT_EQ(r.require<qint64>("two"), 2);
    EXPECT_EQ(r.require<qint64>("big"), 9007199254740993LL);
    EXPECT_EQ(r.require<qint64>("neg"), std::numeric_limits<qint64>::min());
    EXPECT_FALSE(r.failed());

    for (const char* json : {R"({"k":2.5})", R"({"k":1e300})", R"({"k":-1e19})"}) {
        JsonReader bad = document(json);
        EXPECT_EQ(bad.require<qint64>("k"), 0) << json;
        ASSERT_TRUE(bad.failed()) << json;
        EXPECT_EQ(bad.error().kind, Kind::notInteger) << json;
        EXPECT_EQ(bad.error().number, QJsonDocument::fromJson(json).object().value("k").toDouble()) << json;
    }
}

TEST(JsonReader, NestedObjectsAndArraysNameTheFullKeyPath)
{
    JsonReader r = document(R"({"sprites":[{"frameCount":1},{"frameCount":2},{"frameCount":"3"}],
                                "sound":{"entries":[{"id":"a"},7]}})");
    JsonReader::Array sprites = r.array("sprites");
    ASSERT_EQ(sprites.size(), 3);
    QList<qint64> counts;
    for (qsizetype i = 0; i < sprites.size() && !r.failed(); ++i)
        counts.append(sprites.object(i).require<qint64>("frameCount"));
    EXPECT_EQ(counts, (QList<qint64>{1, 2, 0}));
    ASSERT_TRUE(r.failed());
    EXPECT_EQ(r.error().path(), "sprites[2].frameCount");
    EXPECT_EQ(r.error().objectPath, "sprites[2]");
    EXPECT_EQ(r.error().key, "frameCount");
    EXPECT_EQ(r.error().expected, Type::integer);

    JsonReader second = document(R"({"sound":{"entries":[{"id":"a"},7]}})");
    JsonReader::Array entries = second.object("sound").array("entries");
    EXPECT_EQ(entries.path(), "sound.entries");
    EXPECT_EQ(entries.object(0).require<QString>("id"), "a");
    EXPECT_FALSE(second.failed());
    JsonReader element = entries.object(1);
    ASSERT_TRUE(second.failed());
    EXPECT_EQ(second.error().path(), "sound.entries[1]");
    EXPECT_EQ(second.error().key, QString());
    EXPECT_EQ(second.error().expected, Type::object);
    EXPECT_EQ(element.require<QString>("id"), QString());
}

TEST(JsonReader, TheFirstFailureSticksAndLaterReadsAreEmpty)
{
    JsonReader r = document(R"({"a":"x","b":1,"c":"y","o":{"p":1}})");
    EXPECT_EQ(r.require<qint64>("a"), 0);
    EXPECT_EQ(r.require<qint64>("b"), 0);
    EXPECT_EQ(r.optional<QString>("c"), std::nullopt);
    EXPECT_FALSE(r.optionalObject("o").has_value());
    r.invalidValue("b", "later");
    r.typeMismatch("c", Type::boolean);
    EXPECT_EQ(r.error().path(), "a");
    EXPECT_EQ(r.error().kind, Kind::typeMismatch);

    // A failure inside a nested reader is the outer reader's failure too.
    JsonReader outer = document(R"({"o":{"p":"q"},"z":1})");
    JsonReader inner = outer.object("o");
    inner.require<bool>("p");
    EXPECT_EQ(outer.require<qint64>("z"), 0);
    ASSERT_TRUE(outer.failed());
    EXPECT_EQ(outer.error().path(), "o.p");
}

TEST(JsonReader, ConvertersRefuseValuesWithTheirOwnDetail)
{
    int calls = 0;
    auto positive = [&calls](const qint64& n) -> Result<qint64, QString> {
        ++calls;
        if (n > 0)
            return n * 10;
        return fail(QStringLiteral("not positive: %1").arg(n));
    };
    JsonReader r = document(R"({"a":{"n":3,"m":-1},"b":null})");
    JsonReader a = r.object("a");
    EXPECT_EQ(a.require<qint64>("n", positive), 30);
    EXPECT_EQ(r.optional<qint64>("b", positive), std::nullopt);
    EXPECT_EQ(a.optional<qint64>("m", positive), std::nullopt);
    ASSERT_TRUE(r.failed());
    EXPECT_EQ(r.error().kind, Kind::invalidValue);
    EXPECT_EQ(r.error().path(), "a.m");
    EXPECT_EQ(r.error().detail, "not positive: -1");
    // Once failed, no converter runs again.
    EXPECT_EQ(a.require<qint64>("n", positive), 0);
    EXPECT_EQ(calls, 2);
}

TEST(JsonReader, DocumentsThatAreNotJsonOrOfTheOtherShapeFail)
{
    auto broken = JsonReader::parseObject(R"({"a":)");
    ASSERT_FALSE(broken);
    EXPECT_EQ(broken.error().kind, Kind::notJson);
    EXPECT_FALSE(broken.error().detail.isEmpty());
    EXPECT_EQ(broken.error().offset, 5);

    auto array = JsonReader::parseObject("[1]");
    ASSERT_FALSE(array);
    EXPECT_EQ(array.error().kind, Kind::typeMismatch);
    EXPECT_EQ(array.error().expected, Type::object);
    EXPECT_EQ(array.error().path(), QString());

    auto object = JsonReader::parseArray("{}");
    ASSERT_FALSE(object);
    EXPECT_EQ(object.error().expected, Type::array);

    auto list = JsonReader::parseArray(R"([{"k":1},{"k":true}])");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->object(0).require<qint64>("k"), 1);
    list->object(1).require<qint64>("k");
    ASSERT_TRUE(list->failed());
    EXPECT_EQ(list->error().path(), "[1].k");
}

TEST(JsonReader, ListsOfRecordsNameTheFailingElement)
{
    auto decode = [](JsonReader& keys) { return keys.require<qint64>("n"); };
    auto ok = JsonReader::decodeList(R"([{"n":1},{"n":2}])", decode);
    ASSERT_TRUE(ok);
    EXPECT_EQ(*ok, (QList<qint64>{1, 2}));

    auto badKey = JsonReader::decodeList(R"([{"n":1},{"m":2}])", decode);
    ASSERT_FALSE(badKey);
    EXPECT_EQ(badKey.error().index, 1);
    EXPECT_EQ(badKey.error().error.kind, Kind::keyNotFound);
    EXPECT_EQ(badKey.error().error.path(), "[1].n");
    EXPECT_FALSE(badKey.error().elementNotObject());

    auto notObject = JsonReader::decodeList(R"([{"n":1},[]])", decode);
    ASSERT_FALSE(notObject);
    EXPECT_EQ(notObject.error().index, 1);
    EXPECT_TRUE(notObject.error().elementNotObject());

    auto notArray = JsonReader::decodeList(R"({"n":1})", decode);
    ASSERT_FALSE(notArray);
    EXPECT_EQ(notArray.error().index, -1);
    EXPECT_EQ(notArray.error().error.expected, Type::array);
}

TEST(JsonReader, NestedArraysDecodeEachElementUntilTheFirstFailure)
{
    int calls = 0;
    auto decode = [&calls](JsonReader& keys) {
        ++calls;
        return keys.require<qint64>("n");
    };
    JsonReader ok = document(R"({"items":[{"n":1},{"n":2}]})");
    EXPECT_EQ(ok.array("items").decodeEach(decode), (QList<qint64>{1, 2}));
    EXPECT_FALSE(ok.failed());

    calls = 0;
    JsonReader bad = document(R"({"items":[{"n":1},{"m":2},{"n":3},{"n":4}]})");
    bad.array("items").decodeEach(decode);
    ASSERT_TRUE(bad.failed());
    EXPECT_EQ(bad.error().path(), "items[1].n");
    EXPECT_EQ(calls, 2);
}
