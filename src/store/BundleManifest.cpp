#include "store/BundleManifest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>

#include <cmath>

namespace gaugelet {

namespace {

using DecodeError = BundleManifest::DecodeError;

DecodeError corrupted(const QString& path, const QString& message)
{
    return DecodeError{DecodeError::Kind::dataCorrupted, path, message};
}

DecodeError keyNotFound(const QString& path)
{
    return DecodeError{DecodeError::Kind::keyNotFound, path,
                       QStringLiteral("No value associated with key \"%1\"").arg(path)};
}

DecodeError typeMismatch(const QString& path, const char* expected)
{
    return DecodeError{DecodeError::Kind::typeMismatch, path,
                       QStringLiteral("Expected to decode %1 at \"%2\"").arg(QLatin1String(expected), path)};
}

QString join(const QString& base, const QString& key)
{
    return base.isEmpty() ? key : base + QLatin1Char('.') + key;
}

// Reads the keys of one JSON object; the first failure sticks, so a caller
// reads every key in order and checks once per field.
class Keyed {
public:
    Keyed(const QJsonObject& object, QString path) : m_object(object), m_path(std::move(path)) {}

    bool failed() const { return m_error.has_value(); }
    const DecodeError& error() const { return *m_error; }
    void setError(DecodeError error)
    {
        if (!m_error)
            m_error = std::move(error);
    }
    QString pathOf(const QString& key) const { return join(m_path, key); }

    // A present, non-null value; a missing or null required key fails.
    std::optional<QJsonValue> required(const QString& key)
    {
        if (failed())
            return std::nullopt;
        const auto it = m_object.constFind(key);
        if (it == m_object.constEnd() || it->isNull()) {
            setError(keyNotFound(pathOf(key)));
            return std::nullopt;
        }
        return *it;
    }

    // A present, non-null value, or none.
    std::optional<QJsonValue> optional(const QString& key) const
    {
        const auto it = m_object.constFind(key);
        if (it == m_object.constEnd() || it->isNull())
            return std::nullopt;
        return *it;
    }

    QString string(const QString& key)
    {
        auto value = required(key);
        return value ? asString(*value, pathOf(key)) : QString();
    }

    std::optional<QString> optionalString(const QString& key)
    {
        if (failed())
            return std::nullopt;
        auto value = optional(key);
        if (!value)
            return std::nullopt;
        return asString(*value, pathOf(key));
    }

    qint64 integer(const QString& key)
    {
        auto value = required(key);
        return value ? asInteger(*value, pathOf(key)) : 0;
    }

    double number(const QString& key)
    {
        auto value = required(key);
        if (!value)
            return 0;
        if (!value->isDouble()) {
            setError(typeMismatch(pathOf(key), "a number"));
            return 0;
        }
        return value->toDouble();
    }

    QJsonArray array(const QString& key)
    {
        auto value = required(key);
        return value ? asArray(*value, pathOf(key)) : QJsonArray();
    }

    QString asString(const QJsonValue& value, const QString& path)
    {
        if (!value.isString()) {
            setError(typeMismatch(path, "a string"));
            return {};
        }
        return value.toString();
    }

    qint64 asInteger(const QJsonValue& value, const QString& path)
    {
        // A whole number that fits a 64-bit integer; 2.0 counts, 2.5 does not.
        if (!value.isDouble()) {
            setError(typeMismatch(path, "an integer"));
            return 0;
        }
        const qint64 a = value.toInteger(0);
        const qint64 b = value.toInteger(1);
        if (a != b) {
            setError(corrupted(path, QStringLiteral("Parsed JSON number <%1> does not fit in an integer at \"%2\"")
                                         .arg(value.toDouble())
                                         .arg(path)));
            return 0;
        }
        return a;
    }

    QJsonArray asArray(const QJsonValue& value, const QString& path)
    {
        if (!value.isArray()) {
            setError(typeMismatch(path, "an array"));
            return {};
        }
        return value.toArray();
    }

    std::optional<QJsonObject> asObject(const QJsonValue& value, const QString& path)
    {
        if (!value.isObject()) {
            setError(typeMismatch(path, "a dictionary"));
            return std::nullopt;
        }
        return value.toObject();
    }

private:
    QJsonObject m_object;
    QString m_path;
    std::optional<DecodeError> m_error;
};

std::optional<BundleManifest::SpritePayload> decodeSprite(Keyed& outer, const QJsonValue& value, const QString& path)
{
    auto object = outer.asObject(value, path);
    if (!object)
        return std::nullopt;
    Keyed keyed(*object, path);
    BundleManifest::SpritePayload sprite;
    sprite.frameCount = keyed.integer(QStringLiteral("frameCount"));
    sprite.defaultSize = keyed.number(QStringLiteral("defaultSize"));
    sprite.framePrefix = keyed.string(QStringLiteral("framePrefix"));
    sprite.id = keyed.optionalString(QStringLiteral("id"));
    sprite.displayName = keyed.optionalString(QStringLiteral("displayName"));
    if (keyed.failed()) {
        outer.setError(keyed.error());
        return std::nullopt;
    }
    return sprite;
}

std::optional<BundleManifest::SoundPayload> decodeSound(Keyed& outer, const QJsonValue& value, const QString& path)
{
    auto object = outer.asObject(value, path);
    if (!object)
        return std::nullopt;
    Keyed keyed(*object, path);
    const QJsonArray entries = keyed.array(QStringLiteral("entries"));
    BundleManifest::SoundPayload sound;
    for (qsizetype i = 0; i < entries.size() && !keyed.failed(); ++i) {
        const QString entryPath = keyed.pathOf(QStringLiteral("entries[%1]").arg(i));
        auto entryObject = keyed.asObject(entries.at(i), entryPath);
        if (!entryObject)
            break;
        Keyed entryKeys(*entryObject, entryPath);
        BundleManifest::SoundPayload::Entry entry;
        entry.id = entryKeys.string(QStringLiteral("id"));
        entry.displayName = entryKeys.string(QStringLiteral("displayName"));
        entry.assetFile = entryKeys.string(QStringLiteral("assetFile"));
        if (entryKeys.failed()) {
            keyed.setError(entryKeys.error());
            break;
        }
        sound.entries.append(std::move(entry));
    }
    if (keyed.failed()) {
        outer.setError(keyed.error());
        return std::nullopt;
    }
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

QString rawValue(BundleManifest::BundleType type)
{
    switch (type) {
    case BundleManifest::BundleType::runnerSprite:
        return QStringLiteral("runner_sprite");
    case BundleManifest::BundleType::soundPack:
        return QStringLiteral("sound_pack");
    }
    return {};
}

std::optional<BundleManifest::BundleType> bundleTypeFromRaw(QStringView raw)
{
    if (raw == QLatin1String("runner_sprite"))
        return BundleManifest::BundleType::runnerSprite;
    if (raw == QLatin1String("sound_pack"))
        return BundleManifest::BundleType::soundPack;
    return std::nullopt;
}

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
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(corrupted(QString(), QStringLiteral("The given data was not valid JSON: %1 at offset %2")
                                             .arg(parseError.errorString())
                                             .arg(parseError.offset)));
    if (!document.isObject())
        return fail(typeMismatch(QString(), "a dictionary"));

    Keyed keyed(document.object(), QString());
    BundleManifest m;
    m.schema = keyed.integer(QStringLiteral("schema"));
    m.id = keyed.string(QStringLiteral("id"));
    m.version = keyed.integer(QStringLiteral("version"));
    const QString typeRaw = keyed.string(QStringLiteral("type"));
    if (!keyed.failed()) {
        if (auto type = bundleTypeFromRaw(typeRaw))
            m.type = *type;
        else
            keyed.setError(corrupted(QStringLiteral("type"),
                                     QStringLiteral("Cannot initialize BundleType from invalid String value %1").arg(typeRaw)));
    }
    m.displayName = keyed.string(QStringLiteral("displayName"));
    m.author = keyed.string(QStringLiteral("author"));
    const QString dateText = keyed.string(QStringLiteral("releaseDate"));
    if (!keyed.failed()) {
        if (auto date = parseReleaseDate(dateText))
            m.releaseDate = *date;
        else
            keyed.setError(corrupted(QStringLiteral("releaseDate"), QStringLiteral("unrecognised releaseDate: ") + dateText));
    }
    m.priceCents = keyed.integer(QStringLiteral("priceCents"));
    m.currency = keyed.string(QStringLiteral("currency"));
    if (!keyed.failed()) {
        if (auto value = keyed.optional(QStringLiteral("sprite")))
            m.sprite = decodeSprite(keyed, *value, QStringLiteral("sprite"));
    }
    if (!keyed.failed()) {
        if (auto value = keyed.optional(QStringLiteral("sprites"))) {
            const QJsonArray array = keyed.asArray(*value, QStringLiteral("sprites"));
            QList<SpritePayload> sprites;
            for (qsizetype i = 0; i < array.size() && !keyed.failed(); ++i) {
                if (auto sprite = decodeSprite(keyed, array.at(i), QStringLiteral("sprites[%1]").arg(i)))
                    sprites.append(*sprite);
            }
            if (!keyed.failed())
                m.sprites = std::move(sprites);
        }
    }
    if (!keyed.failed()) {
        if (auto value = keyed.optional(QStringLiteral("sound")))
            m.sound = decodeSound(keyed, *value, QStringLiteral("sound"));
    }
    const QJsonArray assets = keyed.array(QStringLiteral("assets"));
    for (qsizetype i = 0; i < assets.size() && !keyed.failed(); ++i) {
        const QString path = QStringLiteral("assets[%1]").arg(i);
        auto object = keyed.asObject(assets.at(i), path);
        if (!object)
            break;
        Keyed entryKeys(*object, path);
        AssetEntry entry;
        entry.path = entryKeys.string(QStringLiteral("path"));
        entry.sha256 = entryKeys.string(QStringLiteral("sha256"));
        if (entryKeys.failed()) {
            keyed.setError(entryKeys.error());
            break;
        }
        m.assets.append(std::move(entry));
    }
    if (keyed.failed())
        return fail(keyed.error());
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
