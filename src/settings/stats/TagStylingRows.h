#pragma once

#include "menubar/Pin.h"
#include "menubar/TagSpec.h"
#include "settings/shared/SliderRow.h"
#include "settings/stats/StylingBlock.h"

#include <QString>

class QLabel;
class QSlider;

namespace gaugelet {

class SegmentedControl;
class StatProvider;

// The placement of one label of a pinned sprite: its orientation and its
// offset from the default place. The TagSpec given on creation is the state;
// every change writes the label's position, orientation and offset. A stored
// offset beyond the slider's range shows at the slider's end with the stored
// number in the value text, and is not written until the user changes it.
class TagStylingRows : public StylingBlock {
    Q_OBJECT
public:
    TagStylingRows(const QString& title, TagSpec::Namespace ns, const Pin& pin, const StatProvider& provider,
                   const TagSpec& spec, QWidget* parent = nullptr);

    const TagSpec& spec() const { return m_spec; }
    TagSpec::Namespace labelNamespace() const { return m_namespace; }

    // The user's edits.
    void setOrientation(TagOrientation orientation);
    void setOffset(double offset);
    void resetToDefaults() override;

    SegmentedControl* orientationPicker() const { return m_orientation; }
    QLabel* offsetTitle() const { return m_offsetRow->titleLabel(); }
    QSlider* offsetSlider() const { return m_offsetRow->slider(); }
    QLabel* offsetValue() const { return m_offsetRow->valueLabel(); }
    QWidget* offsetRow() const { return m_offsetRow; }

private:
    void setSpec(const TagSpec& spec);
    void showState();

    TagSpec::Namespace m_namespace;
    Pin m_pin;
    QString m_providerId;
    QString m_shortName;
    TagSpec m_spec;
    SegmentedControl* m_orientation = nullptr;
    SliderRow* m_offsetRow = nullptr;
};

} // namespace gaugelet
