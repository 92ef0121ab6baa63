#include "menubar/RenderHasher.h"

#include <bit>
#include <cmath>
#include <cstring>
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
    // The length goes in too, so ("ab", "c") and ("a", "bc") differ. Four
    // UTF-16 units at a time: keys are made on every redraw, so this stays
    // far cheaper than a keyed hash, and mix() spreads the result.
    mix(quint64(text.size()));
    const char16_t* p = text.utf16();
    qsizetype n = text.size();
    constexpr quint64 k = 0x517cc1b727220a95ULL;
    quint64 h = 0x243f6a8885a308d3ULL;
    while (n >= 4) {
        quint64 word;
        std::memcpy(&word, p, sizeof word);
        h = (std::rotl(h, 5) ^ word) * k;
        p += 4;
        n -= 4;
    }
    quint64 tail = 0;
    // A null string has no buffer at all; memcpy must not see its null pointer.
    if (n > 0)
        std::memcpy(&tail, p, size_t(n) * sizeof(char16_t));
    h = (std::rotl(h, 5) ^ tail) * k;
    mix(h);
    return *this;
}

RenderHasher& RenderHasher::combine(qint64 value)
{
    mix(quint64(value));
    return *this;
}

RenderHasher& RenderHasher::combineFlag(bool value)
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
