#pragma once

#include "alarms/Alarm.h"
#include "alarms/SoundRegistry.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUuid>
#include <QVariant>
#include <functional>
#include <optional>

namespace gaugelet {

class AlarmManager;
class StatRegistry;

// The state and rules of one alarm's row and editor, without any widget. It
// holds no copy of the alarm: it finds it by id in the manager's list each
// time it is asked, and every write takes the list, changes the one alarm and
// writes the whole list back at once. It also carries the editing mark: the
// alarm being edited is not evaluated. One model per row. Main thread.
class AlarmEditorModel : public QObject {
    Q_OBJECT
public:
    struct RepeatPreset {
        QString label;
        double seconds;
    };
    struct SnoozePreset {
        QString label;
        qint64 minutes;
    };
    // One entry of a menu: a text tagged with the value choosing it writes,
    // or a divider. Installed sounds are marked.
    struct MenuEntry {
        QString text;
        QVariant tag;
        bool divider = false;
        bool installed = false;

        static MenuEntry entry(QString text, QVariant tag, bool installed = false)
        {
            return MenuEntry{std::move(text), std::move(tag), false, installed};
        }
        static MenuEntry separator() { return MenuEntry{{}, {}, true, false}; }
        bool operator==(const MenuEntry&) const = default;
    };

    // The sound menu's entry for a stored sound file, and its placeholder's tag.
    static inline const QString customSoundTag = QStringLiteral("__custom__");
    static inline const QString noSoundTag = QString();

    static QList<RepeatPreset> repeatPresets();
    static QList<SnoozePreset> snoozePresets();
    // 59.9 → "59s", 90 → "1m", 5400 → "1h": truncated toward zero, saturating
    // at the integer range; NaN counts as 0.
    static QString durationLabel(double seconds);
    // "52%": the threshold in whole percent, halves away from zero.
    static QString thresholdText(double threshold);

    // sounds: the sounds the sound menu offers, as they were when the row was built.
    AlarmEditorModel(AlarmManager* alarms, StatRegistry* registry, const QUuid& alarmId,
                     QList<SoundRegistry::Sound> sounds, QObject* parent = nullptr);
    ~AlarmEditorModel() override;

    QUuid alarmId() const { return m_alarmId; }

    // Each reads the manager's list at the moment it is called.
    std::optional<qsizetype> index() const;
    std::optional<Alarm> alarm() const;
    // A field of the alarm, or the fallback when the alarm is gone.
    template <typename T>
    T field(T Alarm::*member, T fallback) const
    {
        const auto a = alarm();
        return a ? (*a).*member : fallback;
    }
    // Sets one field and writes the whole list back (one run of the manager's
    // change hook); does nothing when the alarm is gone.
    template <typename T>
    bool setField(T Alarm::*member, T value)
    {
        return modify([&](Alarm& a) { a.*member = value; });
    }
    // Changes the alarm in a copy of the list and writes the list back once.
    bool modify(const std::function<void(Alarm&)>& change);
    // Removes every alarm with this id, keeping the others' order; one write.
    void deleteAlarm();

    bool providerLoaded() const;
    QString providerName() const;
    double minRepeatInterval() const;
    QString summaryLine() const;
    QString detailLine() const;
    // The repeat presets the alarm's source allows, in table order.
    QList<RepeatPreset> repeatChoices() const;

    // What the editor shows; all empty or neutral while the alarm is gone.
    QList<MenuEntry> sourceEntries() const;
    QList<MenuEntry> repeatEntries() const;
    // The repeat menu's selection: a negative or undefined interval shows as
    // 0 (the engine fires at every flush), an infinite one as the longest.
    double repeatValue() const;
    QString repeatHelp() const;
    QList<MenuEntry> soundEntries() const;
    // The sound menu's selection for the alarm as it is stored.
    QString soundValue() const;
    // "Custom: " entry's name: the stored file's name without its extension, or "missing".
    QString customSoundName() const;
    bool resetShown() const;
    bool soundWarningShown() const;
    QList<MenuEntry> snoozeEntries() const;
    // At least a minute is shown; the stored value stays until the user chooses.
    qint64 snoozeValue() const;
    // Empty while the source is loaded.
    QString sourceWarning() const;

    // The editing mark. take: this alarm is being edited (when it exists).
    // release: nobody is, if the mark is still this alarm's.
    void takeEditingMark();
    void releaseEditingMark();

    // The user's writes; each takes the editing mark first.
    void setEnabled(bool on);
    void chooseSource(const QString& providerId);
    void chooseDirection(Alarm::Direction direction);
    // Returns whether the threshold was written.
    bool moveThreshold(double threshold);
    void chooseRepeat(double seconds);
    void chooseSound(const QString& tag);
    void resetSound();
    void setNotify(bool on);
    void chooseSnooze(qint64 minutes);

private:
    std::optional<SoundRegistry::Sound> defaultSound() const;
    std::optional<SoundRegistry::Sound> soundById(const QString& id) const;

    QPointer<AlarmManager> m_alarms;
    QPointer<StatRegistry> m_registry;
    QUuid m_alarmId;
    QList<SoundRegistry::Sound> m_sounds;
};

} // namespace gaugelet
