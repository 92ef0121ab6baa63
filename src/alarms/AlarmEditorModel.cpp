#include "alarms/AlarmEditorModel.h"

#include "alarms/AlarmLine.h"
#include "alarms/AlarmManager.h"
#include "platform/core/MainThread.h"
#include "stats/StatProvider.h"
#include "stats/StatRegistry.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <limits>

namespace gaugelet {

namespace {

// Truncates toward zero, saturating at the integer range; NaN gives 0.
qint64 saturatingTruncate(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double limit = 9223372036854775807.0; // 2^63, the first double past the range
    if (value >= limit)
        return std::numeric_limits<qint64>::max();
    if (value <= -limit)
        return std::numeric_limits<qint64>::min();
    return qint64(std::trunc(value));
}

// A menu of presets, tagged with their values. A current value no preset has
// comes first, as its own entry over a divider, so the menu can show it.
template <typename Preset, typename Value>
QList<AlarmEditorModel::MenuEntry> presetMenu(const QList<Preset>& presets, Value Preset::*value, Value current,
                                              const QString& customText)
{
    using Entry = AlarmEditorModel::MenuEntry;
    QList<Entry> entries;
    const bool preset = std::any_of(presets.cbegin(), presets.cend(),
                                    [&](const Preset& p) { return p.*value == current; });
    if (!preset) {
        entries.append(Entry::entry(customText, QVariant::fromValue(current)));
        entries.append(Entry::separator());
    }
    for (const Preset& p : presets)
        entries.append(Entry::entry(p.label, QVariant::fromValue(p.*value)));
    return entries;
}

} // namespace

QList<AlarmEditorModel::RepeatPreset> AlarmEditorModel::repeatPresets()
{
    return {
        {tr("10 seconds"), 10},  {tr("30 seconds"), 30},  {tr("1 minute"), 60},
        {tr("5 minutes"), 300}, {tr("15 minutes"), 900}, {tr("1 hour"), 3600},
    };
}

QList<AlarmEditorModel::SnoozePreset> AlarmEditorModel::snoozePresets()
{
    return {
        {tr("1 minute"), 1}, {tr("5 minutes"), 5}, {tr("15 minutes"), 15}, {tr("30 minutes"), 30}, {tr("1 hour"), 60},
    };
}

QString AlarmEditorModel::durationLabel(double seconds)
{
    if (std::isnan(seconds))
        seconds = 0;
    if (seconds < 60)
        return QString::number(saturatingTruncate(seconds)) + QLatin1Char('s');
    if (seconds < 3600)
        return QString::number(saturatingTruncate(seconds / 60)) + QLatin1Char('m');
    return QString::number(saturatingTruncate(seconds / 3600)) + QLatin1Char('h');
}

QString AlarmEditorModel::thresholdText(double threshold)
{
    return QString::number(saturatingRound(threshold * 100.0)) + QLatin1Char('%');
}

AlarmEditorModel::AlarmEditorModel(AlarmManager* alarms, StatRegistry* registry, const QUuid& alarmId,
                                   QList<SoundRegistry::Sound> sounds, QObject* parent)
    : QObject(parent), m_alarms(alarms), m_registry(registry), m_alarmId(alarmId), m_sounds(std::move(sounds))
{
    GAUGELET_ASSERT_MAIN_THREAD();
}

AlarmEditorModel::~AlarmEditorModel() = default;

// --- Row operations ---------------------------------------------------------------

std::optional<qsizetype> AlarmEditorModel::index() const
{
    if (!m_alarms)
        return std::nullopt;
    const QList<Alarm>& list = m_alarms->alarms();
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list.at(i).id == m_alarmId)
            return i;
    }
    return std::nullopt;
}

std::optional<Alarm> AlarmEditorModel::alarm() const
{
    const auto i = index();
    if (!i)
        return std::nullopt;
    return m_alarms->alarms().at(*i);
}

bool AlarmEditorModel::modify(const std::function<void(Alarm&)>& change)
{
    GAUGELET_ASSERT_MAIN_THREAD();
    const auto i = index();
    if (!i)
        return false;
    QList<Alarm> list = m_alarms->alarms();
    change(list[*i]);
    m_alarms->setAlarms(list);
    return true;
}

void AlarmEditorModel::deleteAlarm()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!m_alarms)
        return;
    QList<Alarm> list = m_alarms->alarms();
    list.removeIf([this](const Alarm& a) { return a.id == m_alarmId; });
    m_alarms->setAlarms(list);
}

bool AlarmEditorModel::providerLoaded() const
{
    const auto a = alarm();
    return a && m_registry && m_registry->provider(a->providerId) != nullptr;
}

QString AlarmEditorModel::providerName() const
{
    const auto a = alarm();
    if (!a)
        return {};
    StatProvider* provider = m_registry ? m_registry->provider(a->providerId) : nullptr;
    return provider ? provider->displayName() : a->providerId;
}

double AlarmEditorModel::minRepeatInterval() const
{
    const auto a = alarm();
    if (!a)
        return Alarm::minRepeatInterval;
    StatProvider* provider = m_registry ? m_registry->provider(a->providerId) : nullptr;
    return Alarm::repeatFloor(provider ? provider->refreshInterval() : Alarm::minRepeatInterval);
}

QString AlarmEditorModel::summaryLine() const
{
    const auto a = alarm();
    return a ? alarmLine(*a, m_registry) : QString();
}

QString AlarmEditorModel::detailLine() const
{
    const auto a = alarm();
    if (!a)
        return {};
    const QString every = tr("every %1").arg(durationLabel(a->repeatInterval));
    const QString banner = a->notify ? tr("banner on") : tr("sound only");
    const QString snooze = tr("snooze %1m").arg(a->notifySnoozeMinutes);
    return every + QStringLiteral(" \u00B7 ") + banner + QStringLiteral(" \u00B7 ") + snooze;
}

QList<AlarmEditorModel::RepeatPreset> AlarmEditorModel::repeatChoices() const
{
    const double floor = minRepeatInterval();
    QList<RepeatPreset> choices;
    for (const RepeatPreset& preset : repeatPresets()) {
        if (preset.seconds >= floor)
            choices.append(preset);
    }
    return choices;
}

// --- What the editor shows ----------------------------------------------------------

QList<AlarmEditorModel::MenuEntry> AlarmEditorModel::sourceEntries() const
{
    const auto a = alarm();
    if (!a)
        return {};
    QList<MenuEntry> sources;
    const bool known = m_registry && m_registry->provider(a->providerId);
    if (!a->providerId.isEmpty() && !known) {
        sources.append(MenuEntry::entry(tr("%1 (not loaded)").arg(a->providerId), a->providerId));
        sources.append(MenuEntry::separator());
    }
    if (m_registry) {
        for (const auto& provider : m_registry->providers())
            sources.append(MenuEntry::entry(provider->displayName(), provider->id()));
    }
    return sources;
}

double AlarmEditorModel::repeatValue() const
{
    const double seconds = field(&Alarm::repeatInterval, 0.0);
    if (std::isnan(seconds) || seconds < 0)
        return 0;
    if (std::isinf(seconds))
        return std::numeric_limits<double>::max();
    return seconds;
}

QList<AlarmEditorModel::MenuEntry> AlarmEditorModel::repeatEntries() const
{
    if (!alarm())
        return {};
    const double repeat = repeatValue();
    return presetMenu(repeatChoices(), &RepeatPreset::seconds, repeat, tr("%1 (custom)").arg(durationLabel(repeat)));
}

QString AlarmEditorModel::repeatHelp() const
{
    const double floor = minRepeatInterval();
    return tr("Bounded by the source's refresh rate (%1s).")
        .arg(std::isfinite(floor) ? qint64(std::trunc(floor)) : std::numeric_limits<qint64>::max());
}

std::optional<SoundRegistry::Sound> AlarmEditorModel::soundById(const QString& id) const
{
    for (const SoundRegistry::Sound& sound : m_sounds) {
        if (sound.id == id)
            return sound;
    }
    return std::nullopt;
}

std::optional<SoundRegistry::Sound> AlarmEditorModel::defaultSound() const
{
    if (auto sound = soundById(SoundRegistry::defaultSoundId))
        return sound;
    if (!m_sounds.isEmpty())
        return m_sounds.first();
    return std::nullopt;
}

QList<AlarmEditorModel::MenuEntry> AlarmEditorModel::soundEntries() const
{
    const auto a = alarm();
    if (!a)
        return {};
    QList<MenuEntry> sounds;
    if (a->soundBookmark) {
        sounds.append(MenuEntry::entry(tr("Custom: %1").arg(customSoundName()), customSoundTag));
        sounds.append(MenuEntry::separator());
    }
    for (const SoundRegistry::Sound& sound : std::as_const(m_sounds)) {
        const bool installed = sound.source.kind == SoundRegistry::Sound::Source::Kind::installed;
        sounds.append(MenuEntry::entry(sound.displayName, sound.id, installed));
    }
    if (m_sounds.isEmpty())
        sounds.append(MenuEntry::entry(tr("(no bundled sounds)"), noSoundTag));
    return sounds;
}

QString AlarmEditorModel::soundValue() const
{
    const auto fallback = [this] {
        const auto sound = defaultSound();
        return sound ? sound->id : QString();
    };
    const auto a = alarm();
    if (!a)
        return fallback();
    if (a->soundBookmark)
        return customSoundTag;
    if (a->bundledSoundId && soundById(*a->bundledSoundId))
        return *a->bundledSoundId;
    return fallback();
}

QString AlarmEditorModel::customSoundName() const
{
    const auto a = alarm();
    const auto url = a && m_alarms ? m_alarms->resolveSoundURL(*a) : std::nullopt;
    if (!url)
        return tr("missing");
    return QFileInfo(url->path()).completeBaseName();
}

bool AlarmEditorModel::resetShown() const
{
    const auto a = alarm();
    return a && (a->soundBookmark.has_value() || a->bundledSoundId.has_value());
}

bool AlarmEditorModel::soundWarningShown() const
{
    const auto a = alarm();
    return a && a->soundBookmark && m_alarms && !m_alarms->resolveSoundURL(*a);
}

qint64 AlarmEditorModel::snoozeValue() const
{
    return std::max<qint64>(field(&Alarm::notifySnoozeMinutes, qint64(1)), 1);
}

QList<AlarmEditorModel::MenuEntry> AlarmEditorModel::snoozeEntries() const
{
    if (!alarm())
        return {};
    const qint64 snooze = snoozeValue();
    return presetMenu(snoozePresets(), &SnoozePreset::minutes, snooze, tr("%1 min (custom)").arg(snooze));
}

QString AlarmEditorModel::sourceWarning() const
{
    const auto a = alarm();
    if (!a || providerLoaded())
        return {};
    return tr("Source \u201C%1\u201D is not loaded. Alarm is disabled.").arg(a->providerId);
}

// --- The editing mark ---------------------------------------------------------------

void AlarmEditorModel::takeEditingMark()
{
    if (m_alarms && alarm())
        m_alarms->setEditingAlarmId(m_alarmId);
}

void AlarmEditorModel::releaseEditingMark()
{
    if (m_alarms && m_alarms->editingAlarmId() == m_alarmId)
        m_alarms->setEditingAlarmId(std::nullopt);
}

// --- Writing ------------------------------------------------------------------------

void AlarmEditorModel::setEnabled(bool on)
{
    setField(&Alarm::enabled, on);
}

void AlarmEditorModel::chooseSource(const QString& providerId)
{
    takeEditingMark();
    if (!setField(&Alarm::providerId, providerId))
        return;
    StatProvider* provider = m_registry ? m_registry->provider(providerId) : nullptr;
    if (!provider)
        return;
    const double floor = Alarm::repeatFloor(provider->refreshInterval());
    const auto a = alarm();
    // Raised to the new source's floor, never lowered.
    if (a && a->repeatInterval < floor)
        setField(&Alarm::repeatInterval, floor);
}

void AlarmEditorModel::chooseDirection(Alarm::Direction direction)
{
    takeEditingMark();
    // Pressing the segment that is already selected chooses nothing.
    if (field(&Alarm::direction, direction) != direction)
        setField(&Alarm::direction, direction);
}

bool AlarmEditorModel::moveThreshold(double threshold)
{
    takeEditingMark();
    const double value = std::isnan(threshold) ? 0.0 : std::clamp(threshold, 0.0, 1.0);
    return setField(&Alarm::threshold, value);
}

void AlarmEditorModel::chooseRepeat(double seconds)
{
    takeEditingMark();
    const double floor = minRepeatInterval();
    setField(&Alarm::repeatInterval, std::isnan(seconds) ? floor : std::max(seconds, floor));
}

void AlarmEditorModel::chooseSound(const QString& tag)
{
    takeEditingMark();
    // The custom entry stands for the stored file: choosing it changes nothing.
    if (tag == customSoundTag || !alarm())
        return;
    setField(&Alarm::soundBookmark, std::optional<QByteArray>());
    setField(&Alarm::bundledSoundId, std::optional<QString>(tag));
}

void AlarmEditorModel::resetSound()
{
    takeEditingMark();
    if (!alarm())
        return;
    setField(&Alarm::soundBookmark, std::optional<QByteArray>());
    setField(&Alarm::bundledSoundId, std::optional<QString>());
}

void AlarmEditorModel::setNotify(bool on)
{
    takeEditingMark();
    setField(&Alarm::notify, on);
}

void AlarmEditorModel::chooseSnooze(qint64 minutes)
{
    takeEditingMark();
    setField(&Alarm::notifySnoozeMinutes, std::max<qint64>(minutes, 1));
}

} // namespace gaugelet
