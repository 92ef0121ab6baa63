#pragma once

#include "platform/statusitem/TrayIcon.h"

class QSystemTrayIcon;

namespace gaugelet {

// The status item's fallback tray icon on QSystemTrayIcon: on X11 an icon in
// the XEmbed system tray, which Qt docks when a tray comes and takes out when
// it goes.
class SystemTrayIcon final : public TrayIcon {
    Q_OBJECT
public:
    explicit SystemTrayIcon(QObject* parent = nullptr);
    ~SystemTrayIcon() override;

    void setIcon(const QIcon& icon) override;
    void setToolTip(const QString& text) override;
    void show() override;
    void hide() override;
    QRect geometry() const override;

    // Makes the status item fall back to this where the platform has a tray.
    static void install();

private Q_SLOTS:
    void onTrayWindowChanged();

private:
    QSystemTrayIcon* m_icon;
};

} // namespace gaugelet
