#include "settings/themes/ColourOverrideRows.h"

#include "platform/style/DesignStyle.h"
#include "schema/SettingsSchema.h"
#include "settings/shared/ColorWell.h"
#include "stats/Color.h"
#include "views/GroupedSection.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>

namespace gaugelet {

ColourOverrideRows::ColourOverrideRows(GroupedSection* section, const Texts& texts, const SettingKey& enabledKey,
                                       const SettingKey& hexKey, const Writer& write)
    : m_enabledKey(enabledKey)
{
    QWidget* body = section->panel();
    m_toggle = new QCheckBox(texts.toggle, body);
    section->addRow(m_toggle);
    QObject::connect(m_toggle, &QCheckBox::clicked, m_toggle, [write, &enabledKey](bool on) { write(enabledKey, on); });
    m_well = new ColorWell(texts.well, body);
    section->addRow(m_well);
    QObject::connect(m_well, &ColorWell::colorPicked, m_well,
                     [write, &hexKey](const QColor& colour) { write(hexKey, Color::hexString(colour)); });
    m_reset = new QPushButton(texts.reset, body);
    m_reset->setFont(DesignStyle::font(DesignStyle::TextStyle::callout));
    m_reset->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    auto* trailing = new QHBoxLayout;
    trailing->addStretch(1);
    trailing->addWidget(m_reset);
    section->addLayoutRow(trailing);
    QObject::connect(m_reset, &QPushButton::clicked, m_reset, [write, &hexKey] { write(hexKey, QString()); });
}

void ColourOverrideRows::reload(const QColor& colour)
{
    const bool on = SettingsSchema::boolean(m_enabledKey);
    {
        const QSignalBlocker blocker(m_toggle);
        m_toggle->setChecked(on);
    }
    m_well->setColor(colour);
    m_well->setEnabled(on);
    m_reset->setEnabled(on);
}

} // namespace gaugelet
