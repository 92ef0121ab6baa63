#pragma once

// The alarms pane on a real alarm manager with in-memory defaults: a
// registry of a 1 s and a 20 s test provider, a resources folder of three
// built-in sounds, and the pane in a window of the settings window's size.
// Writes to the alarm list are counted.

#include "AlarmFixture.h"
#include "alarms/views/AlarmMenuPicker.h"
#include "alarms/views/AlarmRow.h"
#include "alarms/views/AlarmRowEditor.h"
#include "alarms/views/AlarmsSettingsView.h"
#include "lifecycle/AppLifecycle.h"
#include "platform/core/NotificationCenter.h"
#include "platform/desktop/AudioPlayer.h"
#include "platform/desktop/SecurityScopedBookmark.h"
#include "platform/desktop/WorkspaceNotifications.h"
#include "stats/RenderClock.h"
#include "views/ViewEnvironment.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

namespace gaugelet::test {

// A test provider with a refresh interval of the test's choosing.
class IntervalProvider : public TestProvider {
public:
    IntervalProvider(QString id, QString name, double interval)
        : TestProvider(std::move(id), std::move(name)), m_interval(interval)
    {
    }
    double refreshInterval() const override { return m_interval; }

private:
    double m_interval;
};

// A resources folder whose "Sounds" holds the given built-in sounds.
class SoundsFolder {
public:
    explicit SoundsFolder(const QStringList& stems) : m_env("GAUGELET_RESOURCES_DIR", m_dir.path().toUtf8())
    {
        QDir(m_dir.path()).mkpath("Sounds");
        for (const QString& stem : stems)
            writeFile(m_dir.filePath("Sounds/" + stem + ".mp3"), "x");
    }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    ScopedEnv m_env;
};

inline QStringList itemTexts(const QComboBox* picker)
{
    QStringList texts;
    for (int i = 0; i < picker->count(); ++i)
        texts << (picker->itemData(i).isValid() ? picker->itemText(i) : QStringLiteral("---"));
    return texts;
}

// A named control inside a view.
template <typename T>
T* part(QWidget* parent, const char* name)
{
    T* found = parent ? parent->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// What the user does to a menu: choose the entry with this text.
inline void choose(AlarmMenuPicker* picker, const QString& text)
{
    const int index = picker->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    Q_EMIT picker->activated(index);
}

class AlarmsPane : public AlarmFixture {
protected:
    void SetUp() override
    {
        AlarmFixture::SetUp();
        sounds = std::make_unique<SoundsFolder>(QStringList{"bird-sound", "bell-sound", "marimba-sound"});
        cpu = std::make_shared<IntervalProvider>("cpu.total", "CPU", 1.0);
        slow = std::make_shared<IntervalProvider>("slow.total", "Slow", 20.0);
        registry = std::make_unique<StatRegistry>(StatRegistry::Providers{cpu, slow});
    }

    void TearDown() override
    {
        window.reset();
        manager.reset();
        registry.reset();
        AlarmFixture::TearDown();
    }

    // Opens the pane in a window of the settings window's size.
    AlarmsSettingsView* open(const QList<Alarm>& alarms, bool show = true)
    {
        if (!manager)
            manager = makeManager(alarms);
        writes = std::make_unique<QSignalSpy>(manager.get(), &AlarmManager::alarmsChanged);
        window = std::make_unique<QWidget>();
        window->resize(540, 520);
        auto* layout = new QVBoxLayout(window.get());
        layout->setContentsMargins(0, 0, 0, 0);
        ViewEnvironment env;
        env.registry = registry.get();
        env.alarms = manager.get();
        view = new AlarmsSettingsView(env, window.get());
        layout->addWidget(view);
        if (show)
            window->show();
        QApplication::processEvents();
        return view;
    }

    // Lets queued updates run.
    void turn() { QApplication::processEvents(); }

    int writeCount() const { return int(writes->count()); }

    AlarmRow* row(int i) const { return view->rows().at(i); }
    AlarmRowEditor* editor(int i) const { return view->rows().at(i)->editor(); }
    Alarm stored(int i) const { return manager->alarms().at(i); }

    std::unique_ptr<SoundsFolder> sounds;
    std::shared_ptr<IntervalProvider> cpu;
    std::shared_ptr<IntervalProvider> slow;
    std::unique_ptr<StatRegistry> registry;
    std::unique_ptr<AlarmManager> manager;
    std::unique_ptr<QWidget> window;
    std::unique_ptr<QSignalSpy> writes;
    AlarmsSettingsView* view = nullptr;
};

inline QList<Alarm> alarmsOn(const QString& providerId, int count)
{
    QList<Alarm> list;
    for (int i = 0; i < count; ++i)
        list.append(makeAlarm(providerId, 0.5 + 0.01 * i));
    return list;
}

} // namespace gaugelet::test
