#pragma once

#include <QObject>

namespace gaugelet {

class Defaults;

// The change signals of the settings, by group (SettingKey::Group): however
// many keys of a group change in one turn of the event loop, the group's
// signal is emitted once, at the end of that turn.
class SettingsNotifier : public QObject {
    Q_OBJECT
public:
    // The notifier of a store, made on first use and owned by the store.
    static SettingsNotifier* of(Defaults* defaults);
    // The notifier of the standard store.
    static SettingsNotifier* standard();

Q_SIGNALS:
    // The popover's rows, layout and detail views read a changed key.
    void popoverChanged();
    // The menu-bar tiles read a changed key.
    void menubarChanged();
    // A key the Themes tab shows changed.
    void themesChanged();

private:
    explicit SettingsNotifier(Defaults* defaults);
    void note(const QString& key);
    void emitPending();

    unsigned m_pending = 0;
};

} // namespace gaugelet
