#include "SettingsTestSupport.h"

#include "menubar/TagSpec.h"
#include "platform/core/Defaults.h"
#include "settings/shared/ColorWell.h"
#include "settings/shared/SegmentedControl.h"
#include "settings/stats/SharedTagColorRows.h"
#include "settings/stats/TagStylingRows.h"
#include "stats/StatRegistry.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace gaugelet;

namespace {

const QString cpu = QStringLiteral("cpu.total");
const Pin pin{cpu, QStringLiteral("viz.runner.fox")};

QString key(TagSpec::Namespace ns, const char16_t* field)
{
    return TagSpec::key(pin.id(), ns, QStringView(field));
}

std::unique_ptr<TagStylingRows> rowsFor(test::SettingsWorld& world, TagSpec::Namespace ns)
{
    const StatProvider& provider = *world.registry->provider(cpu);
    return std::make_unique<TagStylingRows>(ns == TagSpec::Namespace::tag ? QStringLiteral("Name tag")
                                                                           : QStringLiteral("Value (%)"),
                                            ns, pin, provider,
                                            TagSpec::load(pin.id(), cpu, provider.shortName(), ns));
}

void drag(QSlider* slider, int value)
{
    slider->setSliderDown(true);
    slider->setSliderPosition(value);
    slider->setSliderDown(false);
}

constexpr auto tag = TagSpec::Namespace::tag;
constexpr auto value = TagSpec::Namespace::value;

} // namespace

TEST(TagStylingRows, SwitchingOrientationSetsTheDefaultOffsetAndRange)
{
    test::SettingsWorld world;
    world.defaults()->set(key(value, u"yOffset"), 4.0);
    auto rows = rowsFor(world, value);
    EXPECT_EQ(rows->offsetTitle()->text(), QStringLiteral("Vertical offset"));
    EXPECT_EQ(rows->offsetSlider()->minimum(), -10);
    EXPECT_EQ(rows->offsetValue()->text(), QStringLiteral("4pt"));
    EXPECT_TRUE(rows->offsetRow()->toolTip().startsWith(QStringLiteral("Nudges this element up or down")));

    QTest::mouseClick(rows->orientationPicker()->button(1), Qt::LeftButton);
    EXPECT_EQ(rows->spec().yOffset, 20);
    EXPECT_EQ(rows->offsetSlider()->minimum(), -30);
    EXPECT_EQ(rows->offsetSlider()->maximum(), 30);
    EXPECT_EQ(rows->offsetSlider()->value(), 20);
    EXPECT_EQ(rows->offsetTitle()->text(), QStringLiteral("Horizontal offset"));
    EXPECT_TRUE(rows->offsetRow()->toolTip().startsWith(QStringLiteral("Slides this element left or right")));
    EXPECT_EQ(world.defaults()->string(key(value, u"orientation")), QStringLiteral("vertical"));
    EXPECT_EQ(world.defaults()->string(key(value, u"position")), QStringLiteral("behind"));
    EXPECT_EQ(world.defaults()->real(key(value, u"yOffset")), 20.0);

    auto tagRows = rowsFor(world, tag);
    QTest::mouseClick(tagRows->orientationPicker()->button(1), Qt::LeftButton);
    EXPECT_EQ(world.defaults()->real(key(tag, u"yOffset")), -20.0);
}

TEST(TagStylingRows, LeadingOrTrailingLabelsGetZeroAndSliderWritesAllThree)
{
    test::SettingsWorld world;
    world.defaults()->set(key(tag, u"position"), QStringLiteral("trailing"));
    world.defaults()->set(key(tag, u"yOffset"), 6.0);
    auto rows = rowsFor(world, tag);
    QTest::mouseClick(rows->orientationPicker()->button(1), Qt::LeftButton);
    EXPECT_EQ(world.defaults()->real(key(tag, u"yOffset")), 0.0);

    world.defaults()->remove(key(tag, u"orientation"));
    world.defaults()->remove(key(tag, u"yOffset"));
    auto fresh = rowsFor(world, tag);
    drag(fresh->offsetSlider(), -4);
    EXPECT_EQ(world.defaults()->string(key(tag, u"position")), QStringLiteral("trailing"));
    EXPECT_EQ(world.defaults()->string(key(tag, u"orientation")), QStringLiteral("horizontal"));
    EXPECT_EQ(world.defaults()->object(key(tag, u"yOffset")), QVariant(-4.0));
    EXPECT_EQ(fresh->offsetValue()->text(), QStringLiteral("-4pt"));
    // Styling the placement writes no colour keys.
    for (const char16_t* field : {u"fgHex", u"bgHex", u"showBg"}) {
        EXPECT_FALSE(world.defaults()->object(key(tag, field)).isValid());
        EXPECT_FALSE(world.defaults()->object(key(value, field)).isValid());
    }
}

TEST(TagStylingRows, OffsetsBeyondTheRangeShowAtTheEndUntilMoved)
{
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double stored;
        int slider;
        const char* text;
    } cases[] = {
        {55, 10, "55pt"}, {-12.9, -10, "-13pt"}, {1e300, 10, "10pt"}, {-1.7e308, -10, "-10pt"}, {nan, 10, "10pt"}};
    for (const auto& c : cases) {
        test::SettingsWorld world;
        world.defaults()->set(key(value, u"yOffset"), c.stored);
        test::WriteCounter writes(world.defaults());
        auto rows = rowsFor(world, value);
        EXPECT_EQ(rows->offsetSlider()->value(), c.slider) << c.stored;
        EXPECT_EQ(rows->offsetValue()->text(), QString::fromLatin1(c.text)) << c.stored;
        EXPECT_EQ(writes.count(), 0);
    }
}

TEST(TagStylingRows, ResetsTouchOnlyTheirOwnKeys)
{
    test::SettingsWorld world;
    world.defaults()->set(key(tag, u"orientation"), QStringLiteral("vertical"));
    world.defaults()->set(key(tag, u"yOffset"), 3.0);
    world.defaults()->set(key(value, u"yOffset"), 8.0);
    world.defaults()->set(key(tag, u"fgHex"), QStringLiteral("#112233FF"));
    world.defaults()->set(key(tag, u"showBg"), true);
    auto rows = rowsFor(world, tag);
    QTest::mouseClick(rows->resetButton(), Qt::LeftButton);
    EXPECT_EQ(rows->spec().orientation, TagOrientation::horizontal);
    EXPECT_EQ(rows->spec().yOffset, -10);
    EXPECT_EQ(world.defaults()->string(key(tag, u"orientation")), QStringLiteral("horizontal"));
    EXPECT_EQ(world.defaults()->real(key(tag, u"yOffset")), -10.0);
    EXPECT_EQ(world.defaults()->real(key(value, u"yOffset")), 8.0);
    EXPECT_EQ(world.defaults()->string(key(tag, u"fgHex")), QStringLiteral("#112233FF"));
    EXPECT_EQ(world.defaults()->boolean(key(tag, u"showBg")), true);

    SharedTagColorRows colours(pin, *world.registry->provider(cpu));
    EXPECT_TRUE(colours.backgroundToggle()->isChecked());
    QTest::mouseClick(colours.resetButton(), Qt::LeftButton);
    EXPECT_EQ(colours.fgHex(), QString());
    EXPECT_FALSE(colours.showBg());
    EXPECT_EQ(world.defaults()->string(key(tag, u"fgHex")), QString());
    EXPECT_EQ(world.defaults()->boolean(key(tag, u"showBg")), false);
    EXPECT_EQ(world.defaults()->string(key(tag, u"orientation")), QStringLiteral("horizontal"));
    EXPECT_EQ(world.defaults()->real(key(value, u"yOffset")), 8.0);

    // Already at the defaults: the keys are removed and stay removed.
    QTest::mouseClick(colours.resetButton(), Qt::LeftButton);
    EXPECT_FALSE(world.defaults()->object(key(tag, u"fgHex")).isValid());
    EXPECT_FALSE(world.defaults()->object(key(tag, u"showBg")).isValid());
}

TEST(SharedTagColorRows, PickedColoursAreStoredWithAlphaAndTheBackgroundNeedsItsSwitch)
{
    test::SettingsWorld world;
    world.defaults()->set(key(tag, u"bgHex"), QStringLiteral("#12345"));
    test::WriteCounter writes(world.defaults());
    SharedTagColorRows colours(pin, *world.registry->provider(cpu));
    EXPECT_EQ(writes.count(), 0);
    EXPECT_FALSE(colours.backgroundWell()->isEnabled());
    EXPECT_EQ(colours.backgroundWell()->color(), QColor(0, 0, 0, 115));
    EXPECT_EQ(colours.textWell()->color(), colours.textColor());
    EXPECT_LT(colours.textColor().alphaF(), 1.0); // the secondary colour

    colours.textWell()->openPanel();
    ASSERT_NE(colours.textWell()->panel(), nullptr);
    colours.textWell()->panel()->setCurrentColor(QColor::fromRgbF(1, 0, 0));
    colours.textWell()->panel()->accept();
    EXPECT_EQ(world.defaults()->string(key(tag, u"fgHex")), QStringLiteral("#FF0000FF"));
    // Every change writes all three fields of the name tag, none of the value.
    EXPECT_EQ(world.defaults()->string(key(tag, u"bgHex")), QStringLiteral("#12345"));
    EXPECT_EQ(world.defaults()->boolean(key(tag, u"showBg")), false);
    EXPECT_FALSE(world.defaults()->object(key(value, u"fgHex")).isValid());

    QTest::mouseClick(colours.backgroundToggle(), Qt::LeftButton);
    EXPECT_TRUE(colours.backgroundWell()->isEnabled());
    colours.setBackgroundColor(QColor(0, 0, 255, 51));
    EXPECT_EQ(world.defaults()->string(key(tag, u"bgHex")), QStringLiteral("#0000FF33"));
    QTest::mouseClick(colours.backgroundToggle(), Qt::LeftButton);
    EXPECT_FALSE(colours.backgroundWell()->isEnabled());
    EXPECT_EQ(world.defaults()->boolean(key(tag, u"showBg")), false);
    EXPECT_EQ(world.defaults()->string(key(tag, u"bgHex")), QStringLiteral("#0000FF33"));
}
