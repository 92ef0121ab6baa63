#pragma once

#include "platform/statusitem/SniTypes.h"

#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QPoint>

namespace gaugelet {

class SniItem;

// The org.kde.StatusNotifierItem interface of one of our items, exported at
// /StatusNotifierItem. Property reads and method calls are answered by the
// owning SniItem on the main thread. It publishes no Menu: hosts then call
// ContextMenu on a right click, which opens the popover like any click
// (SniItemMenuAdaptor adds one for the hosts that need it).
class SniItemAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconThemePath READ emptyString)
    Q_PROPERTY(QString IconName READ emptyString)
    Q_PROPERTY(gaugelet::SniIconPixmapList IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ emptyString)
    Q_PROPERTY(gaugelet::SniIconPixmapList OverlayIconPixmap READ emptyPixmaps)
    Q_PROPERTY(QString AttentionIconName READ emptyString)
    Q_PROPERTY(gaugelet::SniIconPixmapList AttentionIconPixmap READ emptyPixmaps)
    Q_PROPERTY(QString AttentionMovieName READ emptyString)
    Q_PROPERTY(gaugelet::SniToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QString IconAccessibleDesc READ accessibleDesc)
    Q_PROPERTY(QString AttentionAccessibleDesc READ accessibleDesc)
public:
    explicit SniItemAdaptor(QObject* exported, SniItem* owner);

    QString category() const;
    QString id() const;
    QString title() const;
    QString status() const;
    int windowId() const { return 0; }
    QString emptyString() const { return {}; }
    SniIconPixmapList iconPixmap() const;
    SniIconPixmapList emptyPixmaps() const { return {}; }
    SniToolTip toolTip() const;
    bool itemIsMenu() const { return false; }
    // What a screen reader says for the picture: the tile's name.
    QString accessibleDesc() const;

public Q_SLOTS:
    void Activate(int x, int y, const QDBusMessage& message);
    void SecondaryActivate(int x, int y);
    void ContextMenu(int x, int y);
    void Scroll(int delta, const QString& orientation);

Q_SIGNALS:
    void NewTitle();
    void NewIcon();
    void NewAttentionIcon();
    void NewOverlayIcon();
    void NewToolTip();
    void NewStatus(const QString& status);

protected:
    SniItem* item() const { return m_owner; }
    // A host's Activate: the click runs and the call is answered as done.
    virtual void activated(const QPoint& position, const QDBusMessage& message);

private:
    SniItem* m_owner;
};

} // namespace gaugelet
