#pragma once

#include <QIcon>
#include <QObject>
#include <QRect>
#include <QString>
#include <functional>

namespace gaugelet {

// A system tray icon (XEmbed) the status item falls back to where no
// StatusNotifierItem host shows its items: one per tile, as the items. The
// tray itself is a widget facility, so it lives in the windows room
// (SystemTrayIcon), which the application installs at start-up; without one
// there is no fallback. An icon shown while no tray runs waits for one.
// Trays place icons in an order of their own (trayer puts the newest
// first), so the status item reads where each icon is.
// Main thread only.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    // A new tray icon, or nullptr where the platform has no tray at all.
    using Factory = std::function<TrayIcon*()>;

    using QObject::QObject;
    ~TrayIcon() override = default;

    virtual void setIcon(const QIcon& icon) = 0;
    virtual void setToolTip(const QString& text) = 0;
    virtual void show() = 0;
    virtual void hide() = 0;
    // Where the tray shows the icon (global, device-independent pixels);
    // empty while no tray holds it.
    virtual QRect geometry() const = 0;

    static void setFactory(Factory factory);
    // A new tray icon from the installed factory; nullptr without one.
    static TrayIcon* create();

Q_SIGNALS:
    // A click or a context-menu request on the icon.
    void activated();
    // A tray came or went: geometry() may have changed.
    void trayChanged();
};

} // namespace gaugelet
