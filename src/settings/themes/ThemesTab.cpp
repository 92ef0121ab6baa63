#include "settings/themes/ThemesTab.h"

#include "menubar/RunnerVisualizer.h"
#include "menubar/VisualizerRegistry.h"
#include "menubar/views/VisualizerViews.h"
#include "platform/core/Defaults.h"
#include "platform/core/MainThread.h"
#include "platform/style/DesignStyle.h"
#include "popover/TwoColumnMode.h"
#include "schema/SettingsNotifier.h"
#include "schema/SettingsSchema.h"
#include "settings/shared/ColorWell.h"
#include "settings/shared/ScrollingPage.h"
#include "settings/shared/SegmentedControl.h"
#include "settings/shared/SettingsText.h"
#include "settings/themes/ConfigRow.h"
#include "settings/themes/PaletteRow.h"
#include "stats/Color.h"
#include "stats/Prefs.h"
#include "stats/StatLabelPosition.h"
#include "stats/ThemeStore.h"
#include "views/GroupedSection.h"
#include "views/Spacing.h"
#include "views/TextLabel.h"
#include "views/WheelGuard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

namespace gaugelet {

namespace {

constexpr int kFontMin = 9;
constexpr int kFontMax = 16;
constexpr int kOffsetMin = -10;
constexpr int kOffsetMax = 10;
// The threshold slider counts twentieths: 10 (0.5) to 19 (0.95).
constexpr int kThresholdMin = 10;
constexpr int kThresholdMax = 19;

} // namespace

ThemesTab::ThemesTab(const ViewEnvironment& env, QWidget* parent) : QWidget(parent), m_env(env)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QVBoxLayout* column = addSectionsPage(this);
    QWidget* form = column->parentWidget();
    column->addWidget(buildPopupSection(form));
    column->addWidget(buildStatNumberSection(form));
    column->addWidget(buildSpriteSection(form));
    column->addStretch(1);

    reload();
    updatePalettes();
    updateConfigRows();

    connect(SettingsNotifier::standard(), &SettingsNotifier::themesChanged, this, &ThemesTab::scheduleReload);
    if (m_env.theme)
        connect(m_env.theme, &ThemeStore::paletteChanged, this, [this] { updatePalettes(); });
    if (m_env.visualizers) {
        connect(m_env.visualizers, &VisualizerRegistry::visualizersChanged, this, [this] {
            m_configRowsTurn.request();
        });
    }
}

QWidget* ThemesTab::buildPopupSection(QWidget* parent)
{
    auto* section = new GroupedSection(tr("Popup"), parent, GroupedSection::Rows::compact);
    m_sections.append(section);
    QWidget* body = section->panel();

    m_paletteBox = new QWidget(body);
    Spacing::apply(new QVBoxLayout(m_paletteBox), Spacing::Step::none, Spacing::Step::s);
    section->addRow(m_paletteBox);
    section->addRow(TextLabel::caption(
        tr("Theme drives panel tints, ring grids, and chart colours. Tag colours below are independent overrides."),
        body));

    m_fontRow = new SliderRow(tr("Detail font size"), kFontMin, kFontMax, SettingsText::wholePoints, body);
    section->addRow(m_fontRow);
    connect(m_fontRow->slider(), &QSlider::valueChanged, this,
            [this](int v) { write(SettingsSchema::popupFontSize, double(v)); });
    section->addRow(TextLabel::caption(
        tr("Drives the breakdown rows inside provider popups. Smaller = more rows visible without scrolling."), body));

    auto* layoutRow = new QHBoxLayout;
    auto* layoutLabel = new QLabel(tr("Layout"), body);
    layoutRow->addWidget(layoutLabel);
    layoutRow->addStretch(1);
    m_layoutPicker = new QComboBox(body);
    WheelGuard::install(m_layoutPicker);
    for (TwoColumnMode mode : allTwoColumnModes()) {
        QString text;
        switch (mode) {
        case TwoColumnMode::automatic: text = tr("Auto"); break;
        case TwoColumnMode::alwaysOne: text = tr("Single column"); break;
        case TwoColumnMode::alwaysTwo: text = tr("Two columns"); break;
        }
        m_layoutPicker->addItem(text, rawValue(mode));
    }
    layoutLabel->setBuddy(m_layoutPicker);
    layoutRow->addWidget(m_layoutPicker);
    section->addLayoutRow(layoutRow);
    connect(m_layoutPicker, &QComboBox::activated, this,
            [this](int index) { write(SettingsSchema::popupTwoColumn, m_layoutPicker->itemData(index).toString()); });
    section->addRow(
        TextLabel::caption(tr("Auto switches to two columns when the popover would overflow the display height."), body));

    m_smoothToggle = new QCheckBox(tr("Smooth flowing charts"), body);
    section->addRow(m_smoothToggle);
    connect(m_smoothToggle, &QCheckBox::clicked, this, [this](bool on) { write(SettingsSchema::smoothCharts, on); });
    section->addRow(TextLabel::caption(
        tr("On: history charts flow continuously (CPU/GPU as smooth areas, Network as overlaid lines). Off: the "
           "classic per-second bars. Popover only."),
        body));
    return section;
}

QWidget* ThemesTab::buildStatNumberSection(QWidget* parent)
{
    auto* section = new GroupedSection(tr("Stat number"), parent, GroupedSection::Rows::compact);
    m_sections.append(section);
    QWidget* body = section->panel();

    m_positionPicker = new SegmentedControl(tr("Position"), {tr("Right"), tr("Next to name")}, body);
    section->addRow(m_positionPicker);
    connect(m_positionPicker, &SegmentedControl::activated, this, [this](int index) {
        const QList<StatLabelPosition> all = allStatLabelPositions();
        if (index >= 0 && index < all.size())
            write(SettingsSchema::statLabelPosition, rawValue(all[index]));
    });

    const ColourOverrideRows::Writer writer = [this](const SettingKey& key, const QVariant& value) {
        write(key, value);
    };
    m_pill.emplace(
        section, ColourOverrideRows::Texts{tr("Pill background"), tr("Pill background color"), tr("Reset pill color")},
        SettingsSchema::statBgEnabled, SettingsSchema::statBgHex, writer);
    m_fg.emplace(section,
                 ColourOverrideRows::Texts{tr("Override text color"), tr("Text color"), tr("Reset text color")},
                 SettingsSchema::statFgEnabled, SettingsSchema::statFgHex, writer);

    section->addRow(TextLabel::caption(
        tr("Pill sits behind the value on single-stat tiles (CPU 71%, GPU 53%, MEM 8 GB, …). The Network-specific "
           "merged-total toggle now lives in **Stats → Network**."),
        body, true));
    return section;
}

QWidget* ThemesTab::buildSpriteSection(QWidget* parent)
{
    auto* section = new GroupedSection(tr("Sprite styling"), parent, GroupedSection::Rows::compact);
    m_sections.append(section);
    QWidget* body = section->panel();

    m_offsetRow = new SliderRow(tr("Sprite vertical offset"), kOffsetMin, kOffsetMax, SettingsText::wholePoints, body);
    m_offsetRow->setToolTip(
        tr("Nudges animated sprites (cat, fox, hare, …) up or down within the panel slot. Positive = down, "
           "negative = up. Use to compensate for built-in transparent padding in some sprite assets."));
    section->addRow(m_offsetRow);
    connect(m_offsetRow->slider(), &QSlider::valueChanged, this,
            [this](int v) { write(SettingsSchema::spriteYOffset, double(v)); });

    m_tintToggle = new QCheckBox(tr("Turn red at high usage"), body);
    section->addRow(m_tintToggle);
    connect(m_tintToggle, &QCheckBox::clicked, this, [this](bool on) { write(SettingsSchema::runnerTintEnabled, on); });

    m_thresholdRow = new SliderRow(
        tr("Tint threshold"), kThresholdMin, kThresholdMax,
        [](int k) -> QString { return QString::number(k * 5) + u'%'; }, body);
    section->addRow(m_thresholdRow);
    // k / 20.0 is the double nearest to the step (k × 0.05 is not: 12 × 0.05
    // gives 0.6000000000000001).
    connect(m_thresholdRow->slider(), &QSlider::valueChanged, this,
            [this](int k) { write(SettingsSchema::runnerTintThreshold, k / 20.0); });
    section->addRow(TextLabel::caption(
        tr("Animated sprites switch to a red variant when the bound provider's value crosses the threshold. "
           "Pre-baked once per kind, no per-frame allocation."),
        body));

    m_configBox = new QWidget(body);
    Spacing::apply(new QVBoxLayout(m_configBox), Spacing::top(Spacing::Step::xs), Spacing::Step::l);
    section->addRow(m_configBox);
    return section;
}

QList<Palette> ThemesTab::paletteChoices(const ThemeStore& theme)
{
    QList<Palette> result;
    const QString selected = theme.palette().id;
    for (const Palette& p : theme.available()) {
        if (Palette::unlistedIds().contains(p.id) && p.id != selected)
            continue;
        result.append(p);
    }
    return result;
}

QColor ThemesTab::statBgColor() const
{
    QColor gray = DesignStyle::colour(DesignStyle::Colour::gray, this);
    gray.setAlphaF(0.28);
    return Color::fromHex(SettingsSchema::string(SettingsSchema::statBgHex)).value_or(gray);
}

void ThemesTab::setStatBgColor(const QColor& color)
{
    write(SettingsSchema::statBgHex, Color::hexString(color));
}

QColor ThemesTab::statFgColor() const
{
    return Color::fromHex(SettingsSchema::string(SettingsSchema::statFgHex))
        .value_or(DesignStyle::colour(DesignStyle::Colour::primary, this));
}

void ThemesTab::setStatFgColor(const QColor& color)
{
    write(SettingsSchema::statFgHex, Color::hexString(color));
}

void ThemesTab::write(const SettingKey& key, const QVariant& value)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    SettingsSchema::write(key, value);
    reload();
}

void ThemesTab::scheduleReload()
{
    m_reloadTurn.request();
}

void ThemesTab::reload()
{
    // Every control is set with its signals blocked: showing a value never
    // writes it, and a stored value beyond a slider's range stays stored.
    const double fontSize = SettingsSchema::real(SettingsSchema::popupFontSize);
    const double fontFallback = SettingsSchema::popupFontSize.defaultReal();
    m_fontRow->showValue(SettingsText::sliderPosition(fontSize, kFontMin, kFontMax, int(fontFallback)),
                         SettingsText::pointsText(fontSize, kFontMin, kFontMax, fontFallback));

    {
        const QSignalBlocker blocker(m_layoutPicker);
        const int index = int(allTwoColumnModes().indexOf(storedTwoColumnMode(*Defaults::standard())));
        m_layoutPicker->setCurrentIndex(index);
    }
    {
        const QSignalBlocker blocker(m_smoothToggle);
        m_smoothToggle->setChecked(SettingsSchema::boolean(SettingsSchema::smoothCharts));
    }
    {
        const QSignalBlocker blocker(m_positionPicker);
        m_positionPicker->setCurrentIndex(
            int(allStatLabelPositions().indexOf(storedStatLabelPosition(*Defaults::standard()))));
    }

    m_pill->reload(statBgColor());
    m_fg->reload(statFgColor());

    const double offset = SettingsSchema::real(SettingsSchema::spriteYOffset);
    m_offsetRow->showValue(SettingsText::sliderPosition(offset, kOffsetMin, kOffsetMax, 0),
                           SettingsText::pointsText(offset, kOffsetMin, kOffsetMax, 0));

    const bool tintOn = SettingsSchema::boolean(SettingsSchema::runnerTintEnabled);
    {
        const QSignalBlocker blocker(m_tintToggle);
        m_tintToggle->setChecked(tintOn);
    }
    const double threshold = SettingsSchema::real(SettingsSchema::runnerTintThreshold);
    m_thresholdRow->showValue(SettingsText::sliderPosition(threshold * 20, kThresholdMin, kThresholdMax, 16),
                              QString::number(SettingsText::wholeNumber(threshold * 100, 50, 95, 80))
                                  + QStringLiteral("%"));
    m_thresholdRow->slider()->setEnabled(tintOn);
}

void ThemesTab::updatePalettes()
{
    if (!m_env.theme)
        return;
    const QList<Palette> choices = paletteChoices(*m_env.theme);
    const QString selected = m_env.theme->palette().id;
    QList<QString> ids;
    for (const Palette& p : choices)
        ids.append(p.id);
    // The click that chose the palette may still be running in a row that
    // goes, so rows go at the next turn of the event loop.
    const auto create = [&](const QString& id) {
        const Palette& p = choices[ids.indexOf(id)];
        return new PaletteRow(
            p, id == selected,
            [this, id] {
                if (m_env.theme)
                    m_env.theme->select(id);
            },
            m_paletteBox);
    };
    const auto update = [&](PaletteRow* row, const QString& id) {
        row->setSelected(id == selected);
        return true;
    };
    const QList<PaletteRow*> rows = m_paletteRows.reconcile(ids, create, update);
    KeyedRows<QString, PaletteRow>::place(static_cast<QBoxLayout*>(m_paletteBox->layout()), rows);
}

void ThemesTab::updateConfigRows()
{
    if (!m_env.visualizers)
        return;
    // Rows whose visualizer stays keep their widgets (and whatever the user
    // is doing in them); the others go, new ones are made.
    QList<VisualizerPtr> shown;
    QList<const void*> keys;
    for (const VisualizerPtr& v : m_env.visualizers->visualizers()) {
        if (VisualizerRegistry::pinnedOnlyIds().contains(v->id()))
            continue;
        shown.append(v);
        keys.append(v.get());
    }
    const auto create = [&](const void* key) {
        const VisualizerPtr& v = shown[keys.indexOf(key)];
        return new ConfigRow(v->displayName(), v->id(), VisualizerViews::makeConfigView(*v, nullptr), m_configBox);
    };
    const QList<ConfigRow*> rows = m_configRows.reconcile(keys, create);
    KeyedRows<const void*, ConfigRow>::place(static_cast<QBoxLayout*>(m_configBox->layout()), rows);
}

} // namespace gaugelet
