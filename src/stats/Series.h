#pragma once

#include <QHash>
#include <QString>
#include <optional>

namespace gaugelet {

// One named component of a snapshot's breakdown, in the provider's unit.
struct Series {
    QString id;
    QString label;
    double value = 0;
    std::optional<QString> displayValue;

    bool operator==(const Series&) const = default;
};

inline size_t qHash(const Series& s, size_t seed = 0)
{
    // +0 and -0 compare equal, so they must hash alike.
    const double v = s.value == 0 ? 0.0 : s.value;
    return qHashMulti(seed, s.id, s.label, v, s.displayValue.has_value(), s.displayValue.value_or(QString()));
}

} // namespace gaugelet
