#pragma once

#include "platform/core/Result.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

namespace gaugelet {

// Property lists through libplist. Values map to QVariant as: string QString,
// boolean bool, integer qint64, real double, data QByteArray, date QDateTime
// (UTC), array QVariantList, dict QVariantMap.
class PropertyList {
public:
    struct ReadError {
        QString message;
        QString describe() const { return message; }
    };

    // XML form of a value ("<?xml ...><plist version=\"1.0\">...").
    static QByteArray toXml(const QVariant& value);
    // Reads an XML or binary property list. Anything unreadable is an error.
    static Result<QVariant, ReadError> fromData(const QByteArray& data);

    // Brings a QVariant to the canonical types above (int -> qint64, float ->
    // double, QStringList -> QVariantList, ...). Null for a type that a
    // property list cannot hold.
    static QVariant normalized(const QVariant& value);
};

} // namespace gaugelet
