#pragma once

#include <QStringView>

namespace gaugelet {

// Orders two version strings the way the gate and the update feed expect:
// runs of ASCII digits compare by numeric value (so "1.10" is after "1.9"),
// everything else character by character, and a string that ends first is
// before the longer one. Digit runs of any length compare without overflow.
// Returns a negative number, 0 or a positive number.
int numericCompare(QStringView lhs, QStringView rhs);

} // namespace gaugelet
