#include "charts/PopupBars.h"
#include "charts/PopupMirror.h"
#include "charts/PopupThroughput.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>

using namespace gaugelet;

namespace {
// Each band chart, made at its default height and given a new one.
struct Band {
    const char* name;
    std::function<QWidget*(qreal height)> make;
};

template <typename Chart>
Band band(const char* name)
{
    return {name, [](qreal height) {
                auto* chart = new Chart;
                typename Chart::Input in;
                in.height = height;
                chart->setInput(in);
                return chart;
            }};
}
} // namespace

TEST(PopupBandChart, HeightFollowsTheInputInWholePixels)
{
    const struct {
        qreal height;
        int pixels;
    } cases[] = {{60, 60}, {45.2, 46}, {0, 0}, {-3, 0}, {std::nan(""), 0}, {INFINITY, 0}};
    for (const Band& b : {band<PopupBars>("bars"), band<PopupThroughput>("throughput"), band<PopupMirror>("mirror")}) {
        for (const auto& c : cases) {
            std::unique_ptr<QWidget> chart(b.make(c.height));
            EXPECT_EQ(chart->minimumHeight(), c.pixels) << b.name << " " << c.height;
            EXPECT_EQ(chart->maximumHeight(), c.pixels) << b.name << " " << c.height;
            EXPECT_EQ(chart->sizeHint(), QSize(120, c.pixels)) << b.name << " " << c.height;
            EXPECT_EQ(chart->minimumSizeHint(), QSize(1, c.pixels)) << b.name << " " << c.height;
            EXPECT_EQ(chart->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding) << b.name;
        }
    }
}
