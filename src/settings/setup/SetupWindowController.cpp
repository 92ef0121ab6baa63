#include "settings/setup/SetupWindowController.h"

#include "platform/core/Defaults.h"
#include "platform/core/MainThread.h"
#include "platform/desktop/LoginItemService.h"
#include "platform/desktop/UserNotificationCenter.h"
#include "schema/SettingsSchema.h"
#include "settings/setup/SetupWindowView.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

namespace gaugelet {

SetupWindowController::SetupWindowController(QObject* parent) : QObject(parent) {}

SetupWindowController::~SetupWindowController()
{
    // Ending the program is not closing the window: the flag stays as it is.
    if (m_window) {
        m_window->removeEventFilter(this);
        delete m_window.data();
    }
}

void SetupWindowController::showIfNeeded()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (SettingsSchema::boolean(SettingsSchema::setupWindowDismissed))
        return;
    using Status = UserNotificationCenter::AuthorizationStatus;
    QPointer<SetupWindowController> self(this);
    UserNotificationCenter::current()->getNotificationSettings([self](UserNotificationCenter::Settings settings) {
        const bool notificationsFine = settings.authorizationStatus == Status::authorized
            || settings.authorizationStatus == Status::provisional;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, notificationsFine] {
                // Closed in the meantime (opened from elsewhere): closed for good.
                if (!self || SettingsSchema::boolean(SettingsSchema::setupWindowDismissed))
                    return;
                const bool loginEnabled =
                    LoginItemService::mainAppService().status() == LoginItemService::Status::enabled;
                if (!(notificationsFine && loginEnabled))
                    self->present();
            },
            Qt::QueuedConnection);
    });
}

void SetupWindowController::present()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    if (!m_window) {
        QPointer<SetupWindowController> self(this);
        auto* window = new SetupWindowView([self] {
            if (self && self->m_window)
                self->m_window->close();
        });
        window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                               | Qt::WindowCloseButtonHint);
        window->setWindowTitle(tr("Set up Gaugelet"));
        // Closing this window never ends the program, whatever the application's setting.
        window->setAttribute(Qt::WA_QuitOnClose, false);
        window->installEventFilter(this);
        window->adjustSize();
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect available = screen->availableGeometry();
            QRect frame(QPoint(), window->size());
            frame.moveCenter(available.center());
            window->move(frame.topLeft());
        }
        m_window = window;
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

bool SetupWindowController::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Close && watched == m_window.data() && event->isAccepted())
        windowWillClose();
    return QObject::eventFilter(watched, event);
}

void SetupWindowController::windowWillClose()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    SettingsSchema::write(SettingsSchema::setupWindowDismissed, true);
    if (m_window) {
        m_window->removeEventFilter(this);
        m_window->deleteLater();
    }
    m_window = nullptr;
}

} // namespace gaugelet
