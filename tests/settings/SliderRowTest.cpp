#include "settings/shared/SliderRow.h"

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
