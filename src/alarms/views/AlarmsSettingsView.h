#pragma once

#include "alarms/AlarmsPaneModel.h"
#include "platform/core/MainThreadObserver.h"
#include "views/KeyedRows.h"
#include "views/TurnCoalescer.h"
#include "views/ViewEnvironment.h"

#include <QList>
#include <QPointer>
#include <QUuid>
#include <QWidget>

class QLabel;
class QToolButton;
class QVBoxLayout;

namespace gaugelet {

class AlarmManager;
class AlarmsPaneModel;
class AlarmRow;
class PageScrollArea;
class StatRegistry;

// The settings window's "Alarms" tab: a banner on editing, the add button
// with its count line, and one collapsible row per alarm (or the empty
// state). Every edit is written through to the alarm manager at once, so the
// pane keeps no unsaved state. It updates in place (once per event-loop turn)
// when the alarms, the firing set or the stat registry change, and is rebuilt
// (once per burst) when the installed sounds change.
class AlarmsSettingsView : public QWidget {
    Q_OBJECT
public:
    // A soft cap: only the add button respects it.
    static constexpr int alarmCap = AlarmsPaneModel::alarmCap;

    explicit AlarmsSettingsView(const ViewEnvironment& env, QWidget* parent = nullptr);

    // The pane's list rules; the add button's action is its addAlarm().
    AlarmsPaneModel* model() const { return m_model; }

    // Incremented on every change of the installed sounds.
    int soundsRev() const { return m_soundsRev; }
    // How many times the pane's contents were rebuilt (for tests).
    int rebuildCount() const { return m_rebuildCount; }

    // The rows in list order.
    QList<AlarmRow*> rows() const { return m_rows.rows(); }

protected:
    void changeEvent(QEvent* event) override;

private:
    void buildBanner(QVBoxLayout* layout);
    void buildForm();
    void applyStyle();
    void refresh();
    void rebuild();
    void soundsDidChange();

    ViewEnvironment m_env;
    AlarmsPaneModel* m_model = nullptr;
    QPointer<AlarmManager> m_alarms;
    QPointer<StatRegistry> m_registry;
    int m_soundsRev = 0;
    int m_rebuildCount = 0;
    TurnCoalescer m_refreshTurn{this, [this] { refresh(); }};
    TurnCoalescer m_rebuildTurn{this, [this] { rebuild(); }};

    QWidget* m_banner = nullptr;
    QWidget* m_bannerLine = nullptr;
    QLabel* m_bannerSymbol = nullptr;
    QLabel* m_bannerText = nullptr;
    PageScrollArea* m_scroll = nullptr;
    // Rebuilt as a whole when the sounds change.
    QWidget* m_form = nullptr;
    QToolButton* m_addButton = nullptr;
    QLabel* m_countLine = nullptr;
    QWidget* m_emptyState = nullptr;
    QLabel* m_emptySymbol = nullptr;
    QLabel* m_emptyTitle = nullptr;
    QLabel* m_emptyHelp = nullptr;
    QVBoxLayout* m_rowsLayout = nullptr;
    KeyedRows<QUuid, AlarmRow> m_rows{KeyedRows<QUuid, AlarmRow>::Removal::now};
    // Last, so it stops before anything its handler reaches goes.
    MainThreadObserver m_soundsObserver;
};

} // namespace gaugelet
