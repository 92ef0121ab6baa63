#pragma once

#include "settings/shared/SliderRow.h"
#include "settings/themes/ColourOverrideRows.h"
#include "stats/Palette.h"
#include "views/KeyedRows.h"
#include "views/TurnCoalescer.h"
#include "views/ViewEnvironment.h"

#include <QColor>
#include <QList>
#include <QPointer>
#include <QWidget>
#include <optional>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QVBoxLayout;

namespace gaugelet {

class ColorWell;
class ConfigRow;
class GroupedSection;
class PaletteRow;
class SegmentedControl;
class SettingKey;
class ThemeStore;

// The settings window's "Themes" tab: the palette, the popover's display
// settings, the value chip's styling, the sprites' offset and red tint, and
// one configuration row per visualizer (pie and sparkline have none). Every
// control writes its user-defaults key the moment the user changes it;
// opening the tab writes nothing. The controls follow later changes of their
// keys, the chosen palette and the visualizer list in place.
class ThemesTab : public QWidget {
    Q_OBJECT
public:
    explicit ThemesTab(const ViewEnvironment& env, QWidget* parent = nullptr);

    // The palettes the list shows: the built-in ones in order, a hidden one
    // only while it is the chosen palette.
    static QList<Palette> paletteChoices(const ThemeStore& theme);

    // The colour pickers' bindings: the stored colour, else the fallback
    // (gray at 0.28 opacity for the pill, the primary colour for the text).
    QColor statBgColor() const;
    void setStatBgColor(const QColor& color);
    QColor statFgColor() const;
    void setStatFgColor(const QColor& color);

    // The controls, for tests and screenshots.
    QList<PaletteRow*> paletteRows() const { return m_paletteRows.rows(); }
    QSlider* fontSizeSlider() const { return m_fontRow->slider(); }
    QLabel* fontSizeLabel() const { return m_fontRow->valueLabel(); }
    QComboBox* layoutPicker() const { return m_layoutPicker; }
    QCheckBox* smoothChartsToggle() const { return m_smoothToggle; }
    SegmentedControl* positionPicker() const { return m_positionPicker; }
    QCheckBox* pillToggle() const { return m_pill->toggle(); }
    ColorWell* pillColorWell() const { return m_pill->well(); }
    QPushButton* pillResetButton() const { return m_pill->resetButton(); }
    QCheckBox* textColorToggle() const { return m_fg->toggle(); }
    ColorWell* textColorWell() const { return m_fg->well(); }
    QPushButton* textColorResetButton() const { return m_fg->resetButton(); }
    QSlider* offsetSlider() const { return m_offsetRow->slider(); }
    QLabel* offsetLabel() const { return m_offsetRow->valueLabel(); }
    QCheckBox* tintToggle() const { return m_tintToggle; }
    QSlider* thresholdSlider() const { return m_thresholdRow->slider(); }
    QLabel* thresholdLabel() const { return m_thresholdRow->valueLabel(); }
    QList<ConfigRow*> configRows() const { return m_configRows.rows(); }
    QList<GroupedSection*> sections() const { return m_sections; }

private:
    QWidget* buildPopupSection(QWidget* parent);
    QWidget* buildStatNumberSection(QWidget* parent);
    QWidget* buildSpriteSection(QWidget* parent);

    void write(const SettingKey& key, const QVariant& value);
    void scheduleReload();
    void reload();
    void updatePalettes();
    void updateConfigRows();

    ViewEnvironment m_env;
    TurnCoalescer m_reloadTurn{this, [this] { reload(); }};
    TurnCoalescer m_configRowsTurn{this, [this] { updateConfigRows(); }};

    QWidget* m_paletteBox = nullptr;
    KeyedRows<QString, PaletteRow> m_paletteRows;
    SliderRow* m_fontRow = nullptr;
    QComboBox* m_layoutPicker = nullptr;
    QCheckBox* m_smoothToggle = nullptr;
    SegmentedControl* m_positionPicker = nullptr;
    std::optional<ColourOverrideRows> m_pill;
    std::optional<ColourOverrideRows> m_fg;
    SliderRow* m_offsetRow = nullptr;
    QCheckBox* m_tintToggle = nullptr;
    SliderRow* m_thresholdRow = nullptr;
    QWidget* m_configBox = nullptr;
    // Keyed by the visualizer object, so a replaced visualizer gets a new row.
    KeyedRows<const void*, ConfigRow> m_configRows{KeyedRows<const void*, ConfigRow>::Removal::now};
    QList<GroupedSection*> m_sections;
};

} // namespace gaugelet
