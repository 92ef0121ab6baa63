#include "menubar/TileView.h"

#include "MenubarTestSupport.h"
#include "menubar/NumberLabelVisualizer.h"
#include "menubar/PieVisualizer.h"
#include "menubar/SparklineVisualizer.h"
#include "schema/SettingsSchema.h"
#include "support/TestSupport.h"

#include <QPainter>
#include <gtest/gtest.h>
#include <limits>

using namespace gaugelet;

namespace {

class Box : public TileView {
public:
    explicit Box(QSizeF size)
        : m_size(size)
    {
    }
    QSizeF size() const override { return m_size; }
    void paint(QPainter& painter) const override { painter.fillRect(QRectF(2, 2, 4, 4), Qt::blue); }

private:
    QSizeF m_size;
};

StatSnapshot snapshot(const QString& provider, double value, const QString& label, const QString& badge, int second)
{
    StatSnapshot s;
    s.providerId = provider;
    s.value = value;
    s.label = label;
    s.badgeText = badge;
    s.asOf = QDateTime::fromSecsSinceEpoch(1'800'000'000 + second, Qt::UTC);
    return s;
}

} // namespace

TEST(TileViewRender, ImageIsTransparentAtTheScaleWithPointCoordinates)
{
    const QImage image = Box({ 10.5, 8 }).render(2);
    ASSERT_EQ(image.size(), QSize(21, 16));
    EXPECT_EQ(image.devicePixelRatio(), 2);
    EXPECT_EQ(image.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(test::pixelAt(image, 0, 0).alpha(), 0);
    EXPECT_EQ(test::pixelAt(image, 5, 5), QColor(Qt::blue)); // (2.5, 2.5) pt
    EXPECT_EQ(test::pixelAt(image, 13, 13).alpha(), 0);      // (6.5, 6.5) pt
    EXPECT_EQ(Box({ 3, 3 }).render(1.5).size(), QSize(5, 5));
}

TEST(TileViewRender, UnusableScaleOrSizeGivesNullImage)
{
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    EXPECT_TRUE(Box({ 10, 10 }).render(0).isNull());
    EXPECT_TRUE(Box({ 10, 10 }).render(-1).isNull());
    EXPECT_TRUE(Box({ 10, 10 }).render(nan).isNull());
    EXPECT_TRUE(Box({ 0, 10 }).render(2).isNull());
    EXPECT_TRUE(Box({ nan, 10 }).render(2).isNull());
    EXPECT_TRUE(Box({ 10, inf }).render(2).isNull());
    EXPECT_TRUE(Box({ 1e6, 1e6 }).render(2).isNull());
    EXPECT_FALSE(Box({ 2048, 10 }).render(2).isNull());
    // The bound is exact on either side: 4,096 pixels pass, one more does not.
    EXPECT_EQ(Box({ 4096, 10 }).render(1).size(), QSize(4096, 10));
    EXPECT_EQ(Box({ 10, 2048 }).render(2).size(), QSize(20, 4096));
    EXPECT_TRUE(Box({ 4097, 10 }).render(1).isNull());
    EXPECT_TRUE(Box({ 10, 2048.25 }).render(2).isNull()); // 4096.5 rounds up to 4097
    EXPECT_TRUE(Box({ 4096.01, 4096.01 }).render(1).isNull());
}

// Every static visualizer at 1× and 2×, light and dark, each alone (for the
// geometry) and on a strip of the bar's colour (for a person's eye), under
// <build>/tiles.
TEST(TileViewRender, WritesTileImagesForALook)
{
    test::ScopedDefaults defaults;
    NumberLabelVisualizer number;
    PieVisualizer pie;
    SparklineVisualizer sparkline("viz.sparkline", "Sparkline");

    StatSnapshot net = snapshot("net.total", 0.1, "1.2M", "NET", 0);
    net.breakdown = { { "down", "Down", 1.2e6, QString("1.2M") }, { "up", "Up", 8.1e4, QString("81K") } };

    std::vector<std::pair<QString, std::unique_ptr<TileView>>> tiles;
    for (Theme theme : { Theme::light, Theme::dark }) {
        const QString t = rawValue(theme);
        tiles.emplace_back("number-cpu-" + t, number.makeView(snapshot("cpu.total", 0.42, "42%", "CPU", 0), theme));
        tiles.emplace_back("number-net-" + t, number.makeView(net, theme));
        defaults->set(SettingsSchema::statBgEnabled, true);
        tiles.emplace_back("number-pill-" + t, number.makeView(snapshot("gpu.total", 0.07, "7%", "GPU", 0), theme));
        defaults->remove(SettingsSchema::statBgEnabled);
        for (double v : { 0.3, 0.7, 0.95 })
            tiles.emplace_back(QString("pie-%1-").arg(int(v * 100)) + t,
                               pie.makeView(snapshot(QString("p%1").arg(v), v, "", "", 0), theme));
        for (int i = 0; i < 48; ++i)
            sparkline.renderKey(snapshot("cpu.total", 0.5 + 0.4 * std::sin(i / 5.0) * (i % 7 == 0 ? 0.4 : 1.0), "", "", i));
        tiles.emplace_back("sparkline-" + t, sparkline.makeView(snapshot("cpu.total", 0, "", "", 47), theme));
    }

    for (qreal scale : { 1.0, 2.0 }) {
        for (Theme theme : { Theme::light, Theme::dark }) {
            const QColor bar = theme == Theme::dark ? QColor(0x2B, 0x2B, 0x2E) : QColor(0xEC, 0xEC, 0xEC);
            QImage strip(int(400 * scale), int(22 * scale), QImage::Format_ARGB32_Premultiplied);
            strip.setDevicePixelRatio(scale);
            strip.fill(bar);
            QPainter painter(&strip);
            double x = 4;
            for (const auto& [name, view] : tiles) {
                if (!name.endsWith(rawValue(theme)))
                    continue;
                const QImage image = view->render(scale);
                ASSERT_FALSE(image.isNull()) << name.toStdString();
                ASSERT_TRUE(image.save(test::tileImagePath(QString("%1@%2x").arg(name).arg(int(scale)))));
                const QSizeF size = view->size();
                painter.drawImage(QPointF(x, (22 - size.height()) / 2), image);
                x += size.width() + 6;
            }
            painter.end();
            const QString name = QString("strip-%1@%2x").arg(rawValue(theme)).arg(int(scale));
            ASSERT_TRUE(strip.save(test::tileImagePath(name)));
            // Pixel for pixel, four times larger, to judge the small sizes.
            const QImage zoomed = strip.scaled(strip.size() * 4, Qt::IgnoreAspectRatio, Qt::FastTransformation);
            ASSERT_TRUE(zoomed.save(test::tileImagePath(name + "-zoom4")));
        }
    }
}
