#pragma once

#include "stats/Palette.h"

#include <QAbstractButton>
#include <functional>

namespace gaugelet {

// One palette choice of the Themes tab: the palette's eight accent colours on
// its background, its name and whether it is dark, and a check mark when it is
// the chosen palette. A click anywhere on the row runs onSelect.
class PaletteRow : public QAbstractButton {
    Q_OBJECT
public:
    PaletteRow(Palette palette, bool selected, std::function<void()> onSelect, QWidget* parent = nullptr);

    const Palette& palette() const { return m_palette; }
    bool selected() const { return m_selected; }
    void setSelected(bool selected);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Palette m_palette;
    bool m_selected = false;
    std::function<void()> m_onSelect;
};

} // namespace gaugelet
