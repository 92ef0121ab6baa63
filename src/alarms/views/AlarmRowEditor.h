#pragma once

#include "alarms/SoundRegistry.h"

#include <QIcon>
#include <QList>
#include <QPointer>
#include <QUuid>
#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;
class QToolButton;
class QHBoxLayout;
class QVBoxLayout;

namespace gaugelet {

class AlarmManager;
class AlarmMenuPicker;
class AlarmRow;

// The part of an alarm row shown while it is expanded: the "Trigger" group
// (source, direction, threshold, repeat) and the "Notification" group
// (sound, banner, snooze) with their two warnings. Every control writes its
// field straight into the manager's list; loading the controls never writes.
//
// The editor carries the editing mark: the alarm whose threshold slider came
// on screen last (or whose controls the user touched last) is not evaluated
// while it is being edited. The mark is cleared when the slider leaves the
// screen for the program's own reasons (collapse, deletion, the pane or the
// window closing) and when the editor is destroyed, but only while it is
// still this row's; the window system minimising the window is no collapse.
class AlarmRowEditor : public QWidget {
    Q_OBJECT
public:
    // The sound menu's entry for a stored sound file, and its placeholder's tag.
    static inline const QString customSoundTag = QStringLiteral("__custom__");
    static inline const QString noSoundTag = QString();
    // Slider positions per unit of threshold.
    static constexpr int sliderScale = 10000;

    AlarmRowEditor(AlarmRow* row, QWidget* parent = nullptr);
    ~AlarmRowEditor() override;

    // Re-reads the alarm into every control; never writes.
    void refresh();
    // The user touched one of this row's controls: this row is being edited.
    void takeEditingMark();

    // The sound menu's selection for the alarm as it is stored.
    QString soundValue() const;
    // "Custom: " entry's name: the stored file's name without its extension, or "missing".
    QString customSoundName() const;

    // The user's writes, as the controls make them.
    void chooseSource(const QString& providerId);
    void chooseDirection(int direction);
    void moveThreshold(double threshold);
    void chooseRepeat(double seconds);
    void chooseSound(const QString& tag);
    void resetSound();
    void setNotify(bool on);
    void chooseSnooze(qint64 minutes);

    // For tests and screenshots.
    AlarmMenuPicker* sourcePicker() const { return m_sourcePicker; }
    QPushButton* aboveButton() const { return m_aboveButton; }
    QPushButton* belowButton() const { return m_belowButton; }
    QSlider* thresholdSlider() const { return m_slider; }
    QLabel* thresholdText() const { return m_thresholdText; }
    AlarmMenuPicker* repeatPicker() const { return m_repeatPicker; }
    AlarmMenuPicker* soundPicker() const { return m_soundPicker; }
    QToolButton* resetButton() const { return m_resetButton; }
    QWidget* soundWarning() const { return m_soundWarning; }
    QCheckBox* notifySwitch() const { return m_notifySwitch; }
    AlarmMenuPicker* snoozePicker() const { return m_snoozePicker; }
    QWidget* sourceWarning() const { return m_sourceWarning; }
    QLabel* sourceWarningText() const { return m_sourceWarningText; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QWidget* divider();
    QLabel* sectionHeader(const QString& title);
    QWidget* fieldRow(const QString& symbol, const QString& title, QWidget* control);
    QWidget* warning(const QString& symbol, QLabel*& text, int leading, int top);
    void applyStyle();
    void styleSegments();
    void setEditingMark();
    void clearEditingMark();
    std::optional<SoundRegistry::Sound> defaultSound() const;
    std::optional<SoundRegistry::Sound> soundById(const QString& id) const;

    AlarmRow* m_row;
    QUuid m_alarmId;
    QPointer<AlarmManager> m_alarms;
    // The sounds as they were when the editor was built; the pane rebuilds
    // every row when they change.
    QList<SoundRegistry::Sound> m_sounds;
    QIcon m_installedIcon;

    QVBoxLayout* m_layout = nullptr;
    QList<QWidget*> m_dividers;
    QList<QLabel*> m_headers;
    QList<QPair<QLabel*, QString>> m_fieldSymbols;
    AlarmMenuPicker* m_sourcePicker = nullptr;
    QButtonGroup* m_directionGroup = nullptr;
    QPushButton* m_aboveButton = nullptr;
    QPushButton* m_belowButton = nullptr;
    QSlider* m_slider = nullptr;
    QLabel* m_thresholdText = nullptr;
    AlarmMenuPicker* m_repeatPicker = nullptr;
    AlarmMenuPicker* m_soundPicker = nullptr;
    QToolButton* m_resetButton = nullptr;
    QWidget* m_soundWarning = nullptr;
    QLabel* m_soundWarningText = nullptr;
    QLabel* m_soundWarningSymbol = nullptr;
    QCheckBox* m_notifySwitch = nullptr;
    AlarmMenuPicker* m_snoozePicker = nullptr;
    QWidget* m_sourceWarning = nullptr;
    QLabel* m_sourceWarningText = nullptr;
    QLabel* m_sourceWarningSymbol = nullptr;
};

} // namespace gaugelet
