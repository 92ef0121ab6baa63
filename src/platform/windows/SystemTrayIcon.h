#pragma once

#include "platform/statusitem/TrayIcon.h"

class QSystemTrayIcon;

namespace gaugelet {

// The status item's fallback tray icon on QSystemTrayIcon (the XEmbed tray
// or whatever Qt's platform offers).
class SystemTrayIcon final : public TrayIcon {
    Q_OBJECT
public:
    explicit SystemTrayIcon(QObject* parent = nullptr);
    ~SystemTrayIcon() override;

    void setIcon(const QIcon& icon) override;
    void setToolTip(const QString& text) override;
    void show() override;
    void hide() override;

    // Makes the status item fall back to this where a tray is available.
    static void install();

private:
    QSystemTrayIcon* m_icon;
};

} // namespace gaugelet
