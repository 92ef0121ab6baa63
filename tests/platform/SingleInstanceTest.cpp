#include "platform/desktop/SingleInstance.h"

#include "PrivateBus.h"
#include "TestSupport.h"

#include <QDBusConnectionInterface>
#include <QProcess>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>
#include <signal.h>

using namespace gaugelet;
using namespace gaugelet::test;

TEST(SingleInstance, ASecondLaunchHandsOverAndARelaunchWaitsForTheName)
{
    PrivateBus bus;
    ASSERT_TRUE(bus.isValid());
    EXPECT_EQ(SingleInstance::objectPath(SingleInstance::applicationId), "/dev/gaugelet/app");
    EXPECT_FALSE(SingleInstance::waitRequested({SingleInstance::waitArgument}));
    EXPECT_TRUE(SingleInstance::waitRequested({"gaugelet", SingleInstance::waitArgument}));

    auto first = std::make_unique<SingleInstance>(bus.connect());
    QSignalSpy shown(first.get(), &SingleInstance::activated);
    EXPECT_EQ(first->claim(), SingleInstance::Claim::owner);
    SingleInstance second(bus.connect());
    EXPECT_EQ(second.claim(), SingleInstance::Claim::handedOver);
    EXPECT_EQ(shown.size(), 1) << "the running copy was asked to show itself";
    SingleInstance atLogin(bus.connect());
    EXPECT_EQ(atLogin.claim(0, true), SingleInstance::Claim::handedOver);
    EXPECT_EQ(shown.size(), 1) << "a login item's start leaves the running copy as it is";

    // A relaunch queues behind the quitting copy and owns the name once it lets go.
    const QDBusConnection relaunchBus = bus.connect();
    auto relaunched = std::make_unique<SingleInstance>(relaunchBus);
    QTimer::singleShot(0, [&first] { first.reset(); });
    EXPECT_EQ(relaunched->claim(SingleInstance::previousCopyWaitMs), SingleInstance::Claim::owner);

    // One whose old copy never quits runs anyway, and takes the name when it goes.
    const QDBusConnection lateBus = bus.connect();
    auto late = std::make_unique<SingleInstance>(lateBus);
    EXPECT_EQ(late->claim(1), SingleInstance::Claim::queued);
    EXPECT_EQ(lateBus.interface()->serviceOwner(SingleInstance::applicationId).value(), relaunchBus.baseService());
    relaunched.reset();
    EXPECT_TRUE(waitUntil([&] {
        return lateBus.interface()->serviceOwner(SingleInstance::applicationId).value() == lateBus.baseService();
    }));

    // Without a session bus the program runs as the only copy it knows of.
    SingleInstance alone(QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent"), "none"));
    EXPECT_EQ(alone.claim(), SingleInstance::Claim::noBus);
}

namespace {

// `sniprobe hold MODE` on the bus: another process owning the program's name.
struct NameHolder {
    QProcess process;
    NameHolder(const PrivateBus& bus, const QString& mode)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(GAUGELET_BINARY_DIR "/tests/sniprobe"), {QStringLiteral("hold"), mode});
        EXPECT_TRUE(
            waitUntil([this] { return process.canReadLine() || process.state() == QProcess::NotRunning; }, 20000));
        EXPECT_EQ(process.readLine(), "ready\n") << process.readAllStandardError().toStdString();
    }
    ~NameHolder()
    {
        process.kill();
        process.waitForFinished(5000);
    }
};

} // namespace

// Only an answer to Activate is a hand-over: an owner that is not this
// program leaves the launch to run, one that is silent is said to hang, and
// one busy for a moment is still handed over to.
TEST(SingleInstance, OnlyAnAnswerFromTheRunningCopyIsAHandOver)
{
    const struct {
        const char* mode;
        bool stopped;
        int continuedAfterMs; // < 0: never
        int timeoutMs;
        SingleInstance::Claim expected;
    } cases[] = {
        {"bare", false, 0, SingleInstance::activateTimeoutMs, SingleInstance::Claim::unguarded},
        {"other", false, 0, SingleInstance::activateTimeoutMs, SingleInstance::Claim::unguarded},
        {"copy", true, -1, 1500, SingleInstance::Claim::notResponding},
        {"copy", true, 1500, SingleInstance::activateTimeoutMs, SingleInstance::Claim::handedOver},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + (c.stopped ? " stopped" : ""));
        PrivateBus bus;
        ASSERT_TRUE(bus.isValid());
        NameHolder holder(bus, QString::fromLatin1(c.mode));
        const auto pid = pid_t(holder.process.processId());
        if (c.stopped) {
            ASSERT_EQ(::kill(pid, SIGSTOP), 0);
        }
        if (c.continuedAfterMs >= 0)
            QTimer::singleShot(c.continuedAfterMs, [pid] { ::kill(pid, SIGCONT); });
        SingleInstance launch(bus.connect());
        launch.setActivateTimeoutMs(c.timeoutMs);
        EXPECT_EQ(launch.claim(), c.expected);
        EXPECT_EQ(launch.silentOwnerProcessId(),
                  c.expected == SingleInstance::Claim::notResponding ? quint32(pid) : 0u);
    }
}
