#include "alarms/SoundRegistry.h"

#include "platform/core/MainThread.h"
#include "platform/core/NotificationCenter.h"
#include "platform/core/Resources.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>

namespace gaugelet {

QHash<QString, SoundRegistry::Sound>& SoundRegistry::installed()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    static QHash<QString, Sound> table;
    return table;
}

void SoundRegistry::registerInstalled(const Sound& sound)
{
    installed().insert(sound.id, sound);
    NotificationCenter::defaultCenter().post(didChangeNotification);
}

QList<SoundRegistry::Sound> SoundRegistry::bundledSounds()
{
    const QDir dir(Resources::path(QStringLiteral("Sounds")));
    if (!dir.exists())
        return {};
    const QFileInfoList files =
        dir.entryInfoList({QStringLiteral("*.mp3")}, QDir::Files | QDir::Readable | QDir::CaseSensitive, QDir::Name);
    QList<Sound> sounds;
    for (const QFileInfo& file : files) {
        const QString name = file.fileName();
        if (!name.endsWith(QLatin1String(".mp3")))
            continue;
        const QString stem = name.chopped(4);
        sounds.append(Sound{stem, prettyName(stem), QUrl::fromLocalFile(file.absoluteFilePath()), Sound::Source::bundled()});
    }
    return sounds;
}

QString SoundRegistry::prettyName(const QString& stem)
{
    QString name = stem;
    const qsizetype at = name.indexOf(QLatin1String("-sound"), 0, Qt::CaseSensitive);
    if (at >= 0)
        name.remove(at, 6);
    qsizetype begin = 0;
    qsizetype end = name.size();
    while (begin < end && name.at(begin) == QLatin1Char('-'))
        ++begin;
    while (end > begin && name.at(end - 1) == QLatin1Char('-'))
        --end;
    name = name.mid(begin, end - begin);
    if (name.isEmpty())
        return stem;

    QStringList pieces = name.split(QLatin1Char('-'), Qt::SkipEmptyParts);
    for (QString& piece : pieces) {
        const bool numeric = std::all_of(piece.cbegin(), piece.cend(), [](QChar c) { return c.isNumber(); });
        if (numeric)
            continue;
        // Upper-case the first character (one code point, which may grow).
        const qsizetype firstLen = (piece.size() > 1 && piece.at(0).isHighSurrogate()) ? 2 : 1;
        piece = piece.left(firstLen).toUpper() + piece.mid(firstLen);
    }
    return pieces.join(QLatin1Char(' '));
}

QList<SoundRegistry::Sound> SoundRegistry::allSounds()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QList<Sound> sounds = bundledSounds();
    for (auto it = installed().cbegin(); it != installed().cend(); ++it)
        sounds.append(it.value());
    // Finder-like order: case-insensitive, numbers by value. The "C" locale
    // collates by code point only, so it falls back to English rules.
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::stable_sort(sounds.begin(), sounds.end(), [&collator](const Sound& a, const Sound& b) {
        return collator.compare(a.displayName, b.displayName) < 0;
    });
    return sounds;
}

std::optional<SoundRegistry::Sound> SoundRegistry::sound(const QString& id)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    for (const Sound& s : allSounds()) {
        if (s.id == id)
            return s;
    }
    return std::nullopt;
}

std::optional<SoundRegistry::Sound> SoundRegistry::defaultSound()
{
    if (auto bird = sound(defaultSoundId))
        return bird;
    const QList<Sound> all = allSounds();
    if (all.isEmpty())
        return std::nullopt;
    return all.first();
}

void SoundRegistry::unregisterPack(const QString& packId)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    QStringList ids;
    for (auto it = installed().cbegin(); it != installed().cend(); ++it) {
        const Sound::Source& source = it.value().source;
        if (source.kind == Sound::Source::Kind::installed && source.packId == packId)
            ids.append(it.key());
    }
    if (ids.isEmpty())
        return;
    for (const QString& id : std::as_const(ids))
        installed().remove(id);
    NotificationCenter::defaultCenter().post(didChangeNotification);
}

size_t qHash(const SoundRegistry::Sound& sound, size_t seed)
{
    const bool installed = sound.source.kind == SoundRegistry::Sound::Source::Kind::installed;
    return qHashMulti(seed, sound.id, sound.displayName, sound.url, installed,
                      installed ? sound.source.packId : QString());
}

} // namespace gaugelet
