#include "views/TextLook.h"

#include <QFontDatabase>
#include <QLabel>
#include <QWidget>
#include <gtest/gtest.h>

namespace gaugelet {
namespace {

TEST(TextLook, NamesTakeTheirWeightAndIdentifiersTheFixedFaceAtTheirStylesSize)
{
    QWidget parent;
    QLabel* name = TextLook::weightedLabel(QStringLiteral("<b>Fox</b>"), DesignStyle::TextStyle::callout, QFont::Medium,
                                           DesignStyle::Colour::primary, &parent);
    EXPECT_EQ(name->textFormat(), Qt::PlainText) << "a name from data is never markup";
    EXPECT_EQ(name->font().weight(), QFont::Medium);
    EXPECT_EQ(name->font().pointSizeF(), DesignStyle::font(DesignStyle::TextStyle::callout).pointSizeF());

    QLabel* id = TextLook::identifier(QStringLiteral("viz.runner.fox"), &parent);
    EXPECT_EQ(id->textFormat(), Qt::PlainText);
    EXPECT_EQ(id->font().family(), QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    EXPECT_EQ(id->font().pointSizeF(), DesignStyle::font(DesignStyle::TextStyle::caption2).pointSizeF());
    EXPECT_EQ(id->palette().color(QPalette::WindowText), DesignStyle::colour(DesignStyle::Colour::tertiary, &parent));
}

} // namespace
} // namespace gaugelet
