#include "menubar/Pin.h"

#include "PinCheck.h"
#include "TestSupport.h"

#include "MenubarTestSupport.h"

#include <gtest/gtest.h>

using namespace gaugelet;

TEST(Pin, IdJoinsProviderAndVisualizerWithTwoColons)
{
    EXPECT_EQ((Pin { "cpu.total", "viz.runner.fox" }.id()), "cpu.total::viz.runner.fox");
}

TEST(Pin, ListRoundTripsThroughJsonWithFieldNamesAsKeys)
{
    const QList<Pin> pins { { "cpu.total", "viz.pie" }, { "net.total", "viz.numberLabel" } };
    const QByteArray data = Pin::encodeList(pins);
    EXPECT_EQ(data, R"([{"providerId":"cpu.total","visualizerId":"viz.pie"},{"providerId":"net.total","visualizerId":"viz.numberLabel"}])");
    auto decoded = Pin::decodeList(data);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, pins);
}

TEST(Pin, EmptyArrayDecodesToEmptyList)
{
    auto decoded = Pin::decodeList("[]");
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(decoded->isEmpty());
}

TEST(Pin, OneBadElementRejectsTheWholeList)
{
    auto missing = Pin::decodeList(R"([{"providerId":"cpu.total","visualizerId":"viz.pie"},{"providerId":"gpu.total"}])");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().kind, Pin::DecodeError::Kind::missingKey);
    EXPECT_EQ(missing.error().index, 1);
    EXPECT_EQ(missing.error().key, "visualizerId");

    auto wrongType = Pin::decodeList(R"([{"providerId":3,"visualizerId":"viz.pie"}])");
    ASSERT_FALSE(wrongType);
    EXPECT_EQ(wrongType.error().kind, Pin::DecodeError::Kind::notString);
    EXPECT_EQ(wrongType.error().key, "providerId");

    EXPECT_EQ(Pin::decodeList(R"({"providerId":"a","visualizerId":"b"})").error().kind, Pin::DecodeError::Kind::notArray);
    EXPECT_EQ(Pin::decodeList("[1]").error().kind, Pin::DecodeError::Kind::notObject);
    EXPECT_EQ(Pin::decodeList("not json").error().kind, Pin::DecodeError::Kind::notJson);
    EXPECT_FALSE(Pin::decodeList("not json").error().describe().isEmpty());
}

TEST(Pin, ExtraKeysAreIgnored)
{
    auto decoded = Pin::decodeList(R"([{"providerId":"a","visualizerId":"b","colour":"red"}])");
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->first(), (Pin { "a", "b" }));
}

TEST(Pin, FuzzInputsKeepTheFuzzTargetsProperty)
{
    for (const auto& [name, bytes] : test::fuzzInputs(QStringLiteral(GAUGELET_TEST_DATA_DIR "/fuzz"))) {
        EXPECT_EQ(fuzz::checkPinList(bytes), QString()) << name.toStdString();
        if (name.startsWith(QLatin1String("seed-"))) {
            EXPECT_TRUE(Pin::decodeList(bytes)) << name.toStdString();
        }
    }
}
