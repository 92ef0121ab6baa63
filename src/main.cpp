#include "app/AppDelegate.h"
#include "platform/core/Defaults.h"
#include "platform/core/UnixSignalWatcher.h"
#include "platform/desktop/ApplicationIcon.h"
#include "platform/desktop/LoginItemService.h"
#include "platform/desktop/PlatformSelection.h"
#include "platform/desktop/SingleInstance.h"
#include "platform/windows/SystemTrayIcon.h"

#include <QApplication>
#include <csignal>

int main(int argc, char** argv)
{
    using namespace gaugelet;
    PlatformSelection::preferPlaceableWindows();
    QApplication app(argc, argv);
    // One copy per user session: a second launch asks the running copy to
    // show itself and leaves at once, before anything reads or writes the
    // settings. A relaunched copy waits for the one that started it to quit.
    SingleInstance instance(QDBusConnection::sessionBus());
    const bool relaunched = SingleInstance::waitRequested(QApplication::arguments());
    // A start by the login item beside a running copy puts nothing up.
    const bool atLogin = LoginItemService::launchedAtLogin(QApplication::arguments());
    if (instance.claim(relaunched ? SingleInstance::previousCopyWaitMs : 0, atLogin)
        == SingleInstance::Claim::handedOver)
        return 0;
    SystemTrayIcon::install();
    QApplication::setApplicationName(QStringLiteral("Gaugelet"));
    QApplication::setOrganizationDomain(QStringLiteral("gaugelet.dev"));
    QApplication::setDesktopFileName(ApplicationIcon::name);
    // Every window (settings, setup, alerts) shows the program's icon.
    QApplication::setWindowIcon(ApplicationIcon::icon());
    // The program has no main window: closing the settings, the setup window
    // or an alert never ends it.
    QApplication::setQuitOnLastWindowClosed(false);

    AppDelegate delegate;
    QObject::connect(&instance, &SingleInstance::activated, &delegate, &AppDelegate::showFromAnotherLaunch);
    // Terminating by signal (and at logout) takes the same path as "Quit".
    UnixSignalWatcher signals({SIGTERM, SIGINT, SIGHUP});
    QObject::connect(&signals, &UnixSignalWatcher::received, &delegate, [&delegate](int) { delegate.terminate(); });

    // The launch runs in the loop's first turn, so that a verdict that ends
    // the program really ends the loop.
    QMetaObject::invokeMethod(&delegate, &AppDelegate::applicationDidFinishLaunching, Qt::QueuedConnection);
    const int status = QApplication::exec();
    Defaults::standard()->flush();
    return status;
}
