#include "views/GroupedSection.h"

#include "views/Spacing.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace gaugelet {
namespace {

TEST(GroupedSection, HeaderAbovePanelWithRowsInOrder)
{
    GroupedSection section(QStringLiteral("<b>Data</b>"));
    auto* one = new QLabel(QStringLiteral("one"));
    auto* two = new QLabel(QStringLiteral("two"));
    section.addRow(one);
    section.addRow(two);
    section.resize(300, 200);
    section.show();
    QApplication::processEvents();

    EXPECT_EQ(section.headerLabel()->textFormat(), Qt::PlainText) << "a header from data is never markup";
    EXPECT_TRUE(section.headerLabel()->isVisible());
    EXPECT_EQ(one->parentWidget(), section.panel());
    EXPECT_EQ(section.rows(), (QList<QWidget*>{one, two}));
    EXPECT_LT(section.headerLabel()->geometry().bottom(), section.panel()->geometry().top());
    EXPECT_LT(one->geometry().bottom(), two->geometry().top());
    // The rows sit inside the panel's padding.
    EXPECT_GE(one->geometry().left(), Spacing::px(Spacing::Step::l));
    EXPECT_GE(one->geometry().top(), Spacing::px(Spacing::Step::m));

    section.setHeader({});
    EXPECT_FALSE(section.headerLabel()->isVisible()) << "no header, no header line";
}

TEST(GroupedSection, SeparatedRowsHaveAHairlineBetweenThemCompactOnesDoNot)
{
    for (const auto style : {GroupedSection::Rows::separated, GroupedSection::Rows::compact}) {
        QWidget window;
        auto* column = new QVBoxLayout(&window);
        auto* section = new GroupedSection({}, &window, style);
        column->addWidget(section);
        auto* one = new QLabel(QStringLiteral("one"));
        auto* two = new QLabel(QStringLiteral("two"));
        section->addRow(one);
        section->addRow(two);
        window.resize(300, 200);
        window.show();
        QApplication::processEvents();

        const int gap = two->geometry().top() - one->geometry().bottom() - 1;
        const QImage image = section->panel()->grab().toImage();
        // Look for a line of the separator colour across the gap between the rows.
        const int x = section->panel()->width() / 2;
        const QColor fill = image.pixelColor(x, one->geometry().top() - 2);
        bool line = false;
        for (int y = one->geometry().bottom() + 1; y < two->geometry().top(); ++y)
            line = line || image.pixelColor(x, y) != fill;
        if (style == GroupedSection::Rows::separated) {
            EXPECT_EQ(gap, 2 * Spacing::px(Spacing::Step::m) + 1);
            EXPECT_TRUE(line);
        } else {
            EXPECT_EQ(gap, Spacing::px(Spacing::Step::m));
            EXPECT_FALSE(line);
        }
    }
}

TEST(GroupedSection, SetRowsReordersWithoutRebuildingAndHidesRowsLeftOut)
{
    GroupedSection section;
    auto* a = new QLabel(QStringLiteral("a"));
    auto* b = new QLabel(QStringLiteral("b"));
    auto* c = new QLabel(QStringLiteral("c"));
    section.setRows({a, b, c});
    section.show();
    section.setRows({c, a});
    QApplication::processEvents();
    EXPECT_EQ(section.rows(), (QList<QWidget*>{c, a}));
    EXPECT_LT(c->geometry().top(), a->geometry().top());
    EXPECT_TRUE(b->isHidden());
    EXPECT_EQ(b->parentWidget(), section.panel()) << "a row left out is the owner's to delete";
}

TEST(Spacing, StepsGrowWithTheApplicationFontAndNeverShrink)
{
    const QFont original = QApplication::font();
    QFont small = original;
    small.setPointSizeF(8);
    QApplication::setFont(small);
    EXPECT_EQ(Spacing::px(Spacing::Step::m), 8);
    EXPECT_EQ(Spacing::px(Spacing::Step::hairline), 1);
    QFont large = original;
    large.setPointSizeF(22);
    QApplication::setFont(large);
    EXPECT_EQ(Spacing::px(Spacing::Step::m), 16);
    EXPECT_EQ(Spacing::px(Spacing::Step::xxxl), 40);
    EXPECT_EQ(Spacing::px(Spacing::Step::hairline), 1) << "a hairline stays one pixel";
    QApplication::setFont(original);
}

} // namespace
} // namespace gaugelet
