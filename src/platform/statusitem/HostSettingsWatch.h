#pragma once

#include "platform/statusitem/StatusAreaHost.h"

#include <QDBusConnection>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

namespace gaugelet {

// Follows, while the host runs, the settings its slot height is read from,
// so that a change of the panel's icon size is followed at once:
// - Xfce's status tray: its properties in xfconfd (xfconfd writes its file
//   only some time after a change), read over D-Bus and followed by its
//   PropertyChanged signal; where xfconfd does not answer, its file;
// - LXQt's panel.conf and waybar's config: the file, and its folder, since
//   an editor or QSettings replaces the file rather than writing into it.
// Main thread only.
class HostSettingsWatch : public QObject {
    Q_OBJECT
public:
    static const QString xfconfService;
    static const QString xfconfPath;
    // How long after a change the settings are read again (a file is often
    // written in several steps, a panel's settings changed several at once).
    static constexpr int settleMs = 50;

    explicit HostSettingsWatch(QObject* parent = nullptr);

    // Follows the settings of `host`, reaching xfconfd on `bus`.
    void follow(const StatusAreaHost& host, const QDBusConnection& bus);
    void stop();

Q_SIGNALS:
    // The host's slots are now `height` pixels high (at scale 1).
    void slotHeightChanged(int height);

private Q_SLOTS:
    // A property of a channel changed or was reset.
    void onXfconfChanged(const QString& channel, const QString& property);

private:
    void watchFile();
    void readAgain();
    void readXfconf();
    void tell(int height);

    StatusAreaHost m_host;
    QDBusConnection m_bus{QString()};
    bool m_xfconf = false; // the height comes from xfconfd
    QFileSystemWatcher m_files;
    QTimer m_settle;
    quint64 m_generation = 0; // of what is followed: a late answer about another is dropped
};

} // namespace gaugelet
