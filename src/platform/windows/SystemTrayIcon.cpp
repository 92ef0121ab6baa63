#include "platform/windows/SystemTrayIcon.h"

#include <QGuiApplication>
#include <QSystemTrayIcon>

namespace gaugelet {

namespace {

bool isX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

} // namespace

SystemTrayIcon::SystemTrayIcon(QObject* parent) : TrayIcon(parent), m_icon(new QSystemTrayIcon(this))
{
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::Context
            || reason == QSystemTrayIcon::MiddleClick)
            Q_EMIT activated();
    });
    // The X11 platform tells when a system tray comes or goes (the signal is
    // the xcb plugin's own, so by name, as QSystemTrayIcon itself connects
    // to it; its header is private, the object a QObject). Queued, so that
    // QSystemTrayIcon has docked or dropped its window by then.
    if (isX11()) {
        auto* native = reinterpret_cast<QObject*>(QGuiApplication::platformNativeInterface());
        if (native)
            connect(native, SIGNAL(systemTrayWindowChanged(QScreen*)), this, SLOT(onTrayWindowChanged()),
                    Qt::QueuedConnection);
    }
}

SystemTrayIcon::~SystemTrayIcon() = default;

void SystemTrayIcon::setIcon(const QIcon& icon) { m_icon->setIcon(icon); }

void SystemTrayIcon::setToolTip(const QString& text)
{
    if (text != m_icon->toolTip())
        m_icon->setToolTip(text);
}

void SystemTrayIcon::show() { m_icon->show(); }

void SystemTrayIcon::hide() { m_icon->hide(); }

QRect SystemTrayIcon::geometry() const
{
    // Qt keeps a window for the icon only while a tray holds it.
    return m_icon->isVisible() ? m_icon->geometry() : QRect();
}

void SystemTrayIcon::onTrayWindowChanged()
{
    Q_EMIT trayChanged();
}

void SystemTrayIcon::install()
{
    TrayIcon::setFactory([]() -> TrayIcon* {
        // On X11 an icon waits for a tray that comes later.
        if (!isX11() && !QSystemTrayIcon::isSystemTrayAvailable())
            return nullptr;
        return new SystemTrayIcon();
    });
}

} // namespace gaugelet
