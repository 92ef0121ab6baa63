#include "app/AppDelegate.h"
#include "platform/core/Defaults.h"
#include "platform/core/UnixSignalWatcher.h"
#include "platform/desktop/ApplicationIcon.h"
#include "platform/desktop/PlatformSelection.h"
#include "platform/windows/SystemTrayIcon.h"

#include <QApplication>
#include <csignal>

int main(int argc, char** argv)
{
    using namespace gaugelet;
    PlatformSelection::preferPlaceableWindows();
    QApplication app(argc, argv);
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
