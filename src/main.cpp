#include "app/AppDelegate.h"
#include "platform/core/Defaults.h"
#include "platform/core/UnixSignalWatcher.h"
#include "platform/desktop/ApplicationIcon.h"
#include "platform/desktop/LoginItemService.h"
#include "platform/desktop/PlatformSelection.h"
#include "platform/desktop/SingleInstance.h"
#include "platform/desktop/UserNotificationCenter.h"
#include "platform/windows/SystemTrayIcon.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <csignal>
#include <cstdio>

namespace {

// A running copy that does not answer: the user learns it on the terminal
// and in a notification (waited for at most a few seconds), and the launch
// ends with an error rather than pretending it handed over. Only a process
// that is this program is named as the running copy; any other holder of
// the name is named as the program it is.
int tellRunningCopyDoesNotRespond(const gaugelet::SingleInstance& instance)
{
    using namespace gaugelet;
    const SingleInstance::SilentOwner& owner = instance.silentOwner();
    const quint32 pid = owner.pid;
    const QString seconds = QString::number(SingleInstance::activateTimeoutMs / 1000);
    QString title = QStringLiteral("Gaugelet is already running but does not respond");
    QString body;
    if (pid == 0) {
        body = QStringLiteral("The running copy has not answered for %1 seconds. End it, then start Gaugelet again.")
                   .arg(seconds);
    } else if (owner.isGaugelet) {
        body = QStringLiteral("The running copy (process %1) has not answered for %2 seconds. End it, for example "
                              "with \u201Ckill -KILL %1\u201D, then start Gaugelet again.")
                   .arg(pid)
                   .arg(seconds);
    } else {
        title = QStringLiteral("Another program holds Gaugelet's name and does not respond");
        body = owner.program.isEmpty()
                   ? QStringLiteral("Process %1 holds the name %2 on the session bus and has not answered for %3 "
                                    "seconds. Gaugelet cannot start while it holds the name.")
                         .arg(QString::number(pid), SingleInstance::applicationId, seconds)
                   : QStringLiteral("\u201C%1\u201D (process %2) holds the name %3 on the session bus and has not "
                                    "answered for %4 seconds. Gaugelet cannot start while it holds the name.")
                         .arg(owner.program, QString::number(pid), SingleInstance::applicationId, seconds);
    }
    std::fprintf(stderr, "%s. %s\n", qUtf8Printable(title), qUtf8Printable(body));
    QEventLoop loop;
    UserNotificationCenter::current()->add({QStringLiteral("gaugelet.notResponding"), title, body, {}, {}},
                                           [&loop](const auto&) { loop.quit(); });
    QTimer::singleShot(3000, &loop, &QEventLoop::quit);
    loop.exec();
    return 1;
}

} // namespace

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
    // Only an answer from the running copy is a hand-over; an owner of the
    // name that is not this program leaves this copy to run unguarded.
    switch (instance.claim(relaunched ? SingleInstance::previousCopyWaitMs : 0, atLogin)) {
    case SingleInstance::Claim::handedOver: return 0;
    case SingleInstance::Claim::notResponding: return tellRunningCopyDoesNotRespond(instance);
    case SingleInstance::Claim::owner:
    case SingleInstance::Claim::queued:
    case SingleInstance::Claim::noBus:
    case SingleInstance::Claim::unguarded: break;
    }
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
