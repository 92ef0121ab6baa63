#pragma once

#include "views/ViewEnvironment.h"

#include <QWidget>

namespace gaugelet {

class PresetsSection;
class SpriteCustomizeSection;

// The settings window's "Stats" tab: the quick looks, then the sprite
// customisation of each statistic.
class StatsTab : public QWidget {
    Q_OBJECT
public:
    explicit StatsTab(const ViewEnvironment& env, QWidget* parent = nullptr);

    PresetsSection* presets() const { return m_presets; }
    SpriteCustomizeSection* sprites() const { return m_sprites; }

private:
    PresetsSection* m_presets = nullptr;
    SpriteCustomizeSection* m_sprites = nullptr;
};

} // namespace gaugelet
