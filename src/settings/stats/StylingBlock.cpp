#include "settings/stats/StylingBlock.h"

#include "platform/style/DesignStyle.h"
#include "settings/shared/SettingsText.h"
#include "views/Spacing.h"
#include "views/TextLook.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace gaugelet {

StylingBlock::StylingBlock(const QString& title, QWidget* parent) : QWidget(parent)
{
    auto* column = new QVBoxLayout(this);
    Spacing::apply(column, Spacing::Step::m, Spacing::Step::m);
    m_title = TextLook::weightedLabel(title, DesignStyle::TextStyle::caption, QFont::DemiBold,
                                      DesignStyle::Colour::secondary, this);
    column->addWidget(m_title);
}

QVBoxLayout* StylingBlock::column() const
{
    return static_cast<QVBoxLayout*>(layout());
}

void StylingBlock::addResetButton()
{
    m_reset = SettingsText::addTrailingButton(tr("Reset to defaults"), column(), this);
    connect(m_reset, &QPushButton::clicked, this, &StylingBlock::resetToDefaults);
}

void StylingBlock::paintEvent(QPaintEvent*)
{
    SettingsText::paintBlockBackground(this);
}

} // namespace gaugelet
