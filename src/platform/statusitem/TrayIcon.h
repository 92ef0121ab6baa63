#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <functional>

namespace gaugelet {

// The system tray icon the status item falls back to where no
// StatusNotifierItem host runs. The tray itself is a widget facility, so it
// lives in the windows room (SystemTrayIcon), which the application installs
// at start-up; without one there is no fallback. Main thread only.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    // A new tray icon, or nullptr where no tray is available.
    using Factory = std::function<TrayIcon*()>;

    using QObject::QObject;
    ~TrayIcon() override = default;

    virtual void setIcon(const QIcon& icon) = 0;
    virtual void setToolTip(const QString& text) = 0;
    virtual void show() = 0;
    virtual void hide() = 0;

    static void setFactory(Factory factory);
    // A new tray icon from the installed factory; nullptr without one.
    static TrayIcon* create();

Q_SIGNALS:
    // A click or a context-menu request on the icon.
    void activated();
};

} // namespace gaugelet
