#include "settings/stats/TagStylingRows.h"

#include "platform/core/MainThread.h"
#include "settings/shared/SegmentedControl.h"
#include "settings/shared/SettingsText.h"
#include "stats/StatProvider.h"

#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <cmath>

namespace gaugelet {

namespace {

int rangeOf(TagOrientation orientation)
{
    return orientation == TagOrientation::vertical ? 30 : 10;
}

} // namespace

TagStylingRows::TagStylingRows(const QString& title, TagSpec::Namespace ns, const Pin& pin,
                               const StatProvider& provider, const TagSpec& spec, QWidget* parent)
    : StylingBlock(title, parent), m_namespace(ns), m_pin(pin), m_providerId(provider.id()),
      m_shortName(provider.shortName()), m_spec(spec)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QVBoxLayout* column = this->column();
    m_orientation = new SegmentedControl(tr("Orientation"), {tr("Horizontal"), tr("Vertical")}, this);
    column->addWidget(m_orientation);
    connect(m_orientation, &SegmentedControl::activated, this, [this](int index) {
        setOrientation(index == 1 ? TagOrientation::vertical : TagOrientation::horizontal);
    });

    const int range = rangeOf(m_spec.orientation);
    m_offsetRow = new SliderRow(QString(), -range, range, SettingsText::wholePoints, this);
    column->addWidget(m_offsetRow);
    connect(m_offsetRow->slider(), &QSlider::valueChanged, this, [this](int v) { setOffset(v); });

    addResetButton();
    showState();
}

void TagStylingRows::setOrientation(TagOrientation orientation)
{
    if (orientation == m_spec.orientation)
        return;
    TagSpec next = m_spec;
    next.orientation = orientation;
    // Switching the orientation discards a manual offset.
    next.yOffset = TagSpec::defaultYOffset(next.position, m_namespace, orientation);
    setSpec(next);
}

void TagStylingRows::setOffset(double offset)
{
    TagSpec next = m_spec;
    next.yOffset = offset;
    setSpec(next);
}

void TagStylingRows::resetToDefaults()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    TagSpec::resetPlacement(m_pin.id(), m_namespace);
    const TagSpec loaded = TagSpec::load(m_pin.id(), m_providerId, m_shortName, m_namespace);
    setSpec(loaded);
    showState();
}

void TagStylingRows::setSpec(const TagSpec& spec)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (spec == m_spec)
        return;
    m_spec = spec;
    TagSpec::savePlacement(m_spec, m_pin.id(), m_namespace);
    showState();
}

void TagStylingRows::showState()
{
    const bool vertical = m_spec.orientation == TagOrientation::vertical;
    {
        const QSignalBlocker blocker(m_orientation);
        m_orientation->setCurrentIndex(vertical ? 1 : 0);
    }
    m_offsetRow->titleLabel()->setText(vertical ? tr("Horizontal offset") : tr("Vertical offset"));
    m_offsetRow->setToolTip(
        vertical ? tr("Slides this element left or right of the sprite. Positive = right. Use Left/Right position "
                      "to sit beside the sprite, or push it out from Behind.")
                 : tr("Nudges this element up or down within the slot. Positive = down. With both elements Behind, "
                      "set opposite offsets for name-on-top / value-on-bottom."));
    const int range = rangeOf(m_spec.orientation);
    QSlider* slider = m_offsetRow->slider();
    if (!slider->isSliderDown()) {
        const QSignalBlocker blocker(slider);
        slider->setRange(-range, range);
    }
    m_offsetRow->showValue(SettingsText::sliderPosition(m_spec.yOffset, -range, range, 0),
                           SettingsText::pointsText(m_spec.yOffset, -range, range, 0));
}

} // namespace gaugelet
