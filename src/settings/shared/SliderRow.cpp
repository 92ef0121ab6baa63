#include "settings/shared/SliderRow.h"

#include "settings/shared/SettingsText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>

namespace gaugelet {

SliderRow::SliderRow(const QString& title, int low, int high, QWidget* parent) : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    m_title = new QLabel(this);
    m_title->setTextFormat(Qt::PlainText);
    m_title->setText(title);
    row->addWidget(m_title, 0, Qt::AlignVCenter);
    m_slider = SettingsText::stepSlider(low, high, this);
    row->addWidget(m_slider, 1, Qt::AlignVCenter);
    m_value = SettingsText::sliderValueLabel(this);
    row->addWidget(m_value, 0, Qt::AlignVCenter);
}

void SliderRow::showValue(int position, const QString& text)
{
    SettingsText::showSliderPosition(m_slider, position);
    m_value->setText(text);
}

} // namespace gaugelet
