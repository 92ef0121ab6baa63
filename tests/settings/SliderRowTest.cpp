#include "settings/shared/SliderRow.h"

#include "support/TestSupport.h"

#include <QLabel>
#include <QSlider>
#include <gtest/gtest.h>

using namespace gaugelet;

TEST(SliderRow, ShowingAValueNeverReportsItNorMovesASliderBeingDragged)
{
    SliderRow row(QStringLiteral("<i>Size</i>"), -10, 10, [](int v) -> QString { return QString::number(v) + "pt"; });
    EXPECT_EQ(row.titleLabel()->textFormat(), Qt::PlainText);
    EXPECT_EQ(row.slider()->minimum(), -10);
    EXPECT_EQ(row.slider()->maximum(), 10);
    int reports = 0;
    QObject::connect(row.slider(), &QSlider::valueChanged, [&reports] { ++reports; });

    row.showValue(4, QStringLiteral("4pt"));
    EXPECT_EQ(row.slider()->value(), 4);
    EXPECT_EQ(row.valueLabel()->text(), QStringLiteral("4pt"));

    row.slider()->setSliderDown(true);
    row.showValue(-3, QStringLiteral("-3pt"));
    EXPECT_EQ(row.slider()->value(), 4) << "the user's drag wins";
    EXPECT_EQ(row.valueLabel()->text(), QStringLiteral("-3pt"));
    EXPECT_EQ(reports, 0);
}

// At a large font, taken while the figure shows, the figure is as wide
// as the widest text of the slider's positions, or the text it shows,
// measured again when the range changes.
TEST(SliderRow, TheFigureIsAsWideAsItsWidestText)
{
    test::ScopedAppFont small(8);
    SliderRow row(QString(), -9, 1000, [](int v) -> QString { return QString::number(v) + "pt"; });
    QLabel* label = row.valueLabel();
    const qreal built = label->font().pointSizeF();
    row.show();
    test::ScopedAppFont large(18);
    ASSERT_TRUE(test::waitUntil([&] { return label->font().pointSizeF() > built; }));
    const auto fits = [&](const QString& text) {
        return label->sizeHint().width() >= label->fontMetrics().horizontalAdvance(text);
    };
    EXPECT_TRUE(fits("1000pt"));
    row.slider()->setRange(-9, 10000);
    EXPECT_TRUE(fits("10000pt"));
    label->setText("123456789pt");
    EXPECT_TRUE(fits("123456789pt"));
}
