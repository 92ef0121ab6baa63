#include "platform/statusitem/StatusItem.h"
#include "platform/style/Appearance.h"
#include "support/TestSupport.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

QImage logo(QColor colour)
{
    QImage image(36, 36, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    image.setDevicePixelRatio(2.0);
    return image;
}

} // namespace

TEST(StatusItem, LengthSetsTheWidthAndVariableFollowsTheImage)
{
    StatusItem item(StatusItem::Presentation::none);
    EXPECT_EQ(item.length(), StatusItem::variableLength);
    EXPECT_EQ(item.size(), QSizeF(22, 22)); // nothing to show: a square
    item.button()->setImage(logo(Qt::red));
    EXPECT_EQ(item.size(), QSizeF(22, 22)); // 18-point image and its margins
    item.setLength(57.5);
    EXPECT_EQ(item.size(), QSizeF(57.5, 22));
    EXPECT_EQ(item.button()->bounds(), QRectF(0, 0, 57.5, 22));
    item.setLength(0);
    EXPECT_EQ(item.length(), 0);
    item.setLength(-7);
    EXPECT_EQ(item.length(), StatusItem::variableLength);
    item.setLength(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(item.length(), StatusItem::variableLength);
}

TEST(StatusItem, ComposesTheButtonImageAtOneAndTwoTimes)
{
    StatusItem item(StatusItem::Presentation::none);
    QSignalSpy composed(&item, &StatusItem::imageChanged);
    item.button()->setImage(logo(QColor(10, 200, 30)));
    ASSERT_TRUE(test::waitUntil([&] { return composed.count() > 0 && !item.image2x().isNull(); }));
    EXPECT_EQ(item.image1x().size(), QSize(22, 22));
    EXPECT_EQ(item.image2x().size(), QSize(44, 44));
    EXPECT_EQ(item.image2x().devicePixelRatio(), 2.0);
    EXPECT_EQ(item.image2x().pixelColor(22, 22), QColor(10, 200, 30));
    EXPECT_EQ(item.image2x().pixelColor(1, 22).alpha(), 0); // margin
}

TEST(StatusItem, TemplateImagesTakeThePanelsLabelColour)
{
    StatusItem item(StatusItem::Presentation::none);
    Appearance::instance()->setOverrideForTesting(true);
    item.button()->setImage(logo(QColor(200, 30, 30)), true);
    item.compositor()->flush();
    EXPECT_EQ(item.image2x().pixelColor(22, 22), QColor(Qt::white));
    Appearance::instance()->setOverrideForTesting(false);
    ASSERT_TRUE(test::waitUntil([&] { return item.image2x().pixelColor(22, 22) == QColor(Qt::black); }));
    Appearance::instance()->setOverrideForTesting(std::nullopt);
}

// A runner's segment is drawn again whenever its sprite shows another frame,
// though no layer changed.
TEST(StatusItem, AnAnimatedSegmentIsDrawnAgainAtEachNewFrame)
{
    test::ManualMediaClock clock(10.0);
    StatusItem item(StatusItem::Presentation::none);
    item.setLength(22);
    auto sprite = Layer::create();
    sprite->setFrame(QRectF(0, 0, 22, 22));
    item.button()->layer()->addSublayer(sprite);
    KeyframeAnimation run;
    run.values = {logo(Qt::red), logo(Qt::blue)};
    run.duration = 2.0;
    sprite->addAnimation(run, QStringLiteral("run"));
    item.setSegments(
        {{QStringLiteral("fox"), QRectF(0, 0, 22, 22), QStringLiteral("CPU — Fox"), QStringLiteral("1%")}});
    item.compositor()->flush();
    ASSERT_EQ(item.pictures().size(), 1);
    EXPECT_EQ(item.pictures()[0].images[1].pixelColor(11, 11), QColor(Qt::red));
    clock.advance(1.1);
    ASSERT_TRUE(item.compositor()->animationStep());
    item.compositor()->flush();
    EXPECT_EQ(item.pictures()[0].images[1].pixelColor(11, 11), QColor(Qt::blue));
}

TEST(StatusItem, ClicksRunTheActionAndRememberThePosition)
{
    StatusItem item(StatusItem::Presentation::none);
    item.performAction(QPoint(3, 4)); // no action yet: nothing breaks
    int runs = 0;
    item.setAction([&](QPoint p) {
        ++runs;
        EXPECT_EQ(p, QPoint(9, 1));
    });
    item.performAction(QPoint(9, 1));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(item.lastClickPosition(), QPoint(9, 1));
}
