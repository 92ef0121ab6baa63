#include "platform/desktop/SingleInstance.h"

#include "PrivateBus.h"
#include "TestSupport.h"

#include <QDBusConnectionInterface>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace gaugelet;
using namespace gaugelet::test;

namespace {

// A program that takes every call and never answers.
class SilentObject : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage&, const QDBusConnection&) override { return true; }
};

} // namespace

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
    // Only a boolean asks it to stay quiet.
    QDBusMessage activate = QDBusMessage::createMethodCall(SingleInstance::applicationId, "/dev/gaugelet/app",
                                                           "org.freedesktop.Application", "Activate");
    const QDBusPendingCall quiet = bus.connect().asyncCall(activate << QVariantMap{{SingleInstance::quietKey, "true"}});
    ASSERT_TRUE(waitUntil([&] { return quiet.isFinished(); }));
    EXPECT_EQ(shown.size(), 2) << "a string is no request to stay quiet";

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

    // A name held by a program that is not this one (no Activate to answer): the launch runs.
    PrivateBus foreign;
    ASSERT_TRUE(foreign.connect().registerService(SingleInstance::applicationId));
    EXPECT_EQ(SingleInstance(foreign.connect()).claim(), SingleInstance::Claim::unguarded);

    // A copy that takes Activate and never answers; this process, the same executable, is Gaugelet.
    PrivateBus hung;
    QDBusConnection silent = hung.connect();
    SilentObject object;
    ASSERT_TRUE(silent.registerVirtualObject(SingleInstance::objectPath(SingleInstance::applicationId), &object));
    ASSERT_TRUE(silent.registerService(SingleInstance::applicationId));
    SingleInstance waiting(hung.connect());
    waiting.setActivateTimeoutMs(300);
    EXPECT_EQ(waiting.claim(), SingleInstance::Claim::notResponding);
    EXPECT_EQ(waiting.silentOwner().pid, quint32(QCoreApplication::applicationPid()));
    EXPECT_TRUE(waiting.silentOwner().isGaugelet);

    // Without a session bus the program runs as the only copy it knows of.
    SingleInstance alone(QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent"), "none"));
    EXPECT_EQ(alone.claim(), SingleInstance::Claim::noBus);
}

// A silent owner is named as the running copy only when it runs this
// program: its executable, or a program named as ours or "gaugelet".
TEST(SingleInstance, OnlyACopyOfThisProgramIsNamedAsTheRunningCopy)
{
    QTemporaryDir proc;
    const QString own = proc.filePath(QStringLiteral("bin/gaugelet-nightly-build"));
    const QString python = proc.filePath(QStringLiteral("bin/python3"));
    writeFile(own, "");
    writeFile(python, "");
    const struct {
        QString exe; // where /proc/PID/exe leads (empty: no link)
        QByteArray comm, cmdline;
        bool isGaugelet;
        QString program;
    } cases[] = {
        {own, "renamed\n", {}, true, "renamed"},
        {own + " (deleted)", "gaugelet-nightl\n", {}, true, "gaugelet-nightl"},
        {{}, {}, QByteArray("/usr/bin/gaugelet\0--at-login\0", 29), true, "gaugelet"},
        {python, "gaugelet\n", {}, true, "gaugelet"},
        {python, "python3\n", QByteArray("/usr/bin/python3\0squat.py\0", 26), false, "python3"},
        {python, "a<b>&\001c\n", {}, false, "a?b???c"},
        {{}, {}, {}, false, {}},
    };
    quint32 pid = 100;
    for (const auto& c : cases) {
        const QString dir = proc.filePath(QString::number(++pid));
        QDir().mkpath(dir);
        if (!c.exe.isEmpty()) {
            ASSERT_TRUE(QFile::link(c.exe, dir + QLatin1String("/exe")));
        }
        if (!c.comm.isEmpty())
            writeFile(dir + QLatin1String("/comm"), c.comm);
        if (!c.cmdline.isEmpty())
            writeFile(dir + QLatin1String("/cmdline"), c.cmdline);
        const SingleInstance::SilentOwner owner = SingleInstance::identifyProcess(pid, proc.path(), own);
        EXPECT_EQ(owner.isGaugelet, c.isGaugelet) << pid;
        EXPECT_EQ(owner.program, c.program) << pid;
    }
}
