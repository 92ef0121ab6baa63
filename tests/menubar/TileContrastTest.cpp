// The default colours of every tile reach 4.5:1 against the panel they are
// drawn for (WCAG 2 relative luminance), on a dark and on a light panel; the
// pie's track, which carries no value, reaches 3:1.

#include "menubar/MenubarController.h"
#include "menubar/NumberLabelVisualizer.h"
#include "menubar/PieVisualizer.h"
#include "menubar/RunnerLayerBridge.h"
#include "menubar/SparklineVisualizer.h"
#include "menubar/TagSpec.h"
#include "platform/style/Appearance.h"
#include "stats/Color.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace gaugelet;

namespace {

double channel(double c)
{
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& c)
{
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

// The ratio of a colour, blended by its opacity over the background, to that background.
double contrast(const QColor& foreground, const QColor& background)
{
    const double a = foreground.alphaF();
    const QColor blended = QColor::fromRgbF(float(foreground.redF() * a + background.redF() * (1 - a)),
                                            float(foreground.greenF() * a + background.greenF() * (1 - a)),
                                            float(foreground.blueF() * a + background.blueF() * (1 - a)));
    const double l1 = luminance(blended);
    const double l2 = luminance(background);
    return (std::max(l1, l2) + 0.05) / (std::min(l1, l2) + 0.05);
}

} // namespace

TEST(TileContrast, DefaultColoursReadOnDarkAndLightPanels)
{
    for (bool dark : {true, false}) {
        const Theme theme = dark ? Theme::dark : Theme::light;
        const QColor panel = Appearance::assumedPanelBackground(dark);
        QColor badge = NumberLabelVisualizer::textColor(theme);
        badge.setAlphaF(badge.alphaF() * 0.8f);
        const auto tagDefault = Color::fromHex(MenubarController::defaultTagForeground(TagSpec{}, dark));
        ASSERT_TRUE(tagDefault.has_value());
        const struct {
            const char* what;
            QColor colour;
            double minimum;
        } cases[] = {
            {"number value", NumberLabelVisualizer::textColor(theme), 4.5},
            {"number badge", badge, 4.5},
            {"sparkline line", SparklineVisualizer::lineColor(theme), 4.5},
            {"pie arc, low load", PieVisualizer::loadColor(0.3, theme), 4.5},
            {"pie arc, high load", PieVisualizer::loadColor(0.7, theme), 4.5},
            {"pie arc, full load", PieVisualizer::loadColor(0.9, theme), 4.5},
            {"pie track", PieVisualizer::trackColor(theme), 3.0},
            {"tag and value labels", *tagDefault, 4.5},
            {"+N chip", RunnerLayerBridge::chipColor(dark), 4.5},
        };
        for (const auto& c : cases) {
            EXPECT_GE(contrast(c.colour, panel), c.minimum)
                << c.what << " on a " << (dark ? "dark" : "light") << " panel: " << c.colour.name(QColor::HexArgb).toStdString();
        }
    }
}

TEST(TileContrast, TheRatioFollowsTheWcagFormula)
{
    EXPECT_NEAR(contrast(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_NEAR(contrast(Qt::white, Qt::white), 1.0, 1e-9);
    // The old pie green on a light panel: the reason its shade changed.
    EXPECT_LT(contrast(QColor(0x34, 0xC7, 0x59), Appearance::assumedPanelBackground(false)), 2.0);
}
