#include "platform/windows/SystemTrayIcon.h"

#include <QSystemTrayIcon>

namespace gaugelet {

SystemTrayIcon::SystemTrayIcon(QObject* parent) : TrayIcon(parent), m_icon(new QSystemTrayIcon(this))
{
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::Context
            || reason == QSystemTrayIcon::MiddleClick)
            Q_EMIT activated();
    });
}

SystemTrayIcon::~SystemTrayIcon() = default;

void SystemTrayIcon::setIcon(const QIcon& icon) { m_icon->setIcon(icon); }

void SystemTrayIcon::setToolTip(const QString& text) { m_icon->setToolTip(text); }

void SystemTrayIcon::show() { m_icon->show(); }

void SystemTrayIcon::hide() { m_icon->hide(); }

void SystemTrayIcon::install()
{
    TrayIcon::setFactory([]() -> TrayIcon* {
        if (!QSystemTrayIcon::isSystemTrayAvailable())
            return nullptr;
        return new SystemTrayIcon();
    });
}

} // namespace gaugelet
