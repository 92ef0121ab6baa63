#pragma once

#include "platform/core/Result.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

namespace gaugelet {

// Property lists through libplist. Values map to QVariant as: string QString,
// boolean bool, integer qint64 (quint64 for one above the signed range, up to
// 2^64-1, as property lists allow), real double, data QByteArray, date
// QDateTime (UTC), array QVariantList, dict QVariantMap.
class PropertyList {
public:
    struct ReadError {
        QString message;
        QString describe() const { return message; }
    };

    // XML form of a value ("<?xml ...><plist version=\"1.0\">...").
    static QByteArray toXml(const QVariant& value);
    // Reads an XML or binary property list. Anything unreadable is an error,
    // and so is a value that could not be written back exactly: an integer
    // below -2^63 or above 2^64-1, or a date outside 1932-12-13T20:45:52Z ...
    // 2069-01-19T03:14:07Z (whole seconds from 2001 in 32 bits).
    static Result<QVariant, ReadError> fromData(const QByteArray& data);

    // Brings a QVariant to the canonical types above (int -> qint64, float ->
    // double, QStringList -> QVariantList, an unsigned integer within the
    // signed range -> qint64, ...). Null for a type that a property list
    // cannot hold and a date outside the range above.
    static QVariant normalized(const QVariant& value);
};

} // namespace gaugelet
