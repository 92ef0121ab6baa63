#include "menubar/Pin.h"

#include "platform/core/JsonReader.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace gaugelet {

namespace {

const QString kProviderId = QStringLiteral("providerId");
const QString kVisualizerId = QStringLiteral("visualizerId");

} // namespace

QString Pin::DecodeError::describe() const
{
    const QString where = index >= 0 ? QStringLiteral(" at index %1").arg(index) : QString();
    switch (kind) {
    case Kind::notJson:
        return QStringLiteral("the pins are not valid JSON");
    case Kind::notArray:
        return QStringLiteral("the pins are not a JSON array");
    case Kind::notObject:
        return QStringLiteral("the pin%1 is not a JSON object").arg(where);
    case Kind::missingKey:
        return QStringLiteral("the pin%1 has no \"%2\"").arg(where, key);
    case Kind::notString:
        return QStringLiteral("\"%2\" of the pin%1 is not a string").arg(where, key);
    }
    return {};
}

QJsonObject Pin::toJson() const
{
    return QJsonObject { { kProviderId, providerId }, { kVisualizerId, visualizerId } };
}

namespace {

Pin decodePin(JsonReader& keys)
{
    Pin pin;
    pin.providerId = keys.require<QString>(kProviderId);
    pin.visualizerId = keys.require<QString>(kVisualizerId);
    return pin;
}

Pin::DecodeError decodeError(const JsonReader::Error& error)
{
    // A null is a value that is not a string.
    const auto kind = error.kind == JsonReader::Error::Kind::keyNotFound ? Pin::DecodeError::Kind::missingKey
                                                                         : Pin::DecodeError::Kind::notString;
    return Pin::DecodeError { kind, -1, error.key };
}

} // namespace

Result<Pin, Pin::DecodeError> Pin::fromJson(const QJsonValue& value)
{
    if (!value.isObject())
        return fail(DecodeError { DecodeError::Kind::notObject, -1, {} });
    JsonReader keys(value.toObject());
    Pin pin = decodePin(keys);
    if (keys.failed())
        return fail(decodeError(keys.error()));
    return pin;
}

QByteArray Pin::encodeList(const QList<Pin>& pins)
{
    QJsonArray array;
    for (const Pin& pin : pins)
        array.append(pin.toJson());
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

Result<QList<Pin>, Pin::DecodeError> Pin::decodeList(const QByteArray& data)
{
    auto pins = JsonReader::decodeList(data, decodePin);
    if (pins)
        return std::move(pins).value();
    const JsonReader::ListError& failure = pins.error();
    if (failure.index < 0) {
        const bool notJson = failure.error.kind == JsonReader::Error::Kind::notJson;
        return fail(DecodeError { notJson ? DecodeError::Kind::notJson : DecodeError::Kind::notArray, -1, {} });
    }
    if (failure.elementNotObject())
        return fail(DecodeError { DecodeError::Kind::notObject, failure.index, {} });
    DecodeError e = decodeError(failure.error);
    e.index = failure.index;
    return fail(e);
}

} // namespace gaugelet
