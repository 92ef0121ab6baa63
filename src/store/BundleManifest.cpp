#include "store/BundleManifest.h"

#include "platform/core/JsonReader.h"

#include <QJsonArray>

namespace gaugelet {

namespace {

using DecodeError = BundleManifest::DecodeError;

QString expectedName(JsonReader::Type type)
{
    switch (type) {
    case JsonReader::Type::boolean:
        return QStringLiteral("a boolean");
    case JsonReader::Type::number:
        return QStringLiteral("a number");
    case JsonReader::Type::integer:
        return QStringLiteral("an integer");
    case JsonReader::Type::string:
        return QStringLiteral("a string");
    case JsonReader::Type::array:
        return QStringLiteral("an array");
    case JsonReader::Type::object:
        return QStringLiteral("a dictionary");
    }
    return {};
}

// The decoder's own kinds and descriptions for what the reader found.
DecodeError decodeError(const JsonReader::Error& error)
{
    using Kind = JsonReader::Error::Kind;
    const QString path = error.path();
    switch (error.kind) {
    case Kind::notJson:
        return DecodeError{DecodeError::Kind::dataCorrupted, path,
                           QStringLiteral("The given data was not valid JSON: %1 at offset %2")
                               .arg(error.detail)
                               .arg(error.offset)};
    case Kind::keyNotFound:
    case Kind::valueNull:
        return DecodeError{DecodeError::Kind::keyNotFound, path,
                           QStringLiteral("No value associated with key \"%1\"").arg(path)};
    case Kind::typeMismatch:
        return DecodeError{DecodeError::Kind::typeMismatch, path,
                           QStringLiteral("Expected to decode %1 at \"%2\"").arg(expectedName(error.expected), path)};
    case Kind::notInteger:
        return DecodeError{DecodeError::Kind::dataCorrupted, path,
                           QStringLiteral("Parsed JSON number <%1> does not fit in an integer at \"%2\"")
                               .arg(error.number)
                               .arg(path)};
    case Kind::invalidValue:
        return DecodeError{DecodeError::Kind::dataCorrupted, path, error.detail};
    }
    return {};
}

BundleManifest::SpritePayload decodeSprite(JsonReader& keys)
{
    BundleManifest::SpritePayload sprite;
    sprite.frameCount = keys.require<qint64>(QStringLiteral("frameCount"));
    sprite.defaultSize = keys.require<double>(QStringLiteral("defaultSize"));
    sprite.framePrefix = keys.require<QString>(QStringLiteral("framePrefix"));
    sprite.id = keys.optional<QString>(QStringLiteral("id"));
    sprite.displayName = keys.optional<QString>(QStringLiteral("displayName"));
    return sprite;
}

BundleManifest::SoundPayload decodeSound(JsonReader& keys)
{
    BundleManifest::SoundPayload sound;
    sound.entries = keys.array(QStringLiteral("entries")).decodeEach([](JsonReader& entryKeys) {
        BundleManifest::SoundPayload::Entry entry;
        entry.id = entryKeys.require<QString>(QStringLiteral("id"));
        entry.displayName = entryKeys.require<QString>(QStringLiteral("displayName"));
        entry.assetFile = entryKeys.require<QString>(QStringLiteral("assetFile"));
        return entry;
    });
    return sound;
}

bool digits(QStringView text, qsizetype from, qsizetype count, int& out)
{
    if (from + count > text.size())
        return false;
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const QChar c = text.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        value = value * 10 + (c.unicode() - '0');
    }
    out = value;
    return true;
}

bool expect(QStringView text, qsizetype at, char c)
{
    return at < text.size() && text.at(at) == QLatin1Char(c);
}

// One internet date-time ("YYYY-MM-DDTHH:MM:SS", optional fraction, then "Z"
// or "+HH:MM"/"-HH:MM"), with or without the fraction as asked.
std::optional<QDateTime> parseInternetDateTime(QStringView text, bool withFraction)
{
    int year, month, day, hour, minute, second;
    if (!digits(text, 0, 4, year) || !expect(text, 4, '-') || !digits(text, 5, 2, month) || !expect(text, 7, '-')
        || !digits(text, 8, 2, day) || !expect(text, 10, 'T') || !digits(text, 11, 2, hour) || !expect(text, 13, ':')
        || !digits(text, 14, 2, minute) || !expect(text, 16, ':') || !digits(text, 17, 2, second))
        return std::nullopt;
    qsizetype at = 19;
    int millis = 0;
    if (withFraction) {
        if (!expect(text, at, '.'))
            return std::nullopt;
        ++at;
        const qsizetype start = at;
        while (at < text.size() && text.at(at) >= QLatin1Char('0') && text.at(at) <= QLatin1Char('9'))
            ++at;
        const qsizetype count = at - start;
        if (count == 0 || count > 9)
            return std::nullopt;
        // Milliseconds are the clock's precision; further digits are dropped.
        for (qsizetype i = 0; i < 3; ++i)
            millis = millis * 10 + (i < count ? text.at(start + i).unicode() - '0' : 0);
    }
    int offsetSeconds = 0;
    if (expect(text, at, 'Z')) {
        ++at;
    } else if (expect(text, at, '+') || expect(text, at, '-')) {
        const int sign = text.at(at) == QLatin1Char('-') ? -1 : 1;
        int offHours, offMinutes;
        if (!digits(text, at + 1, 2, offHours) || !expect(text, at + 3, ':') || !digits(text, at + 4, 2, offMinutes))
            return std::nullopt;
        if (offHours > 23 || offMinutes > 59)
            return std::nullopt;
        offsetSeconds = sign * (offHours * 3600 + offMinutes * 60);
        at += 6;
    } else {
        return std::nullopt;
    }
    if (at != text.size())
        return std::nullopt;
    const QDate date(year, month, day);
    if (!date.isValid() || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    const QTime time(hour, minute, second, millis);
    QDateTime result(date, time, Qt::OffsetFromUTC, offsetSeconds);
    if (!result.isValid())
        return std::nullopt;
    return result.toUTC();
}

} // namespace

std::optional<QDateTime> BundleManifest::parseReleaseDate(QStringView text)
{
    if (auto withFraction = parseInternetDateTime(text, true))
        return withFraction;
    return parseInternetDateTime(text, false);
}

QString BundleManifest::formatReleaseDate(const QDateTime& date)
{
    const QDateTime utc = date.toUTC();
    return utc.toString(utc.time().msec() != 0 ? QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ")
                                               : QStringLiteral("yyyy-MM-ddTHH:mm:ssZ"));
}

Result<BundleManifest, BundleManifest::DecodeError> BundleManifest::decode(const QByteArray& json)
{
    auto document = JsonReader::parseObject(json);
    if (!document)
        return fail(decodeError(document.error()));
    JsonReader& keys = *document;

    BundleManifest m;
    m.schema = keys.require<qint64>(QStringLiteral("schema"));
    m.id = keys.require<QString>(QStringLiteral("id"));
    m.version = keys.require<qint64>(QStringLiteral("version"));
    m.type = keys.require<QString>(QStringLiteral("type"), [](const QString& raw) -> Result<BundleType, QString> {
        if (auto type = bundleTypeFromRaw(raw))
            return *type;
        return fail(QStringLiteral("Cannot initialize BundleType from invalid String value %1").arg(raw));
    });
    m.displayName = keys.require<QString>(QStringLiteral("displayName"));
    m.author = keys.require<QString>(QStringLiteral("author"));
    m.releaseDate = keys.require<QString>(QStringLiteral("releaseDate"), [](const QString& text) -> Result<QDateTime, QString> {
        if (auto date = parseReleaseDate(text))
            return *date;
        return fail(QString(QStringLiteral("unrecognised releaseDate: ") + text));
    });
    m.priceCents = keys.require<qint64>(QStringLiteral("priceCents"));
    m.currency = keys.require<QString>(QStringLiteral("currency"));
    if (auto sprite = keys.optionalObject(QStringLiteral("sprite")))
        m.sprite = decodeSprite(*sprite);
    if (auto array = keys.optionalArray(QStringLiteral("sprites")))
        m.sprites = array->decodeEach(decodeSprite);
    if (auto sound = keys.optionalObject(QStringLiteral("sound")))
        m.sound = decodeSound(*sound);
    m.assets = keys.array(QStringLiteral("assets")).decodeEach([](JsonReader& entryKeys) {
        AssetEntry entry;
        entry.path = entryKeys.require<QString>(QStringLiteral("path"));
        entry.sha256 = entryKeys.require<QString>(QStringLiteral("sha256"));
        return entry;
    });
    if (keys.failed())
        return fail(decodeError(keys.error()));
    return m;
}

QJsonObject BundleManifest::toJson() const
{
    auto spriteJson = [](const SpritePayload& s) {
        QJsonObject o;
        o.insert(QStringLiteral("frameCount"), s.frameCount);
        o.insert(QStringLiteral("defaultSize"), s.defaultSize);
        o.insert(QStringLiteral("framePrefix"), s.framePrefix);
        if (s.id)
            o.insert(QStringLiteral("id"), *s.id);
        if (s.displayName)
            o.insert(QStringLiteral("displayName"), *s.displayName);
        return o;
    };
    QJsonObject o;
    o.insert(QStringLiteral("schema"), schema);
    o.insert(QStringLiteral("id"), id);
    o.insert(QStringLiteral("version"), version);
    o.insert(QStringLiteral("type"), rawValue(type));
    o.insert(QStringLiteral("displayName"), displayName);
    o.insert(QStringLiteral("author"), author);
    o.insert(QStringLiteral("releaseDate"), formatReleaseDate(releaseDate));
    o.insert(QStringLiteral("priceCents"), priceCents);
    o.insert(QStringLiteral("currency"), currency);
    if (sprite)
        o.insert(QStringLiteral("sprite"), spriteJson(*sprite));
    if (sprites) {
        QJsonArray array;
        for (const auto& s : *sprites)
            array.append(spriteJson(s));
        o.insert(QStringLiteral("sprites"), array);
    }
    if (sound) {
        QJsonArray entries;
        for (const auto& e : sound->entries)
            entries.append(QJsonObject{{QStringLiteral("id"), e.id},
                                       {QStringLiteral("displayName"), e.displayName},
                                       {QStringLiteral("assetFile"), e.assetFile}});
        o.insert(QStringLiteral("sound"), QJsonObject{{QStringLiteral("entries"), entries}});
    }
    QJsonArray assetArray;
    for (const auto& a : assets)
        assetArray.append(QJsonObject{{QStringLiteral("path"), a.path}, {QStringLiteral("sha256"), a.sha256}});
    o.insert(QStringLiteral("assets"), assetArray);
    return o;
}

} // namespace gaugelet
