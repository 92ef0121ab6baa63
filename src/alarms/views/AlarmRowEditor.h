#pragma once

#include "alarms/AlarmEditorModel.h"

#include <QIcon>
#include <QList>
#include <QMargins>
#include <QWidget>
#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;
class QToolButton;
class QHBoxLayout;
class QVBoxLayout;

namespace gaugelet {

class AlarmMenuPicker;

// The part of an alarm row shown while it is expanded: the "Trigger" group
// (source, direction, threshold, repeat) and the "Notification" group
// (sound, banner, snooze) with their two warnings. It binds the row's model:
// every control hands the user's choice to it, and loading the controls never
// writes.
//
// The editor places the editing mark: the alarm whose threshold slider came
// on screen last (or whose controls the user touched last) is not evaluated
// while it is being edited. The mark is cleared when the slider leaves the
// screen for the program's own reasons (collapse, deletion, the pane or the
// window closing) and when the editor is destroyed, but only while it is
// still this row's; the window system minimising the window is no collapse.
class AlarmRowEditor : public QWidget {
    Q_OBJECT
public:
    // Slider positions per unit of threshold.
    static constexpr int sliderScale = 10000;

    AlarmRowEditor(AlarmEditorModel* model, QWidget* parent = nullptr);
    ~AlarmRowEditor() override;

    // Re-reads the alarm into every control; never writes.
    void refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildTriggerGroup();
    void buildNotificationGroup();
    QWidget* divider();
    QLabel* sectionHeader(const QString& title);
    QWidget* fieldRow(const QString& symbol, const QString& title, QWidget* control);
    // A field row of a menu picker, named name, that hands the user's choice to choose.
    AlarmMenuPicker* addPickerRow(const QString& name, const QString& symbol, const QString& title,
                                  const std::function<void(const QVariant&)>& choose);
    // A warning line, hidden until shown: an orange symbol beside a secondary text.
    struct Warning {
        QWidget* holder;
        QLabel* symbolLabel;
        QLabel* text;
        QString symbol;
    };
    // Adds a warning line, named name, to the editor.
    Warning addWarning(const QString& name, const QString& symbol, const QMargins& margins);
    void applyStyle();
    void styleSegments();
    void load(AlarmMenuPicker* picker, const QList<AlarmEditorModel::MenuEntry>& entries, const QVariant& current);

    AlarmEditorModel* m_model;
    QIcon m_installedIcon;

    QVBoxLayout* m_layout = nullptr;
    QList<QLabel*> m_headers;
    QList<QPair<QLabel*, QString>> m_fieldSymbols;
    AlarmMenuPicker* m_sourcePicker = nullptr;
    QPushButton* m_aboveButton = nullptr;
    QPushButton* m_belowButton = nullptr;
    QSlider* m_slider = nullptr;
    QLabel* m_thresholdText = nullptr;
    AlarmMenuPicker* m_repeatPicker = nullptr;
    AlarmMenuPicker* m_soundPicker = nullptr;
    QToolButton* m_resetButton = nullptr;
    Warning m_soundWarning{};
    QCheckBox* m_notifySwitch = nullptr;
    AlarmMenuPicker* m_snoozePicker = nullptr;
    Warning m_sourceWarning{};
};

} // namespace gaugelet
