#pragma once

#include <QHashFunctions>
#include <QString>
#include <QStringView>
#include <optional>

namespace gaugelet {

// The kind of the primary network interface.
enum class InterfaceKind { wifi, ethernet, vpn, bridge, other, unknown };

QString rawValue(InterfaceKind kind);
std::optional<InterfaceKind> interfaceKindFromRaw(QStringView raw);

// Hashable by its raw value.
inline size_t qHash(InterfaceKind kind, size_t seed = 0)
{
    const QString raw = rawValue(kind);
    return qHashBits(raw.constData(), size_t(raw.size()) * sizeof(QChar), seed);
}

} // namespace gaugelet
