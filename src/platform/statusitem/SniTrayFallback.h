#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QString>
#include <QTimer>

namespace gaugelet {

class StatusItem;
class TrayIcon;

// The row shown through the system tray (XEmbed) where no StatusNotifierItem
// host shows the items: one tray icon (TrayIcon) per piece the items show,
// each drawn for the tray's icon size (TrayTileIconEngine) and named in its
// tool tip as the items are, its clicks the items' clicks. The icons are
// slots as the items are: one comes or goes at a time, at the end, and each
// shows the tile of its place in the row, read from where the tray put the
// icons (trayer puts the newest first). Where no tray icon can be made (no
// tray can exist on the platform), it is asked for once, and again only after
// retry().
class SniTrayFallback : public QObject {
    Q_OBJECT
public:
    // When the icons' places are read after a change (then 4x and 16x).
    static constexpr int trayCheckMs = 150;

    explicit SniTrayFallback(StatusItem* item, QObject* parent = nullptr);
    ~SniTrayFallback() override;

    // Whether the row is to show through the tray.
    bool isShown() const { return m_shown; }
    void setShown(bool shown);
    // Whether a tray holds the icons.
    bool isInTray() const;
    qsizetype iconCount() const { return m_icons.size(); }
    // The tool tip of a piece without a name.
    void setTitle(const QString& title) { m_title = title; }
    // Shows the row as it is now composed.
    void update();
    // Something changed that may bring a tray: a tray icon is asked for again.
    void retry() { m_noTray = false; }

Q_SIGNALS:
    // A click on an icon, at the pointer.
    void clicked(const QPoint& position);
    // isInTray() may have changed.
    void trayChanged();

private:
    QList<TrayIcon*> iconsInShownOrder() const;
    void scheduleTrayChecks();

    StatusItem* m_item;
    QString m_title;
    bool m_shown = false;
    bool m_noTray = false; // no tray icon could be made since the last retry
    // In the row's order, and the cache key of the pictures each was last
    // given and the piece it shows.
    QList<TrayIcon*> m_icons;
    QHash<const TrayIcon*, qint64> m_pictures;
    QHash<const TrayIcon*, QString> m_keys;
    QTimer m_trayCheck;
    int m_trayChecks = 0;
};

} // namespace gaugelet
