#pragma once

#include "alarms/Alarm.h"
#include "alarms/AlarmManager.h"
#include "alarms/views/AlarmFormSection.h"
#include "stats/StatRegistry.h"
#include "views/ViewEnvironment.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QUuid>
#include <functional>
#include <optional>

class QCheckBox;
class QLabel;
class QToolButton;
class QVBoxLayout;
class QGraphicsOpacityEffect;
class QVariantAnimation;

namespace gaugelet {

class AlarmManager;
class AlarmRowEditor;
class StatRegistry;

// One alarm in the alarms pane: the summary line with its switch, firing
// mark, test, delete and expand buttons, and, while expanded, the editor of
// every field. The row keeps no copy of the alarm: it finds it by id in the
// manager's list whenever it draws, and every edit writes the whole list
// back at once. The row starts expanded.
class AlarmRow : public AlarmFormSection {
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
    static QList<RepeatPreset> repeatPresets();
    static QList<SnoozePreset> snoozePresets();

    AlarmRow(const QUuid& alarmId, const ViewEnvironment& env, QWidget* parent = nullptr);
    ~AlarmRow() override;

    QUuid alarmId() const { return m_alarmId; }
    AlarmManager* manager() const { return m_alarms; }
    StatRegistry* registry() const { return m_registry; }

    // Row operations: each reads the manager's list at the moment it is called.
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

    bool providerLoaded() const;
    QString providerName() const;
    double minRepeatInterval() const;
    QString summaryLine() const;
    QString detailLine() const;
    // 59.9 → "59s", 90 → "1m", 5400 → "1h": truncated toward zero, saturating
    // at the integer range; NaN counts as 0.
    static QString durationLabel(double seconds);
    // The repeat presets the alarm's source allows, in table order.
    QList<RepeatPreset> repeatChoices() const;

    // The header's actions.
    void testAlarm();
    void deleteAlarm();
    void toggleExpanded();
    bool isExpanded() const { return m_expanded; }

    // Re-reads the alarm into every control; never writes.
    void refresh();
    // The editor while the row is expanded, else nullptr.
    AlarmRowEditor* editor() const { return m_editor; }

    // For tests and screenshots.
    QCheckBox* enabledSwitch() const { return m_enabledSwitch; }
    QToolButton* testButton() const { return m_testButton; }
    QToolButton* deleteButton() const { return m_deleteButton; }
    QToolButton* expandButton() const { return m_expandButton; }
    QLabel* summaryLabel() const { return m_summary; }
    QLabel* detailLabel() const { return m_detail; }
    QLabel* firingMark() const { return m_firingMark; }
    qreal contentOpacity() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void buildHeader();
    void applyStyle();
    void drawChevron();
    void setEditorShown(bool shown);

    QUuid m_alarmId;
    ViewEnvironment m_env;
    QPointer<AlarmManager> m_alarms;
    QPointer<StatRegistry> m_registry;
    bool m_expanded = true;
    double m_chevronAngle = 0; // degrees: 0 expanded, −90 collapsed
    // The alarm as the header last drew it: what the test button plays.
    std::optional<Alarm> m_drawnAlarm;

    QWidget* m_content = nullptr;
    QVBoxLayout* m_contentLayout = nullptr;
    QGraphicsOpacityEffect* m_opacity = nullptr;
    QCheckBox* m_enabledSwitch = nullptr;
    QLabel* m_firingMark = nullptr;
    QLabel* m_summary = nullptr;
    QLabel* m_detail = nullptr;
    QToolButton* m_testButton = nullptr;
    QToolButton* m_deleteButton = nullptr;
    QToolButton* m_expandButton = nullptr;
    AlarmRowEditor* m_editor = nullptr;
    QVariantAnimation* m_chevronAnimation = nullptr;
};

} // namespace gaugelet
