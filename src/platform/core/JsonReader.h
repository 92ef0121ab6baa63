#pragma once

#include "platform/core/Result.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <memory>
#include <optional>
#include <type_traits>

namespace gaugelet {

// The one way the program decodes a JSON record: a typed reader over one
// object that reads keys in the record's field order and remembers the first
// failure with its key path ("sprites[2].frameCount"). After a failure every
// further read returns an empty value, so a decoder reads all its fields and
// checks once. Readers of nested objects and arrays share the failure of the
// reader they came from.
//
// Owners turn `Error` into their own error type and text; the reader itself
// decides only what counts as which kind of failure:
// - a required key that is absent is `keyNotFound`, one that is JSON null is
//   `valueNull`; an optional key that is absent or null is none;
// - a value of another JSON type is `typeMismatch`;
// - an integer is a JSON number that is whole and fits 64 bits (2.0 counts);
//   any other number is `notInteger`;
// - a value the decoder refuses after reading it (an unknown raw value, a
//   date in another form) is `invalidValue` with the decoder's detail.
class JsonReader {
public:
    enum class Type { boolean, number, integer, string, array, object };

    struct Error {
        enum class Kind { notJson, keyNotFound, valueNull, typeMismatch, notInteger, invalidValue };
        Kind kind = Kind::notJson;
        // The path of the object (or array element) the failing key belongs
        // to, empty for the document itself: "sprites[2]".
        QString objectPath;
        // The failing key, empty when the failing value is the object or
        // element at `objectPath` itself.
        QString key;
        Type expected = Type::object; // typeMismatch
        double number = 0;            // notInteger: the number as read
        QString detail;               // notJson: the parser's message; invalidValue: the decoder's
        qint64 offset = 0;            // notJson: where the parser stopped

        // The full key path: "sprites[2].frameCount", "assets[1]", "" for the document.
        QString path() const;
        bool operator==(const Error&) const = default;
    };

    class Array;

    // Where a list of records failed: the reader's error, and the index of
    // the element it lies in (-1 when the document itself is not an array).
    struct ListError {
        Error error;
        qsizetype index = -1;
        // The element at `index` is not an object at all.
        bool elementNotObject() const
        {
            return index >= 0 && error.kind == Error::Kind::typeMismatch && error.key.isEmpty();
        }
    };

    // A reader over `object`, whose path is `path` (empty for a document).
    explicit JsonReader(const QJsonObject& object, QString path = {});

    // The document's top-level object: notJson when the bytes do not parse,
    // typeMismatch (object, empty path) when the document is an array.
    static Result<JsonReader, Error> parseObject(const QByteArray& json);
    // The document's top-level array, the same way.
    static Result<Array, Error> parseArray(const QByteArray& json);
    // A document that is one array of records, each an object decoded by
    // `decode(JsonReader&)`; the first element that fails fails the list.
    template <typename Decode>
    static auto decodeList(const QByteArray& json, Decode&& decode)
        -> Result<QList<std::invoke_result_t<Decode, JsonReader&>>, ListError>;

    bool failed() const { return m_error->has_value(); }
    // The first failure; only meaningful once failed().
    const Error& error() const { return **m_error; }
    const QString& path() const { return m_path; }
    const QJsonObject& object() const { return m_object; }

    // T is bool, double, qint64 or QString.
    template <typename T>
    T require(const QString& key);
    template <typename T>
    std::optional<T> optional(const QString& key);

    // Reads `key` as T and converts it with `convert(const T&)`, which returns
    // Result<U, QString>; a failed conversion is invalidValue with its text.
    template <typename T, typename Convert>
    auto require(const QString& key, Convert&& convert);
    template <typename T, typename Convert>
    auto optional(const QString& key, Convert&& convert);

    // Nested objects and arrays. A failed read gives an empty reader that
    // shares the failure.
    JsonReader object(const QString& key);
    std::optional<JsonReader> optionalObject(const QString& key);
    Array array(const QString& key);
    std::optional<Array> optionalArray(const QString& key);

    // Failures the reader cannot see itself, recorded at `key` of this object
    // (the first failure still wins).
    void typeMismatch(const QString& key, Type expected);
    void invalidValue(const QString& key, QString detail);

private:
    friend class Array;
    using Sink = std::shared_ptr<std::optional<Error>>;
    JsonReader(const QJsonObject& object, QString path, Sink sink);

    // The value of `key` when present and not null; records keyNotFound or
    // valueNull when `required` and it is not.
    std::optional<QJsonValue> value(const QString& key, bool required);
    void record(Error error);
    // Whether `value` has the JSON type `type` (a number for integers);
    // records typeMismatch at `key` when not.
    bool expect(const QJsonValue& value, const QString& key, Type type);
    // A nested object's or array's value when present and of `type`.
    std::optional<QJsonValue> nested(const QString& key, bool required, Type type);
    template <typename T>
    std::optional<T> as(const QJsonValue& value, const QString& key);
    template <typename T>
    static T emptyValue();

    QJsonObject m_object;
    QString m_path;
    Sink m_error;
};

// A reader over one JSON array; elements are read by index.
class JsonReader::Array {
public:
    qsizetype size() const { return m_array.size(); }
    bool failed() const { return m_error->has_value(); }
    const Error& error() const { return **m_error; }
    const QString& path() const { return m_path; }
    // "assets[2]"
    QString pathOf(qsizetype index) const;

    // The element as an object (typeMismatch at "assets[2]" otherwise).
    JsonReader object(qsizetype index);
    // Every element as a record decoded by `decode(JsonReader&)`, in order,
    // until the first failure (after which the list is incomplete).
    template <typename Decode>
    auto decodeEach(Decode&& decode) -> QList<std::invoke_result_t<Decode, JsonReader&>>;

private:
    friend class JsonReader;
    Array(QJsonArray array, QString path, JsonReader::Sink sink)
        : m_array(std::move(array)), m_path(std::move(path)), m_error(std::move(sink))
    {
    }

    QJsonArray m_array;
    QString m_path;
    JsonReader::Sink m_error;
};

// --- templates ---

template <>
std::optional<bool> JsonReader::as<bool>(const QJsonValue& value, const QString& key);
template <>
std::optional<double> JsonReader::as<double>(const QJsonValue& value, const QString& key);
template <>
std::optional<qint64> JsonReader::as<qint64>(const QJsonValue& value, const QString& key);
template <>
std::optional<QString> JsonReader::as<QString>(const QJsonValue& value, const QString& key);

namespace detail {
template <typename R>
struct ConvertedValue;
template <typename U>
struct ConvertedValue<Result<U, QString>> {
    using type = U;
};
} // namespace detail

template <typename T>
T JsonReader::emptyValue()
{
    if constexpr (std::is_same_v<T, QString>)
        return QString();
    else
        return T{};
}

template <typename T>
T JsonReader::require(const QString& key)
{
    static_assert(std::is_same_v<T, bool> || std::is_same_v<T, double> || std::is_same_v<T, qint64>
                      || std::is_same_v<T, QString>,
                  "JsonReader reads bool, double, qint64 and QString");
    if (failed())
        return emptyValue<T>();
    const auto found = value(key, true);
    if (!found)
        return emptyValue<T>();
    return as<T>(*found, key).value_or(emptyValue<T>());
}

template <typename T>
std::optional<T> JsonReader::optional(const QString& key)
{
    if (failed())
        return std::nullopt;
    const auto found = value(key, false);
    if (!found)
        return std::nullopt;
    return as<T>(*found, key);
}

template <typename T, typename Convert>
auto JsonReader::require(const QString& key, Convert&& convert)
{
    using U = typename detail::ConvertedValue<std::invoke_result_t<Convert, const T&>>::type;
    const T raw = require<T>(key);
    if (failed())
        return U{};
    auto converted = convert(raw);
    if (!converted) {
        invalidValue(key, converted.error());
        return U{};
    }
    return std::move(converted).value();
}

template <typename Decode>
auto JsonReader::decodeList(const QByteArray& json, Decode&& decode)
    -> Result<QList<std::invoke_result_t<Decode, JsonReader&>>, ListError>
{
    using T = std::invoke_result_t<Decode, JsonReader&>;
    auto array = parseArray(json);
    if (!array)
        return fail(ListError{array.error(), -1});
    QList<T> records;
    records.reserve(array->size());
    for (qsizetype i = 0; i < array->size(); ++i) {
        JsonReader keys = array->object(i);
        T record = decode(keys);
        if (keys.failed())
            return fail(ListError{keys.error(), i});
        records.append(std::move(record));
    }
    return records;
}

template <typename Decode>
auto JsonReader::Array::decodeEach(Decode&& decode) -> QList<std::invoke_result_t<Decode, JsonReader&>>
{
    QList<std::invoke_result_t<Decode, JsonReader&>> records;
    records.reserve(size());
    for (qsizetype i = 0; i < size() && !failed(); ++i) {
        JsonReader keys = object(i);
        records.append(decode(keys));
    }
    return records;
}

template <typename T, typename Convert>
auto JsonReader::optional(const QString& key, Convert&& convert)
{
    using U = typename detail::ConvertedValue<std::invoke_result_t<Convert, const T&>>::type;
    const std::optional<T> raw = optional<T>(key);
    if (!raw)
        return std::optional<U>();
    auto converted = convert(*raw);
    if (!converted) {
        invalidValue(key, converted.error());
        return std::optional<U>();
    }
    return std::optional<U>(std::move(converted).value());
}

} // namespace gaugelet
