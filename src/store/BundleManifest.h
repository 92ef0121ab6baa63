#pragma once

#include "menubar/RunnerSprites.h"
#include "platform/core/RawValueTable.h"
#include "platform/core/Result.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringView>
#include <optional>

namespace gaugelet {

// The description of a content bundle: the decoded "manifest.json". The
// manifest's bytes are signed as stored, so the program only ever decodes
// them; it never rewrites a manifest.
struct BundleManifest {
    enum class BundleType { runnerSprite, soundPack };

    // One animated runner sprite kind (the menu bar's own description of it).
    using SpritePayload = RunnerSprites::Sprite;

    // The sounds of a sound pack.
    struct SoundPayload {
        struct Entry {
            QString id;
            QString displayName;
            QString assetFile; // relative to the bundle's root
            bool operator==(const Entry&) const = default;
        };
        QList<Entry> entries;
        bool operator==(const SoundPayload&) const = default;
    };

    // One payload file and its SHA-256 digest (64 lower-case hex digits).
    struct AssetEntry {
        QString path;
        QString sha256;
        bool operator==(const AssetEntry&) const = default;
    };

    // Why "manifest.json" did not decode. `codingPath` names the failing key
    // ("assets[2].sha256"); `describe()` is the decoder's description.
    struct DecodeError {
        enum class Kind { dataCorrupted, keyNotFound, typeMismatch };
        Kind kind = Kind::dataCorrupted;
        QString codingPath;
        QString message;

        QString describe() const { return message; }
        bool operator==(const DecodeError&) const = default;
    };

    qint64 schema = 0;
    QString id;
    qint64 version = 0;
    BundleType type = BundleType::runnerSprite;
    QString displayName;
    QString author;
    QDateTime releaseDate;
    qint64 priceCents = 0;
    QString currency;
    std::optional<SpritePayload> sprite;
    std::optional<QList<SpritePayload>> sprites;
    std::optional<SoundPayload> sound;
    QList<AssetEntry> assets;

    bool operator==(const BundleManifest&) const = default;

    // The one way the program reads a manifest: the raw bytes of
    // "manifest.json". Keys are read in field order, so the error names the
    // first wrong one; unknown keys are ignored, null optional keys are absent.
    static Result<BundleManifest, DecodeError> decode(const QByteArray& json);

    // The manifest with the same keys (tooling only; the program never writes one).
    QJsonObject toJson() const;

    // The two accepted release-date forms: internet date-time with fractional
    // seconds, or without ("2026-03-01T12:00:00.250Z", "2026-03-01T13:00:00+01:00").
    static std::optional<QDateTime> parseReleaseDate(QStringView text);
    // UTC, with milliseconds only when there are any.
    static QString formatReleaseDate(const QDateTime& date);
};

constexpr auto rawValueTable(BundleManifest::BundleType)
{
    using enum BundleManifest::BundleType;
    return makeRawValueTable<BundleManifest::BundleType>({{runnerSprite, u"runner_sprite"}, {soundPack, u"sound_pack"}},
                                                         runnerSprite);
}
inline std::optional<BundleManifest::BundleType> bundleTypeFromRaw(QStringView raw)
{
    return enumFromRaw<BundleManifest::BundleType>(raw);
}

} // namespace gaugelet
