#pragma once

#include "stats/Palette.h"

#include <QObject>

namespace gaugelet {

// Holds the chosen palette and persists its id under "global.themeId".
class ThemeStore : public QObject {
    Q_OBJECT
public:
    explicit ThemeStore(const QString& defaultPaletteId, QObject* parent = nullptr);

    const QList<Palette>& available() const { return m_available; }
    const Palette& palette() const { return m_palette; }

    // Chooses a built-in palette by id and stores the id; an unknown id changes nothing.
    void select(const QString& paletteId);

Q_SIGNALS:
    // Only when the palette really changes.
    void paletteChanged(const gaugelet::Palette& palette);

private:
    QList<Palette> m_available;
    Palette m_palette;
};

} // namespace gaugelet
