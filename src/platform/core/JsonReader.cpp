#include "platform/core/JsonReader.h"

#include <QJsonDocument>
#include <QJsonParseError>

namespace gaugelet {

namespace {

QString joinPath(const QString& base, const QString& key)
{
    if (base.isEmpty())
        return key;
    if (key.isEmpty())
        return base;
    return base + QLatin1Char('.') + key;
}

Result<QJsonDocument, JsonReader::Error> parseDocument(const QByteArray& json)
{
    QJsonParseError parseError{};
    QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        JsonReader::Error error;
        error.kind = JsonReader::Error::Kind::notJson;
        error.detail = parseError.errorString();
        error.offset = parseError.offset;
        return fail(std::move(error));
    }
    return document;
}

// The JSON type a reader type is read from (integers are numbers).
QJsonValue::Type jsonTypeOf(JsonReader::Type type)
{
    switch (type) {
    case JsonReader::Type::boolean: return QJsonValue::Bool;
    case JsonReader::Type::number:
    case JsonReader::Type::integer: return QJsonValue::Double;
    case JsonReader::Type::string: return QJsonValue::String;
    case JsonReader::Type::array: return QJsonValue::Array;
    case JsonReader::Type::object: return QJsonValue::Object;
    }
    return QJsonValue::Undefined;
}

JsonReader::Error topLevelMismatch(JsonReader::Type expected)
{
    JsonReader::Error error;
    error.kind = JsonReader::Error::Kind::typeMismatch;
    error.expected = expected;
    return error;
}

} // namespace

QString JsonReader::Error::path() const
{
    return joinPath(objectPath, key);
}

JsonReader::JsonReader(const QJsonObject& object, QString path)
    : JsonReader(object, std::move(path), std::make_shared<std::optional<Error>>())
{
}

JsonReader::JsonReader(const QJsonObject& object, QString path, Sink sink)
    : m_object(object), m_path(std::move(path)), m_error(std::move(sink))
{
}

Result<JsonReader, JsonReader::Error> JsonReader::parseObject(const QByteArray& json)
{
    auto document = parseDocument(json);
    if (!document)
        return fail(document.error());
    if (!document->isObject())
        return fail(topLevelMismatch(Type::object));
    return JsonReader(document->object());
}

Result<JsonReader::Array, JsonReader::Error> JsonReader::parseArray(const QByteArray& json)
{
    auto document = parseDocument(json);
    if (!document)
        return fail(document.error());
    if (!document->isArray())
        return fail(topLevelMismatch(Type::array));
    return Array(document->array(), QString(), std::make_shared<std::optional<Error>>());
}

void JsonReader::record(Error error)
{
    if (!failed())
        *m_error = std::move(error);
}

void JsonReader::typeMismatch(const QString& key, Type expected)
{
    Error error;
    error.kind = Error::Kind::typeMismatch;
    error.objectPath = m_path;
    error.key = key;
    error.expected = expected;
    record(std::move(error));
}

void JsonReader::invalidValue(const QString& key, QString detail)
{
    Error error;
    error.kind = Error::Kind::invalidValue;
    error.objectPath = m_path;
    error.key = key;
    error.detail = std::move(detail);
    record(std::move(error));
}

std::optional<QJsonValue> JsonReader::value(const QString& key, bool required)
{
    const auto it = m_object.constFind(key);
    const bool absent = it == m_object.constEnd();
    if (absent || it->isNull()) {
        if (required) {
            Error error;
            error.kind = absent ? Error::Kind::keyNotFound : Error::Kind::valueNull;
            error.objectPath = m_path;
            error.key = key;
            record(std::move(error));
        }
        return std::nullopt;
    }
    return *it;
}

bool JsonReader::expect(const QJsonValue& value, const QString& key, Type type)
{
    const bool matches = value.type() == jsonTypeOf(type);
    if (!matches)
        typeMismatch(key, type);
    return matches;
}

template <>
std::optional<bool> JsonReader::as<bool>(const QJsonValue& value, const QString& key)
{
    return expect(value, key, Type::boolean) ? std::optional<bool>(value.toBool()) : std::nullopt;
}

template <>
std::optional<double> JsonReader::as<double>(const QJsonValue& value, const QString& key)
{
    return expect(value, key, Type::number) ? std::optional<double>(value.toDouble()) : std::nullopt;
}

template <>
std::optional<QString> JsonReader::as<QString>(const QJsonValue& value, const QString& key)
{
    return expect(value, key, Type::string) ? std::optional<QString>(value.toString()) : std::nullopt;
}

template <>
std::optional<qint64> JsonReader::as<qint64>(const QJsonValue& value, const QString& key)
{
    if (!expect(value, key, Type::integer))
        return std::nullopt;
    // toInteger gives the number only when it is whole and fits; two
    // different fallbacks tell that apart from a number equal to either.
    const qint64 a = value.toInteger(0);
    const qint64 b = value.toInteger(1);
    if (a != b) {
        Error error;
        error.kind = Error::Kind::notInteger;
        error.objectPath = m_path;
        error.key = key;
        error.number = value.toDouble();
        record(std::move(error));
        return std::nullopt;
    }
    return a;
}

std::optional<QJsonValue> JsonReader::nested(const QString& key, bool required, Type type)
{
    if (failed())
        return std::nullopt;
    const auto found = value(key, required);
    if (!found || !expect(*found, key, type))
        return std::nullopt;
    return found;
}

JsonReader JsonReader::object(const QString& key)
{
    const auto found = nested(key, true, Type::object);
    return JsonReader(found ? found->toObject() : QJsonObject(), joinPath(m_path, key), m_error);
}

std::optional<JsonReader> JsonReader::optionalObject(const QString& key)
{
    if (const auto found = nested(key, false, Type::object))
        return JsonReader(found->toObject(), joinPath(m_path, key), m_error);
    return std::nullopt;
}

JsonReader::Array JsonReader::array(const QString& key)
{
    const auto found = nested(key, true, Type::array);
    return Array(found ? found->toArray() : QJsonArray(), joinPath(m_path, key), m_error);
}

std::optional<JsonReader::Array> JsonReader::optionalArray(const QString& key)
{
    if (const auto found = nested(key, false, Type::array))
        return Array(found->toArray(), joinPath(m_path, key), m_error);
    return std::nullopt;
}

QString JsonReader::Array::pathOf(qsizetype index) const
{
    return m_path + QStringLiteral("[%1]").arg(index);
}

JsonReader JsonReader::Array::object(qsizetype index)
{
    const QString path = pathOf(index);
    if (!failed()) {
        const QJsonValue element = m_array.at(index);
        if (element.isObject())
            return JsonReader(element.toObject(), path, m_error);
        Error error;
        error.kind = Error::Kind::typeMismatch;
        error.objectPath = path;
        error.expected = Type::object;
        *m_error = std::move(error);
    }
    return JsonReader(QJsonObject(), path, m_error);
}

} // namespace gaugelet
