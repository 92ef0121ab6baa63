#pragma once

#include "TestSupport.h"
#include "views/ViewEnvironment.h"

#include <QPalette>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantMap>
#include <memory>

class QWidget;

namespace gaugelet {
class Defaults;
class PinManager;
class RunnerStoreAdapter;
class StatRegistry;
class ThemeStore;
class VisualizerRegistry;
} // namespace gaugelet

namespace gaugelet::test {

// The services a settings tab reads, real ones over an in-memory settings
// store: the four providers (not sampling), the visualizer registry, the pin
// manager and the theme store, and a runner adapter that installs shipped
// sprite packs into a temporary folder.
class SettingsWorld {
public:
    SettingsWorld();
    ~SettingsWorld();

    // Installs shipped runner packs ("fox", "hare", "piglet") from the
    // program's resources; false when one fails.
    bool installRunners(const QStringList& ids = {QStringLiteral("fox"), QStringLiteral("hare"),
                                                  QStringLiteral("piglet")});
    // Installs a runner kind under its own id and display name, with the fox's frames.
    bool installRunnerNamed(const QString& id, const QString& displayName);

    ViewEnvironment env() const;
    Defaults* defaults() { return m_defaults.get(); }

    std::unique_ptr<StatRegistry> registry;
    std::unique_ptr<VisualizerRegistry> visualizers;
    std::unique_ptr<PinManager> pins;
    std::unique_ptr<ThemeStore> theme;
    std::unique_ptr<RunnerStoreAdapter> adapter;

private:
    ScopedDefaults m_defaults;
    QTemporaryDir m_bundles;
};

// Counts the writes to the standard store while it lives.
class WriteCounter {
public:
    explicit WriteCounter(Defaults* defaults);
    ~WriteCounter();
    int count() const { return *m_count; }
    QStringList keys() const { return *m_keys; }
    // The user's values changed since the counter began.
    bool valuesChanged() const;

private:
    Defaults* m_defaults;
    QVariantMap m_before;
    std::shared_ptr<int> m_count;
    std::shared_ptr<QStringList> m_keys;
    QMetaObject::Connection m_connection;
};

// The application palette for light or dark screenshots.
QPalette screenshotPalette(bool dark);
// Renders a widget (its full height inside any scroll area) into
// build/screenshots/<name>.png; returns the path.
QString saveScreenshot(QWidget* widget, const QString& name);

} // namespace gaugelet::test
