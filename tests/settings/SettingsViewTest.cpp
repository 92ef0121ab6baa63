#include "settings/SettingsView.h"

#include "SettingsEnvironment.h"
#include "alarms/views/AlarmsSettingsView.h"
#include "menubar/TagSpec.h"
#include "menubar/views/SizeSliderConfigView.h"
#include "platform/style/DesignStyle.h"
#include "platform/style/SystemSymbol.h"
#include "settings/general/GeneralTab.h"
#include "settings/setup/SetupChecklist.h"
#include "settings/setup/SetupTab.h"
#include "settings/shared/SettingsText.h"
#include "settings/stats/PinnedSpriteEditor.h"
#include "settings/stats/SpriteCustomizeSection.h"
#include "settings/stats/SpriteTile.h"
#include "settings/stats/StatsTab.h"
#include "settings/themes/ThemesTab.h"
#include "store/views/StoreTab.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCoro/QCoroTask>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <functional>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

class ScopedPalette {
public:
    explicit ScopedPalette(const QPalette& palette) : m_old(QApplication::palette()) { QApplication::setPalette(palette); }
    ~ScopedPalette() { QApplication::setPalette(m_old); }

private:
    QPalette m_old;
};

// The columns of an image that hold ink, from the first to the last.
int inkWidth(const QImage& image)
{
    int left = image.width();
    int right = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 0) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return right - left + 1;
}

} // namespace

TEST(SettingsView, SixTabsInTheirOrderWithTheirSymbols)
{
    ScopedDefaults defaults;
    SettingsEnvironment e;
    SettingsView view(e.env());
    const QStringList titles{"General", "Stats", "Alarms", "Themes", "Setup", "Store"};
    const QStringList symbols{"gearshape", "chart.bar.doc.horizontal", "bell", "paintpalette", "checklist", "bag"};
    ASSERT_EQ(view.tabWidget()->count(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(view.tabWidget()->tabText(i), titles[i]);
        EXPECT_EQ(SettingsView::tabs()[i].symbol, symbols[i]);
        EXPECT_TRUE(SystemSymbol::isKnown(symbols[i])) << qPrintable(symbols[i]);
        EXPECT_FALSE(view.tabWidget()->tabIcon(i).isNull()) << i;
    }
    EXPECT_EQ(view.tabWidget()->currentIndex(), 0);
}

TEST(SettingsView, TabsAreBuiltWhenShownAndTheWindowKeepsOneSize)
{
    ScopedDefaults defaults;
    SettingsEnvironment e;
    SettingsView view(e.env());
    view.resize(view.sizeHint());
    view.show();
    const QSize size = view.size();
    EXPECT_GE(size.width(), 540);
    EXPECT_GE(size.height(), 520);
    // Only General exists until another tab is chosen.
    EXPECT_NE(view.generalTab(), nullptr);
    for (int i = 1; i < 6; ++i)
        EXPECT_EQ(view.tabContent(i), nullptr) << i;

    for (int i = 0; i < 6; ++i) {
        view.tabWidget()->setCurrentIndex(i);
        spinFor(5);
        EXPECT_EQ(view.size(), size) << i;
        ASSERT_NE(view.tabContent(i), nullptr) << i;
    }
    view.tabWidget()->setCurrentIndex(2);
    EXPECT_NE(qobject_cast<GeneralTab*>(view.tabContent(0)), nullptr);
    EXPECT_NE(qobject_cast<StatsTab*>(view.tabContent(1)), nullptr);
    EXPECT_NE(qobject_cast<AlarmsSettingsView*>(view.tabContent(2)), nullptr);
    EXPECT_NE(qobject_cast<ThemesTab*>(view.tabContent(3)), nullptr);
    EXPECT_NE(qobject_cast<SetupTab*>(view.tabContent(4)), nullptr);
    EXPECT_NE(qobject_cast<StoreTab*>(view.tabContent(5)), nullptr);
}

// No tab's scrolling page paints over the tab: what the tab draws behind it
// (the Setup tab's under-page colour, the window elsewhere) is what shows.
TEST(SettingsView, ScrollingPagesShowTheTabsOwnBackground)
{
    ScopedDefaults defaults;
    SettingsEnvironment e;
    SettingsView view(e.env());
    view.show();
    for (int i = 0; i < 5; ++i) { // the Store tab's catalogue page is its own
        view.tabWidget()->setCurrentIndex(i);
        spinFor(5);
        for (const QScrollArea* scroll : view.tabContent(i)->findChildren<QScrollArea*>(Qt::FindDirectChildrenOnly)) {
            EXPECT_FALSE(scroll->viewport()->autoFillBackground()) << i;
            EXPECT_FALSE(scroll->widget()->autoFillBackground()) << i;
        }
    }
    QWidget* setup = view.tabContent(4);
    view.tabWidget()->setCurrentIndex(4);
    spinFor(5);
    const QImage image = setup->grab().toImage();
    EXPECT_EQ(image.pixel(4, image.height() - 4),
              DesignStyle::colour(DesignStyle::Colour::underPageBackground, setup).rgb());
}

// At the common desktop font sizes every tab title shows in full inside the
// window: no tab is cut, elided or behind scroll buttons.
TEST(SettingsView, EveryTabTitleShowsInFullAtDesktopFontSizes)
{
    ScopedDefaults defaults;
    SettingsEnvironment e;
    for (const int points : {10, 11, 13}) {
        SCOPED_TRACE(points);
        ScopedAppFont font(points);
        SettingsView view(e.env());
        view.resize(view.sizeHint());
        view.show();
        QApplication::processEvents();
        EXPECT_GE(view.width(), 540);
        EXPECT_GE(view.height(), 520);
        if (points == 10) {
            EXPECT_EQ(view.size(), QSize(540, 520)) << "the design's size at the size it was laid out for";
        }
        QTabBar* bar = view.tabWidget()->tabBar();
        const QRect visible = bar->rect().intersected(QRect(bar->mapTo(&view, QPoint()) * -1, view.size()));
        const QFontMetrics metrics(bar->font());
        for (int i = 0; i < bar->count(); ++i) {
            const QRect tab = bar->tabRect(i);
            EXPECT_TRUE(visible.contains(tab)) << qPrintable(bar->tabText(i));
            // Room for the whole title beside its icon.
            EXPECT_GE(tab.width(), metrics.horizontalAdvance(bar->tabText(i)) + bar->iconSize().width())
                << qPrintable(bar->tabText(i));
        }
    }
}

TEST(SettingsView, TheAlarmsPaneLivesOnlyWhileItsTabIsShown)
{
    ScopedDefaults defaults;
    SettingsEnvironment e;
    SettingsView view(e.env());
    view.tabWidget()->setCurrentIndex(5);
    QPointer<QWidget> store = view.tabContent(5);
    view.tabWidget()->setCurrentIndex(2);
    QPointer<QWidget> alarms = view.tabContent(2);
    ASSERT_FALSE(alarms.isNull());
    view.tabWidget()->setCurrentIndex(5);
    EXPECT_TRUE(alarms.isNull());
    EXPECT_EQ(view.tabContent(5), store.data()); // other tabs keep their state
    view.tabWidget()->setCurrentIndex(2);
    EXPECT_NE(view.tabContent(2), nullptr);
}

TEST(SettingsView, OpeningAndVisitingEveryTabWritesNoSetting)
{
    ScopedDefaults defaults;
    SettingsEnvironment e;
    int writes = 0;
    QStringList keys;
    QObject::connect(defaults.get(), &Defaults::changed, [&](const QString& key) {
        ++writes;
        keys << key;
    });
    {
        SettingsView view(e.env());
        view.show();
        for (int i = 0; i < 6; ++i) {
            view.tabWidget()->setCurrentIndex(i);
            spinFor(5);
        }
    }
    EXPECT_EQ(writes, 0) << qPrintable(keys.join(", "));
}

TEST(SettingsView, Screenshots)
{
    ScopedDefaults defaults;
    SettingsEnvironment e;
    const QString folder = QStringLiteral(GAUGELET_BINARY_DIR "/screenshots");
    QDir().mkpath(folder);
    // The six tab symbols, large, for a look at their drawing.
    QImage sheet(6 * 112, 112, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(Qt::white);
    {
        QPainter p(&sheet);
        for (int i = 0; i < 6; ++i)
            p.drawImage(i * 112 + 8, 8, SystemSymbol::image(SettingsView::tabs()[i].symbol, 96));
    }
    EXPECT_TRUE(sheet.save(folder + QStringLiteral("/settings-tab-symbols.png")));

    // The shipped sprites, the default pin (the "Simple" look) with its value shown.
    QCoro::waitFor(e.store->seedBuiltInBundles());
    defaults->set(TagSpec::key(e.pins->pins().constFirst().id(), TagSpec::Namespace::value, u"shown"), true);

    // Light and dark at the two common desktop font sizes (GNOME's UI font is
    // 11 pt); light at two large ones, each page at its whole height.
    for (const int points : {10, 11, 14, 18}) {
        ScopedAppFont font(points);
        for (const bool dark : {false, true}) {
            if (dark && points > 11)
                continue;
            ScopedPalette palette(dark ? darkPalette() : QApplication::palette());
            SettingsView view(e.env());
            view.generalTab()->setBundleSizeForTesting([] { return 14; });
            view.setPalette(QApplication::palette());
            view.show();
            for (int i = 0; i < 6; ++i) {
                view.tabWidget()->setCurrentIndex(i);
                spinFor(400); // let the tabs' opening animations finish
                auto* stats = qobject_cast<StatsTab*>(view.tabContent(i));
                if (stats && points > 11) {
                    stats->sprites()->editor()->setCustomizeOpen(true);
                    spinFor(20);
                }
                const auto* page = view.tabContent(i)->findChild<QScrollArea*>();
                if (points > 11 && page) {
                    const int whole = view.height() + page->widget()->sizeHint().height() - page->viewport()->height();
                    view.resize(view.sizeHint().expandedTo(QSize(0, whole)));
                    spinFor(20);
                }
                // The Stats tab's preset cards, sprite names (2 px in from
                // either side) and choices get the width their text needs.
                for (const QAbstractButton* b :
                     stats ? stats->findChildren<QAbstractButton*>() : QList<QAbstractButton*>{}) {
                    const int text =
                        qobject_cast<const SpriteTile*>(b)
                            ? QFontMetrics(SettingsText::designFont(9)).horizontalAdvance(b->accessibleName()) + 4
                            : b->sizeHint().width();
                    EXPECT_TRUE(!b->isVisible() || b->width() >= text)
                        << points << " pt " << qPrintable(b->accessibleName() + b->text());
                }
                const QImage image = view.grab().toImage();
                const QString name = QStringLiteral("%1/settings-%2-%3-%4pt.png")
                                         .arg(folder, SettingsView::tabs()[i].title.toLower(),
                                              dark ? "dark" : "light", QString::number(points));
                EXPECT_TRUE(image.save(name)) << qPrintable(name);
            }
        }
    }
}

// At large fonts every slider's figure shows whole (never cut on its left),
// also after the font grows while the window is open: the label is as wide
// as its text, inside the page, and draws the same ink as the text unclipped.
TEST(SettingsView, SliderFiguresShowWholeAtLargeFonts)
{
    ScopedDefaults defaults;
    SettingsEnvironment e;
    for (const auto& [opened, points] : {std::pair{14, 14}, {18, 18}, {14, 18}}) {
        ScopedAppFont font(opened);
        SettingsView view(e.env());
        view.resize(view.sizeHint());
        view.show();
        ScopedAppFont larger(points);
        using Control = std::pair<QSlider*, QLabel*>;
        const auto themes = [&] { return static_cast<ThemesTab*>(view.tabContent(3)); };
        const auto themesRow = [&](QSlider* (ThemesTab::*slider)() const, QLabel* (ThemesTab::*label)() const) {
            return [=] { return Control{(themes()->*slider)(), (themes()->*label)()}; };
        };
        const auto size = [&] {
            auto* config = themes()->findChild<SizeSliderConfigView*>();
            return Control{config->slider(), config->valueLabel()};
        };
        const auto alarm = [&] {
            return Control{view.findChild<QSlider*>("thresholdSlider"), view.findChild<QLabel*>("thresholdText")};
        };
        const struct {
            int tab;
            std::function<Control()> control;
            int position;
            QString text;
        } rows[] = {
            {2, alarm, 8000, "80%"},
            {2, alarm, 10000, "100%"},
            {3, size, 22, "22pt"},
            {3, size, 30, "30pt"},
            {3, themesRow(&ThemesTab::fontSizeSlider, &ThemesTab::fontSizeLabel), 16, "16pt"},
            {3, themesRow(&ThemesTab::offsetSlider, &ThemesTab::offsetLabel), -10, "-10pt"},
            {3, themesRow(&ThemesTab::thresholdSlider, &ThemesTab::thresholdLabel), 19, "95%"},
        };
        for (const auto& row : rows) {
            const std::string where =
                std::to_string(opened) + "-" + std::to_string(points) + " pt " + row.text.toStdString();
            view.tabWidget()->setCurrentIndex(row.tab);
            spinFor(5);
            const auto [slider, label] = row.control();
            ASSERT_TRUE(slider && label) << where;
            slider->setSliderPosition(row.position);
            view.tabContent(row.tab)->findChild<QScrollArea*>()->ensureWidgetVisible(label);
            spinFor(5);
            EXPECT_EQ(label->text(), row.text) << where;
            EXPECT_GE(label->contentsRect().width(), label->fontMetrics().horizontalAdvance(row.text)) << where;
            EXPECT_EQ(label->visibleRegion().boundingRect(), label->rect()) << where;
            QImage shown(label->size(), QImage::Format_ARGB32_Premultiplied);
            shown.fill(Qt::transparent);
            label->render(&shown, {}, {}, QWidget::DrawChildren);
            QImage whole(label->width() * 4, label->height(), QImage::Format_ARGB32_Premultiplied);
            whole.fill(Qt::transparent);
            QPainter p(&whole);
            p.setFont(label->font());
            p.drawText(whole.rect(), Qt::AlignRight | Qt::AlignVCenter, row.text);
            p.end();
            EXPECT_NEAR(inkWidth(shown), inkWidth(whole), 1) << where;
        }
    }
}

// The General tab's toggle and the Setup tab's login row show the login item
// as it is now, whichever of them (or the setup window) changed it.
TEST(SettingsView, BothTabsShowTheLoginItemAsItIsNow)
{
    ScopedDefaults defaults;
    SettingsEnvironment e;
    SettingsView view(e.env());
    view.show();
    auto* toggle = view.generalTab()->findChild<QCheckBox*>(QStringLiteral("launchAtLogin"));
    ASSERT_NE(toggle, nullptr);
    EXPECT_FALSE(toggle->isChecked());
    auto loginButton = [](QWidget* root) { return root->findChild<QPushButton*>(QStringLiteral("setup.button.login")); };

    // Enabled from the Setup tab, then General is shown again.
    view.tabWidget()->setCurrentIndex(4);
    spinFor(5);
    ASSERT_NE(loginButton(view.tabContent(4)), nullptr);
    loginButton(view.tabContent(4))->click();
    ASSERT_EQ(e.loginItems->status(), LoginItemService::Status::enabled);
    view.tabWidget()->setCurrentIndex(0);
    spinFor(5);
    EXPECT_TRUE(toggle->isChecked());

    // Turned off from General: the Setup tab offers "Enable" again.
    toggle->click();
    ASSERT_NE(e.loginItems->status(), LoginItemService::Status::enabled);
    view.tabWidget()->setCurrentIndex(4);
    spinFor(5);
    EXPECT_TRUE(loginButton(view.tabContent(4))->isVisibleTo(view.tabContent(4)));

    // The setup window enables it while General is on screen.
    view.tabWidget()->setCurrentIndex(0);
    SetupChecklist setupWindow;
    setupWindow.show();
    spinFor(5);
    loginButton(&setupWindow)->click();
    spinFor(5);
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_TRUE(view.generalTab()->launchAtLogin());
}
