#include "alarms/Alarm.h"

#include "platform/core/JsonReader.h"
#include "stats/ChartMath.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <cmath>

namespace gaugelet {

namespace {

using DecodeError = Alarm::DecodeError;

// The alarm's own kinds for what the reader found; a null where a value
// belongs is a value of the wrong type.
DecodeError decodeError(const JsonReader::Error& error)
{
    using Kind = JsonReader::Error::Kind;
    switch (error.kind) {
    case Kind::notJson:
        return DecodeError{DecodeError::Kind::invalidJson, -1, {}, error.detail};
    case Kind::keyNotFound:
        return DecodeError{DecodeError::Kind::missingKey, -1, error.key, {}};
    case Kind::valueNull:
    case Kind::typeMismatch:
    case Kind::notInteger:
        return DecodeError{DecodeError::Kind::wrongType, -1, error.key, {}};
    case Kind::invalidValue:
        return DecodeError{DecodeError::Kind::invalidValue, -1, error.key, error.detail};
    }
    return {};
}

Alarm decodeAlarm(JsonReader& keys)
{
    Alarm alarm;
    alarm.id = keys.require<QString>(QStringLiteral("id"), [](const QString& text) -> Result<QUuid, QString> {
        if (auto uuid = uuidFromString(text))
            return *uuid;
        return fail(QStringLiteral("not a UUID"));
    });
    alarm.providerId = keys.require<QString>(QStringLiteral("providerId"));
    alarm.threshold = keys.require<double>(QStringLiteral("threshold"));
    alarm.direction = keys.require<QString>(QStringLiteral("direction"), [](const QString& raw) -> Result<Alarm::Direction, QString> {
        if (auto direction = directionFromRaw(raw))
            return *direction;
        return fail(QStringLiteral("unknown direction \u201C%1\u201D").arg(raw));
    });
    // Optional keys: absent or null both mean "none".
    alarm.soundBookmark = keys.optional<QString>(QStringLiteral("soundBookmark"), [](const QString& text) -> Result<QByteArray, QString> {
        auto decoded = QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return fail(QStringLiteral("not Base64"));
        return *decoded;
    });
    alarm.bundledSoundId = keys.optional<QString>(QStringLiteral("bundledSoundId"));
    alarm.repeatInterval = keys.require<double>(QStringLiteral("repeatInterval"));
    alarm.enabled = keys.require<bool>(QStringLiteral("enabled"));
    alarm.notify = keys.require<bool>(QStringLiteral("notify"));
    // A whole number; one past the integer range saturates rather than failing.
    const double snooze = keys.require<double>(QStringLiteral("notifySnoozeMinutes"));
    if (std::trunc(snooze) != snooze)
        keys.typeMismatch(QStringLiteral("notifySnoozeMinutes"), JsonReader::Type::integer);
    alarm.notifySnoozeMinutes = saturatingRound(snooze);
    return alarm;
}

} // namespace

double Alarm::repeatFloor(double refreshInterval)
{
    return std::isnan(refreshInterval) ? minRepeatInterval : std::max(refreshInterval, minRepeatInterval);
}

QString Alarm::DecodeError::describe() const
{
    const QString where = index >= 0 ? QStringLiteral(" (alarm %1)").arg(index) : QString();
    switch (kind) {
    case Kind::invalidJson:
        return QStringLiteral("The data couldn\u2019t be read because it isn\u2019t in the correct format: %1").arg(detail);
    case Kind::notAnArray:
        return QStringLiteral("The data couldn\u2019t be read because it isn\u2019t a list of alarms.");
    case Kind::notAnObject:
        return QStringLiteral("The data couldn\u2019t be read because an alarm isn\u2019t an object%1.").arg(where);
    case Kind::missingKey:
        return QStringLiteral("The data couldn\u2019t be read because it is missing: key \u201C%1\u201D%2.").arg(key, where);
    case Kind::wrongType:
        return QStringLiteral("The data couldn\u2019t be read because it isn\u2019t in the correct format: key \u201C%1\u201D has the wrong type%2.")
            .arg(key, where);
    case Kind::invalidValue:
        return QStringLiteral("The data couldn\u2019t be read because it isn\u2019t in the correct format: key \u201C%1\u201D%2: %3.")
            .arg(key, where, detail);
    }
    return {};
}

QString Alarm::EncodeError::describe() const
{
    return QStringLiteral("The data couldn\u2019t be written because it isn\u2019t in the correct format: key \u201C%1\u201D is not a finite number.")
        .arg(key);
}

QString uuidString(const QUuid& id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QUuid> uuidFromString(QStringView text)
{
    // 8-4-4-4-12 hex digits, nothing else (no braces, no spaces).
    if (text.size() != 36)
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        const bool hex = (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
        if (dash ? c != u'-' : !hex)
            return std::nullopt;
    }
    return QUuid::fromString(text);
}

qint64 saturatingRound(double value)
{
    return ChartMath::saturatingRound(value);
}

QString Alarm::idString() const
{
    return uuidString(id);
}

Result<QJsonObject, Alarm::EncodeError> Alarm::toJson(const Alarm& alarm)
{
    if (!std::isfinite(alarm.threshold))
        return fail(EncodeError{QStringLiteral("threshold")});
    if (!std::isfinite(alarm.repeatInterval))
        return fail(EncodeError{QStringLiteral("repeatInterval")});
    QJsonObject o;
    o.insert(QStringLiteral("id"), alarm.idString());
    o.insert(QStringLiteral("providerId"), alarm.providerId);
    o.insert(QStringLiteral("threshold"), alarm.threshold);
    o.insert(QStringLiteral("direction"), rawValue(alarm.direction));
    if (alarm.soundBookmark)
        o.insert(QStringLiteral("soundBookmark"), QString::fromLatin1(alarm.soundBookmark->toBase64()));
    if (alarm.bundledSoundId)
        o.insert(QStringLiteral("bundledSoundId"), *alarm.bundledSoundId);
    o.insert(QStringLiteral("repeatInterval"), alarm.repeatInterval);
    o.insert(QStringLiteral("enabled"), alarm.enabled);
    o.insert(QStringLiteral("notify"), alarm.notify);
    o.insert(QStringLiteral("notifySnoozeMinutes"), alarm.notifySnoozeMinutes);
    return o;
}

Result<Alarm, Alarm::DecodeError> Alarm::fromJson(const QJsonObject& object)
{
    JsonReader keys(object);
    Alarm alarm = decodeAlarm(keys);
    if (keys.failed())
        return fail(decodeError(keys.error()));
    return alarm;
}

Result<QByteArray, Alarm::EncodeError> Alarm::encodeList(const QList<Alarm>& alarms)
{
    QJsonArray array;
    for (const Alarm& alarm : alarms) {
        auto object = toJson(alarm);
        if (!object)
            return fail(object.error());
        array.append(*object);
    }
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

Result<QList<Alarm>, Alarm::DecodeError> Alarm::decodeList(const QByteArray& data)
{
    auto alarms = JsonReader::decodeList(data, decodeAlarm);
    if (alarms)
        return std::move(alarms).value();
    const JsonReader::ListError& failure = alarms.error();
    if (failure.index < 0 && failure.error.kind != JsonReader::Error::Kind::notJson)
        return fail(DecodeError{DecodeError::Kind::notAnArray, -1, {}, {}});
    if (failure.elementNotObject())
        return fail(DecodeError{DecodeError::Kind::notAnObject, int(failure.index), {}, {}});
    DecodeError error = decodeError(failure.error);
    error.index = int(failure.index);
    return fail(error);
}

size_t qHash(const Alarm& alarm, size_t seed)
{
    return qHashMulti(seed, alarm.id, alarm.providerId, alarm.threshold, int(alarm.direction),
                      alarm.soundBookmark.has_value(), alarm.soundBookmark.value_or(QByteArray()),
                      alarm.bundledSoundId.has_value(), alarm.bundledSoundId.value_or(QString()),
                      alarm.repeatInterval, alarm.enabled, alarm.notify, alarm.notifySnoozeMinutes);
}

} // namespace gaugelet
