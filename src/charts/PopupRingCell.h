#pragma once

#include <QColor>
#include <QHashFunctions>

namespace gaugelet {

// One ring of a ring grid: a fraction and its tint.
struct PopupRingCell {
    double value = 0;
    QColor tint;

    bool operator==(const PopupRingCell&) const = default;
};

inline size_t qHash(const PopupRingCell& cell, size_t seed = 0)
{
    const double v = cell.value == 0 ? 0.0 : cell.value; // +0 and -0 alike
    return qHashMulti(seed, v, cell.tint.rgba64().toArgb32(), cell.tint.spec());
}

} // namespace gaugelet
