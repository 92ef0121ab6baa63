#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QUrl>
#include <optional>

namespace gaugelet {

// The one list of alarm sounds: the built-in MP3 files in the "Sounds"
// resource folder and the sounds registered from installed sound packs.
// A namespace of main-thread statics; nothing is cached or stored on disk.
class SoundRegistry {
public:
    SoundRegistry() = delete;

    struct Sound {
        struct Source {
            enum class Kind { installed, bundled };
            Kind kind = Kind::bundled;
            QString packId; // for installed sounds only

            static Source installed(const QString& packId) { return {Kind::installed, packId}; }
            static Source bundled() { return {Kind::bundled, {}}; }
            bool operator==(const Source& other) const
            {
                return kind == other.kind && (kind == Kind::bundled || packId == other.packId);
            }
        };

        QString id;
        QString displayName;
        QUrl url;
        Source source;
        bool operator==(const Sound&) const = default;
    };

    // "gaugelet.sounds.changed", posted on the default notification centre
    // (no object, no user info) whenever the installed sounds change.
    static inline const QString didChangeNotification = QStringLiteral("gaugelet.sounds.changed");

    // Sound id -> sound of the installed packs; writers post didChangeNotification afterwards.
    static QHash<QString, Sound>& installed();
    // Assigns under the sound's id (replacing any earlier entry) and posts the notification.
    static void registerInstalled(const Sound& sound);

    // The MP3 files of the "Sounds" resource folder, read anew on every call.
    static QList<Sound> bundledSounds();
    static QString prettyName(const QString& stem);
    // Built-in then installed, sorted stably by display name (natural, case-insensitive).
    static QList<Sound> allSounds();
    static std::optional<Sound> sound(const QString& id);
    // "bird-sound" when there is one, else the first of allSounds, else none.
    static std::optional<Sound> defaultSound();
    // Removes every installed sound of the pack; posts once if any was removed.
    static void unregisterPack(const QString& packId);

    static inline const QString defaultSoundId = QStringLiteral("bird-sound");
};

size_t qHash(const SoundRegistry::Sound& sound, size_t seed = 0);

} // namespace gaugelet
