#pragma once

#include <cmath>
#include <type_traits>
#include <utility>

namespace gaugelet {

// Stores `value` in `member` when it differs, and says whether it did: the
// one shape of a setter that redraws only on a real change.
//
//   void Dot::setColour(const QColor& colour)
//   {
//       if (assignIfChanged(m_colour, colour))
//           update();
//   }
//
// A NaN stored over a NaN is no change.
template <typename T, typename U>
bool assignIfChanged(T& member, U&& value)
{
    if (member == value)
        return false;
    if constexpr (std::is_floating_point_v<T>) {
        if (std::isnan(member) && std::isnan(value))
            return false;
    }
    member = std::forward<U>(value);
    return true;
}

} // namespace gaugelet
