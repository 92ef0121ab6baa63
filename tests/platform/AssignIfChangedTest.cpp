#include "platform/core/AssignIfChanged.h"

#include <QString>
#include <cmath>
#include <gtest/gtest.h>
#include <optional>

using namespace gaugelet;

TEST(AssignIfChanged, StoresAndReportsOnlyARealChange)
{
    const double nan = std::nan("");
    const struct {
        double stored;
        double value;
        bool changed;
    } cases[] = {{1, 1, false}, {1, 2, true}, {nan, nan, false}, {nan, 0, true}, {0, nan, true}, {0.0, -0.0, false}};
    for (const auto& c : cases) {
        double member = c.stored;
        EXPECT_EQ(assignIfChanged(member, c.value), c.changed) << c.stored << " <- " << c.value;
        if (c.changed) {
            EXPECT_TRUE(member == c.value || (std::isnan(member) && std::isnan(c.value)));
        }
    }
    std::optional<QString> text;
    EXPECT_TRUE(assignIfChanged(text, QStringLiteral("a")));
    EXPECT_EQ(text, QStringLiteral("a"));
    EXPECT_FALSE(assignIfChanged(text, QStringLiteral("a")));
    EXPECT_TRUE(assignIfChanged(text, std::nullopt));
    EXPECT_FALSE(text.has_value());
}
