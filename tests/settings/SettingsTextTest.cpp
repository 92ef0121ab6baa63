#include "settings/shared/SettingsText.h"
#include "views/TextLabel.h"
#include "views/ToolTip.h"

#include <QLabel>
#include <QTextDocument>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace gaugelet;

TEST(SettingsText, WholeNumbersNeverConvertOutOfRange)
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(SettingsText::wholeNumber(-3.9, -10, 10, 0), -3);
    EXPECT_EQ(SettingsText::wholeNumber(13.99, 9, 16, 13), 13);
    EXPECT_EQ(SettingsText::wholeNumber(1e15, 9, 16, 13), 1'000'000'000'000'000);
    EXPECT_EQ(SettingsText::wholeNumber(9.3e18, 9, 16, 13), 16);
    EXPECT_EQ(SettingsText::wholeNumber(-9.3e18, 9, 16, 13), 9);
    EXPECT_EQ(SettingsText::wholeNumber(std::numeric_limits<double>::max(), -10, 10, 0), 10);
    EXPECT_EQ(SettingsText::wholeNumber(inf, -10, 10, 0), 10);
    EXPECT_EQ(SettingsText::wholeNumber(-inf, -10, 10, 0), -10);
    EXPECT_EQ(SettingsText::wholeNumber(nan, 9, 16, 13), 13);
    EXPECT_EQ(SettingsText::sliderPosition(12.5, 9, 16, 13), 13);
    EXPECT_EQ(SettingsText::sliderPosition(1e300, 9, 16, 13), 16);
    EXPECT_EQ(SettingsText::sliderPosition(-inf, 9, 16, 13), 9);
    EXPECT_EQ(SettingsText::sliderPosition(nan, 9, 16, 13), 13);
    EXPECT_EQ(SettingsText::pointsText(-3.9, -10, 10, 0), QStringLiteral("-4pt"));
    EXPECT_EQ(SettingsText::pointsText(inf, -10, 10, 0), QStringLiteral("10pt"));
    EXPECT_EQ(SettingsText::pointsText(nan, 9, 16, 13), QStringLiteral("13pt"));
}

TEST(SettingsText, ASliderFigureReadsAsItsKnobStands)
{
    // A stored value between whole points (a restored backup): the figure is
    // the knob's position, so no two positions read alike.
    for (const double value : {12.4, 12.5, 12.6, 9.2, 15.7, -3.9, -3.5, -0.4, 2.6}) {
        const int knob = SettingsText::sliderPosition(value, -10, 16, 0);
        EXPECT_EQ(SettingsText::pointsText(value, -10, 16, 0), QString::number(knob) + "pt") << value;
    }
}

TEST(SettingsText, ComparesByCodePoint)
{
    const QString wide = QString::fromUcs4(U"\uFF21");
    const QString bold = QString::fromUcs4(U"\U0001D400");
    EXPECT_GT(QString::compare(wide, bold), 0) << "UTF-16 units put the surrogate pair first";
    EXPECT_LT(SettingsText::compareCodePoints(wide, bold), 0);
    EXPECT_LT(SettingsText::compareCodePoints(QStringLiteral("Z"), QStringLiteral("a")), 0);
    EXPECT_LT(SettingsText::compareCodePoints(QStringLiteral("ab"), QStringLiteral("abc")), 0);
    EXPECT_EQ(SettingsText::compareCodePoints(QStringLiteral("same"), QStringLiteral("same")), 0);
}

TEST(SettingsText, DataTextsStayPlain)
{
    // Every tooltip reads back as the text it was given, markup-like or not.
    for (const QString& text : {QStringLiteral("Tom & Jerry"), QStringLiteral("<b>Cat</b>")}) {
        QTextDocument doc;
        doc.setHtml(ToolTip::fromPlainText(text));
        EXPECT_EQ(doc.toPlainText(), text);
    }
    QLabel* label = TextLabel::make(QStringLiteral("<i>x</i>"), DesignStyle::TextStyle::body,
                                    DesignStyle::Colour::primary, nullptr);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    delete label;
    QLabel* caption = TextLabel::caption(QStringLiteral("In **Stats**"), nullptr, true);
    EXPECT_EQ(caption->textFormat(), Qt::MarkdownText);
    delete caption;
}
