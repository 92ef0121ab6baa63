#include "stats/views/GPUDetailBody.h"
#include "DetailViewFixture.h"
#include "charts/PopupBars.h"
#include "charts/PopupLegendItem.h"
#include "schema/SettingsSchema.h"

#include <gtest/gtest.h>

using namespace gaugelet;
using test::series;

TEST(GPUDetailBody, BarsAndLegendFromDeviceAndRenderer)
{
    test::DetailViewFixture f;
    const QString gpu = QStringLiteral("gpu.total");
    f.record(test::DetailViewFixture::snapshot(gpu, {series("device", 40), series("renderer", 20)}));
    f.record(test::DetailViewFixture::snapshot(gpu, {series("device", 60)})); // renderer missing: 0
    const StatSnapshot s =
        f.record(test::DetailViewFixture::snapshot(gpu, {series("device", 37.26), series("renderer", 12.5)}));
    f.defaults->set(SettingsSchema::smoothCharts, false);
    GPUDetailBody body(s, f.env);
    const auto& in = body.bars()->input();
    ASSERT_EQ(in.buckets.size(), 3);
    EXPECT_EQ(in.buckets[0], (QList<double>{0.4, 0.2}));
    EXPECT_EQ(in.buckets[1], (QList<double>{0.6, 0.0}));
    EXPECT_EQ(in.tints, (QList<QColor>{f.theme.palette().accent3, f.theme.palette().accent4}));
    EXPECT_FALSE(in.flowing);
    EXPECT_EQ(body.deviceLegend()->figure(), "37.3%");
    EXPECT_EQ(body.rendererLegend()->figure(), "12.5%");
    EXPECT_EQ(body.deviceLegend()->label(), "Device");
    EXPECT_EQ(body.rendererLegend()->label(), "Renderer");
}
