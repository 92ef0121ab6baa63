#include "settings/shared/SliderRow.h"

#include "settings/shared/SettingsText.h"
#include "views/ValueLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>

namespace gaugelet {

SliderRow::SliderRow(const QString& title, int low, int high, std::function<QString(int)> positionText, QWidget* parent)
    : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    m_title = new QLabel(this);
    m_title->setTextFormat(Qt::PlainText);
    m_title->setText(title);
    row->addWidget(m_title, 0, Qt::AlignVCenter);
    m_slider = SettingsText::stepSlider(low, high, this);
    row->addWidget(m_slider, 1, Qt::AlignVCenter);
    // Monospaced digits, 40 points wide at least, aligned trailing.
    auto* value = new ValueLabel(DesignStyle::TextStyle::body, 40, this);
    value->setRange(low, high, positionText);
    connect(m_slider, &QSlider::rangeChanged, value,
            [value, positionText](int min, int max) { value->setRange(min, max, positionText); });
    m_value = value;
    row->addWidget(m_value, 0, Qt::AlignVCenter);
}

void SliderRow::showValue(int position, const QString& text)
{
    SettingsText::showSliderPosition(m_slider, position);
    m_value->setText(text);
}

} // namespace gaugelet
