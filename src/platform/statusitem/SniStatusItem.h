#pragma once

#include "platform/statusitem/SniTypes.h"

#include <QDBusConnection>
#include <QObject>
#include <QPoint>
#include <QString>

class QDBusServiceWatcher;
class QSystemTrayIcon;

namespace gaugelet {

class SniItemAdaptor;
class StatusItem;

// Publishes a StatusItem as a StatusNotifierItem: owns the bus name
// "org.kde.StatusNotifierItem-<pid>-<n>" and the object /StatusNotifierItem,
// registers with org.kde.StatusNotifierWatcher (again whenever a watcher
// appears), sends NewIcon after every composition, and turns the host's
// Activate / SecondaryActivate / ContextMenu calls into the item's action.
// While no watcher exists, the picture is shown through QSystemTrayIcon
// (which pads it square).
class SniStatusItem : public QObject {
    Q_OBJECT
public:
    static const QString watcherService;
    static const QString watcherPath;
    static const QString itemPath;
    static constexpr int maxRegisterAttempts = 5;

    explicit SniStatusItem(StatusItem* item, QDBusConnection bus = QDBusConnection::sessionBus());
    ~SniStatusItem() override;

    QString serviceName() const { return m_serviceName; }
    bool isExported() const { return m_exported; }
    bool isRegisteredWithWatcher() const { return m_registered; }
    bool isFallbackShown() const;

    QString title() const { return m_title; }
    QString status() const { return m_status; }
    void setStatus(const QString& status);
    SniToolTip toolTip() const;
    void setToolTip(const QString& title, const QString& description);
    // The composed picture at 1× and 2×.
    SniIconPixmapList iconPixmap() const { return m_pixmaps; }

    // A host's click, with its position.
    void activate(const QPoint& position);

Q_SIGNALS:
    void registeredWithWatcher();
    void registrationFailed(const QString& error);

private:
    void onImageChanged();
    void checkForWatcher();
    void registerWithWatcher();
    void onWatcherGone();
    void setFallbackShown(bool shown);
    void updateFallbackIcon();

    StatusItem* m_item;
    QDBusConnection m_bus;
    QString m_serviceName;
    QObject* m_exportedObject = nullptr;
    SniItemAdaptor* m_adaptor = nullptr;
    QDBusServiceWatcher* m_serviceWatcher = nullptr;
    QSystemTrayIcon* m_trayIcon = nullptr;
    bool m_exported = false;
    bool m_registered = false;
    bool m_fallbackWanted = false;
    int m_registerAttempts = 0;
    QString m_title = QStringLiteral("Gaugelet");
    QString m_status = QStringLiteral("Active");
    QString m_toolTipDescription;
    SniIconPixmapList m_pixmaps;
};

} // namespace gaugelet
