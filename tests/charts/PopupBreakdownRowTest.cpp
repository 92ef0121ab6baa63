#include "charts/PopupBreakdownRow.h"
#include "charts/PopupLegendItem.h"
#include "views/ToolTip.h"

#include <QLabel>
#include <gtest/gtest.h>

using namespace gaugelet;

TEST(PopupBreakdownRow, NameAtTheLeftEdgeValueAtTheRight)
{
    PopupBreakdownRow row(QStringLiteral("Interface"), QStringLiteral("Wi-Fi · wlan0"), std::nullopt, 13);
    row.resize(300, row.sizeHint().height());
    row.show();
    EXPECT_EQ(row.labelWidget()->geometry().left(), 0);
    EXPECT_EQ(row.valueWidget()->geometry().right(), 299);
    EXPECT_FALSE(row.dot().has_value());
    EXPECT_EQ(row.labelWidget()->textFormat(), Qt::PlainText);

    row.setDot(QColor(255, 0, 0));
    row.setValue(QStringLiteral("<b>1</b>"));
    EXPECT_EQ(row.dot(), QColor(255, 0, 0));
    EXPECT_EQ(row.value(), "<b>1</b>");
    EXPECT_EQ(row.valueWidget()->textFormat(), Qt::PlainText);
}

TEST(PopupBreakdownRow, FontSizeFollowsTheField)
{
    PopupBreakdownRow small(QStringLiteral("A"), QStringLiteral("1"), std::nullopt, 9);
    PopupBreakdownRow large(QStringLiteral("A"), QStringLiteral("1"), std::nullopt, 16);
    EXPECT_LT(small.labelWidget()->font().pointSizeF(), large.labelWidget()->font().pointSizeF());
    EXPECT_NEAR(large.labelWidget()->font().pointSizeF() / small.labelWidget()->font().pointSizeF(), 16.0 / 9.0,
                0.01);
    small.setFontSize(16);
    EXPECT_EQ(small.labelWidget()->font().pointSizeF(), large.labelWidget()->font().pointSizeF());
}

TEST(ToolTip, EscapesAndKeepsLineBreaks)
{
    EXPECT_EQ(ToolTip::fromPlainText(QStringLiteral("a <b>\nc")), "<qt>a &lt;b&gt;<br>c</qt>");
    EXPECT_TRUE(ToolTip::fromPlainText(QString()).isEmpty());
}

TEST(PopupFigureLine, TextsFollowThePalette)
{
    PopupBreakdownRow row(QStringLiteral("Interface"), QStringLiteral("1"), std::nullopt, 13);
    PopupLegendItem legend(QStringLiteral("User"), QColor(255, 0, 0), QStringLiteral("2"));
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x26, 0x26, 0x28));
    dark.setColor(QPalette::WindowText, QColor(0xEC, 0xEC, 0xEC));
    const auto text = [](const QLabel* label) { return label->palette().color(QPalette::WindowText); };
    const QLabel* legendLabel = legend.findChildren<QLabel*>().at(0);
    for (const QPalette& palette : {dark, QPalette()}) {
        row.setPalette(palette);
        legend.setPalette(palette);
        EXPECT_EQ(text(row.labelWidget()), DesignStyle::colour(DesignStyle::Colour::primary, palette));
        EXPECT_EQ(text(row.valueWidget()), DesignStyle::colour(DesignStyle::Colour::secondary, palette));
        EXPECT_EQ(text(legendLabel), DesignStyle::colour(DesignStyle::Colour::secondary, palette));
    }
    EXPECT_EQ(legendLabel->text(), "User");
}
