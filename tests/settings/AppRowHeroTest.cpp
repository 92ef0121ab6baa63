#include "settings/setup/AppRowHero.h"

#include <QImage>
#include <gtest/gtest.h>
#include <memory>

namespace gaugelet {
namespace {

// The two illustrations are one row drawn with different parts: the login
// item ends in a switch turned on (green), the notification in its time stamp.
TEST(AppRowHero, EachIllustrationEndsInItsOwnAccessory)
{
    const QColor green = DesignStyle::colour(DesignStyle::Colour::green, HeroBackdrop::lightPalette());
    const struct {
        std::unique_ptr<AppRowHero> hero;
        const char* name;
        bool switchedOn;
    } cases[] = {
        {std::unique_ptr<AppRowHero>(AppRowHero::loginItem()), "LoginItemHero", true},
        {std::unique_ptr<AppRowHero>(AppRowHero::notification()), "NotificationsHero", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.hero->objectName(), c.name);
        c.hero->resize(420, 160);
        const QImage image = c.hero->grab().toImage();
        int greenPixels = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor p = image.pixelColor(x, y);
                greenPixels += std::abs(p.red() - green.red()) < 8 && std::abs(p.green() - green.green()) < 8
                               && std::abs(p.blue() - green.blue()) < 8;
            }
        }
        // The switch's track is 34 × 20 points, most of it green.
        EXPECT_EQ(greenPixels > 300, c.switchedOn) << greenPixels;
    }
}

} // namespace
} // namespace gaugelet
