#include "SettingsTestSupport.h"

#include "menubar/PinManager.h"
#include "menubar/VisualizerRegistry.h"
#include "platform/core/Defaults.h"
#include "schema/SettingsSchema.h"
#include "settings/shared/ColorWell.h"
#include "settings/shared/SegmentedControl.h"
#include "settings/themes/ConfigRow.h"
#include "settings/themes/PaletteRow.h"
#include "settings/themes/ThemesTab.h"
#include "stats/StatRegistry.h"
#include "stats/ThemeStore.h"
#include "views/GroupedSection.h"
#include "views/WheelGuard.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace gaugelet;

namespace {

QStringList paletteNames(const ThemesTab& tab)
{
    QStringList names;
    for (PaletteRow* row : tab.paletteRows())
        names.append(row->palette().name);
    return names;
}

int selectedRow(const ThemesTab& tab)
{
    const QList<PaletteRow*> rows = tab.paletteRows();
    for (int i = 0; i < rows.size(); ++i) {
        if (rows[i]->selected())
            return i;
    }
    return -1;
}

void dragTo(QSlider* slider, int value)
{
    // What a drag does: the position moves and the value follows.
    slider->setSliderDown(true);
    slider->setSliderPosition(value);
    slider->setSliderDown(false);
}

} // namespace

struct PaletteCase {
    const char* selected;
    QStringList names;
    int checked;
};

TEST(ThemesTab, PaletteListShowsHiddenPalettesOnlyWhileSelected)
{
    const PaletteCase cases[] = {
        {"gum.dark", {"Gum Dark", "One Dark", "Ayu Mirage"}, 0},
        {"ayu.light", {"Gum Dark", "One Dark", "Ayu Mirage", "Ayu Light"}, 3},
        {"gum.light", {"Gum Dark", "Gum Light", "One Dark", "Ayu Mirage"}, 1},
        {"one.light", {"Gum Dark", "One Dark", "One Light", "Ayu Mirage"}, 2},
        {"ayu.mirage", {"Gum Dark", "One Dark", "Ayu Mirage"}, 2},
    };
    for (const PaletteCase& c : cases) {
        test::SettingsWorld world;
        world.defaults()->set(SettingsSchema::themeId, QString::fromLatin1(c.selected));
        world.theme = std::make_unique<ThemeStore>(QStringLiteral("gum.dark"));
        ThemesTab tab(world.env());
        EXPECT_EQ(paletteNames(tab), c.names) << c.selected;
        EXPECT_EQ(selectedRow(tab), c.checked) << c.selected;
    }
}

TEST(ThemesTab, ChoosingAPaletteDropsTheHiddenOneAndStoresTheId)
{
    test::SettingsWorld world;
    world.defaults()->set(SettingsSchema::themeId, QStringLiteral("ayu.light"));
    world.theme = std::make_unique<ThemeStore>(QStringLiteral("gum.dark"));
    ThemesTab tab(world.env());
    ASSERT_EQ(tab.paletteRows().size(), 4);
    QTest::mouseClick(tab.paletteRows()[1], Qt::LeftButton);
    EXPECT_EQ(world.theme->palette().id, QStringLiteral("one.dark"));
    EXPECT_EQ(world.defaults()->string(SettingsSchema::themeId), QStringLiteral("one.dark"));
    EXPECT_EQ(paletteNames(tab), (QStringList{"Gum Dark", "One Dark", "Ayu Mirage"}));
    EXPECT_EQ(selectedRow(tab), 1);
}

TEST(ThemesTab, PaletteRowsThatStayKeepTheirWidgets)
{
    test::SettingsWorld world;
    world.defaults()->set(SettingsSchema::themeId, QStringLiteral("ayu.light"));
    world.theme = std::make_unique<ThemeStore>(QStringLiteral("gum.dark"));
    ThemesTab tab(world.env());
    const QList<PaletteRow*> before = tab.paletteRows();
    ASSERT_EQ(before.size(), 4);
    QTest::mouseClick(before[1], Qt::LeftButton);
    const QList<PaletteRow*> after = tab.paletteRows();
    ASSERT_EQ(after.size(), 3);
    for (PaletteRow* row : after)
        EXPECT_TRUE(before.contains(row)) << row->palette().name.toStdString();
    EXPECT_TRUE(after[1]->selected());
    EXPECT_FALSE(after[0]->selected());
}

TEST(ThemesTab, FreshInstallShowsDefaultsAndOpeningWritesNothing)
{
    test::SettingsWorld world;
    SettingsSchema::registerLaunchDefaults(*world.defaults());
    ASSERT_TRUE(world.installRunners());
    test::WriteCounter writes(world.defaults());
    ThemesTab tab(world.env());
    tab.resize(540, 520);
    tab.show();
    QApplication::processEvents();

    EXPECT_EQ(tab.fontSizeLabel()->text(), QStringLiteral("13pt"));
    EXPECT_EQ(tab.fontSizeSlider()->value(), 13);
    EXPECT_EQ(tab.offsetLabel()->text(), QStringLiteral("0pt"));
    EXPECT_EQ(tab.thresholdLabel()->text(), QStringLiteral("80%"));
    EXPECT_EQ(tab.thresholdSlider()->value(), 16);
    EXPECT_FALSE(tab.thresholdSlider()->isEnabled());
    EXPECT_FALSE(tab.tintToggle()->isChecked());
    EXPECT_TRUE(tab.smoothChartsToggle()->isChecked());
    EXPECT_EQ(tab.layoutPicker()->currentText(), QStringLiteral("Auto"));
    EXPECT_EQ(tab.positionPicker()->currentIndex(), 0);
    QStringList headers;
    for (GroupedSection* s : tab.sections())
        headers.append(s->headerLabel()->text());
    EXPECT_EQ(headers, (QStringList{"Popup", "Stat number", "Sprite styling"}));

    // Three publishes of each service change nothing stored.
    const QList<ConfigRow*> rowsBefore = tab.configRows();
    for (int i = 0; i < 3; ++i) {
        world.registry->scheduleFlush();
        world.registry->flush();
        world.visualizers->setVisualizers(world.visualizers->visualizers());
        world.pins->normalize();
        QApplication::processEvents();
    }
    EXPECT_EQ(tab.configRows(), rowsBefore);
    tab.close();
    QApplication::processEvents();
    EXPECT_EQ(writes.count(), 0) << writes.keys().join(u',').toStdString();
    EXPECT_FALSE(writes.valuesChanged());
}

TEST(ThemesTab, SliderLabelsShowStoredValuesAsTheKnobStands)
{
    test::SettingsWorld world;
    world.defaults()->set(SettingsSchema::spriteYOffset, -3.0);
    world.defaults()->set(SettingsSchema::popupFontSize, 11.9);
    world.defaults()->set(SettingsSchema::runnerTintThreshold, 0.3);
    ThemesTab tab(world.env());
    EXPECT_EQ(tab.offsetLabel()->text(), QStringLiteral("-3pt"));
    EXPECT_EQ(tab.offsetSlider()->value(), -3);
    // Between whole points: the label reads the knob's position, not the one below it.
    EXPECT_EQ(tab.fontSizeLabel()->text(), QStringLiteral("12pt"));
    EXPECT_EQ(tab.fontSizeSlider()->value(), 12);
    // Below the slider's range: the slider at its end, the label the stored value.
    EXPECT_EQ(tab.thresholdLabel()->text(), QStringLiteral("30%"));
    EXPECT_EQ(tab.thresholdSlider()->value(), 10);
    EXPECT_EQ(world.defaults()->real(SettingsSchema::runnerTintThreshold), 0.3);
}

struct OddNumberCase {
    const SettingKey& key;
    double stored;
    int slider;
    const char* label;
};

TEST(ThemesTab, DamagedOrHugeNumbersShowDefaultOrClampedAndStayStored)
{
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    const OddNumberCase cases[] = {
        {SettingsSchema::popupFontSize, nan, 13, "13pt"},
        {SettingsSchema::popupFontSize, inf, 13, "13pt"},
        {SettingsSchema::popupFontSize, 1e300, 16, "16pt"},
        {SettingsSchema::popupFontSize, 1.7e308, 16, "16pt"},
        {SettingsSchema::popupFontSize, -1e300, 9, "9pt"},
        {SettingsSchema::popupFontSize, 30, 16, "30pt"},
        {SettingsSchema::spriteYOffset, -inf, 0, "0pt"},
        {SettingsSchema::spriteYOffset, 1.7e308, 10, "10pt"},
        {SettingsSchema::spriteYOffset, -1e300, -10, "-10pt"},
        {SettingsSchema::spriteYOffset, 25.7, 10, "26pt"},
        {SettingsSchema::runnerTintThreshold, nan, 16, "80%"},
        {SettingsSchema::runnerTintThreshold, 1e300, 19, "95%"},
        {SettingsSchema::runnerTintThreshold, 1.7e308, 19, "95%"},
        {SettingsSchema::runnerTintThreshold, -1e300, 10, "50%"},
        {SettingsSchema::runnerTintThreshold, 2.0, 19, "200%"},
    };
    for (const OddNumberCase& c : cases) {
        test::SettingsWorld world;
        const QString key = c.key;
        world.defaults()->set(key, c.stored);
        const QVariant before = world.defaults()->object(key);
        test::WriteCounter writes(world.defaults());
        ThemesTab tab(world.env());
        QSlider* slider = key == SettingsSchema::popupFontSize   ? tab.fontSizeSlider()
                          : key == SettingsSchema::spriteYOffset ? tab.offsetSlider()
                                                                 : tab.thresholdSlider();
        QLabel* label = key == SettingsSchema::popupFontSize   ? tab.fontSizeLabel()
                        : key == SettingsSchema::spriteYOffset ? tab.offsetLabel()
                                                               : tab.thresholdLabel();
        EXPECT_EQ(slider->value(), c.slider) << key.toStdString() << " " << c.stored;
        EXPECT_EQ(label->text(), QString::fromLatin1(c.label)) << key.toStdString() << " " << c.stored;
        EXPECT_EQ(writes.count(), 0) << key.toStdString() << " " << c.stored;
        const QVariant after = world.defaults()->object(key);
        EXPECT_EQ(after.typeId(), before.typeId());
        if (!std::isnan(c.stored)) {
            EXPECT_EQ(after.toDouble(), before.toDouble());
        }
    }
}

TEST(ThemesTab, ThresholdStoresTwentiethsAndFollowsTheSwitch)
{
    test::SettingsWorld world;
    ThemesTab tab(world.env());
    EXPECT_FALSE(tab.thresholdSlider()->isEnabled());
    QTest::mouseClick(tab.tintToggle(), Qt::LeftButton);
    EXPECT_EQ(world.defaults()->boolean(SettingsSchema::runnerTintEnabled), true);
    EXPECT_TRUE(tab.thresholdSlider()->isEnabled());
    for (int k = 10; k <= 19; ++k) {
        dragTo(tab.thresholdSlider(), k);
        const QVariant stored = world.defaults()->object(SettingsSchema::runnerTintThreshold);
        EXPECT_EQ(stored.typeId(), QMetaType::Double);
        EXPECT_EQ(stored.toDouble(), k / 20.0) << k;
        EXPECT_EQ(tab.thresholdLabel()->text(), QString::number(qint64(std::trunc(k / 20.0 * 100))) + u'%');
    }
    dragTo(tab.thresholdSlider(), 12);
    EXPECT_EQ(world.defaults()->real(SettingsSchema::runnerTintThreshold), 0.6);
    EXPECT_EQ(tab.thresholdLabel()->text(), QStringLiteral("60%"));
    dragTo(tab.fontSizeSlider(), 10);
    EXPECT_EQ(world.defaults()->object(SettingsSchema::popupFontSize).typeId(), QMetaType::Double);
    EXPECT_EQ(world.defaults()->real(SettingsSchema::popupFontSize), 10.0);
    EXPECT_EQ(tab.fontSizeLabel()->text(), QStringLiteral("10pt"));
    dragTo(tab.offsetSlider(), -7);
    EXPECT_EQ(world.defaults()->real(SettingsSchema::spriteYOffset), -7.0);
    EXPECT_EQ(tab.offsetLabel()->text(), QStringLiteral("-7pt"));
}

TEST(ThemesTab, SwitchesShowWhatTheLenientReadersDo)
{
    test::SettingsWorld world;
    world.defaults()->set(SettingsSchema::runnerTintEnabled, 1);
    world.defaults()->set(SettingsSchema::statBgEnabled, 2.5);
    world.defaults()->set(SettingsSchema::smoothCharts, 0);
    world.defaults()->set(SettingsSchema::statFgEnabled, QStringLiteral("yes"));
    test::WriteCounter writes(world.defaults());
    ThemesTab tab(world.env());
    EXPECT_TRUE(tab.tintToggle()->isChecked());
    EXPECT_TRUE(tab.thresholdSlider()->isEnabled());
    EXPECT_TRUE(tab.pillToggle()->isChecked());
    EXPECT_TRUE(tab.pillColorWell()->isEnabled());
    EXPECT_FALSE(tab.smoothChartsToggle()->isChecked());
    EXPECT_FALSE(tab.textColorToggle()->isChecked());
    EXPECT_EQ(writes.count(), 0);
    QTest::mouseClick(tab.tintToggle(), Qt::LeftButton);
    EXPECT_EQ(world.defaults()->object(SettingsSchema::runnerTintEnabled), QVariant(false));
}

TEST(ThemesTab, PillColourFallsBackToGrayAndPickersNeedTheirSwitch)
{
    const QString hexes[] = {QString(), QStringLiteral("#12345"), QStringLiteral("red"), QStringLiteral("#GG0000")};
    for (const QString& hex : hexes) {
        test::SettingsWorld world;
        if (!hex.isNull())
            world.defaults()->set(SettingsSchema::statBgHex, hex);
        ThemesTab tab(world.env());
        EXPECT_FALSE(tab.pillColorWell()->isEnabled());
        EXPECT_FALSE(tab.pillResetButton()->isEnabled());
        EXPECT_FALSE(tab.textColorWell()->isEnabled());
        EXPECT_FALSE(tab.textColorResetButton()->isEnabled());
        const QColor c = tab.pillColorWell()->color();
        EXPECT_EQ(c.rgb() & 0xFFFFFF, tab.statBgColor().rgb() & 0xFFFFFF);
        EXPECT_NEAR(c.alphaF(), 0.28, 0.01) << hex.toStdString();
        EXPECT_EQ(c.red(), c.green());
        if (!hex.isNull()) {
            EXPECT_EQ(world.defaults()->string(SettingsSchema::statBgHex), hex);
        }
    }
}

TEST(ThemesTab, TextColourIsStoredOnlyWhenThePanelIsConfirmed)
{
    test::SettingsWorld world;
    world.defaults()->set(SettingsSchema::statFgEnabled, true);
    ThemesTab tab(world.env());
    ASSERT_TRUE(tab.textColorWell()->isEnabled());
    EXPECT_EQ(tab.textColorWell()->color(), tab.palette().color(QPalette::WindowText));

    // A cancelled panel writes nothing.
    {
        test::WriteCounter writes(world.defaults());
        tab.textColorWell()->openPanel();
        ASSERT_NE(tab.textColorWell()->panel(), nullptr);
        tab.textColorWell()->panel()->setCurrentColor(Qt::blue);
        tab.textColorWell()->panel()->reject();
        QApplication::processEvents();
        EXPECT_EQ(writes.count(), 0);
    }

    tab.textColorWell()->openPanel();
    QColorDialog* panel = tab.textColorWell()->panel();
    ASSERT_NE(panel, nullptr);
    panel->setCurrentColor(QColor::fromRgbF(1, 0, 0, 1));
    panel->accept();
    EXPECT_EQ(world.defaults()->string(SettingsSchema::statFgHex), QStringLiteral("#FF0000FF"));
    EXPECT_EQ(tab.textColorWell()->color(), QColor(255, 0, 0));

    QTest::mouseClick(tab.textColorResetButton(), Qt::LeftButton);
    EXPECT_EQ(world.defaults()->string(SettingsSchema::statFgHex), QString());
    EXPECT_TRUE(world.defaults()->hasUserValue(SettingsSchema::statFgHex));
    EXPECT_EQ(world.defaults()->boolean(SettingsSchema::statFgEnabled), true);
    EXPECT_TRUE(tab.textColorToggle()->isChecked());

    // Choosing a pill colour leaves its switch alone.
    world.defaults()->set(SettingsSchema::statBgEnabled, true);
    QApplication::processEvents();
    tab.setStatBgColor(QColor(0, 128, 255, 128));
    EXPECT_EQ(world.defaults()->string(SettingsSchema::statBgHex), QStringLiteral("#0080FF80"));
    EXPECT_EQ(world.defaults()->boolean(SettingsSchema::statBgEnabled), true);
}

TEST(ThemesTab, PickersStoreRawValuesAndShowDefaultsForUnknownOnes)
{
    test::SettingsWorld world;
    world.defaults()->set(SettingsSchema::popupTwoColumn, QStringLiteral("three"));
    world.defaults()->set(SettingsSchema::statLabelPosition, QStringLiteral("left"));
    test::WriteCounter writes(world.defaults());
    ThemesTab tab(world.env());
    QStringList items;
    for (int i = 0; i < tab.layoutPicker()->count(); ++i)
        items.append(tab.layoutPicker()->itemText(i));
    EXPECT_EQ(items, (QStringList{"Auto", "Single column", "Two columns"}));
    EXPECT_EQ(tab.layoutPicker()->currentText(), QStringLiteral("Auto"));
    EXPECT_EQ(tab.positionPicker()->currentIndex(), 0);
    EXPECT_EQ(writes.count(), 0);

    Q_EMIT tab.layoutPicker()->activated(1);
    EXPECT_EQ(world.defaults()->string(SettingsSchema::popupTwoColumn), QStringLiteral("alwaysOne"));
    Q_EMIT tab.layoutPicker()->activated(2);
    EXPECT_EQ(world.defaults()->string(SettingsSchema::popupTwoColumn), QStringLiteral("alwaysTwo"));

    EXPECT_EQ(tab.positionPicker()->button(0)->text(), QStringLiteral("Right"));
    EXPECT_EQ(tab.positionPicker()->button(1)->text(), QStringLiteral("Next to name"));
    QTest::mouseClick(tab.positionPicker()->button(1), Qt::LeftButton);
    EXPECT_EQ(world.defaults()->string(SettingsSchema::statLabelPosition), QStringLiteral("adjacent"));
    QTest::mouseClick(tab.positionPicker()->button(0), Qt::LeftButton);
    EXPECT_EQ(world.defaults()->string(SettingsSchema::statLabelPosition), QStringLiteral("trailing"));

    QTest::mouseClick(tab.smoothChartsToggle(), Qt::LeftButton);
    EXPECT_EQ(world.defaults()->boolean(SettingsSchema::smoothCharts), false);
}

TEST(ThemesTab, ConfigRowsSkipPieAndSparklineAndFollowInstalls)
{
    test::SettingsWorld world;
    ThemesTab tab(world.env());
    ASSERT_EQ(tab.configRows().size(), 1);
    EXPECT_EQ(tab.configRows()[0]->idLabel()->text(), QStringLiteral("viz.numberLabel"));
    ConfigRow* numberRow = tab.configRows()[0];

    ASSERT_TRUE(world.installRunners({QStringLiteral("piglet"), QStringLiteral("fox")}));
    ASSERT_TRUE(test::waitUntil([&] { return tab.configRows().size() == 3; }));
    QStringList ids;
    for (ConfigRow* row : tab.configRows())
        ids.append(row->id());
    EXPECT_EQ(ids, (QStringList{"viz.numberLabel", "viz.runner.piglet", "viz.runner.fox"}));
    EXPECT_EQ(tab.configRows()[0], numberRow);
    EXPECT_EQ(tab.configRows()[1]->titleLabel()->text(), QStringLiteral("Piglet"));
    EXPECT_NE(tab.configRows()[1]->content(), nullptr);

    world.visualizers->remove(QStringLiteral("viz.runner.piglet"));
    ASSERT_TRUE(test::waitUntil([&] { return tab.configRows().size() == 2; }));
    EXPECT_EQ(tab.configRows()[0], numberRow);
    EXPECT_EQ(tab.configRows()[1]->id(), QStringLiteral("viz.runner.fox"));
}

TEST(ThemesTab, FollowsStoredChangesWithoutWriting)
{
    test::SettingsWorld world;
    ThemesTab tab(world.env());
    world.defaults()->set(SettingsSchema::spriteYOffset, 4.0);
    world.defaults()->set(SettingsSchema::runnerTintEnabled, true);
    test::WriteCounter writes(world.defaults());
    ASSERT_TRUE(test::waitUntil([&] { return tab.offsetLabel()->text() == QStringLiteral("4pt"); }));
    EXPECT_EQ(tab.offsetSlider()->value(), 4);
    EXPECT_TRUE(tab.thresholdSlider()->isEnabled());
    // A drag in progress keeps its position.
    tab.fontSizeSlider()->setSliderDown(true);
    tab.fontSizeSlider()->setSliderPosition(9);
    world.defaults()->set(SettingsSchema::popupFontSize, 15.0);
    test::spinFor(20);
    EXPECT_EQ(tab.fontSizeSlider()->value(), 9);
    tab.fontSizeSlider()->setSliderDown(false);
}

TEST(ThemesTab, Screenshots)
{
    for (bool dark : {false, true}) {
        test::SettingsWorld world;
        ASSERT_TRUE(world.installRunners());
        QApplication::setPalette(test::screenshotPalette(dark));
        world.defaults()->set(SettingsSchema::statBgEnabled, true);
        world.defaults()->set(SettingsSchema::statBgHex, QStringLiteral("#3A7BD5CC"));
        ThemesTab tab(world.env());
        tab.resize(540, 520);
        tab.show();
        QApplication::processEvents();
        const QString path = test::saveScreenshot(&tab, dark ? QStringLiteral("themes-tab-dark")
                                                             : QStringLiteral("themes-tab-light"));
        EXPECT_FALSE(QImage(path).isNull());
        tab.close();
    }
    QApplication::setPalette(QPalette());
}

// A wheel turned over any slider, spin box or menu of the tab while it lacks
// focus scrolls the page and changes no setting; once clicked, it takes the wheel.
TEST(ThemesTab, TheWheelScrollsThePageOverUnfocusedControls)
{
    test::SettingsWorld world;
    SettingsSchema::registerLaunchDefaults(*world.defaults());
    ASSERT_TRUE(world.installRunners());
    world.defaults()->set(SettingsSchema::runnerTintEnabled, true); // the threshold slider is live
    ThemesTab tab(world.env());
    tab.resize(540, 240); // short: the page scrolls
    tab.show();
    QApplication::processEvents();
    auto* scroll = tab.findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);
    QScrollBar* bar = scroll->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);

    QList<QWidget*> controls;
    for (QWidget* w : tab.findChildren<QWidget*>()) {
        if (WheelGuard::isWheelControl(w))
            controls.append(w);
    }
    ASSERT_GE(controls.size(), 4) << "the font, offset and threshold sliders and the layout menu";
    bool sawCombo = false;
    for (QWidget* control : controls) {
        SCOPED_TRACE(control->metaObject()->className() + (u' ' + control->objectName()).toStdString());
        sawCombo = sawCombo || qobject_cast<QComboBox*>(control);
        EXPECT_EQ(control->focusPolicy(), Qt::StrongFocus);
        for (const int delta : {-120, 120}) {
            bar->setValue(bar->maximum() / 2);
            const int before = bar->value();
            test::WriteCounter writes(world.defaults());
            const QPointF at(control->width() / 2.0, control->height() / 2.0);
            QWheelEvent wheel(at, control->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(control, &wheel);
            QApplication::processEvents();
            EXPECT_EQ(writes.count(), 0) << writes.keys().join(u',').toStdString();
            EXPECT_FALSE(writes.valuesChanged());
            EXPECT_EQ(bar->value() > before, delta < 0) << "the page scrolled with the wheel";
            EXPECT_NE(bar->value(), before);
        }
    }
    EXPECT_TRUE(sawCombo);

    // Focused by the user, a slider takes the wheel.
    QSlider* offset = tab.offsetSlider();
    offset->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(offset->hasFocus());
    const int value = offset->value();
    const QPointF at(offset->width() / 2.0, offset->height() / 2.0);
    QWheelEvent wheel(at, offset->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(offset, &wheel);
    EXPECT_NE(offset->value(), value);
}
