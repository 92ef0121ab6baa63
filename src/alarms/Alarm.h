#pragma once

#include "platform/core/RawValueTable.h"
#include "platform/core/Result.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QUuid>
#include <optional>

namespace gaugelet {

// A user rule: when one statistic is at or above (or at or below) a threshold,
// play a sound and, if wanted, post a notification.
struct Alarm {
    enum class Direction { above, below };
    static constexpr Direction allDirections[] = {Direction::above, Direction::below};

    // Why stored alarms could not be read; the first failing key is named.
    struct DecodeError {
        enum class Kind { invalidJson, notAnArray, notAnObject, missingKey, wrongType, invalidValue };
        Kind kind = Kind::invalidJson;
        int index = -1; // element of the array, -1 for the document itself
        QString key;
        QString detail;
        QString describe() const;
    };

    // Why alarms could not be written (JSON has no NaN or infinity).
    struct EncodeError {
        QString key;
        QString describe() const;
    };

    QUuid id;
    QString providerId;
    double threshold = 0;
    Direction direction = Direction::above;
    std::optional<QByteArray> soundBookmark;
    std::optional<QString> bundledSoundId;
    double repeatInterval = 0;
    bool enabled = true;
    bool notify = true;
    qint64 notifySnoozeMinutes = 0;

    // No alarm repeats more often than this many seconds, nor more often than
    // its source refreshes: the editor offers nothing shorter, and what is
    // read from the settings file or a backup is raised to it.
    static constexpr double minRepeatInterval = 1.0;
    // The shortest repeat for a source refreshing every refreshInterval
    // seconds (NaN: a source without one).
    static double repeatFloor(double refreshInterval);

    // NaN thresholds compare unequal, as doubles do.
    bool operator==(const Alarm&) const = default;

    // The canonical upper-case UUID string.
    QString idString() const;

    static Result<QJsonObject, EncodeError> toJson(const Alarm& alarm);
    static Result<Alarm, DecodeError> fromJson(const QJsonObject& object);

    // The stored form: one JSON array of all alarms in list order.
    static Result<QByteArray, EncodeError> encodeList(const QList<Alarm>& alarms);
    // One bad record rejects the whole array.
    static Result<QList<Alarm>, DecodeError> decodeList(const QByteArray& data);
};

constexpr auto rawValueTable(Alarm::Direction)
{
    using enum Alarm::Direction;
    return makeRawValueTable<Alarm::Direction>({{above, u"above"}, {below, u"below"}}, above);
}
inline std::optional<Alarm::Direction> directionFromRaw(QStringView raw)
{
    return enumFromRaw<Alarm::Direction>(raw);
}

// The alarm's canonical upper-case UUID string.
QString uuidString(const QUuid& id);
// A UUID from its canonical string form (either case); nullopt otherwise.
std::optional<QUuid> uuidFromString(QStringView text);

// Rounds to the nearest integer (halves away from zero), saturating at the
// integer range; NaN gives 0. Every stored number that becomes an integer
// goes through here.
qint64 saturatingRound(double value);

size_t qHash(const Alarm& alarm, size_t seed = 0);

} // namespace gaugelet
