#pragma once

#include <QStringView>
#include <QtGlobal>
#include <concepts>

namespace gaugelet {

// Feeds the inputs of a tile picture, in order, into one signed 64-bit key.
// The key is stable within one run of the program (it is never stored).
// Doubles enter only through toKeyInteger, which is defined for every input.
class RenderHasher {
public:
    RenderHasher& combine(QStringView text);
    RenderHasher& combine(qint64 value);
    RenderHasher& combine(int value) { return combine(qint64(value)); }
    // Only a real bool: a string literal or a pointer must never turn into one.
    template <typename B>
        requires std::same_as<B, bool>
    RenderHasher& combine(B value)
    {
        return combineFlag(value);
    }
    RenderHasher& combine(const char*) = delete;
    RenderHasher& combine(double) = delete;

    qint64 finalize() const;

    // A double truncated towards zero to an integer, saturating at the ends of
    // the range; NaN gives 0. Never undefined, whatever a stored setting or a
    // snapshot holds.
    static qint64 toKeyInteger(double value);

private:
    RenderHasher& combineFlag(bool value);
    void mix(quint64 word);

    quint64 m_state = 0x6a09e667f3bcc909ULL;
    quint64 m_count = 0;
};

} // namespace gaugelet
