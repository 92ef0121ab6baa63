#pragma once

#include <QColor>
#include <QString>
#include <QVariant>
#include <functional>

class QCheckBox;
class QPushButton;

namespace gaugelet {

class ColorWell;
class GroupedSection;
class SettingKey;

// Three rows of a section that override one colour: the toggle that turns
// the override on, the colour well, and the button that forgets the chosen
// colour. The well and the button follow the toggle.
class ColourOverrideRows {
public:
    struct Texts {
        QString toggle;
        QString well;
        QString reset;
    };
    // Writes a key's new value (and shows the result).
    using Writer = std::function<void(const SettingKey&, const QVariant&)>;

    ColourOverrideRows(GroupedSection* section, const Texts& texts, const SettingKey& enabledKey,
                       const SettingKey& hexKey, const Writer& write);

    // Shows the stored toggle (without reporting) and the colour.
    void reload(const QColor& colour);

    QCheckBox* toggle() const { return m_toggle; }
    ColorWell* well() const { return m_well; }
    QPushButton* resetButton() const { return m_reset; }

private:
    const SettingKey& m_enabledKey;
    QCheckBox* m_toggle = nullptr;
    ColorWell* m_well = nullptr;
    QPushButton* m_reset = nullptr;
};

} // namespace gaugelet
