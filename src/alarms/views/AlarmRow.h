#pragma once

#include "alarms/Alarm.h"
#include "alarms/AlarmManager.h"
#include "stats/StatRegistry.h"
#include "views/GroupedSection.h"
#include "views/ViewEnvironment.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QUuid>
#include <optional>

class QCheckBox;
class QLabel;
class QToolButton;
class QVBoxLayout;
class QGraphicsOpacityEffect;
class QVariantAnimation;

namespace gaugelet {

class AlarmEditorModel;
class AlarmManager;
class AlarmRowEditor;

// One alarm in the alarms pane: the summary line with its switch, firing
// mark, test, delete and expand buttons, and, while expanded, the editor of
// every field. The row keeps no copy of the alarm: it finds it by id in the
// manager's list whenever it draws, and every edit writes the whole list
// back at once. The row starts expanded.
class AlarmRow : public GroupedSection {
    Q_OBJECT
public:
    AlarmRow(const QUuid& alarmId, const ViewEnvironment& env, QWidget* parent = nullptr);
    ~AlarmRow() override;

    QUuid alarmId() const { return m_alarmId; }

    // The alarm's state and rules; the row and its editor bind to it.
    AlarmEditorModel* model() const { return m_model; }

    // The header's actions.
    void testAlarm();
    void deleteAlarm();
    void toggleExpanded();
    bool isExpanded() const { return m_expanded; }

    // Re-reads the alarm into every control; never writes.
    void refresh();
    // The editor while the row is expanded, else nullptr.
    AlarmRowEditor* editor() const { return m_editor; }

    // The opacity the row's content is drawn at: dimmed while its source is missing.
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
    AlarmEditorModel* m_model = nullptr;
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
