#include "store/views/StoreBadge.h"

#include "platform/style/DesignStyle.h"

#include <QApplication>
#include <QImage>
#include <gtest/gtest.h>

namespace gaugelet {
namespace {

bool near(const QColor& a, const QColor& b)
{
    return a.alphaF() > 0.9 && std::abs(a.redF() - b.redF()) < 0.05 && std::abs(a.greenF() - b.greenF()) < 0.05
           && std::abs(a.blueF() - b.blueF()) < 0.05;
}

// Each kind has its own text and look: "NEW" white on a filled capsule of the
// accent colour, "18+ NSFW" in its colour inside an outline, over nothing.
TEST(StoreBadge, EachKindShowsItsTextInItsOwnLook)
{
    const QColor accent = DesignStyle::colour(DesignStyle::Colour::accent, QApplication::palette());
    const struct {
        StoreBadge::Kind kind;
        const char* text;
        const char* accessibleName;
        QColor ink;
        bool filled;
    } cases[] = {
        {StoreBadge::Kind::newItem, "NEW", "NEW", accent, true},
        {StoreBadge::Kind::adultContent, "18+ NSFW", "Contains adult content, 18 plus",
         StoreBadge::adultContentColour(), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        StoreBadge badge(c.kind);
        EXPECT_EQ(badge.text(), c.text);
        EXPECT_EQ(badge.accessibleName(), c.accessibleName);
        const QSize hint = badge.sizeHint();
        EXPECT_GT(hint.width(), QFontMetrics(badge.font()).horizontalAdvance(badge.text()));
        EXPECT_GT(hint.height(), QFontMetrics(badge.font()).height());
        badge.resize(hint);
        QImage image(hint, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        badge.render(&image, {}, {}, QWidget::DrawChildren);
        bool inked = false;
        bool white = false;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                inked = inked || near(image.pixelColor(x, y), c.ink);
                white = white || near(image.pixelColor(x, y), Qt::white);
            }
        }
        EXPECT_TRUE(inked);
        EXPECT_EQ(white, c.filled) << "white text on the filled capsule only";
        // Inside the leading padding: the capsule's fill, or nothing within the outline.
        const QColor inside = image.pixelColor(3, hint.height() / 2);
        EXPECT_EQ(near(inside, c.ink), c.filled) << inside.name(QColor::HexArgb).toStdString();
        EXPECT_EQ(inside.alpha() == 0, !c.filled);
    }
}

} // namespace
} // namespace gaugelet
