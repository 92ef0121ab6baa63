// Renders the popover offscreen into build/screenshots/ for a person to look
// at: one and two columns, light and dark, with a firing alarm and an update.
#include "popover/StatsPopover.h"

#include "PopoverFixture.h"
#include "popover/FiringAlarmsRow.h"
#include "popover/PopoverFooter.h"
#include "schema/SettingsSchema.h"

#include <QApplication>
#include <QPainter>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;
using namespace gaugelet::test::popover;

namespace {

struct Shot {
    const char* name;
    bool dark;
    TwoColumnMode mode;
    bool firing;
    bool update;
};

QImage render(QWidget& widget)
{
    // Lay out as a shown window would: twice, with the posted layout requests between.
    for (int pass = 0; pass < 2; ++pass) {
        widget.adjustSize();
        widget.resize(widget.width(), widget.heightForWidth(widget.width()));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::processEvents();
    }
    const QSize size(widget.width(), widget.hasHeightForWidth() ? widget.heightForWidth(widget.width())
                                                                 : widget.sizeHint().height());
    widget.resize(size);
    QImage image(size * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2.0);
    image.fill(widget.palette().color(QPalette::Window));
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    QPainter p(&image);
    QColor border = widget.palette().color(QPalette::WindowText);
    border.setAlphaF(0.25f);
    p.setPen(border);
    p.drawRect(QRect(QPoint(0, 0), size).adjusted(0, 0, -1, -1));
    return image;
}

} // namespace

TEST(PopoverScreenshot, OneAndTwoColumnsLightAndDarkFiringAndUpdate)
{
    const Shot shots[] = {
        {"popover-two-columns-light", false, TwoColumnMode::automatic, false, false},
        {"popover-two-columns-dark", true, TwoColumnMode::automatic, false, false},
        {"popover-one-column-light", false, TwoColumnMode::alwaysOne, false, false},
        {"popover-one-column-dark", true, TwoColumnMode::alwaysOne, false, false},
        {"popover-firing-dark", true, TwoColumnMode::automatic, true, false},
        {"popover-firing-update-light", false, TwoColumnMode::alwaysOne, true, true},
    };
    for (const int points : {10, 11}) {
        ScopedAppFont font(points);
        for (const Shot& shot : shots) {
            SCOPED_TRACE(shot.name);
            usePalette(shot.dark);
            PopoverWorld world;
            world.defaults->set(SettingsSchema::popupTwoColumn, rawValue(shot.mode));
            world.pins->setPins({Pin{QStringLiteral("cpu.total"), QStringLiteral("viz.runner.fox")},
                                 Pin{QStringLiteral("memory.total"), QStringLiteral("viz.sparkline")}});
            world.providers[0]->value = 0.42;
            world.providers[1]->value = 0.07;
            world.providers[2]->value = 0.63;
            world.providers[3]->value = 1.234;
            world.publish();
            if (shot.firing) {
                world.fire({alarmOn(QStringLiteral("cpu.total"), 0.8, Alarm::Direction::above),
                            alarmOn(QStringLiteral("memory.total"), 0.125, Alarm::Direction::below, 60)},
                           {{QStringLiteral("cpu.total"), 0.93}, {QStringLiteral("memory.total"), 0.05}});
            }
            if (shot.update) {
                world.updater->setLatestVersion(QStringLiteral("1.4.2"));
                world.updater->setHasUpdateAvailable(true);
            }
            StatsPopover popover(world.env(), {}, [] {
                ScreenFacts facts;
                facts.frame = QRectF(0, 0, 1440, 900);
                facts.visibleFrame = QRectF(0, 0, 1440, 900);
                return std::optional<ScreenFacts>(facts);
            });
            const QImage image = render(popover);
            ASSERT_FALSE(image.isNull());
            EXPECT_EQ(image.width(), (shot.mode == TwoColumnMode::alwaysOne ? 380 : 740) * 2);
            EXPECT_EQ(popover.firingRow() != nullptr, shot.firing);
            EXPECT_EQ(popover.footer()->isUpdateBadgeShown(), shot.update);
            EXPECT_TRUE(image.save(screenshotPath(QStringLiteral("%1-%2pt").arg(QString::fromLatin1(shot.name)).arg(points))));
        }
    }
    usePalette(false);
}
