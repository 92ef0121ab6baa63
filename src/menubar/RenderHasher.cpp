#include "menubar/RenderHasher.h"

#include <QHashFunctions>
#include <cmath>
#include <limits>

namespace gaugelet {

namespace {

// The finaliser of SplitMix64: every input bit reaches every output bit.
quint64 avalanche(quint64 z)
{
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

} // namespace

void RenderHasher::mix(quint64 word)
{
    ++m_count;
    m_state = avalanche(m_state ^ (word + 0x9e3779b97f4a7c15ULL * m_count));
}

RenderHasher& RenderHasher::combine(QStringView text)
{
    // The length goes in too, so ("ab", "c") and ("a", "bc") differ.
    mix(quint64(text.size()));
    mix(quint64(qHash(text, size_t(0x5bd1e995))));
    return *this;
}

RenderHasher& RenderHasher::combine(qint64 value)
{
    mix(quint64(value));
    return *this;
}

RenderHasher& RenderHasher::combine(bool value)
{
    mix(value ? 0xb0071ULL : 0xb0070ULL);
    return *this;
}

qint64 RenderHasher::finalize() const
{
    return qint64(avalanche(m_state + m_count));
}

qint64 RenderHasher::toKeyInteger(double value)
{
    if (std::isnan(value))
        return 0;
    // 2^63 is exactly representable; anything at or beyond it saturates.
    constexpr double limit = 9223372036854775808.0;
    if (value >= limit)
        return std::numeric_limits<qint64>::max();
    if (value < -limit)
        return std::numeric_limits<qint64>::min();
    return qint64(value);
}

} // namespace gaugelet
