#include "settings/general/RelaunchApp.h"

#include "platform/core/Defaults.h"
#include "platform/core/MainThread.h"
#include "platform/desktop/LoginItemService.h"
#include "platform/desktop/SingleInstance.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTimer>

namespace gaugelet {

namespace {

std::optional<RelaunchHooks>& hooks()
{
    static std::optional<RelaunchHooks> installed;
    return installed;
}

} // namespace

void setRelaunchHooksForTesting(std::optional<RelaunchHooks> replacement)
{
    hooks() = std::move(replacement);
}

QStringList relaunchArguments(const QStringList& arguments)
{
    QStringList kept = arguments.mid(1);
    kept.removeAll(LoginItemService::loginArgument);
    // The new copy waits for this one to let go of the program's bus name,
    // rather than handing over to it.
    kept.removeAll(SingleInstance::waitArgument);
    kept.append(SingleInstance::waitArgument);
    return kept;
}

Result<void, QString> relaunchApp()
{
    GAUGELET_ASSERT_MAIN_THREAD();
    Defaults* defaults = Defaults::standard();
    if (!defaults->flush()) {
        const QString reason = defaults->lastSaveError();
        return fail(reason.isEmpty()
                        ? QStringLiteral("The settings could not be saved before restarting.")
                        : QStringLiteral("The settings could not be saved before restarting: %1.").arg(reason));
    }
    defaults->stopSaving();

    const QString program = QCoreApplication::applicationFilePath();
    const QStringList arguments = relaunchArguments(QCoreApplication::arguments());
    bool started = false;
    if (hooks() && hooks()->start)
        started = hooks()->start(program, arguments);
    else
        started = QProcess::startDetached(program, arguments);
    qInfo("Gaugelet: relaunch program=%s started=%s", qUtf8Printable(program), started ? "true" : "false");

    // Quit whatever the start reported, from the next turn of the event loop.
    QTimer::singleShot(0, QCoreApplication::instance(), [] {
        if (hooks() && hooks()->quit)
            hooks()->quit();
        else
            QCoreApplication::quit();
    });
    return {};
}

} // namespace gaugelet
