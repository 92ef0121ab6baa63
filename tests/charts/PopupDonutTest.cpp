#include "ChartTestSupport.h"
#include "charts/PopupDonut.h"

#include <QGuiApplication>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <numbers>

using namespace gaugelet;

namespace {
const QColor red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255), yellow(255, 255, 0);
constexpr double pi = std::numbers::pi;

PopupDonut::Input input(QList<double> segments, QList<QColor> tints)
{
    PopupDonut::Input in;
    in.segments = std::move(segments);
    in.tints = std::move(tints);
    in.size = 100;
    in.innerRatio = 0.5;
    in.inset = 0;
    return in;
}
} // namespace

TEST(PopupDonut, ColoursByQuadrant)
{
    const auto shapes = PopupDonut::shapes(input({1, 1, 1, 1}, {red, green, blue, yellow}), QSizeF(100, 100));
    ASSERT_EQ(shapes.size(), 4);
    const QImage image = test::render(shapes, QSize(100, 100));
    EXPECT_EQ(image.pixelColor(70, 30), red);    // top right: the first, from 12 o'clock
    EXPECT_EQ(image.pixelColor(70, 70), green);  // bottom right
    EXPECT_EQ(image.pixelColor(30, 70), blue);   // bottom left
    EXPECT_EQ(image.pixelColor(30, 30), yellow); // top left
    EXPECT_EQ(image.pixelColor(50, 50).alpha(), 0); // the hole
}

TEST(PopupDonut, SweepsTable)
{
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        QList<double> segments;
        QList<double> sweeps; // in turns
    } cases[] = {
        {{1, 0, 3}, {0.25, 0.75}},     // the zero segment takes no room
        {{2, -2}, {}},                 // total not above 0
        {{3, -1}, {1.0}},              // would sweep 540°: one full turn at most
        {{1, -1, 1}, {1.0}},           // the second positive segment finds no room left
        {{1, std::nan(""), 1}, {0.5, 0.5}},
        {{1, inf}, {1.0}},             // infinity counts as 0
        {{}, {}},
    };
    for (const auto& c : cases) {
        const auto sweeps = PopupDonut::sweeps(c.segments);
        ASSERT_EQ(sweeps.size(), c.sweeps.size()) << c.segments.size();
        double total = 0;
        for (qsizetype i = 0; i < sweeps.size(); ++i) {
            EXPECT_NEAR(sweeps[i].sweep, c.sweeps[i] * 2 * pi, 1e-12);
            EXPECT_NEAR(sweeps[i].start, -pi / 2 + total, 1e-12);
            total += sweeps[i].sweep;
        }
        EXPECT_LE(total, 2 * pi + 1e-12);
    }
}

TEST(PopupDonut, TintsAndEdgeCases)
{
    // [1, 0, 3]: two segments; the zero segment's tint is not used.
    auto shapes = PopupDonut::shapes(input({1, 0, 3}, {red, green, blue}), QSizeF(100, 100));
    ASSERT_EQ(shapes.size(), 2);
    EXPECT_EQ(shapes[0].colour, red);
    EXPECT_EQ(shapes[1].colour, blue);
    // Three segments, two tints: the third takes the second.
    shapes = PopupDonut::shapes(input({1, 1, 1}, {red, green}), QSizeF(100, 100));
    ASSERT_EQ(shapes.size(), 3);
    EXPECT_EQ(shapes[2].colour, green);
    // No tints or no segments: nothing.
    EXPECT_TRUE(PopupDonut::shapes(input({1}, {}), QSizeF(100, 100)).isEmpty());
    EXPECT_TRUE(PopupDonut::shapes(input({2, -2}, {red}), QSizeF(100, 100)).isEmpty());
    // innerRatio 0: pie slices reach the centre.
    auto pie = input({1}, {red});
    pie.innerRatio = 0;
    EXPECT_EQ(test::render(PopupDonut::shapes(pie, QSizeF(100, 100)), QSize(100, 100)).pixelColor(50, 50), red);
    // [3, -1] draws one full ring, no more.
    shapes = PopupDonut::shapes(input({3, -1}, {red}), QSizeF(100, 100));
    ASSERT_EQ(shapes.size(), 1);
    EXPECT_TRUE(test::allFinite(shapes));
}

TEST(PopupDonut, GapShortensEverySegment)
{
    auto in = input({1, 1}, {red, green});
    in.inset = 4; // half a gap at each end: a 4-point gap along the outer edge at 12 and 6 o'clock
    const QImage image = test::render(PopupDonut::shapes(in, QSizeF(100, 100)), QSize(100, 100));
    EXPECT_EQ(image.pixelColor(50, 2).alpha(), 0);
    EXPECT_EQ(image.pixelColor(96, 50), red);
    EXPECT_EQ(image.pixelColor(4, 50), green);
}

TEST(PopupDonut, CentreTextsShowWithoutARing)
{
    PopupDonut donut;
    auto in = input({2, -2}, {red});
    in.centerLabel = QStringLiteral("44%");
    in.centerCaption = QStringLiteral("Memory");
    donut.setInput(in);
    EXPECT_EQ(donut.size(), QSize(100, 100));
    QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    donut.render(&image, {}, {}, QWidget::DrawChildren);
    int inked = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            inked += image.pixelColor(x, y).alpha() > 0;
    EXPECT_GT(inked, 20); // the texts
    EXPECT_EQ(image.pixelColor(50, 2).alpha(), 0); // no ring
}

TEST(PopupDonut, InnerRatioIsClampedToZeroToOne)
{
    const QRectF canvas(0, 0, 100, 100);
    const struct {
        double ratio;
        bool pie;  // the centre is filled
        bool ring; // anything shows near the outer edge
    } cases[] = {{-0.5, true, true}, {std::nan(""), true, true}, {0.0, true, true},
                 {0.5, false, true}, {1.0, false, false}, {1.5, false, false}};
    for (const auto& c : cases) {
        auto in = input({1, 1}, {red, green});
        in.innerRatio = c.ratio;
        const auto shapes = PopupDonut::shapes(in, canvas.size());
        ASSERT_EQ(shapes.size(), 2) << c.ratio;
        for (const ChartShape& s : shapes) {
            // Never past the outer radius, never inside out.
            EXPECT_TRUE(canvas.adjusted(-1e-9, -1e-9, 1e-9, 1e-9).contains(s.path.boundingRect())) << c.ratio;
        }
        const QImage image = test::render(shapes, QSize(100, 100));
        EXPECT_EQ(image.pixelColor(50, 50).alpha() > 0, c.pie) << c.ratio;
        // A ratio of 1 or more leaves no ring to see.
        EXPECT_EQ(image.pixelColor(97, 50).alpha() > 0, c.ring) << c.ratio;
    }
}

// The figure and its caption stay inside the hole at any application font:
// a large one makes them smaller rather than carry them onto the ring.
TEST(PopupDonut, CentreTextsStayInsideTheHoleAtAnyFont)
{
    const QFont before = QGuiApplication::font();
    for (const qreal points : {0.0, 18.0, 40.0}) {
        QFont font = before;
        if (points > 0)
            font.setPointSizeF(points);
        QGuiApplication::setFont(font);
        PopupDonut donut;
        auto in = input({2, -2}, {red}); // no ring: every inked pixel is text
        in.innerRatio = 0.65;
        in.inset = 1;
        in.centerLabel = QStringLiteral("100%");
        in.centerCaption = QStringLiteral("Memory");
        donut.setInput(in);
        QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        donut.render(&image, {}, {}, QWidget::DrawChildren);
        const qreal hole = 50 * 0.65 - 1;
        int inked = 0, outside = 0;
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 100; ++x) {
                if (image.pixelColor(x, y).alpha() == 0)
                    continue;
                ++inked;
                outside += std::hypot(x + 0.5 - 50, y + 0.5 - 50) > hole + 1;
            }
        }
        EXPECT_GT(inked, 40) << points;
        EXPECT_EQ(outside, 0) << points << " pt";
    }
    QGuiApplication::setFont(before);
}
