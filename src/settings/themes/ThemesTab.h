#pragma once

#include "settings/themes/ColourOverrideRows.h"
#include "stats/Palette.h"
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
    QList<PaletteRow*> paletteRows() const { return m_paletteRows; }
    QSlider* fontSizeSlider() const { return m_fontSlider; }
    QLabel* fontSizeLabel() const { return m_fontLabel; }
    QComboBox* layoutPicker() const { return m_layoutPicker; }
    QCheckBox* smoothChartsToggle() const { return m_smoothToggle; }
    SegmentedControl* positionPicker() const { return m_positionPicker; }
    QCheckBox* pillToggle() const { return m_pill->toggle(); }
    ColorWell* pillColorWell() const { return m_pill->well(); }
    QPushButton* pillResetButton() const { return m_pill->resetButton(); }
    QCheckBox* textColorToggle() const { return m_fg->toggle(); }
    ColorWell* textColorWell() const { return m_fg->well(); }
    QPushButton* textColorResetButton() const { return m_fg->resetButton(); }
    QSlider* offsetSlider() const { return m_offsetSlider; }
    QLabel* offsetLabel() const { return m_offsetLabel; }
    QCheckBox* tintToggle() const { return m_tintToggle; }
    QSlider* thresholdSlider() const { return m_thresholdSlider; }
    QLabel* thresholdLabel() const { return m_thresholdLabel; }
    QList<ConfigRow*> configRows() const { return m_configRows; }
    QList<GroupedSection*> sections() const { return m_sections; }

private:
    QWidget* buildPopupSection(QWidget* parent);
    QWidget* buildStatNumberSection(QWidget* parent);
    QWidget* buildSpriteSection(QWidget* parent);
    QWidget* sliderRow(const QString& title, QSlider* slider, QLabel* value, QWidget* parent);

    void write(const SettingKey& key, const QVariant& value);
    void scheduleReload();
    void reload();
    void updatePalettes();
    void updateConfigRows();

    ViewEnvironment m_env;
    TurnCoalescer m_reloadTurn{this, [this] { reload(); }};
    TurnCoalescer m_configRowsTurn{this, [this] { updateConfigRows(); }};

    QWidget* m_paletteBox = nullptr;
    QVBoxLayout* m_paletteLayout = nullptr;
    QList<PaletteRow*> m_paletteRows;
    QSlider* m_fontSlider = nullptr;
    QLabel* m_fontLabel = nullptr;
    QComboBox* m_layoutPicker = nullptr;
    QCheckBox* m_smoothToggle = nullptr;
    SegmentedControl* m_positionPicker = nullptr;
    std::optional<ColourOverrideRows> m_pill;
    std::optional<ColourOverrideRows> m_fg;
    QSlider* m_offsetSlider = nullptr;
    QLabel* m_offsetLabel = nullptr;
    QCheckBox* m_tintToggle = nullptr;
    QSlider* m_thresholdSlider = nullptr;
    QLabel* m_thresholdLabel = nullptr;
    QWidget* m_configBox = nullptr;
    QVBoxLayout* m_configLayout = nullptr;
    QList<ConfigRow*> m_configRows;
    QList<const void*> m_configRowVisualizers;
    QList<GroupedSection*> m_sections;
};

} // namespace gaugelet
