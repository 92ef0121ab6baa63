#include "alarms/Alarm.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <cmath>
#include <limits>

namespace gaugelet {

namespace {

using DecodeError = Alarm::DecodeError;

Failure<DecodeError> decodeFailure(DecodeError::Kind kind, const QString& key, const QString& detail = {})
{
    return fail(DecodeError{kind, -1, key, detail});
}

} // namespace

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

QString rawValue(Alarm::Direction direction)
{
    switch (direction) {
    case Alarm::Direction::above:
        return QStringLiteral("above");
    case Alarm::Direction::below:
        return QStringLiteral("below");
    }
    return {};
}

std::optional<Alarm::Direction> directionFromRaw(QStringView raw)
{
    if (raw == u"above")
        return Alarm::Direction::above;
    if (raw == u"below")
        return Alarm::Direction::below;
    return std::nullopt;
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
    if (std::isnan(value))
        return 0;
    const double rounded = std::round(value); // halves away from zero
    // 2^63 is exactly representable; anything at or past it saturates.
    if (rounded >= 9223372036854775808.0)
        return std::numeric_limits<qint64>::max();
    if (rounded < -9223372036854775808.0)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(rounded);
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

Result<Alarm, Alarm::DecodeError> Alarm::fromJson(const QJsonObject& o)
{
    using Kind = DecodeError::Kind;
    Alarm alarm;

    auto required = [&o](const char* key) -> std::optional<QJsonValue> {
        const auto it = o.constFind(QLatin1String(key));
        if (it == o.constEnd())
            return std::nullopt;
        return *it;
    };

    const auto id = required("id");
    if (!id)
        return decodeFailure(Kind::missingKey, QStringLiteral("id"));
    if (!id->isString())
        return decodeFailure(Kind::wrongType, QStringLiteral("id"));
    const auto uuid = uuidFromString(id->toString());
    if (!uuid)
        return decodeFailure(Kind::invalidValue, QStringLiteral("id"), QStringLiteral("not a UUID"));
    alarm.id = *uuid;

    const auto providerId = required("providerId");
    if (!providerId)
        return decodeFailure(Kind::missingKey, QStringLiteral("providerId"));
    if (!providerId->isString())
        return decodeFailure(Kind::wrongType, QStringLiteral("providerId"));
    alarm.providerId = providerId->toString();

    const auto threshold = required("threshold");
    if (!threshold)
        return decodeFailure(Kind::missingKey, QStringLiteral("threshold"));
    if (!threshold->isDouble())
        return decodeFailure(Kind::wrongType, QStringLiteral("threshold"));
    alarm.threshold = threshold->toDouble();

    const auto direction = required("direction");
    if (!direction)
        return decodeFailure(Kind::missingKey, QStringLiteral("direction"));
    if (!direction->isString())
        return decodeFailure(Kind::wrongType, QStringLiteral("direction"));
    const auto dir = directionFromRaw(direction->toString());
    if (!dir)
        return decodeFailure(Kind::invalidValue, QStringLiteral("direction"),
                             QStringLiteral("unknown direction \u201C%1\u201D").arg(direction->toString()));
    alarm.direction = *dir;

    // Optional keys: absent or null both mean "none".
    if (const auto bookmark = required("soundBookmark"); bookmark && !bookmark->isNull()) {
        if (!bookmark->isString())
            return decodeFailure(Kind::wrongType, QStringLiteral("soundBookmark"));
        const auto decoded = QByteArray::fromBase64Encoding(bookmark->toString().toLatin1(),
                                                            QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return decodeFailure(Kind::invalidValue, QStringLiteral("soundBookmark"), QStringLiteral("not Base64"));
        alarm.soundBookmark = *decoded;
    }
    if (const auto soundId = required("bundledSoundId"); soundId && !soundId->isNull()) {
        if (!soundId->isString())
            return decodeFailure(Kind::wrongType, QStringLiteral("bundledSoundId"));
        alarm.bundledSoundId = soundId->toString();
    }

    const auto repeatInterval = required("repeatInterval");
    if (!repeatInterval)
        return decodeFailure(Kind::missingKey, QStringLiteral("repeatInterval"));
    if (!repeatInterval->isDouble())
        return decodeFailure(Kind::wrongType, QStringLiteral("repeatInterval"));
    alarm.repeatInterval = repeatInterval->toDouble();

    const auto enabled = required("enabled");
    if (!enabled)
        return decodeFailure(Kind::missingKey, QStringLiteral("enabled"));
    if (!enabled->isBool())
        return decodeFailure(Kind::wrongType, QStringLiteral("enabled"));
    alarm.enabled = enabled->toBool();

    const auto notify = required("notify");
    if (!notify)
        return decodeFailure(Kind::missingKey, QStringLiteral("notify"));
    if (!notify->isBool())
        return decodeFailure(Kind::wrongType, QStringLiteral("notify"));
    alarm.notify = notify->toBool();

    const auto snooze = required("notifySnoozeMinutes");
    if (!snooze)
        return decodeFailure(Kind::missingKey, QStringLiteral("notifySnoozeMinutes"));
    // A whole number; one past the integer range saturates rather than failing.
    if (!snooze->isDouble() || std::trunc(snooze->toDouble()) != snooze->toDouble())
        return decodeFailure(Kind::wrongType, QStringLiteral("notifySnoozeMinutes"));
    alarm.notifySnoozeMinutes = saturatingRound(snooze->toDouble());

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
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(data, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(DecodeError{DecodeError::Kind::invalidJson, -1, {}, parseError.errorString()});
    if (!doc.isArray())
        return fail(DecodeError{DecodeError::Kind::notAnArray, -1, {}, {}});
    QList<Alarm> alarms;
    const QJsonArray array = doc.array();
    for (int i = 0; i < array.size(); ++i) {
        const QJsonValue value = array.at(i);
        if (!value.isObject())
            return fail(DecodeError{DecodeError::Kind::notAnObject, i, {}, {}});
        auto alarm = fromJson(value.toObject());
        if (!alarm) {
            DecodeError error = alarm.error();
            error.index = i;
            return fail(error);
        }
        alarms.append(std::move(*alarm));
    }
    return alarms;
}

size_t qHash(const Alarm& alarm, size_t seed)
{
    return qHashMulti(seed, alarm.id, alarm.providerId, alarm.threshold, int(alarm.direction),
                      alarm.soundBookmark.has_value(), alarm.soundBookmark.value_or(QByteArray()),
                      alarm.bundledSoundId.has_value(), alarm.bundledSoundId.value_or(QString()),
                      alarm.repeatInterval, alarm.enabled, alarm.notify, alarm.notifySnoozeMinutes);
}

} // namespace gaugelet
