#include "stats/views/MemoryDetailBody.h"
#include "DetailViewFixture.h"
#include "charts/MiniSwitch.h"
#include "charts/PopupBreakdownRow.h"
#include "charts/PopupDonut.h"
#include "charts/PopupDot.h"
#include "platform/style/DesignStyle.h"
#include "schema/SettingsSchema.h"
#include "stats/MemoryExtras.h"
#include "stats/MemoryProvider.h"
#include "stats/views/InfoButton.h"
#include "stats/views/MemoryDetailBody.h"
#include "stats/views/StatProviderViews.h"

#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <gtest/gtest.h>

using namespace gaugelet;

namespace {
const QString mem = QStringLiteral("memory.total");
constexpr uint64_t GiB = 1024ull * 1024 * 1024;

MemoryExtras figures(MemoryPressureLevel pressure = MemoryPressureLevel::normal)
{
    MemoryExtras e;
    e.appBytes = 4 * GiB;
    e.wiredBytes = 2 * GiB;
    e.compressedBytes = 1 * GiB;
    e.cachedBytes = 5 * GiB;
    e.swapUsedBytes = GiB / 4;
    e.totalBytes = 16 * GiB;
    e.pressure = pressure;
    return e;
}

StatSnapshot memSnapshot(std::optional<MemoryExtras> extras, const QString& label = QStringLiteral("44%"))
{
    QHash<QString, std::any> x;
    if (extras)
        x.insert(MemoryExtras::key, *extras);
    return test::DetailViewFixture::snapshot(mem, {}, x, label);
}
} // namespace

TEST(MemoryDetailBody, CachedSwitchOffFoldsCachedIntoFree)
{
    test::DetailViewFixture f;
    const StatSnapshot s = f.record(memSnapshot(figures(MemoryPressureLevel::warning)));
    MemoryProvider provider;
    std::unique_ptr<QWidget> widget(StatProviderViews::detailView(provider, s, f.env, nullptr));
    auto* body = qobject_cast<MemoryDetailBody*>(widget.get());
    ASSERT_NE(body, nullptr);
    const Palette& p = f.theme.palette();
    const auto& donut = body->donut()->input();
    EXPECT_EQ(donut.centerLabel, "44%"); // (4 + 2 + 1) / 16
    EXPECT_EQ(donut.centerCaption, "Memory");
    EXPECT_EQ(donut.size, 100);
    EXPECT_EQ(donut.innerRatio, 0.65);
    EXPECT_EQ(donut.inset, 1);
    EXPECT_EQ(donut.segments, (QList<double>{2.0 * GiB, 1.0 * GiB, 4.0 * GiB, 0, 9.0 * GiB}));
    ASSERT_EQ(donut.tints.size(), 5);
    EXPECT_EQ(donut.tints[0], p.accent6);
    EXPECT_EQ(donut.tints[1].rgb(), p.accent5.rgb());
    EXPECT_NEAR(donut.tints[1].alphaF(), 0.55, 0.01);
    EXPECT_EQ(donut.tints[2], p.accent5);
    EXPECT_EQ(donut.tints[3], p.accent4);
    EXPECT_EQ(donut.tints[4], p.dim);
    EXPECT_EQ(body->row("App")->value(), "4.00 GB");
    EXPECT_EQ(body->row("Cached")->value(), "5.00 GB");
    EXPECT_EQ(body->row("Swap")->value(), "0.25 GB");
    EXPECT_EQ(body->row("Free")->value(), "9.00 GB"); // free 4 + cached 5
    EXPECT_EQ(body->row("Total")->value(), "16.00 GB");
    EXPECT_FALSE(body->row("Swap")->dot().has_value());
    EXPECT_FALSE(body->row("Total")->dot().has_value());
    auto* freeInfo = qobject_cast<InfoButton*>(body->row("Free")->trailing());
    ASSERT_NE(freeInfo, nullptr);
    EXPECT_EQ(freeInfo->tooltipText(), MemoryDetailBody::freeHelp());
    EXPECT_NEAR(body->cachedRowOpacity()->opacity(), 0.45, 1e-9);
    EXPECT_EQ(body->pressureLabel()->text(), "Pressure: Warning");
    EXPECT_EQ(body->pressureDot()->colour(), DesignStyle::colour(DesignStyle::Colour::yellow, body));
    EXPECT_FALSE(body->row("Cached")->toolTip().isEmpty());
}

TEST(MemoryDetailBody, TheSwitchWritesTheSettingBeforeItsState)
{
    test::DetailViewFixture f;
    const StatSnapshot s = f.record(memSnapshot(figures()));
    MemoryDetailBody body(s, f.env);
    body.show();
    EXPECT_FALSE(body.showCached());
    EXPECT_FALSE(f.defaults->hasUserValue(SettingsSchema::memoryShowCached)); // opening writes nothing
    std::optional<bool> stateWhenWritten;
    QObject::connect(f.defaults.get(), &Defaults::changed, &body, [&](const QString& key) {
        if (key == SettingsSchema::memoryShowCached)
            stateWhenWritten = body.showCached();
    });
    body.cachedSwitch()->click();
    ASSERT_TRUE(stateWhenWritten.has_value());
    EXPECT_FALSE(*stateWhenWritten); // stored first, state after
    EXPECT_TRUE(body.showCached());
    EXPECT_EQ(f.defaults->boolean(SettingsSchema::memoryShowCached), true);
    // On: cached is its own wedge and counts in the centre; Free leaves it out.
    EXPECT_EQ(body.donut()->input().centerLabel, "75%");
    EXPECT_EQ(body.donut()->input().segments[3], 5.0 * GiB);
    EXPECT_EQ(body.row("Free")->value(), "4.00 GB");
    EXPECT_NEAR(body.cachedRowOpacity()->opacity(), 1.0, 1e-9);

    // A view made (or shown) later starts from the stored setting.
    MemoryDetailBody later(s, f.env);
    EXPECT_TRUE(later.showCached());
    EXPECT_TRUE(later.cachedSwitch()->isChecked());
    f.defaults->set(SettingsSchema::memoryShowCached, false);
    later.show();
    EXPECT_FALSE(later.showCached());
}

TEST(MemoryDetailBody, NoFiguresAndZeroTotal)
{
    test::DetailViewFixture f;
    MemoryDetailBody body(memSnapshot(std::nullopt, QStringLiteral("12%")), f.env);
    EXPECT_EQ(body.donut()->input().centerLabel, "12%");
    EXPECT_EQ(body.donut()->input().segments, (QList<double>{1}));
    for (const char* row : {"App", "Wired", "Compressed", "Cached", "Swap", "Free", "Total"})
        EXPECT_EQ(body.row(row)->value(), "-") << row;
    EXPECT_EQ(body.pressureLabel()->text(), "Pressure: Normal");

    MemoryExtras zero = figures(MemoryPressureLevel::critical);
    zero.totalBytes = 0;
    f.record(memSnapshot(zero));
    f.settle();
    EXPECT_EQ(body.donut()->input().centerLabel, "0%");
    EXPECT_EQ(body.pressureLabel()->text(), "Pressure: Critical");

    // Categories past the installed memory: the centre stops at 100 %.
    MemoryExtras over = figures();
    over.appBytes = 40 * GiB;
    f.record(memSnapshot(over));
    f.settle();
    EXPECT_EQ(body.donut()->input().centerLabel, "100%");
    EXPECT_EQ(body.row("Free")->value(), "5.00 GB"); // no free memory left, cached folds in
}

TEST(MemoryDetailBody, RowFontSizeClamps)
{
    const struct {
        QVariant stored;
        qreal size;
    } cases[] = {{20, 16}, {10, 9}, {13, 11}, {QVariant(), 11}};
    for (const auto& c : cases) {
        test::DetailViewFixture f;
        if (c.stored.isValid())
            f.defaults->set(SettingsSchema::popupFontSize, c.stored);
        MemoryDetailBody body(memSnapshot(std::nullopt), f.env);
        EXPECT_EQ(body.row("App")->fontSize(), c.size);
        EXPECT_EQ(body.row("Total")->fontSize(), c.size);
    }
}

TEST(MemoryDetailBody, AnOpenInfoPopupSurvivesThreePublishes)
{
    test::DetailViewFixture f;
    StatSnapshot s = f.record(memSnapshot(figures()));
    MemoryDetailBody body(s, f.env);
    body.show();
    InfoButton* pressureInfoButton = nullptr;
    for (InfoButton* button : body.findChildren<InfoButton*>()) {
        if (button->tooltipText() == MemoryDetailBody::pressureInfo())
            pressureInfoButton = button;
    }
    ASSERT_NE(pressureInfoButton, nullptr);
    pressureInfoButton->click();
    ASSERT_TRUE(pressureInfoButton->isShown());
    QFrame* popup = pressureInfoButton->popup();
    auto* text = popup->findChild<QLabel*>(QStringLiteral("text"));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(), MemoryDetailBody::pressureInfo());
    EXPECT_EQ(text->textFormat(), Qt::PlainText);
    EXPECT_LE(text->width(), 280);
    for (int i = 0; i < 3; ++i) {
        s = f.record(memSnapshot(figures(MemoryPressureLevel::warning)));
        body.setSnapshot(s);
        f.settle();
    }
    EXPECT_TRUE(pressureInfoButton->isShown());
    EXPECT_EQ(pressureInfoButton->popup(), popup);
    EXPECT_EQ(body.pressureLabel()->text(), "Pressure: Warning");
    // Pressing again closes it.
    pressureInfoButton->togglePopup();
    EXPECT_FALSE(pressureInfoButton->isShown());
}

TEST(MemoryDetailBody, TextsNameOnlyLinuxFacilities)
{
    const QStringList texts{MemoryDetailBody::appHelp(),          MemoryDetailBody::wiredHelp(),
                            MemoryDetailBody::compressedHelp(),   MemoryDetailBody::swapHelp(),
                            MemoryDetailBody::cachedHelp(),       MemoryDetailBody::freeHelp(),
                            MemoryDetailBody::cachedSwitchHelp(), MemoryDetailBody::cachedSwitchInfo(),
                            MemoryDetailBody::pressureInfo()};
    for (const QString& text : texts) {
        for (const char* foreign : {"macOS", "Activity Monitor", "Apple", "kern.memorystatus", "Mac "})
            EXPECT_FALSE(text.contains(QLatin1String(foreign))) << text.toStdString();
    }
    EXPECT_TRUE(MemoryDetailBody::pressureInfo().contains("/proc/pressure/memory"));
    EXPECT_TRUE(MemoryDetailBody::cachedSwitchInfo().endsWith("Settings → Stats → Memory."));
}

TEST(MemoryDetailBody, TheCentreShowsTheReadingOfTheHeader)
{
    // The registry records a sample in the history before it publishes it to
    // the row's header; meanwhile the centre keeps the header's reading.
    test::DetailViewFixture f;
    MemoryExtras before = figures(); // 7 of 16 GiB: 44 %
    const StatSnapshot shown = f.record(MemoryProvider::makeSnapshot(before, false));
    MemoryDetailBody body(shown, f.env);
    body.show();
    EXPECT_EQ(body.donut()->input().centerLabel, shown.label);
    MemoryExtras after = before;
    after.appBytes += GiB / 4; // 45 %
    const StatSnapshot next = f.record(MemoryProvider::makeSnapshot(after, false));
    f.settle();
    EXPECT_EQ(body.donut()->input().centerLabel, "44%");
    EXPECT_EQ(body.row("App")->value(), "4.00 GB");
    // The header's next reading moves both.
    body.setSnapshot(next);
    EXPECT_EQ(next.label, "45%");
    EXPECT_EQ(body.donut()->input().centerLabel, next.label);
    EXPECT_EQ(body.row("App")->value(), "4.25 GB");
}
