#include "menubar/Pin.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

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

Result<Pin, Pin::DecodeError> Pin::fromJson(const QJsonValue& value)
{
    if (!value.isObject())
        return fail(DecodeError { DecodeError::Kind::notObject, -1, {} });
    const QJsonObject object = value.toObject();
    Pin pin;
    for (const QString& key : { kProviderId, kVisualizerId }) {
        const auto it = object.constFind(key);
        if (it == object.constEnd())
            return fail(DecodeError { DecodeError::Kind::missingKey, -1, key });
        if (!it->isString())
            return fail(DecodeError { DecodeError::Kind::notString, -1, key });
        (key == kProviderId ? pin.providerId : pin.visualizerId) = it->toString();
    }
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
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError)
        return fail(DecodeError { DecodeError::Kind::notJson, -1, {} });
    if (!document.isArray())
        return fail(DecodeError { DecodeError::Kind::notArray, -1, {} });
    QList<Pin> pins;
    const QJsonArray array = document.array();
    for (qsizetype i = 0; i < array.size(); ++i) {
        auto pin = fromJson(array.at(i));
        if (!pin) {
            DecodeError e = pin.error();
            e.index = i;
            return fail(e);
        }
        pins.append(*pin);
    }
    return pins;
}

} // namespace gaugelet
