#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>
#include <functional>
#include <vector>

class QDBusServiceWatcher;

namespace gaugelet {

// GNOME Shell's Activities overview, which a GNOME session shows when it
// starts and the Super key brings up. While it shows, the shell holds the
// keyboard and draws none of the program's windows: a popover opened then
// would be neither seen nor able to take the keyboard, so it opens once the
// overview has gone. Follows the shell's OverviewActive property
// (org.gnome.Shell on the session bus); where no GNOME Shell runs, the
// overview never shows. Main thread.
class ShellOverview : public QObject {
    Q_OBJECT
public:
    static inline const QString shellService = QStringLiteral("org.gnome.Shell");
    static inline const QString shellPath = QStringLiteral("/org/gnome/Shell");
    static inline const QString shellInterface = QStringLiteral("org.gnome.Shell");
    static inline const QString activeProperty = QStringLiteral("OverviewActive");
    // How long leave() waits for the shell to say the overview has gone;
    // tests give a time of their own.
    static constexpr int leaveTimeoutMs = 1'000;

    explicit ShellOverview(const QDBusConnection& bus = QDBusConnection::sessionBus(),
                           int leaveTimeout = leaveTimeoutMs, QObject* parent = nullptr);
    ~ShellOverview() override;

    bool isShown() const { return m_shown; }
    // Asks the shell to leave the overview and runs `then` once it has
    // gone, or after the leave timeout without an answer; at once where it
    // is not shown, or when the shell refuses.
    void leave(std::function<void()> then);

Q_SIGNALS:
    void shownChanged(bool shown);

private Q_SLOTS:
    void onPropertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList& invalidated);

private:
    void fetch();
    void setShown(bool shown);
    void runWaiting();

    QDBusConnection m_bus;
    QDBusServiceWatcher* m_watcher = nullptr;
    QTimer m_leaveTimeout;
    std::vector<std::function<void()>> m_waiting;
    bool m_shown = false;
};

} // namespace gaugelet
