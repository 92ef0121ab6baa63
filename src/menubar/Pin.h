#pragma once

#include "platform/core/Result.h"

#include <QByteArray>
#include <QHashFunctions>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>

namespace gaugelet {

// One menu-bar tile: a statistic (provider id) and a way of drawing it
// (visualizer id). Stored as JSON with the field names as keys.
struct Pin {
    QString providerId;
    QString visualizerId;

    bool operator==(const Pin&) const = default;

    // "<providerId>::<visualizerId>": the key of the pin's label styling, its
    // render-cache entries and its layers.
    QString id() const { return providerId + QStringLiteral("::") + visualizerId; }

    struct DecodeError {
        enum class Kind { notJson, notArray, notObject, missingKey, notString };
        Kind kind = Kind::notJson;
        qsizetype index = -1; // the failing element of a list, -1 for the whole
        QString key;          // the failing key, when one
        QString describe() const;
    };

    QJsonObject toJson() const;
    static Result<Pin, DecodeError> fromJson(const QJsonValue& value);

    // A JSON array of pins; decoding fails as a whole on the first bad element.
    static QByteArray encodeList(const QList<Pin>& pins);
    static Result<QList<Pin>, DecodeError> decodeList(const QByteArray& data);
};

inline size_t qHash(const Pin& pin, size_t seed = 0)
{
    return qHashMulti(seed, pin.providerId, pin.visualizerId);
}

} // namespace gaugelet
