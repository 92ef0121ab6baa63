#pragma once

#include "menubar/MenubarPreset.h"

#include <QAbstractButton>

namespace gaugelet {

// One card of the quick looks: the preset's name, a "✓ Current" badge while
// the menu bar shows exactly this preset, and its one-line description. The
// whole card is the click target.
class PresetCard : public QAbstractButton {
    Q_OBJECT
public:
    PresetCard(MenubarPreset preset, QWidget* parent = nullptr);

    const MenubarPreset& preset() const { return m_preset; }
    bool isCurrent() const { return m_current; }
    // Shows the card as current or not, with the matching help text.
    void setCurrent(bool current);

    static QString badgeText();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void updateToolTip();

    MenubarPreset m_preset;
    bool m_current = false;
};

} // namespace gaugelet
